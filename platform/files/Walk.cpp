#include "platform/files/Walk.h"

#include <QFile>

#include <cerrno>
#include <climits>
#include <fcntl.h>
#include <unistd.h>

namespace files {

namespace {

QByteArray Native(const QString &path) { return QFile::encodeName(path); }

QString Joined(const QStringList &parts) { return QLatin1Char('/') + parts.join(QLatin1Char('/')); }

} // namespace

QString InFolder(const QString &folder, const QString &name)
{
    return folder.endsWith(QLatin1Char('/')) ? folder + name : folder + QLatin1Char('/') + name;
}

QString Place::folderPath() const { return Joined(folder); }

namespace {

const QString kHandles = QStringLiteral("/proc/self/fd/");

} // namespace

QString ThroughHandle(int dirFd, const QString &name)
{
    const QString handle = kHandles + QString::number(dirFd);
    return name.isEmpty() ? handle : handle + QLatin1Char('/') + name;
}

int HandleOf(const QString &path, QString *rest)
{
    if (!path.startsWith(kHandles))
        return -1;
    qsizetype end = path.indexOf(QLatin1Char('/'), kHandles.size());
    if (end < 0)
        end = path.size();
    bool ok = false;
    const int fd = QStringView(path).mid(kHandles.size(), end - kHandles.size()).toInt(&ok);
    if (!ok || fd < 0 || end == kHandles.size())
        return -1;
    if (rest)
        *rest = path.mid(end + 1);
    return fd;
}

bool MayFollow(int dirFd, const struct stat &link)
{
    if (link.st_uid == ::geteuid())
        return true;
    struct stat dir {};
    if (::fstat(dirFd, &dir) != 0)
        return false;
    if ((dir.st_mode & (S_ISVTX | S_IWOTH)) != (S_ISVTX | S_IWOTH))
        return true;
    return link.st_uid == dir.st_uid;
}

bool Walk(const QString &path, bool followFinal, Place *place, bool makeFolders)
{
    QStringList pending = path.split(QLatin1Char('/'), Qt::SkipEmptyParts);
    QStringList folder;
    int dir = -1;
    // A name through a folder handle starts at the folder the handle holds,
    // as the system takes it: never at what its path names now. The walk
    // stays below it.
    QString below;
    qsizetype floor = -1;
    if (const int handle = HandleOf(path, &below); handle >= 0) {
        dir = ::openat(handle, ".", O_PATH | O_DIRECTORY | O_CLOEXEC);
        pending = below.split(QLatin1Char('/'), Qt::SkipEmptyParts);
        folder = ThroughHandle(handle).split(QLatin1Char('/'), Qt::SkipEmptyParts);
        floor = folder.size();
    } else {
        dir = ::open("/", O_PATH | O_DIRECTORY | O_CLOEXEC);
    }
    int links = 0, made = 0;
    const auto failWith = [&](int error) {
        if (dir >= 0)
            ::close(dir);
        place->error = error;
        return false;
    };
    if (dir < 0)
        return failWith(errno);
    QString name;
    while (!pending.isEmpty()) {
        const QString part = pending.takeFirst();
        if (part == QLatin1String("."))
            continue;
        if (part == QLatin1String("..")) {
            if (folder.size() <= floor)
                return failWith(EACCES);
            const int up = ::openat(dir, "..", O_PATH | O_DIRECTORY | O_CLOEXEC);
            if (up < 0)
                return failWith(errno);
            ::close(dir);
            dir = up;
            if (!folder.isEmpty())
                folder.removeLast();
            continue;
        }
        const bool last = pending.isEmpty() && !makeFolders;
        const int entry = ::openat(dir, Native(part).constData(), O_PATH | O_NOFOLLOW | O_CLOEXEC);
        if (entry < 0) {
            const int e = errno;
            if (last && e == ENOENT) {
                name = part;
                break;
            }
            if (makeFolders && e == ENOENT && ++made <= 256) {
                // Made, then walked into like any entry found there (what
                // stands at the name by then is judged as a found one is).
                if (::mkdirat(dir, Native(part).constData(), 0777) != 0 && errno != EEXIST)
                    return failWith(errno);
                pending.prepend(part);
                continue;
            }
            return failWith(e);
        }
        struct stat st {};
        if (::fstat(entry, &st) != 0) {
            const int e = errno;
            ::close(entry);
            return failWith(e);
        }
        if (S_ISLNK(st.st_mode) && (!last || followFinal)) {
            if (++links > 40 || !MayFollow(dir, st)) {
                ::close(entry);
                if (links <= 40)
                    place->refusedLink = InFolder(Joined(folder), part);
                return failWith(links > 40 ? ELOOP : EACCES);
            }
            QByteArray target(PATH_MAX, '\0');
            const ssize_t n = ::readlinkat(entry, "", target.data(), size_t(target.size()));
            const int e = errno;
            ::close(entry);
            if (n <= 0 || n >= target.size())
                return failWith(n < 0 ? e : ENAMETOOLONG);
            target.truncate(n);
            if (target.startsWith('/')) {
                const int root = ::open("/", O_PATH | O_DIRECTORY | O_CLOEXEC);
                if (root < 0)
                    return failWith(errno);
                ::close(dir);
                dir = root;
                folder.clear();
                floor = -1;
            }
            pending = QFile::decodeName(target).split(QLatin1Char('/'), Qt::SkipEmptyParts) + pending;
            continue;
        }
        if (last) {
            ::close(entry);
            name = part;
            break;
        }
        if (!S_ISDIR(st.st_mode)) {
            ::close(entry);
            return failWith(ENOTDIR);
        }
        ::close(dir);
        dir = entry;
        folder.append(part);
    }
    if (makeFolders) {
        place->dir = dir;
        place->folder = folder;
        return true;
    }
    if (name.isEmpty())
        return failWith(EISDIR);   // the path names a folder
    place->dir = dir;
    place->folder = folder;
    place->name = name;
    return true;
}

} // namespace files
