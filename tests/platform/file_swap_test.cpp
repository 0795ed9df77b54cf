// A file built whole beside another (a compacted database) put in its place
// under the file writer's rules: through the user's link, keeping owner,
// group and mode; refused for a planted link, a file the user cannot write,
// anything but a regular file, a missing file, and a copy built elsewhere;
// a failed sync leaves the file as it was.
#include "FileFaults.h"
#include "platform/error/VbError.h"
#include "platform/shell/FileWrite.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <functional>

#include <grp.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

constexpr uid_t kUser = 4000, kOther = 4001;
constexpr gid_t kUserGroup = 4000, kSharedGroup = 4100;

using TestFiles::Native;
using TestFiles::ReadAll;

void Put(const QString &path, const QByteArray &data, mode_t mode)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate)) << path.toStdString();
    f.write(data);
    f.close();
    ASSERT_EQ(::chmod(Native(path).constData(), mode), 0);
}

using TestFiles::StatOf;

using TestFiles::Entries;

// "swapped", or the error text of the refusal.
QString Swap(const QString &path, const QString &built)
{
    FileWrite::FileSwap swap(path);
    if (swap.open() && swap.replaceWith(built))
        return QStringLiteral("swapped");
    return swap.errorText();
}

// Runs body in a child that has become the plain account kUser, and returns
// what body returned.
QString AsUser(const std::function<QString()> &body) { return TestFiles::AsAccount(kUser, kUserGroup, {kUserGroup}, body); }

} // namespace

// Through a link of the user's (relative, from another folder) the file the
// link names is replaced; the link stays, and the copy takes the replaced
// file's mode and, where the user may give them (root), its owner and group.
TEST(FileSwap, ReplacesTheFileALinkNamesKeepingOwnerGroupAndMode)
{
    QTemporaryDir dir;
    ASSERT_TRUE(QDir().mkpath(dir.filePath("data")));
    ASSERT_TRUE(QDir().mkpath(dir.filePath("links")));
    const QString file = dir.filePath("data/club.mdb"), link = dir.filePath("links/club.mdb");
    const QString copy = dir.filePath("data/.club.mdb.compact.tmp");
    Put(file, "old", 0640);
    const bool root = ::geteuid() == 0;
    if (root) {
        ASSERT_EQ(::chown(Native(file).constData(), kUser, kSharedGroup), 0);
    }
    ASSERT_EQ(::symlink("../data/club.mdb", Native(link).constData()), 0);
    Put(copy, "compacted", 0644);

    FileWrite::FileSwap swap(link);
    ASSERT_TRUE(swap.open()) << swap.errorText().toStdString();
    EXPECT_EQ(swap.targetPath(), QFileInfo(file).absoluteFilePath());
    ASSERT_TRUE(swap.replaceWith(copy)) << swap.errorText().toStdString();

    EXPECT_EQ(QFileInfo(link).symLinkTarget(), QFileInfo(file).absoluteFilePath());
    EXPECT_EQ(ReadAll(file), "compacted");
    EXPECT_EQ(StatOf(file).st_mode & 07777, 0640u);
    if (root) {
        EXPECT_EQ(StatOf(file).st_uid, kUser);
        EXPECT_EQ(StatOf(file).st_gid, kSharedGroup);
    }
    EXPECT_EQ(Entries(dir.filePath("data")), QStringList{"club.mdb"});
    EXPECT_EQ(Entries(dir.filePath("links")), QStringList{"club.mdb"});

    // ".." after a link to a folder is taken where the link led, as the
    // system takes it: elsewhere/sub/../club.mdb is data/club.mdb when
    // elsewhere/sub leads to data/sub (elsewhere/club.mdb does not exist).
    ASSERT_TRUE(QDir().mkpath(dir.filePath("data/sub")));
    ASSERT_TRUE(QDir().mkpath(dir.filePath("elsewhere")));
    ASSERT_EQ(::symlink(Native(dir.filePath("data/sub")).constData(), Native(dir.filePath("elsewhere/sub")).constData()), 0);
    Put(copy, "compacted again", 0644);
    FileWrite::FileSwap through(dir.filePath("elsewhere/sub/../club.mdb"));
    ASSERT_TRUE(through.replaceWith(copy)) << through.errorText().toStdString();
    EXPECT_EQ(ReadAll(file), "compacted again");
}

// Each refusal names its cause and obstacle and leaves the file, and the
// copy (for its builder to remove), as they were.
TEST(FileSwap, RefusesWhatTheWriterRefuses)
{
    QTemporaryDir dir;
    ::chmod(Native(dir.path()).constData(), 0755);
    const QString folder = dir.filePath("data"), elsewhere = dir.filePath("elsewhere");
    ASSERT_TRUE(QDir().mkpath(folder));
    ASSERT_TRUE(QDir().mkpath(elsewhere));
    const QString file = folder + "/club.mdb", copy = folder + "/.club.mdb.compact.tmp";
    const QString fifo = folder + "/fifo.mdb", missing = folder + "/missing.mdb";
    ASSERT_EQ(::mkfifo(Native(fifo).constData(), 0644), 0);
    const bool root = ::geteuid() == 0;

    struct Case {
        const char *name;
        QString path, built;
        QString expected;    // the error text
        bool needsRoot;
    };
    const QString shared = dir.filePath("shared"), planted = shared + "/club.mdb";
    if (root) {
        ASSERT_TRUE(QDir().mkpath(shared));
        ASSERT_EQ(::chmod(Native(shared).constData(), 01777), 0);
        ASSERT_EQ(::symlink(Native(file).constData(), Native(planted).constData()), 0);
        ASSERT_EQ(::lchown(Native(planted).constData(), kOther, kOther), 0);
    }
    const Case cases[] = {
        {"a link another account planted in a shared folder", planted, copy,
         QStringLiteral("Path/File access error: link of another user in a shared folder, not followed: '%1'").arg(planted), true},
        {"not a regular file", fifo, copy, QStringLiteral("Path/File access error: not a regular file: '%1'").arg(fifo), false},
        {"no file to replace", missing, copy, QStringLiteral("Path/File access error: file not found: '%1'").arg(missing), false},
        {"a copy built in another folder", file, elsewhere + "/.club.mdb.compact.tmp",
         QStringLiteral("Path/File access error: not in the folder of the file it replaces: '%1'").arg(elsewhere + "/.club.mdb.compact.tmp"),
         false},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        if (c.needsRoot && !root)
            continue;
        Put(file, "old", 0644);
        Put(c.built, "compacted", 0644);
        EXPECT_EQ(Swap(c.path, c.built), c.expected);
        EXPECT_EQ(ReadAll(file), "old");
        EXPECT_EQ(ReadAll(c.built), "compacted");
        QFile::remove(c.built);
    }
    EXPECT_TRUE(S_ISFIFO(StatOf(fifo).st_mode));

    // A file another account put in the shared sticky folder is not root's
    // to replace: it would stay that account's, with root's content.
    if (root) {
        const QString others = shared + "/others.mdb", othersCopy = shared + "/.others.mdb.compact.tmp";
        Put(others, "theirs", 0666);
        ASSERT_EQ(::chown(Native(others).constData(), kOther, kOther), 0);
        Put(othersCopy, "compacted", 0600);
        EXPECT_EQ(Swap(others, othersCopy),
                  QStringLiteral("Path/File access error: file of another user in a shared folder: '%1'").arg(others));
        EXPECT_EQ(ReadAll(others), "theirs");
        QFile::remove(othersCopy);
    }

    // A sync that fails: the file stays as it was.
    {
        Put(copy, "compacted", 0644);
        FailingDevice failing(true);
        const QString said = Swap(file, copy);
        EXPECT_TRUE(said.startsWith("Path/File access error: ")) << said.toStdString();
        EXPECT_EQ(ReadAll(file), "old");
        QFile::remove(copy);
    }

    // A file its user made read-only is refused, though the folder would let
    // a rename replace it (root may write anything, so a plain account).
    if (!root)
        return;
    const QString mine = dir.filePath("user");
    ASSERT_TRUE(QDir().mkpath(mine));
    ASSERT_EQ(::chown(Native(mine).constData(), kUser, kUserGroup), 0);
    const QString frozen = mine + "/club.mdb", frozenCopy = mine + "/.club.mdb.compact.tmp";
    Put(frozen, "old", 0444);
    Put(frozenCopy, "compacted", 0644);
    ASSERT_EQ(::chown(Native(frozen).constData(), kUser, kUserGroup), 0);
    ASSERT_EQ(::chown(Native(frozenCopy).constData(), kUser, kUserGroup), 0);
    EXPECT_EQ(AsUser([&] { return Swap(frozen, frozenCopy); }),
              QStringLiteral("Path/File access error: read-only: '%1'").arg(frozen));
    EXPECT_EQ(ReadAll(frozen), "old");
    EXPECT_EQ(StatOf(frozen).st_mode & 07777, 0444u);
}

// A file put at the name after the swap found its file (a restore, a sync
// client that did not wait for the database's lock) is newer than the copy:
// it is refused and stays.
TEST(FileSwap, AFileReplacedMeanwhileIsKept)
{
    QTemporaryDir dir;
    const QString file = dir.filePath("club.mdb"), copy = dir.filePath(".club.mdb.compact.tmp");
    const QString restored = dir.filePath("restored.mdb");
    Put(file, "old", 0644);
    Put(copy, "compacted", 0644);
    FileWrite::FileSwap swap(file);
    ASSERT_TRUE(swap.open()) << swap.errorText().toStdString();
    Put(restored, "restored", 0644);
    ASSERT_EQ(::rename(Native(restored).constData(), Native(file).constData()), 0);
    EXPECT_FALSE(swap.replaceWith(copy));
    EXPECT_EQ(swap.errorText(), QStringLiteral("Path/File access error: file replaced meanwhile: '%1'").arg(file));
    EXPECT_EQ(ReadAll(file), "restored");
    EXPECT_EQ(ReadAll(copy), "compacted");
}

// The backup is the file the swap found, never what stands at its name by
// then, and an older backup goes only with the swap itself: a file restored
// over the target before the swap, or at its last look once the new backup
// has taken the backup's name, is refused, stays alone at its name, and the
// older backup is as it was. A backup declined later goes through its folder,
// only while its name still holds it.
TEST(FileSwap, TheBackupIsTheFileFoundAndAnOlderOneGoesOnlyWithTheSwap)
{
    enum When { Never, BeforeTheSwap, AtTheLastLook };
    const struct {
        const char *name;
        bool older;     // an older backup stands at the name
        When restored;  // when a restore is renamed over the file
    } cases[] = {
        {"swapped over an older backup", true, Never},
        {"swapped, no older backup", false, Never},
        {"restored before the swap", true, BeforeTheSwap},
        {"restored at the last look", true, AtTheLastLook},
        {"restored at the last look, no older backup", false, AtTheLastLook},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        QTemporaryDir dir;
        const QString file = dir.filePath("club.mdb"), backup = dir.filePath("club.bak");
        const QString copy = dir.filePath(".club.mdb.compact.tmp"), restored = dir.filePath("restored.mdb");
        Put(file, "old", 0640);
        Put(copy, "compacted", 0600);
        if (c.restored != Never)
            Put(restored, "restored", 0644);
        if (c.older)
            Put(backup, "older backup", 0600);
        const auto restore = [&] { ASSERT_EQ(::rename(Native(restored).constData(), Native(file).constData()), 0); };

        FileWrite::FileSwap swap(file);
        ASSERT_TRUE(swap.open()) << swap.errorText().toStdString();
        int named = 0;
        const FileWrite::FileSwap::Backup kept{
            QStringLiteral("club.bak"), [&] { return QStringLiteral(".club.mdb.bak-%1.tmp").arg(++named); }, {}};
        if (c.restored == BeforeTheSwap)
            restore();
        FileWrite::SetSwapHookForTests(c.restored == AtTheLastLook ? std::function<void()>(restore) : nullptr);
        const bool swapped = swap.replaceWith(swap.throughHandle(QStringLiteral(".club.mdb.compact.tmp")), kept);
        FileWrite::SetSwapHookForTests(nullptr);

        if (c.restored == Never) {
            ASSERT_TRUE(swapped) << swap.errorText().toStdString();
            EXPECT_EQ(ReadAll(file), "compacted");
            EXPECT_EQ(ReadAll(backup), "old");
            EXPECT_EQ(StatOf(backup).st_mode & 07777, 0640u);
            EXPECT_EQ(StatOf(file).st_nlink, 1u);
            EXPECT_EQ(Entries(dir.path()), QStringList({"club.bak", "club.mdb"}));
            ASSERT_TRUE(swap.keptBackup());
            EXPECT_EQ(swap.keptBackup()->path(), backup);
            // Declined: removed only while the name holds the backup made.
            if (c.older) {
                Put(dir.filePath("other.bak"), "put there since", 0600);
                ASSERT_EQ(::rename(Native(dir.filePath("other.bak")).constData(), Native(backup).constData()), 0);
                EXPECT_FALSE(swap.keptBackup()->remove());
                EXPECT_EQ(ReadAll(backup), "put there since");
            } else {
                EXPECT_TRUE(swap.keptBackup()->remove());
                EXPECT_FALSE(QFileInfo::exists(backup));
            }
        } else {
            EXPECT_FALSE(swapped);
            EXPECT_EQ(swap.errorText(), QStringLiteral("Path/File access error: file replaced meanwhile: '%1'").arg(file));
            EXPECT_EQ(ReadAll(file), "restored");
            EXPECT_EQ(StatOf(file).st_nlink, 1u) << "the restored file has no second name";
            EXPECT_EQ(ReadAll(backup), c.older ? QByteArray("older backup") : QByteArray("<missing>"));
            EXPECT_EQ(ReadAll(copy), "compacted");
            EXPECT_EQ(Entries(dir.path()), c.older ? QStringList({".club.mdb.compact.tmp", "club.bak", "club.mdb"})
                                                   : QStringList({".club.mdb.compact.tmp", "club.mdb"}));
            EXPECT_FALSE(swap.keptBackup());
        }
    }
}
