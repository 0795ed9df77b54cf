#include "platform/ui/DeferredMessage.h"

#include <QMetaObject>

#include <utility>

bool DeferredMessage::tell(std::function<void()> show)
{
    if (busy())
        return false;
    m_waiting = std::move(show);
    // Two hops: the first runs after the calls queued before it, and queues the
    // message behind whatever the view queued in the same pass (a grid put
    // back on a refused row), so the box opens on the grid as the user will
    // see it.
    QMetaObject::invokeMethod(
        this,
        [this]() { QMetaObject::invokeMethod(this, [this]() { showWaiting(); }, Qt::QueuedConnection); },
        Qt::QueuedConnection);
    return true;
}

void DeferredMessage::showWaiting()
{
    if (!m_waiting)
        return;
    const std::function<void()> show = std::exchange(m_waiting, {});
    m_showing = true;
    // The window may be closed while its box is on screen.
    const QPointer<DeferredMessage> alive(this);
    show();
    if (alive)
        m_showing = false;
}
