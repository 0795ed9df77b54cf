#pragma once
// Why a file could not be written, in the words every failure message of the
// program uses ("disk full", "read-only", "permission denied", "folder not
// found"), shared by the file writer and the database layer.
#include <QString>

namespace files {

// The cause an errno stands for; empty for any other errno.
QString CauseOfErrno(int e);

// "Path/File access error: <cause>: '<path>'", the words of every failed
// write the program tells.
QString FailureText(const QString &path, const QString &cause);

} // namespace files
