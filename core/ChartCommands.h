#pragma once
// The main window's two chart commands: the climb chart of the open climb
// list (frmAngolo) and the training chart of the open training list
// (frmPrestAll). Each reads the rows the list's grid shows, once, into the
// chart hand-off and shows the chart window, or makes the open one take the
// new hand-off.
#include "core/ChartHandoff.h"

// Does nothing when the list window is not open. Fewer than two rows: the
// two-line refusal, style 48, and the hand-off stays as it was. A database
// error: everything opened is closed, ShowDataError, the hand-off stays.
void ShowChart(ChartHandoff::Kind kind);
