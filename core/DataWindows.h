#pragma once
// The data windows of the data toolbar (registered with
// WindowRegistry::RegisterDataWindow): opening one with the shared
// recordsets it needs, printing and exporting the active one by what its
// registration allows, and closing them all.
#include <functional>

class QWidget;
struct DataWindowRegistration;

// Closes every data window, in the fixed order, each through its own handler.
void UnloadDataForms();

// Opens the recordsets the window needs and loads and shows it, with the
// registration's wait text in the status bar. An empty required recordset
// refuses the window with the registration's message; beforeShow runs after
// the window loaded and before it shows. A failure closes the recordsets
// this opened and is shown with ShowDataError. True when the window shows.
bool OpenDataWindow(const DataWindowRegistration &window, const std::function<void()> &beforeShow);

// Prints the active window: a card with its sample panel open prints the
// samples; a data window with a print question asks it first (Yes: the list,
// No: the current record); any other window prints its one print.
void PrintActiveWindow(QWidget *active);
// Calls an export command (byname::Export ...) on the active window when it
// is a data window that takes exports.
void ExportActiveWindow(QWidget *active, const char *method);
