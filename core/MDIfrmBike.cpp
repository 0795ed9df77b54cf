#include "core/MDIfrmBike.h"

#include "core/ChartCommands.h"
#include "core/DbCommands.h"
#include "core/DbFile.h"
#include "core/FileCommands.h"
#include "core/Globals.h"
#include "core/LangClient.h"
#include "core/LanguageMenu.h"
#include "core/ListCommands.h"
#include "core/MainMenus.h"
#include "core/RecentFilesMenu.h"
#include "core/ProgramStart.h"
#include "core/ToolCommands.h"
#include "core/ValueParsing.h"
#include "core/WindowInterfaces.h"
#include "core/WindowRegistry.h"
#include "core/XmlRaces.h"
#include "core/frmAbout.h"
#include "platform/settings/Settings.h"
#include "platform/ui/Feedback.h"
#include "platform/ui/Prompt.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QLayout>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QStatusBar>
#include <QToolBar>

static void InitCoreResources()
{
    Q_INIT_RESOURCE(core_resources);
}

namespace {
MDIfrmBike *g_instance = nullptr;

// True while the status bar shows the ready text, so a change of language
// can re-text it.
bool g_statusIdle = false;

const QString SettingsSection = QStringLiteral("Settings");
const QString WindowName = QStringLiteral("MDIfrmBike");
const QString ToolbarKey = WindowName + QStringLiteral("Toolbarvis");

// Runs one step of start-up or shutdown; a failing step is skipped.
template <typename F> void Step(F &&f)
{
    try {
        f();
    } catch (const VbError &) {
    }
}
}

// ---- construction ---------------------------------------------------------------

MDIfrmBike::MDIfrmBike(QWidget *parent) : QMainWindow(parent)
{
    InitCoreResources();
    g_instance = this;
    setObjectName(WindowName);
    setWindowIcon(ToolbarIcon(QStringLiteral("climbs")));
    m_mdi = new QMdiArea(this);
    m_mdi->setObjectName(QStringLiteral("mdiArea"));
    m_mdi->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    m_mdi->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    m_mdi->setBackground(QColor(0x8a, 0x9b, 0xa8));
    setCentralWidget(m_mdi);

    BuildMenus();
    m_toolbar1 = BuildMainToolbar(this, QStringLiteral("Toolbar1"), 24, Qt::TopToolBarArea, CommandToolbarButtons(),
                                  m_tb1, [this](const QString &key) { Toolbar1_ButtonClick(key); });
    m_toolbar2 = BuildMainToolbar(this, QStringLiteral("Toolbar2"), 32, Qt::LeftToolBarArea, DataToolbarButtons(),
                                  m_tb2, [this](const QString &key) { Toolbar2_ButtonClick(key); });

    auto *bar = new QStatusBar(this);
    bar->setObjectName(QStringLiteral("StatusBar1"));
    for (int i = 1; i <= 5; ++i) {
        auto *panel = new QLabel(bar);
        panel->setObjectName(QStringLiteral("StatusBar1.Panel%1").arg(i));
        panel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        panel->setMinimumWidth(i == 1 ? 200 : 90);
        bar->addWidget(panel, i == 1 ? 1 : 0);
        m_panels << panel;
    }
    setStatusBar(bar);

    // Until a database is open, its commands are off and the data toolbar hidden.
    SetDatabaseCommands(false);
    m_toolbar2->setVisible(false);
    for (const QString &command : RecordWindowCommands())
        EnableCommand(command, false);
    // The caption tells whether a database is open, from the start.
    setWindowTitle(ProductCaption);
    resize(1024, 720);

    // The status texts of every part of the program land in panel 1.
    SetStatusSink([this](const QString &text, bool wait) { ShowStatus(text, wait); });
    // Settings that could not be stored (a full disk) are not lost silently.
    SetSettingsFailureHandler([](const QString &why) { ShowDataError(VbError(75, why)); });
    // The window follows the database: its owner says when a file opens or closes.
    connect(&DatabaseOwner::instance(), &DatabaseOwner::opened, this, &MDIfrmBike::DatabaseOpened);
    connect(&DatabaseOwner::instance(), &DatabaseOwner::closed, this, [this] { SetDatabaseCommands(false); });
    // Child windows of the registry go into this workspace.
    WindowRegistry::SetWorkspace(m_mdi, [this](const QString &name) { FormUnloaded(name); });
}

void MDIfrmBike::DatabaseOpened(const QString &path)
{
    AddRecentFile(path);
    setWindowTitle(ProductCaption + FileTitle(path));
    SetToolbar2Visible(true);
    SetDatabaseCommands(true);
}

MDIfrmBike::~MDIfrmBike()
{
    // A window that never started has nothing to shut down.
    if (m_loaded && !m_unloaded)
        MDIForm_Unload();
    if (g_instance == this) {
        g_instance = nullptr;
        SetPromptParent(nullptr);
        SetStatusSink(nullptr);
        SetSettingsFailureHandler(nullptr);
        WindowRegistry::SetWorkspace(nullptr, nullptr);
    }
}

MDIfrmBike *MDIfrmBike::instance()
{
    return g_instance;
}

void MDIfrmBike::BuildMenus()
{
    BuildMainMenus(this, m_menus, m_items);
    // The recent files go between the separators mnuRecent(0) and mnuExit(0).
    m_recentMenu = std::make_unique<RecentFilesMenu>(
        m_menus.value(QStringLiteral("mnuFile")), m_items.value(QStringLiteral("mnuRecent(0)")),
        m_items.value(QStringLiteral("mnuExit(0)")), [this](QAction *a) { m_items.insert(a->objectName(), a); },
        [this](int index) { mnuRecent_Click(index); });
}

// ---- start-up and shutdown -----------------------------------------------------------

void MDIfrmBike::GrowToFit(QWidget *form)
{
    GrowFrameToFit(form);
}

void MDIfrmBike::StartLanguage()
{
    Step([&] { LoadLanguages(AppPath); });
    Step(ChooseStoredLanguage);
    Step([&] {
        m_langMenu = std::make_unique<LanguageMenu>(m_menus.value(QStringLiteral("mnuLangMain")), [this]() {
            UpdateControls();
            if (g_statusIdle)
                SetStatus(QString(), false);
            if (QWidget *w = ActiveForm()) {
                CallByName(w, byname::UpdateControls);
                // Texts of another language can be longer.
                GrowToFit(w);
            }
        });
        connect(m_items.value(QStringLiteral("mnuAddLang")), &QAction::triggered, this,
                [this]() { m_langMenu->AddLanguageClicked(); });
        m_langMenu->Build();
    });
}

void MDIfrmBike::MDIForm_Load(const QString &commandLine)
{
    m_loaded = true;
    // A relative database name means the folder the program was started in;
    // start-up moves the working folder to the documents folder further down.
    const QString dbPath = commandLine.isEmpty() ? QString() : QFileInfo(commandLine).absoluteFilePath();
    Step(InitProgramFolders);
    Step([&] {
        cmDlg1.HelpFile = QDir(AppPath).filePath(QStringLiteral("help/index.html"));
        SetHelpHandler([this](const QString &file, int command, const QString &keyword) {
            ShowHelpPages(this, file, command, keyword);
        });
    });
    Step([&] {
        InitProgramName();
        SetPromptParent(this);
    });
    StartLanguage();
    Step([&] { UpdateControls(); });
    Step([&] { m_fontId = AddProgramFont(); });
    setWindowTitle(ProductCaption);
    Step([&] {
        SetFlatToolbar(m_toolbar1);
        SetFlatToolbar(m_toolbar2);
    });
    Step([&] {
        const bool shown = SettingAsBool(GetSetting(AppName, SettingsSection, ToolbarKey, QStringLiteral("1")), true);
        m_items.value(QStringLiteral("mnuBar(1)"))->setChecked(shown);
        m_toolbar1->setVisible(shown);
    });
    Step([&] { QDir::setCurrent(PersonalFolder()); });
    Step([&] { LoadRecentFiles(); });
    Step([&] { m_toolbar2->setVisible(false); });
    Step([&] { SetStatus(QString()); });
    Step([&] {
        if (!dbPath.isEmpty() && QFileInfo(dbPath).isFile())
            OpenDb(dbPath);
    });
}

void MDIfrmBike::MDIForm_Unload()
{
    if (m_unloaded)
        return;
    m_unloaded = true;
    Step([&] { SetStatus(GetLangString(500), true); });
    Step([&] { UnloadDataForms(); });
    Step([&] {
        if (!AppName.isEmpty())
            SaveSetting(AppName, SettingsSection, ToolbarKey,
                        m_items.value(QStringLiteral("mnuBar(1)"))->isChecked() ? QStringLiteral("-1")
                                                                              : QStringLiteral("0"));
    });
    Step([&] {
        if (IsDatabaseOpen())
            CloseDb();
    });
    Step([&] {
        cmDlg1.HelpCommand = 2;
        cmDlg1.ShowHelp();
    });
    Step([&] {
        RemoveProgramFont(m_fontId);
        m_fontId = -1;
    });
    Step([&] { SetHelpHandler(nullptr); });
    Step(ClearProgramFolders);
}

void MDIfrmBike::closeEvent(QCloseEvent *event)
{
    MDIForm_Unload();
    event->accept();
}

// ---- texts ---------------------------------------------------------------------

void MDIfrmBike::UpdateControls()
{
    SetToolbarTexts(CommandToolbarButtons(), m_tb1);
    SetToolbarTexts(DataToolbarButtons(), m_tb2);
    SetMainMenuTexts(m_menus, m_items);
}

// ---- state shared with the data windows ---------------------------------------------

QString MDIfrmBike::StatusPanelText(int panel) const
{
    return panel >= 1 && panel <= m_panels.size() ? m_panels.at(panel - 1)->text() : QString();
}

void MDIfrmBike::SetStatusPanelText(int panel, const QString &text)
{
    if (panel < 1 || panel > m_panels.size())
        throw VbError(VbErr::SubscriptOutOfRange, QStringLiteral("Subscript out of range"));
    QLabel *label = m_panels.at(panel - 1);
    label->setText(text);
    label->repaint();
}

bool MDIfrmBike::IsDatabaseOpen() const
{
    return windowTitle() != ProductCaption;
}

void MDIfrmBike::SetToolbar2Visible(bool visible)
{
    m_toolbar2->setVisible(visible);
}

bool MDIfrmBike::IsToolbar2Visible() const
{
    return !m_toolbar2->isHidden();
}

void MDIfrmBike::EnableCommand(const QString &key, bool enabled)
{
    if (QAction *a = m_tb1.value(key)) {
        a->setEnabled(enabled);
        return;
    }
    if (key == QLatin1String("mnuTool")) {
        for (int i = 0; i < 8; ++i)
            m_items.value(QStringLiteral("mnuTool(%1)").arg(i))->setEnabled(enabled);
        return;
    }
    if (QAction *a = m_items.value(key))
        a->setEnabled(enabled);
}

bool MDIfrmBike::IsCommandEnabled(const QString &key) const
{
    if (QAction *a = m_tb1.value(key))
        return a->isEnabled();
    if (key == QLatin1String("mnuTool"))
        return m_items.value(QStringLiteral("mnuTool(0)"))->isEnabled();
    if (QAction *a = m_items.value(key))
        return a->isEnabled();
    return false;
}

void MDIfrmBike::SetButtonValue(const QString &key, int value)
{
    if (QAction *a = m_tb1.value(key))
        a->setChecked(value != 0);
}

int MDIfrmBike::ButtonValue(const QString &key) const
{
    QAction *a = m_tb1.value(key);
    return a && a->isChecked() ? 1 : 0;
}

void MDIfrmBike::SetMousePointer(int pointer)
{
    const bool busy = pointer == 11;
    if (busy && m_pointer != 11)
        QApplication::setOverrideCursor(QCursor(Qt::WaitCursor));
    else if (!busy && m_pointer == 11)
        QApplication::restoreOverrideCursor();
    m_pointer = pointer;
}

QWidget *MDIfrmBike::ActiveForm() const
{
    QMdiSubWindow *sub = m_mdi->activeSubWindow();
    if (!sub) {
        // Without focus (no window system focus, offscreen) the top-most child counts.
        const auto list = m_mdi->subWindowList(QMdiArea::StackingOrder);
        for (auto it = list.crbegin(); it != list.crend(); ++it)
            if (!(*it)->isHidden()) {
                sub = *it;
                break;
            }
    }
    return sub ? sub->widget() : nullptr;
}

QString MDIfrmBike::ActiveFormName() const
{
    QWidget *w = ActiveForm();
    return w ? w->objectName() : QString();
}

void MDIfrmBike::SetDatabaseCommands(bool open)
{
    for (const QString &item : DatabaseMenuItems())
        m_items.value(item)->setVisible(open);
    for (const QString &key : DatabaseButtons())
        m_tb1.value(key)->setEnabled(open);
}

void MDIfrmBike::SetCommandHandler(const QString &command, std::function<void()> handler)
{
    if (handler)
        m_handlers.insert(command, std::move(handler));
    else
        m_handlers.remove(command);
}

void MDIfrmBike::RunCommand(const QString &command)
{
    if (RunRecordCommand(command, ActiveForm()))
        return;
    if (auto handler = m_handlers.value(command))
        handler();
}

void MDIfrmBike::FormUnloaded(const QString &name)
{
    // A data window shown from the data toolbar gives the toolbar back when
    // it goes, even one that does not do so itself.
    if (m_toolbar2Windows.removeAll(name) > 0 && m_toolbar2Windows.isEmpty() && IsDatabaseOpen())
        SetToolbar2Visible(true);
}

// ---- File menu and recent files ------------------------------------------------------

void MDIfrmBike::LoadRecentFiles()
{
    m_recentMenu->Load(AppName);
}

void MDIfrmBike::AddRecentFile(const QString &path)
{
    m_recentMenu->Add(AppName, path);
}

QStringList MDIfrmBike::RecentMenuCaptions() const
{
    return m_recentMenu->Captions();
}

void MDIfrmBike::CloseCurrentDatabase()
{
    UnloadDataForms();
    if (IsDatabaseOpen()) {
        CloseDb();
        SetToolbar2Visible(false);
        setWindowTitle(ProductCaption);
    }
}

void MDIfrmBike::mnuFileItem_Click(int index)
{
    if (index < 0 || index > 2)
        return;
    try {
        CloseCurrentDatabase();
        if (index == 0)
            NewDatabase();
        else if (index == 1)
            OpenDatabaseAsked();
    } catch (const VbError &) {
        // A cancelled dialog or a failure ends the command without a message.
    }
}

void MDIfrmBike::mnuRecent_Click(int index)
{
    if (index < 1 || index > m_recentMenu->Count())
        return;
    try {
        const QString path = m_recentMenu->Path(index);
        if (!RecentFileStillThere(path))
            return;
        CloseCurrentDatabase();
        OpenDb(path);
    } catch (const VbError &) {
    }
}

void MDIfrmBike::mnuSetPrint_Click() { PrinterSetup(); }
void MDIfrmBike::mnuPrint_Click() { PrintActiveWindow(ActiveForm()); }

void MDIfrmBike::mnuExit_Click(int index)
{
    if (index == 1)
        close();
}

// ---- Tools menu ----------------------------------------------------------------------------

void MDIfrmBike::mnuState_Click() { WindowRegistry::Show(QStringLiteral("frmStates")); }
void MDIfrmBike::mnuRipara_Click() { DatabaseTool(518, QStringLiteral("frmRepair"), false); }
void MDIfrmBike::mnuCompatta_Click() { DatabaseTool(504, QStringLiteral("frmCompact"), true); }
void MDIfrmBike::mnuConverti_Click() { DatabaseTool(505, QStringLiteral("frmConvert"), true); }
void MDIfrmBike::mnuImportDB_Click() { WindowRegistry::Show(QStringLiteral("frmImport"), true); }
void MDIfrmBike::mnuTxtImport_Click() { WindowRegistry::Show(QStringLiteral("frmTxtImport"), true); }
void MDIfrmBike::mnuImport_Click() { ImportRecordings(); }
void MDIfrmBike::mnuXmlImport_Click() { RunXmlImport(); }
void MDIfrmBike::mnuWebImport_Click() { WebImport(); }
void MDIfrmBike::mnuExportTxt_Click() { ExportActiveWindow(ActiveForm(), byname::Export); }
void MDIfrmBike::mnuSaveXML_Click() { ExportActiveWindow(ActiveForm(), byname::ExportXml); }
void MDIfrmBike::mnuSaveCrs_Click() { ExportActiveWindow(ActiveForm(), byname::ExportCrs); }

void MDIfrmBike::mnuBar_Click(int)
{
    QAction *item = m_items.value(QStringLiteral("mnuBar(1)"));
    const bool show = !item->isChecked();
    item->setChecked(show);
    m_toolbar1->setVisible(show);
}

// ---- Record menu ---------------------------------------------------------------------------

void MDIfrmBike::mnuTool_Click(int index)
{
    try {
        if (index == 0)
            WindowRegistry::Show(QStringLiteral("frmFind"), true);
        else if (index == 2 || index == 3)
            RunCommand(index == 2 ? QStringLiteral("SortAsc") : QStringLiteral("SortDes"));
        else if (index == 5)
            RunCommand(QStringLiteral("Filter"));
        else if (index == 6)
            WindowRegistry::Show(QStringLiteral("DataFilter"), true);
        else if (index == 7)
            RemoveFilterFromMenu(ButtonValue(QStringLiteral("RemoveFilter")) != 0, ActiveForm());
    } catch (const VbError &) {
    }
}

// ---- Help menu and the pop-up menus -------------------------------------------------------

void MDIfrmBike::mnuGuida_Click(int index)
{
    if (index == 0)
        ShowHelpContents();
    else if (index == 1)
        ShowHelpSearch();
    else if (index == 2)
        QuickHelp();
}

void MDIfrmBike::QuickHelp()
{
    ShowQuickHelp(this);
}

void MDIfrmBike::mnuMail_Click() { WriteMailToAuthor(); }
void MDIfrmBike::mnuHomePage_Click() { OpenHomePage(); }

void MDIfrmBike::mnuHelp_Click(int index)
{
    if (index != 1)
        return;
    frmAbout about(this);
    about.exec();
}

void MDIfrmBike::mnuVAM_Click() { ShowChart(ChartHandoff::Kind::Climbs); }
void MDIfrmBike::mnuVelocita_Click() { ShowChart(ChartHandoff::Kind::Trainings); }

// ---- toolbars ----------------------------------------------------------------------------

void MDIfrmBike::Toolbar1_ButtonClick(const QString &key)
{
    try {
        if (key == QLatin1String("RemoveFilter")) {
            RemoveFilterButtonClicked(m_tb1.value(key), ActiveForm());
        } else if (key == QLatin1String("HrImport")) {
            WindowRegistry::Show(QStringLiteral("frmHRate"));
        } else {
            // The other buttons run the command of their menu item.
            for (const ToolbarButton &b : CommandToolbarButtons())
                if (b.menuItem && key == QLatin1String(b.key))
                    RunMainMenuItem(this, *FindMainMenuItem(QString::fromLatin1(b.menuItem)));
        }
    } catch (const VbError &) {
        // Commands of the command toolbar end silently on an error.
    }
}

void MDIfrmBike::Toolbar2_ButtonClick(const QString &key)
{
    // Every button but the last shows the data window registered for its key.
    const bool exit = key == QLatin1String("b0");
    const DataWindowRegistration *found = WindowRegistry::DataWindowForKey(key);
    if (!exit && !found)
        return;
    const DataWindowRegistration row = found ? *found : DataWindowRegistration();
    SetMousePointer(11);
    // The data toolbar goes before the window shows, and the workspace takes
    // the room it leaves at once, so a window centred as it opens is centred
    // in the workspace it keeps.
    const bool shown = !exit && OpenDataWindow(row, [this] {
        SetToolbar2Visible(false);
        if (layout())
            layout()->activate();
    });
    if (shown) {
        if (!m_toolbar2Windows.contains(row.name))
            m_toolbar2Windows << row.name;
        SetToolbar2Visible(false);
    }
    SetStatus(QString());
    SetMousePointer(0);
    if (exit)
        mnuExit_Click(1);
}

// ---- the status bar -------------------------------------------------------------------------

void MDIfrmBike::ShowStatus(const QString &text, bool wait)
{
    QString message;
    g_statusIdle = text.isEmpty();
    if (text.isEmpty())
        message = QLatin1Char(' ') + GetLangString(28020);
    else if (wait)
        message = FormatLangString(GetLangString(28021), {text});
    else
        message = text;
    SetStatusPanelText(1, message);
}
