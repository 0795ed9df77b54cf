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
// from an editor, or as the grid is put back on the row) is dropped.
#include <QObject>
#include <QPointer>

#include <functional>

class DeferredMessage : public QObject {
public:
    explicit DeferredMessage(QObject *parent) : QObject(parent) {}

    // Queues show (a MsgBox or ShowDataError call). False, and nothing
    // queued, when a message of this teller is already waiting or shown.
    bool tell(std::function<void()> show);
    // A message is waiting or on screen.
    bool busy() const { return bool(m_waiting) || m_showing; }
    // Shows a waiting message at once, from a plain user action (a button, a
    // window closing) after which the teller may be gone.
    void showWaiting();

private:
    std::function<void()> m_waiting;
    bool m_showing = false;
};
