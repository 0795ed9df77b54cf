#include "platform/files/Causes.h"

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

} // namespace files
