#include "core/MDIfrmBike.h"

#include "core/ListCommands.h"

#include "core/ChartCommands.h"
#include "core/DbCommands.h"
#include "core/DbFile.h"
#include "core/Globals.h"
#include "core/HelpWindow.h"
#include "core/LangClient.h"
#include "core/LanguageMenu.h"
#include "core/RecentFiles.h"
#include "core/UserFolders.h"
#include "core/WindowInterfaces.h"
#include "core/WindowRegistry.h"
#include "core/XmlRaces.h"
#include "core/frmAbout.h"
#include "platform/data/DataControl.h"
#include "platform/settings/Settings.h"
#include "platform/shell/Shell.h"
#include "platform/ui/Feedback.h"
#include "platform/ui/Prompt.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFontDatabase>
#include <QIcon>
#include <QLabel>
#include <QLayout>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QMetaMethod>
#include <QScreen>
#include <QStatusBar>
#include <QStyle>
#include <QToolBar>
#include <QToolButton>

#include <algorithm>
#include <exception>

static void InitCoreResources()
{
    Q_INIT_RESOURCE(core_resources);
}

namespace {
MDIfrmBike *g_instance = nullptr;

const QString SettingsSection = QStringLiteral("Settings");
const QString WindowName = QStringLiteral("MDIfrmBike");
const QString ToolbarKey = WindowName + QStringLiteral("Toolbarvis");
const QString MdbFilter = QStringLiteral("Vettarodb file (*.mdb)|*.mdb|");

// Windows closed by UnloadDataForms, in this order.
const QStringList DataForms = {
    QStringLiteral("frmDatiPers"), QStringLiteral("frmDatiPerc"), QStringLiteral("frmAltimetria"),
    QStringLiteral("frmDatiSal"), QStringLiteral("frmPrestAll"), QStringLiteral("frmRiepilogo"),
    QStringLiteral("frmAngolo"), QStringLiteral("frmTempiAll"), QStringLiteral("frmTempiSal"),
    QStringLiteral("frmHitGrimpeur"), QStringLiteral("frmBrowser"), QStringLiteral("frmStates"),
    QStringLiteral("frmHRate")};

QString PersonalFolder()
{
    if (!SpecialFolders.Personal().isEmpty())
        return SpecialFolders.Personal();
    const QString docs = Shell::DocumentsFolder();
    return docs.isEmpty() ? Shell::HomeFolder() : docs;
}

// Runs one step of start-up or shutdown; a failing step is skipped.
template <typename F> void Step(F &&f)
{
    try {
        f();
    } catch (const VbError &) {
    }
}

QIcon ToolIcon(const QString &name)
{
    return QIcon(QStringLiteral(":/vettaro/toolbar/%1.svg").arg(name));
}

// Sets up cmDlg1 for choosing a database file. defaultExt null keeps the
// dialog's last default extension.
void PrepareDatabaseDialog(const QString &title, const QString &initDir, const QString &fileName, int flags,
                           const char *defaultExt)
{
    cmDlg1.DialogTitle = title;
    cmDlg1.InitDir = initDir;
    if (defaultExt)
        cmDlg1.DefaultExt = QString::fromLatin1(defaultExt);
    cmDlg1.FileName = fileName;
    cmDlg1.Filter = MdbFilter;
    cmDlg1.FilterIndex = 1;
    cmDlg1.Flags = flags;
    cmDlg1.CancelError = true;
}
}

// ---- construction ---------------------------------------------------------------

MDIfrmBike::MDIfrmBike(QWidget *parent) : QMainWindow(parent)
{
    InitCoreResources();
    g_instance = this;
    setObjectName(WindowName);
    setWindowIcon(ToolIcon(QStringLiteral("climbs")));
    m_mdi = new QMdiArea(this);
    m_mdi->setObjectName(QStringLiteral("mdiArea"));
    m_mdi->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    m_mdi->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    m_mdi->setBackground(QColor(0x8a, 0x9b, 0xa8));
    setCentralWidget(m_mdi);

    BuildMenus();
    BuildToolbars();

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
    for (const char *key : {"Print", "Find", "SortAsc", "SortDes", "Filter", "DataFilter", "RemoveFilter",
                            "TxtExport", "XmlExport", "CrsExport"})
        EnableCommand(QString::fromLatin1(key), false);
    for (const char *item : {"mnuPrint", "mnuExportTxt", "mnuSaveXML", "mnuSaveCrs", "mnuTool"})
        EnableCommand(QString::fromLatin1(item), false);
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

QAction *MDIfrmBike::AddItem(QMenu *menu, const QString &name, void (MDIfrmBike::*slot)())
{
    QAction *a = menu->addAction(QString());
    a->setObjectName(name);
    m_items.insert(name, a);
    if (slot)
        connect(a, &QAction::triggered, this, slot);
    return a;
}

void MDIfrmBike::BuildMenus()
{
    auto menu = [this](const QString &name, QMenuBar *bar) {
        auto *m = new QMenu(this);
        m->setObjectName(name);
        m_menus.insert(name, m);
        if (bar)
            bar->addMenu(m);
        return m;
    };
    auto separator = [this](QMenu *m, const QString &name) {
        QAction *s = m->addSeparator();
        s->setObjectName(name);
        m_items.insert(name, s);
        return s;
    };
    QMenuBar *bar = menuBar();

    QMenu *file = menu(QStringLiteral("mnuFile"), bar);
    for (int i = 0; i < 3; ++i)
        connect(AddItem(file, QStringLiteral("mnuFileItem(%1)").arg(i)), &QAction::triggered, this,
                [this, i]() { mnuFileItem_Click(i); });
    m_items.value(QStringLiteral("mnuFileItem(0)"))->setIcon(style()->standardIcon(QStyle::SP_FileIcon));
    m_items.value(QStringLiteral("mnuFileItem(1)"))->setIcon(style()->standardIcon(QStyle::SP_DialogOpenButton));
    separator(file, QStringLiteral("mnuFileItem(3)"));
    AddItem(file, QStringLiteral("mnuSetPrint"), &MDIfrmBike::mnuSetPrint_Click);
    AddItem(file, QStringLiteral("mnuPrint"), &MDIfrmBike::mnuPrint_Click)->setIcon(ToolIcon(QStringLiteral("print")));
    separator(file, QStringLiteral("mnuRecent(0)"))->setVisible(false);
    separator(file, QStringLiteral("mnuExit(0)"));
    connect(AddItem(file, QStringLiteral("mnuExit(1)")), &QAction::triggered, this, [this]() { mnuExit_Click(1); });

    QMenu *tools = menu(QStringLiteral("mnuStrums"), bar);
    AddItem(tools, QStringLiteral("mnuState"), &MDIfrmBike::mnuState_Click);
    separator(tools, QStringLiteral("mnusep3"));
    AddItem(tools, QStringLiteral("mnuRipara"), &MDIfrmBike::mnuRipara_Click);
    AddItem(tools, QStringLiteral("mnuCompatta"), &MDIfrmBike::mnuCompatta_Click);
    separator(tools, QStringLiteral("mnuSep"));
    AddItem(tools, QStringLiteral("mnuConverti"), &MDIfrmBike::mnuConverti_Click);
    separator(tools, QStringLiteral("mnuSep2"));
    AddItem(tools, QStringLiteral("mnuImportDB"), &MDIfrmBike::mnuImportDB_Click)->setIcon(ToolIcon(QStringLiteral("dbimport")));
    AddItem(tools, QStringLiteral("mnuTxtImport"), &MDIfrmBike::mnuTxtImport_Click)->setIcon(ToolIcon(QStringLiteral("txtimport")));
    AddItem(tools, QStringLiteral("mnuImport"), &MDIfrmBike::mnuImport_Click)->setIcon(ToolIcon(QStringLiteral("hrimport")));
    AddItem(tools, QStringLiteral("mnuXmlImport"), &MDIfrmBike::mnuXmlImport_Click)->setIcon(ToolIcon(QStringLiteral("xmlimport")));
    AddItem(tools, QStringLiteral("mnuWebImport"), &MDIfrmBike::mnuWebImport_Click)->setIcon(ToolIcon(QStringLiteral("webimport")));
    separator(tools, QStringLiteral("mnuSep4"));
    AddItem(tools, QStringLiteral("mnuExportTxt"), &MDIfrmBike::mnuExportTxt_Click)->setIcon(ToolIcon(QStringLiteral("txtexport")));
    AddItem(tools, QStringLiteral("mnuSaveXML"), &MDIfrmBike::mnuSaveXML_Click)->setIcon(ToolIcon(QStringLiteral("xmlexport")));
    AddItem(tools, QStringLiteral("mnuSaveCrs"), &MDIfrmBike::mnuSaveCrs_Click)->setIcon(ToolIcon(QStringLiteral("crsexport")));
    separator(tools, QStringLiteral("mnuBar(0)"));
    QAction *toolbarItem = AddItem(tools, QStringLiteral("mnuBar(1)"));
    toolbarItem->setCheckable(true);
    toolbarItem->setChecked(true);
    // The check mark is toggled by mnuBar_Click itself, not by the menu.
    connect(toolbarItem, &QAction::triggered, this, [this, toolbarItem](bool) {
        toolbarItem->setChecked(!toolbarItem->isChecked());
        mnuBar_Click(1);
    });

    QMenu *record = menu(QStringLiteral("mnuTools"), bar);
    const char *toolIcons[] = {"find", nullptr, "sortasc", "sortdes", nullptr, "filter", "datafilter", "removefilter"};
    for (int i = 0; i < 8; ++i) {
        if (i == 1 || i == 4) {
            separator(record, QStringLiteral("mnuTool(%1)").arg(i));
            continue;
        }
        QAction *a = AddItem(record, QStringLiteral("mnuTool(%1)").arg(i));
        a->setIcon(ToolIcon(QString::fromLatin1(toolIcons[i])));
        connect(a, &QAction::triggered, this, [this, i]() { mnuTool_Click(i); });
    }

    QMenu *lang = menu(QStringLiteral("mnuLangMain"), bar);
    AddItem(lang, QStringLiteral("mnuAddLang"));
    separator(lang, QStringLiteral("mnuLanguages(0)"))->setVisible(false);

    QMenu *help = menu(QStringLiteral("mnuHelps"), bar);
    for (int i = 0; i < 3; ++i)
        connect(AddItem(help, QStringLiteral("mnuGuida(%1)").arg(i)), &QAction::triggered, this,
                [this, i]() { mnuGuida_Click(i); });
    m_items.value(QStringLiteral("mnuGuida(0)"))->setShortcut(QKeySequence::HelpContents);
    separator(help, QStringLiteral("mnuSep1"));
    AddItem(help, QStringLiteral("mnuMail"), &MDIfrmBike::mnuMail_Click);
    AddItem(help, QStringLiteral("mnuHomePage"), &MDIfrmBike::mnuHomePage_Click);
    separator(help, QStringLiteral("mnuHelp(0)"));
    connect(AddItem(help, QStringLiteral("mnuHelp(1)")), &QAction::triggered, this, [this]() { mnuHelp_Click(1); });

    // The pop-up menus of the athlete lists, not on the menu bar.
    QMenu *popup = menu(QStringLiteral("mnuPopUp"), nullptr);
    AddItem(popup, QStringLiteral("mnuVAM"), &MDIfrmBike::mnuVAM_Click);
    QMenu *speed = menu(QStringLiteral("mnuGraficoVelocita"), nullptr);
    AddItem(speed, QStringLiteral("mnuVelocità"), &MDIfrmBike::mnuVelocita_Click);
}

void MDIfrmBike::BuildToolbars()
{
    m_toolbar1 = new QToolBar(this);
    m_toolbar1->setObjectName(QStringLiteral("Toolbar1"));
    m_toolbar1->setIconSize(QSize(24, 24));
    addToolBar(Qt::TopToolBarArea, m_toolbar1);
    struct Button {
        const char *key;
        const char *icon;
        bool separatorBefore;
    };
    const Button buttons1[] = {
        {"New", nullptr, false},       {"Open", nullptr, false},          {"Print", "print", false},
        {"Find", "find", true},        {"SortAsc", "sortasc", false},     {"SortDes", "sortdes", false},
        {"Filter", "filter", true},    {"DataFilter", "datafilter", false}, {"RemoveFilter", "removefilter", false},
        {"DbImport", "dbimport", true}, {"TxtImport", "txtimport", false}, {"HrImport", "hrimport", false},
        {"XmlImport", "xmlimport", false}, {"WebImport", "webimport", false},
        {"TxtExport", "txtexport", true}, {"XmlExport", "xmlexport", false}, {"CrsExport", "crsexport", false}};
    for (const Button &b : buttons1) {
        if (b.separatorBefore)
            m_toolbar1->addSeparator();
        const QString key = QString::fromLatin1(b.key);
        QIcon icon = b.icon ? ToolIcon(QString::fromLatin1(b.icon))
                            : style()->standardIcon(key == QLatin1String("New") ? QStyle::SP_FileIcon
                                                                                : QStyle::SP_DialogOpenButton);
        QAction *a = m_toolbar1->addAction(icon, QString());
        a->setObjectName(QStringLiteral("Toolbar1.") + key);
        a->setData(key);
        if (key == QLatin1String("RemoveFilter"))
            a->setCheckable(true);
        m_tb1.insert(key, a);
        connect(a, &QAction::triggered, this, [this, key]() { Toolbar1_ButtonClick(key); });
    }

    m_toolbar2 = new QToolBar(this);
    m_toolbar2->setObjectName(QStringLiteral("Toolbar2"));
    m_toolbar2->setIconSize(QSize(32, 32));
    addToolBar(Qt::LeftToolBarArea, m_toolbar2);
    const Button buttons2[] = {{"b1", "biker", false},     {"b2", "climbs", false},    {"b3", "tours", false},
                               {"b4", "climbtimes", true}, {"b5", "tourtimes", false}, {"b6", "climbperf", true},
                               {"b7", "tourperf", false},  {"b8", "grimpeur", false},  {"b9", "summary", false},
                               {"b0", "exit", true}};
    for (const Button &b : buttons2) {
        if (b.separatorBefore)
            m_toolbar2->addSeparator();
        const QString key = QString::fromLatin1(b.key);
        QAction *a = m_toolbar2->addAction(ToolIcon(QString::fromLatin1(b.icon)), QString());
        a->setObjectName(QStringLiteral("Toolbar2.") + key);
        a->setData(key);
        m_tb2.insert(key, a);
        connect(a, &QAction::triggered, this, [this, key]() { Toolbar2_ButtonClick(key); });
    }
}

namespace {
// True while the status bar shows the ready text, so a change of language
// can re-text it.
bool g_statusIdle = false;
}

// ---- start-up and shutdown -----------------------------------------------------------

void MDIfrmBike::GrowToFit(QWidget *form)
{
    auto *sub = form ? qobject_cast<QMdiSubWindow *>(form->parentWidget()) : nullptr;
    if (!sub)
        return;
    // A changed text marks only its own layout stale; each layout around it
    // learns of it one round of posted events later. Settle them all here,
    // innermost first, so the size hint below counts every new text.
    QList<QLayout *> layouts = sub->findChildren<QLayout *>();
    auto depth = [sub](const QLayout *l) {
        int d = 0;
        for (const QWidget *w = l->parentWidget(); w && w != sub; w = w->parentWidget())
            ++d;
        return d;
    };
    std::stable_sort(layouts.begin(), layouts.end(),
                     [&](const QLayout *a, const QLayout *b) { return depth(a) > depth(b); });
    for (QLayout *l : layouts)
        l->activate();
    sub->resize(sub->size().expandedTo(sub->sizeHint()));
}

void MDIfrmBike::StartLanguage()
{
    Step([&] { LoadLanguages(AppPath); });
    Step([&] {
        const QString stored = GetSetting(AppName, SettingsSection, QStringLiteral("Language"));
        std::optional<VbError> failure;
        LangId = SelectLanguage(stored, QStringLiteral("1033"), &failure);
        if (failure)
            ShowDataError(*failure);
        SaveSetting(AppName, SettingsSection, QStringLiteral("Language"), LangId);
    });
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
    Step([&] {
        if (AppPath.isEmpty())
            AppPath = QCoreApplication::applicationDirPath();
        SpecialFolders.InitFolders(AppPath);
    });
    Step([&] {
        const QString helpFile = QDir(AppPath).filePath(QStringLiteral("help/index.html"));
        cmDlg1.HelpFile = helpFile;
        SetHelpHandler([this](const QString &file, int command, const QString &keyword) {
            ShowHelpPages(file, command, keyword);
        });
    });
    Step([&] {
        if (AppName.isEmpty())
            AppName = QFileInfo(QCoreApplication::applicationFilePath()).completeBaseName();
        SetPromptAppTitle(QStringLiteral("Vettaro"));
        SetPromptParent(this);
    });
    StartLanguage();
    Step([&] { UpdateControls(); });
    Step([&] {
        // Added from memory: no font file is written where other users could
        // put a file or a link of their own in its place.
        QFile font(QStringLiteral(":/vettaro/font/Liqucry4.ttf"));
        if (font.open(QIODevice::ReadOnly))
            m_fontId = QFontDatabase::addApplicationFontFromData(font.readAll());
    });
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
        if (m_fontId >= 0)
            QFontDatabase::removeApplicationFont(m_fontId);
        m_fontId = -1;
    });
    Step([&] { SetHelpHandler(nullptr); });
    Step([&] { SpecialFolders = SpecialFolder(); });
}

void MDIfrmBike::closeEvent(QCloseEvent *event)
{
    MDIForm_Unload();
    event->accept();
}

// ---- texts ---------------------------------------------------------------------

void MDIfrmBike::UpdateControls()
{
    static const struct {
        const char *key;
        int id;
    } tips1[] = {{"New", 101},       {"Open", 102},      {"Print", 103},     {"Find", 104},      {"SortAsc", 105},
                 {"SortDes", 106},   {"Filter", 107},    {"DataFilter", 108}, {"RemoveFilter", 109},
                 {"DbImport", 110},  {"TxtImport", 111}, {"HrImport", 112},  {"XmlImport", 113}, {"WebImport", 114},
                 {"TxtExport", 115}, {"XmlExport", 116}, {"CrsExport", 168}},
      tips2[] = {{"b1", 117}, {"b2", 118}, {"b3", 119}, {"b4", 120}, {"b5", 121},
                 {"b6", 122}, {"b7", 123}, {"b8", 124}, {"b9", 125}, {"b0", 126}},
      bar[] = {{"mnuFile", 127}, {"mnuStrums", 135}, {"mnuTools", 148}, {"mnuLangMain", 166}, {"mnuHelps", 155}},
      popups[] = {{"mnuPopUp", 162}, {"mnuGraficoVelocita", 164}},
      items[] = {{"mnuFileItem(0)", 128}, {"mnuFileItem(1)", 129}, {"mnuFileItem(2)", 130}, {"mnuSetPrint", 131},
                 {"mnuPrint", 132},       {"mnuExit(1)", 134},     {"mnuState", 136},       {"mnuRipara", 137},
                 {"mnuCompatta", 138},    {"mnuConverti", 139},    {"mnuImportDB", 140},    {"mnuTxtImport", 141},
                 {"mnuImport", 142},      {"mnuXmlImport", 143},   {"mnuWebImport", 144},   {"mnuExportTxt", 145},
                 {"mnuSaveXML", 146},     {"mnuSaveCrs", 169},     {"mnuBar(1)", 147},      {"mnuTool(0)", 149},
                 {"mnuTool(2)", 150},     {"mnuTool(3)", 151},     {"mnuTool(5)", 152},     {"mnuTool(6)", 153},
                 {"mnuTool(7)", 154},     {"mnuGuida(0)", 156},    {"mnuGuida(1)", 157},    {"mnuGuida(2)", 158},
                 {"mnuMail", 159},        {"mnuHomePage", 160},    {"mnuHelp(1)", 161},     {"mnuVAM", 163},
                 {"mnuVelocità", 165},    {"mnuAddLang", 167}};
    for (const auto &t : tips1) {
        QAction *a = m_tb1.value(QString::fromLatin1(t.key));
        a->setToolTip(GetLangString(t.id));
        a->setText(GetLangString(t.id));
    }
    for (const auto &t : tips2) {
        QAction *a = m_tb2.value(QString::fromLatin1(t.key));
        a->setToolTip(GetLangString(t.id));
        a->setText(GetLangString(t.id));
    }
    // Each menu of the bar opens with its own Alt letter: the first letter of
    // its title that no menu to its left has taken ("Datei" and "Datensatz"
    // both begin with D).
    QString taken;
    for (const auto &m : bar) {
        const QString title = GetLangString(m.id);
        int at = 0;
        for (int i = 0; i < title.size(); ++i)
            if (title.at(i).isLetter() && !taken.contains(title.at(i).toLower())) {
                at = i;
                break;
            }
        if (at < title.size())
            taken += title.at(at).toLower();
        m_menus.value(QString::fromLatin1(m.key))->setTitle(title.left(at) + QLatin1Char('&') + title.mid(at));
    }
    for (const auto &m : popups)
        m_menus.value(QString::fromLatin1(m.key))->setTitle(QLatin1Char('&') + GetLangString(m.id));
    for (const auto &i : items)
        m_items.value(QString::fromUtf8(i.key))->setText(GetLangString(i.id));
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
    for (const char *item : {"mnusep3", "mnuState", "mnuWebImport", "mnuXmlImport", "mnuImport"})
        m_items.value(QString::fromLatin1(item))->setVisible(open);
    for (const char *key : {"HrImport", "XmlImport", "WebImport"})
        m_tb1.value(QString::fromLatin1(key))->setEnabled(open);
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
    // The filter and the sorts act on the active window when it answers them.
    if (qobject_cast<RecordCommandsInterface *>(ActiveForm())) {
        if (command == QLatin1String("Filter")) {
            ::Filter();
            return;
        }
        if (command == QLatin1String("SortAsc") || command == QLatin1String("SortDes")) {
            ::Sort(command == QLatin1String("SortAsc"));
            return;
        }
    }
    auto handler = m_handlers.value(command);
    if (handler)
        handler();
}

void MDIfrmBike::FormUnloaded(const QString &name)
{
    // A data window shown from the data toolbar gives the toolbar back when
    // it goes, even one that does not do so itself.
    if (m_toolbar2Windows.removeAll(name) > 0 && m_toolbar2Windows.isEmpty() && IsDatabaseOpen())
        SetToolbar2Visible(true);
}

// ---- recent files ----------------------------------------------------------------

// The item shows the path as it is: "&" in a folder name is not a mnemonic.
void MDIfrmBike::SetRecentItem(int index, const QString &path)
{
    QAction *a = RecentItem(index);
    a->setData(path);
    a->setText(QString(path).replace(QLatin1Char('&'), QStringLiteral("&&")));
    a->setVisible(true);
}

QAction *MDIfrmBike::RecentItem(int index)
{
    while (m_recent.size() < index) {
        const int i = int(m_recent.size()) + 1;
        QAction *a = new QAction(this);
        a->setObjectName(QStringLiteral("mnuRecent(%1)").arg(i));
        m_items.insert(a->objectName(), a);
        m_menus.value(QStringLiteral("mnuFile"))->insertAction(m_items.value(QStringLiteral("mnuExit(0)")), a);
        connect(a, &QAction::triggered, this, [this, i]() { mnuRecent_Click(i); });
        m_recent << a;
    }
    return m_recent.at(index - 1);
}

void MDIfrmBike::LoadRecentFiles()
{
    const QStringList paths = RecentFileList(AppName).Paths();
    if (paths.isEmpty())
        return;
    m_items.value(QStringLiteral("mnuRecent(0)"))->setVisible(true);
    for (int i = 1; i <= paths.size(); ++i)
        SetRecentItem(i, paths.at(i - 1));
}

void MDIfrmBike::AddRecentFile(const QString &path)
{
    const RecentFileList::Change change = RecentFileList(AppName).Add(path);
    switch (change.kind) {
    case RecentFileList::Change::None:
        return;
    case RecentFileList::Change::Appended:
        m_items.value(QStringLiteral("mnuRecent(0)"))->setVisible(true);
        SetRecentItem(change.index, path);
        return;
    case RecentFileList::Change::Replaced:
        SetRecentItem(change.index, path);
        return;
    }
}

QStringList MDIfrmBike::RecentMenuCaptions() const
{
    QStringList captions;
    for (QAction *a : m_recent)
        if (a->isVisible())
            captions << a->data().toString();
    return captions;
}

// ---- File menu ----------------------------------------------------------------------

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
    try {
        switch (index) {
        case 0: {
            CloseCurrentDatabase();
            const QString personal = PersonalFolder();
            // Ask before overwriting (2), no read-only box (4).
            PrepareDatabaseDialog(GetLangString(506), GetSetting(AppName, WindowName, QStringLiteral("NewDbDir"), personal),
                                  NewDbName(personal), 6, "mdb");
            cmDlg1.ShowSave();
            const QString path = cmDlg1.FileName;
            SaveSetting(AppName, WindowName, QStringLiteral("NewDbDir"), QFileInfo(path).absolutePath());
            if (QFileInfo::exists(path)) {
                // The confirmed file is replaced only once the new one is
                // complete; when that fails it stays, and the user is told why.
                try {
                    CreateFromTemplate(path);
                } catch (...) {
                    ShowDataError();
                    break;
                }
            }
            OpenDb(path);
            break;
        }
        case 1: {
            CloseCurrentDatabase();
            // Offer to create a missing file (0x2000), no read-only box (4).
            PrepareDatabaseDialog(GetLangString(507), GetSetting(AppName, WindowName, QStringLiteral("DbDir"), PersonalFolder()),
                                  QString(), 0x2004, "mdb");
            cmDlg1.CreatePromptText = GetLangString(550);
            cmDlg1.ShowOpen();
            const QString path = cmDlg1.FileName;
            SaveSetting(AppName, WindowName, QStringLiteral("DbDir"), QFileInfo(path).absolutePath());
            OpenDb(path);
            break;
        }
        case 2:
            CloseCurrentDatabase();
            break;
        default:
            break;
        }
    } catch (const VbError &) {
        // A cancelled dialog or a failure ends the command without a message.
    }
}

void MDIfrmBike::mnuRecent_Click(int index)
{
    if (index < 1 || index > m_recent.size())
        return;
    try {
        const QString path = m_recent.at(index - 1)->data().toString();
        if (!QFileInfo(path).isFile()) {
            MsgBox(GetLangString(517), Vb::Exclamation);
            return;
        }
        CloseCurrentDatabase();
        OpenDb(path);
    } catch (const VbError &) {
    }
}

// ---- menu commands of start-up and help --------------------------------------------------

void MDIfrmBike::mnuBar_Click(int)
{
    QAction *item = m_items.value(QStringLiteral("mnuBar(1)"));
    const bool show = !item->isChecked();
    item->setChecked(show);
    m_toolbar1->setVisible(show);
}

void MDIfrmBike::mnuExit_Click(int index)
{
    if (index == 1)
        close();
}

void MDIfrmBike::mnuGuida_Click(int index)
{
    switch (index) {
    case 0:
        cmDlg1.HelpCommand = 3;
        cmDlg1.HelpKey.clear();
        cmDlg1.ShowHelp();
        break;
    case 1:
        cmDlg1.HelpCommand = 0x105;
        cmDlg1.HelpKey.clear();
        cmDlg1.ShowHelp();
        break;
    case 2:
        QuickHelp();
        break;
    default:
        break;
    }
}

void MDIfrmBike::QuickHelp()
{
    ShowHelpPages(cmDlg1.HelpFile.isEmpty() ? QDir(AppPath).filePath(QStringLiteral("help/index.html")) : cmDlg1.HelpFile,
                  HelpWindow::QuickHelpCommand, QString());
}

void MDIfrmBike::ShowHelpPages(const QString &helpFile, int command, const QString &keyword)
{
    if (command == 2) {
        if (m_help)
            m_help->close();
        return;
    }
    if (!m_help) {
        m_help = new HelpWindow(QFileInfo(helpFile).absolutePath(), this);
        m_help->setAttribute(Qt::WA_DeleteOnClose);
    }
    m_help->Run(command, keyword);
}

void MDIfrmBike::mnuHelp_Click(int index)
{
    if (index != 1)
        return;
    frmAbout about(this);
    about.exec();
}

// ---- toolbars ----------------------------------------------------------------------------

void MDIfrmBike::Toolbar1_ButtonClick(const QString &key)
{
    try {
        if (key == QLatin1String("New"))
            mnuFileItem_Click(0);
        else if (key == QLatin1String("Open"))
            mnuFileItem_Click(1);
        else if (key == QLatin1String("Print"))
            mnuPrint_Click();
        else if (key == QLatin1String("Find"))
            WindowRegistry::Show(QStringLiteral("frmFind"), true);
        else if (key == QLatin1String("SortAsc"))
            RunCommand(QStringLiteral("SortAsc"));
        else if (key == QLatin1String("SortDes"))
            RunCommand(QStringLiteral("SortDes"));
        else if (key == QLatin1String("Filter"))
            RunCommand(QStringLiteral("Filter"));
        else if (key == QLatin1String("DataFilter"))
            WindowRegistry::Show(QStringLiteral("DataFilter"), true);
        else if (key == QLatin1String("RemoveFilter"))
            RemoveFilterButton();
        else if (key == QLatin1String("DbImport"))
            mnuImportDB_Click();
        else if (key == QLatin1String("TxtImport"))
            mnuTxtImport_Click();
        else if (key == QLatin1String("HrImport"))
            WindowRegistry::Show(QStringLiteral("frmHRate"));
        else if (key == QLatin1String("XmlImport"))
            mnuXmlImport_Click();
        else if (key == QLatin1String("WebImport"))
            mnuWebImport_Click();
        else if (key == QLatin1String("TxtExport"))
            mnuExportTxt_Click();
        else if (key == QLatin1String("XmlExport"))
            mnuSaveXML_Click();
        else if (key == QLatin1String("CrsExport"))
            mnuSaveCrs_Click();
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

    // The recordsets this click opened; a refusal or a failure closes them again.
    QList<dao::RecordsetPtr *> opened;
    auto closeOpened = [&opened]() {
        for (dao::RecordsetPtr *rs : opened)
            CloseRecordset(*rs);
        opened.clear();
    };

    SetMousePointer(11);
    try {
        bool shown = false;
        if (!exit) {
            SetStatus(GetLangString(row.statusText), true);
            bool empty = false;
            for (const DataWindowRegistration::SharedRecordset &shared : row.recordsets) {
                if (!shared.target)
                    continue;
                CloseRecordset(*shared.target);
                if (!CurrentDb)
                    throw VbError(91, QStringLiteral("Object variable or With block variable not set"));
                *shared.target = CurrentDb->OpenRecordset(shared.source);
                opened << shared.target;
            }
            for (const DataWindowRegistration::SharedRecordset &shared : row.recordsets)
                if (shared.target && shared.mustHaveRows && (*shared.target)->EOF_())
                    empty = true;
            if (!row.keepRecordsets)
                closeOpened();
            if (empty) {
                closeOpened();
                MsgBox(GetLangString(row.refusal), Vb::Exclamation);
            } else {
                // Loading runs the window's load while DataFormName still names the previous one.
                QWidget *w = WindowRegistry::Load(row.name);
                if (w) {
                    DataFormName = w->objectName();
                    // The data toolbar goes before the window shows, and the
                    // workspace takes the room it leaves at once, so a window
                    // centred as it opens is centred in the workspace it keeps.
                    SetToolbar2Visible(false);
                    if (layout())
                        layout()->activate();
                    WindowRegistry::Show(row.name);
                    if (!m_toolbar2Windows.contains(row.name))
                        m_toolbar2Windows << row.name;
                    shown = true;
                }
            }
        }
        if (shown)
            SetToolbar2Visible(false);
        SetStatus(QString());
        SetMousePointer(0);
        if (exit)
            mnuExit_Click(1);
    } catch (...) {
        closeOpened();
        ShowDataError();
        SetStatus(QString());
        SetMousePointer(0);
    }
}

// ---- Record menu ---------------------------------------------------------------------------

void MDIfrmBike::mnuTool_Click(int index)
{
    try {
        switch (index) {
        case 0:
            WindowRegistry::Show(QStringLiteral("frmFind"), true);
            break;
        case 2:
            RunCommand(QStringLiteral("SortAsc"));
            break;
        case 3:
            RunCommand(QStringLiteral("SortDes"));
            break;
        case 5:
            RunCommand(QStringLiteral("Filter"));
            break;
        case 6:
            WindowRegistry::Show(QStringLiteral("DataFilter"), true);
            break;
        case 7:
            RemoveFilterMenu();
            break;
        default:
            break;
        }
    } catch (const VbError &) {
    }
}

void MDIfrmBike::RemoveFilterButton()
{
    QAction *button = m_tb1.value(QStringLiteral("RemoveFilter"));
    auto *list = qobject_cast<AthleteListInterface *>(ActiveForm());
    if (!list) {
        button->setChecked(!button->isChecked());   // undo the click's toggle
        return;
    }
    if (!button->isChecked())
        list->removeFilter();   // the user released an active filter
    else
        button->setChecked(false);   // no filter was active
}

void MDIfrmBike::RemoveFilterMenu()
{
    auto *list = qobject_cast<AthleteListInterface *>(ActiveForm());
    if (list && m_tb1.value(QStringLiteral("RemoveFilter"))->isChecked())
        list->removeFilter();
}

// ---- print and export -------------------------------------------------------------------

void MDIfrmBike::mnuPrint_Click()
{
    QWidget *w = ActiveForm();
    if (!w)
        return;   // nothing to print
    // A card with its sample panel open prints the samples without asking.
    if (auto *card = qobject_cast<SamplePanelInterface *>(w); card && card->samplePanelShown()) {
        CallByName(w, byname::MyPrint2);
        return;
    }
    const DataWindowRegistration *data = WindowRegistry::DataWindow(w->objectName());
    if (!data || !data->printQuestion) {
        CallByName(w, byname::MyPrint);
        return;
    }
    switch (MsgBox(GetLangString(data->printQuestion), Vb::YesNoCancel + Vb::Question)) {
    case Vb::Yes:
        CallByName(w, byname::MyPrint);
        break;
    case Vb::No:
        CallByName(w, byname::MyPrint1);
        break;
    default:
        break;
    }
}

void MDIfrmBike::ExportRule(const char *method)
{
    const DataWindowRegistration *data = WindowRegistry::DataWindow(ActiveFormName());
    if (data && data->exports)
        CallByName(ActiveForm(), method);
}

void MDIfrmBike::mnuExportTxt_Click() { ExportRule(byname::Export); }
void MDIfrmBike::mnuSaveXML_Click() { ExportRule(byname::ExportXml); }
void MDIfrmBike::mnuSaveCrs_Click() { ExportRule(byname::ExportCrs); }

void MDIfrmBike::mnuSetPrint_Click()
{
    try {
        cmDlg1.Flags = 0x40;
        // The printer chosen here is the one all printing of the program uses.
        cmDlg1.Printer = DefaultPrinter();
        cmDlg1.ShowPrinter();
    } catch (const VbError &) {
    }
}

// ---- tools and imports ----------------------------------------------------------------------

void MDIfrmBike::DatabaseTool(int titleId, const QString &window, bool setDefaultExt)
{
    try {
        // The file must exist (0x1000), no read-only box (4).
        PrepareDatabaseDialog(GetLangString(titleId), PersonalFolder(), QString(), 0x1004, setDefaultExt ? "mdb" : nullptr);
        cmDlg1.ShowOpen();
        WindowRegistry::Show(window, true);
    } catch (const VbError &) {
        // A cancelled dialog ends the command silently.
    }
}

void MDIfrmBike::mnuCompatta_Click() { DatabaseTool(504, QStringLiteral("frmCompact"), true); }
void MDIfrmBike::mnuConverti_Click() { DatabaseTool(505, QStringLiteral("frmConvert"), true); }
void MDIfrmBike::mnuRipara_Click() { DatabaseTool(518, QStringLiteral("frmRepair"), false); }

void MDIfrmBike::mnuState_Click() { WindowRegistry::Show(QStringLiteral("frmStates")); }
void MDIfrmBike::mnuImportDB_Click() { WindowRegistry::Show(QStringLiteral("frmImport"), true); }
void MDIfrmBike::mnuTxtImport_Click() { WindowRegistry::Show(QStringLiteral("frmTxtImport"), true); }

void MDIfrmBike::mnuImport_Click()
{
    try {
        WindowRegistry::Show(QStringLiteral("frmHRate"));
    } catch (const VbError &) {
        ShowDataError();
    }
}

void MDIfrmBike::mnuXmlImport_Click() { RunXmlImport(); }

void MDIfrmBike::mnuWebImport_Click()
{
    QWidget *browser = WindowRegistry::Load(QStringLiteral("frmBrowser"));
    if (!browser)
        return;
    if (auto *b = qobject_cast<BrowserInterface *>(browser))
        b->setStartingAddress(WebImportAddress());
    WindowRegistry::Show(QStringLiteral("frmBrowser"));
}

void MDIfrmBike::mnuVAM_Click() { ShowChart(ChartHandoff::Kind::Climbs); }
void MDIfrmBike::mnuVelocita_Click() { ShowChart(ChartHandoff::Kind::Trainings); }

// ---- links ---------------------------------------------------------------------------------

void OpenLink(const QString &target, int noAssocId, int memoryId, int otherId)
{
    try {
        const int result = Shell::OpenDocument(target);
        if (result >= 33)
            return;
        const int id = result == 31 ? noAssocId : result == 0 ? memoryId : otherId;
        MsgBox(GetLangString(id), Vb::Critical);
    } catch (...) {
        ShowDataError();
    }
}

void MDIfrmBike::mnuHomePage_Click() { OpenLink(HomePageAddress(), 508, 509, 510); }

void MDIfrmBike::mnuMail_Click() { OpenLink(MailLink(), 511, 512, 513); }

// ---- shared services ------------------------------------------------------------------------

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

void CenterForm(QWidget *frm)
{
    if (!frm)
        return;
    QWidget *target = frm;
    if (auto *sub = qobject_cast<QMdiSubWindow *>(frm->parentWidget()))
        target = sub;
    QScreen *screen = target->screen() ? target->screen() : QGuiApplication::primaryScreen();
    if (!screen)
        return;
    const QSize s = screen->geometry().size();
    const float top = float(0.85) * float(s.height()) / 2.0f - float(target->height()) / 2.0f;
    const float left = float(s.width()) / 2.0f - float(target->width()) / 2.0f;
    int x = int(left), y = int(top);
    if (target != frm) {
        // A child window stays inside the workspace.
        x = qMax(0, x);
        y = qMax(0, y);
    }
    target->move(x, y);
}

void SetFlatToolbar(QToolBar *tb)
{
    if (!tb)
        return;
    tb->setMovable(false);
    tb->setFloatable(false);
    tb->setStyleSheet(QStringLiteral("QToolBar { border: none; spacing: 2px; }"));
    for (QToolButton *button : tb->findChildren<QToolButton *>())
        button->setAutoRaise(true);
}

void UnloadDataForms()
{
    for (const QString &name : DataForms)
        WindowRegistry::Unload(name);
}

bool CallByName(QObject *window, const char *method)
{
    if (!window)
        return false;
    const QByteArray signature = QMetaObject::normalizedSignature(QByteArray(method) + "()");
    if (window->metaObject()->indexOfMethod(signature.constData()) < 0)
        return false;
    return QMetaObject::invokeMethod(window, method, Qt::DirectConnection);
}

QString HomePageAddress() { return QStringLiteral("https://www.vettaro.example/"); }
QString MailAddress() { return QStringLiteral("info@vettaro.example"); }
QString WebImportAddress() { return QStringLiteral("https://www.vettaro.example/import/"); }
QString MailLink() { return QStringLiteral("mailto:") + MailAddress() + QStringLiteral("?subject=Vettaro Info"); }
