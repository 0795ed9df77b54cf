#pragma once
// Lets a window repaint during long work done in one go (a large file read
// or stored): called as often as convenient, it runs the pending events but
// the user's input at most every 50 ms, so what the user types or clicks
// waits for the end. Without an application object it does nothing.
#include <QCoreApplication>
#include <QElapsedTimer>

class PaintNowAndThen {
public:
    void operator()()
    {
        if (m_since.isValid() && m_since.elapsed() < 50)
            return;
        if (QCoreApplication::instance())
            QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
        m_since.start();
    }

private:
    QElapsedTimer m_since;
};
