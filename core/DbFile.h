#pragma once
// Opening, creating, upgrading and closing the program's database file.
// The window-free steps are plain functions (tests and tools call them
// directly); OpenDb and CloseDb add what the main window shows.
#include "platform/dao/Dao.h"

#include <QString>

// The template every new database is copied from, in the program folder.
QString TemplatePath();
// The folder whose .ico files make up the icon table.
QString IconFolder();

// Copies the template to path. An existing file at path is replaced only once
// the copy is complete (written under a temporary name, then renamed), so a
// failure never destroys it, and a file another running copy of the program
// has open is not replaced. Throws VbError (53 template missing, 75 not
// written, 3045 file in use).
void CreateFromTemplate(const QString &path);

// Brings an opened file of the current generation up to date: the sample
// tables gain "image", a file without "States" gains the table, its key and
// the "Stato" fields of both card tables. Throws VbError.
void UpgradeDatabase(dao::Database &db);

// Drops and recreates the table "Icons" and fills it, and ImageList2, from the
// icon folder. Throws VbError.
void RebuildIcons(dao::Database &db);

// Opens (or creates from the template) and upgrades a file, then rebuilds its
// icons: the work of OpenDb without the windows. On success CurrentDb holds
// the file; on failure nothing stays open and the error is thrown.
void OpenDatabaseFile(const QString &path);

// Opens a file as the current database and switches the main window into its
// open state. Returns 1 when open, 0 after the failure has been reported.
int OpenDb(const QString &path);
// Closes the current database: drops "Icons", closes the file and switches the
// database commands off. Callers hide Toolbar2 and reset the caption.
void CloseDb();

// The file name without its folder and its last four characters.
QString FileTitle(const QString &path);

// The shared message for database errors: "Error <number>: <description>"
// with the exclamation icon.
void ShowDataError(const VbError &error);
// The same for whatever exception is being handled (call from a catch block).
void ShowDataError();
