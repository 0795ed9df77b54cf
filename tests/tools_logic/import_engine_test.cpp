// Copying climbs and routes between two database files: what is copied under
// each criterion, and that an abort or a failure leaves the destination as it was.
#include "CoreTestSupport.h"
#include "core/LangClient.h"
#include "platform/com/ComRegistry.h"
#include "tools/logic/ImportEngine.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <fcntl.h>
#include <unistd.h>

using namespace ImportEngine;

namespace {

class ImportEngineTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        Com::SetMachineRegistryFile(QDir(TestSupport::BinDir()).filePath(QStringLiteral("com-registry.ini")));
        LoadLanguages(TestSupport::BinDir());
        LangId = SelectLanguage(QStringLiteral("1033"), QStringLiteral("1033"));
    }
    static void TearDownTestSuite()
    {
        ResetLanguages();
        Com::SetMachineRegistryFile(QString());
    }

    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        src = open(QStringLiteral("source.mdb"));
        dst = open(QStringLiteral("dest.mdb"));
    }
    void TearDown() override
    {
        src->Close();
        dst->Close();
    }

    dao::DatabasePtr open(const QString &name)
    {
        const QString path = m_dir.filePath(name);
        EXPECT_TRUE(QFile::copy(TestSupport::BinDir() + QStringLiteral("/ZidoVodu.dat"), path));
        QFile(path).setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner);
        return dao::OpenDatabase(path, true, false, dao::DefaultConnect());
    }

    static void addCard(dao::Database &db, bool climb, const QString &name, const QString &region, int samples,
                        int heightBase = 100)
    {
        db.Execute(QStringLiteral("INSERT INTO [%1] (IDPercorso, Lunghezza, Regione) VALUES (?, ?, ?)")
                       .arg(climb ? QStringLiteral("Dati Salite") : QStringLiteral("Dati Percorsi")),
                   0, {name, 12.5, region});
        for (int i = 0; i < samples; ++i)
            db.Execute(QStringLiteral("INSERT INTO [%1] (IDPercorso, DistParz, Altezza, Note) VALUES (?, ?, ?, ?)")
                           .arg(climb ? QStringLiteral("CampioniSalite") : QStringLiteral("CampioniPercorsi")),
                       0, {name, i * 0.5, heightBase + i, QStringLiteral("n%1").arg(i)});
    }

    // Every row of the four tables, as text, to compare a file before and after.
    static QString dump(dao::Database &db)
    {
        QString out;
        for (const char *t : {"Dati Salite", "Dati Percorsi", "CampioniSalite", "CampioniPercorsi"}) {
            auto c = db.openCursor(QStringLiteral("SELECT * FROM [%1] ORDER BY 1, 2").arg(QLatin1String(t)));
            while (c->next()) {
                for (int i = 0; i < c->columnCount(); ++i)
                    out += c->value(i).toString() + QLatin1Char('|');
                out += QLatin1Char('\n');
            }
            out += QLatin1String("--\n");
        }
        return out;
    }

    static QList<int> heights(dao::Database &db, const QString &name)
    {
        QList<int> h;
        auto c = db.openCursor(QStringLiteral("SELECT Altezza FROM CampioniSalite WHERE IDPercorso = ? ORDER BY DistParz"), {name});
        while (c->next())
            h << c->value(0).toInt();
        return h;
    }

    static QString region(dao::Database &db, const QString &name)
    {
        auto c = db.openCursor(QStringLiteral("SELECT Regione FROM [Dati Salite] WHERE IDPercorso = ?"), {name});
        return c->next() ? c->value(0).toString() : QStringLiteral("<none>");
    }

    QTemporaryDir m_dir;
    dao::DatabasePtr src, dst;
};

} // namespace

// Criterion x {card in destination, samples there, samples in source}: what is
// counted and listed, whether the question comes, and which samples remain.
TEST_F(ImportEngineTest, CriterionDecidesForExistingCards)
{
    struct Case {
        Criterion criterion;
        bool exists;
        int dstSamples, srcSamples;
        bool answer;             // ConfirmRequest's reply
        bool counted, asked;
        int samplesAfter;        // 0..: count; heights tell whose
        bool fromSource;
    };
    const Case cases[] = {
        {Criterion::NoOverwrite, false, 0, 3, true, true, false, 3, true},
        {Criterion::NoOverwrite, false, 0, 0, true, true, false, 0, true},     // new card without samples counts
        {Criterion::NoOverwrite, true, 2, 3, true, false, false, 2, false},
        {Criterion::NoOverwrite, true, 0, 3, true, true, false, 3, true},       // empty destination: copied, no question
        {Criterion::OverwriteAll, true, 2, 3, true, true, false, 3, true},
        {Criterion::OverwriteAll, true, 2, 0, true, false, false, 2, false},    // nothing in source: untouched, not counted
        {Criterion::ConfirmRequest, true, 2, 3, true, true, true, 3, true},
        {Criterion::ConfirmRequest, true, 2, 3, false, false, true, 2, false},
        {Criterion::ConfirmRequest, true, 0, 3, false, true, false, 3, true},
        {Criterion::ConfirmRequest, true, 0, 0, true, false, false, 0, false},
    };
    int n = 0;
    for (const Case &c : cases) {
        SCOPED_TRACE(n);
        const QString name = QStringLiteral("Climb %1").arg(n++);
        addCard(*src, true, name, QStringLiteral("source region"), c.srcSamples, 1000);
        if (c.exists)
            addCard(*dst, true, name, QStringLiteral("own region"), c.dstSamples, 100);
        QStringList questions;
        Callbacks cb;
        cb.confirm = [&](const QString &q) { questions << q; return c.answer; };
        const Result r = CopyRaces(*src, *dst, true, false, c.criterion, cb);
        ASSERT_EQ(r.status, Result::Completed) << r.errorText.toStdString();
        EXPECT_EQ(r.climbs.contains(name), c.counted);
        EXPECT_EQ(questions.size(), c.asked ? 1 : 0);
        if (c.asked) {
            EXPECT_TRUE(questions.first().contains(name + QStringLiteral(" climb data already exist.\nOverwrite")))
                << questions.first().toStdString();
        }
        const QList<int> h = heights(*dst, name);
        EXPECT_EQ(h.size(), c.samplesAfter);
        if (!h.isEmpty()) {
            EXPECT_EQ(h.first(), c.fromSource ? 1000 : 100);
        }
        // An existing card's own fields never change.
        EXPECT_EQ(region(*dst, name), c.exists ? QStringLiteral("own region") : QStringLiteral("source region"));
        src->Execute(QStringLiteral("DELETE FROM CampioniSalite"));
        src->Execute(QStringLiteral("DELETE FROM [Dati Salite]"));
    }
}

TEST_F(ImportEngineTest, OnlyCheckedKindsAndQuotedNames)
{
    const QString odd = QStringLiteral("D\"Q'x");
    addCard(*src, true, odd, QStringLiteral("r"), 2);
    addCard(*src, false, odd, QStringLiteral("r"), 4);
    addCard(*src, false, QStringLiteral("Giro"), QStringLiteral("r"), 1);

    Result r = CopyRaces(*src, *dst, false, true, Criterion::NoOverwrite, {});
    ASSERT_EQ(r.status, Result::Completed) << r.errorText.toStdString();
    EXPECT_TRUE(r.climbs.isEmpty());
    EXPECT_EQ(r.routes, (QStringList{odd, QStringLiteral("Giro")}));
    EXPECT_EQ(region(*dst, odd), QStringLiteral("<none>"));   // climbs were not checked

    r = CopyRaces(*src, *dst, true, true, Criterion::NoOverwrite, {});
    ASSERT_EQ(r.status, Result::Completed);
    EXPECT_EQ(r.climbs, QStringList{odd});
    EXPECT_TRUE(r.routes.isEmpty());
    EXPECT_EQ(heights(*dst, odd).size(), 2);
}

// A card is found as the destination's key finds it: letters A to Z without
// regard to case, every other character as it is.
TEST_F(ImportEngineTest, NamesCompareAsTheKeyDoes)
{
    const QString accented = QString::fromUtf8("\u00c9conomie"), lower = QString::fromUtf8("\u00e9conomie");
    addCard(*dst, true, QStringLiteral("PASSO STELVIO"), QStringLiteral("own"), 2, 100);
    addCard(*dst, true, lower, QStringLiteral("own"), 0);
    addCard(*src, true, QStringLiteral("Passo Stelvio"), QStringLiteral("src"), 3, 1000);
    addCard(*src, true, accented, QStringLiteral("src"), 1, 1000);

    Result r = CopyRaces(*src, *dst, true, false, Criterion::NoOverwrite, {});
    ASSERT_EQ(r.status, Result::Completed) << r.errorText.toStdString();
    EXPECT_EQ(r.climbs, QStringList{accented});   // a card of its own beside the lower-case one
    EXPECT_EQ(heights(*dst, QStringLiteral("Passo Stelvio")), (QList<int>{100, 101}));
    EXPECT_EQ(region(*dst, accented), QStringLiteral("src"));
    EXPECT_EQ(region(*dst, lower), QStringLiteral("own"));

    r = CopyRaces(*src, *dst, true, false, Criterion::OverwriteAll, {});
    ASSERT_EQ(r.status, Result::Completed) << r.errorText.toStdString();
    EXPECT_EQ(r.climbs, (QStringList{QStringLiteral("Passo Stelvio"), accented}));
    EXPECT_EQ(heights(*dst, QStringLiteral("passo stelvio")), (QList<int>{1000, 1001, 1002}));
    EXPECT_EQ(region(*dst, QStringLiteral("Passo Stelvio")), QStringLiteral("own"));
    EXPECT_EQ(heights(*dst, accented), QList<int>{1000});
    EXPECT_TRUE(heights(*dst, lower).isEmpty());
}

TEST_F(ImportEngineTest, AbortAndFailureLeaveDestinationAsBefore)
{
    addCard(*dst, true, QStringLiteral("Kept"), QStringLiteral("own"), 3);
    for (int i = 0; i < 10; ++i)
        addCard(*src, i % 2 == 0, QStringLiteral("Card %1").arg(i), QStringLiteral("r"), 20);
    addCard(*src, true, QStringLiteral("Kept"), QStringLiteral("src"), 5, 1000);
    const QString before = dump(*dst);
    const QString sourceBefore = dump(*src);

    int polls = 0;
    Callbacks cb;
    cb.shouldAbort = [&] { return ++polls > 60; };   // half-way through the climbs
    Result r = CopyRaces(*src, *dst, true, true, Criterion::OverwriteAll, cb);
    EXPECT_EQ(r.status, Result::Aborted);
    EXPECT_TRUE(r.climbs.isEmpty());
    EXPECT_TRUE(r.routes.isEmpty());
    EXPECT_EQ(dump(*dst), before);
    EXPECT_FALSE(dst->InTransaction());

    // A failure on the last route, after the climbs were written.
    dst->ExecuteScript(QStringLiteral("CREATE TRIGGER boom BEFORE INSERT ON CampioniPercorsi "
                                      "WHEN NEW.IDPercorso = 'Card 9' BEGIN SELECT RAISE(ABORT, 'refused'); END;"));
    const QString beforeFailure = dump(*dst);
    r = CopyRaces(*src, *dst, true, true, Criterion::OverwriteAll, {});
    EXPECT_EQ(r.status, Result::Failed);
    EXPECT_NE(r.errorNumber, 0);
    EXPECT_TRUE(r.climbs.isEmpty());
    EXPECT_EQ(dump(*dst), beforeFailure);
    EXPECT_EQ(dump(*src), sourceBefore);

    // The same run without the fault goes through; the source is never changed.
    dst->ExecuteScript(QStringLiteral("DROP TRIGGER boom;"));
    r = CopyRaces(*src, *dst, true, true, Criterion::OverwriteAll, {});
    ASSERT_EQ(r.status, Result::Completed);
    EXPECT_EQ(r.climbs.size(), 6);
    EXPECT_EQ(r.routes.size(), 5);
    EXPECT_EQ(heights(*dst, QStringLiteral("Kept")).first(), 1000);
    EXPECT_EQ(dump(*src), sourceBefore);
}

TEST(ImportLog, FormatAndFailure)
{
    QTemporaryDir dir;
    // The log goes through a folder held open, as the private folder is.
    const auto held = [](const QString &path) {
        return PrivateFolder(::open(QFile::encodeName(path).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC), path);
    };
    auto read = [&] {
        QFile f(QDir(dir.path()).filePath(ImportLogName));
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
    };
    ASSERT_TRUE(WriteImportLog(held(dir.path()), {}, {}));
    EXPECT_EQ(read(), QByteArray("\r\n"));
    ASSERT_TRUE(WriteImportLog(held(dir.path()), {QStringLiteral("Località"), QStringLiteral("D\"Q'x")}, {QStringLiteral("Giro")}));
    EXPECT_EQ(read(), QByteArray("Localit\xc3\xa0\r\nD\"Q'x\r\n\r\nGiro\r\n"));

    // A folder that cannot be written: false, and the previous log stays.
    QFile::setPermissions(dir.path(), QFileDevice::ReadOwner | QFileDevice::ExeOwner);
    const bool canStillWrite = QFile(dir.filePath("probe")).open(QIODevice::WriteOnly);   // root ignores modes
    if (!canStillWrite) {
        EXPECT_FALSE(WriteImportLog(held(dir.path()), {QStringLiteral("x")}, {}));
    }
    QFile::setPermissions(dir.path(), QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    EXPECT_FALSE(WriteImportLog(held(dir.filePath(QStringLiteral("missing/folder"))), {QStringLiteral("x")}, {}));
    EXPECT_EQ(read(), QByteArray("Localit\xc3\xa0\r\nD\"Q'x\r\n\r\nGiro\r\n"));
}

// An older source file without "Stato" and "image" is read as if they were
// empty; a card of more than 32,767 samples is copied whole.
TEST_F(ImportEngineTest, OlderSourceAndLongCards)
{
    src->ExecuteScript(QStringLiteral("ALTER TABLE CampioniSalite DROP COLUMN image;"
                                      "ALTER TABLE CampioniPercorsi DROP COLUMN image;"
                                      "ALTER TABLE [Dati Salite] DROP COLUMN Stato;"
                                      "ALTER TABLE [Dati Percorsi] DROP COLUMN Stato;"));
    addCard(*src, true, QStringLiteral("Old"), QStringLiteral("r"), 2);
    addCard(*src, false, QStringLiteral("Old route"), QStringLiteral("r"), 1);
    src->ExecuteScript(QStringLiteral(
        "INSERT INTO [Dati Salite] (IDPercorso, Lunghezza) VALUES ('Long', 400);"
        "WITH RECURSIVE n(i) AS (SELECT 0 UNION ALL SELECT i + 1 FROM n WHERE i < 39999) "
        "INSERT INTO CampioniSalite (IDPercorso, DistParz, Altezza) SELECT 'Long', i * 0.01, i % 3000 FROM n;"));
    const QString sourceBefore = dump(*src);

    const Result r = CopyRaces(*src, *dst, true, true, Criterion::NoOverwrite, {});
    ASSERT_EQ(r.status, Result::Completed) << r.errorText.toStdString();
    EXPECT_EQ(r.climbs, (QStringList{QStringLiteral("Old"), QStringLiteral("Long")}));
    EXPECT_EQ(r.routes, QStringList{QStringLiteral("Old route")});
    for (const char *sql : {"SELECT COUNT(*) FROM [Dati Salite] WHERE IDPercorso = 'Old' AND Stato = ''",
                            "SELECT COUNT(*) FROM [Dati Percorsi] WHERE IDPercorso = 'Old route' AND Stato = ''",
                            "SELECT COUNT(*) FROM CampioniPercorsi WHERE image = ''"}) {
        auto c = dst->openCursor(QLatin1String(sql));
        ASSERT_TRUE(c->next());
        EXPECT_EQ(c->value(0).toInt(), 1) << sql;
    }
    EXPECT_EQ(heights(*dst, QStringLiteral("Old")).size(), 2);
    const QList<int> longHeights = heights(*dst, QStringLiteral("Long"));
    ASSERT_EQ(longHeights.size(), 40000);
    EXPECT_EQ(longHeights.last(), 39999 % 3000);
    EXPECT_EQ(dump(*src), sourceBefore);
}

// A card the destination cannot hold (a name past its field size, from a
// source that did not check it) stops the run, and the reason names the
// card, cut to a length a message box shows at once; nothing is kept.
TEST_F(ImportEngineTest, AFailureNamesTheCard)
{
    const QString name = QStringLiteral("Passo ") + QString(400, QLatin1Char('x'));
    addCard(*src, true, QStringLiteral("Fine"), QStringLiteral("r"), 1);
    src->ExecuteScript(QStringLiteral("PRAGMA ignore_check_constraints = ON;"
                                      "INSERT INTO [Dati Salite] (IDPercorso, Lunghezza) VALUES ('%1', 3);"
                                      "PRAGMA ignore_check_constraints = OFF;")
                           .arg(name));
    const QString before = dump(*dst);
    const Result r = CopyRaces(*src, *dst, true, true, Criterion::NoOverwrite, {});
    ASSERT_EQ(r.status, Result::Failed);
    EXPECT_TRUE(r.errorText.endsWith(QStringLiteral(" \"") + name.left(60) + QChar(0x2026) + QLatin1Char('"')))
        << r.errorText.toStdString();
    EXPECT_EQ(dump(*dst), before);
}
