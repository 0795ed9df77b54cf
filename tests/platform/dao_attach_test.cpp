// Reading a second database file from a statement of the first: the attached
// file can be read and never changed, and a long statement can be stopped.
#include "dao_fixture.h"

#include <QCryptographicHash>

namespace {

class DaoAttach : public DaoTemplate {
protected:
    void SetUp() override
    {
        DaoTemplate::SetUp();
        const QString otherPath = tempPath(QStringLiteral("other.mdb"));
        ASSERT_TRUE(QFile::copy(path(), otherPath));
        QFile(otherPath).setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner);
        // Opened as the program opens a file: exclusively, for writing, so
        // the file is locked against every other connection.
        other = dao::OpenDatabase(otherPath, true, false, dao::DefaultConnect());
        other->Execute("INSERT INTO [Dati Salite] (IDPercorso, Lunghezza) VALUES (?, ?)", 0, {"Gavia", 17.0});
        other->Execute("INSERT INTO CampioniSalite (IDPercorso, DistParz, Altezza) VALUES (?, ?, ?)", 0, {"Gavia", 0.0, 1200});
    }
    void TearDown() override
    {
        if (other) other->Close();
        DaoTemplate::TearDown();
    }
    QByteArray otherBytes()
    {
        other->Close();
        QFile f(tempPath(QStringLiteral("other.mdb")));
        EXPECT_TRUE(f.open(QIODevice::ReadOnly));
        const QByteArray hash = QCryptographicHash::hash(f.readAll(), QCryptographicHash::Sha256);
        f.close();
        other = dao::OpenDatabase(tempPath(QStringLiteral("other.mdb")), true, false, dao::DefaultConnect());
        return hash;
    }
    int count(const QString &sql)
    {
        auto c = db->openCursor(sql);
        return c->next() ? c->value(0).toInt() : -1;
    }
    dao::DatabasePtr other;
};

} // namespace

TEST_F(DaoAttach, ReadsTheOtherFileAndCopiesFromIt)
{
    db->AttachReadOnly(*other, QStringLiteral("src"));
    EXPECT_EQ(count("SELECT COUNT(*) FROM src.[Dati Salite] WHERE IDPercorso = 'gavia'"), 1);
    db->BeginTrans();
    EXPECT_EQ(db->Execute("INSERT INTO main.[Dati Salite] (IDPercorso, Lunghezza) SELECT IDPercorso, Lunghezza "
                          "FROM src.[Dati Salite]"), 1);
    db->CommitTrans();
    EXPECT_EQ(count("SELECT COUNT(*) FROM [Dati Salite] WHERE IDPercorso = 'Gavia'"), 1);
    db->Detach(QStringLiteral("src"));
    EXPECT_JET_ERROR(count("SELECT COUNT(*) FROM src.[Dati Salite]"), dao::JetErr::TableNotFound);
    db->Detach(QStringLiteral("src"));   // no longer attached: nothing to do
    // The other file is still its owner's, for reading and writing.
    other->Execute("DELETE FROM CampioniSalite");
}

// Every statement that would change the attached file is refused when it is
// prepared, before anything runs, and the file's bytes stay as they were.
TEST_F(DaoAttach, RefusesEveryChangeToTheAttachedFile)
{
    const QByteArray before = otherBytes();
    db->AttachReadOnly(*other, QStringLiteral("src"));
    const char *const writes[] = {
        "INSERT INTO src.[Dati Salite] (IDPercorso) VALUES ('Nuovo')",
        "INSERT INTO src.CampioniSalite (IDPercorso, DistParz) SELECT IDPercorso, 99 FROM main.CampioniSalite",
        "UPDATE src.[Dati Salite] SET Lunghezza = 1",
        "DELETE FROM src.CampioniSalite",
        "DROP TABLE src.CampioniSalite",
        "DROP VIEW src.[Riepilogo Salite]",
        "CREATE INDEX src.Extra ON CampioniSalite (Altezza)",
        "CREATE TABLE src.Extra (x)",
        "ALTER TABLE src.CampioniSalite ADD COLUMN Extra TEXT",
        "PRAGMA src.user_version = 7",
        "DETACH DATABASE src",
    };
    for (const char *sql : writes) {
        SCOPED_TRACE(sql);
        EXPECT_JET_ERROR(db->prepare(QString::fromUtf8(sql)), dao::JetErr::ReadOnly);
        EXPECT_JET_ERROR(db->Execute(QString::fromUtf8(sql)), dao::JetErr::ReadOnly);
    }
    // Reading a pragma, and writing the own file, go on.
    EXPECT_EQ(count("SELECT COUNT(*) FROM pragma_table_info('CampioniSalite', 'src')"), 6);
    db->Execute("INSERT INTO States (State) VALUES ('Italia')");
    db->Detach(QStringLiteral("src"));
    EXPECT_EQ(otherBytes(), before);
    // Detached, the own file's statements are no longer looked at.
    db->Execute("CREATE TABLE Extra (x)");
}

TEST_F(DaoAttach, RefusesTheSameFileATransactionAndATakenName)
{
    EXPECT_JET_ERROR(db->AttachReadOnly(*db, QStringLiteral("src")), dao::JetErr::GenericEngine);
    db->BeginTrans();
    EXPECT_JET_ERROR(db->AttachReadOnly(*other, QStringLiteral("src")), dao::JetErr::GenericEngine);
    db->Rollback();
    other->BeginTrans();
    EXPECT_JET_ERROR(db->AttachReadOnly(*other, QStringLiteral("src")), dao::JetErr::GenericEngine);
    other->Rollback();
    EXPECT_JET_ERROR(db->AttachReadOnly(*other, QStringLiteral("main")), dao::JetErr::GenericEngine);
    db->AttachReadOnly(*other, QStringLiteral("src"));
    EXPECT_JET_ERROR(db->AttachReadOnly(*other, QStringLiteral("SRC")), dao::JetErr::GenericEngine);
    db->Detach(QStringLiteral("src"));
}

// A long statement hears the stop within a few thousand steps; a write it
// interrupts inside a transaction leaves a transaction Rollback still ends.
TEST_F(DaoAttach, InterruptCheckStopsALongStatement)
{
    int polls = 0;
    db->SetInterruptCheck([&] { return ++polls >= 3; }, 1000);
    EXPECT_JET_ERROR(db->openCursor("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 100000000) "
                                    "SELECT COUNT(*) FROM n")->next(),
                     dao::JetErr::Canceled);
    EXPECT_EQ(polls, 3);

    polls = 0;
    db->BeginTrans();
    db->Execute("INSERT INTO States (State) VALUES ('Italia')");
    EXPECT_JET_ERROR(db->Execute("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 10000000) "
                                 "INSERT INTO States (State) SELECT 'S' || i FROM n"),
                     dao::JetErr::Canceled);
    db->Rollback();
    EXPECT_FALSE(db->InTransaction());
    db->SetInterruptCheck({});
    EXPECT_EQ(count("SELECT COUNT(*) FROM States"), 0);
    EXPECT_EQ(count("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 100000) "
                    "SELECT COUNT(*) FROM n"), 100000);
}
