#pragma once
// The File menu's commands on database files: the dialogs that ask for a new
// or an existing database, the check of a recent file, the printer set-up.
// Each opens through OpenDb; closing what is open first is the caller's part.
#include <QString>

// The user's documents folder: where dialogs start and the program works.
QString PersonalFolder();

// Sets up cmDlg1 for choosing a database file (*.mdb). defaultExt null keeps
// the dialog's last default extension.
void PrepareDatabaseDialog(const QString &title, const QString &initDir, const QString &fileName, int flags,
                           const char *defaultExt);

// Asks where to create a new database (proposing a free "Vettarodb<n>" in
// the folder used last), creates it and opens it. A file the user chose to
// replace is replaced only once the new one is complete; a failure keeps it
// and is shown. Throws VbError CancelError when the user cancels.
void NewDatabase();
// Asks for a database to open, offering to create a missing one, and opens
// it. Throws VbError CancelError when the user cancels.
void OpenDatabaseAsked();
// Whether a file of the recent-files menu is still there; when not, the user
// is told.
bool RecentFileStillThere(const QString &path);
// The printer set-up dialog; the printer chosen is the one all printing of
// the program uses. A cancelled dialog changes nothing.
void PrinterSetup();
