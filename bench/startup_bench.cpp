// Cold start of the program with a 1,000-climb database named on the command
// line: the time from starting a fresh process of the program itself (from
// its program folder, as a user starts it) until its main window is shown
// with the database open. The program runs with its start-up probe
// (VETTARO_STARTUP_PROBE): it says READY once its window is up, and a dialog
// that appears on the way (a message a user would have to close) ends the run
// with its text, so the bench fails instead of waiting. The median of the runs
// is printed.
#include "core/DbFile.h"
#include "core/Globals.h"
#include "platform/dao/Dao.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QTextStream>

#include <algorithm>
#include <cstdio>

namespace {
constexpr int Climbs = 1000;
constexpr int SamplesPerClimb = 20;
constexpr int Runs = 7;
constexpr int TimeoutMs = 30000;

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
    QCoreApplication app(argc, argv);
    const QString binDir = QStringLiteral(VETTARO_BIN_DIR);
    const QString program = QDir(binDir).filePath(QStringLiteral("vettaro"));
    if (!QFileInfo(program).isExecutable()) {
        std::fprintf(stderr, "the program is not built: %s\n", qPrintable(program));
        return 1;
    }
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
    env.insert(QStringLiteral("VETTARO_STARTUP_PROBE"), QStringLiteral("1"));
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), QDir(dir.path()).filePath(QStringLiteral("config")));
    env.insert(QStringLiteral("XDG_CACHE_HOME"), QDir(dir.path()).filePath(QStringLiteral("cache")));
    env.insert(QStringLiteral("TMPDIR"), dir.path());
    if (!env.contains(QStringLiteral("DISPLAY")) && !env.contains(QStringLiteral("QT_QPA_PLATFORM")))
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));

    QList<double> times;
    for (int run = 0; run < Runs; ++run) {
        QProcess child;
        child.setProcessEnvironment(env);
        child.setWorkingDirectory(binDir);
        QElapsedTimer t;
        t.start();
        child.start(program, {path});
        QByteArray out;
        bool ready = false;
        while (!ready && child.waitForReadyRead(TimeoutMs)) {
            out += child.readAllStandardOutput();
            ready = out.contains("READY");
        }
        const double ms = t.nsecsElapsed() / 1e6;
        if (!child.waitForFinished(TimeoutMs)) {
            child.kill();
            child.waitForFinished();
        }
        out += child.readAllStandardOutput();
        const QByteArray err = child.readAllStandardError().trimmed();
        if (!ready || !out.contains("READY database open")) {
            std::fprintf(stderr, "run %d: the window did not come up with the database open (exit %d)%s%s\n", run + 1,
                         child.exitCode(), err.isEmpty() ? "" : ":\n", err.constData());
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
