// Opening, password, exclusivity, errors, relations, transactions and safety of values.
#include "dao_fixture.h"

#include "platform/files/Walk.h"

#include <QProcess>
#include <sqlite3.h>

#include <fcntl.h>
#include <unistd.h>

using namespace dao;

TEST_F(DaoTemplate, TemplateHoldsTablesQueriesAndIndexes)
{
    const QStringList tables = db->TableNames();
    for (const char *t : {"Dati Personali", "Dati Salite", "Dati Percorsi", "CampioniSalite", "CampioniPercorsi",
                          "Tempi Salita", "Tempi Allenamento", "States"})
        EXPECT_TRUE(tables.contains(QString::fromUtf8(t))) << t;
    EXPECT_FALSE(tables.contains("Icons"));
    EXPECT_EQ(db->QueryNames(), QStringList({"Riepilogo Salite", "Riepilogo Tempi Allenamento", "Riepilogo per Atleta"}));
    const TableDef samples = db->TableDefinition("campionisalite");
    ASSERT_EQ(samples.FieldCount(), 6);
    EXPECT_EQ(samples.fields[5].name, "image");
    EXPECT_EQ(samples.fields[5].size, 250);
    const TableDef states = db->TableDefinition("States");
    ASSERT_EQ(states.indexes.size(), 1);
    EXPECT_EQ(states.indexes[0].name, "keyState");
    EXPECT_TRUE(states.indexes[0].primary);
    EXPECT_FALSE(states.fields[0].allowZeroLength);
    auto rs = db->OpenRecordset("Dati Salite");
    EXPECT_TRUE(rs->EOF_() && rs->BOF());
    EXPECT_EQ(rs->Type(), dbOpenTable);
}

TEST_F(DaoTemplate, OpenErrors)
{
    db->Close();
    EXPECT_JET_ERROR(OpenDatabase(path(), true, false, ";PWD=wrong"), JetErr::NotValidPassword);
    EXPECT_JET_ERROR(OpenDatabase(path(), true, false, QString()), JetErr::NotValidPassword);
    EXPECT_JET_ERROR(OpenDatabase(path(), true, false, ";PWD=k#t7740p\u00a3%%w"), JetErr::NotValidPassword);
    EXPECT_JET_ERROR(OpenDatabase(tempPath("none.mdb")), JetErr::FileNotFound);

    QFile text(tempPath("text.mdb"));
    ASSERT_TRUE(text.open(QIODevice::WriteOnly));
    text.write("this is not a database at all, just some words");
    text.close();
    EXPECT_JET_ERROR(OpenDatabase(tempPath("text.mdb"), true, false, DefaultConnect()), JetErr::UnrecognizedFormat);

    // An SQLite file that is not one of ours.
    QProcess::execute("sqlite3", {tempPath("plain.db"), "CREATE TABLE t(a)"});
    if (QFile::exists(tempPath("plain.db")))
        EXPECT_JET_ERROR(OpenDatabase(tempPath("plain.db"), true, false, DefaultConnect()), JetErr::UnrecognizedFormat);

    // The connect key is read without regard to case.
    db = OpenDatabase(path(), true, false, QStringLiteral(";pwd=") + DatabasePassword);
    EXPECT_TRUE(db->IsOpen());
}

TEST_F(DaoTemplate, ExclusiveOpenRefusesASecondOpening)
{
    EXPECT_JET_ERROR(OpenDatabase(path(), true, false, DefaultConnect()), JetErr::FileInUse);
    EXPECT_JET_ERROR(OpenDatabase(path(), false, true, DefaultConnect()), JetErr::FileInUse);
    // Another process cannot read it either.
    QProcess p;
    p.start("sqlite3", {path(), "SELECT count(*) FROM sqlite_master"});
    if (p.waitForStarted(3000)) {
        p.waitForFinished(5000);
        EXPECT_NE(p.exitCode(), 0);
        EXPECT_TRUE(p.readAllStandardError().contains("locked"));
    }
    db->Close();
    auto again = OpenDatabase(path(), true, false, DefaultConnect());
    EXPECT_TRUE(again->IsOpen());
    again->Close();
}

TEST_F(DaoTemplate, ErrorNumbers)
{
    fill();
    EXPECT_JET_ERROR(db->Execute("INSERT INTO [Dati Salite] (IDPercorso) VALUES (\"STELVIO\")"), JetErr::DuplicateKey);
    EXPECT_JET_ERROR(db->OpenRecordset("No such table"), JetErr::TableNotFound);
    EXPECT_JET_ERROR(db->OpenRecordset("SELECT * FROM [Nowhere]"), JetErr::TableNotFound);
    EXPECT_JET_ERROR(db->Execute("INSERT INTO CampioniSalite (IDPercorso, DistParz) VALUES ('Nowhere', 1)"),
                     JetErr::RelatedRecordRequired);
    EXPECT_JET_ERROR(db->Execute("INSERT INTO States (State) VALUES ('')"), JetErr::ZeroLengthString);
    EXPECT_JET_ERROR(db->Execute("INSERT INTO [Dati Salite] (IDPercorso, Lunghezza) VALUES ('X', '12,5')"), 3421);
    EXPECT_JET_ERROR(db->Execute("UPDATE [Dati Salite] SET Regione = ?", 0, {QString(300, 'x')}), JetErr::FieldTooSmall);
    EXPECT_JET_ERROR(db->Execute("SELECT * FROM [Dati Salite]"), 3065);
    EXPECT_JET_ERROR(db->Execute("DELETE FROM [Dati Salite] WHERE"), JetErr::SyntaxErrorInQuery);
    EXPECT_JET_ERROR(db->OpenRecordset("SELECT NoColumn FROM [Dati Salite]"), JetErr::TooFewParameters);
    EXPECT_JET_ERROR(db->Execute("DELETE FROM States; DROP TABLE States"), 3142);
    // SQLite's fallback that reads "word" as text is off: below the Jet layer it is a name.
    EXPECT_JET_ERROR(db->ExecuteScript("INSERT INTO States (State) VALUES (\"Italia\")"), JetErr::TooFewParameters);
    auto rs = db->OpenRecordset("SELECT * FROM States");
    EXPECT_JET_ERROR(rs->MoveFirst(), JetErr::NoCurrentRecord);
    EXPECT_JET_ERROR(rs->Value("State"), JetErr::NoCurrentRecord);
    EXPECT_JET_ERROR(rs->Edit(), JetErr::NoCurrentRecord);
    EXPECT_JET_ERROR(rs->Update(), JetErr::UpdateWithoutEdit);
    EXPECT_JET_ERROR(rs->Value("Nope"), JetErr::ItemNotFound);
    // A second State of the same text, in another case, is refused by keyState.
    db->Execute("INSERT INTO States (State) VALUES ('Italia')");
    EXPECT_JET_ERROR(db->Execute("INSERT INTO States (State) VALUES ('ITALIA')"), JetErr::DuplicateKey);
    rs->Close();
    EXPECT_JET_ERROR(rs->MoveFirst(), JetErr::ObjectClosed);
}

TEST_F(DaoTemplate, DeletingAClimbCascadesToSamplesAndTimes)
{
    fill();
    auto count = [&](const QString &sql) { return db->OpenRecordset(sql)->Value(0).toInt(); };
    ASSERT_EQ(count("SELECT COUNT(*) FROM CampioniSalite WHERE IDPercorso = 'Stelvio'"), 3);
    auto rs = db->OpenRecordset("Dati Salite");
    rs->FindFirst("[IDPercorso] = \"stelvio\"");
    ASSERT_FALSE(rs->NoMatch());
    rs->Delete();
    EXPECT_EQ(count("SELECT COUNT(*) FROM CampioniSalite WHERE IDPercorso = 'Stelvio'"), 0);
    EXPECT_EQ(count("SELECT COUNT(*) FROM [Tempi Salita] WHERE IDPercorso = 'Stelvio'"), 0);
    EXPECT_EQ(count("SELECT COUNT(*) FROM CampioniSalite"), 1);      // Mortirolo's sample stays
    EXPECT_EQ(count("SELECT COUNT(*) FROM [Tempi Salita]"), 1);
    // Deleting an athlete removes his times of both kinds.
    db->Execute("DELETE * FROM [Dati Personali] WHERE IDPersonale = \"a1\"");
    EXPECT_EQ(count("SELECT COUNT(*) FROM [Tempi Salita]"), 0);
    EXPECT_EQ(count("SELECT COUNT(*) FROM [Tempi Allenamento]"), 0);
}

TEST_F(DaoTemplate, NamesAndValuesMatchWithoutRegardToCase)
{
    fill();
    auto rs = db->OpenRecordset("select quotainiziale, [LOCALITÀ], QuotaFinale from [dati salite] where idpercorso = 'STELVIO'");
    ASSERT_FALSE(rs->EOF_());
    EXPECT_EQ(rs->Value("QuotaIniziale").toInt(), 500);
    EXPECT_EQ(rs->Value("Quotainiziale").toInt(), 500);
    EXPECT_EQ(rs->Value("località").toString(), "Bormio");
    EXPECT_EQ(rs->Value("quotafinale").toInt(), 1500);
    auto tab = db->OpenRecordset("DATI SALITE", dbOpenDynaset);
    tab->FindFirst("[Località] Like 'bor*'");
    EXPECT_FALSE(tab->NoMatch());
    EXPECT_EQ(tab->Value("IDPercorso").toString(), "Stelvio");
    auto ordered = db->OpenRecordset("SELECT IDPercorso FROM [Dati Salite] ORDER BY IDPercorso");
    EXPECT_EQ(ordered->Value(0).toString(), "Mortirolo");
}

TEST_F(DaoTemplate, ValuesCannotChangeAStatementsMeaning)
{
    fill();
    // A value bound as a parameter, or quoted by SqlLiteral, is only ever a value.
    const QStringList hostile = {"x' OR '1'='1", "O\"Neil", "IDPercorso", "Note", "'); DELETE FROM [Dati Salite]; --"};
    for (const QString &v : hostile) {
        auto rs = db->OpenRecordset("SELECT * FROM [Dati Salite] WHERE IDPercorso = ?", dbOpenSnapshot, 0, {v});
        EXPECT_TRUE(rs->EOF_()) << v.toStdString();
        auto lit = db->OpenRecordset("SELECT * FROM [Dati Salite] WHERE IDPercorso = " + SqlLiteral(v));
        EXPECT_TRUE(lit->EOF_()) << v.toStdString();
        db->Execute("INSERT INTO States (State) VALUES (?)", 0, {v});
    }
    auto states = db->OpenRecordset("SELECT State FROM States");
    QStringList stored;
    for (; !states->EOF_(); states->MoveNext()) stored << states->Value("State").toString();
    EXPECT_EQ(stored, hostile);
    EXPECT_EQ(db->OpenRecordset("SELECT COUNT(*) FROM [Dati Salite]")->Value(0).toInt(), 2);
    // A criteria parameter holding quotes finds the row with exactly that text.
    states->FindFirst("[State] = ?", {hostile[1]});
    ASSERT_FALSE(states->NoMatch());
    EXPECT_EQ(states->Value("State").toString(), hostile[1]);
}

TEST_F(DaoTemplate, RolledBackTransactionLeavesNothing)
{
    db->BeginTrans();
    db->Execute("INSERT INTO [Dati Salite] (IDPercorso) VALUES ('Gavia')");
    auto rs = db->OpenRecordset("CampioniSalite", dbOpenDynaset);
    rs->AddNew();
    rs->SetValue("IDPercorso", "Gavia");
    rs->SetValue("DistParz", 1.5);
    rs->Update();
    db->Rollback();
    EXPECT_TRUE(db->OpenRecordset("SELECT * FROM [Dati Salite]")->EOF_());
    EXPECT_TRUE(db->OpenRecordset("SELECT * FROM CampioniSalite")->EOF_());
    EXPECT_JET_ERROR(db->CommitTrans(), 3034);

    // The workspace spans every open database; a commit keeps the rows.
    Workspace::Default().BeginTrans();
    db->Execute("INSERT INTO [Dati Salite] (IDPercorso) VALUES ('Gavia')");
    Workspace::Default().CommitTrans();
    EXPECT_FALSE(db->OpenRecordset("SELECT * FROM [Dati Salite]")->EOF_());
    Workspace::Default().BeginTrans();
    db->Execute("DELETE FROM [Dati Salite]");
    Workspace::Default().Rollback();
    EXPECT_FALSE(db->OpenRecordset("SELECT * FROM [Dati Salite]")->EOF_());
}

TEST_F(DaoTemplate, TableDefinitionsCreateAppendDelete)
{
    TableDef icons;
    icons.name = "Icons";
    icons.fields << FieldDef{"IconName", dbText, 250, true};
    db->CreateTable(icons);
    EXPECT_JET_ERROR(db->CreateTable(icons), JetErr::TableExists);
    auto rs = db->OpenRecordset("Icons");
    rs->AddNew();
    rs->SetValue("iconname", "");
    rs->Update();
    EXPECT_EQ(db->TableDefinition("Icons").fields[0].type, dbText);
    db->DeleteTable("Icons");
    EXPECT_FALSE(db->TableExists("Icons"));
    EXPECT_JET_ERROR(db->DeleteTable("Icons"), JetErr::TableNotFound);

    db->AppendField("Dati Salite", FieldDef{"Extra", dbInteger});
    EXPECT_JET_ERROR(db->AppendField("Dati Salite", FieldDef{"extra", dbText, 10}), JetErr::FieldDefinedTwice);
    EXPECT_EQ(db->TableDefinition("Dati Salite").fields.last().name, "Extra");

    TableDef keyed;
    keyed.name = "Keyed";
    keyed.fields << FieldDef{"K", dbText, 20, false};
    keyed.indexes << IndexDef{"keyK", {"K"}, true, true};
    db->CreateTable(keyed);
    EXPECT_JET_ERROR(db->Execute("INSERT INTO Keyed (K) VALUES (NULL)"), JetErr::FieldIsRequired);
    db->Execute("INSERT INTO Keyed (K) VALUES ('a')");
    EXPECT_JET_ERROR(db->Execute("INSERT INTO Keyed (K) VALUES ('A')"), JetErr::DuplicateKey);
    EXPECT_TRUE(db->TableDefinition("keyed").indexes[0].primary);
}

TEST_F(DaoTemplate, FailedCreateTableLeavesNoTableInOrOutOfATransaction)
{
    // The index names a field the table lacks: the table itself is made
    // before the index fails, and must go with it.
    TableDef broken;
    broken.name = "Broken";
    broken.fields << FieldDef{"K", dbText, 20, false};
    broken.indexes << IndexDef{"keyMissing", {"Missing"}, false, false};

    EXPECT_THROW(db->CreateTable(broken), VbError);
    EXPECT_FALSE(db->TableExists("Broken"));

    // A caller that goes on after the error and commits keeps its own work,
    // and no table without its index.
    db->BeginTrans();
    db->Execute("INSERT INTO [Dati Salite] (IDPercorso) VALUES ('Gavia')");
    EXPECT_THROW(db->CreateTable(broken), VbError);
    EXPECT_TRUE(db->InTransaction());
    db->CommitTrans();
    EXPECT_FALSE(db->TableExists("Broken"));
    EXPECT_FALSE(db->OpenRecordset("SELECT * FROM [Dati Salite]")->EOF_());
    broken.indexes.clear();
    db->CreateTable(broken);
    EXPECT_TRUE(db->TableExists("Broken"));
}

TEST(DaoFiles, CreateCompactAndRepair)
{
    QTemporaryDir dir;
    const QString a = dir.filePath("a.mdb"), b = dir.filePath("b.mdb");
    {
        auto db = CreateDatabase(a, ";PWD=secret");
        db->ExecuteScript("CREATE TABLE t (x INTEGER); INSERT INTO t VALUES (1), (2);");
        EXPECT_JET_ERROR(CreateDatabase(a, ";PWD=secret"), 3204);
    }
    EXPECT_JET_ERROR(CompactDatabase(a, b, DefaultConnect()), JetErr::NotValidPassword);
    CompactDatabase(a, b, ";PWD=secret");
    auto db = OpenDatabase(b, true, false, ";PWD=secret");
    EXPECT_EQ(db->OpenRecordset("SELECT sum(x) FROM t")->Value(0).toInt(), 3);
    db->Close();
    RepairDatabase(b);
    EXPECT_JET_ERROR(RepairDatabase(dir.filePath("none.mdb")), JetErr::FileNotFound);
}

namespace {
// Zeroes every index leaf page of the file that holds needle; returns how many.
int ZeroIndexPages(const QString &path, const QByteArray &needle)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadWrite))
        return 0;
    QByteArray data = f.readAll();
    const int pageSize = (uchar(data[16]) << 8) | uchar(data[17]);
    int zeroed = 0;
    for (qsizetype page = pageSize; page < data.size(); page += pageSize)
        if (uchar(data[page]) == 0x0A && data.mid(page, pageSize).contains(needle)) {
            data.replace(page, pageSize, QByteArray(pageSize, '\0'));
            ++zeroed;
        }
    f.seek(0);
    f.write(data);
    return zeroed;
}

int Count(const DatabasePtr &d, const QString &sql)
{
    auto rs = d->OpenRecordset(sql, dbOpenSnapshot);
    return rs->Value(0).toInt();
}
} // namespace

// Index pages too damaged for REINDEX: the file is rebuilt from its tables,
// with its password, stored queries, relations, triggers and counters.
TEST_F(DaoTemplate, RepairRebuildsAFileWhoseIndexPagesAreGone)
{
    fill();
    db->ExecuteScript("CREATE TABLE log (id INTEGER PRIMARY KEY AUTOINCREMENT, x TEXT);"
                      "CREATE TRIGGER logClimbs AFTER INSERT ON [Dati Salite] BEGIN INSERT INTO log (x) VALUES (new.IDPercorso); END;");
    db->Execute("INSERT INTO [Dati Salite] (IDPercorso) VALUES ('Gavia')");
    db->Close();
    db.reset();
    EXPECT_FALSE(RepairDatabase(path())) << "a healthy file is left alone";
    ASSERT_GT(ZeroIndexPages(path(), "Stelvio"), 0);

    EXPECT_TRUE(RepairDatabase(path()));
    db = OpenDatabase(path(), true, false, DefaultConnect());
    EXPECT_EQ(Count(db, "SELECT COUNT(*) FROM [Dati Salite]"), 3);
    EXPECT_EQ(Count(db, "SELECT COUNT(*) FROM CampioniSalite WHERE IDPercorso = 'Stelvio'"), 3);
    EXPECT_EQ(Count(db, "SELECT COUNT(*) FROM [Tempi Salita] WHERE IDPercorso = 'Stelvio'"), 3);
    EXPECT_EQ(Count(db, "SELECT COUNT(*) FROM [Riepilogo Salite]"), 4);
    EXPECT_EQ(Count(db, "SELECT COUNT(*) FROM log"), 1) << "the copy fired no trigger";
    EXPECT_EQ(db->QueryNames(), QStringList({"Riepilogo Salite", "Riepilogo Tempi Allenamento", "Riepilogo per Atleta"}));
    EXPECT_JET_ERROR(db->Execute("INSERT INTO [Dati Salite] (IDPercorso) VALUES ('stelvio')"), JetErr::DuplicateKey);
    EXPECT_JET_ERROR(db->Execute("INSERT INTO CampioniSalite (IDPercorso, DistParz, Altezza) VALUES ('Nowhere', 1, 1)"),
                     JetErr::RelatedRecordRequired);
    db->Execute("INSERT INTO [Dati Salite] (IDPercorso) VALUES ('Zoncolan')");
    EXPECT_EQ(Count(db, "SELECT MAX(id) FROM log"), 2) << "the trigger and the counter go on";
    db->Close();
    EXPECT_JET_ERROR(OpenDatabase(path(), true, true, ";PWD=other"), JetErr::NotValidPassword);
}

// A file reached through a link (relative, from another folder) is rebuilt
// where it lies: the link stays a link to it, and the rebuilt file keeps its
// mode, with no working copy left beside either.
TEST_F(DaoTemplate, RepairThroughALinkRebuildsTheFileItNames)
{
    fill();
    db->Close();
    db.reset();
    ASSERT_GT(ZeroIndexPages(path(), "Stelvio"), 0);
    const QString folder = tempPath("links");
    ASSERT_TRUE(QDir().mkpath(folder));
    const QString link = folder + "/club.mdb";
    ASSERT_TRUE(QFile::link("../test.mdb", link));
    ASSERT_TRUE(QFile::setPermissions(path(), QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadGroup));
    const QFileDevice::Permissions mode = QFile::permissions(path());

    EXPECT_TRUE(RepairDatabase(link));
    EXPECT_EQ(QFileInfo(link).symLinkTarget(), QFileInfo(path()).absoluteFilePath());
    EXPECT_TRUE(QFileInfo(link).isSymLink());
    EXPECT_EQ(QFile::permissions(path()), mode);
    EXPECT_FALSE(RepairDatabase(path())) << "the file the link names is the one repaired";
    EXPECT_EQ(QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot),
              QStringList{"club.mdb"});
    EXPECT_EQ(QDir(QFileInfo(path()).absolutePath()).entryList({".*"}, QDir::Files | QDir::Hidden), QStringList());
}

// A file opened by its name through a folder handle, as the tools open the
// file they found, stays in the folder the handle holds once the folder's
// path leads elsewhere: a repair rebuilds it there, and the journal of a
// write is made there, never where the old path leads now.
TEST_F(DaoTemplate, ANameThroughAFolderHandleStaysInThatFolder)
{
    fill();
    db->Close();
    db.reset();
    const QString folder = tempPath("found"), moved = tempPath("moved");
    ASSERT_TRUE(QDir().mkpath(folder));
    ASSERT_TRUE(QFile::copy(path(), folder + "/club.mdb"));
    const int fd = ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    ASSERT_GE(fd, 0);
    const QString name = files::ThroughHandle(fd, "club.mdb");
    {
        DatabasePtr opened = OpenDatabase(name, false, false, DefaultConnect());
        ASSERT_EQ(::rename(QFile::encodeName(folder).constData(), QFile::encodeName(moved).constData()), 0);
        ASSERT_TRUE(QFile::link(tempPath("nowhere"), folder));
        opened->Execute("INSERT INTO [Dati Salite] (IDPercorso) VALUES ('Zoncolan')");
        opened->Close();
    }
    ASSERT_GT(ZeroIndexPages(moved + "/club.mdb", "Stelvio"), 0);
    EXPECT_TRUE(RepairDatabase(name));
    ::close(fd);
    db = OpenDatabase(moved + "/club.mdb", true, true, DefaultConnect());
    EXPECT_EQ(Count(db, "SELECT COUNT(*) FROM [Dati Salite] WHERE IDPercorso IN ('Stelvio', 'Zoncolan')"), 2);
    EXPECT_EQ(QDir(moved).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot),
              QStringList{"club.mdb"});
    EXPECT_FALSE(QFileInfo::exists(tempPath("nowhere")));
}

// A damaged file is reported by the name the user chose, whichever step of
// opening or reading meets the damage, never by the statement that met it.
TEST_F(DaoTemplate, DamagedFilesAreNamedInTheError)
{
    db->Close();
    QFile original(path());
    ASSERT_TRUE(original.open(QIODevice::ReadOnly));
    const QByteArray good = original.readAll();
    original.close();
    ASSERT_GT(good.size(), 8192);
    // The root page of a table the opening does not read: its damage shows only
    // when the table is read.
    qsizetype tablePage = 0;
    {
        sqlite3 *h = nullptr;
        ASSERT_EQ(sqlite3_open_v2(QFile::encodeName(path()).constData(), &h, SQLITE_OPEN_READONLY, nullptr), SQLITE_OK);
        sqlite3_stmt *st = nullptr;
        sqlite3_prepare_v2(h, "SELECT rootpage FROM sqlite_master WHERE name = 'CampioniSalite'", -1, &st, nullptr);
        ASSERT_EQ(sqlite3_step(st), SQLITE_ROW);
        tablePage = (sqlite3_column_int(st, 0) - 1) * 4096;
        sqlite3_finalize(st);
        sqlite3_close(h);
    }

    struct Case { const char *what; qsizetype from, to; bool truncate; };
    const Case cases[] = {
        {"schema page", 120, 900, false},
        {"page size in the header", 16, 18, false},
        {"second page", 4096 + 8, 4096 + 400, false},
        {"cut short", 0, 0, true},
        {"whole body", 100, good.size(), false},
        {"a table's page", tablePage, tablePage + 4096, false},
    };
    for (const Case &c : cases) {
        QByteArray bytes = good;
        if (c.truncate)
            bytes.truncate(good.size() / 3);
        for (qsizetype i = c.from; i < c.to; ++i)
            bytes[i] = char((i * 37 + 11) & 0xff);
        const QString file = tempPath(QStringLiteral("damaged %1.mdb").arg(c.what));
        QFile f(file);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(bytes);
        f.close();
        for (const int how : {0, 1, 2}) {
            try {
                if (how == 2) {
                    RepairDatabase(file, DefaultConnect());
                    continue;
                }
                DatabasePtr opened = OpenDatabase(file, how == 0, how == 1, DefaultConnect());
                // Opened: the damage shows when the tables are read.
                for (const QString &table : opened->TableNames()) {
                    RecordsetPtr rs = opened->OpenRecordset(table, dbOpenSnapshot);
                    while (!rs->AtEOF())
                        rs->MoveNext();
                }
                opened->Close();
            } catch (const VbError &e) {
                const std::string why = std::string(c.what) + ": " + e.Description().toStdString();
                if (e.Number() == JetErr::CannotOpen || e.Number() == JetErr::UnrecognizedFormat) {
                    EXPECT_TRUE(e.Description().contains(file)) << why;
                    EXPECT_FALSE(e.Description().contains("SELECT", Qt::CaseInsensitive)) << why;
                } else {
                    ADD_FAILURE() << "error " << e.Number() << " for " << why;
                }
            }
        }
    }
}

// Number fields refuse text and blobs by a check on typeof(). Files made by
// earlier versions hold the check as IN ('integer','real','null'); new tables
// get a faster form that must accept and refuse exactly the same values,
// including texts the column's affinity turns into numbers.
TEST_F(DaoTemplate, NumberFieldChecksAcceptWhatTheEarlierFormAccepted)
{
    const struct { FieldType type; const char *decl; } columns[] = {
        {dbBoolean, "BIT"}, {dbByte, "TINYINT"}, {dbInteger, "SMALLINT"}, {dbLong, "INTEGER"},
        {dbCurrency, "CURRENCY"}, {dbSingle, "FLOAT"}, {dbDouble, "DOUBLE"}};
    const struct { QVariant value; int mustAccept; } values[] = {   // 1 accepted, 0 refused, -1 either
        {42, 1}, {qlonglong(1) << 40, 1}, {-2.5, 1}, {QVariant(), 1}, {QString("abc"), 0}, {QString(""), 0},
        {QByteArray("\x01\x02", 2), 0}, {QByteArray("12"), 0}, {QString("12"), -1}, {QString("1.5"), -1},
        {QString(" 7 "), -1}, {QString("1e3"), -1}, {QString("0x10"), -1}, {QString("12abc"), -1}};
    for (const auto &c : columns) {
        const QString fresh = QStringLiteral("New%1").arg(c.decl), old = QStringLiteral("Old%1").arg(c.decl);
        TableDef def;
        def.name = fresh;
        def.fields << FieldDef{"V", c.type};
        db->CreateTable(def);
        db->ExecuteScript(QStringLiteral("CREATE TABLE \"%1\" (\"V\" %2 CONSTRAINT \"type:V\" "
                                         "CHECK (typeof(\"V\") IN ('integer','real','null')))").arg(old, c.decl));
        for (const auto &v : values) {
            auto accepts = [&](const QString &table) {
                try {
                    db->Execute(QStringLiteral("INSERT INTO [%1] (V) VALUES (?)").arg(table), 0, {v.value});
                    return true;
                } catch (const VbError &e) {
                    EXPECT_EQ(e.Number(), 3421) << e.Description().toStdString();
                    return false;
                }
            };
            const bool before = accepts(old), now = accepts(fresh);
            const std::string what = std::string(c.decl) + " " + v.value.toString().toStdString();
            EXPECT_EQ(now, before) << what;
            if (v.mustAccept >= 0) {
                EXPECT_EQ(now, v.mustAccept == 1) << what;
            }
        }
        // Every accepted value is stored alike.
        auto stored = [&](const QString &table) {
            QStringList rows;
            auto rs = db->OpenRecordset(QStringLiteral("SELECT typeof(V) AS k, quote(V) AS q FROM [%1] ORDER BY rowid").arg(table));
            for (; !rs->EOF_(); rs->MoveNext())
                rows << rs->Value("k").toString() + QLatin1Char(' ') + rs->Value("q").toString();
            return rows;
        };
        EXPECT_EQ(stored(fresh), stored(old)) << c.decl;
    }

    // New files carry the faster form only.
    auto rs = db->OpenRecordset("SELECT COUNT(*) AS n FROM sqlite_master WHERE instr(sql, 'IN (''integer'',''real'',''null'')') > 0");
    EXPECT_EQ(rs->Value("n").toInt(), 7);   // the earlier-form tables made above, nothing of the template
}
