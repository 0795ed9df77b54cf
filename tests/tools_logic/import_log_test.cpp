// The import log lives in the user's private folder and cannot be turned
// against anyone: a link planted at its name is replaced, not followed, and
// a folder planted there does not block it.
#include "CoreTestSupport.h"
#include "FileFaults.h"
#include "platform/shell/PrivateFolder.h"
#include "tools/logic/ImportEngine.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <sys/stat.h>
#include <unistd.h>

namespace {

mode_t ModeOf(const QString &path)
{
    struct stat st {};
    return ::lstat(QFile::encodeName(path).constData(), &st) == 0 ? st.st_mode & 07777 : 0;
}

using TestFiles::ReadAll;

} // namespace

TEST(ImportLogPlace, PrivateFolderBelowRuntimeOrCache)
{
    QTemporaryDir dir;
    const QString runtime = dir.filePath("run");
    ASSERT_TRUE(QDir().mkpath(runtime));
    {
        TestSupport::RuntimeDirScope env(QFile::encodeName(runtime));
        QString why;
        const QString folder = OpenUserPrivateFolder(&why).path();
        EXPECT_EQ(folder, runtime + "/Vettaro") << why.toStdString();
        EXPECT_EQ(ModeOf(folder), 0700u);

        // A looser mode is set back.
        ::chmod(QFile::encodeName(folder).constData(), 0755);
        EXPECT_EQ(OpenUserPrivateFolder().path(), folder);
        EXPECT_EQ(ModeOf(folder), 0700u);

        // A link at the folder's name is refused, and what it names is left alone.
        const QString elsewhere = dir.filePath("elsewhere");
        ASSERT_TRUE(QDir().mkpath(elsewhere));
        ::chmod(QFile::encodeName(elsewhere).constData(), 0755);
        ASSERT_TRUE(QDir(folder).removeRecursively());
        ASSERT_TRUE(QFile::link(elsewhere, folder));
        EXPECT_FALSE(OpenUserPrivateFolder(&why).isOpen());
        EXPECT_TRUE(why.contains("not a folder")) << why.toStdString();
        EXPECT_TRUE(why.contains(folder)) << why.toStdString();
        EXPECT_EQ(ModeOf(elsewhere), 0755u);
        ASSERT_TRUE(QFile::remove(folder));

        // A folder of another user is refused (only root can make one here).
        if (::geteuid() == 0) {
            ASSERT_TRUE(OpenUserPrivateFolder().isOpen());
            ASSERT_EQ(::chown(QFile::encodeName(folder).constData(), 65534, 65534), 0);
            EXPECT_FALSE(OpenUserPrivateFolder(&why).isOpen());
            EXPECT_TRUE(why.contains("owned by another user")) << why.toStdString();
        }
    }
    {
        // Without a runtime folder: the cache folder.
        TestSupport::RuntimeDirScope env(QByteArray{});
        const QString folder = OpenUserPrivateFolder().path();
        EXPECT_EQ(folder, QDir(qEnvironmentVariable("XDG_CACHE_HOME")).filePath("Vettaro"));
        EXPECT_EQ(ModeOf(folder), 0700u);
    }
}

TEST(ImportLogPlace, PlantedLinkOrFolderNeitherFollowedNorBlocking)
{
    QTemporaryDir dir;
    TestSupport::RuntimeDirScope env(QFile::encodeName(dir.path()));
    const PrivateFolder held = OpenUserPrivateFolder();
    ASSERT_TRUE(held.isOpen());
    const QString folder = held.path();
    const QString log = QDir(folder).filePath(ImportEngine::ImportLogName);

    const QString victim = dir.filePath("victim.txt");
    QFile v(victim);
    ASSERT_TRUE(v.open(QIODevice::WriteOnly));
    v.write("precious");
    v.close();
    ::chmod(QFile::encodeName(victim).constData(), 0644);
    ASSERT_TRUE(QFile::link(victim, log));
    ASSERT_TRUE(ImportEngine::WriteImportLog(held, {QStringLiteral("Stelvio")}, {}));
    EXPECT_EQ(ReadAll(victim), "precious");
    EXPECT_EQ(ModeOf(victim), 0644u);
    EXPECT_FALSE(QFileInfo(log).isSymLink());
    EXPECT_EQ(ReadAll(log), "Stelvio\r\n\r\n");
    EXPECT_EQ(ModeOf(log), 0600u);

    // A folder at the name, with a link inside: cleared away, nothing followed.
    ASSERT_TRUE(QFile::remove(log));
    ASSERT_TRUE(QDir().mkpath(log + "/inner"));
    ASSERT_TRUE(QFile::link(victim, log + "/inner/link"));
    QString why;
    ASSERT_TRUE(ImportEngine::WriteImportLog(held, {}, {QStringLiteral("Giro")}, &why)) << why.toStdString();
    EXPECT_EQ(ReadAll(log), "\r\nGiro\r\n");
    EXPECT_EQ(ModeOf(log), 0600u);
    EXPECT_EQ(ReadAll(victim), "precious");
    EXPECT_EQ(QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot), QStringList{"LogImport.txt"});
}

// The log is written through the folder that was opened and checked: once
// its name has been given to a link to another of the user's folders (or to
// a folder of someone else's), the log still lands in the checked folder,
// wherever it now is, and the other folder gets nothing.
TEST(ImportLogPlace, WrittenThroughTheCheckedFolder)
{
    QTemporaryDir dir;
    TestSupport::RuntimeDirScope env(QFile::encodeName(dir.path()));
    const PrivateFolder held = OpenUserPrivateFolder();
    ASSERT_TRUE(held.isOpen());
    const QString folder = held.path();
    const QString other = dir.filePath("documents");
    ASSERT_TRUE(QDir().mkpath(other));
    ::chmod(QFile::encodeName(other).constData(), 0700);
    ASSERT_TRUE(QDir().rename(folder, dir.filePath("checked")));
    ASSERT_TRUE(QFile::link(other, folder));

    QString why;
    ASSERT_TRUE(ImportEngine::WriteImportLog(held, {QStringLiteral("Stelvio")}, {}, &why)) << why.toStdString();
    EXPECT_EQ(ReadAll(dir.filePath("checked/LogImport.txt")), "Stelvio\r\n\r\n");
    EXPECT_EQ(ModeOf(dir.filePath("checked/LogImport.txt")), 0600u);
    EXPECT_TRUE(QDir(other).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot).isEmpty());
    EXPECT_TRUE(QFileInfo(folder).isSymLink());
}
