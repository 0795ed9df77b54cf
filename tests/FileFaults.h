#pragma once
// Files that cannot be written, for the tests of the program's writers: a
// small file system filled to the last byte (where the process may mount
// one), and a device that fails every write as a full disk does; and what
// those tests look at afterwards or run as another account (TestFiles).
#include "platform/shell/FileWrite.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QString>
#include <QStringList>

#include <cerrno>
#include <functional>
#include <vector>

#include <fcntl.h>
#include <grp.h>
#include <poll.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

// A tmpfs of the given size mounted on dir for the life of the object.
class SmallFileSystem {
public:
    SmallFileSystem(const QString &dir, unsigned long flags = 0, const char *size = "size=16k")
        : m_dir(QFile::encodeName(dir))
    {
        m_ok = ::mount("tmpfs", m_dir.constData(), "tmpfs", flags, size) == 0;
    }
    ~SmallFileSystem()
    {
        if (m_ok)
            ::umount2(m_dir.constData(), MNT_DETACH);
    }
    SmallFileSystem(const SmallFileSystem &) = delete;
    SmallFileSystem &operator=(const SmallFileSystem &) = delete;
    bool ok() const { return m_ok; }

    // Fills the file system with a file of filler until no byte is left.
    void fill() const
    {
        const QByteArray path = m_dir + "/filler";
        const int fd = ::open(path.constData(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        if (fd < 0)
            return;
        const QByteArray block(4096, 'f');
        for (size_t size = 4096; size > 0; size /= 2)
            while (::write(fd, block.constData(), size) == ssize_t(size)) {
            }
        ::close(fd);
    }

private:
    QByteArray m_dir;
    bool m_ok = false;
};

// While alive, the writer's bytes go to /dev/full (every write fails with
// ENOSPC), or, with failSync, its fsync fails with EIO.
class FailingDevice {
public:
    explicit FailingDevice(bool failSync = false)
    {
        m_previous = FileWrite::SetSystemCallsForTests(
            {failSync ? &::write : &WriteToFull, failSync ? &FailSync : &::fsync});
    }
    ~FailingDevice() { FileWrite::SetSystemCallsForTests(m_previous); }
    FailingDevice(const FailingDevice &) = delete;
    FailingDevice &operator=(const FailingDevice &) = delete;

private:
    static ssize_t WriteToFull(int, const void *data, size_t size)
    {
        const int full = ::open("/dev/full", O_WRONLY | O_CLOEXEC);
        const ssize_t n = ::write(full, data, size);
        const int e = errno;
        ::close(full);
        errno = e;
        return n;
    }
    static int FailSync(int)
    {
        errno = EIO;
        return -1;
    }
    FileWrite::SystemCalls m_previous{};
};

namespace TestFiles {

// A path as the system calls take it.
inline QByteArray Native(const QString &path) { return QFile::encodeName(path); }

// What a file holds, or "<missing>" where it cannot be read.
inline QByteArray ReadAll(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

// What stands at path itself (a link is not followed).
inline struct stat StatOf(const QString &path)
{
    struct stat st {};
    ::lstat(QFile::encodeName(path).constData(), &st);
    return st;
}

// Every entry of dir, hidden ones, pipes and sockets too, by name.
inline QStringList Entries(const QString &dir)
{
    return QDir(dir).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
}

// Reads what a child says until it closes its end, for at most 30 s.
inline QByteArray ReadChild(int fd)
{
    QByteArray said;
    char buffer[4096];
    pollfd p{fd, POLLIN, 0};
    while (::poll(&p, 1, 30000) > 0) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n <= 0)
            break;
        said.append(buffer, n);
    }
    return said;
}

// Runs body in a child process that has become the plain account uid (group
// gid, extra groups), and returns the text body returned.
inline QString AsAccount(uid_t uid, gid_t gid, const std::vector<gid_t> &groups, const std::function<QString()> &body)
{
    int out[2];
    if (::pipe(out) != 0)
        return QStringLiteral("no pipe");
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::close(out[0]);
        ::alarm(30);
        QByteArray said;
        if (::setgroups(groups.size(), groups.data()) != 0 || ::setgid(gid) != 0 || ::setuid(uid) != 0)
            said = "cannot become the account";
        else
            said = body().toUtf8();
        for (qsizetype done = 0; done < said.size();) {
            const ssize_t n = ::write(out[1], said.constData() + done, size_t(said.size() - done));
            if (n <= 0)
                break;
            done += n;
        }
        ::_exit(0);
    }
    ::close(out[1]);
    const QByteArray said = pid > 0 ? ReadChild(out[0]) : QByteArray("no child");
    ::close(out[0]);
    int status = 0;
    if (pid > 0 && (::waitpid(pid, &status, 0) != pid || !WIFEXITED(status)))
        return QStringLiteral("the child died: ") + QString::fromUtf8(said);
    return QString::fromUtf8(said);
}

} // namespace TestFiles
