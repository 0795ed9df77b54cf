// The file writer among several accounts: links another account planted are
// not followed, files the user protected stay protected, a replaced file
// keeps its owner and group, leftovers of killed writes are removed and live
// ones are not, and the program's private files land in the folder that was
// checked. The cases with another account need root, which builds their
// files and runs the writer in a child that has become a plain account, so
// the system's permission checks apply as they do for a user.
#include "FileFaults.h"
#include "CoreTestSupport.h"
#include "platform/com/ComRegistryFile.h"
#include "platform/error/VbError.h"
#include "platform/files/Leftovers.h"
#include "platform/settings/Settings.h"
#include "platform/shell/FileWrite.h"
#include "platform/shell/PrivateFolder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <functional>
#include <vector>

#include <fcntl.h>
#include <grp.h>
#include <poll.h>
#include <signal.h>
#include <sched.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

// Plain accounts the tests act as: the user, another account, a second
// member of a shared group, that group and a group the user is not in.
constexpr uid_t kUser = 4000, kOther = 4001;
constexpr gid_t kUserGroup = 4000, kOtherGroup = 4001, kSharedGroup = 4100, kForeignGroup = 4200;

using TestFiles::Native;
using TestFiles::ReadAll;

// A file of the given mode and, where given, owner.
void Put(const QString &path, const QByteArray &data, mode_t mode, uid_t uid = uid_t(-1), gid_t gid = gid_t(-1))
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate)) << path.toStdString();
    f.write(data);
    f.close();
    if (uid != uid_t(-1) || gid != gid_t(-1)) {
        ASSERT_EQ(::chown(Native(path).constData(), uid, gid), 0);
    }
    ASSERT_EQ(::chmod(Native(path).constData(), mode), 0);
}

void MakeFolder(const QString &path, mode_t mode, uid_t uid = 0, gid_t gid = 0)
{
    ASSERT_TRUE(QDir().mkpath(path)) << path.toStdString();
    ASSERT_EQ(::chown(Native(path).constData(), uid, gid), 0);
    ASSERT_EQ(::chmod(Native(path).constData(), mode), 0);
}

void MakeLink(const QString &target, const QString &link, uid_t uid)
{
    ASSERT_EQ(::symlink(Native(target).constData(), Native(link).constData()), 0) << link.toStdString();
    ASSERT_EQ(::lchown(Native(link).constData(), uid, uid), 0);
}

using TestFiles::StatOf;

using TestFiles::Entries;

// The description of the error 75 a write raises, or "written".
QString WriteResult(const QString &path, const QByteArray &data)
{
    try {
        FileWrite::WriteWhole(path, data);
    } catch (const VbError &e) {
        return QStringLiteral("%1 %2").arg(e.Number()).arg(e.Description());
    }
    return QStringLiteral("written");
}

using TestFiles::ReadChild;

using TestFiles::AsAccount;

QString AsUser(const std::function<QString()> &body, const std::vector<gid_t> &groups = {})
{
    return AsAccount(kUser, kUserGroup, groups, body);
}

// A temporary folder every account can enter.
class SharedTemp {
public:
    SharedTemp() { ::chmod(Native(m_dir.path()).constData(), 0755); }
    QString path() const { return m_dir.path(); }
    QString filePath(const QString &name) const { return m_dir.filePath(name); }

private:
    QTemporaryDir m_dir;
};

// Points XDG_CONFIG_HOME elsewhere for a scope.
class ConfigHomeScope {
public:
    explicit ConfigHomeScope(const QByteArray &value) : m_old(qgetenv("XDG_CONFIG_HOME")) { qputenv("XDG_CONFIG_HOME", value); }
    ~ConfigHomeScope() { qputenv("XDG_CONFIG_HOME", m_old); }
    ConfigHomeScope(const ConfigHomeScope &) = delete;
    ConfigHomeScope &operator=(const ConfigHomeScope &) = delete;

private:
    QByteArray m_old;
};

#define REQUIRE_ROOT()                                                                          \
    if (::geteuid() != 0)                                                                       \
        GTEST_SKIP() << "another account's files can only be made by root";                    \
    static_cast<void>(0)

} // namespace

// A link in a sticky folder writable by all (as /tmp is) is followed only
// where the system's protection would follow it. The user here is root,
// whom that protection binds as well.
TEST(FileWriteLinks, FollowedOnlyWhereTheSystemWould)
{
    REQUIRE_ROOT();
    SharedTemp dir;
    const QString home = dir.filePath("home");
    MakeFolder(home, 0755);
    const QString notes = home + "/notes.txt";

    struct Case {
        const char *name;
        mode_t folderMode;
        uid_t folderOwner, linkOwner;
        bool followed;
    };
    const Case cases[] = {
        {"planted by another account", 01777, 0, kOther, false},
        {"the user's own", 01777, 0, 0, true},
        {"the folder owner's", 01777, kOther, kOther, true},
        {"in a folder that is not sticky", 0777, 0, kOther, true},
        {"in a sticky folder not writable by all", 01775, 0, kOther, true},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        const QString shared = dir.filePath(QStringLiteral("shared-%1").arg(&c - cases));
        MakeFolder(shared, c.folderMode, c.folderOwner);
        Put(notes, "precious", 0644);
        const QString link = shared + "/route.xml";
        MakeLink(notes, link, c.linkOwner);
        const QString said = WriteResult(link, "<route/>");
        if (c.followed) {
            EXPECT_EQ(said, "written");
            EXPECT_EQ(ReadAll(notes), "<route/>");
        } else {
            EXPECT_TRUE(said.startsWith("75 ")) << said.toStdString();
            EXPECT_TRUE(said.contains("link of another user in a shared folder")) << said.toStdString();
            EXPECT_TRUE(said.contains(link)) << said.toStdString();
            EXPECT_EQ(ReadAll(notes), "precious");
        }
        EXPECT_TRUE(QFileInfo(link).isSymLink());
        EXPECT_EQ(Entries(shared), QStringList{"route.xml"});
        EXPECT_EQ(Entries(home), QStringList{"notes.txt"});
    }

    // A planted link on the way to the file, or further along a chain that
    // starts with a link of the user's own, is refused the same way.
    const QString sticky = dir.filePath("sticky");
    MakeFolder(sticky, 01777);
    Put(notes, "precious", 0644);
    MakeLink(home, sticky + "/exports", kOther);
    MakeLink(notes, sticky + "/planted", kOther);
    MakeLink(sticky + "/planted", dir.filePath("mine.xml"), 0);
    for (const QString &path : {sticky + "/exports/notes.txt", dir.filePath("mine.xml")}) {
        const QString said = WriteResult(path, "<route/>");
        EXPECT_TRUE(said.contains("link of another user in a shared folder")) << said.toStdString();
        EXPECT_EQ(ReadAll(notes), "precious");
    }
    EXPECT_EQ(Entries(home), QStringList{"notes.txt"});
}

// A settings file linked into the user's own dotfiles folder stays linked and
// is updated through the link, as the user, whose settings are in a folder of
// their own.
TEST(FileWriteLinks, SettingsLinkedIntoDotfilesStayLinked)
{
    REQUIRE_ROOT();
    SharedTemp dir;
    const QString home = dir.filePath("user");
    MakeFolder(home, 0755, kUser, kUserGroup);
    MakeFolder(home + "/dotfiles", 0755, kUser, kUserGroup);
    MakeFolder(home + "/.config/Vettaro", 0755, kUser, kUserGroup);
    MakeFolder(home + "/.config", 0755, kUser, kUserGroup);
    const QString real = home + "/dotfiles/vettaro.ini";
    Put(real, "[Settings]\nLanguage=1040\n", 0644, kUser, kUserGroup);
    const QString link = home + "/.config/Vettaro/vettaro.ini";
    MakeLink(real, link, kUser);

    const QString said = AsUser([&] {
        qputenv("XDG_CONFIG_HOME", Native(home + "/.config"));
        if (SettingsFilePath("vettaro") != link)
            return QStringLiteral("settings at ") + SettingsFilePath("vettaro");
        return SaveSetting("vettaro", "Settings", "Font", "Arial") ? QStringLiteral("saved") : QStringLiteral("failed");
    });
    EXPECT_EQ(said, "saved");
    EXPECT_TRUE(QFileInfo(link).isSymLink());
    EXPECT_TRUE(ReadAll(real).contains("Language=1040")) << ReadAll(real).toStdString();
    EXPECT_TRUE(ReadAll(real).contains("Font=Arial")) << ReadAll(real).toStdString();
    EXPECT_EQ(StatOf(real).st_uid, kUser);
    EXPECT_EQ(Entries(home + "/dotfiles"), QStringList{"vettaro.ini"});
}

// A file the user made read-only is refused, not replaced, though the folder
// would allow the rename: an export over it, and settings frozen on purpose.
TEST(FileWriteProtected, ReadOnlyFileIsRefused)
{
    REQUIRE_ROOT();
    SharedTemp dir;
    const QString folder = dir.filePath("user");
    MakeFolder(folder, 0755, kUser, kUserGroup);
    const QString route = folder + "/route.xml", ini = folder + "/Vettaro/vettaro.ini";
    Put(route, "<kept/>", 0444, kUser, kUserGroup);
    MakeFolder(folder + "/Vettaro", 0755, kUser, kUserGroup);
    Put(ini, "[Settings]\nLanguage=1040\n", 0444, kUser, kUserGroup);

    const QString said = AsUser([&] { return WriteResult(route, "<new/>"); });
    EXPECT_TRUE(said.startsWith("75 ")) << said.toStdString();
    EXPECT_TRUE(said.contains("read-only")) << said.toStdString();
    EXPECT_TRUE(said.contains(route)) << said.toStdString();
    EXPECT_EQ(ReadAll(route), "<kept/>");
    EXPECT_EQ(StatOf(route).st_mode & 07777, 0444u);

    const QString reported = AsUser([&] {
        qputenv("XDG_CONFIG_HOME", Native(folder));
        QString why;
        SetSettingsFailureHandler([&](const QString &reason) { why = reason; });
        return SaveSetting("vettaro", "Settings", "Language", "1033") ? QStringLiteral("saved") : why;
    });
    EXPECT_TRUE(reported.contains("read-only")) << reported.toStdString();
    EXPECT_TRUE(reported.contains(ini)) << reported.toStdString();
    EXPECT_EQ(ReadAll(ini), "[Settings]\nLanguage=1040\n");
    EXPECT_EQ(Entries(folder), QStringList({"Vettaro", "route.xml"}));
    EXPECT_EQ(Entries(folder + "/Vettaro"), QStringList{"vettaro.ini"});
}

// Where the folder refuses the new file but the file itself could be
// written, the message names the folder as the obstacle.
TEST(FileWriteProtected, FolderNotWritableNamesTheFolder)
{
    REQUIRE_ROOT();
    SharedTemp dir;
    const QString folder = dir.filePath("exports");
    MakeFolder(folder, 0755);
    const QString route = folder + "/route.xml";
    Put(route, "<kept/>", 0644, kUser, kUserGroup);
    const QString said = AsUser([&] { return WriteResult(route, "<new/>"); });
    EXPECT_TRUE(said.startsWith("75 ")) << said.toStdString();
    EXPECT_TRUE(said.contains(QStringLiteral("folder not writable: '%1'").arg(folder))) << said.toStdString();
    EXPECT_FALSE(said.contains(route)) << said.toStdString();
    EXPECT_EQ(ReadAll(route), "<kept/>");
}

// A replaced file keeps its owner and group: root saving over a user's file
// leaves it the user's; a user saving over a file of a shared folder keeps
// its group, where the user belongs to it.
TEST(FileWriteProtected, OwnerAndGroupAreKept)
{
    REQUIRE_ROOT();
    SharedTemp dir;
    const QString mine = dir.filePath("notes.txt");
    Put(mine, "old", 0640, kUser, kSharedGroup);
    EXPECT_EQ(WriteResult(mine, "saved by root"), "written");
    EXPECT_EQ(ReadAll(mine), "saved by root");
    EXPECT_EQ(StatOf(mine).st_uid, kUser);
    EXPECT_EQ(StatOf(mine).st_gid, kSharedGroup);
    EXPECT_EQ(StatOf(mine).st_mode & 07777, 0640u);

    // A folder of the shared group, without the bit that gives new files its
    // group: only the writer can keep it.
    const QString shared = dir.filePath("team");
    MakeFolder(shared, 0775, 0, kSharedGroup);
    const QString plan = shared + "/plan.xml", open = shared + "/open.xml";
    Put(plan, "old", 0664, kOther, kSharedGroup);
    Put(open, "old", 0666, kOther, kForeignGroup);
    const QString said = AsUser(
        [&] { return WriteResult(plan, "new") + QLatin1Char(' ') + WriteResult(open, "new"); }, {kSharedGroup});
    EXPECT_EQ(said, "written written");
    EXPECT_EQ(ReadAll(plan), "new");
    EXPECT_EQ(StatOf(plan).st_uid, kUser);
    EXPECT_EQ(StatOf(plan).st_gid, kSharedGroup);
    EXPECT_EQ(StatOf(plan).st_mode & 07777, 0664u);
    // A group the user is not in cannot be kept; the write still succeeds.
    EXPECT_EQ(ReadAll(open), "new");
    EXPECT_EQ(StatOf(open).st_gid, kUserGroup);
    EXPECT_EQ(StatOf(open).st_mode & 07777, 0666u);
}

namespace {

// A child process that writes path through the writer and then waits:
// killed, it leaves its new file behind; let go, it commits.
class WritingProcess {
public:
    explicit WritingProcess(const QString &path)
    {
        int said[2], go[2];
        if (::pipe(said) != 0 || ::pipe(go) != 0)
            return;
        m_pid = ::fork();
        if (m_pid == 0) {
            ::close(said[0]);
            ::close(go[1]);
            ::alarm(30);
            FileWrite::SafeFileWriter out(path);
            const bool ok = out.write(QByteArray(100000, 'c'));
            const QByteArray temp = ok ? Native(out.temporaryPath()) : QByteArray("-");
            (void)::write(said[1], temp.constData(), size_t(temp.size()));
            ::close(said[1]);
            char c = 0;
            if (::read(go[0], &c, 1) == 1 && ok && out.commit())
                ::_exit(0);
            ::_exit(1);
        }
        ::close(said[1]);
        ::close(go[0]);
        m_go = go[1];
        m_temp = QFile::decodeName(ReadChild(said[0]));
        ::close(said[0]);
    }
    ~WritingProcess() { kill(); }
    QString temporaryPath() const { return m_temp; }
    void kill()
    {
        if (m_pid > 0) {
            ::kill(m_pid, SIGKILL);
            ::waitpid(m_pid, nullptr, 0);
            m_pid = -1;
        }
        if (m_go >= 0) {
            ::close(m_go);
            m_go = -1;
        }
    }
    // Lets the child commit; true when it did.
    bool finish()
    {
        int status = 1;
        if (m_pid <= 0 || ::write(m_go, "g", 1) != 1 || ::waitpid(m_pid, &status, 0) != m_pid)
            return false;
        m_pid = -1;
        return WIFEXITED(status) && WEXITSTATUS(status) == 0;
    }

private:
    pid_t m_pid = -1;
    int m_go = -1;
    QString m_temp;
};

} // namespace

// A write killed midway leaves its new file beside the target; the next
// write of that target removes it and any other that nobody holds, but
// never the new file of a write still at work, in another process or in
// this one, nor a file of another target.
TEST(FileWriteLeftovers, KilledWritesAreClearedLiveOnesKept)
{
    QTemporaryDir dir;
    const QString target = dir.filePath("vettaro.ini");
    FileWrite::WriteWhole(target, "first");

    WritingProcess live(target);
    ASSERT_TRUE(live.temporaryPath().startsWith(dir.path())) << live.temporaryPath().toStdString();
    WritingProcess killed(target);
    ASSERT_TRUE(killed.temporaryPath().startsWith(dir.path())) << killed.temporaryPath().toStdString();
    killed.kill();
    ASSERT_TRUE(QFileInfo::exists(killed.temporaryPath()));
    // The new files of a target have a few names derived from its own.
    const QString stale = dir.filePath(".vettaro.ini.00000009.tmp"), otherTarget = dir.filePath(".route.xml.00000009.tmp");
    Put(stale, "left by an earlier run", 0644);
    Put(otherTarget, "another file's", 0644);

    FileWrite::SafeFileWriter here(target);
    ASSERT_TRUE(here.write("this process"));

    FileWrite::WriteWhole(target, "second");
    EXPECT_EQ(ReadAll(target), "second");
    // The killed write's name may have been taken again by a later write of
    // the same target; what it wrote is gone.
    EXPECT_NE(ReadAll(killed.temporaryPath()), QByteArray(100000, 'c'));
    EXPECT_FALSE(QFileInfo::exists(stale));
    EXPECT_TRUE(QFileInfo::exists(otherTarget));
    EXPECT_TRUE(QFileInfo::exists(live.temporaryPath()));
    EXPECT_TRUE(QFileInfo::exists(here.temporaryPath()));

    // Both writes still at work finish as if nothing had happened.
    EXPECT_TRUE(live.finish());
    EXPECT_EQ(ReadAll(target), QByteArray(100000, 'c'));
    EXPECT_TRUE(here.commit()) << here.errorText().toStdString();
    EXPECT_EQ(ReadAll(target), "this process");
    EXPECT_EQ(Entries(dir.path()), QStringList({".route.xml.00000009.tmp", "vettaro.ini"}));
}

// The program's private files go to the folder that was checked. Another
// account that can write the base folder and swaps the private folder for
// one of its own, before the write or in the middle of it, gets nothing.
TEST(PrivateFiles, WrittenOnlyToTheCheckedFolder)
{
    REQUIRE_ROOT();
    SharedTemp dir;
    const QString base = dir.filePath("run");
    MakeFolder(base, 01777);
    TestSupport::RuntimeDirScope env(Native(base));
    QString why;
    const QString folder = OpenUserPrivateFolder(&why).path();
    ASSERT_EQ(folder, base + "/Vettaro") << why.toStdString();
    const QString log = folder + "/LogImport.txt";
    const auto swap = [&](const QString &aside) {
        ASSERT_EQ(::rename(Native(folder).constData(), Native(aside).constData()), 0);
        MakeFolder(folder, 0777, kOther, kOtherGroup);
    };

    // Swapped between the folder's check and the write: refused.
    swap(base + "/checked-1");
    EXPECT_FALSE(FileWrite::WriteFileAtomically(log, "Stelvio\r\n", &why, FileWrite::SafeFileWriter::Mode::Private));
    EXPECT_TRUE(why.contains("owned by another user")) << why.toStdString();
    EXPECT_TRUE(why.contains(folder)) << why.toStdString();
    EXPECT_TRUE(Entries(folder).isEmpty());
    ASSERT_TRUE(QDir(folder).removeRecursively());

    // Swapped in the middle of the write: the file lands in the folder that
    // was checked, wherever it now is.
    ASSERT_EQ(::rename(Native(base + "/checked-1").constData(), Native(folder).constData()), 0);
    FileWrite::SafeFileWriter out(log, FileWrite::SafeFileWriter::Mode::Private);
    ASSERT_TRUE(out.write("Giro\r\n"));
    swap(base + "/checked-2");
    ASSERT_TRUE(out.commit()) << out.errorText().toStdString();
    EXPECT_EQ(ReadAll(base + "/checked-2/LogImport.txt"), "Giro\r\n");
    EXPECT_EQ(StatOf(base + "/checked-2/LogImport.txt").st_mode & 07777, 0600u);
    EXPECT_EQ(Entries(base + "/checked-2"), QStringList{"LogImport.txt"});
    EXPECT_TRUE(Entries(folder).isEmpty());

    // A folder of the user's that others may write is refused too.
    ASSERT_EQ(::chown(Native(folder).constData(), 0, 0), 0);
    EXPECT_FALSE(FileWrite::WriteFileAtomically(log, "x", &why, FileWrite::SafeFileWriter::Mode::Private));
    EXPECT_TRUE(why.contains("open to other users")) << why.toStdString();
    EXPECT_TRUE(Entries(folder).isEmpty());
}

// A file another account put in a sticky folder others may write (as /tmp)
// is not filled by root's export, as the system's fs.protected_regular would
// refuse to open it: it would stay that account's, with what was written.
// The folder's owner's files, and any file in a folder without the sticky
// bit, are written as before; so is a plain user's, whom the folder refuses
// the rename anyway, with the same clear cause.
TEST(FileWriteProtected, AnotherAccountsFileInASharedStickyFolder)
{
    REQUIRE_ROOT();
    SharedTemp dir;
    struct Case {
        const char *name;
        mode_t folderMode;
        uid_t folderOwner, fileOwner;
        bool written;
    };
    const Case cases[] = {
        {"planted in a folder writable by all", 01777, 0, kOther, false},
        {"planted in a folder writable by its group", 01770, 0, kOther, false},
        {"the folder owner's", 01777, kOther, kOther, true},
        {"the user's own", 01777, kOther, 0, true},
        {"in a folder that is not sticky", 0777, 0, kOther, true},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        const QString shared = dir.filePath(QStringLiteral("shared-%1").arg(&c - cases));
        MakeFolder(shared, c.folderMode, c.folderOwner);
        const QString target = shared + "/report.xml";
        Put(target, "planted", 0666, c.fileOwner, c.fileOwner);
        const QString said = WriteResult(target, "<secret/>");
        if (c.written) {
            EXPECT_EQ(said, "written");
            EXPECT_EQ(ReadAll(target), "<secret/>");
        } else {
            EXPECT_EQ(said, QStringLiteral("75 Path/File access error: file of another user in a shared folder: '%1'").arg(target));
            EXPECT_EQ(ReadAll(target), "planted");
        }
        EXPECT_EQ(StatOf(target).st_uid, c.fileOwner);
        EXPECT_EQ(Entries(shared), QStringList{"report.xml"});
    }

    // Reached through a link of root's own, and written as a plain user.
    const QString shared = dir.filePath("shared-0/report.xml");
    const QString link = dir.filePath("report-link.xml");
    MakeLink(shared, link, 0);
    EXPECT_TRUE(WriteResult(link, "<secret/>").contains("file of another user in a shared folder"));
    const QString user = AsUser([&] { return WriteResult(shared, "<secret/>"); });
    EXPECT_TRUE(user.contains("file of another user in a shared folder")) << user.toStdString();
    EXPECT_EQ(ReadAll(shared), "planted");
}

// A sticky shared folder where another account planted "config", a link to
// a private folder elsewhere: the configuration home a folder must not be
// made through.
struct PlantedConfigLink {
    PlantedConfigLink()
    {
        MakeFolder(sticky, 01777);
        MakeFolder(elsewhere, 0700);
        MakeLink(elsewhere, sticky + "/config", kOther);
    }
    SharedTemp dir;
    QString sticky = dir.filePath("sticky"), elsewhere = dir.filePath("elsewhere");
};

// The settings folder is made as the writer walks: a link another account
// planted in a shared folder on the way is not followed, and nothing is made
// where it leads; a missing folder of the user's is made.
TEST(FileWriteLinks, SettingsFolderMadeOnlyWhereTheWriterWould)
{
    REQUIRE_ROOT();
    const PlantedConfigLink planted;
    const SharedTemp &dir = planted.dir;
    const QString &sticky = planted.sticky, &elsewhere = planted.elsewhere;

    QString reported;
    SetSettingsFailureHandler([&](const QString &reason) { reported = reason; });
    {
        ConfigHomeScope env(Native(sticky + "/config"));
        EXPECT_FALSE(SaveSetting("vettaro", "Settings", "Language", "1040"));
    }
    EXPECT_TRUE(reported.contains("link of another user in a shared folder")) << reported.toStdString();
    EXPECT_TRUE(reported.contains(sticky + "/config")) << reported.toStdString();
    EXPECT_TRUE(Entries(elsewhere).isEmpty());

    reported.clear();
    {
        ConfigHomeScope env(Native(dir.filePath("home/.config")));
        EXPECT_TRUE(SaveSetting("vettaro", "Settings", "Language", "1040"));
    }
    SetSettingsFailureHandler({});
    EXPECT_TRUE(reported.isEmpty()) << reported.toStdString();
    EXPECT_TRUE(ReadAll(dir.filePath("home/.config/Vettaro/vettaro.ini")).contains("Language=1040"));
}

// The class registry's folder, made when a language library registers, is
// made as the settings folder is: not through a link another account
// planted in a shared folder, and where it is missing in the user's own.
TEST(FileWriteLinks, ClassRegistryFolderMadeOnlyWhereTheWriterWould)
{
    REQUIRE_ROOT();
    const PlantedConfigLink planted;
    const SharedTemp &dir = planted.dir;
    const QString &sticky = planted.sticky, &elsewhere = planted.elsewhere;
    const QString library = dir.filePath("Lang/VettaroLang1040.so");
    {
        ConfigHomeScope env(Native(sticky + "/config"));
        EXPECT_FALSE(ComRegistryFile::Write(ComRegistryFile::DefaultUserFile(), "VettaroLang1040.clsResLang", library));
    }
    EXPECT_TRUE(Entries(elsewhere).isEmpty());
    {
        ConfigHomeScope env(Native(dir.filePath("home/.config")));
        const QString registry = ComRegistryFile::DefaultUserFile();
        EXPECT_TRUE(registry.startsWith(dir.filePath("home/.config/"))) << registry.toStdString();
        EXPECT_TRUE(ComRegistryFile::Write(registry, "VettaroLang1040.clsResLang", library));
        EXPECT_EQ(ComRegistryFile::Lookup(registry, "VettaroLang1040.clsResLang"), library);
    }
}

// A write finds what killed writes of its target left by their names alone,
// without reading the folder: it clears them even in a folder its user may
// not list. Names another account planted in a shared folder to take them
// all do not stop the write.
TEST(FileWriteLeftovers, FoundByNameNotByReadingTheFolder)
{
    REQUIRE_ROOT();
    SharedTemp dir;
    const QString drop = dir.filePath("drop");
    MakeFolder(drop, 0300, kUser, kUserGroup);   // the user may add and remove, not list
    const QString target = drop + "/vettaro.ini";
    Put(drop + "/.vettaro.ini.00000000.tmp", "killed", 0600, kUser, kUserGroup);
    Put(drop + "/.vettaro.ini.0000000f.tmp", "killed", 0600, kUser, kUserGroup);
    EXPECT_EQ(AsUser([&] { return WriteResult(target, "saved"); }), "written");
    EXPECT_EQ(ReadAll(target), "saved");
    EXPECT_EQ(Entries(drop), QStringList{"vettaro.ini"});

    const QString shared = dir.filePath("shared");
    MakeFolder(shared, 01777);
    for (int slot = 0; slot < 16; ++slot)
        Put(shared + QStringLiteral("/.route.xml.%1.tmp").arg(slot, 8, 16, QLatin1Char('0')), "planted", 0644, kOther, kOtherGroup);
    EXPECT_EQ(AsUser([&] { return WriteResult(shared + "/route.xml", "<route/>"); }), "written");
    EXPECT_EQ(ReadAll(shared + "/route.xml"), "<route/>");
    EXPECT_EQ(Entries(shared).size(), 17);
}

// The private folder is refused below a base folder others may rename its
// entries in: one writable by others without the sticky bit, or one of
// another account. A sticky one keeps others from touching the user's
// folder and is taken.
TEST(PrivateFiles, BaseFolderOthersMayRewriteIsRefused)
{
    REQUIRE_ROOT();
    SharedTemp dir;
    struct Case {
        const char *name;
        mode_t mode;
        uid_t owner;
        gid_t group;
        const char *cause;   // empty where the folder is taken
    };
    const Case cases[] = {
        {"writable by all", 0777, 0, 0, "open to other users"},
        {"writable by a group of several", 0770, 0, kSharedGroup, "open to other users"},
        {"another account's", 0755, kOther, 0, "owned by another user"},
        {"sticky and writable by all", 01777, 0, 0, ""},
        {"the user's", 0700, 0, 0, ""},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        const QString base = dir.filePath(QStringLiteral("run-%1").arg(&c - cases));
        MakeFolder(base, c.mode, c.owner, c.group);
        TestSupport::RuntimeDirScope env(Native(base));
        QString why;
        const PrivateFolder folder = OpenUserPrivateFolder(&why);
        if (*c.cause) {
            EXPECT_FALSE(folder.isOpen());
            EXPECT_EQ(why, QStringLiteral("Path/File access error: %1: '%2'").arg(c.cause, base));
            EXPECT_TRUE(Entries(base).isEmpty());
        } else {
            ASSERT_TRUE(folder.isOpen()) << why.toStdString();
            EXPECT_EQ(folder.path(), base + "/Vettaro");
            EXPECT_TRUE(folder.writeWhole("LogImport.txt", "Giro\r\n", &why)) << why.toStdString();
            EXPECT_EQ(ReadAll(base + "/Vettaro/LogImport.txt"), "Giro\r\n");
        }
    }

    // A folder writable by the user's own private group is the user's alone,
    // where the system gives root such a group (a group "root" of no member).
    const group *own = ::getgrgid(0);
    if (own && QByteArray(own->gr_name) == "root" && !own->gr_mem[0]) {
        const QString base = dir.filePath("run-own-group");
        MakeFolder(base, 0770, 0, 0);
        TestSupport::RuntimeDirScope env(Native(base));
        QString why;
        EXPECT_TRUE(OpenUserPrivateFolder(&why).isOpen()) << why.toStdString();
    }
}

// A killed write that had taken a random name (the 16 names were all taken),
// or one of an older version, leaves a name the 16 do not find: the first
// write of the target in a run reads the folder for such files too, and
// removes those nobody holds, never one still held nor another target's.
TEST(FileWriteLeftovers, RandomNamesAreClearedToo)
{
    QTemporaryDir dir;
    const QString target = dir.filePath("vettaro.ini");
    const QString killed = dir.filePath(".vettaro.ini.5eedf00d.tmp"), held = dir.filePath(".vettaro.ini.0badc0de.tmp");
    Put(killed, "killed", 0600);
    Put(held, "at work", 0600);
    Put(dir.filePath(".route.xml.5eedf00d.tmp"), "another file's", 0600);
    const int live = ::open(Native(held).constData(), O_RDWR | O_CLOEXEC);
    ASSERT_GE(live, 0);
    ASSERT_TRUE(leftovers::Hold(live));
    FileWrite::WriteWhole(target, "saved");
    ::close(live);
    EXPECT_EQ(ReadAll(target), "saved");
    EXPECT_EQ(Entries(dir.path()), QStringList({".route.xml.5eedf00d.tmp", ".vettaro.ini.0badc0de.tmp", "vettaro.ini"}))
        << Entries(dir.path()).join(' ').toStdString();

    // The folder was read once: the other file's leftover goes at that
    // file's first write; the one held then, though its writer has since let
    // go, waits for the next run (a later write looks up the 16 names alone).
    FileWrite::WriteWhole(dir.filePath("route.xml"), "<route/>");
    FileWrite::WriteWhole(target, "saved again");
    EXPECT_EQ(Entries(dir.path()), QStringList({".vettaro.ini.0badc0de.tmp", "route.xml", "vettaro.ini"}))
        << Entries(dir.path()).join(' ').toStdString();
}

// An account whose primary group is the user's group belongs to it without
// being listed among its members: a base folder that group may write is open
// to that account, and refused. The account is added to a copy of the
// account list seen by a child alone, in a mount namespace of its own.
TEST(PrivateFiles, GroupThatIsAnotherAccountsPrimaryIsNotTheUsersOwn)
{
    REQUIRE_ROOT();
    const group *own = ::getgrgid(0);
    if (!own || QByteArray(own->gr_name) != "root" || own->gr_mem[0])
        GTEST_SKIP() << "the system gives root no group of its own";
    SharedTemp dir;
    const QString base = dir.filePath("run");
    MakeFolder(base, 0770, 0, 0);
    QFile accounts(QStringLiteral("/etc/passwd"));
    ASSERT_TRUE(accounts.open(QIODevice::ReadOnly));
    Put(dir.filePath("passwd"), accounts.readAll() + "vettaro-guest:x:4001:0::/nonexistent:/usr/sbin/nologin\n", 0644);
    const QString said = AsAccount(0, 0, {0}, [&] {
        if (::unshare(CLONE_NEWNS) != 0 || ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0
            || ::mount(Native(dir.filePath("passwd")).constData(), "/etc/passwd", nullptr, MS_BIND, nullptr) != 0)
            return QStringLiteral("no mounts");
        TestSupport::RuntimeDirScope env(Native(base));
        QString why;
        return OpenUserPrivateFolder(&why).isOpen() ? QStringLiteral("taken") : why;
    });
    if (said == "no mounts")
        GTEST_SKIP() << "this process may not mount a file system";
    EXPECT_EQ(said, QStringLiteral("Path/File access error: open to other users: '%1'").arg(base)) << said.toStdString();
    EXPECT_TRUE(Entries(base).isEmpty());
}

// A folder that cannot be made is told by what refused it, wherever on the
// way: not as "folder not found", which the missing parent of the whole path
// would suggest.
TEST(FileWriteLinks, FolderMadeOnTheWayToldByWhatRefusedIt)
{
    SharedTemp dir;
    ASSERT_EQ(::symlink("loop", Native(dir.filePath("loop")).constData()), 0);
    const QString looped = dir.filePath("loop/Vettaro/logs");
    QString why;
    EXPECT_LT(FileWrite::OpenOrMakeFolder(looped, &why), 0);
    EXPECT_EQ(why, QStringLiteral("Path/File access error: too many levels of links: '%1'").arg(looped)) << why.toStdString();

    if (::geteuid() != 0)
        return;
    // Refused to a plain user in a folder of root's, two levels below the
    // last folder there is.
    MakeFolder(dir.filePath("roots"), 0755);
    const QString denied = dir.filePath("roots/Vettaro/logs");
    const QString said = AsUser([&] {
        QString error;
        const int fd = FileWrite::OpenOrMakeFolder(denied, &error);
        if (fd >= 0)
            ::close(fd);
        return fd >= 0 ? QStringLiteral("made") : error;
    });
    EXPECT_EQ(said, QStringLiteral("Path/File access error: permission denied: '%1'").arg(denied)) << said.toStdString();
    EXPECT_TRUE(Entries(dir.filePath("roots")).isEmpty());
}
