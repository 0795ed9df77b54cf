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
// The finished copy takes the file's place through FileWrite::FileSwap, so it
// keeps the file's owner, group and mode; a file the user cannot write is
// refused as read-only (error 75) before anything is read.
#include <QString>

struct MaintenanceResult {
    enum Status { Done, WrongPassword, Error, NotApplicable };
    Status status = Error;
    int number = 0;          // error number when status is Error
    QString description;     // error text when status is Error
    QString backupPath;      // compaction: the backup of the original (empty when none)
    bool changed = false;    // repair: the file had to be rebuilt
    int leftoversRemoved = 0; // working copies of killed runs removed beside the file
};

// "name.mdb" -> "name.bak": the path without its extension. A name without a
// three-letter extension, or ending in .bak, keeps it: "club.db" -> "club.db.bak".
QString BackupPathFor(const QString &path);

// Compacts path into a uniquely named file of the same folder opened with
// connect (";PWD=..."), checks the copy (integrity, opens with the password),
// then makes the backup (replacing an older one only once the new one exists)
// and puts the copy in place with one rename. On every failure the file is
// still at its path, whole, and no temporary file stays behind.
MaintenanceResult compactFile(const QString &path, const QString &connect);

// Checks the file and, when the check fails, rebuilds its indexes (or the
// whole file from its tables' rows). The work is done on a copy that replaces
// the file only once it passes the check. A repair never drops rows: a file
// whose rows cannot all be read is reported and left as it was.
MaintenanceResult repairFile(const QString &path);

// Turns a file of the first program version (no climbs' samples table) into
// the current format on a copy that replaces the file only when complete,
// keeping the original as the backup. Any other file: NotApplicable, untouched.
MaintenanceResult convertFile(const QString &path);
