#pragma once
// The hidden working copies that compaction, repair and conversion build
// beside a database file before one of them takes the file's place. A run
// that is killed leaves its copy behind, as large as the database; the next
// run on that file, or its next opening, clears them away.
#include <QString>

namespace dao {

// A new, unused name for a working copy of path in path's folder:
// ".<name>.<tag>-<16 hex digits>.tmp". tag says what builds it ("compact").
QString WorkingCopyPath(const QString &path, const QString &tag);

// Removes the working copies of path left by runs that ended without clearing
// them (with the journals SQLite kept beside them), and returns how many were
// removed. Where path is a link, they are looked for beside the file it names,
// where the tools build them. A copy a lock is still held on (by any process) is left alone.
// Call only while holding path open exclusively: every run keeps its file
// locked until its copies are gone, so none of them can still be at work.
// Files of other names are never touched.
int RemoveStaleWorkingCopies(const QString &path);

} // namespace dao
