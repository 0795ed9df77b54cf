#include "platform/shell/PrivateFolder.h"

#include "platform/shell/ConfigFolderName.h"
#include "platform/shell/FileWrite.h"
#include "platform/shell/Shell.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// XDG_RUNTIME_DIR when it names an existing folder, else the cache folder.
QString BaseFolder()
{
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (!runtime.isEmpty() && QDir::isAbsolutePath(runtime) && QFileInfo(runtime).isDir())
        return runtime;
    return Shell::CacheFolder();
}

QString Fail(QString *error, const QString &folder, const QString &cause)
{
    if (error)
        *error = FileWrite::FailureText(folder, cause);
    return QString();
}

} // namespace

QString UserPrivateFolder(QString *error)
{
    const QString base = BaseFolder();
    if (base.isEmpty())
        return Fail(error, QStringLiteral("$XDG_CACHE_HOME"), files::Words(files::Cause::FolderNotFound));
    const QString folder = QDir(base).filePath(QLatin1String(VettaroConfigFolderName));
    const QByteArray native = QFile::encodeName(folder);
    QDir().mkpath(base);
    if (::mkdir(native.constData(), 0700) != 0 && errno != EEXIST)
        return Fail(error, folder, FileWrite::Cause(folder, errno, QString::fromLocal8Bit(std::strerror(errno))));

    // Checked on the opened folder itself, so nothing can be swapped in
    // between the check and the change of mode.
    const int fd = ::open(native.constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0) {
        const int e = errno;
        if (e == ELOOP || e == ENOTDIR)
            return Fail(error, folder, files::Words(files::Cause::NotAFolder));
        return Fail(error, folder, FileWrite::Cause(folder, e, QString::fromLocal8Bit(std::strerror(e))));
    }
    struct stat st {};
    QString cause;
    if (::fstat(fd, &st) != 0)
        cause = QString::fromLocal8Bit(std::strerror(errno));
    else if (st.st_uid != ::geteuid())
        cause = files::Words(files::Cause::OwnedByAnotherUser);
    else if ((st.st_mode & 07777) != 0700 && ::fchmod(fd, 0700) != 0)
        cause = QString::fromLocal8Bit(std::strerror(errno));
    ::close(fd);
    if (!cause.isEmpty())
        return Fail(error, folder, cause);
    return folder;
}
