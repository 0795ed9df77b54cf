#pragma once
// A check of the program's start, for the start-up benchmark and its test.
// With the environment variable VETTARO_STARTUP_PROBE set (to anything), the
// program
// - ends at once with exit code 3 when a dialog or any other modal window
//   appears, writing "dialog: <title>: <text>" on its standard error: a run
//   that nobody watches never waits for a click;
// - writes "READY database open" (or "READY no database") on its standard
//   output once its main window is up and its event loop runs, then closes
//   its windows and quits.
// Without the variable nothing of this happens.
#include <functional>

namespace startup {

bool ProbeRequested();
// Watches every window from now on; call before the start-up can show one.
void WatchForDialogs();
// Reports readiness at the first turn of the event loop.
void ReportReadyOnceRunning(std::function<bool()> databaseOpen);

} // namespace startup
