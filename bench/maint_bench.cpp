// Compaction and repair of a 100 MB database: prints the times of each,
// the repair both of a healthy file and of one with a damaged index page.
#include "platform/dao/Dao.h"
#include "tools/DbMaintenance.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <cstdio>

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("big.mdb"));
    {
        dao::DatabasePtr db = dao::CreateDatabase(path, dao::DefaultConnect());
        db->ExecuteScript(QStringLiteral("CREATE TABLE t (id INTEGER PRIMARY KEY, name TEXT, pad TEXT);"
                                         "CREATE INDEX ix_name ON t(name);"));
        auto insert = db->prepare(QStringLiteral("INSERT INTO t (name, pad) VALUES (?, ?)"));
        const QString pad(900, QLatin1Char('x'));
        db->BeginTrans();
        for (int i = 0; i < 110000; ++i)
            insert->execute({QStringLiteral("row %1").arg(i), pad});
        db->CommitTrans();
        insert.reset();
        db->Execute(QStringLiteral("DELETE FROM t WHERE id % 10 = 0"));
        db->Close();
    }
    std::printf("database: %.1f MB\n", QFileInfo(path).size() / 1048576.0);
    QElapsedTimer t;
    t.start();
    const MaintenanceResult c = compactFile(path, dao::DefaultConnect());
    std::printf("compaction (copy, check, replace): %.2f s (%s), result %.1f MB\n", t.elapsed() / 1000.0,
                c.status == MaintenanceResult::Done ? "done" : "failed", QFileInfo(path).size() / 1048576.0);
    t.restart();
    const MaintenanceResult r = repairFile(path);
    std::printf("repair check of a healthy file: %.2f s (%s)\n", t.elapsed() / 1000.0,
                r.status == MaintenanceResult::Done ? "done" : "failed");

    // Zero the first leaf page of the name index: the file is rebuilt from its tables.
    bool damaged = false;
    {
        QFile f(path);
        if (f.open(QIODevice::ReadWrite)) {
            const QByteArray head = f.read(100);
            const int pageSize = (uchar(head[16]) << 8) | uchar(head[17]);
            for (qint64 page = pageSize; !damaged && f.seek(page); page += pageSize) {
                const QByteArray bytes = f.read(pageSize);
                if (bytes.size() == pageSize && uchar(bytes[0]) == 0x0A && bytes.contains("row 1")) {
                    f.seek(page);
                    f.write(QByteArray(pageSize, '\0'));
                    damaged = true;
                }
            }
        }
    }
    t.restart();
    const MaintenanceResult d = repairFile(path);
    std::printf("repair of a damaged index page (rebuild from the tables): %.2f s (%s)\n", t.elapsed() / 1000.0,
                damaged && d.status == MaintenanceResult::Done && d.changed ? "done" : "failed");
    return c.status == MaintenanceResult::Done && r.status == MaintenanceResult::Done
                   && d.status == MaintenanceResult::Done ? 0 : 1;
}
