#pragma once
// A message decided inside a callback of a view or a field (an item view's
// commit of a cell editor, a delegate, a current-row or current-cell change, a
// focus-out or key handler of a field) is shown once that callback and
// everything the view queued with it have run. A modal box started from there
// runs its own event loop while the view is still inside its callback:
// closing the box lets the view delete the very editor it is committing, and
// the commit then goes on with a dead widget.
//
// One refusal is told once: while a message of this teller is waiting or on
// screen, a second one (the same refusal seen again as the box takes the focus
// from an editor, or as the grid is put back on the row) is dropped. A teller
// whose refusals name themselves (a key: the row, what it held and the error)
// tells a different refusal after the one waiting or shown, and drops only
// one it has already.
#include <QObject>
#include <QPointer>
#include <QString>

#include <deque>
#include <functional>
#include <utility>

class DeferredMessage : public QObject {
public:
    explicit DeferredMessage(QObject *parent) : QObject(parent) {}

    // Queues show (a MsgBox or ShowDataError call). False, and nothing
    // queued, when a message of this teller is already waiting or shown.
    bool tell(std::function<void()> show);
    // The same for a refusal named by key: while a message is waiting or
    // shown, one of another key is queued behind it (true) and one of a key
    // already waiting or shown is dropped (false).
    bool tell(const QString &key, std::function<void()> show);
    // A message is waiting or on screen.
    bool busy() const { return !m_waiting.empty() || m_showing; }
    // Shows the waiting messages at once, in order, from a plain user action
    // (a button, a window closing) after which the teller may be gone.
    void showWaiting();

private:
    bool holds(const QString &key) const;
    void queueShowing();

    std::deque<std::pair<QString, std::function<void()>>> m_waiting;
    QString m_shownKey;
    bool m_showing = false;
};
