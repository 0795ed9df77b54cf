#pragma once
// The hourglass as a scope guard: no error path leaves it on.
#include <QApplication>
#include <QCursor>

class BusyCursor {
public:
    BusyCursor() { QApplication::setOverrideCursor(QCursor(Qt::WaitCursor)); }
    ~BusyCursor() { QApplication::restoreOverrideCursor(); }
    BusyCursor(const BusyCursor &) = delete;
    BusyCursor &operator=(const BusyCursor &) = delete;
};

// The normal pointer for the life of a scope inside busy work (a message shown
// midway): every hourglass set is lifted and set again afterwards.
class NormalPointer {
public:
    NormalPointer()
    {
        while (QApplication::overrideCursor()) {
            m_lifted.push_back(*QApplication::overrideCursor());
            QApplication::restoreOverrideCursor();
        }
    }
    ~NormalPointer()
    {
        for (auto it = m_lifted.rbegin(); it != m_lifted.rend(); ++it)
            QApplication::setOverrideCursor(*it);
    }
    NormalPointer(const NormalPointer &) = delete;
    NormalPointer &operator=(const NormalPointer &) = delete;

private:
    QList<QCursor> m_lifted;
};
