// "Save Profile As...": the type follows the filter index, the name is
// completed, every writer failure is told, a cancel writes nothing.
#include "window_fixture.h"

#include "FileFaults.h"

#include "core/UserFolders.h"
#include "platform/shell/Shell.h"
#include "profile/PictureExport.h"

#include <QImageReader>
#include <QScopeGuard>
#include <QSvgRenderer>

namespace {
QString Key(const QString &key)
{
    return GetSetting(AppName, QStringLiteral("frmAltimetria"), key, QStringLiteral("<missing>"));
}
} // namespace

class ProfileExportTest : public ProfileWindowTest {
protected:
    void SetUp() override
    {
        ProfileWindowTest::SetUp();
        // The converter of the program folder writes the PNG.
        QFile::copy(QDir(TestSupport::BinDir()).filePath(QStringLiteral("bmp2png")), ProgramPath(QStringLiteral("bmp2png")));
        QFile::setPermissions(ProgramPath(QStringLiteral("bmp2png")), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        m_profile = OpenProfile();
        ASSERT_NE(m_profile, nullptr);
        QDir().mkpath(Out(QString()));
    }
    QString Out(const QString &name) const { return TempPath(QStringLiteral("out/") + name); }
    // Saves with the name typed and the filter chosen.
    void Save(const QString &typed, int filter)
    {
        TestSupport::Script().files.push_back(Out(typed));
        TestSupport::Script().filterIndexes.push_back(filter);
        m_profile->MenuItem(QStringLiteral("mnuSaveBmp"))->trigger();
    }
    frmAltimetria *m_profile = nullptr;
};

TEST_F(ProfileExportTest, TypeFollowsTheFilterIndex)
{
    const QSize size = m_profile->Picture1()->Image().size();
    struct Case {
        const char *typed;
        int filter;
        const char *written;
        const char *format;
    };
    const Case cases[] = {
        {"route", 2, "route.jpg", "jpeg"},           {"route.jpg", 1, "route.jpg.bmp", "bmp"},
        {"Route.BMP", 1, "Route.BMP.bmp", "bmp"},    {"plain", 1, "plain.bmp", "bmp"},
        {"pic", 3, "pic.png", "png"},                {"vector", 4, "vector.svg", nullptr},
        {"already.png", 3, "already.png", "png"},
    };
    for (const Case &c : cases) {
        Save(QString::fromLatin1(c.typed), c.filter);
        const QString path = Out(QString::fromLatin1(c.written));
        ASSERT_TRUE(QFile::exists(path)) << c.written << " in " << QDir(Out(QString())).entryList(QDir::Files).join(' ').toStdString()
                                         << " / " << TestSupport::Script().messages().join('|').toStdString();
        if (c.format) {
            QImageReader reader(path);
            EXPECT_EQ(reader.format(), QByteArray(c.format)) << c.written;
            EXPECT_EQ(reader.size(), size) << c.written;
        } else {
            QSvgRenderer svg(path);
            EXPECT_TRUE(svg.isValid());
            EXPECT_EQ(svg.defaultSize(), size);
        }
    }
    EXPECT_TRUE(TestSupport::Script().messages().isEmpty()) << TestSupport::Script().messages().join('|').toStdString();
    // The dialog offered the four types with the profile's name.
    const auto &shown = TestSupport::Script().shown.back();
    EXPECT_EQ(shown.kind, QStringLiteral("save"));
    EXPECT_EQ(shown.request.fileName, m_profile->windowTitle());
    EXPECT_EQ(shown.request.flags, 6);
    EXPECT_EQ(shown.request.filter, GetLangString(2501));
}

TEST_F(ProfileExportTest, PngLeavesTheUsersBitmapAlone)
{
    QFile bmp(Out(QStringLiteral("x.bmp")));
    ASSERT_TRUE(bmp.open(QIODevice::WriteOnly));
    bmp.write("the user's own file");
    bmp.close();
    Save(QStringLiteral("x.png"), 3);
    EXPECT_TRUE(QFile::exists(Out(QStringLiteral("x.png"))));
    QFile again(Out(QStringLiteral("x.bmp")));
    ASSERT_TRUE(again.open(QIODevice::ReadOnly));
    EXPECT_EQ(again.readAll(), QByteArray("the user's own file"));
    EXPECT_EQ(QDir(Out(QString())).entryList(QDir::Files).size(), 2);
}

TEST_F(ProfileExportTest, KeysOnlyAfterAConfirmedSave)
{
    TestSupport::Script().files.push_back(std::nullopt);   // cancel
    m_profile->mnuSaveBmp_Click();
    EXPECT_EQ(Key(QStringLiteral("ImageDir")), QStringLiteral("<missing>"));
    EXPECT_EQ(Key(QStringLiteral("ImageFilter")), QStringLiteral("<missing>"));
    EXPECT_TRUE(QDir(Out(QString())).entryList(QDir::Files).isEmpty());
    EXPECT_TRUE(TestSupport::Script().messages().isEmpty());

    Save(QStringLiteral("kept"), 3);
    EXPECT_EQ(Key(QStringLiteral("ImageDir")), Out(QString()).chopped(1));
    EXPECT_EQ(Key(QStringLiteral("ImageFilter")), QStringLiteral("3"));
    EXPECT_EQ(Key(QStringLiteral("ImageExt")), QStringLiteral("bmp"));
    // The next dialog opens there with PNG chosen; a stored index out of range reads as 1.
    TestSupport::Script().files.push_back(std::nullopt);
    m_profile->mnuSaveBmp_Click();
    EXPECT_EQ(TestSupport::Script().shown.back().request.initDir, Out(QString()).chopped(1));
    EXPECT_EQ(TestSupport::Script().shown.back().request.filterIndex, 3);
    for (const char *stored : {"9", "abc", "0"}) {
        SaveSetting(AppName, QStringLiteral("frmAltimetria"), QStringLiteral("ImageFilter"), QString::fromLatin1(stored));
        TestSupport::Script().files.push_back(std::nullopt);
        m_profile->mnuSaveBmp_Click();
        EXPECT_EQ(TestSupport::Script().shown.back().request.filterIndex, 1) << stored;
    }
    // A stored folder that is gone: where a first save starts (no pictures folder here: the home folder).
    SaveSetting(AppName, QStringLiteral("frmAltimetria"), QStringLiteral("ImageDir"), TempPath(QStringLiteral("gone")));
    TestSupport::Script().files.push_back(std::nullopt);
    m_profile->mnuSaveBmp_Click();
    EXPECT_EQ(TestSupport::Script().shown.back().request.initDir, Shell::HomeFolder());
}

// The first save of an account starts in its pictures folder, or in its home
// folder where that was never made (never where the program was started
// from); a save then starts the next one where it went.
TEST_F(ProfileExportTest, FirstSaveStartsInThePicturesFolderOrHome)
{
    const QString pictures = TempPath(QStringLiteral("Pictures"));
    struct Case {
        const char *what;
        bool picturesMade;
        const char *stored;   // nullptr: no folder stored yet
        QString expected;
    };
    const Case cases[] = {
        {"fresh account", false, nullptr, Shell::HomeFolder()},
        {"fresh account, stored folder gone", false, "gone", Shell::HomeFolder()},
        {"pictures folder made", true, nullptr, pictures},
        {"pictures folder made, stored folder gone", true, "gone", pictures},
    };
    const QString programFolder = QDir::currentPath();
    const auto restore = qScopeGuard([before = SpecialFolders.MyPictures()] { SpecialFolders.MyPictures(before); });
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        SpecialFolders.MyPictures(pictures);
        if (c.picturesMade)
            ASSERT_TRUE(QDir().mkpath(pictures));
        else
            QDir(pictures).removeRecursively();
        if (c.stored)
            SaveSetting(AppName, QStringLiteral("frmAltimetria"), QStringLiteral("ImageDir"), TempPath(QLatin1String(c.stored)));
        else
            DeleteSetting(AppName, QStringLiteral("frmAltimetria"), QStringLiteral("ImageDir"));
        TestSupport::Script().files.push_back(std::nullopt);
        m_profile->MenuItem(QStringLiteral("mnuSaveBmp"))->trigger();
        const QString initDir = TestSupport::Script().shown.back().request.initDir;
        EXPECT_EQ(initDir, c.expected);
        EXPECT_TRUE(QFileInfo(initDir).isDir());
        EXPECT_NE(initDir, programFolder);
    }
    Save(QStringLiteral("kept"), 1);
    ASSERT_TRUE(QFile::exists(Out(QStringLiteral("kept.bmp"))));
    TestSupport::Script().files.push_back(std::nullopt);
    m_profile->MenuItem(QStringLiteral("mnuSaveBmp"))->trigger();
    EXPECT_EQ(TestSupport::Script().shown.back().request.initDir, Out(QString()).chopped(1));
    EXPECT_TRUE(TestSupport::Script().messages().isEmpty());
}

TEST_F(ProfileExportTest, FailuresAreToldAndKeepTheOldFile)
{
    // A folder that does not exist, for every type.
    for (int filter = 1; filter <= 4; ++filter) {
        TestSupport::ResetScript();
        TestSupport::Script().files.push_back(TempPath(QStringLiteral("no/such/folder/p")));
        TestSupport::Script().filterIndexes.push_back(filter);
        m_profile->mnuSaveBmp_Click();
        const QString ext = QStringList{".bmp", ".jpg", ".png", ".svg"}.at(filter - 1);
        ASSERT_EQ(TestSupport::Script().messages().size(), 1) << filter;
        const QString said = TestSupport::Script().messages().front();
        EXPECT_TRUE(said.startsWith(FormatLangString(GetLangString(2502), {TempPath(QStringLiteral("no/such/folder/p")) + ext})))
            << said.toStdString();
        EXPECT_TRUE(said.contains(QStringLiteral("folder not found"))) << said.toStdString();
    }
    // A disk that takes no more bytes: every type says so and the old file stays whole.
    for (int filter = 1; filter <= 4; ++filter) {
        const QString ext = QStringList{".bmp", ".jpg", ".png", ".svg"}.at(filter - 1);
        const QString name = QStringLiteral("full") + ext;
        QFile before(Out(name));
        ASSERT_TRUE(before.open(QIODevice::WriteOnly));
        before.write("old picture");
        before.close();
        FailingDevice device;
        TestSupport::ResetScript();
        Save(name, filter);
        // The settings of the dialog cannot be stored either, and say so first.
        const QStringList said = TestSupport::Script().messages();
        ASSERT_FALSE(said.isEmpty()) << filter;
        EXPECT_TRUE(said.back().startsWith(FormatLangString(GetLangString(2502), {Out(name)}))) << said.back().toStdString();
        EXPECT_TRUE(said.back().contains(QStringLiteral("disk full"))) << said.back().toStdString();
        QFile after(Out(name));
        ASSERT_TRUE(after.open(QIODevice::ReadOnly));
        EXPECT_EQ(after.readAll(), QByteArray("old picture")) << filter;
    }
    // A profile deleted since the hand-off: SVG refused, the old file stays.
    QFile old(Out(QStringLiteral("old.svg")));
    ASSERT_TRUE(old.open(QIODevice::WriteOnly));
    old.write("old");
    old.close();
    CurrentDb->Execute(QStringLiteral("DELETE FROM [CampioniSalite]"));
    TestSupport::ResetScript();
    Save(QStringLiteral("old.svg"), 4);
    EXPECT_EQ(TestSupport::Script().messages().size(), 1);
    QFile again(Out(QStringLiteral("old.svg")));
    ASSERT_TRUE(again.open(QIODevice::ReadOnly));
    EXPECT_EQ(again.readAll(), QByteArray("old"));
    // The converter missing: PNG told, nothing written.
    QFile::remove(ProgramPath(QStringLiteral("bmp2png")));
    TestSupport::ResetScript();
    Save(QStringLiteral("noconv"), 3);
    EXPECT_EQ(TestSupport::Script().messages().size(), 1);
    EXPECT_FALSE(QFile::exists(Out(QStringLiteral("noconv.png"))));
}

// The line that says why a save failed is in the interface language, from
// the frame to the cause.
TEST_F(ProfileExportTest, WhyASaveFailedIsToldInTheInterfaceLanguage)
{
    struct Case {
        const char *lang;
        const char *missingFolder, *fullDisk;
    };
    const Case cases[] = {
        {"1031", "Fehler beim Zugriff auf Pfad/Datei: Ordner nicht gefunden: '%1'",
         "Fehler beim Zugriff auf Pfad/Datei: Datenträger voll: '%1'"},
        {"1036", "Erreur d'accès au chemin ou au fichier : dossier introuvable : '%1'",
         "Erreur d'accès au chemin ou au fichier : disque plein : '%1'"},
        {"1033", "Path/File access error: folder not found: '%1'", "Path/File access error: disk full: '%1'"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.lang);
        ASSERT_EQ(SelectLanguage(QLatin1String(c.lang), QStringLiteral("1033")), QLatin1String(c.lang));
        const QString missing = TempPath(QStringLiteral("no/such/folder/p.bmp"));
        TestSupport::ResetScript();
        TestSupport::Script().files.push_back(missing);
        TestSupport::Script().filterIndexes.push_back(1);
        m_profile->MenuItem(QStringLiteral("mnuSaveBmp"))->trigger();
        EXPECT_EQ(TestSupport::Script().messages(),
                  QStringList{FormatLangString(GetLangString(2502), {missing}) + QLatin1Char('\n')
                              + QString::fromUtf8(c.missingFolder).arg(missing)});
        FailingDevice device;
        TestSupport::ResetScript();
        Save(QStringLiteral("full.bmp"), 1);
        ASSERT_FALSE(TestSupport::Script().messages().isEmpty());
        EXPECT_EQ(TestSupport::Script().messages().back(),
                  FormatLangString(GetLangString(2502), {Out(QStringLiteral("full.bmp"))}) + QLatin1Char('\n')
                      + QString::fromUtf8(c.fullDisk).arg(Out(QStringLiteral("full.bmp"))));
    }
}

TEST(SaveDialogName, CompletedFromTheChosenFilter)
{
    const QString filter = QStringLiteral("Images (*.bmp)|*.bmp|Jpeg (*.jpg)|*.jpg|All (*.*)|*.*");
    struct Case {
        const char *typed;
        int index;
        const char *result;
    };
    const Case cases[] = {{"/t/route", 2, "/t/route.jpg"}, {"/t/route", 1, "/t/route.bmp"}, {"/t/route", 3, "/t/route.txt"},
                          {"/t/route.png", 2, "/t/route.png"}, {"/t/route", 9, "/t/route.txt"}};
    for (const Case &c : cases)
        EXPECT_EQ(CompleteSaveName(QString::fromLatin1(c.typed), filter, c.index, QStringLiteral("txt")),
                  QString::fromLatin1(c.result))
            << c.typed << " " << c.index;
}

// A name with quotes, slashes or control characters is proposed made safe for
// a file name; the chosen file is written under the name the user gives.
TEST_F(ProfileExportTest, ProposesANameSafeForAFile)
{
    const struct { const char *name, *proposed; } cases[] = {
        {"Col d'Izoard & \"Casse D\u00e9serte\"", "Col d'Izoard & _Casse D\u00e9serte_"},
        {"Giau/Falzarego\tloop", "Giau_Falzarego_loop"},
        {"Stelvio", "Stelvio"},
    };
    for (const auto &c : cases) {
        PictureExportSpec spec;
        spec.proposedName = QString::fromUtf8(c.name);
        TestSupport::Script().files.push_back(Out(QStringLiteral("safe")));
        SavePictureAs(spec, m_profile->Picture1()->Image(), {});
        EXPECT_EQ(TestSupport::Script().shown.back().request.fileName, QString::fromUtf8(c.proposed)) << c.name;
    }
    EXPECT_TRUE(QFile::exists(Out(QStringLiteral("safe.bmp"))));
    EXPECT_TRUE(TestSupport::Script().messages().isEmpty()) << TestSupport::Script().messages().join('|').toStdString();
}
