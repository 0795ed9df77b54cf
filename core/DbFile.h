#pragma once
// Opening, creating, upgrading and closing the program's database file.
// The steps are plain functions (tests and tools call them directly);
// DatabaseOwner opens and closes the current database and tells whoever
// listens (the main window). OpenDb, which reports a failure to the user,
// is in DbCommands.h.
#include "platform/dao/Dao.h"

#include <QObject>
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

// Closes the current database: drops "Icons", closes the file and tells
// DatabaseOwner's listeners. Callers hide Toolbar2 and reset the caption.
void CloseDb();

// The owner of the open database (CurrentDb). Opening and closing through it
// is told by its signals, so the main window follows the database without the
// database code knowing the window.
class DatabaseOwner : public QObject {
    Q_OBJECT
public:
    static DatabaseOwner &instance();
    // OpenDatabaseFile, then opened(path). Throws VbError as OpenDatabaseFile does.
    void open(const QString &path);
    // The work of CloseDb: never throws; emits closed() whether a file was open or not.
    void close();

signals:
    void opened(const QString &path);
    void closed();
};

// The file name without its folder and its extension.
QString FileTitle(const QString &path);
