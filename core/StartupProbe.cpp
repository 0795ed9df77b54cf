#include "core/StartupProbe.h"

#include <QApplication>
#include <QDialog>
#include <QEvent>
#include <QMessageBox>
#include <QTimer>
#include <QWidget>

#include <cstdio>
#include <unistd.h>

namespace startup {

namespace {

class DialogWatch : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() != QEvent::Show || !watched->isWidgetType())
            return false;
        auto *w = static_cast<QWidget *>(watched);
        if (!w->isWindow() || (!w->isModal() && !qobject_cast<QDialog *>(w)))
            return false;
        QString text = w->windowTitle();
        if (auto *box = qobject_cast<QMessageBox *>(w)) {
            text += QStringLiteral(": ") + box->text();
            if (!box->informativeText().isEmpty())
                text += QLatin1Char(' ') + box->informativeText();
        }
        std::fprintf(stderr, "dialog: %s\n", text.toLocal8Bit().constData());
        std::fflush(stderr);
        std::fflush(stdout);
        // Inside the dialog's own event loop: nothing may run on.
        ::_exit(3);
    }
};

} // namespace

bool ProbeRequested()
{
    return !qEnvironmentVariableIsEmpty("VETTARO_STARTUP_PROBE");
}

void WatchForDialogs()
{
    qApp->installEventFilter(new DialogWatch(qApp));
}

void ReportReadyOnceRunning(std::function<bool()> databaseOpen)
{
    QTimer::singleShot(0, qApp, [databaseOpen = std::move(databaseOpen)]() {
        std::printf("READY %s\n", databaseOpen && databaseOpen() ? "database open" : "no database");
        std::fflush(stdout);
        QApplication::closeAllWindows();
        QCoreApplication::quit();
    });
}

} // namespace startup
