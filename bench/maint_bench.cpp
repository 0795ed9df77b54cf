// Compaction and repair of a 100 MB database: prints the times of each.
#include "platform/dao/Dao.h"
#include "tools/DbMaintenance.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QTemporaryDir>

#include <cstdio>

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
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
    return c.status == MaintenanceResult::Done && r.status == MaintenanceResult::Done ? 0 : 1;
}
