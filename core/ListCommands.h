#pragma once
// The main window's commands on the open athlete list: the status-bar totals
// of a list, the filter and sorts of the Record menu, which act on the active
// window when it answers them (RecordCommandsInterface), and the removal of a
// list's filter.
#include <QString>

// Run statsHead + sql from its tenth character and write the figures into the
// status bar: panels 1 to 4, for climbs also 5. A query that fails leaves the
// panels as they were.
void ShowClimbStats(const QString &statsHead, const QString &sql);
void ShowTrainingStats(const QString &statsHead, const QString &sql);

// "Filter": keep the rows whose current column equals the current cell.
// "SortAsc" / "SortDes": order by the current column or the focused figure.
// False when the active window does not answer or changed nothing.
bool Filter();
bool Sort(bool IsAsc);

class QAction;
class QWidget;

// The RemoveFilter button after a click toggled it: releasing it removes the
// filter of the active athlete list; pressing it, or a click without a list,
// leaves the button as it was before.
void RemoveFilterButtonClicked(QAction *button, QWidget *active);
// The Record menu's "remove filter": removes the active list's filter while
// the RemoveFilter button is pressed (shows a filter).
void RemoveFilterFromMenu(bool buttonPressed, QWidget *active);
// Runs "Filter", "SortAsc" or "SortDes" on the active window when it answers
// the Record menu's commands. False when it does not (the command then goes
// to the handler its owner installed).
bool RunRecordCommand(const QString &command, QWidget *active);
