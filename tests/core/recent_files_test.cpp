// The recent-files list and its menu.
#include "mainwindow_fixture.h"

#include "core/LangClient.h"
#include "core/RecentFiles.h"

#include <QAction>

TEST_F(MainWindowTest, RecentListAsASequence)
{
    struct Step {
        const char *open;
        const char *mruList;
        QStringList menu;   // menu captions after the step
    } steps[] = {
        {"A", "1", {"A"}},
        {"B", "21", {"A", "B"}},
        {"C", "321", {"A", "B", "C"}},
        {"D", "4321", {"A", "B", "C", "D"}},
        {"B", "4321", {"A", "B", "C", "D"}},     // already listed: nothing changes
        {"E", "1432", {"E", "B", "C", "D"}},     // the oldest slot (1) is reused
        {"F", "2143", {"E", "F", "C", "D"}},
    };
    MDIfrmBike &w = Start();
    for (const Step &s : steps) {
        w.AddRecentFile(QString::fromLatin1(s.open));
        EXPECT_EQ(GetSetting(AppName, "Recent", "MRUList"), QString::fromLatin1(s.mruList)) << s.open;
        EXPECT_EQ(w.RecentMenuCaptions(), s.menu) << s.open;
    }
    EXPECT_EQ(GetSetting(AppName, "Recent", "1"), QStringLiteral("E"));
    EXPECT_EQ(GetSetting(AppName, "Recent", "2"), QStringLiteral("F"));
    EXPECT_TRUE(w.MenuItem("mnuRecent(0)")->isVisible());
    Stop();
    // At the next start the menu is in order of recency.
    MDIfrmBike &again = Start();
    EXPECT_EQ(again.RecentMenuCaptions(), (QStringList{"F", "E", "D", "C"}));
}

TEST_F(MainWindowTest, DamagedRecentSettingStaysWithinTheList)
{
    SaveSetting(AppName, "Recent", "MRUList", "97x2205");
    SaveSetting(AppName, "Recent", "2", "B");
    RecentFileList list(AppName);
    EXPECT_EQ(list.MruList(), QStringLiteral("2"));
    MDIfrmBike &w = Start();
    EXPECT_EQ(w.RecentMenuCaptions(), QStringList{"B"});
    for (const char *p : {"C", "D", "E", "F", "G"})
        w.AddRecentFile(QString::fromLatin1(p));
    const QString mru = GetSetting(AppName, "Recent", "MRUList");
    EXPECT_EQ(mru.size(), 4);
    for (QChar d : QStringLiteral("1234"))
        EXPECT_TRUE(mru.contains(d)) << mru.toStdString();
    EXPECT_EQ(w.RecentMenuCaptions().size(), 4);
    EXPECT_TRUE(w.RecentMenuCaptions().contains("G"));
}

TEST_F(MainWindowTest, RecentEntryWhoseFileIsGone)
{
    MDIfrmBike &w = Start();
    ASSERT_EQ(OpenDb(Docs("here.mdb")), 1);
    w.AddRecentFile(Docs("gone.mdb"));
    w.mnuRecent_Click(2);
    EXPECT_EQ(TestSupport::Script().messages(), QStringList{GetLangString(517)});
    EXPECT_EQ(TestSupport::Script().shown[0].style, 48);
    EXPECT_EQ(w.windowTitle(), QStringLiteral("Vettaro here"));   // nothing else changed
    EXPECT_EQ(w.RecentMenuCaptions().size(), 2);

    // An existing entry closes the open file and opens its own.
    ASSERT_NO_THROW(OpenDatabaseFile(Docs("there.mdb")));
    CloseDb();
    w.AddRecentFile(Docs("there.mdb"));
    w.mnuRecent_Click(3);
    EXPECT_EQ(w.windowTitle(), QStringLiteral("Vettaro there"));
}

TEST_F(MainWindowTest, RecentPathWithAnAmpersandIsShownAndOpenedAsItIs)
{
    ASSERT_TRUE(QDir(Docs("")).mkpath("R&D"));
    const QString path = Docs("R&D/climbs.mdb");
    MDIfrmBike &w = Start();
    ASSERT_EQ(OpenDb(path), 1);
    w.mnuFileItem_Click(2);
    QAction *item = w.MenuItem("mnuRecent(1)");
    ASSERT_TRUE(item);
    EXPECT_EQ(item->text(), QString(path).replace("&", "&&"));   // no mnemonic in the menu
    EXPECT_EQ(w.RecentMenuCaptions(), QStringList{path});
    item->trigger();
    EXPECT_EQ(w.windowTitle(), QStringLiteral("Vettaro climbs"));
    EXPECT_TRUE(TestSupport::Script().shown.empty());
}

TEST_F(MainWindowTest, DefaultNameForANewDatabase)
{
    QDir docs(Docs(""));
    EXPECT_EQ(NewDbName(docs.path()), QStringLiteral("Vettarodb1"));
    QFile(docs.filePath("Vettarodb2.mdb")).open(QIODevice::WriteOnly);
    EXPECT_EQ(NewDbName(docs.path()), QStringLiteral("Vettarodb2"));   // the save dialog then asks
    QFile(docs.filePath("Vettarodb1.mdb")).open(QIODevice::WriteOnly);
    QFile(docs.filePath("Other.mdb")).open(QIODevice::WriteOnly);
    EXPECT_EQ(NewDbName(docs.path()), QStringLiteral("Vettarodb3"));
}
