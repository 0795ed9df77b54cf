// Start-up and shutdown of the main window.
#include "mainwindow_fixture.h"

#include "core/HelpWindow.h"
#include "core/LangClient.h"
#include "platform/com/ComRegistry.h"

#include <QFontDatabase>
#include <QLabel>
#include <QMenu>
#include <QToolBar>

TEST_F(MainWindowTest, FirstStartWithoutSettings)
{
    MDIfrmBike &w = Start();
    EXPECT_EQ(w.windowTitle(), QStringLiteral("Vettaro "));
    EXPECT_FALSE(w.IsDatabaseOpen());
    EXPECT_FALSE(w.Toolbar1()->isHidden());
    EXPECT_TRUE(w.MenuItem("mnuBar(1)")->isChecked());
    EXPECT_FALSE(w.IsToolbar2Visible());
    EXPECT_EQ(w.StatusPanelText(1), QLatin1Char(' ') + GetLangString(28020));
    EXPECT_TRUE(GetSettingKeys(AppName, "Settings").contains("Language", Qt::CaseInsensitive));
    // Closed database: its commands are off.
    EXPECT_FALSE(w.MenuItem("mnuState")->isVisible());
    EXPECT_FALSE(w.MenuItem("mnuXmlImport")->isVisible());
    EXPECT_FALSE(w.Toolbar1Button("HrImport")->isEnabled());
    EXPECT_FALSE(w.Toolbar1Button("WebImport")->isEnabled());
    // Texts come from the language client.
    EXPECT_EQ(w.Toolbar1Button("New")->toolTip(), GetLangString(101));
    EXPECT_EQ(w.MenuItem("mnuFileItem(1)")->text(), GetLangString(129));
    EXPECT_EQ(w.Menu("mnuLangMain")->title(), QLatin1Char('&') + GetLangString(166));
    EXPECT_TRUE(w.RecentMenuCaptions().isEmpty());
    EXPECT_FALSE(w.MenuItem("mnuRecent(0)")->isVisible());
}

// Alt and a letter opens each menu of the bar in every language: no two menus
// share their letter (in German "Datei" and "Datensatz" both begin with D).
TEST_F(MainWindowTest, MenuBarLettersAreDistinctInEveryLanguage)
{
    MDIfrmBike &w = Start();
    Com::SetMachineRegistryFile(QDir(TestSupport::BinDir()).filePath(QStringLiteral("com-registry.ini")));
    LoadLanguages(TestSupport::BinDir());
    for (const char *lang : {"1033", "1031", "1036", "1040", "3082"}) {
        ASSERT_EQ(SelectLanguage(QLatin1String(lang), QStringLiteral("1033")), QLatin1String(lang));
        w.UpdateControls();
        QStringList letters;
        const struct {
            const char *name;
            int id;
        } bar[] = {{"mnuFile", 127}, {"mnuStrums", 135}, {"mnuTools", 148}, {"mnuLangMain", 166}, {"mnuHelps", 155}};
        for (const auto &m : bar) {
            const QString title = w.Menu(QLatin1String(m.name))->title();
            const int at = title.indexOf(QLatin1Char('&'));
            ASSERT_GE(at, 0) << lang << " " << m.name;
            EXPECT_EQ(QString(title).remove(at, 1), GetLangString(m.id)) << lang;
            letters << title.mid(at + 1, 1).toLower();
        }
        EXPECT_EQ(letters.removeDuplicates(), 0) << lang << ": " << letters.join(QLatin1Char(' ')).toStdString();
    }
    // The first menu keeps its first letter.
    EXPECT_TRUE(w.Menu(QStringLiteral("mnuFile"))->title().startsWith(QLatin1Char('&')));
    ResetLanguages();
    Com::SetMachineRegistryFile(QString());
}

TEST_F(MainWindowTest, ToolbarChoiceSurvivesARestart)
{
    {
        MDIfrmBike &w = Start();
        w.mnuBar_Click(1);
        EXPECT_TRUE(w.Toolbar1()->isHidden());
        EXPECT_FALSE(w.MenuItem("mnuBar(1)")->isChecked());
        Stop();
    }
    EXPECT_EQ(GetSetting(AppName, "Settings", "MDIfrmBikeToolbarvis"), QStringLiteral("0"));
    {
        MDIfrmBike &w = Start();
        EXPECT_TRUE(w.Toolbar1()->isHidden());
        EXPECT_FALSE(w.MenuItem("mnuBar(1)")->isChecked());
        // The menu item toggles it back, as a click would.
        w.MenuItem("mnuBar(1)")->trigger();
        EXPECT_FALSE(w.Toolbar1()->isHidden());
        EXPECT_TRUE(w.MenuItem("mnuBar(1)")->isChecked());
        Stop();
    }
    EXPECT_EQ(GetSetting(AppName, "Settings", "MDIfrmBikeToolbarvis"), QStringLiteral("-1"));
}

TEST_F(MainWindowTest, CommandLineNamingNoFileOpensNothingSilently)
{
    MDIfrmBike &w = Start(Docs("missing.mdb"));
    EXPECT_EQ(w.windowTitle(), QStringLiteral("Vettaro "));
    EXPECT_FALSE(QFile::exists(Docs("missing.mdb")));
    EXPECT_TRUE(TestSupport::Script().shown.empty());
}

TEST_F(MainWindowTest, CommandLineFileIsOpened)
{
    ASSERT_NO_THROW(CreateFromTemplate(Docs("tour.mdb")));
    MDIfrmBike &w = Start(Docs("tour.mdb"));
    EXPECT_EQ(w.windowTitle(), QStringLiteral("Vettaro tour"));
    EXPECT_TRUE(w.IsToolbar2Visible());
    Stop();
    // Closing the program closed the file, which holds no icon table at rest.
    auto db = dao::OpenDatabase(Docs("tour.mdb"), true, false, dao::DefaultConnect());
    EXPECT_FALSE(db->TableExists("Icons"));
}

TEST_F(MainWindowTest, ARelativeCommandLineNamesAFileOfTheFolderStartedIn)
{
    // Started from another folder than the documents folder, with a file of
    // the same name in both: the one beside the starting folder is opened.
    const QString here = TempPath(QStringLiteral("trips"));
    ASSERT_TRUE(QDir().mkpath(here));
    ASSERT_NO_THROW(CreateFromTemplate(QDir(here).filePath(QStringLiteral("tour.mdb"))));
    ASSERT_NO_THROW(CreateFromTemplate(Docs("tour.mdb")));
    ASSERT_TRUE(QDir::setCurrent(TempPath(QString())));
    MDIfrmBike &w = Start(QStringLiteral("trips/tour.mdb"));
    EXPECT_EQ(w.windowTitle(), QStringLiteral("Vettaro tour"));
    ASSERT_TRUE(CurrentDb);
    EXPECT_EQ(QFileInfo(CurrentDb->Name()).canonicalFilePath(),
              QFileInfo(QDir(here).filePath(QStringLiteral("tour.mdb"))).canonicalFilePath());
    Stop();
}

TEST_F(MainWindowTest, ClosingWithoutADatabaseLeavesTheFileLayerAlone)
{
    Start();
    // A file opened behind the window's back: the caption still says no database.
    ASSERT_NO_THROW(OpenDatabaseFile(Docs("aside.mdb")));
    Stop();
    ASSERT_TRUE(CurrentDb);
    EXPECT_TRUE(CurrentDb->IsOpen());
    EXPECT_TRUE(CurrentDb->TableExists("Icons"));
}

TEST_F(MainWindowTest, FontIsInstalledForTheRunFromMemoryAndRemovedAtTheEnd)
{
    Start();
    EXPECT_TRUE(QFontDatabase::families().contains(QStringLiteral("LiquidCrystal")));
    // Nothing is written to the shared temporary folder.
    EXPECT_TRUE(QDir(TempPath("")).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden).isEmpty());
    Stop();
    EXPECT_FALSE(QFontDatabase::families().contains(QStringLiteral("LiquidCrystal")));
}

TEST_F(MainWindowTest, AFontFilePlantedInTheTemporaryFolderIsNeitherUsedNorTouched)
{
    // Another user's file, or a link to a file of the user's, under the name
    // the font once had: the program must not read, rewrite or delete it.
    const QString target = TempPath("precious.txt");
    {
        QFile f(target);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("not a font");
    }
    ASSERT_TRUE(QFile::link(target, TempPath("Liqucry4.ttf")));
    Start();
    EXPECT_TRUE(QFontDatabase::families().contains(QStringLiteral("LiquidCrystal")));
    Stop();
    EXPECT_TRUE(QFileInfo(TempPath("Liqucry4.ttf")).isSymLink());
    QFile f(target);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), QByteArray("not a font"));
}

TEST_F(MainWindowTest, StatusTexts)
{
    MDIfrmBike &w = Start();
    SetStatus(QString(), true);
    EXPECT_EQ(w.StatusPanelText(1), QLatin1Char(' ') + GetLangString(28020));
    SetStatus("Counting", true);
    EXPECT_EQ(w.StatusPanelText(1), FormatLangString(GetLangString(28021), {"Counting"}));
    SetStatus("Counting", false);
    EXPECT_EQ(w.StatusPanelText(1), QStringLiteral("Counting"));
}

TEST_F(MainWindowTest, HelpCommandsReachTheHelpPages)
{
    MDIfrmBike &w = Start();
    w.mnuGuida_Click(0);
    w.mnuGuida_Click(1);
    const auto &shown = TestSupport::Script().shown;
    ASSERT_EQ(shown.size(), 2u);
    EXPECT_EQ(shown[0].kind, QStringLiteral("help"));
    EXPECT_EQ(shown[0].title, QDir(AppPath).filePath("help/index.html"));
    EXPECT_EQ(shown[0].style, 3);
    EXPECT_EQ(shown[1].style, 0x105);
    Stop();
    ASSERT_EQ(shown.size(), 3u);
    EXPECT_EQ(shown[2].style, 2);   // the viewer is told to quit
}

TEST_F(MainWindowTest, HelpPagesContentsAndSearch)
{
    const QString folder = QDir(TestSupport::BinDir()).filePath("help");
    const QList<HelpPage> pages = HelpPages(folder);
    ASSERT_GE(pages.size(), 3);
    EXPECT_EQ(pages[0].file, QStringLiteral("index.html"));
    EXPECT_EQ(pages[1].file, QStringLiteral("start.html"));   // the order the contents page links them
    EXPECT_EQ(pages[1].title, QStringLiteral("Getting started"));
    QStringList found;
    for (const HelpPage &p : SearchHelp(folder, "TEMPLATE new"))
        found << p.file;
    EXPECT_TRUE(found.contains("database.html"));
    EXPECT_FALSE(found.contains("languages.html"));
    EXPECT_TRUE(SearchHelp(folder, "   ").isEmpty());

    HelpWindow help(folder);
    help.Run(0x105, "toolbar");
    EXPECT_FALSE(help.CurrentPage().isEmpty());
    help.Run(HelpWindow::QuickHelpCommand, QString());
    EXPECT_EQ(help.CurrentPage(), QStringLiteral("quick.html"));
}
