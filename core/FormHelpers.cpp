#include "core/FormHelpers.h"

#include <QGuiApplication>
#include <QLayout>
#include <QMdiSubWindow>
#include <QMetaMethod>
#include <QScreen>
#include <QToolBar>
#include <QToolButton>

#include <algorithm>

void CenterForm(QWidget *frm)
{
    if (!frm)
        return;
    QWidget *target = frm;
    if (auto *sub = qobject_cast<QMdiSubWindow *>(frm->parentWidget()))
        target = sub;
    QScreen *screen = target->screen() ? target->screen() : QGuiApplication::primaryScreen();
    if (!screen)
        return;
    const QSize s = screen->geometry().size();
    const float top = float(0.85) * float(s.height()) / 2.0f - float(target->height()) / 2.0f;
    const float left = float(s.width()) / 2.0f - float(target->width()) / 2.0f;
    int x = int(left), y = int(top);
    if (target != frm) {
        // A child window stays inside the workspace.
        x = qMax(0, x);
        y = qMax(0, y);
    }
    target->move(x, y);
}

void SetFlatToolbar(QToolBar *tb)
{
    if (!tb)
        return;
    tb->setMovable(false);
    tb->setFloatable(false);
    tb->setStyleSheet(QStringLiteral("QToolBar { border: none; spacing: 2px; }"));
    for (QToolButton *button : tb->findChildren<QToolButton *>())
        button->setAutoRaise(true);
}

void GrowFrameToFit(QWidget *form)
{
    auto *sub = form ? qobject_cast<QMdiSubWindow *>(form->parentWidget()) : nullptr;
    if (!sub)
        return;
    // A changed text marks only its own layout stale; each layout around it
    // learns of it one round of posted events later. Settle them all here,
    // innermost first, so the size hint below counts every new text.
    QList<QLayout *> layouts = sub->findChildren<QLayout *>();
    auto depth = [sub](const QLayout *l) {
        int d = 0;
        for (const QWidget *w = l->parentWidget(); w && w != sub; w = w->parentWidget())
            ++d;
        return d;
    };
    std::stable_sort(layouts.begin(), layouts.end(),
                     [&](const QLayout *a, const QLayout *b) { return depth(a) > depth(b); });
    for (QLayout *l : layouts)
        l->activate();
    sub->resize(sub->size().expandedTo(sub->sizeHint()));
}

bool CallByName(QObject *window, const char *method)
{
    if (!window)
        return false;
    const QByteArray signature = QMetaObject::normalizedSignature(QByteArray(method) + "()");
    if (window->metaObject()->indexOfMethod(signature.constData()) < 0)
        return false;
    return QMetaObject::invokeMethod(window, method, Qt::DirectConnection);
}
