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
//
// A file a library builds whole by name (the database engine's compacted,
// repaired or converted copy) takes its target's place through FileSwap. The
// swap finds the target once, by the same walk, and keeps its folder and the
// file found by handles; whoever works on the file reads it, builds its copies
// and removes them through the folder's handle (FileSwap::throughHandle),
// never by the path again, so the file read, the copies and the backup are
// all in the one folder checked, even where its path has since been given to
// a link or another folder. The backup is the file found (a second name of
// it, made from its handle, never from the name), and replaces an older
// backup only once the swap will finish; a swap refused leaves the older
// backup as it was. A file kept for the user to decide on later (KeptFile)
// is removed through its folder's handle, and only while its name still
// holds it.
//
// The walk. `..` is taken on the folder the walk has reached, as the system
// takes it (after a link, the parent of where the link led), never cut out of
// the path as text. Folders the program makes for itself (the settings folder,
// the class registry's) are made by the same walk (OpenOrMakeFolder), never by
// mkpath, so a link on the way is followed only as a write would follow it.
//
// The new file. Its name is .<name>.<slot>.tmp: <name> is the target's name
// cut to 100 bytes between two characters (a name of 255 bytes in any script
// can be written), <slot> one of 16 numbers in 8 hex digits derived from it;
// only where all 16 are taken (many writes of one file at once, names another
// account planted) does it take a random number. It is the user's alone while
// it is written when it replaces a file, and is locked (an open-file-
// description lock, leftovers::Hold). The next write of the same target
// removes the new files killed writes left, never one a lock is still held
// on: by those 16 names at every write (a write costs the same in a folder of
// 20,000 files; bench/write_bench), and the others (random names, older
// versions) at the first write of that target in a run, from one list of the
// writer's names per folder and run, so a large folder is read once per run
// however many files are written in it.
//
// The commit. Where nothing stands at the name, the new file takes it only
// while it is free (renameat2 with RENAME_NOREPLACE; where the file system
// cannot, a second link that fails on a taken name; where it refuses links in
// any other way, a plain rename), and what appeared in between is judged as a
// found file is. A writer commits once. QSaveFile is not used: on Qt 6.4 its
// commit() reports success after a failed buffered flush.
#include "platform/files/Causes.h"

#include <QByteArray>
#include <QString>

#include <cstdio>
#include <functional>
#include <memory>
#include <optional>

#include <sys/stat.h>
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

// A file made beside another one that the user may still decline (the backup
// a compaction kept), by the folder's handle, its name and its identity.
class KeptFile {
public:
    KeptFile(int folderFd, const QString &folder, const QString &name, dev_t device, ino_t inode);
    ~KeptFile();
    KeptFile(const KeptFile &) = delete;
    KeptFile &operator=(const KeptFile &) = delete;

    // The file's path when it was made, for messages.
    QString path() const;
    // Removes the file through its folder's handle, only while its name still
    // holds the file made (a file put at the name since stays). True when it
    // was removed.
    bool remove() const;

private:
    int m_dir = -1;
    QString m_folder, m_name;
    dev_t m_device = 0;
    ino_t m_inode = 0;
};

// A database engine builds a compacted, repaired or converted copy of a file
// by name, beside it; FileSwap then puts that copy in the file's place under
// the writer's rules for the file it replaces: a link on the way is followed
// only as SafeFileWriter follows it (so the link stays and the file it names
// is the one replaced), a file the user cannot write is refused as
// "read-only", anything but a regular file is refused, and the copy takes the
// replaced file's owner, group (as far as the system lets the user give them)
// and mode, is synced, and is renamed over it through the folder's handle.
//
// Everything between open() and the swap is done in the folder open()
// checked: the file is opened, and the copies made and removed, by names
// through the folder's handle (throughHandle), never by targetPath().
class FileSwap {
public:
    explicit FileSwap(const QString &path);
    ~FileSwap();
    FileSwap(const FileSwap &) = delete;
    FileSwap &operator=(const FileSwap &) = delete;

    // Finds the file path names and checks it can be replaced. False with
    // errorText() on a refusal (a planted link, a read-only or missing file).
    // The file found is kept by a handle that neither reads nor locks it.
    bool open();
    // The file that will be replaced, by a path without links, as it was
    // found: for messages only. Empty before a successful open().
    QString targetPath() const { return m_target; }
    // The file's name in its folder ("club.mdb").
    QString name() const { return m_name; }
    // The folder open() checked, open for reading (-1 before open()).
    int folderHandle() const { return m_dir; }
    // name in the folder open() checked, through the folder's handle
    // ("/proc/self/fd/<folder>/<name>"): the name to give a library that
    // opens files by name. The file found itself with an empty name.
    QString throughHandle(const QString &name = QString()) const;
    // Whether the file's name still holds the file open() found.
    bool stillFound() const;

    // Puts built, a file in the target's folder (by a name through the
    // folder's handle, or a path in targetPath()'s folder), in the target's
    // place; the target is checked again first, and must still be the file
    // open() found (a file put at its name meanwhile, by anything that did
    // not wait for the caller's lock, is refused as "file replaced
    // meanwhile": the copy holds the older content). False with errorText()
    // on a failure, the target then as it was and built where it was.
    bool replaceWith(const QString &built);

    // The backup kept beside the file when it is replaced.
    struct Backup {
        QString name;   // in the file's folder ("club.bak")
        // A new hidden name for a working file beside the target, unused as
        // far as the caller knows (one is tried after another while taken).
        std::function<QString()> workingName;
        // Copies the file found into the empty private file at the name given
        // (through the folder's handle), for a file system that refuses a
        // second name of a file. May throw; the working file is then removed.
        std::function<void(const QString &)> copy;
    };
    // The same, keeping the file found as backup.name: the new backup is
    // made under a working name from the file's handle (a second name of
    // the file found, or a copy where the file system refuses those, which
    // takes the file's owner, group and mode), then takes the backup's name
    // by an exchange with the older backup once the target is checked, and
    // is put back if the target fails its last check before the rename. So
    // the older backup goes only once the file is replaced, and a refusal
    // leaves it as it was. Whatever stands at the backup's name is judged as
    // a write's target is.
    bool replaceWith(const QString &built, const Backup &backup);
    // The backup the last replaceWith() kept, for the caller to remove should
    // the user decline it; null when none.
    std::shared_ptr<KeptFile> keptBackup() const { return m_kept; }

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
    // The name of built in the target's folder, or empty after a refusal.
    QByteArray builtName(const QString &built);
    // Opens the swap, checks the target and gives the built copy its owner,
    // group and mode: what both forms of replaceWith do before the rename.
    bool prepareCopy(const QString &built, QByteArray *copyName, uid_t *uid, gid_t *gid, mode_t *mode);
    // Gives the file at name the target's owner, group and mode and syncs it.
    bool takeTargetsOwnership(const QByteArray &name, uid_t uid, gid_t gid, mode_t mode);
    bool renameOverTarget(const QByteArray &built);
    // Makes the backup under a working name: *working the name taken.
    bool makeBackup(const Backup &backup, uid_t uid, gid_t gid, mode_t mode, QByteArray *working,
                    struct stat *made);

    QString m_path, m_target, m_folder, m_name;
    int m_dir = -1;    // the target's folder
    int m_file = -1;   // the file open() found (O_PATH: it neither reads nor locks)
    dev_t m_device = 0;   // the file open() found
    ino_t m_inode = 0;
    bool m_failed = false;
    QString m_cause, m_failurePath;
    std::shared_ptr<KeptFile> m_kept;
};

// A test seam: called by FileSwap::replaceWith(built, backup) just before its
// last look at the target, the new backup at the backup's name by then. An
// empty function removes it.
void SetSwapHookForTests(std::function<void()> hook);

} // namespace FileWrite
