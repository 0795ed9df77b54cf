// Writers report why a file could not be written, and where.
#include "platform/error/VbError.h"
#include "platform/shell/FileWrite.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <sys/mount.h>

namespace {

QString FailureOf(const QString &path, const QByteArray &data)
{
    try {
        FileWrite::WriteWhole(path, data);
    } catch (const VbError &e) {
        EXPECT_EQ(e.Number(), 75);
        return e.Description();
    }
    ADD_FAILURE() << "no error writing " << path.toStdString();
    return QString();
}

QByteArray ReadAll(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// A small file system mounted for one test, where the process may mount.
class Mounted {
public:
    Mounted(const QString &dir, unsigned long flags)
        : m_dir(QFile::encodeName(dir))
    {
        m_ok = ::mount("tmpfs", m_dir.constData(), "tmpfs", flags, "size=16k") == 0;
    }
    ~Mounted()
    {
        if (m_ok)
            ::umount2(m_dir.constData(), MNT_DETACH);
    }
    bool ok() const { return m_ok; }

private:
    QByteArray m_dir;
    bool m_ok = false;
};

} // namespace

TEST(FileWrite, CauseFromTheSystemError)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("a.xml");
    struct Case { int error; const char *cause; };
    const Case cases[] = {{ENOSPC, "disk full"}, {EDQUOT, "disk full"}, {EROFS, "read-only"},
                          {EACCES, "permission denied"}, {EPERM, "permission denied"}};
    for (const Case &c : cases) {
        // From errno after a short write that Qt reports as "Unknown error" ...
        EXPECT_EQ(FileWrite::Cause(path, c.error, "Unknown error"), c.cause) << c.error;
        // ... or from the system text the file object passed on.
        EXPECT_EQ(FileWrite::Cause(path, 0, QString::fromLocal8Bit(std::strerror(c.error))), c.cause) << c.error;
    }
}

TEST(FileWrite, FailuresNameTheCauseAndThePath)
{
    QTemporaryDir dir;
    const QString missing = dir.filePath("missing/a.xml");
    const QString why = FailureOf(missing, "x");
    EXPECT_TRUE(why.contains("folder not found")) << why.toStdString();
    EXPECT_TRUE(why.contains(missing)) << why.toStdString();

    // sysfs refuses new files even to root.
    if (QFileInfo(QStringLiteral("/sys/kernel")).isDir()) {
        const QString denied = FailureOf(QStringLiteral("/sys/vettaro-test.xml"), "x");
        EXPECT_TRUE(denied.contains("permission denied")) << denied.toStdString();
        EXPECT_TRUE(denied.contains("/sys/vettaro-test.xml")) << denied.toStdString();
    }
}

// A full disk and a read-only file system, where the test may mount one: the
// cause is named, the old file is kept whole and nothing else is left behind.
TEST(FileWrite, FullAndReadOnlyFileSystems)
{
    QTemporaryDir dir;
    const QString fullDir = dir.filePath("full"), roDir = dir.filePath("ro");
    QDir().mkpath(fullDir);
    QDir().mkpath(roDir);
    Mounted full(fullDir, 0);
    if (!full.ok())
        GTEST_SKIP() << "this process may not mount a file system";
    const QString target = fullDir + "/a.xml";
    FileWrite::WriteWhole(target, "old");
    const QString why = FailureOf(target, QByteArray(200000, 'x'));
    EXPECT_TRUE(why.contains("disk full")) << why.toStdString();
    EXPECT_TRUE(why.contains(target)) << why.toStdString();
    EXPECT_EQ(ReadAll(target), "old");
    EXPECT_EQ(QDir(fullDir).entryList(QDir::Files | QDir::Hidden), QStringList{"a.xml"});

    Mounted readOnly(roDir, MS_RDONLY);
    ASSERT_TRUE(readOnly.ok());
    const QString ro = FailureOf(roDir + "/a.xml", "x");
    EXPECT_TRUE(ro.contains("read-only")) << ro.toStdString();
    EXPECT_TRUE(ro.contains(roDir + "/a.xml")) << ro.toStdString();
}
