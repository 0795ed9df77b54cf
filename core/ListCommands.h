#pragma once
// The main window's commands on the open athlete list: the status-bar totals
// of a list, and the filter and sorts of the Record menu, which act on the
// active window when it answers them (RecordCommandsInterface).
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
