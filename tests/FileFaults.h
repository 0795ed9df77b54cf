#pragma once
// Files that cannot be written, for the tests of the program's writers: a
// small file system filled to the last byte (where the process may mount
// one), and a device that fails every write as a full disk does; and what
// those tests look at afterwards (TestFiles).
#include "platform/shell/FileWrite.h"

#include <QByteArray>
#include <QDir>
#include <QStringList>
#include <QFile>
#include <QString>

#include <cerrno>
#include <fcntl.h>
#include <sys/mount.h>
#include <sys/stat.h>
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

} // namespace TestFiles
