// Child windows open inside the workspace, whatever their size, how often
// they are opened and what else is open.
#include "mainwindow_fixture.h"

#include <QAbstractScrollArea>
#include <QApplication>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QShowEvent>

namespace {
QRect Room(QMdiArea *area)
{
    return QRect(QPoint(0, 0), area->maximumViewportSize());
}

// A window that goes back to the place it was left at, as windows with a
// stored place do when they are shown: here one far right and below, where a
// larger screen had room.
class StoredPlaceWindow : public QWidget {
public:
    using QWidget::QWidget;

protected:
    void showEvent(QShowEvent *event) override
    {
        QWidget::showEvent(event);
        if (auto *frame = qobject_cast<QMdiSubWindow *>(parentWidget()))
            frame->move(1500, 1100);
    }
};
}

TEST_F(MainWindowTest, EveryChildWindowOpensInsideTheWorkspace)
{
    MDIfrmBike &w = Start();
    w.resize(900, 640);
    w.show();
    QApplication::processEvents();
    // A window about the size of the recording window, another beside it.
    for (const char *name : {"wideWindow", "otherWindow"})
        Register(QLatin1String(name), [](QWidget *parent) {
            auto *window = new QWidget(parent);
            window->resize(760, 600);
            return window;
        });
    QMdiArea *area = w.mdiArea();
    const auto check = [&](const char *what) {
        QApplication::processEvents();
        for (QMdiSubWindow *sub : area->subWindowList())
            EXPECT_TRUE(Room(area).contains(sub->geometry()))
                << what << ": " << sub->geometry().x() << "," << sub->geometry().y() << " " << sub->width() << "x"
                << sub->height() << " in " << Room(area).width() << "x" << Room(area).height();
    };
    QWidget *first = WindowRegistry::Show(QStringLiteral("wideWindow"));
    ASSERT_NE(first, nullptr);
    check("first opening");
    // Dragged partly out, closed with its frame's button, opened again.
    auto *sub = qobject_cast<QMdiSubWindow *>(first->parentWidget());
    ASSERT_NE(sub, nullptr);
    sub->move(area->viewport()->width() - 100, area->viewport()->height() - 80);
    sub->close();
    QApplication::processEvents();
    ASSERT_NE(WindowRegistry::Show(QStringLiteral("wideWindow")), nullptr);
    check("second opening");
    ASSERT_NE(WindowRegistry::Show(QStringLiteral("otherWindow")), nullptr);
    check("opened beside another");
    Register(QStringLiteral("storedPlaceWindow"), [](QWidget *parent) {
        auto *window = new StoredPlaceWindow(parent);
        window->resize(400, 300);
        return window;
    });
    ASSERT_NE(WindowRegistry::Show(QStringLiteral("storedPlaceWindow")), nullptr);
    check("a place stored on a larger screen");
}
