#include "platform/dao/WorkingCopies.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QRegularExpression>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace dao {

namespace {

// Tags of the tools that build working copies.
const char *const kTags = "compact|repair|convert|bak|rebuild";

// Whether another process holds a lock on any byte of the file. A link or
// anything but a plain file counts as held: it is never removed.
bool HeldElsewhere(const QString &path)
{
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0)
        return true;
    bool held = true;
    struct stat st {};
    if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode)) {
        struct flock probe {};
        probe.l_type = F_WRLCK;
        probe.l_whence = SEEK_SET;
        probe.l_start = 0;
        probe.l_len = 0;   // the whole file, and beyond its end where SQLite locks
        held = ::fcntl(fd, F_GETLK, &probe) != 0 || probe.l_type != F_UNLCK;
    }
    ::close(fd);
    return held;
}

} // namespace

QString WorkingCopyPath(const QString &path, const QString &tag)
{
    const QFileInfo fi(path);
    for (;;) {
        const QString name = QStringLiteral(".%1.%2-%3.tmp")
                                 .arg(fi.fileName(), tag)
                                 .arg(QRandomGenerator::global()->generate64(), 16, 16, QLatin1Char('0'));
        const QString candidate = fi.absoluteDir().filePath(name);
        if (!QFileInfo::exists(candidate))
            return candidate;
    }
}

int RemoveStaleWorkingCopies(const QString &path)
{
    const QFileInfo fi(path);
    // A copy of the file, or the copy a repair rebuilds from a copy of it,
    // with the journal SQLite may have left beside either.
    const QRegularExpression name(
        QStringLiteral(R"(^\.\.?%1\.(%2)-[0-9a-f]{12,16}\.tmp(\.rebuild-[0-9a-f]{16}\.tmp)?(-journal|-wal|-shm)?$)")
            .arg(QRegularExpression::escape(fi.fileName()), QLatin1String(kTags)));
    const QDir dir = fi.absoluteDir();
    int removed = 0;
    const QStringList entries = dir.entryList({QStringLiteral(".*.tmp*")}, QDir::Files | QDir::Hidden | QDir::System);
    for (const QString &entry : entries) {
        if (!name.match(entry).hasMatch())
            continue;
        const QString candidate = dir.filePath(entry);
        if (HeldElsewhere(candidate))
            continue;
        if (::unlink(QFile::encodeName(candidate).constData()) == 0)
            ++removed;
    }
    return removed;
}

} // namespace dao
