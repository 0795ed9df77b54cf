#include "profile/DrawingWindow.h"

#include "platform/error/VbError.h"
#include "platform/print/Printer.h"
#include "platform/ui/Feedback.h"

#include <QAction>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QStatusBar>
#include <QVBoxLayout>

namespace DrawingWindow {

QWidget *Outer(QWidget *window)
{
    if (auto *sub = qobject_cast<QMdiSubWindow *>(window->parentWidget()))
        return sub;
    return window;
}

QVBoxLayout *LayOut(QWidget *window, QMenuBar *&menuBar, QMenu *&menu)
{
    auto *outer = new QVBoxLayout(window);
    outer->setContentsMargins(6, 0, 6, 0);
    outer->setSpacing(4);
    menuBar = new QMenuBar(window);
    menuBar->setObjectName(QStringLiteral("menuBar"));
    menuBar->setNativeMenuBar(false);
    menu = menuBar->addMenu(QString());
    menu->setObjectName(QStringLiteral("mnuOption"));
    outer->setMenuBar(menuBar);
    return outer;
}

QAction *AddItem(QWidget *window, QMenu *menu, QHash<QString, QAction *> &items, const char *name,
                 const QKeySequence &keys, const std::function<void()> &handler)
{
    QAction *a = menu->addAction(QString());
    a->setObjectName(QString::fromLatin1(name));
    a->setShortcut(keys);
    a->setShortcutContext(Qt::WidgetWithChildrenShortcut);
    window->addAction(a);
    QObject::connect(a, &QAction::triggered, window, handler);
    items.insert(QString::fromLatin1(name), a);
    return a;
}

QStatusBar *NewStatusBar(QWidget *window)
{
    auto *status = new QStatusBar(window);
    status->setObjectName(QStringLiteral("StatusBar1"));
    status->setSizeGripEnabled(false);
    return status;
}

void Print(const DrawingFrame &frame, const QString &documentName)
{
    Printer &printer = SharedPrinter();
    if (!printer.ChooseOutput(documentName))
        return;
    try {
        const QImage &image = frame.Picture1()->Image();
        const double w = qMax(1, image.width()), h = qMax(1, image.height());
        printer.Scale(0, 0, w, h);
        printer.PaintPicture(image, 0, 0, w, h);
        printer.EndDoc();
    } catch (const VbError &e) {
        printer.KillDoc();
        if (e.Number() != VbErr::CancelError)
            ShowDataError(e);
    }
}

} // namespace DrawingWindow
