#include "LumoTabPrt/src/Globale.h"

#include <QCursor>
#include <QGuiApplication>

namespace Globale {

namespace {
qint16 g_hourglass = 0;
bool g_pointerSet = false;   // our override cursor is on the application's stack

void SetPointer(bool wait)
{
    if (!qobject_cast<QGuiApplication *>(QCoreApplication::instance()))
        return;
    if (wait && !g_pointerSet) {
        QGuiApplication::setOverrideCursor(QCursor(Qt::WaitCursor));
        g_pointerSet = true;
    } else if (!wait && g_pointerSet) {
        QGuiApplication::restoreOverrideCursor();
        g_pointerSet = false;
    }
}
}

void HourglassOn()
{
    if (g_hourglass == 0)
        SetPointer(true);
    if (g_hourglass < 32767)
        ++g_hourglass;
}

void HourglassOff()
{
    --g_hourglass;
    if (g_hourglass < 1) {
        g_hourglass = 0;
        SetPointer(false);
    }
}

void ResetHourglass()
{
    g_hourglass = 0;
}

qint16 HourglassCount()
{
    return g_hourglass;
}

QString StrSplitToken(QString &source, const QString &sep)
{
    const qsizetype at = sep.isEmpty() ? -1 : source.indexOf(sep, 0, Qt::CaseSensitive);
    if (at < 0) {
        QString all = source;
        source.clear();
        return all;
    }
    QString head = source.left(at);
    source = source.mid(at + sep.size());
    return head;
}

QString StrReplace(const QString &text, const QString &find, const QString &replacement)
{
    if (find.isEmpty() || replacement.contains(find))
        return text;
    QString copy = text;
    while (copy.contains(find)) {
        QString rest = copy;
        const QString head = StrSplitToken(rest, find);
        copy = head + replacement + rest;
    }
    return copy;
}

}
