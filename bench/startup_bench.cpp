// Cold start of the program with a 1,000-climb database named on the command
// line: the time from starting a fresh process until the main window is shown
// with the database open. Each run is a new process (this program started
// again with --child); the median of the runs is printed.
#include "core/DbFile.h"
#include "core/Globals.h"
#include "core/MDIfrmBike.h"
#include "platform/dao/Dao.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>
#include <QTextStream>

#include <algorithm>
#include <cstdio>

namespace {
constexpr int Climbs = 1000;
constexpr int SamplesPerClimb = 20;
constexpr int Runs = 7;

int Child(int argc, char **argv)
{
    QApplication app(argc, argv);
    AppPath = QStringLiteral(VETTARO_BIN_DIR);
    AppName = QStringLiteral("vettaro-startup-bench");
    MDIfrmBike window;
    window.MDIForm_Load(QString::fromLocal8Bit(argv[2]));
    window.show();
    QCoreApplication::processEvents();
    if (!window.IsDatabaseOpen()) {
        std::fprintf(stderr, "database not open\n");
        return 1;
    }
    std::printf("READY\n");
    std::fflush(stdout);
    window.close();
    return 0;
}

void BuildDatabase(const QString &path)
{
    AppPath = QStringLiteral(VETTARO_BIN_DIR);
    CreateFromTemplate(path);
    auto db = dao::OpenDatabase(path, true, false, dao::DefaultConnect());
    db->BeginTrans();
    for (int c = 0; c < Climbs; ++c) {
        const QString name = QStringLiteral("Climb %1").arg(c, 4, 10, QLatin1Char('0'));
        db->Execute(QStringLiteral("INSERT INTO [Dati Salite] (IDPercorso, Lunghezza, Quotainiziale, Quotafinale, Regione) "
                                   "VALUES (?, ?, ?, ?, ?)"),
                    0, {name, 12.5, 400 + c % 300, 1400 + c % 900, QStringLiteral("Lombardia")});
        for (int s = 0; s < SamplesPerClimb; ++s)
            db->Execute(QStringLiteral("INSERT INTO [CampioniSalite] (IDPercorso, DistParz, Altezza, Note) VALUES (?, ?, ?, ?)"),
                        0, {name, s * 0.625, 400 + s * 50, s == SamplesPerClimb - 1 ? QStringLiteral("Top") : QString()});
    }
    db->CommitTrans();
    db->Close();
}
}

int main(int argc, char **argv)
{
    if (argc >= 3 && QByteArray(argv[1]) == "--child")
        return Child(argc, argv);

    QCoreApplication app(argc, argv);
    QTemporaryDir dir;
    const QString path = QDir(dir.path()).filePath(QStringLiteral("climbs1000.mdb"));
    QElapsedTimer build;
    build.start();
    try {
        BuildDatabase(path);
    } catch (const VbError &e) {
        std::fprintf(stderr, "cannot build the database: %s\n", e.what());
        return 1;
    }
    std::printf("database: %d climbs, %d samples each (built in %lld ms)\n", Climbs, SamplesPerClimb,
                static_cast<long long>(build.elapsed()));

    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), QDir(dir.path()).filePath(QStringLiteral("config")));
    env.insert(QStringLiteral("TMPDIR"), dir.path());
    if (!env.contains(QStringLiteral("DISPLAY")) && !env.contains(QStringLiteral("QT_QPA_PLATFORM")))
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));

    QList<double> times;
    for (int run = 0; run < Runs; ++run) {
        QProcess child;
        child.setProcessEnvironment(env);
        QElapsedTimer t;
        t.start();
        child.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--child"), path});
        bool ready = false;
        while (!ready && child.waitForReadyRead(30000))
            ready = child.readAll().contains("READY");
        const double ms = t.nsecsElapsed() / 1e6;
        child.waitForFinished(30000);
        if (!ready) {
            std::fprintf(stderr, "run %d: the window did not come up: %s\n", run + 1,
                         child.readAllStandardError().constData());
            return 1;
        }
        times << ms;
        std::printf("run %d: %.1f ms\n", run + 1, ms);
    }
    std::sort(times.begin(), times.end());
    std::printf("cold start to main window with database open: median %.1f ms over %d runs\n",
                times.at(times.size() / 2), Runs);
    return 0;
}
