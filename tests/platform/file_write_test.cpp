// Writers report why a file could not be written, and where.
#include "FileFaults.h"
#include "platform/com/ComRegistryFile.h"
#include "platform/error/VbError.h"
#include "platform/shell/FileWrite.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QScopeGuard>
#include <QSet>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <atomic>
#include <cerrno>
#include <cstring>
#include <functional>
#include <memory>
#include <optional>
#include <thread>
#include <vector>

#include <sys/mount.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/un.h>
#include <unistd.h>

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

using TestFiles::ReadAll;

mode_t ModeOf(const QString &path)
{
    struct stat st {};
    return ::lstat(QFile::encodeName(path).constData(), &st) == 0 ? st.st_mode & 07777 : 0;
}

QStringList Entries(const QString &dir)
{
    return QDir(dir).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name);
}

} // namespace

TEST(FileWrite, CauseFromTheSystemError)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("a.xml");
    using files::Cause;
    struct Case { int error; const char *cause; Cause key; };
    const Case cases[] = {{ENOSPC, "disk full", Cause::DiskFull}, {EDQUOT, "disk full", Cause::DiskFull},
                          {EROFS, "read-only", Cause::ReadOnly},
                          {EACCES, "permission denied", Cause::PermissionDenied},
                          {EPERM, "permission denied", Cause::PermissionDenied},
                          {ENAMETOOLONG, "file name too long", Cause::NameTooLong},
                          {EISDIR, "is a folder", Cause::IsAFolder},
                          {ELOOP, "too many levels of links", Cause::TooManyLinks},
                          {EIO, "input/output error", Cause::InputOutputError},
                          {EFBIG, "file too large", Cause::FileTooLarge}};
    for (const Case &c : cases) {
        // From errno after a short write that Qt reports as "Unknown error" ...
        EXPECT_EQ(FileWrite::Cause(path, c.error, "Unknown error"), c.cause) << c.error;
        EXPECT_EQ(FileWrite::CauseKey(path, c.error, "Unknown error"), c.key) << c.error;
        // ... or from the system text the file object passed on.
        const QString text = QString::fromLocal8Bit(std::strerror(c.error));
        EXPECT_EQ(FileWrite::Cause(path, 0, text), c.cause) << c.error;
        EXPECT_EQ(FileWrite::CauseKey(path, 0, text), c.key) << c.error;
        EXPECT_EQ(files::CauseKeyOfErrno(c.error), c.key) << c.error;
    }
    // An errno no cause stands for is told by its number, never in the C
    // library's words, which are not the interface's.
    const QString busy = QStringLiteral("system error %1").arg(EBUSY);
    EXPECT_EQ(FileWrite::Cause(path, EBUSY, "Unknown error"), busy);
    EXPECT_EQ(FileWrite::CauseKey(path, EBUSY, "Unknown error"), Cause::SystemError);
    EXPECT_EQ(FileWrite::Cause(path, 0, QString::fromLocal8Bit(std::strerror(EBUSY))), busy);
    EXPECT_EQ(files::CauseKeyOfErrno(EBUSY), std::nullopt);
    EXPECT_EQ(files::CauseOfAnyErrno(EBUSY), busy);
    EXPECT_EQ(files::CauseOfAnyErrno(ENOSPC), "disk full");
}

// The failure's words come from the texts the application sets for its
// interface language; a cause without a text, and every cause once the texts
// are taken back, keeps its English words.
TEST(FileWrite, FailuresAreWordedInTheTextsSet)
{
    QTemporaryDir dir;
    const QString missing = dir.filePath("50%1 %2/a.xml");
    const auto english = qScopeGuard([] { files::SetFailureTexts({}); });
    files::SetFailureTexts([](int number) {
        if (number == files::FailureFrameText)
            return QStringLiteral("Fehler beim Zugriff auf %2: %1");
        return number == 204 ? QStringLiteral("Ordner nicht gefunden") : QString();
    });
    EXPECT_EQ(FailureOf(missing, "x"), QStringLiteral("Fehler beim Zugriff auf %1: Ordner nicht gefunden").arg(missing));
    EXPECT_EQ(files::CauseOfErrno(ENOSPC), QStringLiteral("disk full"));
    files::SetFailureTexts({});
    EXPECT_EQ(FailureOf(missing, "x"), QStringLiteral("Path/File access error: folder not found: '%1'").arg(missing));
    // Every cause has its own text number and English words.
    int count = 0;
    const files::CauseInfo *causes = files::AllCauses(&count);
    QSet<int> numbers{files::FailureFrameText};
    for (int i = 0; i < count; ++i) {
        EXPECT_EQ(int(causes[i].key), i);
        numbers.insert(causes[i].text);
        EXPECT_EQ(files::Words(causes[i].key), QString::fromUtf8(causes[i].english));
    }
    EXPECT_EQ(numbers.size(), count + 1);
}

TEST(FileWrite, FailuresNameTheCauseAndThePath)
{
    QTemporaryDir dir;
    const QString missing = dir.filePath("missing/a.xml");
    const QString why = FailureOf(missing, "x");
    EXPECT_TRUE(why.contains("folder not found")) << why.toStdString();
    EXPECT_TRUE(why.contains(missing)) << why.toStdString();
    // A name that is a folder, as the user may pick in a save dialog.
    ASSERT_TRUE(QDir().mkpath(dir.filePath("rides")));
    const QString folder = FailureOf(dir.filePath("rides"), "x");
    EXPECT_EQ(folder, QStringLiteral("Path/File access error: is a folder: '%1'").arg(dir.filePath("rides"))) << folder.toStdString();

    // sysfs refuses new files even to root: the folder is the obstacle.
    if (QFileInfo(QStringLiteral("/sys/kernel")).isDir()) {
        const QString denied = FailureOf(QStringLiteral("/sys/vettaro-test.xml"), "x");
        EXPECT_TRUE(denied.contains("folder not writable: '/sys'")) << denied.toStdString();
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
    SmallFileSystem full(fullDir);
    if (!full.ok())
        GTEST_SKIP() << "this process may not mount a file system";
    const QString target = fullDir + "/a.xml";
    FileWrite::WriteWhole(target, "old");
    const QString why = FailureOf(target, QByteArray(200000, 'x'));
    EXPECT_TRUE(why.contains("disk full")) << why.toStdString();
    EXPECT_TRUE(why.contains(target)) << why.toStdString();
    EXPECT_EQ(ReadAll(target), "old");
    EXPECT_EQ(QDir(fullDir).entryList(QDir::Files | QDir::Hidden), QStringList{"a.xml"});

    SmallFileSystem readOnly(roDir, MS_RDONLY);
    ASSERT_TRUE(readOnly.ok());
    const QString ro = FailureOf(roDir + "/a.xml", "x");
    EXPECT_TRUE(ro.contains("read-only")) << ro.toStdString();
    EXPECT_TRUE(ro.contains(roDir + "/a.xml")) << ro.toStdString();
}

// A disk with no byte left: even a write small enough to sit in a buffer
// until the end fails, the old file is kept whole and nothing is left beside
// it. (A writer that trusts a buffered flush renames an empty file in.)
TEST(FileWrite, ReallyFullDiskKeepsTheOldFile)
{
    QTemporaryDir dir;
    const QString fullDir = dir.filePath("full");
    QDir().mkpath(fullDir);
    SmallFileSystem full(fullDir, 0, "size=64k");
    if (!full.ok())
        GTEST_SKIP() << "this process may not mount a file system";
    const QString target = fullDir + "/vettaro.ini";
    FileWrite::WriteWhole(target, "[Settings]\nLanguage=1040\n");
    full.fill();
    for (const int size : {1, 4000, 40000}) {
        const QString why = FailureOf(target, QByteArray(size, 'x'));
        EXPECT_TRUE(why.contains("disk full")) << size << why.toStdString();
        EXPECT_EQ(ReadAll(target), "[Settings]\nLanguage=1040\n") << size;
        EXPECT_EQ(Entries(fullDir), QStringList({"filler", "vettaro.ini"})) << size;
    }
}

// A device that fails its writes, or its sync: the same, wherever the test
// runs.
TEST(FileWrite, FailingDeviceKeepsTheOldFile)
{
    QTemporaryDir dir;
    const QString target = dir.filePath("races.xml");
    FileWrite::WriteWhole(target, "old");
    struct Case { bool failSync; const char *cause; files::Cause key; };
    for (const Case c : {Case{false, "disk full", files::Cause::DiskFull},
                         Case{true, "input/output error", files::Cause::InputOutputError}}) {
        FailingDevice device(c.failSync);
        FileWrite::SafeFileWriter out(target);
        EXPECT_FALSE(out.write(QByteArray(100, 'x')) && out.commit());
        EXPECT_EQ(out.causeKey(), c.key);
        const QString why = FailureOf(target, QByteArray(100, 'x'));
        EXPECT_TRUE(why.contains(c.cause)) << why.toStdString();
        EXPECT_TRUE(why.contains(target)) << why.toStdString();
        QString error;
        EXPECT_FALSE(FileWrite::WriteFileAtomically(target, "new", &error));
        EXPECT_EQ(error, why);
        EXPECT_EQ(ReadAll(target), "old");
        EXPECT_EQ(Entries(dir.path()), QStringList{"races.xml"});
    }
    FileWrite::WriteWhole(target, "new");
    EXPECT_EQ(ReadAll(target), "new");
}

// A copy (a database's working copy) is whole or nothing, and keeps the
// source's permissions.
TEST(FileWrite, CopyIsWholeOrNothing)
{
    QTemporaryDir dir;
    const QString source = dir.filePath("route.mdb"), copy = dir.filePath("route.repair");
    FileWrite::WriteWhole(source, QByteArray(3 << 20, 'r'));
    ASSERT_TRUE(::chmod(QFile::encodeName(source).constData(), 0640) == 0);
    FileWrite::WriteWhole(copy, "old");
    {
        FailingDevice device;
        QString why;
        EXPECT_FALSE(FileWrite::CopyWhole(source, copy, &why));
        EXPECT_TRUE(why.contains("disk full")) << why.toStdString();
        EXPECT_EQ(ReadAll(copy), "old");
    }
    EXPECT_TRUE(FileWrite::CopyWhole(source, copy));
    EXPECT_EQ(ReadAll(copy), ReadAll(source));
    EXPECT_EQ(ModeOf(copy), 0640u);
    EXPECT_EQ(Entries(dir.path()), QStringList({"route.mdb", "route.repair"}));
}

// The streaming form: many writes make one file, and an uncommitted one
// leaves nothing.
TEST(FileWrite, StreamedFileAppearsOnlyOnCommit)
{
    QTemporaryDir dir;
    const QString target = dir.filePath("copy.dat");
    {
        FileWrite::SafeFileWriter out(target);
        ASSERT_TRUE(out.write("part one, "));
        ASSERT_TRUE(out.write("part two"));
        EXPECT_FALSE(QFileInfo::exists(target));
    }
    EXPECT_TRUE(Entries(dir.path()).isEmpty());
    FileWrite::SafeFileWriter out(target);
    ASSERT_TRUE(out.write("part one, ") && out.write("part two") && out.commit());
    EXPECT_EQ(ReadAll(target), "part one, part two");
    EXPECT_EQ(Entries(dir.path()), QStringList{"copy.dat"});
}

// A user's file keeps its permissions and stays where its link points; a
// folder at its name is refused, not cleared. (The program's private files
// are tested with the import log.)
TEST(FileWrite, UserFilesKeepTheirPermissionsAndLinks)
{
    QTemporaryDir dir;
    const QString kept = dir.filePath("kept.txt");
    FileWrite::WriteWhole(kept, "a");
    ASSERT_TRUE(::chmod(QFile::encodeName(kept).constData(), 0640) == 0);
    FileWrite::WriteWhole(kept, "b");
    EXPECT_EQ(ModeOf(kept), 0640u);
    // While it is written, the new file of a private one is the user's alone
    // (others cannot open it and keep reading after the commit).
    const QString secret = dir.filePath("secret.txt");
    FileWrite::WriteWhole(secret, "a");
    ASSERT_TRUE(::chmod(QFile::encodeName(secret).constData(), 0600) == 0);
    {
        FileWrite::SafeFileWriter out(secret);
        ASSERT_TRUE(out.write("being written"));
        EXPECT_EQ(ModeOf(out.temporaryPath()) & 077, 0u);
        ASSERT_TRUE(out.commit());
    }
    EXPECT_EQ(ModeOf(secret), 0600u);

    const QString real = dir.filePath("real.ini"), link = dir.filePath("link.ini");
    FileWrite::WriteWhole(real, "old");
    ASSERT_TRUE(QFile::link(real, link));
    FileWrite::WriteWhole(link, "through the link");
    EXPECT_TRUE(QFileInfo(link).isSymLink());
    EXPECT_EQ(ReadAll(real), "through the link");

    ASSERT_TRUE(QDir().mkpath(dir.filePath("folder.txt")));
    EXPECT_FALSE(FailureOf(dir.filePath("folder.txt"), "x").isEmpty());
    EXPECT_TRUE(QFileInfo(dir.filePath("folder.txt")).isDir());
}

// The class registry a language library writes when it registers: entries
// read back as written (any characters in the library's path), one entry per
// class whatever its case, and a failing disk keeps the old file.
TEST(FileWrite, ClassRegistryGoesThroughTheWriter)
{
    QTemporaryDir dir;
    const QString registry = dir.filePath("com-registry.ini");
    const QString odd = dir.filePath(QStringLiteral("Lang, \"mine\" \\ ; é/VettaroLang1040.so"));
    ASSERT_TRUE(ComRegistryFile::Write(registry, "VettaroLang1033.clsResLang", dir.filePath("Lang/VettaroLang1033.so")));
    ASSERT_TRUE(ComRegistryFile::Write(registry, "VettaroLang1040.clsResLang", odd));
    ASSERT_TRUE(ComRegistryFile::Write(registry, "vettarolang1033.CLSRESLANG", dir.filePath("Lang/Other.so")));
    EXPECT_EQ(ComRegistryFile::Lookup(registry, "VettaroLang1040.clsResLang"), QDir::cleanPath(odd));
    EXPECT_EQ(ComRegistryFile::Lookup(registry, "VettaroLang1033.clsResLang"), dir.filePath("Lang/Other.so"));
    EXPECT_EQ(ComRegistryFile::ReadClasses(registry).size(), 2);

    const QByteArray before = ReadAll(registry);
    {
        FailingDevice device;
        EXPECT_FALSE(ComRegistryFile::Write(registry, "VettaroLang1036.clsResLang", dir.filePath("Lang/Fr.so")));
        EXPECT_FALSE(ComRegistryFile::Remove(registry, "VettaroLang1040.clsResLang", odd));
    }
    EXPECT_EQ(ReadAll(registry), before);
    EXPECT_TRUE(ComRegistryFile::Remove(registry, "VettaroLang1040.clsResLang", odd));
    EXPECT_EQ(ComRegistryFile::Lookup(registry, "VettaroLang1040.clsResLang"), QString());
    EXPECT_EQ(ComRegistryFile::ReadClasses(registry).size(), 1);
}

// Every name the file system takes can be saved, new or over an old file,
// whatever its script: the new file's name beside it stays within the 255
// bytes a name may have (a 3-byte script fills them with 85 characters).
// The same holds for a private file replacing a folder at such a name.
TEST(FileWrite, LongNamesInAnyScript)
{
    QTemporaryDir dir;
    const auto repeated = [](const char *utf8, int times) { return QString::fromUtf8(utf8).repeated(times); };
    struct Case { const char *script; QString name; };
    const Case cases[] = {
        {"3-byte, 255 bytes", repeated("\xe5\xb1\xb1", 85)},                      // 山
        {"3-byte after two ASCII, 254 bytes", "ab" + repeated("\xe5\xb1\xb1", 84)},   // 100 bytes end inside a character
        {"2-byte, 254 bytes", repeated("\xc3\xa8", 127)},                         // è
        {"4-byte, 252 bytes", repeated("\xf0\x9f\x9a\xb2", 63)},                  // a bicycle
        {"ASCII, 255 bytes", repeated("r", 251) + ".xml"},
    };
    for (const Case &c : cases) {
        const QString &name = c.name;
        SCOPED_TRACE(c.script);
        ASSERT_LE(QFile::encodeName(name).size(), 255);
        const QString target = dir.filePath(name);
        QString why;
        EXPECT_TRUE(FileWrite::WriteFileAtomically(target, "first", &why)) << why.toStdString();
        EXPECT_TRUE(FileWrite::WriteFileAtomically(target, "second", &why)) << why.toStdString();
        EXPECT_EQ(ReadAll(target), "second");
        EXPECT_EQ(Entries(dir.path()), QStringList{name});
        ASSERT_TRUE(QFile::remove(target));

        ASSERT_TRUE(QDir().mkpath(target + "/inner"));
        EXPECT_TRUE(FileWrite::WriteFileAtomically(target, "private", &why, FileWrite::SafeFileWriter::Mode::Private))
            << why.toStdString();
        EXPECT_EQ(ReadAll(target), "private");
        EXPECT_EQ(Entries(dir.path()), QStringList{name});
        ASSERT_TRUE(QFile::remove(target));
    }
}

// A pipe, a socket or a device at the name (or where a link leads) is no
// file of the user's: it is refused and left as it is. A private file
// replaces whatever stands at its name, without opening it.
TEST(FileWrite, OnlyRegularFilesAreReplaced)
{
    QTemporaryDir dir;
    const QByteArray fifo = QFile::encodeName(dir.filePath("pipe.xml"));
    ASSERT_EQ(::mkfifo(fifo.constData(), 0644), 0);
    const QString socketPath = dir.filePath("socket.xml");
    const int sock = ::socket(AF_UNIX, SOCK_STREAM, 0);
    ASSERT_GE(sock, 0);
    sockaddr_un address {};
    address.sun_family = AF_UNIX;
    const QByteArray socketName = QFile::encodeName(socketPath);
    ASSERT_LT(size_t(socketName.size()), sizeof address.sun_path);
    std::memcpy(address.sun_path, socketName.constData(), size_t(socketName.size()));
    ASSERT_EQ(::bind(sock, reinterpret_cast<const sockaddr *>(&address), sizeof address), 0);
    QStringList specials = {dir.filePath("pipe.xml"), socketPath};
    // A device node, where this process may make one (root, outside most containers).
    if (::mknod(QFile::encodeName(dir.filePath("null.xml")).constData(), S_IFCHR | 0666, makedev(1, 3)) == 0)
        specials << dir.filePath("null.xml");
    ASSERT_TRUE(QFile::link(dir.filePath("pipe.xml"), dir.filePath("link.xml")));

    for (const QString &path : specials + QStringList{dir.filePath("link.xml")}) {
        SCOPED_TRACE(path.toStdString());
        const QString why = FailureOf(path, "<route/>");
        EXPECT_TRUE(why.contains("not a regular file")) << why.toStdString();
        struct stat st {};
        ASSERT_EQ(::stat(QFile::encodeName(path).constData(), &st), 0);
        EXPECT_FALSE(S_ISREG(st.st_mode));
    }
    EXPECT_TRUE(QFileInfo(dir.filePath("link.xml")).isSymLink());
    QStringList expected = {"link.xml", "pipe.xml", "socket.xml"};
    if (specials.size() == 3)
        expected.insert(1, "null.xml");
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::AllEntries | QDir::System | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name), expected);

    QString why;
    EXPECT_TRUE(FileWrite::WriteFileAtomically(dir.filePath("pipe.xml"), "mine", &why, FileWrite::SafeFileWriter::Mode::Private))
        << why.toStdString();
    EXPECT_EQ(ReadAll(dir.filePath("pipe.xml")), "mine");
    EXPECT_EQ(ModeOf(dir.filePath("pipe.xml")), 0600u);
    ::close(sock);
}

// ".." is taken as the system takes it: after a link, it goes up from where
// the link led, and a missing folder before it fails, as it would for any
// other program.
TEST(FileWrite, DotDotIsTakenAsTheSystemTakesIt)
{
    QTemporaryDir dir;
    ASSERT_TRUE(QDir().mkpath(dir.filePath("real/sub")));
    ASSERT_TRUE(QFile::link(dir.filePath("real/sub"), dir.filePath("link")));
    struct Case { const char *path; const char *landsAt; };
    const Case cases[] = {
        {"link/../out.xml", "real/out.xml"},
        {"real/sub/../../plain.xml", "plain.xml"},
        {"link/./../../dots.xml", "dots.xml"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.path);
        QString why;
        EXPECT_TRUE(FileWrite::WriteFileAtomically(dir.path() + "/" + c.path, c.path, &why)) << why.toStdString();
        EXPECT_EQ(ReadAll(dir.filePath(c.landsAt)), c.path);
    }
    EXPECT_FALSE(QFileInfo::exists(dir.filePath("out.xml")));

    const QString why = FailureOf(dir.filePath("missing/../lost.xml"), "x");
    EXPECT_TRUE(why.contains("folder not found")) << why.toStdString();
    EXPECT_FALSE(QFileInfo::exists(dir.filePath("lost.xml")));
}

// A second commit is an error and the file stays as the first one left it
// (it used to start a new, empty file and put it in place); so is a write
// after the commit.
TEST(FileWrite, SecondCommitIsRefused)
{
    QTemporaryDir dir;
    const QString target = dir.filePath("races.xml");
    FileWrite::SafeFileWriter out(target);
    ASSERT_TRUE(out.write("<races/>") && out.commit()) << out.errorText().toStdString();
    EXPECT_TRUE(out.errorText().isEmpty());
    EXPECT_EQ(out.causeKey(), std::nullopt);
    EXPECT_FALSE(out.commit());
    EXPECT_EQ(out.cause(), "already written");
    EXPECT_EQ(out.causeKey(), files::Cause::AlreadyWritten);
    EXPECT_TRUE(out.errorText().contains(target)) << out.errorText().toStdString();
    EXPECT_FALSE(out.write("more"));
    EXPECT_EQ(ReadAll(target), "<races/>");
    EXPECT_EQ(Entries(dir.path()), QStringList{"races.xml"});
}

// Many writes of one file at once each get a new file of their own, more
// than the names kept for finding leftovers; each commits, and no file is
// left beside the target.
TEST(FileWrite, ManyWritesOfOneFileAtOnce)
{
    QTemporaryDir dir;
    const QString target = dir.filePath("vettaro.ini");
    std::vector<std::unique_ptr<FileWrite::SafeFileWriter>> writers;
    QSet<QString> names;
    for (int i = 0; i < 40; ++i) {
        writers.push_back(std::make_unique<FileWrite::SafeFileWriter>(target));
        ASSERT_TRUE(writers.back()->write(QByteArray::number(i))) << i << writers.back()->errorText().toStdString();
        names.insert(writers.back()->temporaryPath());
    }
    EXPECT_EQ(names.size(), 40);
    for (auto &writer : writers)
        EXPECT_TRUE(writer->commit()) << writer->errorText().toStdString();
    EXPECT_EQ(ReadAll(target), "39");
    EXPECT_EQ(Entries(dir.path()), QStringList{"vettaro.ini"});
}

// What stands at the name when the write commits is judged as what stood
// there when it began: a pipe, a folder or a link put there in between, or
// put in place of the file, is refused and left as it is, and the new file
// goes. A file of the user's that another save put there is replaced.
TEST(FileWrite, WhatAppearsMeanwhileIsJudgedAtTheCommit)
{
    using Put = std::function<bool(const QByteArray &target, const QByteArray &elsewhere)>;
    const Put pipe = [](const QByteArray &t, const QByteArray &) { return ::mkfifo(t.constData(), 0644) == 0; };
    const Put folder = [](const QByteArray &t, const QByteArray &) { return ::mkdir(t.constData(), 0755) == 0; };
    const Put link = [](const QByteArray &t, const QByteArray &e) { return ::symlink(e.constData(), t.constData()) == 0; };
    const Put file = [](const QByteArray &t, const QByteArray &) {
        QFile f(QFile::decodeName(t));
        return f.open(QIODevice::WriteOnly) && f.write("theirs") == 6;
    };
    const auto replacing = [](const Put &put) {
        return [put](const QByteArray &t, const QByteArray &e) { return ::unlink(t.constData()) == 0 && put(t, e); };
    };
    struct Case {
        const char *name;
        bool existed;
        Put put;
        const char *cause;   // empty where the write goes through
    };
    const Case cases[] = {
        {"a pipe where nothing was", false, pipe, "not a regular file"},
        {"a folder where nothing was", false, folder, "is a folder"},
        {"a link where nothing was", false, link, "not a regular file"},
        {"a pipe in place of the file", true, replacing(pipe), "not a regular file"},
        {"a link in place of the file", true, replacing(link), "not a regular file"},
        {"a file of the user's where nothing was", false, file, ""},
        {"a file of the user's in place of the file", true, replacing(file), ""},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        QTemporaryDir dir;
        const QString target = dir.filePath("races.xml"), elsewhere = dir.filePath("elsewhere.xml");
        FileWrite::WriteWhole(elsewhere, "kept");
        if (c.existed)
            FileWrite::WriteWhole(target, "old");
        FileWrite::SafeFileWriter out(target);
        ASSERT_TRUE(out.write("<races/>")) << out.errorText().toStdString();
        ASSERT_TRUE(c.put(QFile::encodeName(target), QFile::encodeName(elsewhere)));
        const QStringList entries = {"elsewhere.xml", "races.xml"};
        if (!*c.cause) {
            EXPECT_TRUE(out.commit()) << out.errorText().toStdString();
            EXPECT_EQ(ReadAll(target), "<races/>");
            EXPECT_EQ(Entries(dir.path()), entries);
            continue;
        }
        EXPECT_FALSE(out.commit());
        EXPECT_EQ(out.errorText(), QStringLiteral("Path/File access error: %1: '%2'").arg(c.cause, target))
            << out.errorText().toStdString();
        struct stat st {};
        ASSERT_EQ(::lstat(QFile::encodeName(target).constData(), &st), 0);
        EXPECT_FALSE(S_ISREG(st.st_mode));
        EXPECT_EQ(ReadAll(elsewhere), "kept");
        EXPECT_EQ(QDir(dir.path()).entryList(QDir::AllEntries | QDir::System | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name),
                  entries);
    }
}

// Writes of one file given up (a failed save, a discarded print, a writer
// destroyed before its commit) beside writes committed: a write that gives up
// removes only its own new file, never the one another write has just made
// under the same name, and a commit renames only the file it wrote. Every
// commit told as done leaves exactly its bytes, and none fails for want of
// its own new file.
TEST(FileWrite, GivenUpWritesBesideCommitsOfOneFile)
{
    // In memory where the system offers it: 3,000 syncs of a disk take long.
    const QString shm = QStringLiteral("/dev/shm");
    QTemporaryDir dir(QFileInfo(shm).isDir() && QFileInfo(shm).isWritable() ? shm + "/vettaro-XXXXXX"
                                                                              : QDir::tempPath() + "/vettaro-XXXXXX");
    ASSERT_TRUE(dir.isValid());
    const QString target = dir.filePath("vettaro.ini");
    std::atomic<bool> stop{false};
    const auto giveUp = [&](int who) {
        for (int i = 0; !stop; ++i) {
            FileWrite::SafeFileWriter out(target);
            out.write(QByteArray("[Settings]\nGivenUp=") + QByteArray::number(who) + "\n");
            if (i % 2 == 0)
                out.cancel();   // else given up by the destructor
        }
    };
    std::thread first(giveUp, 1), second(giveUp, 2);
    const auto joined = qScopeGuard([&] {
        stop = true;
        first.join();
        second.join();
    });
    int failed = 0, wrong = 0;
    QString firstFailure;
    QByteArray firstWrong;
    for (int i = 0; i < 3000; ++i) {
        const QByteArray bytes = "[Settings]\nSave=" + QByteArray::number(i) + "\n";
        FileWrite::SafeFileWriter out(target);
        if (!out.write(bytes) || !out.commit()) {
            if (failed++ == 0)
                firstFailure = out.errorText();
            continue;
        }
        const QByteArray held = ReadAll(target);
        if (held != bytes && wrong++ == 0)
            firstWrong = held;
    }
    EXPECT_EQ(failed, 0) << firstFailure.toStdString();
    EXPECT_EQ(wrong, 0) << firstWrong.toStdString();
}

// A new file whose name something else emptied, or gave to a file of its
// own, meanwhile (a cleanup of hidden files, a copy of the program that does
// not wait for the lock): a commit renames nothing and says so, the target
// as it was; a write given up removes nothing but its own file.
TEST(FileWrite, ANewFileTakenOverIsNeitherCommittedNorRemoved)
{
    using Mode = FileWrite::SafeFileWriter::Mode;
    enum class End { Commit, Cancel, Destroy };
    struct Case {
        const char *name;
        bool existed;
        bool replaced;   // else only removed
        Mode mode;
        End end;
    };
    const Case cases[] = {
        {"removed, then committed", false, false, Mode::Shared, End::Commit},
        {"removed, then committed over the file", true, false, Mode::Shared, End::Commit},
        {"replaced, then committed", false, true, Mode::Shared, End::Commit},
        {"replaced, then committed over the file", true, true, Mode::Shared, End::Commit},
        {"replaced, then committed over a private file", true, true, Mode::Private, End::Commit},
        {"replaced, then given up", true, true, Mode::Shared, End::Cancel},
        {"replaced, then the writer destroyed", false, true, Mode::Shared, End::Destroy},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        QTemporaryDir dir;
        const QString target = dir.filePath("vettaro.ini");
        if (c.existed)
            FileWrite::WriteWhole(target, "old", c.mode);
        QString taken;
        {
            FileWrite::SafeFileWriter out(target, c.mode);
            ASSERT_TRUE(out.write("given up")) << out.errorText().toStdString();
            taken = out.temporaryPath();
            ASSERT_TRUE(QFile::remove(taken));
            if (c.replaced) {
                QFile theirs(taken);
                ASSERT_TRUE(theirs.open(QIODevice::WriteOnly) && theirs.write("theirs") == 6);
            }
            if (c.end == End::Commit) {
                EXPECT_FALSE(out.commit());
                EXPECT_EQ(out.errorText(),
                          QStringLiteral("Path/File access error: new file removed or replaced meanwhile: '%1'").arg(target));
            } else if (c.end == End::Cancel) {
                out.cancel();
            }
        }
        EXPECT_EQ(ReadAll(target), c.existed ? QByteArray("old") : QByteArray("<missing>"));
        EXPECT_EQ(QFileInfo::exists(target), c.existed);
        EXPECT_EQ(ReadAll(taken), c.replaced ? QByteArray("theirs") : QByteArray("<missing>"));
        QStringList left;
        if (c.replaced)
            left << QFileInfo(taken).fileName();
        if (c.existed)
            left << "vettaro.ini";
        EXPECT_EQ(Entries(dir.path()), left);
    }
}

namespace {

// The rename that takes a free name, with something put at the name in the
// instant before it; optionally on a file system that cannot rename without
// replacing (the writer then falls back on a second link).
struct RenameWindow {
    static inline std::function<void()> put;
    static inline bool noReplaceUnsupported = false;
    static inline unsigned flagsAsked = 0;
    static int Rename(int fromDir, const char *from, int toDir, const char *to, unsigned flags)
    {
        flagsAsked = flags;
        if (put)
            put();
        if (noReplaceUnsupported) {
            errno = EINVAL;
            return -1;
        }
        return ::renameat2(fromDir, from, toDir, to, flags);
    }
};

} // namespace

// What appears at a free name in the instant before the commit's rename is
// judged as what stands there earlier is: the rename asks for a name still
// free, or makes a second link that fails as well when it is taken, so a
// pipe, a folder or a link put there stays as it is; a file of the user's
// put there is replaced, as a later save replaces it. A new file taken over
// while the system refuses the rename that keeps a taken name is not
// committed.
TEST(FileWrite, WhatAppearsJustBeforeTheRenameIsJudged)
{
    FileWrite::SystemCalls calls;
    calls.renameat2 = &RenameWindow::Rename;
    const FileWrite::SystemCalls previous = FileWrite::SetSystemCallsForTests(calls);
    const auto restore = qScopeGuard([&] {
        FileWrite::SetSystemCallsForTests(previous);
        RenameWindow::put = nullptr;
        RenameWindow::noReplaceUnsupported = false;
    });
    enum class Put { Pipe, Folder, Link, UsersFile, NewFileTaken };
    struct Case {
        const char *name;
        Put put;
        const char *cause;   // empty where the write goes through
    };
    const Case cases[] = {
        {"a pipe", Put::Pipe, "not a regular file"},
        {"a folder", Put::Folder, "is a folder"},
        {"a link", Put::Link, "not a regular file"},
        {"a file of the user's", Put::UsersFile, ""},
        {"the new file taken over", Put::NewFileTaken, "new file removed or replaced meanwhile"},
    };
    for (const bool linkFallback : {false, true}) {
        for (const Case &c : cases) {
            // Where the system renames without replacing, a file put at the
            // new file's own name in that instant is beyond any check.
            if (c.put == Put::NewFileTaken && !linkFallback)
                continue;
            SCOPED_TRACE(std::string(c.name) + (linkFallback ? ", by a second link" : ", by renameat2"));
            QTemporaryDir dir;
            const QString target = dir.filePath("races.xml"), elsewhere = dir.filePath("elsewhere.xml");
            FileWrite::WriteWhole(elsewhere, "kept");
            FileWrite::SafeFileWriter out(target);
            ASSERT_TRUE(out.write("<races/>")) << out.errorText().toStdString();
            const QString temporary = out.temporaryPath();
            const QByteArray at = QFile::encodeName(target);
            bool putDone = false;
            RenameWindow::noReplaceUnsupported = linkFallback;
            RenameWindow::flagsAsked = 0;
            RenameWindow::put = [&] {
                switch (c.put) {
                case Put::Pipe: putDone = ::mkfifo(at.constData(), 0644) == 0; break;
                case Put::Folder: putDone = ::mkdir(at.constData(), 0755) == 0; break;
                case Put::Link: putDone = ::symlink(QFile::encodeName(elsewhere).constData(), at.constData()) == 0; break;
                case Put::UsersFile: putDone = QFile(target).open(QIODevice::WriteOnly); break;
                case Put::NewFileTaken: {
                    QFile theirs(temporary);
                    putDone = QFile::remove(temporary) && theirs.open(QIODevice::WriteOnly) && theirs.write("theirs") == 6;
                    break;
                }
                }
                RenameWindow::put = nullptr;
            };
            const bool committed = out.commit();
            ASSERT_TRUE(putDone);
            EXPECT_EQ(RenameWindow::flagsAsked, unsigned(RENAME_NOREPLACE));
            QStringList entries = {"elsewhere.xml", "races.xml"};
            if (!*c.cause) {
                EXPECT_TRUE(committed) << out.errorText().toStdString();
                EXPECT_EQ(ReadAll(target), "<races/>");
                EXPECT_EQ(TestFiles::Entries(dir.path()), entries);
                continue;
            }
            EXPECT_FALSE(committed);
            EXPECT_EQ(out.errorText(), QStringLiteral("Path/File access error: %1: '%2'").arg(c.cause, target))
                << out.errorText().toStdString();
            EXPECT_EQ(ReadAll(elsewhere), "kept");
            if (c.put == Put::NewFileTaken) {
                EXPECT_FALSE(QFileInfo::exists(target));
                EXPECT_EQ(ReadAll(temporary), "theirs");
                entries = QStringList{QFileInfo(temporary).fileName(), "elsewhere.xml"};
            } else {
                struct stat st {};
                ASSERT_EQ(::lstat(at.constData(), &st), 0);
                EXPECT_FALSE(S_ISREG(st.st_mode));
            }
            EXPECT_EQ(TestFiles::Entries(dir.path()), entries);
        }
    }
}
