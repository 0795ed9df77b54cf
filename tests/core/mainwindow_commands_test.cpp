// Commands of the toolbars and menus, driven on a real main window with
// stand-in child windows registered under the names the commands look for.
#include "mainwindow_fixture.h"

#include "core/LangClient.h"
#include "core/WindowInterfaces.h"
#include "core/frmAbout.h"
#include "platform/print/Printer.h"
#include "platform/data/DataControl.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QDialog>
#include <QFileInfo>
#include <QDesktopServices>
#include <QMdiSubWindow>
#include <QLabel>
#include <QPushButton>
#include <QMdiArea>
#include <QMouseEvent>
#include <QPrinter>
#include <QTemporaryDir>
#include <QTimer>
#include <QToolBar>
#include <QUrl>

namespace {
QStringList g_calls;

// A data window that answers the by-name commands; with a panel it is a card
// whose sample panel is open.
class CommandWindow : public QWidget, public SamplePanelInterface {
    Q_OBJECT
    Q_INTERFACES(SamplePanelInterface)
public:
    explicit CommandWindow(QWidget *parent, bool withPanel = false) : QWidget(parent)
    {
        if (withPanel)
            m_panel = new QLabel(this);
    }
    bool samplePanelShown() const override { return m_panel && !m_panel->isHidden(); }
protected:
    void closeEvent(QCloseEvent *event) override
    {
        g_calls << objectName() + ".close";
        QWidget::closeEvent(event);
    }
public slots:
    void MyPrint() { g_calls << objectName() + ".MyPrint"; }
    void MyPrint1() { g_calls << objectName() + ".MyPrint1"; }
    void MyPrint2() { g_calls << objectName() + ".MyPrint2"; }
    void Export() { g_calls << objectName() + ".Export"; }
    void ExportXml() { g_calls << objectName() + ".ExportXml"; }
    void ExportCrs() { g_calls << objectName() + ".ExportCrs"; }
private:
    QLabel *m_panel = nullptr;
};

// The browser: keeps the address it was given.
class BrowserStandIn : public QWidget, public BrowserInterface {
    Q_OBJECT
    Q_INTERFACES(BrowserInterface)
public:
    explicit BrowserStandIn(QWidget *parent) : QWidget(parent) { g_calls << "loaded"; }
    void setStartingAddress(const QString &address) override { startingAddress = address; }
    QString startingAddress;
};

class UrlCatcher : public QObject {
    Q_OBJECT
public:
    QList<QUrl> urls;
public slots:
    void open(const QUrl &url) { urls << url; }
};

// The data windows of the data toolbar as their subsystems register them.
QList<DataWindowRegistration> DataWindows()
{
    using Shared = DataWindowRegistration::SharedRecordset;
    auto reg = [](const char *name, const char *key, int status, QList<Shared> recordsets, bool keep, int refusal,
                  int printQuestion = 0, bool exports = false) {
        DataWindowRegistration r;
        r.name = QString::fromLatin1(name);
        r.toolbarKey = QString::fromLatin1(key);
        r.statusText = status;
        r.recordsets = recordsets;
        r.keepRecordsets = keep;
        r.refusal = refusal;
        r.printQuestion = printQuestion;
        r.exports = exports;
        return r;
    };
    const Shared athletes{&AthletesRs, "SELECT * FROM [Dati Personali] ORDER BY IDPersonale", true};
    return {
        reg("frmDatiPers", "b1", 534, {{&AthletesRs, "Dati Personali", false}}, true, 0, 514),
        reg("frmDatiSal", "b2", 535, {}, true, 0, 515, true),
        reg("frmDatiPerc", "b3", 536, {}, true, 0, 516, true),
        reg("frmTempiSal", "b4", 537,
            {athletes, {&ClimbsRs, "SELECT * FROM [Dati Salite] ORDER BY IDPercorso", true},
             {&ClimbTimesRs, "SELECT * FROM [Tempi Salita] ORDER BY Data", false}},
            true, 538),
        reg("frmTempiAll", "b5", 539,
            {athletes, {&RoutesRs, "SELECT * FROM [Dati Percorsi] ORDER BY IDPercorso", true},
             {&TrainingTimesRs, "SELECT * FROM [Tempi Allenamento] ORDER BY Data", false}},
            true, 540),
        reg("frmAngolo", "b6", 541, {{&ClimbTimesRs, "Tempi Salita", true}}, false, 542),
        reg("frmPrestAll", "b7", 543, {{&TrainingTimesRs, "Tempi Allenamento", true}}, false, 544),
        reg("frmHitGrimpeur", "b8", 545, {{&ClimbTimesRs, "Tempi Salita", true}}, false, 546),
        reg("frmRiepilogo", "b9", 547, {{&SummaryRs, "Riepilogo per Atleta", true}}, true, 548),
    };
}
}

class CommandsTest : public MainWindowTest {
protected:
    void SetUp() override
    {
        MainWindowTest::SetUp();
        g_calls.clear();
        for (const DataWindowRegistration &r : DataWindows())
            RegisterData(r, [](QWidget *parent) { return new CommandWindow(parent); });
    }
    MDIfrmBike &StartWithDatabase()
    {
        MDIfrmBike &w = Start();
        EXPECT_EQ(OpenDb(Docs("data.mdb")), 1);
        return w;
    }
    void Fill(const QStringList &tables)
    {
        for (const QString &t : tables) {
            if (t == "athletes")
                CurrentDb->Execute("INSERT INTO [Dati Personali] (IDPersonale, Cognome, Nome) VALUES ('ROSSI', 'Rossi', 'Anna')");
            else if (t == "climbs")
                CurrentDb->Execute("INSERT INTO [Dati Salite] (IDPercorso, Lunghezza, Quotainiziale, Quotafinale) VALUES ('Stelvio', 24.3, 920, 2758)");
            else if (t == "routes")
                CurrentDb->Execute("INSERT INTO [Dati Percorsi] (IDPercorso, Lunghezza) VALUES ('Lake loop', 42)");
            else if (t == "climbtimes")
                CurrentDb->Execute("INSERT INTO [Tempi Salita] (IDPersonale, IDPercorso, Data, Tempo) VALUES ('ROSSI', 'Stelvio', #06/01/2026#, '01:45:10')");
            else if (t == "traintimes")
                CurrentDb->Execute("INSERT INTO [Tempi Allenamento] (IDPersonale, IDPercorso, Data, Tempo) VALUES ('ROSSI', 'Lake loop', #06/02/2026#, '01:30:00')");
        }
    }
};

TEST_F(CommandsTest, DataToolbarRefusesEmptyTables)
{
    struct Case {
        const char *key;
        QStringList filled;
        int refusal;                       // 0: the window opens
        const char *window;
    } cases[] = {
        {"b4", {"athletes"}, 538, nullptr},
        {"b4", {"climbs"}, 538, nullptr},
        {"b4", {"athletes", "climbs"}, 0, "frmTempiSal"},   // no climb times yet is fine
        {"b5", {"athletes"}, 540, nullptr},
        {"b5", {"athletes", "routes"}, 0, "frmTempiAll"},
        {"b6", {"athletes", "climbs"}, 542, nullptr},
        {"b6", {"athletes", "climbs", "climbtimes"}, 0, "frmAngolo"},
        {"b7", {"athletes", "routes"}, 544, nullptr},
        {"b7", {"athletes", "routes", "traintimes"}, 0, "frmPrestAll"},
        {"b8", {}, 546, nullptr},
        {"b8", {"athletes", "climbs", "climbtimes"}, 0, "frmHitGrimpeur"},
        {"b9", {}, 548, nullptr},
        {"b1", {}, 0, "frmDatiPers"},
        {"b2", {}, 0, "frmDatiSal"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(std::string(c.key) + " " + c.filled.join(",").toStdString());
        QFile::remove(Docs("data.mdb"));
        MDIfrmBike &w = StartWithDatabase();
        Fill(c.filled);
        auto &script = TestSupport::ResetScript();
        w.Toolbar2Button(c.key)->trigger();
        if (c.refusal) {
            EXPECT_EQ(script.messages(), QStringList{GetLangString(c.refusal)});
            ASSERT_EQ(script.shown.size(), 1u);
            EXPECT_EQ(script.shown[0].style, 48);
            EXPECT_TRUE(WindowRegistry::LoadedNames().isEmpty());
            EXPECT_TRUE(w.IsToolbar2Visible());
            // What the refused command opened is closed again.
            for (dao::RecordsetPtr *rs : {&AthletesRs, &ClimbsRs, &RoutesRs, &ClimbTimesRs, &TrainingTimesRs, &SummaryRs})
                EXPECT_TRUE(!*rs || !(*rs)->IsOpen());
        } else {
            EXPECT_TRUE(script.shown.empty());
            EXPECT_EQ(WindowRegistry::LoadedNames(), QStringList{c.window});
            EXPECT_EQ(DataFormName, QString::fromLatin1(c.window));
            EXPECT_EQ(w.ActiveFormName(), QString::fromLatin1(c.window));
            EXPECT_FALSE(w.IsToolbar2Visible());
            // Closing the window gives the toolbar back.
            WindowRegistry::Unload(c.window);
            EXPECT_TRUE(w.IsToolbar2Visible());
        }
        EXPECT_EQ(w.StatusPanelText(1), QLatin1Char(' ') + GetLangString(28020));
        EXPECT_EQ(w.MousePointer(), 0);
        Stop();
    }
}

TEST_F(CommandsTest, ClosingADataWindowItsOwnWayGivesTheToolbarBack)
{
    MDIfrmBike &w = StartWithDatabase();
    w.Toolbar2_ButtonClick("b3");
    ASSERT_EQ(WindowRegistry::LoadedNames(), QStringList{"frmDatiPerc"});
    EXPECT_FALSE(w.IsToolbar2Visible());
    ASSERT_NE(w.mdiArea()->subWindowList().size(), 0);
    w.mdiArea()->subWindowList().first()->close();   // the frame's close box
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(g_calls, QStringList{"frmDatiPerc.close"});   // its handler ran once
    EXPECT_TRUE(WindowRegistry::LoadedNames().isEmpty());
    EXPECT_TRUE(w.mdiArea()->subWindowList().isEmpty());
    EXPECT_TRUE(w.IsToolbar2Visible());
    // Loaded again, it is a new window.
    w.Toolbar2_ButtonClick("b3");
    EXPECT_EQ(WindowRegistry::LoadedNames(), QStringList{"frmDatiPerc"});
    // Closing the database closes it too, and the data toolbar goes with the file.
    w.mnuFileItem_Click(2);
    EXPECT_TRUE(WindowRegistry::LoadedNames().isEmpty());
    EXPECT_FALSE(w.IsToolbar2Visible());
}

TEST_F(CommandsTest, ModalWindowsEndWhenTheyCloseOrHide)
{
    Register("frmFind", [](QWidget *parent) { return new CommandWindow(parent); });
    MDIfrmBike &w = StartWithDatabase();
    for (bool hideOnly : {false, true}) {
        g_calls.clear();
        QTimer::singleShot(0, [hideOnly]() {
            QWidget *find = WindowRegistry::Find("frmFind");
            ASSERT_TRUE(find);
            if (hideOnly)
                find->hide();
            else
                find->close();
        });
        w.Toolbar1_ButtonClick("Find");   // returns when the window has ended
        EXPECT_EQ(g_calls, QStringList{"frmFind.close"}) << hideOnly;   // its handler ran once
        EXPECT_FALSE(WindowRegistry::Find("frmFind")) << hideOnly;
    }
}

TEST_F(CommandsTest, TimeWindowsKeepTheirRecordsetsOpen)
{
    MDIfrmBike &w = StartWithDatabase();
    Fill({"athletes", "climbs", "climbtimes"});
    w.Toolbar2_ButtonClick("b4");
    ASSERT_TRUE(AthletesRs && ClimbsRs && ClimbTimesRs);
    EXPECT_TRUE(AthletesRs->IsOpen() && ClimbsRs->IsOpen() && ClimbTimesRs->IsOpen());
    EXPECT_EQ(ClimbsRs->Value("IDPercorso").toString(), QStringLiteral("Stelvio"));
    WindowRegistry::Unload("frmTempiSal");
    w.Toolbar2_ButtonClick("b6");   // only a test: nothing stays open
    EXPECT_FALSE(ClimbTimesRs);
}

TEST_F(CommandsTest, UnregisteredWindowsAreAbsent)
{
    MDIfrmBike &w = StartWithDatabase();
    WindowRegistry::Unregister("frmDatiSal");
    w.Toolbar2_ButtonClick("b2");
    EXPECT_TRUE(WindowRegistry::LoadedNames().isEmpty());
    EXPECT_TRUE(w.IsToolbar2Visible());
    EXPECT_TRUE(TestSupport::Script().shown.empty());
    w.mnuState_Click();   // frmStates is nobody's here
    EXPECT_TRUE(WindowRegistry::LoadedNames().isEmpty());
}

TEST_F(CommandsTest, PrintRule)
{
    Register("frmAltimetria", [](QWidget *parent) { return new CommandWindow(parent); });
    Register("frmSamples", [](QWidget *parent) { return new CommandWindow(parent, true); });
    struct Case {
        const char *window;
        bool panel;
        std::optional<int> answer;   // the question's answer, nullopt: no question expected
        const char *call;            // nullptr: nothing printed
    } cases[] = {
        {"frmDatiPers", false, Vb::Yes, "MyPrint"},
        {"frmDatiPers", false, Vb::No, "MyPrint1"},
        {"frmDatiPers", false, Vb::Cancel, nullptr},
        {"frmDatiSal", false, Vb::Yes, "MyPrint"},
        {"frmDatiSal", false, Vb::Cancel, nullptr},
        {"frmDatiSal", true, std::nullopt, "MyPrint2"},
        {"frmDatiPerc", false, Vb::No, "MyPrint1"},
        {"frmDatiPerc", true, std::nullopt, "MyPrint2"},
        {"frmAngolo", false, std::nullopt, "MyPrint"},
        {"frmAltimetria", false, std::nullopt, "MyPrint"},
    };
    MDIfrmBike &w = StartWithDatabase();
    for (const Case &c : cases) {
        SCOPED_TRACE(std::string(c.window) + (c.panel ? " with panel" : ""));
        WindowRegistry::Register(c.window, [&c](QWidget *parent) { return new CommandWindow(parent, c.panel); });
        auto &script = TestSupport::ResetScript();
        if (c.answer)
            script.answers.push_back(*c.answer);
        g_calls.clear();
        ASSERT_TRUE(WindowRegistry::Show(c.window));
        w.Toolbar1_ButtonClick("Print");
        EXPECT_EQ(script.shown.size(), c.answer ? 1u : 0u);
        if (c.answer) {
            const int id = QString(c.window) == "frmDatiPers" ? 514 : QString(c.window) == "frmDatiSal" ? 515 : 516;
            EXPECT_EQ(script.messages(), QStringList{GetLangString(id)});
            EXPECT_EQ(script.shown[0].style, 35);
        }
        EXPECT_EQ(g_calls, c.call ? QStringList{QString(c.window) + "." + c.call} : QStringList{});
        WindowRegistry::Unload(c.window);
    }
}

TEST_F(CommandsTest, ExportsGoOnlyToRouteAndClimbWindows)
{
    MDIfrmBike &w = StartWithDatabase();
    WindowRegistry::Show("frmAngolo");
    w.mnuExportTxt_Click();
    w.Toolbar1_ButtonClick("XmlExport");
    EXPECT_TRUE(g_calls.isEmpty());
    WindowRegistry::Unload("frmAngolo");
    g_calls.clear();
    WindowRegistry::Show("frmDatiPerc");
    w.Toolbar1_ButtonClick("TxtExport");
    w.mnuSaveXML_Click();
    w.Toolbar1_ButtonClick("CrsExport");
    EXPECT_EQ(g_calls, (QStringList{"frmDatiPerc.Export", "frmDatiPerc.ExportXml", "frmDatiPerc.ExportCrs"}));
}

TEST_F(CommandsTest, RemoveFilterButtonWithoutAListWindowKeepsItsState)
{
    MDIfrmBike &w = StartWithDatabase();
    QAction *button = w.Toolbar1Button("RemoveFilter");
    for (bool pressed : {false, true}) {
        w.SetButtonValue("RemoveFilter", pressed ? 1 : 0);
        button->setEnabled(true);
        button->trigger();   // the click toggles, the handler undoes it
        EXPECT_EQ(w.ButtonValue("RemoveFilter"), pressed ? 1 : 0);
    }
    WindowRegistry::Show("frmAngolo");
    w.SetButtonValue("RemoveFilter", 0);
    button->trigger();   // a list without an active filter: stays unpressed
    EXPECT_EQ(w.ButtonValue("RemoveFilter"), 0);
}

TEST_F(CommandsTest, CancelledDatabaseToolShowsNothing)
{
    bool created = false;
    Register("frmCompact", [&created](QWidget *parent) {
        created = true;
        return new QWidget(parent);
    });
    MDIfrmBike &w = Start();
    TestSupport::Script().files.push_back(std::nullopt);
    w.mnuCompatta_Click();
    EXPECT_FALSE(created);
    ASSERT_EQ(TestSupport::Script().shown.size(), 1u);
    EXPECT_EQ(TestSupport::Script().shown[0].kind, QStringLiteral("open"));
    EXPECT_EQ(TestSupport::Script().shown[0].text, GetLangString(504));
    EXPECT_EQ(TestSupport::Script().shown[0].style, 0x1004);
}

TEST_F(CommandsTest, LinksOpenTheHomePageAndAMailWithoutBlank)
{
    UrlCatcher catcher;
    QDesktopServices::setUrlHandler("mailto", &catcher, "open");
    QDesktopServices::setUrlHandler("https", &catcher, "open");
    MDIfrmBike &w = Start();
    w.mnuMail_Click();
    w.mnuHomePage_Click();
    frmAbout about(&w);
    about.Label2_Click(6);
    // A double-click on a link opens it once; the lines that are no link open nothing.
    for (int index : {6, 0}) {
        QLabel *label = about.Label2(index);
        const QPointF at(2, 2);
        for (QEvent::Type type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease, QEvent::MouseButtonDblClick,
                                  QEvent::MouseButtonRelease}) {
            QMouseEvent event(type, at, label->mapToGlobal(at), Qt::LeftButton,
                              type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton, Qt::NoModifier);
            QCoreApplication::sendEvent(label, &event);
        }
    }
    QDesktopServices::unsetUrlHandler("mailto");
    QDesktopServices::unsetUrlHandler("https");
    ASSERT_EQ(catcher.urls.size(), 4);
    EXPECT_EQ(catcher.urls[0].toString(), QStringLiteral("mailto:info@vettaro.example?subject=Vettaro Info"));
    EXPECT_EQ(catcher.urls[1].scheme(), QStringLiteral("https"));
    EXPECT_EQ(catcher.urls[2], catcher.urls[0]);
    EXPECT_EQ(catcher.urls[3], catcher.urls[0]);
    EXPECT_TRUE(TestSupport::Script().shown.empty());
}

TEST_F(CommandsTest, ExitButtonClosesTheProgram)
{
    MDIfrmBike &w = StartWithDatabase();
    w.show();
    WindowRegistry::Show("frmDatiSal");
    w.Toolbar2Button("b0")->trigger();
    EXPECT_FALSE(w.isVisible());
    EXPECT_FALSE(CurrentDb->IsOpen());
    EXPECT_TRUE(WindowRegistry::LoadedNames().isEmpty());
}

TEST_F(CommandsTest, AboutWindow)
{
    MDIfrmBike &w = Start();
    frmAbout about(&w);
    EXPECT_TRUE(about.Label2(0)->text().startsWith("Version: "));
    const QString computer = about.Label2(3)->text();
    ASSERT_TRUE(computer.startsWith("Computer: "));
    EXPECT_EQ(computer.mid(10), computer.mid(10).toLower());
    EXPECT_FALSE(computer.mid(10).isEmpty());
    EXPECT_EQ(about.Label2(5)->toolTip(), GetLangString(1004));
    EXPECT_EQ(about.Command1()->text(), GetLangString(1009));
    const QString standard = about.Label1()->text();
    for (int i = 1; i <= 6; ++i) {
        about.Form_DblClick();
        const bool fifth = i == 5;
        EXPECT_EQ(about.Label1()->text() != standard, fifth) << i;
        EXPECT_EQ(about.Label1()->palette().color(QPalette::WindowText) == QColor(0, 0, 255), fifth) << i;
        EXPECT_EQ(about.Label1()->font().pointSize(), fifth ? 10 : 8) << i;
    }
}

TEST_F(CommandsTest, MenuItemsAndButtonsReachTheirWindowsAndHandlers)
{
    struct Case {
        const char *trigger;   // a Toolbar1 key or a menu item name
        const char *window;    // the window shown, or the command handler run
        bool modal;
    } cases[] = {
        {"Find", "frmFind", true},           {"mnuTool(0)", "frmFind", true},
        {"DataFilter", "DataFilter", true},  {"mnuTool(6)", "DataFilter", true},
        {"DbImport", "frmImport", true},     {"mnuImportDB", "frmImport", true},
        {"TxtImport", "frmTxtImport", true}, {"mnuTxtImport", "frmTxtImport", true},
        {"HrImport", "frmHRate", false},     {"mnuImport", "frmHRate", false},
        {"WebImport", "frmBrowser", false},  {"mnuWebImport", "frmBrowser", false},
        {"mnuState", "frmStates", false},
        {"SortAsc", "SortAsc", false},       {"mnuTool(2)", "SortAsc", false},
        {"SortDes", "SortDes", false},       {"mnuTool(3)", "SortDes", false},
        {"Filter", "Filter", false},         {"mnuTool(5)", "Filter", false},
    };
    MDIfrmBike &w = StartWithDatabase();
    QStringList handled;
    for (const char *command : {"SortAsc", "SortDes", "Filter"})
        w.SetCommandHandler(QString::fromUtf8(command), [&handled, command]() { handled << QString::fromUtf8(command); });
    for (const char *name : {"frmFind", "DataFilter", "frmImport", "frmTxtImport", "frmHRate", "frmStates"})
        Register(QString::fromLatin1(name), [](QWidget *parent) {
            g_calls << "loaded";
            return new CommandWindow(parent);
        });
    Register("frmBrowser", [](QWidget *parent) { return new BrowserStandIn(parent); });
    // The commands that the data windows switch on.
    for (const char *key : {"Find", "SortAsc", "SortDes", "Filter", "DataFilter", "mnuTool"})
        w.EnableCommand(QString::fromLatin1(key), true);

    for (const Case &c : cases) {
        SCOPED_TRACE(c.trigger);
        const QString trigger = QString::fromUtf8(c.trigger), window = QString::fromUtf8(c.window);
        QAction *action = trigger.startsWith("mnu") ? w.MenuItem(trigger) : w.Toolbar1Button(trigger);
        ASSERT_TRUE(action);
        g_calls.clear();
        handled.clear();
        if (c.modal)
            QTimer::singleShot(0, [window]() {
                if (QWidget *shown = WindowRegistry::Find(window))
                    shown->close();
            });
        action->trigger();
        if (WindowRegistry::IsRegistered(window)) {
            EXPECT_EQ(g_calls.value(0), QStringLiteral("loaded"));
            // A modal window has ended when the command returns; the others stay open.
            EXPECT_EQ(WindowRegistry::Find(window) == nullptr, c.modal);
            if (window == "frmBrowser") {
                ASSERT_TRUE(WindowRegistry::Find(window));
                auto *browser = dynamic_cast<BrowserStandIn *>(WindowRegistry::Find(window));
                ASSERT_TRUE(browser);
                EXPECT_EQ(browser->startingAddress, WebImportAddress());
            }
            WindowRegistry::Unload(window);
        } else {
            EXPECT_EQ(handled, QStringList{window});
        }
    }
    EXPECT_TRUE(TestSupport::Script().shown.empty());
}

TEST_F(CommandsTest, DataWindowLoadsUnderTheHourglassWithTheWaitText)
{
    struct Seen {
        QString status, previousForm;
        int pointer = -1;
    } seen;
    Register("frmDatiSal", [&seen](QWidget *parent) {
        MDIfrmBike *main = MDIfrmBike::instance();
        seen = {main->StatusPanelText(1), DataFormName, main->MousePointer()};
        return new CommandWindow(parent);
    });
    MDIfrmBike &w = StartWithDatabase();
    w.Toolbar2_ButtonClick("b1");
    WindowRegistry::Unload("frmDatiPers");
    w.Toolbar2_ButtonClick("b2");
    EXPECT_EQ(seen.status, FormatLangString(GetLangString(28021), {GetLangString(535)}));
    EXPECT_EQ(seen.pointer, 11);
    EXPECT_EQ(seen.previousForm, QStringLiteral("frmDatiPers"));   // the load runs before the name changes
    EXPECT_EQ(DataFormName, QStringLiteral("frmDatiSal"));
    EXPECT_EQ(w.MousePointer(), 0);
    EXPECT_EQ(w.StatusPanelText(1), QLatin1Char(' ') + GetLangString(28020));
}

TEST_F(CommandsTest, DataToolbarFailureIsADataError)
{
    MDIfrmBike &w = StartWithDatabase();
    CurrentDb->DeleteQuery("Riepilogo per Atleta");   // the summary cannot be opened
    w.Toolbar2_ButtonClick("b9");
    ASSERT_EQ(TestSupport::Script().messages().size(), 1);
    EXPECT_TRUE(TestSupport::Script().messages()[0].startsWith("Error ")) << TestSupport::Script().messages()[0].toStdString();
    EXPECT_EQ(TestSupport::Script().shown[0].style, 48);
    EXPECT_TRUE(WindowRegistry::LoadedNames().isEmpty());
    EXPECT_TRUE(w.IsToolbar2Visible());
    EXPECT_EQ(w.StatusPanelText(1), QLatin1Char(' ') + GetLangString(28020));
    EXPECT_EQ(w.MousePointer(), 0);
}

// A list window of one athlete: removing its filter rebuilds the list, and
// with it unpresses the remove-filter button.
class ListWindow : public QWidget, public AthleteListInterface {
    Q_OBJECT
    Q_INTERFACES(AthleteListInterface)
public:
    explicit ListWindow(QWidget *parent) : QWidget(parent) {}
    QString currentAthlete() const override { return QStringLiteral("ROSSI"); }
    bool filterActive() const override { return MDIfrmBike::instance()->ButtonValue("RemoveFilter") != 0; }
    void removeFilter() override
    {
        ++rebuilt;
        MDIfrmBike::instance()->SetButtonValue("RemoveFilter", 0);
    }
    QString athleteSurname() const override { return QString(); }
    QString athleteFirstName() const override { return QString(); }
    dao::RecordsetPtr listRows() const override { return nullptr; }
    int rebuilt = 0;
};

TEST_F(CommandsTest, RemoveFiltersRebuildsAListOnlyWhileAFilterIsActive)
{
    struct Case {
        const char *window;
        bool menu;           // the Record menu item, else the toolbar button
        bool filterActive;   // the button is pressed before the command
        int rebuilt;
    } cases[] = {
        {"frmAngolo", true, true, 1},    {"frmAngolo", true, false, 0},
        {"frmAngolo", false, true, 1},   {"frmAngolo", false, false, 0},
        {"frmPrestAll", true, true, 1},  {"frmPrestAll", false, true, 1},
    };
    MDIfrmBike &w = StartWithDatabase();
    Fill({"athletes"});
    for (const char *name : {"frmAngolo", "frmPrestAll"})
        Register(QString::fromLatin1(name), [](QWidget *parent) { return new ListWindow(parent); });
    w.EnableCommand("mnuTool", true);
    w.EnableCommand("RemoveFilter", true);
    for (const Case &c : cases) {
        SCOPED_TRACE(std::string(c.window) + (c.menu ? " menu" : " button") + (c.filterActive ? " filtered" : ""));
        auto *list = static_cast<ListWindow *>(WindowRegistry::Show(c.window));
        ASSERT_TRUE(list);
        w.SetButtonValue("RemoveFilter", c.filterActive ? 1 : 0);
        if (c.menu)
            w.MenuItem("mnuTool(7)")->trigger();
        else
            w.Toolbar1Button("RemoveFilter")->trigger();
        EXPECT_EQ(list->rebuilt, c.rebuilt);
        EXPECT_EQ(w.ButtonValue("RemoveFilter"), 0);
        WindowRegistry::Unload(c.window);
    }
}

TEST_F(CommandsTest, DatabaseToolsAskForTheFileThenShowTheirWindow)
{
    struct Case {
        const char *item;
        int title;
        const char *window;
        const char *defaultExt;   // what the dialog is given
    } cases[] = {
        {"mnuCompatta", 504, "frmCompact", "mdb"},
        {"mnuConverti", 505, "frmConvert", "mdb"},
        {"mnuRipara", 518, "frmRepair", "xyz"},   // repair keeps the last default extension
    };
    MDIfrmBike &w = Start();
    const QString chosen = Docs("old.mdb");
    for (const Case &c : cases) {
        SCOPED_TRACE(c.item);
        QString pathSeen;
        Register(QString::fromLatin1(c.window), [&pathSeen](QWidget *parent) {
            pathSeen = cmDlg1.FileName;   // the tool takes its file from the dialog
            return new QDialog(parent);
        });
        const QString window = QString::fromLatin1(c.window);
        QTimer::singleShot(0, [window]() {
            if (auto *d = qobject_cast<QDialog *>(WindowRegistry::Find(window)))
                d->accept();
        });
        cmDlg1.DefaultExt = "xyz";
        cmDlg1.FileName = "left over";
        auto &script = TestSupport::ResetScript();
        script.files.push_back(chosen);
        w.MenuItem(c.item)->trigger();
        EXPECT_EQ(pathSeen, chosen);
        EXPECT_FALSE(WindowRegistry::Find(window));   // modal: ended with the command
        ASSERT_EQ(script.shown.size(), 1u);
        const FileDialogRequest &r = script.shown[0].request;
        EXPECT_EQ(script.shown[0].kind, QStringLiteral("open"));
        EXPECT_EQ(r.title, GetLangString(c.title));
        EXPECT_EQ(r.flags, 0x1004);
        EXPECT_EQ(r.filter, QStringLiteral("Vettarodb file (*.mdb)|*.mdb|"));
        EXPECT_EQ(r.filterIndex, 1);
        EXPECT_TRUE(r.fileName.isEmpty());
        EXPECT_EQ(r.defaultExt, QString::fromLatin1(c.defaultExt));
        EXPECT_EQ(QFileInfo(r.initDir).absoluteFilePath(), QFileInfo(Docs("")).absolutePath());
    }
}

TEST_F(CommandsTest, PrinterSetUpChangesTheSharedPrinter)
{
    MDIfrmBike &w = Start();
    for (bool accepted : {true, false}) {
        auto &script = TestSupport::ResetScript();
        script.printers.push_back(accepted);
        cmDlg1.Printer = nullptr;
        w.MenuItem("mnuSetPrint")->trigger();
        ASSERT_EQ(script.shown.size(), 1u) << accepted;
        EXPECT_EQ(script.shown[0].kind, QStringLiteral("printer"));
        EXPECT_EQ(cmDlg1.Printer, DefaultPrinter());
        EXPECT_EQ(cmDlg1.Flags, 0x40);
    }
}

// The set-up dialog works on the device the prints draw on: a PDF file chosen
// there receives the next printout.
TEST_F(CommandsTest, PrinterSetUpReachesThePrintouts)
{
    MDIfrmBike &w = Start();
    TestSupport::ResetScript().printers.push_back(true);
    cmDlg1.Printer = nullptr;
    w.MenuItem("mnuSetPrint")->trigger();
    ASSERT_NE(cmDlg1.Printer, nullptr);
    QTemporaryDir dir;
    const QString pdf = dir.filePath(QStringLiteral("chosen.pdf"));
    // What the dialog does when the user picks "Print to File (PDF)".
    cmDlg1.Printer->setOutputFormat(QPrinter::PdfFormat);
    cmDlg1.Printer->setOutputFileName(pdf);
    const QString before = SharedPrinter().OutputFileName();
    SharedPrinter().Print(QStringLiteral("Card"));
    SharedPrinter().EndDoc();
    SharedPrinter().SetOutputFileName(before);
    EXPECT_TRUE(QFileInfo(pdf).size() > 0);
}

#include "mainwindow_commands_test.moc"
