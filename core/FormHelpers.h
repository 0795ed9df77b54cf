#pragma once
// Small services every window uses beside the main window: its place on the
// screen, a flat toolbar, a frame that grows to fit its texts and the
// by-name commands.
class QObject;
class QToolBar;
class QWidget;

// Places a window a little above the centre of the screen.
void CenterForm(QWidget *frm);
// Gives a toolbar flat buttons without divider or handle.
void SetFlatToolbar(QToolBar *tb);
// Lets the child window holding form grow so that none of its texts is cut
// (after a change of language). It never shrinks.
void GrowFrameToFit(QWidget *form);
// Calls a by-name command (a slot without arguments) on a window. Returns
// false when the window has no such command.
bool CallByName(QObject *window, const char *method);
