// Import figures: 2,000 climbs x 300 samples copied into an empty destination
// and into a full one (Overwrite All), each beside the floor: the same copy
// done straight in SQLite (ATTACH + INSERT ... SELECT in key order, the full
// file's samples deleted first) on a copy of the same destination in the
// same run; the time an abort takes to be answered; 1,000 text profile files
// imported in one run.
// Usage: import_bench [template]   (default: the program folder's ZidoVodu.dat)
#include "platform/dao/Dao.h"
#include "tools/logic/ImportEngine.h"
#include "tools/logic/TextImport.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include <sqlite3.h>

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

// The same copy in plain SQLite: the destination file opened as the program
// opens it (foreign keys checked), the source attached read-only.
struct Floor {
    double seconds = -1, processor = -1;
};

Floor floorSeconds(const QString &destination, const QString &source, bool full)
{
    sqlite3 *h = nullptr;
    if (sqlite3_open_v2(QFile::encodeName(destination).constData(), &h, SQLITE_OPEN_READWRITE | SQLITE_OPEN_URI,
                        nullptr) != SQLITE_OK) {
        sqlite3_close(h);
        return {};
    }
    auto run = [h](const QByteArray &sql) {
        char *err = nullptr;
        if (sqlite3_exec(h, sql.constData(), nullptr, nullptr, &err) != SQLITE_OK) {
            std::fprintf(stderr, "floor: %s\n", err ? err : "?");
            sqlite3_free(err);
        }
    };
    run("PRAGMA foreign_keys = ON; PRAGMA locking_mode = EXCLUSIVE; PRAGMA cache_size = -65536");
    QElapsedTimer t;
    const std::clock_t cpu = std::clock();
    t.start();
    run("ATTACH DATABASE " + QFile::encodeName(dao::SqlLiteral(QStringLiteral("file:") + source + QStringLiteral("?mode=ro")))
        + " AS s");
    run("BEGIN");
    if (full)
        run("DELETE FROM main.CampioniSalite WHERE IDPercorso IN (SELECT IDPercorso FROM s.\"Dati Salite\")");
    else
        run("INSERT INTO main.\"Dati Salite\" (IDPercorso, Lunghezza, Quotainiziale, Quotafinale, Stato, Regione, "
            "\"Località\", Provincia, \"E-mail\", Url, Telefono, Fax, Descrizione) SELECT IDPercorso, Lunghezza, "
            "Quotainiziale, Quotafinale, Stato, Regione, \"Località\", Provincia, \"E-mail\", Url, Telefono, Fax, "
            "Descrizione FROM s.\"Dati Salite\" ORDER BY IDPercorso");
    run("INSERT INTO main.CampioniSalite (IDPercorso, DistParz, Altezza, Note, image) "
        "SELECT IDPercorso, DistParz, Altezza, Note, image FROM s.CampioniSalite ORDER BY IDPercorso, DistParz");
    run("COMMIT");
    const Floor f{t.nsecsElapsed() / 1e9, double(std::clock() - cpu) / CLOCKS_PER_SEC};
    run("DETACH DATABASE s");
    sqlite3_close(h);
    return f;
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
        const QString name = full ? QStringLiteral("full") : QStringLiteral("empty");
        auto dst = fresh(templ, dir.filePath(name + QStringLiteral(".mdb")));
        if (full)
            fill(*dst);
        dst->Close();
        // The floor works on a copy of the destination; the source is closed
        // meanwhile, as the program holds it locked while it is open.
        const QString floorCopy = dir.filePath(name + QStringLiteral("-floor.mdb"));
        QFile::copy(dir.filePath(name + QStringLiteral(".mdb")), floorCopy);
        src->Close();
        const Floor floor = floorSeconds(floorCopy, dir.filePath("src.mdb"), full);
        src = dao::OpenDatabase(dir.filePath("src.mdb"), true, true, dao::DefaultConnect());
        dst = dao::OpenDatabase(dir.filePath(name + QStringLiteral(".mdb")), true, false, dao::DefaultConnect());

        QElapsedTimer t;
        const std::clock_t cpu = std::clock();
        t.start();
        const auto r = ImportEngine::CopyRaces(*src, *dst, true, true, ImportEngine::Criterion::OverwriteAll, {});
        const double s = t.nsecsElapsed() / 1e9;
        // Processor time beside the wall time: on a shared machine the wall
        // time also counts the waits for a free core.
        const double processor = double(std::clock() - cpu) / CLOCKS_PER_SEC;
        std::printf("copy into %s destination: %.2f s (processor %.2f s), %.0f rows/s, status %d, %lld climbs; "
                    "plain SQLite %.2f s (processor %.2f s), ratio %.2f (processor %.2f)\n",
                    full ? "a full" : "an empty", s, processor, rows / s, int(r.status), qlonglong(r.climbs.size()),
                    floor.seconds, floor.processor, s / floor.seconds, processor / floor.processor);
        dst->Close();
    }

    // Abort latency: the abort is asked for 300 ms into a run; the time from
    // then to the run's return (the next poll, and the rollback).
    {
        auto dst = fresh(templ, dir.filePath("abort.mdb"));
        QElapsedTimer t;
        constexpr qint64 askAt = 300'000'000;
        bool asked = false;
        ImportEngine::Callbacks cb;
        cb.shouldAbort = [&] {
            asked = asked || t.nsecsElapsed() >= askAt;
            return asked;
        };
        t.start();
        const auto r = ImportEngine::CopyRaces(*src, *dst, true, true, ImportEngine::Criterion::OverwriteAll, cb);
        std::printf("abort answered in %.1f ms (status %d)\n", (t.nsecsElapsed() - askAt) / 1e6, int(r.status));
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
