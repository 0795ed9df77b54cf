#include "platform/shell/FileWrite.h"

#include "platform/error/VbError.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
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

QString FailureText(const QString &path, const QString &cause)
{
    return QStringLiteral("Path/File access error: %1: '%2'").arg(cause, QDir::toNativeSeparators(path));
}

void RaiseCause(const QString &path, const QString &cause)
{
    RaiseError(75, FailureText(path, cause));
}

void RaiseFailure(const QString &path, int systemError, const QString &deviceError)
{
    RaiseCause(path, Cause(path, systemError, deviceError));
}

namespace {

SystemCalls g_calls = {::write, ::fsync};

QByteArray Native(const QString &path) { return QFile::encodeName(path); }

// The file a chain of links at path ends in (path itself when it is none).
QString FollowLinks(const QString &path)
{
    QFileInfo info(path);
    for (int depth = 0; depth < 40 && info.isSymLink(); ++depth)
        info.setFile(info.symLinkTarget());
    return info.isSymLink() ? path : info.absoluteFilePath();
}

// Moves a folder standing at path out of the way and removes it. Links inside
// are removed, not followed.
bool ClearFolderAt(const QString &path)
{
    const QFileInfo info(path);
    const QString aside = QStringLiteral("%1/.%2.%3.old")
                              .arg(info.absolutePath(), info.fileName().left(100))
                              .arg(QRandomGenerator::global()->generate(), 8, 16, QLatin1Char('0'));
    if (::rename(Native(path).constData(), Native(aside).constData()) != 0)
        return false;
    QDir(aside).removeRecursively();
    return true;
}

} // namespace

SystemCalls SetSystemCallsForTests(SystemCalls calls)
{
    const SystemCalls previous = g_calls;
    g_calls = calls;
    return previous;
}

SafeFileWriter::SafeFileWriter(const QString &path, Mode mode)
    : m_path(path), m_mode(mode)
{
}

SafeFileWriter::~SafeFileWriter() { cancel(); }

QString SafeFileWriter::errorText() const
{
    return m_failed ? FailureText(m_path, m_cause) : QString();
}

void SafeFileWriter::raise() const
{
    RaiseCause(m_path, m_cause.isEmpty() ? QStringLiteral("unknown cause") : m_cause);
}

bool SafeFileWriter::fail(int systemError)
{
    // Judged before the new file is removed, which frees the space whose
    // lack made the write fail.
    if (!m_failed)
        m_cause = Cause(m_target.isEmpty() ? m_path : m_target, systemError,
                        systemError ? QString::fromLocal8Bit(std::strerror(systemError)) : QString());
    m_failed = true;
    removeTemporary();
    return false;
}

void SafeFileWriter::removeTemporary()
{
    if (m_fd >= 0) {
        ::close(m_fd);
        m_fd = -1;
    }
    if (!m_temp.isEmpty()) {
        ::unlink(Native(m_temp).constData());
        m_temp.clear();
    }
}

void SafeFileWriter::cancel() { removeTemporary(); }

bool SafeFileWriter::open()
{
    if (m_failed)
        return false;
    if (m_fd >= 0)
        return true;
    m_target = m_mode == Mode::Shared ? FollowLinks(m_path) : QFileInfo(m_path).absoluteFilePath();
    const QFileInfo target(m_target);
    struct stat old {};
    const bool existed = ::stat(Native(m_target).constData(), &old) == 0;
    if (m_mode == Mode::Shared && existed && S_ISDIR(old.st_mode))
        return fail(EISDIR);

    const mode_t createMode = m_mode == Mode::Private ? 0600 : 0666;
    for (int attempt = 0; attempt < 100 && m_fd < 0; ++attempt) {
        m_temp = QStringLiteral("%1/.%2.%3.tmp")
                     .arg(target.absolutePath(), target.fileName().left(100))
                     .arg(QRandomGenerator::global()->generate(), 8, 16, QLatin1Char('0'));
        m_fd = ::open(Native(m_temp).constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, createMode);
        if (m_fd < 0) {
            const int e = errno;
            m_temp.clear();
            if (e != EEXIST)
                return fail(e);
        }
    }
    if (m_fd < 0)
        return fail(EEXIST);
    // A replaced file of the user's keeps its permissions; the program's
    // own files are for their user alone, whatever the umask.
    mode_t mode = 0;
    if (m_mode == Mode::Private)
        mode = 0600;
    else if (existed && S_ISREG(old.st_mode))
        mode = old.st_mode & 07777;
    if (mode && ::fchmod(m_fd, mode) != 0)
        return fail(errno);
    return true;
}

bool SafeFileWriter::write(const char *data, qint64 size)
{
    if (!open())
        return false;
    while (size > 0) {
        const ssize_t n = g_calls.write(m_fd, data, size_t(size));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return fail(n < 0 ? errno : EIO);
        data += n;
        size -= n;
    }
    return true;
}

bool SafeFileWriter::commit()
{
    if (!open())
        return false;
    if (g_calls.fsync(m_fd) != 0)
        return fail(errno);
    const int fd = m_fd;
    m_fd = -1;
    if (::close(fd) != 0)
        return fail(errno);

    if (m_mode == Mode::Private) {
        // Whatever stands at the name is replaced: rename() takes the place
        // of a link without following it, a folder is cleared away first.
        struct stat st {};
        if (::lstat(Native(m_target).constData(), &st) == 0 && S_ISDIR(st.st_mode) && !ClearFolderAt(m_target))
            return fail(errno);
    }
    if (::rename(Native(m_temp).constData(), Native(m_target).constData()) != 0)
        return fail(errno);
    m_temp.clear();
    // The rename itself is made lasting with the folder's entry.
    const int dir = ::open(Native(QFileInfo(m_target).absolutePath()).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir >= 0) {
        ::fsync(dir);
        ::close(dir);
    }
    return true;
}

void WriteWhole(const QString &path, const QByteArray &data, SafeFileWriter::Mode mode)
{
    SafeFileWriter file(path, mode);
    if (!file.write(data) || !file.commit())
        file.raise();
}

bool WriteFileAtomically(const QString &path, const QByteArray &data, QString *error, SafeFileWriter::Mode mode)
{
    SafeFileWriter file(path, mode);
    if (file.write(data) && file.commit())
        return true;
    if (error)
        *error = file.errorText();
    return false;
}

bool CopyWhole(const QString &source, const QString &target, QString *error)
{
    QFile in(source);
    if (!in.open(QIODevice::ReadOnly)) {
        if (error)
            *error = FailureText(source, Cause(source, 0, in.errorString()));
        return false;
    }
    SafeFileWriter out(target);
    while (!in.atEnd()) {
        const QByteArray chunk = in.read(1 << 20);
        if (chunk.isEmpty() && in.error() != QFileDevice::NoError) {
            if (error)
                *error = FailureText(source, in.errorString());
            return false;
        }
        if (!out.write(chunk))
            break;
    }
    if (!out.commit()) {
        if (error)
            *error = out.errorText();
        return false;
    }
    QFile::setPermissions(out.targetPath(), in.permissions());
    return true;
}

} // namespace FileWrite
