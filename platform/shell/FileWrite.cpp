#include "platform/shell/FileWrite.h"

#include "platform/error/VbError.h"
#include "platform/files/Causes.h"
#include "platform/files/Leftovers.h"
#include "platform/files/Walk.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QMutex>
#include <QRandomGenerator>
#include <QRegularExpression>

#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <functional>
#include <optional>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

namespace FileWrite {

namespace {

// The errno whose system text the file object passed on, or 0.
int ErrnoOfText(const QString &text)
{
    if (text.isEmpty())
        return 0;
    for (int e = 1; e < 134; ++e)
        if (text == QString::fromLocal8Bit(std::strerror(e)))
            return e;
    return 0;
}

// A failed write judged once: the cause's key, and the words it is told in.
struct Judged {
    files::Cause key;
    QString words;
};

Judged Judge(const QString &path, int systemError, const QString &deviceError)
{
    const auto named = [](files::Cause key) { return Judged{key, files::Words(key)}; };
    const int textErrno = ErrnoOfText(deviceError);
    std::optional<files::Cause> key = files::CauseKeyOfErrno(textErrno);
    if (!key)
        key = files::CauseKeyOfErrno(systemError);
    if (key)
        return named(*key);

    // The file object said nothing useful ("Unknown error" after a short
    // write): look at where the file was to go.
    const QFileInfo target(path);
    const QString folder = target.absolutePath();
    if (!QFileInfo(folder).isDir())
        return named(files::Cause::FolderNotFound);
    struct statvfs fs {};
    if (::statvfs(QFile::encodeName(folder).constData(), &fs) == 0) {
        if (fs.f_flag & ST_RDONLY)
            return named(files::Cause::ReadOnly);
        if (fs.f_bavail == 0)
            return named(files::Cause::DiskFull);
    }
    if (::access(QFile::encodeName(folder).constData(), W_OK) != 0)
        return named(files::CauseKeyOfErrno(errno).value_or(files::Cause::PermissionDenied));
    if (target.exists() && !target.isWritable())
        return named(files::Cause::ReadOnly);
    // An errno of no cause of ours: its number, never the C library's text,
    // which is in its own language, not the interface's.
    if (const int e = textErrno ? textErrno : systemError)
        return {files::Cause::SystemError, files::CauseOfAnyErrno(e)};
    return {files::Cause::UnknownCause, deviceError.isEmpty() ? files::Words(files::Cause::UnknownCause) : deviceError};
}

} // namespace

QString Cause(const QString &path, int systemError, const QString &deviceError)
{
    return Judge(path, systemError, deviceError).words;
}

files::Cause CauseKey(const QString &path, int systemError, const QString &deviceError)
{
    return Judge(path, systemError, deviceError).key;
}

void RaiseCause(const QString &path, const QString &cause)
{
    RaiseError(75, FailureText(path, cause));
}

void RaiseFailure(const QString &path, int systemError, const QString &deviceError)
{
    RaiseCause(path, Cause(path, systemError, deviceError));
}

namespace {

SystemCalls g_calls;

QByteArray Native(const QString &path) { return QFile::encodeName(path); }

using files::InFolder;
using files::Place;
using files::Walk;

// Removes the folder name of dirFd with everything in it, through handles:
// links inside are removed, never followed.
void RemoveTree(int dirFd, const QByteArray &name, int depth = 0)
{
    const int fd = ::openat(dirFd, name.constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0)
        return;
    DIR *dir = ::fdopendir(fd);
    if (!dir) {
        ::close(fd);
        return;
    }
    QList<QByteArray> entries;
    while (const dirent *entry = ::readdir(dir))
        if (std::strcmp(entry->d_name, ".") != 0 && std::strcmp(entry->d_name, "..") != 0)
            entries.append(QByteArray(entry->d_name));
    for (const QByteArray &entry : entries)
        if (::unlinkat(fd, entry.constData(), 0) != 0 && (errno == EISDIR || errno == EPERM) && depth < 64)
            RemoveTree(fd, entry, depth + 1);
    ::closedir(dir);
    ::unlinkat(dirFd, name.constData(), AT_REMOVEDIR);
}

// The first bytes of name's file name, at most 100 and cut between two
// characters, for the names of files beside it: the name with what is added
// must stay within the 255 bytes a name may have, whatever its script (a
// name in a 3-byte script has only 85 characters).
QByteArray NamePrefix(const QString &name)
{
    const QByteArray bytes = Native(name);
    qsizetype end = qMin<qsizetype>(bytes.size(), 100);
    while (end > 0 && end < bytes.size() && (uchar(bytes.at(end)) & 0xC0) == 0x80)
        --end;
    return bytes.left(end);
}

// Moves a folder standing at name out of the way and removes it.
bool ClearFolderAt(int dirFd, const QString &name)
{
    const QByteArray aside = "." + NamePrefix(name) + "."
                             + QByteArray::number(QRandomGenerator::system()->generate(), 16).rightJustified(8, '0')
                             + ".old";
    if (::renameat(dirFd, Native(name).constData(), dirFd, aside.constData()) != 0)
        return false;
    RemoveTree(dirFd, aside);
    return true;
}

// Whether name in dirFd is still the file open at fd.
bool SameEntry(int dirFd, const QString &name, int fd)
{
    struct stat atName {}, open {};
    return ::fstatat(dirFd, Native(name).constData(), &atName, AT_SYMLINK_NOFOLLOW) == 0 && ::fstat(fd, &open) == 0
        && atName.st_ino == open.st_ino && atName.st_dev == open.st_dev;
}

// Why what stands at name in the folder open at dirFd (entry, not followed)
// is no file of the user's to replace; empty when it is one. A folder; a
// pipe, a socket or a device, which it would break what uses it to replace
// (root would replace a device node); a file another account put in a shared
// sticky folder (as /tmp), which is not the user's to fill: it would keep its
// owner, who would get what is written; refused as the system's protection
// of such files (fs.protected_regular) refuses to open it, whether or not it
// is on. And a file its user cannot write, which stays as it is though the
// folder would let a rename replace it.
std::optional<files::Cause> RefusalOf(int dirFd, const QString &name, const struct stat &entry)
{
    if (S_ISDIR(entry.st_mode))
        return files::Cause::IsAFolder;
    if (!S_ISREG(entry.st_mode))
        return files::Cause::NotARegularFile;
    struct stat folder {};
    if (entry.st_uid != ::geteuid() && ::fstat(dirFd, &folder) == 0 && (folder.st_mode & S_ISVTX)
        && (folder.st_mode & (S_IWGRP | S_IWOTH)) && entry.st_uid != folder.st_uid)
        return files::Cause::FileOfAnotherUser;
    if (::faccessat(dirFd, Native(name).constData(), W_OK, AT_EACCESS) != 0
        && (errno == EACCES || errno == EPERM || errno == EROFS))
        return files::Cause::ReadOnly;
    return std::nullopt;
}

// The obstacle a refusal names: the path as the user gave it for what the
// user can act on there (a read-only file, a folder at the name), else the
// file found at its end.
bool RefusedAsGiven(files::Cause cause)
{
    return cause == files::Cause::ReadOnly || cause == files::Cause::IsAFolder;
}

// An absolute path without taking anything out of it: ".." is left to the
// walk, which takes it as the system does (after a link, the parent of the
// folder the link led to).
QString AbsoluteAsGiven(const QString &path)
{
    return QDir::isAbsolutePath(path) ? path : QDir::currentPath() + QLatin1Char('/') + path;
}

// "Path/File access error: <cause>: '<obstacle>'" of a writer or a swap
// that failed (empty while it has not), and the same raised as error 75.
QString FailureTextOf(bool failed, const QString &path, const QString &obstacle, const QString &cause)
{
    return failed ? FailureText(obstacle.isEmpty() ? path : obstacle, cause) : QString();
}
[[noreturn]] void RaiseFailureOf(const QString &path, const QString &obstacle, const QString &cause)
{
    RaiseCause(obstacle.isEmpty() ? path : obstacle, cause.isEmpty() ? files::Words(files::Cause::UnknownCause) : cause);
}

// What RenameWithoutReplacing answers when from no longer holds the file
// being renamed (an errno is never negative).
constexpr int kNotOwnFile = -1;

// Renames from to to in the folder open at dirFd unless something stands at
// to: 0, or the errno (EEXIST when the name is taken), or kNotOwnFile when,
// just before a step that would put from at to, ownFile() finds from no
// longer holds the file to rename (no ownFile: the caller holds from by
// other means, as the file swap's own names). Where the file system cannot rename so,
// the new name is made a second link of the file, which fails as well when
// the name is taken, and the first is removed; where it has no such links
// either, a plain rename is all there is.
int RenameWithoutReplacing(int dirFd, const QByteArray &from, const QByteArray &to, std::function<bool()> ownFile = {})
{
    if (!ownFile)
        ownFile = [] { return true; };
    if (!ownFile())
        return kNotOwnFile;
    if (g_calls.renameat2(dirFd, from.constData(), dirFd, to.constData(), RENAME_NOREPLACE) == 0)
        return 0;
    if (errno != EINVAL && errno != ENOSYS && errno != ENOTSUP)
        return errno;
    if (!ownFile())
        return kNotOwnFile;
    if (::linkat(dirFd, from.constData(), dirFd, to.constData(), 0) == 0) {
        // The file has its place; the first name goes only while it still
        // names that file.
        if (ownFile())
            ::unlinkat(dirFd, from.constData(), 0);
        return 0;
    }
    // Any refusal of the second link but a taken name (a file system without
    // links answers EPERM, ENOTSUP, ENOSYS ... as it pleases) leaves the
    // plain rename.
    if (errno == EEXIST)
        return errno;
    if (!ownFile())
        return kNotOwnFile;
    return ::renameat(dirFd, from.constData(), dirFd, to.constData()) == 0 ? 0 : errno;
}

// The names of the writer's new files for a target called name.
QString TemporaryStem(const QString &name) { return QLatin1Char('.') + QFile::decodeName(NamePrefix(name)) + QLatin1Char('.'); }

// The new file takes one of a few names derived from the target's, so the
// next write finds what a killed one left by those names alone, without
// reading the folder (which costs as much as the folder is large). Only
// where all are taken (as many writes of one file at once, or names another
// account planted) does it take a random name, and the folder is then read
// for leftovers.
constexpr int kNamedSlots = 16;

QString SlotName(const QString &stem, quint32 slot)
{
    return stem + QStringLiteral("%1.tmp").arg(slot, 8, 16, QLatin1Char('0'));
}

// Whether name has the form of one of the writer's new files:
// ".<name>.<8 hex digits>.tmp".
bool LooksLikeNewFile(const QByteArray &name)
{
    constexpr qsizetype tail = 1 + 8 + 4;   // ".xxxxxxxx.tmp"
    if (name.size() < 1 + tail || !name.startsWith('.') || !name.endsWith(".tmp") || name[name.size() - tail] != '.')
        return false;
    for (qsizetype i = name.size() - tail + 1; i < name.size() - 4; ++i)
        if (!std::isxdigit(static_cast<unsigned char>(name[i])) || std::isupper(static_cast<unsigned char>(name[i])))
            return false;
    return true;
}

// The names of the folder open at dirFd (whose path is folder) that may be
// leftovers of stem's target, other than the 16 it looks up itself (those of
// a write that took a random name, or of older versions). The folder is read
// once per run for all the names of the writer's form, kept by the stem they
// start with, and each target takes its own at its first write: a folder of
// 20,000 files is read once however many files are written in it. What a
// killed write leaves later under a random name waits for the next run.
QList<QByteArray> ListedLeftovers(int dirFd, const QString &folder, const QByteArray &stem)
{
    struct stat st {};
    if (::fstat(dirFd, &st) != 0)
        return {};
    static QMutex lock;
    static QHash<QString, QHash<QByteArray, QList<QByteArray>>> listed;
    // The path as well as the folder's identity: a folder removed and made
    // again may get the same inode at once.
    const QString key = QStringLiteral("%1:%2:").arg(quint64(st.st_dev)).arg(quint64(st.st_ino)) + folder;
    const QMutexLocker locked(&lock);
    auto it = listed.find(key);
    if (it == listed.end()) {
        QHash<QByteArray, QList<QByteArray>> byStem;
        const int listFd = ::openat(dirFd, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (DIR *dir = listFd >= 0 ? ::fdopendir(listFd) : nullptr) {
            while (const dirent *entry = ::readdir(dir)) {
                const QByteArray entryName(entry->d_name);
                if (LooksLikeNewFile(entryName))
                    byStem[entryName.chopped(8 + 4)].append(entryName);
            }
            ::closedir(dir);
        } else if (listFd >= 0) {
            ::close(listFd);
        }
        it = listed.insert(key, byStem);
    }
    return it->take(stem);
}

} // namespace

SystemCalls SetSystemCallsForTests(SystemCalls calls)
{
    const SystemCalls previous = g_calls;
    g_calls = calls;
    return previous;
}

SafeFileWriter::SafeFileWriter(const QString &path, Mode mode)
    : m_path(path), m_mode(mode)
{
}

SafeFileWriter::SafeFileWriter(int folderFd, const QString &folder, const QString &name, Mode mode)
    : m_path(InFolder(folder, name)), m_folder(folder), m_name(name), m_mode(mode),
      m_givenDir(::fcntl(folderFd, F_DUPFD_CLOEXEC, 0)), m_inFolder(true)
{
}

SafeFileWriter::~SafeFileWriter()
{
    cancel();
    if (m_givenDir >= 0)
        ::close(m_givenDir);
}

QString SafeFileWriter::errorText() const { return FailureTextOf(m_failed, m_path, m_failurePath, m_cause); }

void SafeFileWriter::raise() const { RaiseFailureOf(m_path, m_failurePath, m_cause); }

bool SafeFileWriter::fail(int systemError)
{
    // Judged before the new file is removed, which frees the space whose
    // lack made the write fail.
    if (!m_failed) {
        const Judged judged = Judge(m_target.isEmpty() ? m_path : m_target, systemError,
                                    systemError ? QString::fromLocal8Bit(std::strerror(systemError)) : QString());
        m_causeKey = judged.key;
        m_cause = judged.words;
    }
    m_failed = true;
    cancel();
    return false;
}

bool SafeFileWriter::failAt(const QString &path, files::Cause cause)
{
    if (!m_failed) {
        m_causeKey = cause;
        m_cause = files::Words(cause);
        m_failurePath = path;
    }
    m_failed = true;
    cancel();
    return false;
}

void SafeFileWriter::removeTemporary()
{
    // Removed before the lock goes (with the last descriptor of the new
    // file), and only where the name still holds this writer's file: once
    // unlocked, the name may be taken by another write's live file.
    const int held = m_fd >= 0 ? m_fd : m_hold;
    if (!m_tempName.isEmpty() && m_dir >= 0 && held >= 0 && SameEntry(m_dir, m_tempName, held))
        ::unlinkat(m_dir, Native(m_tempName).constData(), 0);
    if (m_fd >= 0) {
        ::close(m_fd);
        m_fd = -1;
    }
    m_tempName.clear();
    m_temp.clear();
    if (m_hold >= 0) {
        ::close(m_hold);
        m_hold = -1;
    }
}

void SafeFileWriter::cancel()
{
    removeTemporary();
    if (m_dir >= 0) {
        ::close(m_dir);
        m_dir = -1;
    }
}

bool SafeFileWriter::open()
{
    if (m_failed)
        return false;
    if (m_fd >= 0)
        return true;
    // The file is in place: writing on would start a new, empty one over it.
    if (m_committed)
        return failAt(m_path, files::Cause::AlreadyWritten);
    if (m_inFolder) {
        // A name in a folder the caller holds open: nothing is looked up by
        // path, so the folder it checked is the folder written.
        if (m_givenDir < 0)
            return fail(EBADF);
        if (m_name.isEmpty() || m_name.contains(QLatin1Char('/')) || m_name == QLatin1String(".")
            || m_name == QLatin1String(".."))
            return fail(EINVAL);
        m_dir = ::fcntl(m_givenDir, F_DUPFD_CLOEXEC, 0);
        if (m_dir < 0)
            return fail(errno);
    } else {
        const QString absolute = AbsoluteAsGiven(m_path);
        Place place;
        if (!Walk(absolute, m_mode == Mode::Shared, &place)) {
            if (!place.refusedLink.isEmpty())
                return failAt(place.refusedLink, files::Cause::LinkOfAnotherUser);
            m_target = absolute;
            return fail(place.error);
        }
        m_dir = place.dir;
        m_folder = place.folderPath();
        m_name = place.name;
    }
    m_target = InFolder(m_folder, m_name);

    struct stat old {};
    const bool existed = ::fstatat(m_dir, Native(m_name).constData(), &old, AT_SYMLINK_NOFOLLOW) == 0;
    m_keep = false;
    if (m_mode == Mode::Shared) {
        if (existed) {
            // Only a file of the user's is replaced (judged again at the
            // commit, on what stands at the name then).
            if (const auto refused = RefusalOf(m_dir, m_name, old))
                return failAt(RefusedAsGiven(*refused) ? m_path : m_target, *refused);
            m_keep = true;
            m_uid = old.st_uid;
            m_gid = old.st_gid;
            m_keptMode = old.st_mode & 07777;
        }
    } else {
        // The program's own files go only to a folder of the user's that
        // nobody else can write: the folder checked here is the one written.
        struct stat folder {};
        if (::fstat(m_dir, &folder) != 0)
            return fail(errno);
        if (folder.st_uid != ::geteuid())
            return failAt(m_folder, files::Cause::OwnedByAnotherUser);
        if (folder.st_mode & (S_IWGRP | S_IWOTH))
            return failAt(m_folder, files::Cause::OpenToOtherUsers);
    }
    // The walk's handle only finds; fsync and listing need the folder opened.
    const int opened = ::openat(m_dir, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (opened >= 0) {
        ::close(m_dir);
        m_dir = opened;
    }

    const QString stem = TemporaryStem(m_name);
    // A file that replaces another is the user's alone until commit() gives
    // it the old file's mode: a private file must never be readable by
    // others while it is written. Otherwise the umask decides.
    const mode_t createMode = m_mode == Mode::Private || m_keep || m_hasFinalMode ? 0600 : 0666;
    // 1 when the new file was made at name, 0 when the name is taken, -1
    // after a failure.
    const auto create = [&](const QString &name) {
        const int fd = ::openat(m_dir, Native(name).constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, createMode);
        if (fd < 0) {
            const int e = errno;
            if (e == EEXIST)
                return 0;
            // The file may be writable; what refuses the new file beside it
            // is its folder.
            if (e == EACCES || e == EPERM)
                failAt(m_folder, files::Cause::FolderNotWritable);
            else
                fail(e);
            return -1;
        }
        // Held while it is written, so no other write of the same target
        // takes it for a leftover. A leftover remover that locked it in the
        // instant since its creation is about to remove it: another name.
        if (!leftovers::Hold(fd) || !SameEntry(m_dir, name, fd)) {
            ::close(fd);
            return 0;
        }
        m_fd = fd;
        m_tempName = name;
        return 1;
    };
    int slot = 0;
    for (; slot < kNamedSlots && m_fd < 0; ++slot) {
        const QString name = SlotName(stem, quint32(slot));
        int made = create(name);
        // A killed write's file: its name is free again.
        if (made == 0 && leftovers::RemoveIfUnheld(m_dir, Native(name).constData()))
            made = create(name);
        if (made < 0)
            return false;
    }
    const bool named = m_fd >= 0;
    for (int attempt = 0; attempt < 100 && m_fd < 0; ++attempt)
        if (create(SlotName(stem, QRandomGenerator::system()->generate())) < 0)
            return false;
    if (m_fd < 0)
        return fail(EEXIST);
    m_temp = InFolder(m_folder, m_tempName);
    // What writes of this target killed midway left: nobody holds them. The
    // rest of the 16 names are tried; any other name is looked for in the
    // folder after taking a random name, else in the folder's list of the run.
    if (named)
        for (; slot < kNamedSlots; ++slot)
            leftovers::RemoveIfUnheld(m_dir, Native(SlotName(stem, quint32(slot))).constData());
    if (!named)
        leftovers::RemoveUnheld(m_dir, stem, QRegularExpression(QLatin1Char('^') + QRegularExpression::escape(stem)
                                                          + QStringLiteral(R"([0-9a-f]{8}\.tmp$)")));
    else
        for (const QByteArray &name : ListedLeftovers(m_dir, m_folder, Native(stem)))
            if (name != Native(m_tempName))
                leftovers::RemoveIfUnheld(m_dir, name.constData());
    return true;
}

bool SafeFileWriter::write(const char *data, qint64 size)
{
    if (!open())
        return false;
    while (size > 0) {
        const ssize_t n = g_calls.write(m_fd, data, size_t(size));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return fail(n < 0 ? errno : EIO);
        data += n;
        size -= n;
    }
    return true;
}

bool SafeFileWriter::commit()
{
    if (!open())
        return false;
    if (m_keep) {
        // A replaced file keeps its owner and group where the system lets
        // the user give them (root can); else its group, where the user
        // belongs to it. Then its mode, which a change of owner may clear.
        struct stat now {};
        if (::fstat(m_fd, &now) == 0 && (now.st_uid != m_uid || now.st_gid != m_gid)
            && ::fchown(m_fd, m_uid, m_gid) != 0 && now.st_gid != m_gid)
            (void)::fchown(m_fd, uid_t(-1), m_gid);
        if (::fchmod(m_fd, m_keptMode) != 0)
            return fail(errno);
    } else if (m_mode == Mode::Private && ::fchmod(m_fd, 0600) != 0) {
        // The program's own files are for their user alone, whatever the umask.
        return fail(errno);
    }
    if (m_hasFinalMode && ::fchmod(m_fd, m_finalMode) != 0)
        return fail(errno);
    if (g_calls.fsync(m_fd) != 0)
        return fail(errno);
    // The lock goes on through a second descriptor of the same opening, so
    // the new file is held until it has taken the target's place.
    m_hold = ::fcntl(m_fd, F_DUPFD_CLOEXEC, 0);
    if (m_hold < 0)
        return fail(errno);
    const int fd = m_fd;
    m_fd = -1;
    if (::close(fd) != 0)
        return fail(errno);

    // The new file's name may have been emptied or given to another file
    // meanwhile (by anything that did not wait for the lock): only the file
    // written here is renamed, judged under the lock just before each rename.
    const auto ownFile = [this] { return SameEntry(m_dir, m_tempName, m_hold); };
    const auto notOwnFile = [this] { return failAt(m_path, files::Cause::NewFileTakenMeanwhile); };

    // Whatever stands at the name of a private file is replaced: a rename
    // takes the place of a link without following it, a folder is cleared
    // away first.
    struct stat st {};
    if (m_mode == Mode::Private && ::fstatat(m_dir, Native(m_name).constData(), &st, AT_SYMLINK_NOFOLLOW) == 0
        && S_ISDIR(st.st_mode) && !ClearFolderAt(m_dir, m_name))
        return fail(errno);
    if (m_mode == Mode::Shared) {
        // What stands at the name now, not what stood there at open(), is
        // what the rename replaces: it is judged by the same rules, on the
        // folder's handle. Where nothing stands, the rename takes only a
        // free name, so nothing that appears in between is replaced unjudged.
        const QByteArray name = Native(m_name);
        bool there = ::fstatat(m_dir, name.constData(), &st, AT_SYMLINK_NOFOLLOW) == 0;
        if (!there && errno != ENOENT)
            return fail(errno);
        if (!there) {
            const int moved = RenameWithoutReplacing(m_dir, Native(m_tempName), name, ownFile);
            if (moved == kNotOwnFile)
                return notOwnFile();
            if (moved != 0 && moved != EEXIST)
                return fail(moved);
            if (moved == EEXIST) {
                there = ::fstatat(m_dir, name.constData(), &st, AT_SYMLINK_NOFOLLOW) == 0;
                if (!there)
                    return fail(errno);
            }
        }
        // A file of the user's that another save put in place meanwhile is
        // replaced, as a later save replaces it; anything else is refused.
        if (there) {
            if (const auto refused = RefusalOf(m_dir, m_name, st))
                return failAt(RefusedAsGiven(*refused) ? m_path : m_target, *refused);
            if (!ownFile())
                return notOwnFile();
            if (::renameat(m_dir, Native(m_tempName).constData(), m_dir, name.constData()) != 0)
                return fail(errno);
        }
    } else {
        if (!ownFile())
            return notOwnFile();
        if (::renameat(m_dir, Native(m_tempName).constData(), m_dir, Native(m_name).constData()) != 0)
            return fail(errno);
    }
    m_tempName.clear();
    m_temp.clear();
    m_committed = true;
    // The rename itself is made lasting with the folder's entry.
    ::fsync(m_dir);
    cancel();
    return true;
}
void WriteWhole(const QString &path, const QByteArray &data, SafeFileWriter::Mode mode)
{
    SafeFileWriter file(path, mode);
    if (!file.write(data) || !file.commit())
        file.raise();
}

bool WriteFileAtomically(const QString &path, const QByteArray &data, QString *error, SafeFileWriter::Mode mode)
{
    SafeFileWriter file(path, mode);
    if (file.write(data) && file.commit())
        return true;
    if (error)
        *error = file.errorText();
    return false;
}

int OpenOrMakeFolder(const QString &path, QString *error)
{
    const QString absolute = AbsoluteAsGiven(path);
    Place place;
    // The errno says what refused the walk, wherever on the way (a folder
    // that may not be made deep in a missing chain is "permission denied",
    // a loop of links "too many levels of links", not the "folder not found"
    // the missing parent of the whole path would suggest); only without one
    // is the folder looked at.
    const auto causeOf = [&](int e) { return e ? files::CauseOfAnyErrno(e) : Cause(path, 0, QString()); };
    if (!Walk(absolute, true, &place, true)) {
        if (error)
            *error = place.refusedLink.isEmpty()
                         ? FailureText(path, causeOf(place.error))
                         : FailureText(place.refusedLink, files::Words(files::Cause::LinkOfAnotherUser));
        return -1;
    }
    const int fd = ::openat(place.dir, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    const int e = errno;
    ::close(place.dir);
    if (fd < 0 && error)
        *error = FailureText(path, causeOf(e));
    return fd;
}

bool CopyWhole(const QString &source, const QString &target, QString *error)
{
    QFile in(source);
    if (!in.open(QIODevice::ReadOnly)) {
        if (error)
            *error = FailureText(source, Cause(source, 0, in.errorString()));
        return false;
    }
    SafeFileWriter out(target);
    // The copy has its source's mode (an executable stays executable).
    struct stat from {};
    if (::fstat(in.handle(), &from) == 0)
        out.setFinalMode(from.st_mode);
    while (!in.atEnd()) {
        const QByteArray chunk = in.read(1 << 20);
        if (chunk.isEmpty() && in.error() != QFileDevice::NoError) {
            if (error)
                *error = FailureText(source, in.errorString());
            return false;
        }
        if (!out.write(chunk))
            break;
    }
    if (!out.commit()) {
        if (error)
            *error = out.errorText();
        return false;
    }
    return true;
}

// ---- FileSwap -----------------------------------------------------------------------------

namespace {

std::function<void()> g_swapHook;

// Whether name in the folder open at dirFd is the file device:inode (not
// followed).
bool HoldsFile(int dirFd, const QByteArray &name, dev_t device, ino_t inode)
{
    struct stat st {};
    return dirFd >= 0 && ::fstatat(dirFd, name.constData(), &st, AT_SYMLINK_NOFOLLOW) == 0 && st.st_dev == device
        && st.st_ino == inode;
}

// Whether name can be a name in a folder: no folder in it, not "." nor "..".
bool PlainName(const QString &name)
{
    return !name.isEmpty() && !name.contains(QLatin1Char('/')) && name != QLatin1String(".")
        && name != QLatin1String("..");
}

} // namespace

void SetSwapHookForTests(std::function<void()> hook) { g_swapHook = std::move(hook); }

KeptFile::KeptFile(int folderFd, const QString &folder, const QString &name, dev_t device, ino_t inode)
    : m_dir(::fcntl(folderFd, F_DUPFD_CLOEXEC, 0)), m_folder(folder), m_name(name), m_device(device), m_inode(inode)
{
}

KeptFile::~KeptFile()
{
    if (m_dir >= 0)
        ::close(m_dir);
}

QString KeptFile::path() const { return InFolder(m_folder, m_name); }

bool KeptFile::remove() const
{
    const QByteArray name = Native(m_name);
    return HoldsFile(m_dir, name, m_device, m_inode) && ::unlinkat(m_dir, name.constData(), 0) == 0;
}

FileSwap::FileSwap(const QString &path) : m_path(path) {}

FileSwap::~FileSwap()
{
    if (m_file >= 0)
        ::close(m_file);
    if (m_dir >= 0)
        ::close(m_dir);
}

QString FileSwap::errorText() const { return FailureTextOf(m_failed, m_path, m_failurePath, m_cause); }

void FileSwap::raise() const { RaiseFailureOf(m_path, m_failurePath, m_cause); }

bool FileSwap::refuse(const QString &obstacle, const QString &cause)
{
    if (!m_failed) {
        m_cause = cause;
        m_failurePath = obstacle;
    }
    m_failed = true;
    return false;
}

bool FileSwap::failWith(int systemError)
{
    return refuse(m_path, Cause(m_target.isEmpty() ? m_path : m_target, systemError,
                                systemError ? QString::fromLocal8Bit(std::strerror(systemError)) : QString()));
}

bool FileSwap::open()
{
    if (m_failed)
        return false;
    if (m_dir >= 0)
        return true;
    Place place;
    const QString absolute = AbsoluteAsGiven(m_path);
    if (!Walk(absolute, true, &place)) {
        if (!place.refusedLink.isEmpty())
            return refuse(place.refusedLink, files::Words(files::Cause::LinkOfAnotherUser));
        return failWith(place.error);
    }
    // The walk's handle only finds; the folder is synced after the rename.
    const int opened = ::openat(place.dir, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    ::close(place.dir);
    if (opened < 0)
        return failWith(errno);
    m_dir = opened;
    m_folder = place.folderPath();
    m_name = place.name;
    m_target = InFolder(m_folder, m_name);
    // The file found is kept by a handle that neither reads it nor takes part
    // in its locks (closing it drops none the database engine holds): the
    // backup is made from it, and every later check compares with it.
    m_file = ::openat(m_dir, Native(m_name).constData(), O_PATH | O_NOFOLLOW | O_CLOEXEC);
    if (m_file < 0)
        return errno == ENOENT ? refuse(m_path, files::Words(files::Cause::FileNotFound)) : failWith(errno);
    struct stat found {};
    if (::fstat(m_file, &found) != 0)
        return failWith(errno);
    m_device = found.st_dev;
    m_inode = found.st_ino;
    uid_t uid;
    gid_t gid;
    mode_t mode;
    return checkTarget(&uid, &gid, &mode);
}

QString FileSwap::throughHandle(const QString &name) const
{
    if (m_dir < 0)
        return QString();
    return files::ThroughHandle(m_dir, name.isEmpty() ? m_name : name);
}

bool FileSwap::stillFound() const { return m_file >= 0 && HoldsFile(m_dir, Native(m_name), m_device, m_inode); }

bool FileSwap::checkTarget(uid_t *uid, gid_t *gid, mode_t *mode)
{
    const QByteArray name = Native(m_name);
    struct stat st {};
    if (::fstatat(m_dir, name.constData(), &st, AT_SYMLINK_NOFOLLOW) != 0)
        return errno == ENOENT ? refuse(m_path, files::Words(files::Cause::FileNotFound)) : failWith(errno);
    // What a write refuses at the name (anything but a regular file,
    // another account's file in a shared sticky folder, a file its user
    // cannot write though the folder would let a rename replace it), the
    // swap refuses too.
    if (const auto refused = RefusalOf(m_dir, m_name, st))
        return refuse(m_path, files::Words(*refused));
    if (m_inode != 0 && (st.st_dev != m_device || st.st_ino != m_inode))
        return refuse(m_path, files::Words(files::Cause::ReplacedMeanwhile));
    *uid = st.st_uid;
    *gid = st.st_gid;
    *mode = st.st_mode & 07777;
    return true;
}

QByteArray FileSwap::builtName(const QString &built)
{
    QString name;
    QString rest;
    if (const int handle = files::HandleOf(built, &rest); handle >= 0) {
        if (handle == m_dir)
            name = rest;
    } else {
        const QFileInfo copy(built);
        if (copy.absolutePath() == m_folder)
            name = copy.fileName();
    }
    if (!PlainName(name) || name == m_name) {
        refuse(built, files::Words(files::Cause::NotBesideTarget));
        return QByteArray();
    }
    return Native(name);
}

bool FileSwap::takeTargetsOwnership(const QByteArray &name, uid_t uid, gid_t gid, mode_t mode)
{
    const int fd = ::openat(m_dir, name.constData(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0)
        return failWith(errno);
    // The owner and group where the system lets the user give them (root
    // can), else the group where the user belongs to it; then the mode,
    // which a change of owner may clear.
    struct stat now {};
    bool ok = ::fstat(fd, &now) == 0 && S_ISREG(now.st_mode);
    int error = ok ? 0 : (errno ? errno : EINVAL);
    if (ok && (now.st_uid != uid || now.st_gid != gid) && ::fchown(fd, uid, gid) != 0 && now.st_gid != gid)
        (void)::fchown(fd, uid_t(-1), gid);
    if (ok && ::fchmod(fd, mode) != 0) {
        ok = false;
        error = errno;
    }
    if (ok && g_calls.fsync(fd) != 0) {
        ok = false;
        error = errno;
    }
    ::close(fd);
    return ok || failWith(error);
}

bool FileSwap::renameOverTarget(const QByteArray &built)
{
    if (::renameat(m_dir, built.constData(), m_dir, Native(m_name).constData()) != 0) {
        const int e = errno;
        if (e == EACCES || e == EPERM)
            return refuse(m_folder, files::Words(files::Cause::FolderNotWritable));
        return failWith(e);
    }
    // The rename itself is made lasting with the folder's entry.
    ::fsync(m_dir);
    return true;
}

bool FileSwap::prepareCopy(const QString &built, QByteArray *copyName, uid_t *uid, gid_t *gid, mode_t *mode)
{
    m_kept.reset();
    if (!open())
        return false;
    *copyName = builtName(built);
    return !copyName->isEmpty() && checkTarget(uid, gid, mode) && takeTargetsOwnership(*copyName, *uid, *gid, *mode);
}

bool FileSwap::replaceWith(const QString &built)
{
    QByteArray copyName;
    uid_t uid;
    gid_t gid;
    mode_t mode;
    return prepareCopy(built, &copyName, &uid, &gid, &mode) && renameOverTarget(copyName);
}

bool FileSwap::makeBackup(const Backup &backup, uid_t uid, gid_t gid, mode_t mode, QByteArray *working,
                          struct stat *made)
{
    const auto nextName = [&] {
        const QString name = backup.workingName ? backup.workingName() : QString();
        *working = PlainName(name) && name != m_name ? Native(name) : QByteArray();
        return !working->isEmpty();
    };
    // A second name of the file found, made from its handle: whatever stands
    // at its name by now is never what the backup holds.
    const QByteArray found = Native(files::ThroughHandle(m_file));
    int linkError = EEXIST;
    for (int attempt = 0; attempt < 100 && linkError == EEXIST; ++attempt) {
        if (!nextName())
            return failWith(EINVAL);
        linkError = ::linkat(AT_FDCWD, found.constData(), m_dir, working->constData(), AT_SYMLINK_FOLLOW) == 0 ? 0 : errno;
    }
    if (linkError == 0) {
        if (::fstatat(m_dir, working->constData(), made, AT_SYMLINK_NOFOLLOW) == 0 && made->st_dev == m_device
            && made->st_ino == m_inode)
            return true;
        const int e = errno;
        return failWith(e ? e : EIO);
    }
    // The file found is gone: its name holds another by now, or nothing.
    if (linkError == ENOENT) {
        uid_t u;
        gid_t g;
        mode_t m;
        return checkTarget(&u, &g, &m) && failWith(ENOENT);
    }
    // A file system that refuses second names of a file: a copy, private
    // until it is whole, then given the file's owner, group and mode.
    if (!backup.copy)
        return failWith(linkError);
    int fd = -1;
    for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
        if (!nextName())
            return failWith(EINVAL);
        fd = ::openat(m_dir, working->constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
        if (fd < 0 && errno != EEXIST)
            return failWith(errno);
    }
    if (fd < 0)
        return failWith(EEXIST);
    const bool ok = ::fchmod(fd, 0600) == 0 && ::fstat(fd, made) == 0;
    const int e = errno;
    ::close(fd);
    const auto drop = [&] {
        if (HoldsFile(m_dir, *working, made->st_dev, made->st_ino))
            ::unlinkat(m_dir, working->constData(), 0);
    };
    if (!ok) {
        ::unlinkat(m_dir, working->constData(), 0);
        return failWith(e);
    }
    try {
        backup.copy(files::ThroughHandle(m_dir, QFile::decodeName(*working)));
    } catch (...) {
        drop();
        throw;
    }
    if (!HoldsFile(m_dir, *working, made->st_dev, made->st_ino)) {
        drop();
        return refuse(m_path, files::Words(files::Cause::ReplacedMeanwhile));
    }
    if (!takeTargetsOwnership(*working, uid, gid, mode)) {
        drop();
        return false;
    }
    return true;
}

bool FileSwap::replaceWith(const QString &built, const Backup &backup)
{
    QByteArray copyName;
    uid_t uid;
    gid_t gid;
    mode_t mode;
    if (!prepareCopy(built, &copyName, &uid, &gid, &mode))
        return false;
    if (!PlainName(backup.name) || backup.name == m_name)
        return refuse(InFolder(m_folder, backup.name), files::Words(files::Cause::NotBesideTarget));

    QByteArray working;
    struct stat made {};
    if (!makeBackup(backup, uid, gid, mode, &working, &made))
        return false;
    const auto dropWorking = [&] {
        if (HoldsFile(m_dir, working, made.st_dev, made.st_ino))
            ::unlinkat(m_dir, working.constData(), 0);
    };
    // The older backup is touched only while the file is still the one found.
    if (!checkTarget(&uid, &gid, &mode)) {
        dropWorking();
        return false;
    }
    const QByteArray backupName = Native(backup.name);
    const QString backupPath = InFolder(m_folder, backup.name);

    // The new backup takes the backup's name: by an exchange with the older
    // one, which can be undone; by taking the free name where there is none;
    // where the file system cannot exchange, by moving the older one aside
    // first.
    enum class Put { Exchanged, Renamed, Aside } put = Put::Renamed;
    struct stat older {};
    QByteArray aside;
    bool placed = false;
    for (int attempt = 0; attempt < 10 && !placed; ++attempt) {
        if (::fstatat(m_dir, backupName.constData(), &older, AT_SYMLINK_NOFOLLOW) != 0) {
            if (errno != ENOENT) {
                const int e = errno;
                dropWorking();
                return failWith(e);
            }
            const int moved = RenameWithoutReplacing(m_dir, working, backupName);
            if (moved == EEXIST)
                continue;   // an older backup appeared meanwhile
            if (moved != 0) {
                dropWorking();
                return failWith(moved);
            }
            put = Put::Renamed;
            placed = true;
            break;
        }
        // What stands at the backup's name is replaced only where a write
        // would replace it.
        if (const auto refused = RefusalOf(m_dir, backup.name, older)) {
            dropWorking();
            return refuse(backupPath, files::Words(*refused));
        }
        if (::renameat2(m_dir, working.constData(), m_dir, backupName.constData(), RENAME_EXCHANGE) == 0) {
            put = Put::Exchanged;
            placed = true;
            break;
        }
        if (errno == ENOENT)
            continue;   // the older backup went meanwhile
        if (errno != EINVAL && errno != ENOSYS && errno != ENOTSUP) {
            const int e = errno;
            dropWorking();
            return failWith(e);
        }
        aside = backup.workingName ? Native(backup.workingName()) : QByteArray();
        if (!PlainName(QFile::decodeName(aside)) || aside == working) {
            dropWorking();
            return failWith(EINVAL);
        }
        int moved = RenameWithoutReplacing(m_dir, backupName, aside);
        if (moved == 0) {
            moved = RenameWithoutReplacing(m_dir, working, backupName);
            if (moved != 0)
                (void)RenameWithoutReplacing(m_dir, aside, backupName);
        }
        if (moved == ENOENT || moved == EEXIST)
            continue;
        if (moved != 0) {
            dropWorking();
            return failWith(moved);
        }
        put = Put::Aside;
        placed = true;
    }
    if (!placed) {
        dropWorking();
        return failWith(EEXIST);
    }
    // Puts the older backup back (the new one is at the working name again).
    const auto undo = [&] {
        if (!HoldsFile(m_dir, backupName, made.st_dev, made.st_ino))
            return;
        if (put == Put::Exchanged) {
            if (HoldsFile(m_dir, working, older.st_dev, older.st_ino))
                ::renameat2(m_dir, working.constData(), m_dir, backupName.constData(), RENAME_EXCHANGE);
        } else if (RenameWithoutReplacing(m_dir, backupName, working) == 0 && put == Put::Aside
                   && HoldsFile(m_dir, aside, older.st_dev, older.st_ino)) {
            (void)RenameWithoutReplacing(m_dir, aside, backupName);
        }
    };
    // The file is checked once more just before the rename: one restored over
    // it meanwhile keeps its place, and the older backup is put back.
    if (g_swapHook)
        g_swapHook();
    if (!checkTarget(&uid, &gid, &mode) || !renameOverTarget(copyName)) {
        undo();
        dropWorking();
        return false;
    }
    // The older backup, now at the working name, goes.
    const QByteArray olderAt = put == Put::Exchanged ? working : aside;
    if (put != Put::Renamed && HoldsFile(m_dir, olderAt, older.st_dev, older.st_ino))
        ::unlinkat(m_dir, olderAt.constData(), 0);
    m_kept = std::make_shared<KeptFile>(m_dir, m_folder, backup.name, made.st_dev, made.st_ino);
    return true;
}

} // namespace FileWrite
