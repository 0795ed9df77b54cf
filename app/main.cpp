// Vettaro: the main window is the program. main() registers the windows of
// each subsystem by name, builds the main window and runs its start-up.
#include "core/DbFile.h"
#include "core/MDIfrmBike.h"
#include "core/StartupProbe.h"

#include <QApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>
#include <QScreen>
#include <QStringList>

#include <unistd.h>

// Each subsystem registers its child windows with the window registry
// (core/WindowRegistry.h) from one function; a subsystem that is not part of
// the build simply contributes no windows.
#if __has_include("records/RegisterWindows.h")
#include "records/RegisterWindows.h"
#define VETTARO_HAVE_RECORDS 1
#endif
#if __has_include("profile/RegisterWindows.h")
#include "profile/RegisterWindows.h"
#define VETTARO_HAVE_PROFILE 1
#endif
#if __has_include("athletes/RegisterWindows.h")
#include "athletes/RegisterWindows.h"
#define VETTARO_HAVE_ATHLETES 1
#endif
#if __has_include("recordings/RegisterWindows.h")
#include "recordings/RegisterWindows.h"
#define VETTARO_HAVE_RECORDINGS 1
#endif
#if __has_include("tools/RegisterWindows.h")
#include "tools/RegisterWindows.h"
#define VETTARO_HAVE_TOOLS 1
#endif

namespace {
void RegisterWindows()
{
#ifdef VETTARO_HAVE_RECORDS
    RegisterRecordsWindows();
#endif
#ifdef VETTARO_HAVE_PROFILE
    RegisterProfileWindows();
#endif
#ifdef VETTARO_HAVE_ATHLETES
    RegisterAthletesWindows();
#endif
#ifdef VETTARO_HAVE_RECORDINGS
    RegisterRecordingsWindows();
#endif
#ifdef VETTARO_HAVE_TOOLS
    RegisterToolsWindows();
#endif
}

// The last safety net: an error that no handler caught is reported, and the
// program goes on.
class VettaroApplication : public QApplication {
public:
    using QApplication::QApplication;
    bool notify(QObject *receiver, QEvent *event) override
    {
        try {
            return QApplication::notify(receiver, event);
        } catch (...) {
            ShowDataError();
            return false;
        }
    }
};
}

int main(int argc, char **argv)
{
    // The browser window's pages (Qt WebEngine) share the GL contexts of the
    // application, which must be said before the application exists.
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    // Its page process refuses to start a sandbox as root and ends the whole
    // program instead; run as root, it goes without.
    if (geteuid() == 0 && qEnvironmentVariableIsEmpty("QTWEBENGINE_DISABLE_SANDBOX"))
        qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
    VettaroApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("vettaro"));
    QApplication::setApplicationVersion(QStringLiteral(VETTARO_VERSION));
    // Qt's own dialogs (buttons of message boxes, file and printer dialogs)
    // speak the desktop's language, as the system's dialogs always have.
    QTranslator qtTexts;
    if (qtTexts.load(QLocale::system(), QStringLiteral("qtbase"), QStringLiteral("_"),
                     QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QApplication::installTranslator(&qtTexts);
    RegisterWindows();
    // The start-up benchmark's probe: a dialog ends the run, readiness is told.
    const bool probe = startup::ProbeRequested();
    if (probe)
        startup::WatchForDialogs();

    MDIfrmBike window;
    // The whole command line after the program's name is the database to open.
    window.MDIForm_Load(app.arguments().mid(1).join(QLatin1Char(' ')));
    // Without a window manager a maximised window keeps its size: take the screen.
    if (QScreen *screen = QGuiApplication::primaryScreen())
        window.setGeometry(screen->availableGeometry());
    window.showMaximized();
    if (probe)
        startup::ReportReadyOnceRunning([&window] { return window.IsDatabaseOpen(); });
    return app.exec();
}
