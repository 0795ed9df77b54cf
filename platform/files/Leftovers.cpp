#include "platform/files/Leftovers.h"

#include <QFile>

#include <cerrno>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace leftovers {

namespace {

bool LockWhole(int fd)
{
    struct flock lock {};
    lock.l_type = F_WRLCK;
    lock.l_whence = SEEK_SET;
    lock.l_start = 0;
    lock.l_len = 0;   // the whole file, and beyond its end where SQLite locks
    return ::fcntl(fd, F_OFD_SETLK, &lock) == 0;
}

} // namespace

bool RemoveIfUnheld(int dirFd, const char *name)
{
    struct stat before {};
    if (::fstatat(dirFd, name, &before, AT_SYMLINK_NOFOLLOW) != 0 || !S_ISREG(before.st_mode))
        return false;
    const int fd = ::openat(dirFd, name, O_RDWR | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return false;
    bool removed = false;
    struct stat opened {}, now {};
    // The lock is taken before the entry goes: a lock held elsewhere (a live
    // writer, an engine's record lock in any process) refuses it. The name is
    // looked at again under the lock, so only the file just locked is removed.
    if (::fstat(fd, &opened) == 0 && S_ISREG(opened.st_mode) && opened.st_ino == before.st_ino
        && opened.st_dev == before.st_dev && LockWhole(fd)
        && ::fstatat(dirFd, name, &now, AT_SYMLINK_NOFOLLOW) == 0 && now.st_ino == opened.st_ino
        && now.st_dev == opened.st_dev)
        removed = ::unlinkat(dirFd, name, 0) == 0;
    ::close(fd);
    return removed;
}

bool Hold(int fd)
{
    // A file system without such locks holds nothing; RemoveUnheld cannot
    // lock there either, so it removes nothing.
    return LockWhole(fd) || (errno != EAGAIN && errno != EACCES);
}

int RemoveUnheld(int dirFd, const QString &prefix, const QRegularExpression &name)
{
    const QByteArray start = QFile::encodeName(prefix);
    const int listFd = ::openat(dirFd, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (listFd < 0)
        return 0;
    DIR *dir = ::fdopendir(listFd);
    if (!dir) {
        ::close(listFd);
        return 0;
    }
    QList<QByteArray> matches;
    while (const dirent *entry = ::readdir(dir)) {
        const QByteArray entryName(entry->d_name);
        if (entryName.startsWith(start) && entryName != "." && entryName != ".."
            && name.match(QFile::decodeName(entryName)).hasMatch())
            matches.append(entryName);
    }
    ::closedir(dir);
    int removed = 0;
    for (const QByteArray &entryName : matches)
        removed += RemoveIfUnheld(dirFd, entryName.constData()) ? 1 : 0;
    return removed;
}

} // namespace leftovers
