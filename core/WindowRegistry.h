#pragma once
// The child windows of the program by name. Each subsystem registers a factory
// for its windows ("frmDatiSal", "frmDatiPers", "frmAltimetria", ...) from the
// registration function that main() calls; a window that nobody registered is
// simply absent: showing it does nothing and finding it gives nullptr.
//
// A factory creates the window (its load runs in the constructor) with the
// given parent. A QDialog is shown as a dialog of the main window; any other
// widget becomes a child window of the main window's workspace. The registry
// sets the window's object name to its registered name and deletes it when
// it closes, so a closed window is unloaded and the next Show loads it anew.
// The main window gives the registry its workspace (SetWorkspace).
#include "platform/dao/Dao.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <functional>

class QMdiArea;
class QWidget;

// What the main window's data toolbar knows of a data window: the
// subsystem that owns the window registers it, and the toolbar is a loop over
// these records.
struct DataWindowRegistration {
    QString name;          // the registered window ("frmDatiSal")
    QString toolbarKey;    // its data toolbar button ("b2")
    int statusText = 0;    // text number shown, as a wait text, while it loads
    // A shared recordset (DataGlobals.h) the toolbar opens before the window
    // loads. With mustHaveRows an empty one refuses the window.
    struct SharedRecordset {
        dao::RecordsetPtr *target = nullptr;
        QString source;
        bool mustHaveRows = false;
    };
    QList<SharedRecordset> recordsets;
    // False: the recordsets are only a test of the tables, closed again at once
    // (the window opens what it needs itself).
    bool keepRecordsets = true;
    int refusal = 0;       // text number shown instead of the window when refused
    // Printing: the question asked first (Yes: MyPrint, No: MyPrint1), 0 to
    // print the list (MyPrint) at once.
    int printQuestion = 0;
    // Whether the export commands (text, XML, course file) reach the window.
    bool exports = false;
};

namespace WindowRegistry {

using Factory = std::function<QWidget *(QWidget *parent)>;

// The workspace child windows go into (the main window's); dialogs belong to
// the window holding it. unloaded is told the name of each window that goes.
// Without a workspace windows are created without a parent.
void SetWorkspace(QMdiArea *workspace, std::function<void(const QString &name)> unloaded);

void Register(const QString &name, Factory factory);
// Registers a data window: its factory and what the data toolbar knows of it.
void RegisterDataWindow(const DataWindowRegistration &registration, Factory factory);
// Removes the factory and the data window record of that name.
void Unregister(const QString &name);
// The data window record of a registered window, or of a toolbar key; nullptr
// when there is none.
const DataWindowRegistration *DataWindow(const QString &name);
const DataWindowRegistration *DataWindowForKey(const QString &toolbarKey);
bool IsRegistered(const QString &name);

// The loaded window of that name, or nullptr.
QWidget *Find(const QString &name);
// Loads the window without showing it (nullptr when not registered).
// An already loaded window is returned as it is.
QWidget *Load(const QString &name);
// Loads (when needed) and shows the window; modal shows it as a modal dialog
// and returns after it closed (then the result is nullptr, the window being
// unloaded). Returns the shown window, nullptr when not registered.
QWidget *Show(const QString &name, bool modal = false);
// Keeps a window of the workspace (its frame) inside the workspace's visible
// room, made no larger than it: a place stored on a larger screen, a window
// dragged out, or the workspace's own cascade would otherwise open it where
// the user cannot see all of it. Show does this for every child window; a
// window that restores a stored place calls it after moving there. A window
// outside any workspace is left alone.
void KeepInWorkspace(QWidget *outer);
// Closes the window, which runs its own close handler. A window that is not
// loaded is left alone. Returns false when the window refused to close.
bool Unload(const QString &name);
// Names of the loaded windows.
QStringList LoadedNames();

}
