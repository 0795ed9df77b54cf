// A disk that fills while the database layer writes: every failure says the
// disk is full and names the file, never that the file is damaged, and the
// file stays as it was.
#include "dao_fixture.h"

#include "FileFaults.h"

#include <QFileInfo>

#include <unistd.h>

using namespace dao;

namespace {
QByteArray Bytes(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

bool Put(const QString &path, const QByteArray &data)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(data) == data.size() && f.flush();
}

// A small file whose index pages are zeroed: REINDEX cannot mend it, the
// repair rebuilds it from its table.
QByteArray DamagedFile(const QString &path)
{
    {
        auto db = CreateDatabase(path, DefaultConnect());
        db->ExecuteScript(QStringLiteral("CREATE TABLE t (id INTEGER PRIMARY KEY, name TEXT, pad TEXT);"
                                         "CREATE INDEX ix_name ON t(name);"));
        db->BeginTrans();
        for (int i = 0; i < 60; ++i)
            db->Execute(QStringLiteral("INSERT INTO t (name, pad) VALUES (?, ?)"), 0,
                        {QStringLiteral("Name%1").arg(i, 4, 10, QLatin1Char('0')), QString(300, QLatin1Char('p'))});
        db->CommitTrans();
        db->Close();
    }
    QByteArray data = Bytes(path);
    const int pageSize = (uchar(data[16]) << 8) | uchar(data[17]);
    int zeroed = 0;
    for (qsizetype page = pageSize; page < data.size(); page += pageSize)
        if (uchar(data[page]) == 0x0A) {
            data.replace(page, pageSize, QByteArray(pageSize, '\0'));
            ++zeroed;
        }
    return zeroed > 0 ? data : QByteArray();
}
} // namespace

// Repair with less and less room: whether the working copy or the rebuilt
// file runs out of it, the error is "disk full" with the file's name; with
// room enough the file is rebuilt. A copy and a statement on the full disk
// say so too.
TEST(DaoFullDisk, RepairCopyAndStatementsSayTheDiskIsFull)
{
    QTemporaryDir dir;
    const QByteArray damaged = DamagedFile(dir.filePath(QStringLiteral("built.mdb")));
    ASSERT_FALSE(damaged.isEmpty());
    const QString folder = dir.filePath(QStringLiteral("small"));
    QDir().mkpath(folder);
    SmallFileSystem disk(folder, 0, "size=256k");
    if (!disk.ok())
        GTEST_SKIP() << "this process may not mount a file system";
    const QString path = folder + QStringLiteral("/club.mdb");
    const QString filler = folder + QStringLiteral("/filler");
    const QString diskFull = QStringLiteral("Path/File access error: disk full: '%1'").arg(path);

    int fullSeen = 0;
    bool repaired = false;
    for (qint64 room = 0; room <= 4 * damaged.size() && !repaired; room += 4096) {
        SCOPED_TRACE(room);
        QFile::remove(filler);
        ASSERT_TRUE(Put(path, damaged));
        disk.fill();
        const qint64 fullSize = QFileInfo(filler).size();
        ASSERT_EQ(::truncate(QFile::encodeName(filler).constData(), qMax<qint64>(0, fullSize - room)), 0);
        try {
            repaired = RepairDatabase(path);
            EXPECT_TRUE(repaired);
        } catch (const VbError &e) {
            ++fullSeen;
            EXPECT_EQ(e.Number(), 75);
            EXPECT_EQ(e.Description(), diskFull);
            EXPECT_EQ(Bytes(path), damaged) << "the file stays as it was";
            EXPECT_EQ(QDir(folder).entryList(QDir::Files | QDir::Hidden),
                      (QStringList{QStringLiteral("club.mdb"), QStringLiteral("filler")}));
        }
    }
    EXPECT_TRUE(repaired);
    EXPECT_GT(fullSeen, 0);

    QFile::remove(filler);
    disk.fill();
    auto db = OpenDatabase(path, true, false, DefaultConnect());
    try {
        db->CopyInto(folder + QStringLiteral("/copy.mdb"));
        ADD_FAILURE() << "the copy fitted";
    } catch (const VbError &e) {
        EXPECT_EQ(e.Number(), 75);
        EXPECT_EQ(e.Description(), QStringLiteral("Path/File access error: disk full: '%1/copy.mdb'").arg(folder));
    }
    EXPECT_FALSE(QFileInfo::exists(folder + QStringLiteral("/copy.mdb")));
    try {
        db->BeginTrans();
        for (int i = 0; i < 20; ++i)
            db->Execute(QStringLiteral("INSERT INTO t (name, pad) VALUES (?, ?)"), 0,
                        {QStringLiteral("More"), QString(8000, QLatin1Char('m'))});
        db->CommitTrans();
        ADD_FAILURE() << "the rows fitted";
    } catch (const VbError &e) {
        EXPECT_EQ(e.Number(), JetErr::DiskFull) << e.Description().toStdString();
        EXPECT_TRUE(e.Description().contains(path)) << e.Description().toStdString();
        if (db->InTransaction())
            db->Rollback();
    }
    db->Close();
}
