#pragma once
// The Tools menu's commands that do more than show a window: the database
// tools (which first ask for the file they work on), the import of heart-rate
// recordings and the web import.
#include <QString>

// Asks for an existing database (title: text titleId) and shows the tool's
// window modally; setDefaultExt proposes ".mdb". A cancelled dialog ends the
// command silently.
void DatabaseTool(int titleId, const QString &window, bool setDefaultExt);
// Shows the recordings window; a failure is shown with ShowDataError.
void ImportRecordings();
// Shows the browser at the web import's address.
void WebImport();
