#pragma once
// The main window: a multiple-document frame with the menus, the command
// toolbar Toolbar1, the data toolbar Toolbar2, the status bar and the child
// windows of the workspace. There is one at a time; MDIfrmBike::instance()
// gives it to the windows of every subsystem.
#include <QHash>
#include <QList>
#include <QMainWindow>
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>

// What every window uses with this one: SetStatus and ShowDataError, the
// window helpers (CenterForm, CallByName ...), the closing of the data
// windows and the program's addresses.
#include "core/DataWindows.h"
#include "core/FormHelpers.h"
#include "core/HelpCommands.h"
#include "platform/ui/Feedback.h"

class QAction;
class QActionGroup;
class QLabel;
class QMdiArea;
class QMenu;
class QToolBar;
class LanguageMenu;
class RecentFilesMenu;

class MDIfrmBike : public QMainWindow {
    Q_OBJECT
public:
    // Builds the window and its controls. Nothing is read or written until
    // MDIForm_Load runs, so tests can build it freely.
    explicit MDIfrmBike(QWidget *parent = nullptr);
    ~MDIfrmBike() override;

    // The main window, or nullptr when none exists.
    static MDIfrmBike *instance();
    // Lets the child window holding form grow so that none of its texts is
    // cut (after a change of language). It never shrinks.
    static void GrowToFit(QWidget *form);

    // Start-up: settings name, language, texts, font, toolbars, working
    // folder, recent files, then the database named by commandLine (the whole
    // command-line text). A failing step is skipped.
    void MDIForm_Load(const QString &commandLine = QString());
    // Shutdown; runs once, from closing the window (or directly).
    void MDIForm_Unload();

    // ---- controls ----------------------------------------------------------
    QMdiArea *mdiArea() const { return m_mdi; }
    QToolBar *Toolbar1() const { return m_toolbar1; }
    QToolBar *Toolbar2() const { return m_toolbar2; }
    // Buttons by key ("New", "Print", "RemoveFilter" ...; "b0".."b9").
    QAction *Toolbar1Button(const QString &key) const { return m_tb1.value(key); }
    QAction *Toolbar2Button(const QString &key) const { return m_tb2.value(key); }
    // Menu items and menus by name: "mnuPrint", "mnuFileItem(1)", "mnuTool(0)",
    // "mnuRecent(2)", "mnuBar(1)", "mnuLanguages(0)"; menus "mnuFile",
    // "mnuLangMain", "mnuPopUp", "mnuGraficoVelocita" ...
    QAction *MenuItem(const QString &name) const { return m_items.value(name); }
    QMenu *Menu(const QString &name) const { return m_menus.value(name); }
    // Text of a status-bar panel, 1 to 5 (panel 1 holds SetStatus's messages).
    QString StatusPanelText(int panel) const;
    void SetStatusPanelText(int panel, const QString &text);

    // ---- state shared with the data windows ---------------------------------
    // Whether a database is open: the caption is more than "Vettaro ".
    bool IsDatabaseOpen() const;
    // The data toolbar: a data window shown from it hides it; the window
    // shows it again when it closes.
    void SetToolbar2Visible(bool visible);
    bool IsToolbar2Visible() const;
    // Enables a command by toolbar key ("Print", "Find", "SortAsc", "SortDes",
    // "Filter", "DataFilter", "RemoveFilter", "TxtExport", "XmlExport",
    // "CrsExport" ...) or by menu item name ("mnuPrint", "mnuExportTxt",
    // "mnuSaveXML", "mnuSaveCrs", "mnuTool(0)"; "mnuTool" switches the whole
    // Record menu).
    void EnableCommand(const QString &key, bool enabled);
    bool IsCommandEnabled(const QString &key) const;
    // Value of a check button of Toolbar1 ("RemoveFilter"): 1 pressed, 0 not.
    void SetButtonValue(const QString &key, int value);
    int ButtonValue(const QString &key) const;
    // Mouse pointer of the main window: 11 hourglass, 0 default.
    void SetMousePointer(int pointer);
    int MousePointer() const { return m_pointer; }
    // The active child window and its name (empty when none).
    QWidget *ActiveForm() const;
    QString ActiveFormName() const;

    // Switches the commands that need an open database (OpenDb / CloseDb).
    void SetDatabaseCommands(bool open);
    // The recent-files menu.
    void AddRecentFile(const QString &path);
    void LoadRecentFiles();
    QStringList RecentMenuCaptions() const;   // mnuRecent(1..n) in menu order
    // Close the data windows and, when one is open, the database.
    void CloseCurrentDatabase();

    // Commands whose work lies in other parts of the program ("Filter",
    // "SortAsc", "SortDes"): the owner installs its handler; without one the
    // command does nothing. "Filter" and the sorts go first to the active
    // window when it is a RecordCommandsInterface.
    void SetCommandHandler(const QString &command, std::function<void()> handler);

    // The Language menu (nullptr before start-up built it).
    LanguageMenu *languageMenu() const { return m_langMenu.get(); }

    // Called by the window registry when a child window has gone.
    void FormUnloaded(const QString &name);
    // The status sink: panel 1 shows " Ready." for an empty text, else the
    // text, as "<text>. Wait..." with wait. Repaints at once.
    void ShowStatus(const QString &text, bool wait);

public slots:
    void UpdateControls();

    void mnuFileItem_Click(int index);
    void mnuRecent_Click(int index);
    void mnuBar_Click(int index = 1);
    void mnuExit_Click(int index);
    void mnuGuida_Click(int index);
    void mnuHelp_Click(int index);
    void mnuTool_Click(int index);
    void Toolbar1_ButtonClick(const QString &key);
    void Toolbar2_ButtonClick(const QString &key);

    void mnuPrint_Click();
    void mnuSetPrint_Click();
    void mnuState_Click();
    void mnuRipara_Click();
    void mnuCompatta_Click();
    void mnuConverti_Click();
    void mnuImportDB_Click();
    void mnuTxtImport_Click();
    void mnuImport_Click();
    void mnuXmlImport_Click();
    void mnuWebImport_Click();
    void mnuExportTxt_Click();
    void mnuSaveXML_Click();
    void mnuSaveCrs_Click();
    void mnuMail_Click();
    void mnuHomePage_Click();
    void mnuVAM_Click();
    void mnuVelocita_Click();
    // Quick help: the page on the toolbars and commands.
    void QuickHelp();

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    void DatabaseOpened(const QString &path);
    void BuildMenus();
    void StartLanguage();
    void RunCommand(const QString &command);

    QMdiArea *m_mdi = nullptr;
    QToolBar *m_toolbar1 = nullptr;
    QToolBar *m_toolbar2 = nullptr;
    QList<QLabel *> m_panels;
    QHash<QString, QAction *> m_tb1, m_tb2, m_items;
    QHash<QString, QMenu *> m_menus;
    std::unique_ptr<RecentFilesMenu> m_recentMenu;
    QHash<QString, std::function<void()>> m_handlers;
    QStringList m_toolbar2Windows;   // data windows shown from Toolbar2 and still loaded
    int m_fontId = -1;
    int m_pointer = 0;
    bool m_loaded = false;
    bool m_unloaded = false;
    std::unique_ptr<LanguageMenu> m_langMenu;
};

