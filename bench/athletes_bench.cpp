// The climb-time card over the large benchmark database (50,000 climb times):
// opening it (refresh, count, position, the two lists) and moving to its last
// row, each the median of 7 runs. Target: each under 100 ms.
// Usage: athletes_bench [template]   (default: the program folder's ZidoVodu.dat)
#include "athletes/TimeCard.h"
#include "bench/BenchData.h"
#include "core/Globals.h"
#include "core/RecordCounts.h"
#include "platform/dao/Dao.h"
#include "platform/data/DataControl.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
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
        CurrentDb->Close();
    } catch (const VbError &e) {
        std::fprintf(stderr, "error %d: %s\n", e.Number(), qPrintable(e.Description()));
        return 1;
    }
    return 0;
}
