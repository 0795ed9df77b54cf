#pragma once
// What the windows built on a DrawingFrame (the profile and the chart window)
// share around the frame: the outer window they stand in, their stored size
// and place, the option menu, the status bar, the wiring of the surface's
// events and the printing of the drawing.
#include "core/WindowRegistry.h"
#include "profile/DrawingFrame.h"

#include <QHash>
#include <QKeySequence>
#include <QSize>
#include <QWidget>

#include <functional>

class QAction;
class QMenu;
class QMenuBar;
class QStatusBar;
class QVBoxLayout;

namespace DrawingWindow {

// Stored sizes and places are in 1/1440 inch at 15 per pixel.
constexpr int TwipsPerPixel = 15;

// The workspace frame around `window`, or the window itself.
QWidget *Outer(QWidget *window);

// The window's layout: the menu bar with its one menu "mnuOption" on top.
// Controls follow with addWidget.
QVBoxLayout *LayOut(QWidget *window, QMenuBar *&menuBar, QMenu *&menu);
// A menu command `name` with its shortcut, heard while the window has the
// focus, kept in items under its name.
QAction *AddItem(QWidget *window, QMenu *menu, QHash<QString, QAction *> &items, const char *name,
                 const QKeySequence &keys, const std::function<void()> &handler);
// The status bar "StatusBar1", without a size grip.
QStatusBar *NewStatusBar(QWidget *window);

// Sends the surface's redraw request and mouse events to the window's handlers.
template <class W>
void ConnectSurface(DrawingSurface *surface, W *window)
{
    QObject::connect(surface, &DrawingSurface::redrawRequested, window, &W::Picture1_Resize);
    QObject::connect(surface, &DrawingSurface::mousePressed, window, &W::Picture1_MouseDown);
    QObject::connect(surface, &DrawingSurface::mouseMoved, window, &W::Picture1_MouseMove);
    QObject::connect(surface, &DrawingSurface::mouseReleased, window, &W::Picture1_MouseUp);
}

// A stored place: any settings struct with height, width, left and top in twips.
template <class Placement>
QSize StoredSize(const Placement &p)
{
    return QSize(qMax(1, p.width / TwipsPerPixel), qMax(1, p.height / TwipsPerPixel));
}
// Puts the outer window at its stored size and place, kept inside the workspace.
template <class Placement>
void Restore(QWidget *outer, const Placement &p)
{
    outer->resize(StoredSize(p));
    outer->move(p.left / TwipsPerPixel, p.top / TwipsPerPixel);
    WindowRegistry::KeepInWorkspace(outer);
}
// Takes the outer window's place and size into p; false (p unchanged) while
// the window or its frame is minimised.
template <class Placement>
bool Capture(QWidget *window, Placement &p)
{
    QWidget *w = Outer(window);
    if (w->isMinimized() || window->isMinimized())
        return false;
    p.height = w->height() * TwipsPerPixel;
    p.width = w->width() * TwipsPerPixel;
    p.left = w->x() * TwipsPerPixel;
    p.top = w->y() * TwipsPerPixel;
    return true;
}

// Prints the frame's drawing, at its zoom, stretched over the printable area,
// in the orientation the printer set-up left. Without a printer it goes to a
// PDF file named after the document; a cancel prints nothing.
void Print(const DrawingFrame &frame, const QString &documentName);

} // namespace DrawingWindow
