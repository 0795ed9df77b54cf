#include "core/WindowRegistry.h"

#include <QDialog>
#include <QEvent>
#include <QEventLoop>
#include <QHash>
#include <QMdiArea>
#include <QAbstractScrollArea>
#include <QMdiSubWindow>
#include <QPointer>

namespace {
struct Registry {
    QHash<QString, WindowRegistry::Factory> factories;
    QHash<QString, QPointer<QWidget>> loaded;
    QList<DataWindowRegistration> dataWindows;
    QPointer<QMdiArea> workspace;
    std::function<void(const QString &)> unloaded;
};

Registry &registry()
{
    static Registry r;
    return r;
}

// Ends a modal run when the window hides or goes, noting whether it was closed.
class ModalWatcher : public QObject {
public:
    ModalWatcher(QWidget *w, QEventLoop *loop) : m_loop(loop)
    {
        w->installEventFilter(this);
        connect(w, &QObject::destroyed, loop, &QEventLoop::quit);
    }
    bool closed = false;

protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::Close)
            closed = true;
        else if (event->type() == QEvent::Hide || event->type() == QEvent::HideToParent)
            m_loop->quit();
        return false;
    }

private:
    QEventLoop *m_loop;
};

// A frame without a maximize button is never left maximized: the workspace
// maximizes the window it activates when the one before was maximized (a
// maximized profile window closing over a card), and a window of fixed size
// would then stand unstretched in the corner with no button to restore it. It
// gets its own size and place back, inside the workspace, once the workspace
// has done.
class NoMaximizeGuard : public QObject {
public:
    explicit NoMaximizeGuard(QMdiSubWindow *frame) : QObject(frame), m_frame(frame) { frame->installEventFilter(this); }

protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::WindowStateChange && m_frame->isMaximized()
            && !(m_frame->windowFlags() & Qt::WindowMaximizeButtonHint)) {
            QMetaObject::invokeMethod(
                m_frame,
                [frame = m_frame]() {
                    if (!frame->isMaximized())
                        return;
                    frame->showNormal();
                    WindowRegistry::KeepInWorkspace(frame);
                },
                Qt::QueuedConnection);
        }
        return false;
    }

private:
    QMdiSubWindow *m_frame;
};

QMdiSubWindow *subWindowOf(QWidget *w)
{
    return w ? qobject_cast<QMdiSubWindow *>(w->parentWidget()) : nullptr;
}
}

namespace WindowRegistry {

void SetWorkspace(QMdiArea *workspace, std::function<void(const QString &name)> unloaded)
{
    registry().workspace = workspace;
    registry().unloaded = std::move(unloaded);
}

void Register(const QString &name, Factory factory)
{
    registry().factories.insert(name, std::move(factory));
}

void RegisterDataWindow(const DataWindowRegistration &registration, Factory factory)
{
    QList<DataWindowRegistration> &list = registry().dataWindows;
    list.removeIf([&](const DataWindowRegistration &r) {
        return r.name == registration.name || r.toolbarKey == registration.toolbarKey;
    });
    list.append(registration);
    Register(registration.name, std::move(factory));
}

void Unregister(const QString &name)
{
    registry().factories.remove(name);
    registry().dataWindows.removeIf([&](const DataWindowRegistration &r) { return r.name == name; });
}

const DataWindowRegistration *DataWindow(const QString &name)
{
    for (const DataWindowRegistration &r : registry().dataWindows)
        if (r.name == name)
            return &r;
    return nullptr;
}

const DataWindowRegistration *DataWindowForKey(const QString &toolbarKey)
{
    for (const DataWindowRegistration &r : registry().dataWindows)
        if (!r.toolbarKey.isEmpty() && r.toolbarKey == toolbarKey)
            return &r;
    return nullptr;
}

bool IsRegistered(const QString &name)
{
    return registry().factories.contains(name);
}

QWidget *Find(const QString &name)
{
    auto it = registry().loaded.find(name);
    if (it == registry().loaded.end())
        return nullptr;
    if (it.value().isNull()) {
        registry().loaded.erase(it);
        return nullptr;
    }
    return it.value().data();
}

QWidget *Load(const QString &name)
{
    if (QWidget *w = Find(name))
        return w;
    auto factory = registry().factories.value(name);
    if (!factory)
        return nullptr;
    QMdiArea *workspace = registry().workspace;
    QWidget *main = workspace ? workspace->window() : nullptr;
    QWidget *w = factory(main);
    if (!w)
        return nullptr;
    w->setObjectName(name);
    w->setAttribute(Qt::WA_DeleteOnClose);
    registry().loaded.insert(name, w);
    if (!qobject_cast<QDialog *>(w) && main) {
        QMdiSubWindow *sub = workspace->addSubWindow(w);
        sub->setAttribute(Qt::WA_DeleteOnClose);
        sub->setWindowIcon(w->windowIcon());
        new NoMaximizeGuard(sub);
        // The window closing itself takes its frame with it.
        QObject::connect(w, &QObject::destroyed, sub, [sub]() { sub->deleteLater(); });
    } else if (main && w->parentWidget() != main) {
        w->setParent(main, w->windowFlags() | Qt::Dialog);
    }
    QObject::connect(w, &QObject::destroyed, [name]() {
        Find(name);   // drops the stale entry
        if (registry().unloaded)
            registry().unloaded(name);
    });
    return w;
}

QWidget *Show(const QString &name, bool modal)
{
    QWidget *w = Load(name);
    if (!w)
        return nullptr;
    if (modal) {
        QPointer<QWidget> guard(w);
        bool closed = false;
        if (auto *dialog = qobject_cast<QDialog *>(w)) {
            dialog->exec();   // deletes the dialog when it ends (delete on close)
        } else {
            w->setWindowModality(Qt::ApplicationModal);
            if (QMdiSubWindow *sub = subWindowOf(w))
                sub->show();
            w->show();
            QEventLoop loop;
            ModalWatcher watcher(w, &loop);
            loop.exec();
            closed = watcher.closed;
        }
        if (guard && guard->isHidden()) {
            if (closed) {
                // Its close handler has run; only the deletion is left.
                registry().loaded.remove(name);
                delete guard.data();
            } else {
                Unload(name);   // it only hid itself: unloading runs its handler
            }
        }
        return nullptr;
    }
    if (QMdiSubWindow *sub = subWindowOf(w)) {
        sub->show();
        w->show();
        KeepInWorkspace(sub);
        if (QMdiArea *workspace = registry().workspace)
            workspace->setActiveSubWindow(sub);
    } else {
        w->show();
        w->raise();
        w->activateWindow();
    }
    return w;
}

void KeepInWorkspace(QWidget *outer)
{
    QWidget *parent = outer ? outer->parentWidget() : nullptr;
    if (!parent || outer->isMaximized() || outer->isMinimized())
        return;
    // The workspace's room without the scroll bars that a window outside it
    // brings up and that go once it is inside.
    QRect room = parent->rect();
    if (auto *area = qobject_cast<QAbstractScrollArea *>(parent->parentWidget()))
        room.setSize(area->maximumViewportSize());
    if (room.isEmpty())
        return;
    const QSize size = outer->size().boundedTo(room.size());
    outer->resize(size);
    outer->move(qBound(room.left(), outer->x(), room.right() + 1 - size.width()),
                qBound(room.top(), outer->y(), room.bottom() + 1 - size.height()));
}

bool Unload(const QString &name)
{
    QPointer<QWidget> w = Find(name);
    if (!w)
        return true;
    // Closing the frame closes the window inside it, which runs its handler once.
    QMdiSubWindow *sub = subWindowOf(w);
    const bool closed = sub ? sub->close() : w->close();
    if (!closed)
        return false;
    // Delete at once, so that the name is free again before the caller goes on.
    registry().loaded.remove(name);
    if (w)
        delete w.data();
    return true;
}

QStringList LoadedNames()
{
    QStringList names;
    for (auto it = registry().loaded.cbegin(); it != registry().loaded.cend(); ++it)
        if (!it.value().isNull())
            names << it.key();
    return names;
}

}
