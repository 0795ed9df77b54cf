#pragma once
// Writing a whole file, and saying why it could not be written in words the
// user can act on, with the path: every writer of the program reports a
// failure the same way.
#include <QByteArray>
#include <QString>

namespace FileWrite {

// The cause of a failed write of path: "disk full", "read-only", "permission
// denied" or "folder not found"; otherwise the system's own text. systemError
// is the errno the failing call left (0 when unknown), deviceError the text the
// file object gave. Where neither names a cause, the target's folder is looked
// at (a read-only or full file system, a folder that cannot be written).
QString Cause(const QString &path, int systemError, const QString &deviceError);

// Error 75 "Path/File access error: <cause>: '<path>'".
[[noreturn]] void RaiseFailure(const QString &path, int systemError, const QString &deviceError);
[[noreturn]] void RaiseCause(const QString &path, const QString &cause);

// Writes data as the whole content of path through a temporary file renamed
// into place: on any failure the old file is left as it was, no temporary file
// remains and RaiseFailure reports the cause.
void WriteWhole(const QString &path, const QByteArray &data);

} // namespace FileWrite
