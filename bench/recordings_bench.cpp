// Recordings: a 10-hour ride recorded every second (36,000 samples), once as
// an .hrm file with speed, cadence, altitude and power and once as a tour
// file. Reads each, fills the table model, thins, imports at step 0 into a
// fresh database and writes the workbook, printing every figure in ms.
// Usage: recordings_bench [template]   (default: the program folder's ZidoVodu.dat)
#include "core/DbFile.h"
#include "core/Globals.h"
#include "core/RaceStore.h"
#include "core/TimeFormat.h"
#include "recordings/Hrm.h"
#include "recordings/RecordingImport.h"
#include "recordings/RecordingTableModel.h"
#include "recordings/RecordingWorkbook.h"
#include "recordings/Tur.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <functional>
#include <vector>

namespace {

constexpr int kSamples = 36000;

double Best(int runs, const std::function<void()> &work)
{
    double best = 1e30;
    for (int i = 0; i < runs; ++i) {
        QElapsedTimer t;
        t.start();
        work();
        best = std::min(best, t.nsecsElapsed() / 1e6);
    }
    return best;
}

double HeightAt(int i) { return 600 + 900 * std::sin(i / 3000.0) * std::sin(i / 3000.0); }

QByteArray HrmRide()
{
    QByteArray out = "[Params]\r\nVersion=106\r\nMonitor=12\r\nSMode=11110000\r\nDate=20260710\r\n"
                     "StartTime=07:00:00.0\r\nLength=10:00:00.0\r\nInterval=1\r\nMaxHR=190\r\nRestHR=45\r\n"
                     "Weight=70\r\n\r\n[Note]\r\nTen hours\r\n\r\n[HRData]\r\n";
    out.reserve(out.size() + kSamples * 24);
    for (int i = 0; i < kSamples; ++i) {
        out += QByteArray::number(120 + i % 40) + '\t' + QByteArray::number(250 + i % 100) + '\t'
            + QByteArray::number(80 + i % 15) + '\t' + QByteArray::number(int(HeightAt(i))) + '\t'
            + QByteArray::number(200 + i % 80) + "\r\n";
    }
    return out;
}

QByteArray TurRide()
{
    QByteArray out = "HACtronic - Tour\n3\n1\n0\nTen hours\n\n\n10.07.2026\n07:00\n0\n30000\n36000\n0\n600\n0\n";
    for (int i = 0; i < 9; ++i)
        out += "0\n";
    out += "Reserve\nReserve\nEvel\nKneavel\n25.07.1978\n\n75\n190\n45\nSteel\n9\n0\n0\n0\n0\nReserve\n";
    out += QByteArray::number(kSamples) + '\n';
    out += char(0);
    for (int i = 0; i < kSamples; ++i) {
        const uint32_t seconds = uint32_t(i), hundredths = uint32_t(i * 30000LL / kSamples);
        const int16_t h = int16_t(HeightAt(i));
        out += QByteArray(3, char(0x12));
        for (int b = 0; b < 4; ++b)
            out += char((seconds >> (8 * b)) & 0xFF);
        for (int b = 0; b < 4; ++b)
            out += char((hundredths >> (8 * b)) & 0xFF);
        out += char(h & 0xFF);
        out += char((h >> 8) & 0xFF);
        out += char(130);
        out += char(85);
        out += char(20);
        out += QByteArray(3, char(0));
        out += char(0x14);
    }
    return out;
}

void Write(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    f.open(QIODevice::WriteOnly);
    f.write(bytes);
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QString templ = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral(VETTARO_BIN_DIR "/ZidoVodu.dat");
    QTemporaryDir dir;
    const QString hrmPath = dir.filePath(QStringLiteral("ride.hrm"));
    const QString turPath = dir.filePath(QStringLiteral("ride.tur"));
    Write(hrmPath, HrmRide());
    Write(turPath, TurRide());

    std::printf("recordings_bench: a 10-hour ride at 1 s, %d samples (best of 5, ms)\n", kSamples);
    Hrm hrm;
    Tur tur;
    const double readHrm = Best(5, [&] { hrm = Hrm(); hrm.ReadHRM(hrmPath); });
    const double readTur = Best(5, [&] { tur = Tur(); tur.ReadTur(turPath); });
    if (!hrm.Samples() || hrm.Samples()->Count() != kSamples || !tur.Samples() || tur.Samples()->Count() != kSamples) {
        std::printf("  the generated rides did not read back: %s %s\n", qPrintable(hrm.Failure().Text()),
                    qPrintable(tur.Failure().Text()));
        return 1;
    }
    std::printf("  read .hrm (36,000 lines, 5 fields)      %8.2f   (target < 50)\n", readHrm);
    std::printf("  read tour file (36,000 records)         %8.2f   (target < 50)\n", readTur);

    RecordingTableModel model;
    QStringList headers;
    for (int c = 0; c < 10; ++c)
        headers << QStringLiteral("H%1").arg(c);
    const double fill = Best(5, [&] {
        model.setSamples(hrm.Samples(), headers);
        // The first screen of rows the view asks for.
        for (int r = 0; r < 40; ++r)
            for (int c = 0; c < 11; ++c)
                (void)model.data(model.index(r, c), Qt::DisplayRole);
    });
    std::printf("  fill the table model, first screen      %8.2f\n", fill);
    const double allCells = Best(1, [&] {
        for (int r = 0; r < model.rowCount(); ++r)
            for (int c = 0; c < 11; ++c)
                (void)model.cellText(r, c);
    });
    std::printf("  every cell's text (copy of all rows)    %8.2f\n", allCells);

    std::vector<float> d;
    std::vector<int16_t> h;
    for (const SamplePtr &s : *hrm.Samples()) {
        d.push_back(s->Distance());
        h.push_back(s->Height());
    }
    size_t kept0 = 0, kept1 = 0;
    const double thin0 = Best(5, [&] { kept0 = ThinSamples(d, h, 0).size(); });
    const double thin1 = Best(5, [&] { kept1 = ThinSamples(d, h, 1).size(); });
    std::printf("  thin at step 0 (%zu kept)              %8.2f\n", kept0, thin0);
    std::printf("  thin at step 1 km (%zu kept)            %8.2f\n", kept1, thin1);

    // Import at step 0: build the race and store it through the race store.
    QFile::copy(templ, dir.filePath(QStringLiteral("bench.dat")));
    OpenDatabaseFile(dir.filePath(QStringLiteral("bench.dat")));
    int run = 0;
    int stored = 0;
    const double import = Best(5, [&] {
        ImportRequest r;
        r.name = QStringLiteral("Ride %1").arg(++run);
        r.raceType = 1;
        r.length = hrm.Samples()->Item(kSamples)->Distance();
        r.startAltitude = hrm.Samples()->Item(1)->Height();
        r.endAltitude = hrm.Samples()->Item(kSamples)->Height();
        const RacePtr race = BuildImportRace(*hrm.Samples(), r);
        RaceStore store(*CurrentDb);
        stored = store.save(*race).samples;
    });
    std::printf("  import at step 0 (%d samples stored)  %8.2f   (target < 200)\n", stored, import);
    CurrentDb->Close();

    QString sink;
    const double times = Best(3, [&] {
        for (int i = 0; i < kSamples; ++i)
            sink = FormatSeconds(i);
    });
    std::printf("  FormatSeconds of every sample           %8.2f\n", times);

    WorkbookTexts texts;
    for (int c = 0; c < 10; ++c)
        texts.headers << QStringLiteral("Column %1").arg(c);
    texts.xAxis = QStringLiteral("Distance [km]");
    texts.yAxis = QStringLiteral("Altitude [m]");
    QString error;
    const double workbook = Best(3, [&] {
        WriteRecordingWorkbook(dir.filePath(QStringLiteral("ride.xlsx")), QStringLiteral("Ten hours"),
                               hrm.Samples().get(), texts, &error);
    });
    std::printf("  write the workbook with its chart       %8.2f   (%lld bytes)\n", workbook,
                QFileInfo(dir.filePath(QStringLiteral("ride.xlsx"))).size());
    return 0;
}
