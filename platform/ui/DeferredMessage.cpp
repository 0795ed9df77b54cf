#include "platform/ui/DeferredMessage.h"

#include <QMetaObject>

bool DeferredMessage::tell(std::function<void()> show)
{
    if (busy())
        return false;
    m_waiting.emplace_back(QString(), std::move(show));
    queueShowing();
    return true;
}

bool DeferredMessage::tell(const QString &key, std::function<void()> show)
{
    if (!busy()) {
        m_waiting.emplace_back(key, std::move(show));
        queueShowing();
        return true;
    }
    if (key.isEmpty() || holds(key))
        return false;
    // Behind the one waiting or on screen, which shows the rest when it is done.
    m_waiting.emplace_back(key, std::move(show));
    return true;
}

bool DeferredMessage::holds(const QString &key) const
{
    if (m_showing && m_shownKey == key)
        return true;
    for (const auto &w : m_waiting)
        if (w.first == key)
            return true;
    return false;
}

void DeferredMessage::queueShowing()
{
    // Two hops: the first runs after the calls queued before it, and queues the
    // message behind whatever the view queued in the same pass (a grid put
    // back on a refused row), so the box opens on the grid as the user will
    // see it.
    QMetaObject::invokeMethod(
        this,
        [this]() { QMetaObject::invokeMethod(this, [this]() { showWaiting(); }, Qt::QueuedConnection); },
        Qt::QueuedConnection);
}

void DeferredMessage::showWaiting()
{
    if (m_showing)
        return;   // the loop below, further up, shows what was queued meanwhile
    // The window may be closed while its box is on screen.
    const QPointer<DeferredMessage> alive(this);
    while (alive && !m_waiting.empty()) {
        auto [key, show] = std::move(m_waiting.front());
        m_waiting.pop_front();
        m_showing = true;
        m_shownKey = key;
        show();
        if (alive) {
            m_showing = false;
            m_shownKey.clear();
        }
    }
}
