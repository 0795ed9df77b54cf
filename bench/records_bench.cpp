// Climb figures and simulators for many cards, and the profile hand-off of a
// long climb, from memory and from a database file. Prints its figures.
#include "core/ProfileGlobals.h"
#include "platform/dao/Dao.h"
#include "records/ClimbFigures.h"
#include "records/ProfileHandoff.h"
#include "records/Simulators.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

double Median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QLocale locale(QLocale::English, QLocale::UnitedStates);

    // ---- figures and simulators ------------------------------------------------
    const int cards = 100000;
    std::vector<ClimbFigures::CardTexts> texts;
    texts.reserve(cards);
    for (int i = 0; i < cards; ++i) {
        const int start = 100 + i % 1500;
        const int end = start + 50 + (i * 7) % 1900;
        texts.push_back({QString::number(1 + (i % 300) / 10.0, 'f', 1), QString::number(start),
                         QString::number(end), QStringLiteral("100")});
    }
    QElapsedTimer timer;
    timer.start();
    long checksum = 0;
    for (const auto &t : texts) {
        checksum += ClimbFigures::HeightDifference(t, locale).colourClass;
        checksum += ClimbFigures::MeanGradient(t, locale).colourClass;
        checksum += ClimbFigures::Difficulty(t, locale).colourClass;
    }
    const double figuresMs = timer.nsecsElapsed() / 1e6;

    timer.restart();
    Simulators::ClimbSimulator sim;
    Simulators::ClimbReadouts climbOut;
    Simulators::RouteReadouts routeOut;
    for (int i = 0; i < cards; ++i) {
        Simulators::ClimbInput in;
        in.length = texts[i].length;
        in.startAltitude = texts[i].startAltitude;
        in.endAltitude = texts[i].endAltitude;
        in.recordCount = texts[i].recordCount;
        in.rate.position = 300 + i % 1500;
        checksum += sim.RateChanged(in, climbOut, locale);
        checksum += sim.WeightChanged(in, climbOut, locale);
        Simulators::RouteInput r;
        r.length = texts[i].length;
        r.recordCount = texts[i].recordCount;
        r.speed.position = 1 + i % 8000;
        checksum += Simulators::RouteSpeedChanged(r, routeOut, locale);
    }
    const double simulatorsMs = timer.nsecsElapsed() / 1e6;

    std::printf("cards: %d\n", cards);
    std::printf("climb figures (3 per card): %.1f ms total, %.2f us per card\n", figuresMs,
                figuresMs * 1000.0 / cards);
    std::printf("simulators (climb rate + weight + route speed per card): %.1f ms total, %.2f us per card\n",
                simulatorsMs, simulatorsMs * 1000.0 / cards);

    // ---- profile hand-off ---------------------------------------------------------
    const int samples = 20000;
    QVector<ProfileHandoff::SampleRow> rows;
    rows.reserve(samples);
    for (int i = 0; i < samples; ++i)
        rows.push_back({QVariant(i * 0.01), QVariant(500 + (i * 37) % 1200),
                        i % 50 == 0 ? QVariant(QStringLiteral("note")) : QVariant(),
                        i % 100 == 0 ? QVariant(QStringLiteral("fountain")) : QVariant()});
    const QSet<QString> icons = {QStringLiteral("fountain")};
    const ProfileHandoff::Legend legend{QStringLiteral("01:00:00"), QStringLiteral("10.00"),
                                        QStringLiteral("200"), QStringLiteral("600"), QStringLiteral("5.0%")};
    std::vector<double> memoryRuns;
    for (int run = 0; run < 9; ++run) {
        timer.restart();
        ProfileHandoff::Fill(ProfileHandoff::Kind::Climb, QStringLiteral("Long climb"), rows, legend, icons, locale);
        memoryRuns.push_back(timer.nsecsElapsed() / 1e6);
    }
    std::printf("hand-off of %d samples from memory: median %.2f ms (gain %d m)\n", samples,
                Median(memoryRuns), ProfileGain);

    QTemporaryDir dir;
    const QString path = QDir(dir.path()).filePath(QStringLiteral("bench.dat"));
    dao::DatabasePtr db = dao::CreateDatabase(path, dao::DefaultConnect());
    db->Execute(QStringLiteral("CREATE TABLE [CampioniSalite] ([IDPercorso] TEXT(250), [DistParz] SINGLE, "
                               "[Altezza] SMALLINT, [Note] TEXT(250), [image] TEXT(250))"));
    db->Execute(QStringLiteral("CREATE TABLE [Icons] ([IconName] TEXT(50))"));
    db->Execute(QStringLiteral("INSERT INTO [Icons] ([IconName]) VALUES (?)"), 0, {QStringLiteral("fountain")});
    db->BeginTrans();
    for (const auto &r : rows)
        db->Execute(QStringLiteral("INSERT INTO [CampioniSalite] VALUES (?, ?, ?, ?, ?)"), 0,
                    {QStringLiteral("Long climb"), r.DistParz, r.Altezza, r.Note, r.image});
    db->CommitTrans();
    std::vector<double> dbRuns;
    for (int run = 0; run < 9; ++run) {
        timer.restart();
        ProfileHandoff::Fill(*db, ProfileHandoff::Kind::Climb, QStringLiteral("Long climb"), legend, locale);
        dbRuns.push_back(timer.nsecsElapsed() / 1e6);
    }
    std::printf("hand-off of %d samples from the database: median %.2f ms (goal under 20 ms; %d points)\n",
                samples, Median(dbRuns), ProfilePointCount);
    db->Close();
    std::printf("checksum %ld\n", checksum);
    return 0;
}
