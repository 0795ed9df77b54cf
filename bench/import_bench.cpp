// Import figures: 2,000 climbs x 300 samples copied into an empty destination
// and into a full one (Overwrite All), the time an abort takes to be answered,
// and 1,000 text profile files imported in one run.
// Usage: import_bench [template]   (default: the program folder's ZidoVodu.dat)
#include "platform/dao/Dao.h"
#include "tools/logic/ImportEngine.h"
#include "tools/logic/TextImport.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include <cstdio>
#include <ctime>

namespace {

dao::DatabasePtr fresh(const QString &templ, const QString &path)
{
    QFile::copy(templ, path);
    QFile(path).setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    return dao::OpenDatabase(path, true, false, dao::DefaultConnect());
}

void fill(dao::Database &db)
{
    db.BeginTrans();
    db.ExecuteScript(R"SQL(
WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 2000)
INSERT INTO "Dati Salite" (IDPercorso, Lunghezza, Quotainiziale, Quotafinale, Regione)
SELECT 'Climb ' || i, 5 + i % 20, 200, 900, 'Region' FROM n;
WITH RECURSIVE c(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM c WHERE i < 2000),
               s(j) AS (SELECT 0 UNION ALL SELECT j + 1 FROM s WHERE j < 299)
INSERT INTO CampioniSalite (IDPercorso, DistParz, Altezza, Note)
SELECT 'Climb ' || i, j * 0.1, 200 + j, 'Sample ' || j FROM c, s;
)SQL");
    db.CommitTrans();
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QString templ = argc > 1 ? QString::fromLocal8Bit(argv[1])
                                   : QStringLiteral(VETTARO_BIN_DIR "/ZidoVodu.dat");
    QTemporaryDir dir;
    auto src = fresh(templ, dir.filePath("src.mdb"));
    fill(*src);
    const double rows = 2000.0 * 301;

    for (bool full : {false, true}) {
        auto dst = fresh(templ, dir.filePath(full ? "full.mdb" : "empty.mdb"));
        if (full)
            fill(*dst);
        QElapsedTimer t;
        const std::clock_t cpu = std::clock();
        t.start();
        const auto r = ImportEngine::CopyRaces(*src, *dst, true, true, ImportEngine::Criterion::OverwriteAll, {});
        const double s = t.nsecsElapsed() / 1e9;
        // Processor time beside the wall time: on a shared machine the wall
        // time also counts the waits for a free core.
        std::printf("copy into %s destination: %.2f s (processor %.2f s), %.0f rows/s, status %d, %lld climbs\n",
                    full ? "a full" : "an empty", s, double(std::clock() - cpu) / CLOCKS_PER_SEC, rows / s,
                    int(r.status), qlonglong(r.climbs.size()));
        dst->Close();
    }

    // Abort latency: the time from the abort request to the run's return.
    {
        auto dst = fresh(templ, dir.filePath("abort.mdb"));
        QElapsedTimer t;
        qint64 askedAt = 0;
        int polls = 0;
        ImportEngine::Callbacks cb;
        cb.shouldAbort = [&] {
            if (++polls == 200000)
                askedAt = t.nsecsElapsed();
            return askedAt != 0;
        };
        t.start();
        const auto r = ImportEngine::CopyRaces(*src, *dst, true, true, ImportEngine::Criterion::OverwriteAll, cb);
        std::printf("abort answered in %.1f ms (status %d)\n", (t.nsecsElapsed() - askedAt) / 1e6, int(r.status));
        dst->Close();
    }

    // 1,000 text files of 300 samples each.
    {
        QStringList files;
        for (int i = 0; i < 1000; ++i) {
            QByteArray b;
            for (int j = 0; j < 300; ++j)
                b += QByteArray::number(j * 0.1, 'f', 1) + "," + QByteArray::number(200 + j) + ",\"\",\"\"\r\n";
            b += "[Prog]\r\nName=Vettaro-V4\r\n[Tab]\r\nName=Dati Salite\r\n[Data]\r\nIDPercorso=Text " + QByteArray::number(i)
                 + "\r\nLunghezza=30000\r\n[SampleData]\r\nNumber=300\r\n";
            const QString path = dir.filePath(QStringLiteral("p%1.txt").arg(i));
            QFile f(path);
            f.open(QIODevice::WriteOnly);
            f.write(b);
            files << path;
        }
        auto dst = fresh(templ, dir.filePath("text.mdb"));
        QElapsedTimer t;
        const std::clock_t cpu = std::clock();
        t.start();
        const auto r = TextImport::Import(*dst, files, false, TextImport::ReadProfileFile, {});
        std::printf("1,000 text files: %.2f s (processor %.2f s), status %d, %lld climbs\n", t.nsecsElapsed() / 1e9,
                    double(std::clock() - cpu) / CLOCKS_PER_SEC, int(r.status), qlonglong(r.climbs.size()));
        dst->Close();
    }
    src->Close();
    return 0;
}
