// The web import browser: its history, caption and timer rules over a
// stand-in page view, the Import key against a loopback HTTP server, and the
// real WebEngine view loading a loopback page.
#include "records/window_fixture.h"

#include "core/MDIfrmBike.h"
#include "platform/xml/XmlDocument.h"
#include "platform/xml_http_server.h"
#include "tools/WebEnginePane.h"
#include "tools/frmBrowser.h"

#include <QAction>
#include <QElapsedTimer>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>

using TestSupport::Script;

namespace {

// A page view that loads only when the test says so.
class StandInPane : public WebPane {
public:
    using WebPane::WebPane;
    QList<QUrl> navigations;
    QStringList calls;
    bool loading = false;
    QString title;
    QString url;

    void navigate(const QUrl &u) override
    {
        navigations << u;
        loading = true;
        emit loadStarted();
    }
    void goBack() override { calls << "back"; }
    void goForward() override { calls << "forward"; }
    void reload() override { calls << "reload"; }
    void stop() override
    {
        calls << "stop";
        loading = false;
    }
    bool busy() const override { return loading; }
    QString locationName() const override { return title; }
    QString locationUrl() const override { return url; }

    // The page at u, titled t, has loaded.
    void complete(const QString &u, const QString &t)
    {
        url = u;
        title = t;
        loading = false;
        emit titleChanged(t);
        emit loadFinished(true);
    }
};

QStringList Items(const QComboBox *combo)
{
    QStringList out;
    for (int i = 0; i < combo->count(); ++i)
        out << combo->itemText(i);
    return out;
}

QByteArray RaceDocument(const QByteArray &name, const QByteArray &body)
{
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?><races><race idName=\"" + name + "\" type=\"climb\">" + body
           + "</race></races>";
}

const QByteArray kClimb = RaceDocument("Web climb", "<lenght>3.5</lenght><startHeight>100</startHeight>"
                                                    "<endHeight>400</endHeight><samples>"
                                                    "<sample><distance>0</distance><height>100</height></sample>"
                                                    "<sample><distance>3.5</distance><height>400</height></sample>"
                                                    "</samples>");

// Records, with each message box, whether the hourglass was still shown.
class CursorWatchingPrompts : public ScriptedPromptProvider {
public:
    QList<bool> busyAtMessage;
    int messageBox(const QString &text, int style, const QString &title) override
    {
        busyAtMessage << (QApplication::overrideCursor() != nullptr);
        return ScriptedPromptProvider::messageBox(text, style, title);
    }
};

class BrowserTest : public CardWindowTest {
protected:
    void SetUp() override
    {
        CardWindowTest::SetUp();
        m_previous = frmBrowser::SetWebPaneFactory([this](QWidget *parent) {
            m_pane = new StandInPane(parent);
            return m_pane;
        });
    }
    void TearDown() override
    {
        m_browser.reset();
        frmBrowser::SetWebPaneFactory(m_previous);
        xml::SetInternetConnectedOverride(std::nullopt);
        CardWindowTest::TearDown();
    }

    frmBrowser &OpenBrowser(const QString &startingAddress)
    {
        m_browser = std::make_unique<frmBrowser>();
        m_browser->setStartingAddress(startingAddress);
        m_browser->show();
        QApplication::processEvents();
        return *m_browser;
    }
    // A key as the keyboard gives it: to the combo, which has the focus.
    void Press(int key) { Key(m_browser->cboAddress, key); }
    void Type(const QString &text)
    {
        m_browser->cboAddress->lineEdit()->setText(text);
        Press(Qt::Key_Return);
    }
    void Click(const char *key) { m_browser->Button(QLatin1String(key))->trigger(); }

    std::unique_ptr<frmBrowser> m_browser;
    StandInPane *m_pane = nullptr;
    WebPaneFactory m_previous;
};

} // namespace

TEST_F(BrowserTest, WithoutStartingAddressNothingLoads)
{
    frmBrowser &b = OpenBrowser(QString());
    EXPECT_EQ(b.cboAddress->currentText(), "");
    EXPECT_EQ(b.cboAddress->count(), 0);
    EXPECT_TRUE(m_pane->navigations.isEmpty());
    EXPECT_FALSE(b.timTimer->isActive());
    EXPECT_EQ(b.Button("Import")->toolTip(), GetLangString(11000));
    EXPECT_EQ(b.lblAddress->text(), GetLangString(11001));
}

TEST_F(BrowserTest, CompletedNavigationsKeepOneEntryEachNewestFirst)
{
    frmBrowser &b = OpenBrowser("http://127.0.0.1:1/start");
    EXPECT_EQ(Items(b.cboAddress), QStringList{"http://127.0.0.1:1/start"});
    ASSERT_EQ(m_pane->navigations, QList<QUrl>{QUrl("http://127.0.0.1:1/start")});
    EXPECT_TRUE(b.timTimer->isActive());

    // The browser reports the same text: the starting entry is replaced.
    m_pane->complete("http://127.0.0.1:1/start", "Start page");
    EXPECT_EQ(Items(b.cboAddress), QStringList{"http://127.0.0.1:1/start"});
    EXPECT_EQ(b.windowTitle(), "Start page");

    // Enter navigates to the typed text; the rewrite of the list afterwards
    // starts no second navigation.
    Type("http://127.0.0.1:1/b");
    ASSERT_EQ(m_pane->navigations.size(), 2);
    EXPECT_EQ(m_pane->navigations.last(), QUrl("http://127.0.0.1:1/b"));
    m_pane->complete("http://127.0.0.1:1/b", "B");
    m_pane->complete("http://127.0.0.1:1/B", "B upper");
    m_pane->complete("http://127.0.0.1:1/b", "B again");
    EXPECT_EQ(m_pane->navigations.size(), 2);
    EXPECT_EQ(Items(b.cboAddress),
              (QStringList{"http://127.0.0.1:1/b", "http://127.0.0.1:1/B", "http://127.0.0.1:1/start"}));
    EXPECT_EQ(b.cboAddress->currentIndex(), 0);
    EXPECT_EQ(b.cboAddress->currentText(), "http://127.0.0.1:1/b");
    EXPECT_FALSE(b.NavigateSuppressed());

    // Choosing an entry of the list navigates to it, once.
    b.cboAddress->setCurrentIndex(2);
    emit b.cboAddress->activated(2);
    ASSERT_EQ(m_pane->navigations.size(), 3);
    EXPECT_EQ(m_pane->navigations.last(), QUrl("http://127.0.0.1:1/start"));
    m_pane->complete("http://127.0.0.1:1/start", "Start page");
    EXPECT_EQ(m_pane->navigations.size(), 3);
    EXPECT_EQ(Items(b.cboAddress).first(), "http://127.0.0.1:1/start");
    EXPECT_EQ(b.cboAddress->count(), 3);
}

TEST_F(BrowserTest, EnterReadsTheAddressAsMeantAndAddsNothingItself)
{
    frmBrowser &b = OpenBrowser(QString());
    Type("abc");
    Type("");
    Type("javascript:alert(document.cookie)");
    Type("  www.example.org/races.xml ");
    EXPECT_EQ(m_pane->navigations, (QList<QUrl>{QUrl("http://abc"), QUrl("http://www.example.org/races.xml")}));
    EXPECT_EQ(b.cboAddress->count(), 0);   // only completed loads enter the list
    EXPECT_EQ(b.cboAddress->currentText(), "  www.example.org/races.xml ");   // the key typed nothing
}

TEST_F(BrowserTest, TimerShowsProgressUntilThePageIsIdle)
{
    frmBrowser &b = OpenBrowser("http://127.0.0.1:1/");
    ASSERT_TRUE(m_pane->busy());
    b.timTimer_Timer();
    EXPECT_EQ(b.windowTitle(), GetLangString(11507));
    EXPECT_TRUE(b.timTimer->isActive());
    m_pane->title = "Loaded";
    m_pane->loading = false;
    b.timTimer_Timer();
    EXPECT_EQ(b.windowTitle(), "Loaded");
    EXPECT_FALSE(b.timTimer->isActive());

    // Stop: the timer goes off and the title shows at once.
    Type("http://127.0.0.1:1/slow");
    EXPECT_TRUE(b.timTimer->isActive());
    b.timTimer_Timer();
    ASSERT_EQ(b.windowTitle(), GetLangString(11507));
    m_pane->title = "Half a page";
    Click("Stop");
    EXPECT_FALSE(b.timTimer->isActive());
    EXPECT_EQ(b.windowTitle(), "Half a page");
    EXPECT_EQ(m_pane->calls, QStringList{"stop"});
}

TEST_F(BrowserTest, ToolbarKeysDriveThePageAndStartTheTimer)
{
    struct Case {
        const char *key;
        QString call;   // call on the view, or empty
        QUrl navigation;   // navigation started, or empty
    };
    const Case cases[] = {
        {"Back", "back", {}},
        {"Forward", "forward", {}},
        {"Refresh", "reload", {}},
        {"Home", {}, QUrl(WebImportAddress())},
        {"Search", {}, QUrl("https://duckduckgo.com/")},
    };
    frmBrowser &b = OpenBrowser(QString());
    for (const Case &c : cases) {
        b.timTimer->stop();
        m_pane->calls.clear();
        m_pane->navigations.clear();
        QToolButton *button = qobject_cast<QToolButton *>(b.tbToolBar->widgetForAction(b.Button(c.key)));
        ASSERT_TRUE(button) << c.key;
        EXPECT_FALSE(button->toolTip().isEmpty()) << c.key;
        button->click();
        EXPECT_TRUE(b.timTimer->isActive()) << c.key;
        EXPECT_EQ(m_pane->calls, c.call.isEmpty() ? QStringList() : QStringList{c.call}) << c.key;
        EXPECT_EQ(m_pane->navigations, c.navigation.isEmpty() ? QList<QUrl>() : QList<QUrl>{c.navigation}) << c.key;
    }
}

TEST_F(BrowserTest, ImportReportsEachOutcomeWithTheHourglassGone)
{
    LoopbackHttpServer server;
    ASSERT_TRUE(server.listening());
    server.route("/climb.xml", {200, kClimb, 0, "text/xml"});
    server.route("/page.html", {200, "<html><head><title>Races</title></head><body><p>Hi<br></body></html>", 0,
                                "text/html"});
    server.route("/schema.xml", {200, "<?xml version=\"1.0\"?><climbs><climb/></climbs>", 0, "text/xml"});
    server.route("/slow.xml", {200, RaceDocument("Slow climb", ""), 3000, "text/xml"});
    server.route("/huge.xml", {200, "<races><race idName=\"Huge\">", 0, "text/xml", 1024LL * 1024 * 1024});
    const QString local = Path("local.xml");
    {
        QFile f(local);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(RaceDocument("Local climb", "<samples><sample><distance>0</distance><height>5</height></sample>"
                                            "</samples>"));
    }
    const QString imported = FormatLangString(GetLangString(11500), {"Web climb"});

    struct Case {
        const char *what;
        QString address;
        bool online;
        QStringList messages;
        QList<int> styles;
    };
    const QString message549 = FormatLangString(GetLangString(549), {"Web climb"});
    const Case cases[] = {
        {"a served climb", server.url("/climb.xml"), true, {imported}, {64}},
        {"the same again", server.url("/climb.xml"), true, {message549}, {48}},
        {"not found", server.url("/missing.xml"), true, {GetLangString(11503)}, {48}},
        {"an HTML page", server.url("/page.html"), true, {GetLangString(11503)}, {48}},
        {"another schema", server.url("/schema.xml"), true, {GetLangString(11505)}, {48}},
        {"past the time-out", server.url("/slow.xml"), true, {GetLangString(11504)}, {48}},
        {"a claimed gigabyte", server.url("/huge.xml"), true, {FormatLangString(GetLangString(171), {"96"})}, {48}},
        {"off line", server.url("/climb.xml"), false, {GetLangString(11501)}, {48}},
        {"a local file off line", local, false,
         {FormatLangString(GetLangString(11500), {"Local climb"})}, {64}},
        {"a file address off line", QUrl::fromLocalFile(local).toString(), false,
         {FormatLangString(GetLangString(549), {"Local climb"})}, {48}},
        {"no address", "", true, {GetLangString(11502)}, {48}},
        {"a script address", "javascript:alert(1)", true, {GetLangString(11502)}, {48}},
    };
    frmBrowser &b = OpenBrowser(QString());
    b.setImportTimeout(0.5);
    for (const Case &c : cases) {
        auto prompts = std::make_shared<CursorWatchingPrompts>();
        SetPromptProvider(prompts);
        xml::SetInternetConnectedOverride(c.online);
        b.cboAddress->setEditText(c.address);
        QElapsedTimer clock;
        clock.start();
        Click("Import");
        EXPECT_LT(clock.elapsed(), 2500) << c.what;
        EXPECT_EQ(prompts->messages(), c.messages) << c.what;
        QList<int> styles;
        for (const auto &shown : prompts->shown)
            styles << shown.style;
        EXPECT_EQ(styles, c.styles) << c.what;
        EXPECT_EQ(prompts->busyAtMessage, QList<bool>(c.messages.size(), false)) << c.what;
        EXPECT_EQ(QApplication::overrideCursor(), nullptr) << c.what;
        EXPECT_FALSE(b.Importing());
    }
    TestSupport::ResetScript();
    EXPECT_EQ(Count("SELECT * FROM [Dati Salite] WHERE IDPercorso='Web climb'"), 1);
    EXPECT_EQ(Count("SELECT * FROM [CampioniSalite] WHERE IDPercorso='Web climb'"), 2);
    EXPECT_EQ(Count("SELECT * FROM [Dati Salite] WHERE IDPercorso IN ('Slow climb', 'Huge')"), 0);
    EXPECT_EQ(Count("SELECT * FROM [Dati Salite] WHERE IDPercorso='Local climb'"), 1);
    EXPECT_TRUE(m_pane->navigations.isEmpty());   // the import never moves the page
}

// A document that never ends is refused once past the size cap, well before
// the import's own time-out.
TEST_F(BrowserTest, ImportOfADocumentThatNeverEndsIsRefused)
{
    LoopbackHttpServer server;
    LoopbackHttpServer::Route endless{200, "<races><race idName=\"Endless\">", 0, "text/xml"};
    endless.body += QByteArray(1024 * 1024, ' ');
    endless.endless = true;
    server.route("/endless.xml", endless);
    xml::SetInternetConnectedOverride(true);
    frmBrowser &b = OpenBrowser(QString());
    b.setImportTimeout(60);
    b.cboAddress->setEditText(server.url("/endless.xml"));
    QElapsedTimer clock;
    clock.start();
    Click("Import");
    EXPECT_LT(clock.elapsed(), 50000);
    EXPECT_EQ(Script().messages(), QStringList{FormatLangString(GetLangString(171), {"96"})});
    EXPECT_EQ(Count("SELECT * FROM [Dati Salite] WHERE IDPercorso='Endless'"), 0);
}

TEST_F(BrowserTest, ImportIntoARefusingDatabaseKeepsNothingAndSaysSo)
{
    CurrentDb->ExecuteScript(QStringLiteral("CREATE TRIGGER refuse BEFORE INSERT ON CampioniSalite "
                                            "BEGIN SELECT RAISE(ABORT, 'samples refused'); END;"));
    LoopbackHttpServer server;
    server.route("/climb.xml", {200, kClimb, 0, "text/xml"});
    xml::SetInternetConnectedOverride(true);
    frmBrowser &b = OpenBrowser(QString());
    b.cboAddress->setEditText(server.url("/climb.xml"));
    auto prompts = std::make_shared<CursorWatchingPrompts>();
    SetPromptProvider(prompts);
    Click("Import");
    TestSupport::ResetScript();
    EXPECT_EQ(prompts->busyAtMessage, (QList<bool>{false, false}));
    const QStringList messages = prompts->messages();
    ASSERT_EQ(messages.size(), 2);
    EXPECT_TRUE(messages[0].startsWith("Error ")) << messages[0].toStdString();
    EXPECT_TRUE(messages[0].contains("samples refused")) << messages[0].toStdString();
    EXPECT_EQ(messages[1], GetLangString(11506));
    EXPECT_EQ(Count("SELECT * FROM [Dati Salite] WHERE IDPercorso='Web climb'"), 0);
}

TEST_F(BrowserTest, ImportClickedAgainWhileRunningIsIgnoredAndTheWindowStays)
{
    LoopbackHttpServer server;
    server.route("/slow.xml", {200, kClimb, 700, "text/xml"});
    xml::SetInternetConnectedOverride(true);
    frmBrowser &b = OpenBrowser(QString());
    b.cboAddress->setEditText(server.url("/slow.xml"));
    bool closed = true;
    QTimer::singleShot(150, &b, [&] {
        EXPECT_TRUE(b.Importing());
        Click("Import");
        closed = b.close();
    });
    Click("Import");
    EXPECT_FALSE(closed);
    EXPECT_EQ(server.requests(), 1);
    EXPECT_EQ(Script().messages(), QStringList{FormatLangString(GetLangString(11500), {"Web climb"})});
    EXPECT_TRUE(b.close());
}

// The real page view: a loopback page loaded twice leaves one history entry
// and gives its title as the caption.
TEST_F(BrowserTest, WebEngineLoadsALoopbackPage)
{
    frmBrowser::SetWebPaneFactory({});
    LoopbackHttpServer server;
    server.route("/index.html", {200, "<html><head><title>Loopback races</title></head><body>races</body></html>",
                                 0, "text/html"});
    frmBrowser &b = OpenBrowser(server.url("/index.html"));
    ASSERT_TRUE(qobject_cast<WebEnginePane *>(b.brwWebBrowser));
    int finished = 0;
    QObject::connect(b.brwWebBrowser, &WebPane::loadFinished, &b, [&finished] { ++finished; });
    auto waitIdle = [&](int loads) {
        QElapsedTimer clock;
        clock.start();
        while ((finished < loads || b.timTimer->isActive()) && clock.elapsed() < 30000)
            QApplication::processEvents(QEventLoop::AllEvents, 50);
        ASSERT_EQ(finished, loads);
    };
    waitIdle(1);
    EXPECT_EQ(b.windowTitle(), "Loopback races");
    EXPECT_EQ(Items(b.cboAddress), QStringList{server.url("/index.html")});
    Type(server.url("/index.html"));
    waitIdle(2);
    EXPECT_EQ(b.windowTitle(), "Loopback races");
    EXPECT_EQ(Items(b.cboAddress), QStringList{server.url("/index.html")});
}
