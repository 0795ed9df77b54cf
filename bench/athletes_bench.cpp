// The athlete windows over the large benchmark database (50,000 climb times,
// 50,000 training times, 200 athletes, 1,000 climbs), each figure the median
// of 7 runs: the climb-time card (open, count, last row, position); the two
// lists (athlete change with its statistics, a filter, a sort); the ranking
// (climb change); the summary (open, sort by a figure); find first and find
// next over 10,000 athletes and 10,000 climbs; the import of a 5,000-name
// states file. Target: each under 100 ms.
// Usage: athletes_bench [template]   (default: the program folder's ZidoVodu.dat)
#include "athletes/PerformanceList.h"
#include "athletes/TimeCard.h"
#include "athletes/frmHitGrimpeur.h"
#include "athletes/frmRiepilogo.h"
#include "athletes/logic/AthleteLists.h"
#include "athletes/logic/FindSearch.h"
#include "athletes/logic/StatesFile.h"
#include "bench/BenchData.h"
#include "core/Globals.h"
#include "core/RecordCounts.h"
#include "platform/dao/Dao.h"
#include "platform/data/DataControl.h"
#include "platform/data/RecordsetModel.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QLineEdit>
#include <QTableView>
#include <QTemporaryDir>

#include <sqlite3.h>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <functional>
#include <memory>
#include <vector>

namespace {
using bench::median;
using bench::timeMs;
// The recordsets the main window opens before the climb-time card.
void openShared()
{
    AthletesRs = CurrentDb->OpenRecordset(QStringLiteral("SELECT * FROM [Dati Personali] ORDER BY IDPersonale"));
    ClimbsRs = CurrentDb->OpenRecordset(QStringLiteral("SELECT * FROM [Dati Salite] ORDER BY IDPercorso"));
    ClimbTimesRs = CurrentDb->OpenRecordset(QStringLiteral("SELECT * FROM [Tempi Salita] ORDER BY Data"));
}

// The floor of the summary: its stored query run straight in SQLite on the
// same file (every row stepped, the page cache the program sets), median of 7.
// Processor milliseconds one call of fn takes: on a shared machine the wall
// time also counts the waits for a free core.
double cpuMs(const std::function<void()> &fn)
{
    const std::clock_t start = std::clock();
    fn();
    return double(std::clock() - start) * 1000.0 / CLOCKS_PER_SEC;
}

struct Figure {
    double wall = -1, processor = -1;   // medians, ms
};

Figure summaryFloorMs(const QString &path)
{
    sqlite3 *h = nullptr;
    if (sqlite3_open_v2(QFile::encodeName(path).constData(), &h, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK) {
        sqlite3_close(h);
        return {};
    }
    sqlite3_exec(h, "PRAGMA cache_size = -65536", nullptr, nullptr, nullptr);
    std::vector<double> runs, cpu;
    for (int k = 0; k < 7; ++k) {
        double wall = 0;
        cpu.push_back(cpuMs([&] {
            wall = timeMs([&] {
                sqlite3_stmt *s = nullptr;
                sqlite3_prepare_v2(h, "SELECT * FROM \"Riepilogo per Atleta\"", -1, &s, nullptr);
                while (sqlite3_step(s) == SQLITE_ROW) {
                }
                sqlite3_finalize(s);
            });
        }));
        runs.push_back(wall);
    }
    sqlite3_close(h);
    return {median(runs), median(cpu)};
}
}

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const QString templ = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral(VETTARO_BIN_DIR "/ZidoVodu.dat");
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("bench.dat"));
    if (!QFile::copy(templ, path)) {
        std::fprintf(stderr, "cannot copy the template %s\n", qPrintable(templ));
        return 1;
    }
    QFile(path).setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    AppName = QStringLiteral("vettaro-athletes-bench");
    try {
        CurrentDb = dao::OpenDatabase(path, true, false, dao::DefaultConnect());
        std::printf("build the database:                 %9.1f ms\n", timeMs([&] { bench::fill(*CurrentDb); }));
        // The file is the program's alone while it is open: the floor is
        // measured between a close and a new opening.
        CurrentDb->Close();
        const Figure summaryFloor = summaryFloorMs(path);
        CurrentDb = dao::OpenDatabase(path, true, false, dao::DefaultConnect());

        std::vector<double> reads;
        for (int k = 0; k < 7; ++k)
            reads.push_back(timeMs([&] {
                dao::RecordsetPtr rs = CurrentDb->OpenRecordset(QStringLiteral("SELECT * FROM [Tempi Salita] ORDER BY Data"));
                rs->Clone()->MoveLast();
                rs->Close();
            }));
        std::printf("read the 50,000 rows (median):      %9.2f ms\n", median(reads));

        std::vector<double> opens, counts, positions, lasts;
        int32_t total = 0, position = 0;
        for (int k = 0; k < 7; ++k) {
            openShared();
            std::unique_ptr<frmTempiSal> card;
            opens.push_back(timeMs([&] { card = std::make_unique<frmTempiSal>(); }));
            dao::RecordsetPtr rs = card->Data()->recordset();
            counts.push_back(timeMs([&] { total = CountRecords(rs); }));
            card->Data()->MoveLast();   // what End does
            card.reset();
            openShared();
            card = std::make_unique<frmTempiSal>();
            lasts.push_back(timeMs([&] { card->Data()->MoveLast(); }));
            rs = card->Data()->recordset();
            positions.push_back(timeMs([&] { position = RecordPosition(rs, total); }));
            card.reset();
            CloseSharedRecordsets();
        }
        std::printf("climb times counted:                %9d (position of the last %d)\n", total, position);
        std::printf("open the climb-time card (median):  %9.2f ms   (target < 100)\n", median(opens));
        std::printf("count its rows (median):            %9.2f ms   (target < 100)\n", median(counts));
        std::printf("move to its last row (median):      %9.2f ms   (target < 100)\n", median(lasts));
        std::printf("position of the last row (median):  %9.3f ms   (target < 100)\n", median(positions));

        // The two lists: stepping to the next athlete rebuilds the list and its
        // statistics; a filter on a route or climb; a sort on the time column.
        for (const bool climbs : {false, true}) {
            std::unique_ptr<PerformanceList> list;
            if (climbs)
                list = std::make_unique<frmAngolo>();
            else
                list = std::make_unique<frmPrestAll>();
            list->show();
            list->activateWindow();
            QApplication::processEvents();
            std::vector<double> changes, filters, sorts;
            int applied = 0;   // filters and sorts that took effect (14 of 14)
            for (int k = 0; k < 7; ++k) {
                changes.push_back(timeMs([&] { list->dataAtleta()->MoveNext(); }));
                const QString place = list->model()->value(0, 0).toString();
                filters.push_back(timeMs([&] {
                    applied += list->ApplyCondition(AthleteLists::FilterCondition(QStringLiteral("IDPercorso"), place));
                }));
                list->grid()->setFocus();
                list->grid()->setCurrentIndex(list->model()->index(0, climbs ? 7 : 3));
                sorts.push_back(timeMs([&] { applied += list->Sort(k % 2 == 0); }));
            }
            const char *name = climbs ? "climbs " : "trainings";
            std::printf("%s list: athlete change (median): %7.2f ms   (target < 100)\n", name, median(changes));
            std::printf("%s list: filter (median):         %7.2f ms   (target < 100)\n", name, median(filters));
            std::printf("%s list: sort (median):           %7.2f ms   (target < 100)\n", name, median(sorts));
            std::printf("%s list: filters and sorts applied: %d of 14\n", name, applied);
        }

        // The ranking: stepping to the next climb ranks it.
        {
            frmHitGrimpeur ranking;
            std::vector<double> changes;
            int ranked = 0;
            for (int k = 0; k < 7; ++k) {
                changes.push_back(timeMs([&] { ranking.Data1()->MoveNext(); }));
                ranking.model()->fetchAll();
                ranked += ranking.model()->storedRows();
            }
            std::printf("ranking: climb change (median):     %9.2f ms   (target < 100; %d rows ranked)\n",
                        median(changes), ranked);
        }

        // The summary: opening it (query, first athlete, count) and sorting
        // the athletes by one figure.
        {
            std::vector<double> opens, openCpu, sorts;
            int sorted = 0;
            for (int k = 0; k < 7; ++k) {
                SummaryRs = CurrentDb->OpenRecordset(QStringLiteral("Riepilogo per Atleta"));
                std::unique_ptr<frmRiepilogo> summary;
                double wall = 0;
                openCpu.push_back(cpuMs([&] { wall = timeMs([&] { summary = std::make_unique<frmRiepilogo>(); }); }));
                opens.push_back(wall);
                summary->show();
                summary->activateWindow();
                QApplication::processEvents();
                summary->txtfields(4 + k % 3)->setFocus();
                sorts.push_back(timeMs([&] { sorted += summary->Sort(k % 2 == 0); }));
            }
            std::printf("summary: open (median):             %9.2f ms   (target < 30; processor %.2f ms)\n", median(opens),
                        median(openCpu));
            std::printf("summary: its query straight in SQLite: %6.2f ms   (processor %.2f ms)\n", summaryFloor.wall,
                        summaryFloor.processor);
            std::printf("summary: sort (median):             %9.2f ms   (target < 100; %d of 7 sorted)\n",
                        median(sorts), sorted);
        }
        // Find over 10,000 athletes and 10,000 climbs, as the find dialog does
        // it on a clone: the one match is the last row, so each search reads
        // every row.
        CurrentDb->BeginTrans();
        for (int i = 0; i < 10000; ++i) {
            const QString id = QStringLiteral("F%1").arg(i, 5, 10, QLatin1Char('0'));
            CurrentDb->Execute(QStringLiteral("INSERT INTO [Dati Personali] ([IDPersonale], [Cognome], [Nome], [Peso], [Fqped], "
                                              "[Fcmax], [Pesobici], [Circonfruota]) VALUES (?, ?, 'Ugo', 70, 90, 190, 8, 2.1)"),
                               0, {id, i == 9999 ? QStringLiteral("Zanardi") : QStringLiteral("Rossi")});
            CurrentDb->Execute(QStringLiteral("INSERT INTO [Dati Salite] ([IDPercorso], [Lunghezza], [Quotainiziale], "
                                              "[Quotafinale], [Regione]) VALUES (?, 10, 500, 1200, ?)"),
                               0, {QStringLiteral("ZZ") + id, i == 9999 ? QStringLiteral("Valtellina") : QStringLiteral("Piemonte")});
        }
        CurrentDb->CommitTrans();
        struct Target { const char *label; const char *source; const char *field; const char *text; };
        for (const Target &t : {Target{"athletes", "SELECT * FROM [Dati Personali] ORDER BY IDPersonale", "Cognome", "nard"},
                                Target{"climbs", "SELECT * FROM [Dati Salite] ORDER BY IDPercorso", "Regione", "tellin"}}) {
            std::vector<double> firsts, nexts;
            int rows = 0;
            for (int k = 0; k < 7; ++k) {
                dao::RecordsetPtr rs = CurrentDb->OpenRecordset(QLatin1String(t.source), dao::dbOpenDynaset);
                dao::RecordsetPtr clone = rs->Clone();
                clone->MoveFirst();
                firsts.push_back(timeMs([&] {
                    FindSearch::Search(clone, QLatin1String(t.field), QLatin1String(t.text), FindSearch::PartOfField, false);
                }));
                clone->MoveFirst();
                nexts.push_back(timeMs([&] {
                    FindSearch::Search(clone, QLatin1String(t.field), QLatin1String(t.text), FindSearch::PartOfField, true);
                }));
                rows = CountRecords(rs);
                rs->Close();
            }
            std::printf("find first over %5d %-9s (median): %7.2f ms   (target < 100)\n", rows, t.label, median(firsts));
            std::printf("find next over %5d %-9s (median):  %7.2f ms   (target < 100)\n", rows, t.label, median(nexts));
        }

        // The import of a 5,000-name states file into the table.
        {
            QByteArray file;
            for (int i = 0; i < 5000; ++i)
                file += "State " + QByteArray::number(i) + (i % 10 == 9 ? "\r\n" : ",");
            std::vector<double> imports;
            StatesFile::ImportResult imported;
            for (int k = 0; k < 7; ++k) {
                CurrentDb->Execute(QStringLiteral("DELETE FROM States"), 0, {});
                imports.push_back(timeMs([&] { imported = StatesFile::Import(CurrentDb, StatesFile::Parse(file)); }));
            }
            std::printf("import 5,000 states (%d added, median): %6.2f ms   (target < 100)\n", imported.added, median(imports));
        }
        CurrentDb->Close();
    } catch (const VbError &e) {
        std::fprintf(stderr, "error %d: %s\n", e.Number(), qPrintable(e.Description()));
        return 1;
    }
    return 0;
}
