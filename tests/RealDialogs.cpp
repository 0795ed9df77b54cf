#include "RealDialogs.h"

#include <QAbstractButton>
#include <QApplication>
#include <QElapsedTimer>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>

namespace TestSupport {

const char *CloseByName(CloseBy how)
{
    switch (how) {
    case CloseBy::Enter: return "Enter";
    case CloseBy::Escape: return "Escape";
    case CloseBy::Space: return "Space";
    case CloseBy::Click: return "Click";
    }
    return "?";
}

RealMessageBoxes::RealMessageBoxes(CloseBy how) : m_how(how), m_old(SetPromptProvider(nullptr))
{
    QObject::connect(&m_timer, &QTimer::timeout, [this]() { closeOpenBox(); });
    m_timer.start(20);
}

RealMessageBoxes::~RealMessageBoxes() { SetPromptProvider(m_old); }

void RealMessageBoxes::closeOpenBox()
{
    auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
    if (!box || !box->isVisible())
        return;
    texts << box->text();
    if (onShown)
        onShown();
    QWidget *focus = QApplication::focusWidget();
    QWidget *target = focus && box->isAncestorOf(focus) ? focus : box;
    switch (m_how) {
    case CloseBy::Enter: QTest::keyClick(target, Qt::Key_Return); break;
    case CloseBy::Escape: QTest::keyClick(target, Qt::Key_Escape); break;
    case CloseBy::Space: {
        // Space presses the button that has the focus, as on a real screen.
        QAbstractButton *button = qobject_cast<QAbstractButton *>(focus);
        if (!button || !box->isAncestorOf(button)) {
            button = box->defaultButton() ? box->defaultButton() : box->buttons().value(0);
            button->setFocus(Qt::OtherFocusReason);
        }
        QTest::keyClick(button, Qt::Key_Space);
        break;
    }
    case CloseBy::Click: {
        QAbstractButton *button = box->defaultButton() ? box->defaultButton() : box->buttons().value(0);
        QTest::mouseClick(button, Qt::LeftButton);
        break;
    }
    }
}

void Pump(int milliseconds)
{
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < milliseconds) {
        QApplication::processEvents(QEventLoop::AllEvents, 10);
        QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
}

}
