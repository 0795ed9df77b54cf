#pragma once
// The hidden working copies that compaction, repair and conversion build
// beside a database file before one of them takes the file's place. A run
// that is killed leaves its copy behind, as large as the database; the next
// run on that file, or its next opening, clears them away.
//
// They are made and removed in the folder a tool found the file in, through
// that folder's handle (files::ThroughHandle), never by the folder's path.
#include <QString>

namespace dao {

// A new hidden name for a working copy of the file called name (a name, no
// folder): ".<name>.<tag>-<16 hex digits>.tmp". tag says what builds it
// ("compact"). Random, not looked up: whoever makes a file by it makes it only
// where the name is free.
QString WorkingCopyName(const QString &name, const QString &tag);

// Makes an empty working copy for the file name in the folder open at dirFd,
// under a new name, mode 0600 whatever the umask: the engine fills it and it
// keeps that mode, so no copy of a private file is readable by others.
// Returns its name through the folder's handle (files::ThroughHandle), valid
// while the handle is open. Error 75 when it cannot be made.
QString MakeWorkingCopy(int dirFd, const QString &name, const QString &tag);

// Removes the working copies of path left by runs that ended without clearing
// them (with the journals SQLite kept beside them), and returns how many were
// removed. Where path is a link, they are looked for beside the file it names,
// where the tools build them; links are followed only as the file writer
// follows them (a link another account planted in a shared folder is not, and
// nothing is removed). A copy a lock is still held on (by any process) is left alone.
// Call only while holding path open exclusively: every run keeps its file
// locked until its copies are gone, so none of them can still be at work.
// Files of other names are never touched.
int RemoveStaleWorkingCopies(const QString &path);
// The same for the file name in the folder open at dirFd.
int RemoveStaleWorkingCopies(int dirFd, const QString &name);

} // namespace dao
