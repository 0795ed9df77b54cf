#pragma once
// Compaction and repair of a database file the user picks, as plain functions
// the tool windows run on a worker thread. Neither touches CurrentDb; a file
// held open (by the main window or another copy of the program) is refused
// with error 3045 before anything is written, and each holds the file locked
// until its finished copy has taken the file's place. Working copies that
// killed runs left beside the file are removed first.
//
// A path that is a link is followed as the file writer follows links (not a
// link another account planted in a shared folder): the work, its copies and
// the backup are on and beside the file the link names, and the link stays.
// The file is found once, by FileWrite::FileSwap, and every later step works
// in the folder found, through its handle: the file is opened there (and
// checked to be the one found), the working copies are made there, private
// (mode 0600) until one takes the file's place, and a failed one is removed
// there; the path is never looked up again, so a folder exchanged for a link
// meanwhile gets nothing and gives nothing. The finished copy takes the
// file's place through the swap, so it keeps the file's owner, group and
// mode; a file the user cannot write is refused as read-only (error 75)
// before anything is read.
#include <QString>

#include <functional>
#include <memory>

namespace FileWrite {
class KeptFile;
}

struct MaintenanceResult {
    enum Status { Done, WrongPassword, Error, NotApplicable };
    Status status = Error;
    int number = 0;          // error number when status is Error
    QString description;     // error text when status is Error
    QString backupPath;      // compaction: the backup of the file compacted, for messages (empty when none)
    // The backup itself, removed through its folder should the user decline
    // it (KeptFile::remove), only while its name still holds it.
    std::shared_ptr<FileWrite::KeptFile> backup;
    bool changed = false;    // repair: the file had to be rebuilt
    int leftoversRemoved = 0; // working copies of killed runs removed beside the file
};

// "name.mdb" -> "name.bak": the path without its extension. A name without a
// three-letter extension, or ending in .bak, keeps it: "club.db" -> "club.db.bak".
QString BackupPathFor(const QString &path);

// Compacts path into a uniquely named file of the same folder opened with
// connect (";PWD=..."), checks the copy (integrity, opens with the password),
// then makes the backup from the file found (FileWrite::FileSwap: an older
// backup is replaced only once the copy takes the file's place) and puts the
// copy in place with one rename. On every failure the file is still at its
// path, whole, the older backup as it was, and no temporary file stays
// behind; a file renamed over the path meanwhile (a restore, a sync) stays,
// refused as "file replaced meanwhile".
MaintenanceResult compactFile(const QString &path, const QString &connect);

// Checks the file and, when the check fails, rebuilds its indexes (or the
// whole file from its tables' rows). The work is done on a copy that replaces
// the file only once it passes the check. A repair never drops rows: a file
// whose rows cannot all be read is reported and left as it was.
MaintenanceResult repairFile(const QString &path);

// Turns a file of the first program version (no climbs' samples table) into
// the current format on a copy that replaces the file only when complete,
// keeping the file as it was as the backup. Any other file: NotApplicable, untouched.
MaintenanceResult convertFile(const QString &path);

// A test seam: the steps of a tool at which a test may act, on the worker
// thread (Found: right after the file was found and checked, before anything
// else; CopyBuilt: the working copy built and checked, before it takes the
// file's place). An empty function removes the hook.
enum class MaintenanceStep { Found, CopyBuilt };
void SetMaintenanceHookForTests(std::function<void(MaintenanceStep)> hook);
