#include "platform/shell/FileWrite.h"

#include "platform/error/VbError.h"

#include <QDir>
#include <QFileInfo>
#include <QSaveFile>

#include <cerrno>
#include <cstring>
#include <sys/statvfs.h>
#include <unistd.h>

namespace FileWrite {

namespace {

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

// The errno whose system text the file object passed on, or 0.
int ErrnoOfText(const QString &text)
{
    for (const int e : {ENOSPC, EDQUOT, EROFS, EACCES, EPERM, ENOENT, ENOTDIR})
        if (text == QString::fromLocal8Bit(std::strerror(e)))
            return e;
    return 0;
}

} // namespace

QString Cause(const QString &path, int systemError, const QString &deviceError)
{
    QString cause = CauseOfErrno(ErrnoOfText(deviceError));
    if (cause.isEmpty())
        cause = CauseOfErrno(systemError);
    if (!cause.isEmpty())
        return cause;

    // The file object said nothing useful ("Unknown error" after a short
    // write): look at where the file was to go.
    const QFileInfo target(path);
    const QString folder = target.absolutePath();
    if (!QFileInfo(folder).isDir())
        return QStringLiteral("folder not found");
    struct statvfs fs {};
    if (::statvfs(QFile::encodeName(folder).constData(), &fs) == 0) {
        if (fs.f_flag & ST_RDONLY)
            return QStringLiteral("read-only");
        if (fs.f_bavail == 0)
            return QStringLiteral("disk full");
    }
    if (::access(QFile::encodeName(folder).constData(), W_OK) != 0)
        return CauseOfErrno(errno).isEmpty() ? QStringLiteral("permission denied") : CauseOfErrno(errno);
    if (target.exists() && !target.isWritable())
        return QStringLiteral("read-only");
    return deviceError.isEmpty() ? QStringLiteral("unknown cause") : deviceError;
}

void RaiseCause(const QString &path, const QString &cause)
{
    RaiseError(75, QStringLiteral("Path/File access error: %1: '%2'").arg(cause, QDir::toNativeSeparators(path)));
}

void RaiseFailure(const QString &path, int systemError, const QString &deviceError)
{
    RaiseCause(path, Cause(path, systemError, deviceError));
}

void WriteWhole(const QString &path, const QByteArray &data)
{
    QSaveFile file(path);
    errno = 0;
    if (!file.open(QIODevice::WriteOnly))
        RaiseFailure(path, 0, file.errorString());   // errno may be left by an earlier lookup
    errno = 0;
    if (file.write(data) != data.size()) {
        // Judged before the partial temporary file is removed, which frees
        // the space whose lack made the write fail.
        const int e = errno;
        const QString why = Cause(path, e, file.errorString());
        file.cancelWriting();
        RaiseCause(path, why);
    }
    errno = 0;
    if (!file.commit()) {
        const int e = errno;
        RaiseFailure(path, e, file.errorString());
    }
}

} // namespace FileWrite
