#pragma once
// A window that sees key presses before its controls: a key pressed while
// any control of the window has the focus is shown to the window's handler
// first, and then still reaches that control.
#include <QEvent>
#include <QKeyEvent>
#include <QObject>
#include <QPointer>
#include <QWidget>

#include <functional>

class KeyPreview : public QObject {
public:
    // Watches window and every control inside it (make it once they exist).
    KeyPreview(QWidget *window, std::function<void(int key)> handler)
        : QObject(window), m_window(window), m_handler(std::move(handler))
    {
        window->installEventFilter(this);
        for (QWidget *child : window->findChildren<QWidget *>())
            child->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        // A key goes first to the focused control; one it ignores travels on
        // to the controls around it, which must not see it a second time.
        if (event->type() == QEvent::KeyPress && m_window) {
            QWidget *first = m_window->focusWidget() ? m_window->focusWidget() : m_window.data();
            if (watched == first)
                m_handler(static_cast<QKeyEvent *>(event)->key());
        }
        return false;
    }

private:
    QPointer<QWidget> m_window;
    std::function<void(int key)> m_handler;
};
