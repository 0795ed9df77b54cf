#include "platform/dao/WorkingCopies.h"

#include "platform/error/VbError.h"
#include "platform/files/Causes.h"
#include "platform/files/Leftovers.h"
#include "platform/files/Walk.h"

#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QRegularExpression>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace dao {

namespace {

// Tags of the tools that build working copies.
const char *const kTags = "compact|repair|convert|bak|rebuild";

} // namespace

QString WorkingCopyName(const QString &name, const QString &tag)
{
    return QStringLiteral(".%1.%2-%3.tmp")
        .arg(name, tag)
        .arg(QRandomGenerator::global()->generate64(), 16, 16, QLatin1Char('0'));
}

QString MakeWorkingCopy(int dirFd, const QString &name, const QString &tag)
{
    int error = EEXIST;
    QString copy;
    for (int attempt = 0; attempt < 100 && error == EEXIST; ++attempt) {
        copy = WorkingCopyName(name, tag);
        const int fd = ::openat(dirFd, QFile::encodeName(copy).constData(),
                                O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
        if (fd < 0) {
            error = errno;
            continue;
        }
        // The umask can only take bits away; a umask of 0077 or 0022 alike
        // leaves the owner's alone.
        error = ::fchmod(fd, 0600) == 0 ? 0 : errno;
        ::close(fd);
        if (error == 0)
            return files::ThroughHandle(dirFd, copy);
        ::unlinkat(dirFd, QFile::encodeName(copy).constData(), 0);
    }
    RaiseError(75, files::FailureText(files::ThroughHandle(dirFd, copy), files::CauseOfAnyErrno(error)));
}

int RemoveStaleWorkingCopies(int dirFd, const QString &name)
{
    // A copy of the file, or the copy a repair rebuilds from a copy of it,
    // with the journal SQLite may have left beside either.
    const QRegularExpression pattern(
        QStringLiteral(R"(^\.\.?%1\.(%2)-[0-9a-f]{12,16}\.tmp(\.rebuild-[0-9a-f]{16}\.tmp)?(-journal|-wal|-shm)?$)")
            .arg(QRegularExpression::escape(name), QLatin1String(kTags)));
    return leftovers::RemoveUnheld(dirFd, QStringLiteral("."), pattern);
}

int RemoveStaleWorkingCopies(const QString &path)
{
    // The copies lie beside the file itself: behind a link, the file it
    // names, found as the file writer finds what it writes.
    files::Place place;
    const QString absolute = QDir::isAbsolutePath(path) ? path : QDir::currentPath() + QLatin1Char('/') + path;
    if (!files::Walk(absolute, true, &place))
        return 0;
    const int removed = RemoveStaleWorkingCopies(place.dir, place.name);
    ::close(place.dir);
    return removed;
}

} // namespace dao
