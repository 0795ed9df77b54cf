#include "platform/files/Causes.h"

#include <QDir>

#include <cerrno>

namespace files {

QString CauseOfErrno(int e)
{
    switch (e) {
    case ENOSPC:
    case EDQUOT:
        return QStringLiteral("disk full");
    case EROFS:
        return QStringLiteral("read-only");
    case EACCES:
    case EPERM:
        return QStringLiteral("permission denied");
    case ENOENT:
    case ENOTDIR:
        return QStringLiteral("folder not found");
    default:
        return QString();
    }
}

QString FailureText(const QString &path, const QString &cause)
{
    return QStringLiteral("Path/File access error: %1: '%2'").arg(cause, QDir::toNativeSeparators(path));
}

} // namespace files
