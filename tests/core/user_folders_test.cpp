#include "CoreTestSupport.h"
#include "core/UserFolders.h"
#include "platform/shell/Shell.h"

#include <QDir>
#include <QTemporaryDir>

TEST(SpecialFolder, EmptyUntilInitialised)
{
    SpecialFolder f;
    EXPECT_TRUE(f.Personal().isEmpty());
    EXPECT_TRUE(f.Temp().isEmpty());
}

TEST(SpecialFolder, InitFillsEveryFolder)
{
    SpecialFolder f;
    f.InitFolders("/opt/vettaro");
    EXPECT_EQ(f.DefaultDir(), "/opt/vettaro");
    int count = 0;
#define CHECK_FOLDER(name, id)                                                    \
    ++count;                                                                      \
    EXPECT_FALSE(f.name().isEmpty()) << #name;                                    \
    EXPECT_FALSE(f.name().size() > 1 && f.name().endsWith('/')) << #name;         \
    EXPECT_EQ(f.ByNumber(id), f.name());
    VETTARO_SHELL_FOLDERS(CHECK_FOLDER)
#undef CHECK_FOLDER
    EXPECT_EQ(count, 57);
    EXPECT_EQ(f.Personal(), Shell::DocumentsFolder());
    EXPECT_EQ(f.MyDocuments(), Shell::DocumentsFolder());
    EXPECT_EQ(f.MyPictures(), Shell::PicturesFolder());
    EXPECT_EQ(f.Desktop(), Shell::DesktopFolder());
    EXPECT_EQ(f.Profile(), Shell::HomeFolder());
    EXPECT_EQ(f.AppData(), QString::fromLocal8Bit(qgetenv("XDG_CONFIG_HOME")));
    EXPECT_EQ(f.LocalAppData(), QString::fromLocal8Bit(qgetenv("XDG_DATA_HOME")));
    for (const QString &virt : {f.Internet(), f.Printers(), f.Controls(), f.Drives(), f.Network(), f.BitBucket()})
        EXPECT_EQ(virt, "/opt/vettaro");
    EXPECT_TRUE(f.Temp().endsWith('/'));
    EXPECT_EQ(f.Temp(), Shell::TempFolder());
    EXPECT_EQ(f.ByNumber(0x0f), "");
}

TEST(SpecialFolder, SettersAndTheSharedObject)
{
    SpecialFolders.InitFolders("/x");
    const QString old = SpecialFolders.Personal();
    SpecialFolders.Personal("/elsewhere");
    EXPECT_EQ(SpecialFolders.Personal(), "/elsewhere");
    SpecialFolders.Personal(old);
}

TEST(SpecialFolder, PersonalIsTheDocumentsFolderOrTheHomeFolderWhenThereIsNone)
{
    QTemporaryDir home;
    const QByteArray oldHome = qgetenv("HOME");
    qputenv("HOME", home.path().toLocal8Bit());
    SpecialFolder f;
    f.InitFolders("/opt/vettaro");
    EXPECT_EQ(f.Personal(), QDir(home.path()).absolutePath());    // no Documents folder on disk
    EXPECT_EQ(f.MyDocuments(), f.Personal());
    ASSERT_TRUE(QDir(home.path()).mkdir("Documents"));
    f.InitFolders("/opt/vettaro");
    EXPECT_EQ(f.Personal(), QDir(home.path()).filePath("Documents"));
    EXPECT_NE(f.Personal(), Shell::HomeFolder());
    qputenv("HOME", oldHome);
}
