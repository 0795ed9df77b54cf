#pragma once
// The database commands that talk to the user.
#include <QString>

// Opens a file as the current database through DatabaseOwner (the main window
// follows its signals), showing the work in the status bar. Returns 1 when
// open, 0 after the failure has been reported.
int OpenDb(const QString &path);

// Says in the status bar how many working copies of interrupted compactions
// or repairs were removed beside a file; nothing when none were.
void ReportRemovedLeftovers(int count);
