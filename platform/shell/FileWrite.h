#pragma once
// Writing files so that a failure never costs the old content: every file the
// program writes goes through SafeFileWriter (or WriteWhole, its one-call
// form). The bytes go to a new file beside the target; every write, the close
// and an fsync are checked, and only then is the new file renamed over the
// target. A failure leaves the old file as it was, removes the new one and
// says why in words the user can act on, with the path.
//
// Everything after finding the target's folder is done through a handle of
// that folder, so the folder cannot be swapped between the checks and the
// rename. The new file is locked while it is written; the new files a write
// killed midway left beside the same target are removed at its next write,
// never one a live writer still holds (found by the few names the writer
// uses, and by reading the folder at the first write of a target in a run).
// Once its lock is gone, another write of the same target may take the new
// file's name for its own, so a write acts on that name only while it holds
// the lock, and only on the file it made: one that gives up removes its new
// file before letting the lock go, and only where the name still holds that
// file; a commit checks under the lock, just before each rename, that the
// name still holds the file it wrote, and otherwise fails ("new file removed
// or replaced meanwhile") with the target as it was. Other writes wait for
// the lock, so a commit told as done put its own bytes in place; only
// something that ignores the lock could still swap the file in the instant
// between that check and the rename (no system call renames a name only
// while it holds a given file).
#include "platform/files/Causes.h"

#include <QByteArray>
#include <QString>

#include <cstdio>
#include <optional>
#include <sys/types.h>
#include <unistd.h>

namespace FileWrite {

// The cause of a failed write of path in the interface language: "disk full",
// "read-only", "permission denied", "folder not found", "is a folder" ...
// systemError is the errno the failing call left (0 when unknown), deviceError
// the text the file object gave. Where neither names a cause, the target's
// folder is looked at (a read-only or full file system, a folder that cannot
// be written); an errno no cause stands for is told by its number ("system
// error 16"), a text that is no errno's as it is.
QString Cause(const QString &path, int systemError, const QString &deviceError);
// The same cause as its key, for callers that act on it: SystemError for an
// errno no cause stands for, UnknownCause where nothing names one (Cause then
// gives the file object's own text, where it gave one).
files::Cause CauseKey(const QString &path, int systemError, const QString &deviceError);

// Error 75 "Path/File access error: <cause>: '<path>'".
[[noreturn]] void RaiseFailure(const QString &path, int systemError, const QString &deviceError);
[[noreturn]] void RaiseCause(const QString &path, const QString &cause);
// The description RaiseCause gives, for callers that report without throwing.
using files::FailureText;

class SafeFileWriter {
public:
    enum class Mode {
        // A file of the user's: a regular file or none at the name (a pipe,
        // a socket or a device is refused as "not a regular file"; so is a
        // file of another account in a sticky folder others may write, as
        // the system's fs.protected_regular refuses it, unless the folder is
        // that account's). An existing target keeps its mode, owner and
        // group (its group only, where the user may not give the file away
        // but belongs to the group); a target the user cannot write is
        // refused as "read-only", though its folder would allow a rename.
        // What stands at the name when commit() renames is judged again by
        // these rules; where nothing stands, the rename takes the name only
        // while it is free.
        // A link on the way is followed only where the system's protection
        // against planted links would follow it: the link is the user's, or
        // its folder is not sticky and writable by all (as /tmp is), or the
        // link belongs to the folder's owner. So a settings file linked into
        // the user's own dotfiles stays linked, and a link another account
        // planted in a shared folder is refused, with nothing written.
        Shared,
        // A file of the program's own, in a folder of its user's that nobody
        // else can write (refused otherwise): mode 0600, and whatever stands
        // at the target's name (a link, a folder, a pipe) is replaced, never
        // followed nor opened.
        Private,
    };

    explicit SafeFileWriter(const QString &path, Mode mode = Mode::Shared);
    // The file name (a name, no folder) in the folder open at folderFd,
    // whose path is folder (for messages): nothing is looked up by path, so
    // the folder a caller checked on its handle is the folder written, even
    // where its path has since been given to another. The handle is
    // duplicated; the caller keeps its own.
    SafeFileWriter(int folderFd, const QString &folder, const QString &name, Mode mode = Mode::Private);
    ~SafeFileWriter();   // a file not committed is removed
    SafeFileWriter(const SafeFileWriter &) = delete;
    SafeFileWriter &operator=(const SafeFileWriter &) = delete;

    // Each returns false once anything has failed; cause() then says why.
    bool open();
    bool write(const char *data, qint64 size);
    bool write(const QByteArray &bytes) { return write(bytes.constData(), bytes.size()); }
    // Syncs and closes the new file and renames it over the target. Once
    // only: after it, commit() and write() fail ("already written") and the
    // file stays as committed. A new file that something else removed or
    // replaced meanwhile is not renamed: "new file removed or replaced
    // meanwhile", the target as it was.
    bool commit();
    // Removes the new file (while it is still this writer's, never a file
    // that took its name since); the target stays as it was.
    void cancel();

    // The new file's name, for a library that writes a file by name itself:
    // it may replace the content, and commit() then syncs and renames it.
    QString temporaryPath() const { return m_temp; }
    // The file the rename replaces, by a path without links (in Shared mode
    // the file a link at the name leads to).
    QString targetPath() const { return m_target; }
    QString cause() const { return m_cause; }
    // The cause's key, for a caller that acts on it; none before a failure.
    std::optional<files::Cause> causeKey() const { return m_causeKey; }
    // "Path/File access error: <cause>: '<path>'", empty before a failure.
    // The path is the obstacle: the file, or its folder where the folder
    // refused the new file ("folder not writable"), or a refused link.
    QString errorText() const;
    // Throws the failure as error 75.
    [[noreturn]] void raise() const;
    // The mode the file takes at commit(), instead of the replaced file's or
    // the umask's (a copy keeps its source's).
    void setFinalMode(mode_t mode) { m_finalMode = mode & 07777; m_hasFinalMode = true; }

private:
    bool fail(int systemError);
    // A failure whose obstacle is path (a folder, a link) with its cause.
    bool failAt(const QString &path, files::Cause cause);
    void removeTemporary();

    QString m_path, m_target, m_temp;
    QString m_folder, m_name, m_tempName;   // the target's folder, its name, the new file's name
    Mode m_mode;
    int m_dir = -1;    // the target's folder
    int m_fd = -1;     // the new file
    int m_hold = -1;   // keeps the new file's lock from the close to the rename
    int m_givenDir = -1;   // the folder a caller handed over, with m_inFolder
    bool m_inFolder = false;
    bool m_committed = false;
    bool m_keep = false;   // an existing file's owner, group and mode to keep
    uid_t m_uid = 0;
    gid_t m_gid = 0;
    mode_t m_keptMode = 0;
    mode_t m_finalMode = 0;
    bool m_hasFinalMode = false;
    bool m_failed = false;
    QString m_cause, m_failurePath;
    std::optional<files::Cause> m_causeKey;
};

// Writes data as the whole content of path (throws error 75 on failure).
void WriteWhole(const QString &path, const QByteArray &data,
                SafeFileWriter::Mode mode = SafeFileWriter::Mode::Shared);
// The same without throwing: false with *error set to the reason.
bool WriteFileAtomically(const QString &path, const QByteArray &data, QString *error,
                         SafeFileWriter::Mode mode = SafeFileWriter::Mode::Shared);

// Opens the folder at path, making what is missing of it (mode 0777 less the
// umask, as mkdir -p), through handles and following a link on the way only
// where the writer would follow it. Returns a handle (read-only, closed on
// exec) the caller closes, or -1 with *error set to the reason.
int OpenOrMakeFolder(const QString &path, QString *error = nullptr);

// Copies source to target through the writer, keeping the source's
// permissions. False with *error set to the reason.
bool CopyWhole(const QString &source, const QString &target, QString *error = nullptr);

// The system calls the writer makes for the bytes, the sync and the rename
// that takes a free name (renameat2 with RENAME_NOREPLACE). Tests replace
// them to make the device fail, or to put something at the name in the
// instant before the rename; each member left out stays the system's call.
// Returns the previous set.
struct SystemCalls {
    ssize_t (*write)(int fd, const void *data, size_t size) = ::write;
    int (*fsync)(int fd) = ::fsync;
    int (*renameat2)(int fromDir, const char *from, int toDir, const char *to, unsigned flags) = ::renameat2;
};
SystemCalls SetSystemCallsForTests(SystemCalls calls);

// ---- A file built whole by someone else, put in the place of an existing one ----
//
// A database engine builds a compacted, repaired or converted copy of a file
// by name, beside it; FileSwap then puts that copy in the file's place under
// the writer's rules for the file it replaces: a link on the way is followed
// only as SafeFileWriter follows it (so the link stays and the file it names
// is the one replaced), a file the user cannot write is refused as
// "read-only", anything but a regular file is refused, and the copy takes the
// replaced file's owner, group (as far as the system lets the user give them)
// and mode, is synced, and is renamed over it through the folder's handle.
class FileSwap {
public:
    explicit FileSwap(const QString &path);
    ~FileSwap();
    FileSwap(const FileSwap &) = delete;
    FileSwap &operator=(const FileSwap &) = delete;

    // Finds the file path names and checks it can be replaced. False with
    // errorText() on a refusal (a planted link, a read-only or missing file).
    bool open();
    // The file that will be replaced, by a path without links: the copy is
    // built in its folder. Empty before a successful open().
    QString targetPath() const { return m_target; }
    // Puts built, a file in the target's folder, in the target's place; the
    // target is checked again first, and must still be the file open()
    // found (a file put at its name meanwhile, by anything that did not
    // wait for the caller's lock, is refused as "file replaced meanwhile":
    // the copy holds the older content). False with errorText() on a
    // failure, the target then as it was and built where it was.
    bool replaceWith(const QString &built);

    QString cause() const { return m_cause; }
    // "Path/File access error: <cause>: '<path>'", empty before a failure.
    QString errorText() const;
    // Throws the failure as error 75.
    [[noreturn]] void raise() const;

private:
    bool refuse(const QString &obstacle, const QString &cause);
    bool failWith(int systemError);
    // The target as it stands now: a regular file the user may write; its
    // owner, group and mode.
    bool checkTarget(uid_t *uid, gid_t *gid, mode_t *mode);

    QString m_path, m_target, m_folder, m_name;
    int m_dir = -1;   // the target's folder
    dev_t m_device = 0;   // the file open() found
    ino_t m_inode = 0;
    bool m_failed = false;
    QString m_cause, m_failurePath;
};

} // namespace FileWrite
