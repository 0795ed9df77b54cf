#pragma once
// The main window's menus and toolbars as data: each menu with its items in
// order, each toolbar with its buttons, their pictures, text numbers and
// handlers; and the few functions that build them into the window and give
// them their texts.
#include <QHash>
#include <QKeySequence>
#include <QString>
#include <QStringList>
#include <QStyle>

#include <functional>
#include <vector>

class MDIfrmBike;
class QAction;
class QIcon;
class QMenu;
class QToolBar;

// One entry of a menu: an item, or a separator when it has no text.
struct MainMenuItem {
    const char *name;                  // object name, UTF-8 ("mnuPrint", "mnuTool(5)")
    int text = 0;                      // text number; 0 for a separator
    const char *icon = nullptr;        // picture of the toolbars ("print"), or none
    QStyle::StandardPixmap standardIcon = QStyle::SP_CustomBase;   // a desktop picture instead
    void (MDIfrmBike::*click)() = nullptr;         // handler without argument, or
    void (MDIfrmBike::*clickAt)(int) = nullptr;    // handler given the number in the name's brackets
    bool hidden = false;               // a separator shown only once the list below it fills
    bool checkable = false;            // starts checked; the handler itself moves the mark
    QKeySequence::StandardKey shortcut = QKeySequence::UnknownKey;

    bool isSeparator() const { return text == 0; }
};

// A menu: on the menu bar (its title gets an Alt letter of its own), or a
// pop-up menu of the athlete lists.
struct MainMenu {
    const char *name;   // "mnuFile", "mnuPopUp" ...
    int title;          // text number
    bool onBar;
    std::vector<MainMenuItem> items;
};

// The menus, the menu bar's in bar order, then the pop-up menus. Items a
// window adds later (recent files, languages) go after the hidden separators
// "mnuRecent(0)" and "mnuLanguages(0)".
const std::vector<MainMenu> &MainMenus();

// One button of a toolbar; the key is how handlers and callers name it.
struct ToolbarButton {
    const char *key;                   // "Print", "b2" ...
    int tip;                           // text number of its tip and text
    const char *icon = nullptr;
    QStyle::StandardPixmap standardIcon = QStyle::SP_CustomBase;
    bool separatorBefore = false;
    bool checkable = false;
    const char *menuItem = nullptr;    // the menu item whose command the button runs
};

// The command toolbar Toolbar1 and the data toolbar Toolbar2, left to right
// (top to bottom). A command button without a menu item has a handler of its
// own in the main window; the data toolbar's buttons open data windows.
const std::vector<ToolbarButton> &CommandToolbarButtons();
const std::vector<ToolbarButton> &DataToolbarButtons();

// The commands that need an open record window and start switched off:
// toolbar keys and menu item names ("mnuTool" is the whole Record menu).
const QStringList &RecordWindowCommands();
// What only an open database offers: menu items shown and buttons enabled.
const QStringList &DatabaseMenuItems();
const QStringList &DatabaseButtons();

// The menu item of that name, or nullptr.
const MainMenuItem *FindMainMenuItem(const QString &name);

// The number in brackets at the end of an item's name ("mnuTool(5)": 5), -1
// when there is none.
int MenuItemIndex(const QString &name);

// The menu bar's titles with their Alt letters: each title's first letter
// that no title to its left has taken ("Datei" and "Datensatz" both begin
// with D) is marked with "&".
QStringList MenuBarTitles(const QStringList &titles);

// A picture of the toolbars (":/vettaro/toolbar/<name>.svg").
QIcon ToolbarIcon(const QString &name);

// Builds every menu of MainMenus() into window, those of the bar onto its
// menu bar, and files menus and items by name. Choosing an item runs its
// handler (RunMainMenuItem).
void BuildMainMenus(MDIfrmBike *window, QHash<QString, QMenu *> &menus, QHash<QString, QAction *> &items);
// Runs an item's handler on window.
void RunMainMenuItem(MDIfrmBike *window, const MainMenuItem &item);
// Builds a toolbar of buttons into window at area. A button's action is
// named "<name>.<key>", holds its key as data and is filed by key; a click
// calls click with the key.
QToolBar *BuildMainToolbar(MDIfrmBike *window, const QString &name, int iconSize, Qt::ToolBarArea area,
                           const std::vector<ToolbarButton> &buttons, QHash<QString, QAction *> &actions,
                           const std::function<void(const QString &)> &click);
// Gives the menus, their items and the buttons of a toolbar their texts in
// the current language.
void SetMainMenuTexts(const QHash<QString, QMenu *> &menus, const QHash<QString, QAction *> &items);
void SetToolbarTexts(const std::vector<ToolbarButton> &buttons, const QHash<QString, QAction *> &actions);
