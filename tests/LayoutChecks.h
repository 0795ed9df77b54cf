// Layout checks shared by the window tests of every subsystem: each caption
// fits its control and no two named controls of one container overlap. With
// VETTARO_SHOT_DIR set, Shot saves the window as a picture there to be looked
// at (and VETTARO_SHOT_PAUSE keeps it on screen that many milliseconds, for a
// look under a real display).
#pragma once

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QGroupBox>
#include <QLabel>
#include <QStringList>
#include <QWidget>

#include <gtest/gtest.h>

namespace TestSupport {

// overlays: controls laid over others on purpose, left out of the overlap check.
inline void ExpectFits(QWidget *root, const QString &where, const QStringList &overlays = {})
{
    for (QWidget *w : root->findChildren<QWidget *>()) {
        if (!w->isVisibleTo(root) || w->objectName().isEmpty())
            continue;
        const QString name = where + QLatin1Char('/') + w->objectName();
        if (auto *l = qobject_cast<QLabel *>(w)) {
            // A word-wrapped caption may take more lines, never more room than it has.
            if (!l->text().isEmpty()) {
                EXPECT_LE(l->wordWrap() ? l->heightForWidth(l->width()) : l->sizeHint().width(),
                          l->wordWrap() ? l->height() : l->width())
                    << name.toStdString() << " \"" << l->text().toStdString() << '"';
            }
        } else if (auto *b = qobject_cast<QAbstractButton *>(w)) {
            if (!b->text().isEmpty()) {
                EXPECT_LE(b->sizeHint().width(), b->width()) << name.toStdString() << " \"" << b->text().toStdString() << '"';
            }
        } else if (auto *g = qobject_cast<QGroupBox *>(w)) {
            const int needed = g->fontMetrics().horizontalAdvance(g->title()) + 16;
            EXPECT_LE(needed, g->width()) << name.toStdString() << " \"" << g->title().toStdString() << '"';
        }
        if (!w->parentWidget() || overlays.contains(w->objectName()))
            continue;
        for (QObject *o : w->parentWidget()->children()) {
            auto *s = qobject_cast<QWidget *>(o);
            // Each pair once (s > w), named visible siblings only.
            if (!s || s <= w || !s->isVisibleTo(root) || s->objectName().isEmpty() || s->isWindow()
                || overlays.contains(s->objectName()))
                continue;
            EXPECT_FALSE(w->geometry().intersects(s->geometry()))
                << name.toStdString() << " overlaps " << s->objectName().toStdString();
        }
    }
}

inline void Shot(QWidget *w, const QString &name)
{
    const QString dir = qEnvironmentVariable("VETTARO_SHOT_DIR");
    if (dir.isEmpty())
        return;
    w->grab().save(QDir(dir).filePath(name + QStringLiteral(".png")));
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < qEnvironmentVariableIntValue("VETTARO_SHOT_PAUSE"))
        QApplication::processEvents(QEventLoop::AllEvents, 50);
}

}
