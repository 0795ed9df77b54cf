// Opening, creating, upgrading and closing database files.
#include "mainwindow_fixture.h"

#include "core/LangClient.h"

#include <QToolBar>

namespace {
QStringList IconNames(dao::Database &db)
{
    QStringList names;
    auto rs = db.OpenRecordset("SELECT IconName FROM Icons ORDER BY IconName");
    while (!rs->EOF_()) {
        names << rs->Value("IconName").toString();
        rs->MoveNext();
    }
    return names;
}

dao::DatabasePtr Reopen(const QString &path)
{
    return dao::OpenDatabase(path, true, false, dao::DefaultConnect());
}

bool HasField(dao::Database &db, const QString &table, const QString &field)
{
    for (const dao::FieldDef &f : db.TableDefinition(table).fields)
        if (f.name.compare(field, Qt::CaseInsensitive) == 0)
            return true;
    return false;
}

// A file of the current generation as older releases left it: five-field
// sample tables, no States, no Stato.
void MakeOlderFile(const QString &path)
{
    CreateFromTemplate(path);
    auto db = Reopen(path);
    for (const char *t : {"CampioniSalite", "CampioniPercorsi"})
        if (HasField(*db, t, "image"))
            db->Execute(QStringLiteral("ALTER TABLE [%1] DROP COLUMN [image]").arg(QLatin1String(t)));
    if (db->TableExists("States"))
        db->DeleteTable("States");
    for (const char *t : {"Dati Salite", "Dati Percorsi"})
        if (HasField(*db, t, "Stato"))
            db->Execute(QStringLiteral("ALTER TABLE [%1] DROP COLUMN [Stato]").arg(QLatin1String(t)));
    db->Close();
}
}

TEST_F(MainWindowTest, OpeningAMissingPathCreatesTheFileFromTheTemplate)
{
    MDIfrmBike &w = Start();
    const QString path = Docs("new climbs.mdb");
    EXPECT_EQ(OpenDb(path), 1);
    EXPECT_EQ(w.windowTitle(), QStringLiteral("Vettaro new climbs"));
    EXPECT_TRUE(w.IsToolbar2Visible());
    EXPECT_TRUE(w.MenuItem("mnuState")->isVisible());
    EXPECT_TRUE(w.MenuItem("mnusep3")->isVisible());
    EXPECT_TRUE(w.Toolbar1Button("XmlImport")->isEnabled());
    EXPECT_EQ(w.StatusPanelText(1), QLatin1Char(' ') + GetLangString(28020));
    EXPECT_EQ(w.RecentMenuCaptions(), QStringList{path});
    ASSERT_TRUE(CurrentDb && CurrentDb->IsOpen());
    EXPECT_EQ(IconNames(*CurrentDb), (QStringList{"church", "fountain", "summit"}));
    EXPECT_EQ(ImageList2.Keys().size(), 3);
    EXPECT_EQ(ImageList2.Picture("summit").size(), QSize(16, 16));
    EXPECT_TRUE(CurrentDb->TableExists("States"));
    EXPECT_TRUE(TestSupport::Script().shown.empty());

    w.mnuFileItem_Click(2);   // Close
    EXPECT_EQ(w.windowTitle(), QStringLiteral("Vettaro "));
    EXPECT_FALSE(w.IsToolbar2Visible());
    EXPECT_FALSE(w.MenuItem("mnuState")->isVisible());
    EXPECT_FALSE(w.Toolbar1Button("XmlImport")->isEnabled());
    EXPECT_EQ(ImageList2.Count(), 0);
    auto db = Reopen(path);
    EXPECT_FALSE(db->TableExists("Icons"));
}

TEST_F(MainWindowTest, AnOlderFileIsUpgradedOnce)
{
    const QString path = Docs("older.mdb");
    ASSERT_NO_THROW(MakeOlderFile(path));
    {
        auto db = Reopen(path);
        ASSERT_EQ(db->TableDefinition("CampioniSalite").FieldCount(), 5);
        db->Close();
    }
    for (int round = 0; round < 2; ++round) {
        ASSERT_NO_THROW(OpenDatabaseFile(path)) << round;
        for (const char *t : {"CampioniSalite", "CampioniPercorsi"}) {
            const dao::TableDef def = CurrentDb->TableDefinition(t);
            EXPECT_EQ(def.FieldCount(), 6) << t << " round " << round;
            EXPECT_TRUE(HasField(*CurrentDb, t, "image"));
        }
        const dao::TableDef states = CurrentDb->TableDefinition("States");
        ASSERT_EQ(states.FieldCount(), 1);
        EXPECT_EQ(states.fields[0].name, QStringLiteral("State"));
        EXPECT_FALSE(states.fields[0].allowZeroLength);
        EXPECT_TRUE(HasField(*CurrentDb, "Dati Salite", "Stato"));
        EXPECT_TRUE(HasField(*CurrentDb, "Dati Percorsi", "Stato"));
        CloseDb();
    }
    // The key of States refuses a second state of the same name.
    auto db = Reopen(path);
    db->Execute("INSERT INTO States (State) VALUES ('Italia')");
    EXPECT_THROW(db->Execute("INSERT INTO States (State) VALUES ('Italia')"), VbError);
}

// A file of an earlier version keeps its rows and takes the template's faster
// per-athlete summary at its next opening.
TEST_F(MainWindowTest, AnOlderSummaryQueryTakesTheTemplatesForm)
{
    const QString path = Docs("older summary.mdb");
    ASSERT_NO_THROW(MakeOlderFile(path));
    const auto viewText = [](dao::Database &db) {
        auto c = db.openCursor("SELECT sql FROM sqlite_master WHERE name = 'Riepilogo per Atleta'");
        return c->next() ? c->value(0).toString() : QString();
    };
    QString wanted;
    {
        auto db = Reopen(path);
        wanted = viewText(*db);
        db->ExecuteScript("DROP VIEW \"Riepilogo per Atleta\";"
                          "CREATE VIEW \"Riepilogo per Atleta\" AS SELECT \"IDPersonale\" FROM \"Dati Personali\";");
        db->Execute("INSERT INTO [Dati Personali] (IDPersonale, Cognome, Nome) VALUES ('A1', 'Rossi', 'Ada')");
        db->Close();
    }
    for (int round = 0; round < 2; ++round) {
        ASSERT_NO_THROW(OpenDatabaseFile(path)) << round;
        EXPECT_EQ(viewText(*CurrentDb), wanted) << round;
        auto rows = CurrentDb->openCursor("SELECT Cognome, ConteggioDiIDPercorso FROM [Riepilogo per Atleta]");
        ASSERT_TRUE(rows->next());
        EXPECT_EQ(rows->value(0).toString(), QStringLiteral("Rossi"));
        EXPECT_EQ(rows->value(1).toInt(), 0);
        CloseDb();
    }
}

TEST_F(MainWindowTest, FilesThatCannotBeOpenedAreReportedAndLeaveNothingOpen)
{
    const QString otherPassword = Docs("other.mdb");
    dao::CreateDatabase(otherPassword, ";PWD=another")->Close();

    const QString firstVersion = Docs("first.mdb");
    CreateFromTemplate(firstVersion);
    {
        auto db = Reopen(firstVersion);
        db->DeleteTable("CampioniSalite");
        db->Close();
    }
    const QString notADatabase = Docs("notes.mdb");
    {
        QFile f(notADatabase);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("These are my notes, not a database file at all.\n");
    }

    struct Case {
        QString path;
        QString message;
        int style;
        QString title;
    } cases[] = {
        {otherPassword, GetLangString(28008), 16, GetLangString(28009)},
        {firstVersion, GetLangString(28012) + "\n" + GetLangString(28013), 16, QStringLiteral("Vettaro")},
        {notADatabase, GetLangString(28010), 16, GetLangString(28011)},
    };
    MDIfrmBike &w = Start();
    for (const Case &c : cases) {
        auto &script = TestSupport::ResetScript();
        const QByteArray before = [&] { QFile f(c.path); f.open(QIODevice::ReadOnly); return f.readAll(); }();
        EXPECT_EQ(OpenDb(c.path), 0) << c.path.toStdString();
        ASSERT_EQ(script.shown.size(), 1u) << c.path.toStdString();
        EXPECT_EQ(script.shown[0].text, c.message);
        EXPECT_EQ(script.shown[0].style, c.style);
        EXPECT_EQ(script.shown[0].title, c.title);
        EXPECT_EQ(w.windowTitle(), QStringLiteral("Vettaro "));
        EXPECT_FALSE(w.IsToolbar2Visible());
        EXPECT_FALSE(CurrentDb && CurrentDb->IsOpen());
        EXPECT_TRUE(w.RecentMenuCaptions().isEmpty());
        EXPECT_EQ(ImageList2.Count(), 0);
        // Nothing stays locked: the file can be opened again at once.
        if (c.path == firstVersion) {
            EXPECT_NO_THROW(Reopen(c.path)->Close());
            QFile f(c.path);
            f.open(QIODevice::ReadOnly);
            EXPECT_EQ(f.readAll(), before) << "a first-version file is left unchanged";
        }
    }
}

TEST_F(MainWindowTest, IconFilesNamedWithANumberAreListedWithoutPicture)
{
    QFile::copy(ProgramPath("Icons/summit.ico"), ProgramPath("Icons/1234.ico"));
    QFile junk(ProgramPath("Icons/broken.ico"));
    ASSERT_TRUE(junk.open(QIODevice::WriteOnly));
    junk.write("no icon in here");
    junk.close();
    QFile::copy(ProgramPath("Icons/church.ico"), ProgramPath("Icons/Church2.ICO"));   // key in lower case
    QFile::copy(ProgramPath("Icons/church.ico"), ProgramPath("Icons/church.png"));    // not an icon file
    // A name longer than the IconName field: that icon is skipped, the opening goes on.
    const QString tooLong = QString(251, QLatin1Char('x'));
    ASSERT_TRUE(QFile::copy(ProgramPath("Icons/church.ico"), ProgramPath("Icons/" + tooLong + ".ico")));
    ASSERT_NO_THROW(OpenDatabaseFile(Docs("icons.mdb")));
    EXPECT_FALSE(ImageList2.Contains(tooLong));
    EXPECT_EQ(IconNames(*CurrentDb), (QStringList{"1234", "church", "church2", "fountain", "summit"}));
    EXPECT_FALSE(ImageList2.Contains("1234"));
    EXPECT_EQ(ImageList2.Keys().size(), 4);
    EXPECT_TRUE(ImageList2.Contains("church2"));
}

TEST_F(MainWindowTest, MissingTemplateIsADataError)
{
    QFile::remove(ProgramPath("ZidoVodu.dat"));
    MDIfrmBike &w = Start();
    EXPECT_EQ(OpenDb(Docs("nothing.mdb")), 0);
    ASSERT_EQ(TestSupport::Script().messages().size(), 1);
    EXPECT_TRUE(TestSupport::Script().messages()[0].startsWith("Error 53: "));
    EXPECT_EQ(TestSupport::Script().shown[0].style, 48);
    EXPECT_FALSE(QFile::exists(Docs("nothing.mdb")));
    EXPECT_EQ(w.windowTitle(), QStringLiteral("Vettaro "));
}

TEST_F(MainWindowTest, NewReplacesAConfirmedFileWithAnEmptyDatabase)
{
    const QString path = Docs("full.mdb");
    ASSERT_NO_THROW(OpenDatabaseFile(path));
    CurrentDb->Execute("INSERT INTO States (State) VALUES ('Italia')");
    CloseDb();

    QFile(Docs("Vettarodb1.mdb")).open(QIODevice::WriteOnly);
    MDIfrmBike &w = Start();
    TestSupport::Script().files.push_back(path);
    w.mnuFileItem_Click(0);
    const auto &shown = TestSupport::Script().shown;
    ASSERT_FALSE(shown.empty());
    EXPECT_EQ(shown[0].kind, QStringLiteral("save"));
    EXPECT_EQ(shown[0].text, GetLangString(506));
    EXPECT_EQ(shown[0].request.initDir, QFileInfo(Docs("")).absolutePath());   // the documents folder
    EXPECT_EQ(shown[0].request.fileName, QStringLiteral("Vettarodb2"));
    EXPECT_EQ(shown[0].request.defaultExt, QStringLiteral("mdb"));
    EXPECT_EQ(w.windowTitle(), QStringLiteral("Vettaro full"));
    auto rs = CurrentDb->OpenRecordset("States");
    EXPECT_TRUE(rs->EOF_());
    EXPECT_EQ(GetSetting(AppName, "MDIfrmBike", "NewDbDir"), QFileInfo(path).absolutePath());
}

TEST_F(MainWindowTest, NewKeepsTheConfirmedFileWhenNoNewOneCanBeMade)
{
    const QString path = Docs("keep.mdb");
    ASSERT_NO_THROW(OpenDatabaseFile(path));
    CurrentDb->Execute("INSERT INTO States (State) VALUES ('Italia')");
    CloseDb();
    QFile::remove(ProgramPath("ZidoVodu.dat"));

    MDIfrmBike &w = Start();
    TestSupport::Script().files.push_back(path);
    w.mnuFileItem_Click(0);
    EXPECT_EQ(w.windowTitle(), QStringLiteral("Vettaro "));
    // The user learns why no new database was made.
    ASSERT_EQ(TestSupport::Script().messages().size(), 1);
    EXPECT_TRUE(TestSupport::Script().messages()[0].startsWith("Error 53: "));
    auto db = Reopen(path);
    auto rs = db->OpenRecordset("States");
    ASSERT_FALSE(rs->EOF_());
    EXPECT_EQ(rs->Value("State").toString(), QStringLiteral("Italia"));
}

TEST_F(MainWindowTest, CancelledOpenLeavesNoDatabaseOpen)
{
    MDIfrmBike &w = Start();
    ASSERT_EQ(OpenDb(Docs("a.mdb")), 1);
    TestSupport::Script().files.push_back(std::nullopt);
    w.mnuFileItem_Click(1);
    EXPECT_EQ(w.windowTitle(), QStringLiteral("Vettaro "));
    EXPECT_FALSE(w.IsToolbar2Visible());
    EXPECT_FALSE(CurrentDb->IsOpen());
    EXPECT_TRUE(TestSupport::Script().messages().isEmpty());
}

TEST_F(MainWindowTest, ShowDataErrorText)
{
    ShowDataError(VbError(3022, "The changes you requested were not successful."));
    ASSERT_EQ(TestSupport::Script().shown.size(), 1u);
    EXPECT_EQ(TestSupport::Script().shown[0].text,
              QStringLiteral("Error 3022: The changes you requested were not successful."));
    EXPECT_EQ(TestSupport::Script().shown[0].style, 48);
}

TEST_F(MainWindowTest, CaptionDropsTheExtensionWhateverItsLength)
{
    const struct {
        const char *path, *title;
    } cases[] = {{"/data/My climbs.mdb", "My climbs"}, {"/data/team.db", "team"},
                 {"/data/club.2026.sqlite", "club.2026"}, {"/data/riders", "riders"}, {"/data/.team", ".team"}};
    for (const auto &c : cases)
        EXPECT_EQ(FileTitle(QString::fromUtf8(c.path)), QString::fromUtf8(c.title)) << c.path;

    MDIfrmBike &w = Start();
    EXPECT_EQ(OpenDb(Docs("team.db")), 1);
    EXPECT_EQ(w.windowTitle(), QStringLiteral("Vettaro team"));
}
