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
#include <grp.h>
#include <pwd.h>
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

PrivateFolder Fail(QString *error, const QString &folder, const QString &cause)
{
    if (error)
        *error = FileWrite::FailureText(folder, cause);
    return PrivateFolder();
}

// Whether the group gid is the user's own private group (named after the
// user, with no other member listed, and the primary group of no other
// account), as systems that give each user a group of their own make it: a
// folder writable by it is writable by the user alone. An account whose
// primary group it is belongs to it without being listed, so every account
// is looked at; where the accounts cannot be read, it is not taken as private.
bool UsersOwnGroup(gid_t gid)
{
    if (gid != ::getegid())
        return false;
    const uid_t uid = ::geteuid();
    const passwd *user = ::getpwuid(uid);
    if (!user || !user->pw_name)
        return false;
    const QByteArray name(user->pw_name);
    const group *g = ::getgrgid(gid);
    if (!g || !g->gr_name || name != g->gr_name)
        return false;
    for (char **member = g->gr_mem; member && *member; ++member)
        if (name != *member)
            return false;
    bool alone = true, listed = false;
    ::setpwent();
    errno = 0;
    while (const passwd *account = ::getpwent()) {
        listed = true;
        if (account->pw_gid == gid && account->pw_uid != uid) {
            alone = false;
            break;
        }
        errno = 0;
    }
    const bool readWhole = !alone || errno == 0 || errno == ENOENT;
    ::endpwent();
    return alone && listed && readWhole;
}

QString CauseOf(const QString &path, int e)
{
    return FileWrite::Cause(path, e, QString::fromLocal8Bit(std::strerror(e)));
}

} // namespace

PrivateFolder::PrivateFolder(PrivateFolder &&other) noexcept : m_fd(other.m_fd), m_path(other.m_path)
{
    other.m_fd = -1;
}

PrivateFolder &PrivateFolder::operator=(PrivateFolder &&other) noexcept
{
    if (this != &other) {
        if (m_fd >= 0)
            ::close(m_fd);
        m_fd = other.m_fd;
        m_path = other.m_path;
        other.m_fd = -1;
    }
    return *this;
}

PrivateFolder::~PrivateFolder()
{
    if (m_fd >= 0)
        ::close(m_fd);
}

bool PrivateFolder::writeWhole(const QString &name, const QByteArray &data, QString *error) const
{
    FileWrite::SafeFileWriter file(m_fd, m_path, name, FileWrite::SafeFileWriter::Mode::Private);
    if (file.write(data) && file.commit())
        return true;
    if (error)
        *error = file.errorText();
    return false;
}

PrivateFolder OpenUserPrivateFolder(QString *error)
{
    const QString base = BaseFolder();
    if (base.isEmpty())
        return Fail(error, QStringLiteral("$XDG_CACHE_HOME"), files::Words(files::Cause::FolderNotFound));
    const QString folder = QDir(base).filePath(QLatin1String(VettaroConfigFolderName));
    const QByteArray name(VettaroConfigFolderName);

    // The base is made and opened as the writer walks a path, and everything
    // below it is done through its handle.
    QString why;
    const int baseFd = FileWrite::OpenOrMakeFolder(base, &why);
    if (baseFd < 0) {
        if (error)
            *error = why;
        return PrivateFolder();
    }
    // Whoever may rename entries of the base could give the folder's name to
    // a folder or a link of theirs after the check. The sticky bit keeps
    // others from renaming or removing the user's folder (what they put
    // there under that name first is theirs, and refused below); a folder
    // writable by the user's own private group is the user's alone.
    struct stat baseStat {};
    QString baseCause;
    if (::fstat(baseFd, &baseStat) != 0)
        baseCause = CauseOf(base, errno);
    else if (baseStat.st_uid != ::geteuid() && baseStat.st_uid != 0)
        baseCause = files::Words(files::Cause::OwnedByAnotherUser);
    else if (((baseStat.st_mode & S_IWOTH) || ((baseStat.st_mode & S_IWGRP) && !UsersOwnGroup(baseStat.st_gid)))
             && !(baseStat.st_mode & S_ISVTX))
        baseCause = files::Words(files::Cause::OpenToOtherUsers);
    if (!baseCause.isEmpty()) {
        ::close(baseFd);
        return Fail(error, base, baseCause);
    }

    if (::mkdirat(baseFd, name.constData(), 0700) != 0 && errno != EEXIST) {
        const int e = errno;
        ::close(baseFd);
        return Fail(error, folder, CauseOf(folder, e));
    }
    // Checked on the opened folder itself, so nothing can be swapped in
    // between the check and the change of mode.
    const int fd = ::openat(baseFd, name.constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    const int e = errno;
    ::close(baseFd);
    if (fd < 0) {
        if (e == ELOOP || e == ENOTDIR)
            return Fail(error, folder, files::Words(files::Cause::NotAFolder));
        return Fail(error, folder, CauseOf(folder, e));
    }
    struct stat st {};
    QString cause;
    if (::fstat(fd, &st) != 0)
        cause = CauseOf(folder, errno);
    else if (st.st_uid != ::geteuid())
        cause = files::Words(files::Cause::OwnedByAnotherUser);
    else if ((st.st_mode & 07777) != 0700 && ::fchmod(fd, 0700) != 0)
        cause = CauseOf(folder, errno);
    if (!cause.isEmpty()) {
        ::close(fd);
        return Fail(error, folder, cause);
    }
    return PrivateFolder(fd, folder);
}
