// The chart: drawing 100, 1,000 and 5,000 records at 1000 x 400, and the
// hand-off of 5,000 list rows read from a database (the climb list's record
// source opened and read, the training list's rows cloned and read), each
// the median of its runs. Targets: 5,000 records drawn under 16 ms, the
// hand-off under 100 ms.
#include "athletes/logic/AthleteLists.h"
#include "bench/BenchData.h"
#include "core/ChartHandoff.h"
#include "core/DbFile.h"
#include "core/Globals.h"
#include "profile/ChartDrawing.h"
#include "profile/ProfileRenderer.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QPainter>
#include <QTemporaryDir>

#include <cmath>
#include <ctime>
#include <functional>
#include <cstdio>
#include <vector>

namespace {
using bench::median;
using bench::timeMs;

// Milliseconds of this thread's processor time one call takes: on a busy
// machine it shows the work apart from the waits for a processor.
double cpuMs(const std::function<void()> &fn)
{
    timespec a{}, b{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &a);
    fn();
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &b);
    return (b.tv_sec - a.tv_sec) * 1e3 + (b.tv_nsec - a.tv_nsec) / 1e6;
}

QVector<ChartRecord> Records(int n)
{
    QVector<ChartRecord> r(n);
    for (int i = 0; i < n; ++i) {
        r[i].speed = float(25 + 20 * std::sin(i / 7.0) + (i % 5));
        r[i].power = float(250 + 150 * std::sin(i / 11.0));
        r[i].climbRate = int16_t(1000 + 700 * std::sin(i / 13.0));
    }
    return r;
}
} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);

    const QSize size(1000, 400);
    std::printf("chart drawing at %dx%d, median of 21 (ms)\n", size.width(), size.height());
    QImage image = MakeSurfaceImage(size, Qt::white);
    const Chart::AxisFont font;
    for (int n : {100, 1000, 5000}) {
        const QVector<ChartRecord> records = Records(n);
        for (int value = 0; value < 3; ++value) {
            const Chart::Series series = Chart::ChooseValues(value, records, QStringLiteral("Rossi Ugo"));
            std::vector<double> runs, cpu;
            auto draw = [&] {
                QPainter p(&image);
                Chart::Layout layout;
                Chart::Draw(p, size, series, font, Chart::TextMetrics::Of(font.toFont(), &image), layout);
            };
            for (int i = 0; i < 21; ++i) {
                runs.push_back(timeMs(draw));
                cpu.push_back(cpuMs(draw));
            }
            std::printf("  %5d records, %-10s %7.2f ms  (processor time %7.2f ms)\n", n,
                        value == 0 ? "speed" : value == 1 ? "power" : "climb rate", median(runs), median(cpu));
        }
    }

    // A database with one athlete of 5,000 climb times and 5,000 training times.
    QTemporaryDir work;
    AppPath = QDir(work.path()).filePath(QStringLiteral("bin"));
    QDir().mkpath(AppPath);
    QFile::copy(QStringLiteral(VETTARO_BIN_DIR "/ZidoVodu.dat"), AppPath + QStringLiteral("/ZidoVodu.dat"));
    OpenDatabaseFile(QDir(work.path()).filePath(QStringLiteral("bench.dat")));
    CurrentDb->BeginTrans();
    CurrentDb->ExecuteScript(QStringLiteral(R"SQL(
INSERT INTO "Dati Personali" (IDPersonale, Cognome, Nome, Peso, Pesobici, Fqped, Circonfruota) VALUES ('A1', 'Rossi', 'Ugo', 70, 8, 90, 2.1);
WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 50)
INSERT INTO "Dati Salite" (IDPercorso, Lunghezza, Quotainiziale, Quotafinale) SELECT 'Climb ' || i, 5 + i % 20, 200 + i, 900 + i * 10 FROM n;
WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 50)
INSERT INTO "Dati Percorsi" (IDPercorso, Lunghezza) SELECT 'Route ' || i, 40 + i FROM n;
WITH RECURSIVE n(i) AS (SELECT 0 UNION ALL SELECT i + 1 FROM n WHERE i < 4999)
INSERT INTO "Tempi Salita" (IDPersonale, IDPercorso, Data, Tempo, Anteriore, Posteriore)
SELECT 'A1', 'Climb ' || (1 + i % 50), date('2000-01-01', '+' || i || ' days'), time(1800 + (i * 37) % 7200, 'unixepoch'), 39, 23 FROM n;
WITH RECURSIVE n(i) AS (SELECT 0 UNION ALL SELECT i + 1 FROM n WHERE i < 4999)
INSERT INTO "Tempi Allenamento" (IDPersonale, IDPercorso, Data, Tempo)
SELECT 'A1', 'Route ' || (1 + i % 50), date('2000-01-01', '+' || i || ' days'), time(3600 + (i * 53) % 14400, 'unixepoch') FROM n;
)SQL"));
    CurrentDb->CommitTrans();

    // Each list as its window leaves it: the grid's rows opened (and partly
    // read) from the list SQL; the command clones them and reads them all.
    std::printf("chart hand-off of 5,000 list rows, median of 7 (ms)\n");
    for (AthleteLists::Kind kind : {AthleteLists::Kind::Climbs, AthleteLists::Kind::Trainings}) {
        const bool climbs = kind == AthleteLists::Kind::Climbs;
        const ChartHandoff::Kind chart = climbs ? ChartHandoff::Kind::Climbs : ChartHandoff::Kind::Trainings;
        const QString sql = AthleteLists::ListSql(kind, QStringLiteral("A1"));
        std::vector<double> runs, reopened;
        int count = 0;
        for (int i = 0; i < 7; ++i) {
            dao::RecordsetPtr grid = CurrentDb->OpenRecordset(sql, dao::dbOpenSnapshot);
            grid->MoveFirst();
            runs.push_back(timeMs([&] {
                dao::RecordsetPtr rows = grid->Clone();
                const QVector<ChartRecord> r = ChartHandoff::ReadRecords(*rows, chart);
                rows->Close();
                ChartHandoff::Fill(chart, QStringLiteral("Rossi Ugo"), r);
                count = ChartPointCount;
            }));
            grid->Close();
            // The record source opened afresh and read.
            reopened.push_back(timeMs([&] {
                dao::RecordsetPtr rows = CurrentDb->OpenRecordset(sql, dao::dbOpenSnapshot);
                const QVector<ChartRecord> r = ChartHandoff::ReadRecords(*rows, chart);
                rows->Close();
            }));
        }
        std::printf("  %-9s grid rows cloned and read: %7.2f ms   record source reopened and read: %7.2f ms  (%d records)\n",
                    climbs ? "climbs" : "trainings", median(runs), median(reopened), count);
    }
    CurrentDb->Close();
    return 0;
}
