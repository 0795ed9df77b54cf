#pragma once
// Hidden files a writer keeps beside the file it is about to replace (the
// safe writer's new file, the database tools' working copies). A run that is
// killed leaves its file behind; the next run on the same file removes it.
// A file still at work is told apart by a lock: its writer holds a write lock
// on it for as long as it works on it, and a lock dies with its process.
#include <QRegularExpression>
#include <QString>

namespace leftovers {

// Takes a write lock on the whole of the file open for writing at fd. The lock
// belongs to this opening of the file (an open file description lock): it
// lasts until the last descriptor of this opening is closed, whatever other
// openings of the file in the same process do, and it keeps RemoveUnheld from
// removing the file, in this process as in any other. False when another
// opening holds a lock on it already (on a file system without such locks,
// true: nothing can lock the file to remove it there).
bool Hold(int fd);

// Removes the entry name of the folder open at dirFd when it is a plain file
// on which nobody holds a lock, locking it first as RemoveUnheld does. For a
// writer that knows the names its leftovers can have, so it need not read the
// folder. True when it was removed.
bool RemoveIfUnheld(int dirFd, const char *name);

// Removes the plain files of the folder open at dirFd (a folder handle, so the
// folder cannot be swapped under the call) whose names start with prefix and
// match name (the prefix spares matching every name of a large folder), and on which
// nobody holds a lock: neither a writer (Hold) nor a database engine (the
// record locks SQLite takes). Each file is locked before it goes, so a writer
// that creates one at that moment cannot have it removed behind its back.
// Links, folders and files this user cannot open for writing are left alone.
// Returns how many were removed.
int RemoveUnheld(int dirFd, const QString &prefix, const QRegularExpression &name);

} // namespace leftovers
