#pragma once
// Keeps an import window alive while the import runs on the window's own
// thread: the engine's callbacks call yield() after every card and sample,
// and about every 50 ms the pending window events run, so the progress bar
// paints and the abort button is heard without slowing the copy down.
#include <QCoreApplication>
#include <QElapsedTimer>

class ImportPump {
public:
    static constexpr qint64 IntervalMs = 50;

    void start() { m_last.start(); }
    // Runs pending events when the interval has passed; true when it did.
    bool yield()
    {
        if (m_last.isValid() && m_last.elapsed() < IntervalMs)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents);
        m_last.start();
        return true;
    }
    // Runs pending events now (after a page change, before a question).
    void flush()
    {
        QCoreApplication::processEvents(QEventLoop::AllEvents);
        m_last.start();
    }

private:
    QElapsedTimer m_last;
};
