#include "tools/frmBrowser.h"

#include "core/LangClient.h"
#include "core/MDIfrmBike.h"
#include "core/XmlRaces.h"
#include "platform/ui/BusyCursor.h"
#include "platform/ui/Prompt.h"
#include "tools/WebEnginePane.h"
#include "tools/logic/BrowserLogic.h"

#include <QAction>
#include <QCloseEvent>
#include <QComboBox>
#include <QCompleter>
#include <QDir>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPainterPath>
#include <QPointer>
#include <QTimer>
#include <QToolBar>
#include <QVBoxLayout>

#include <cmath>

namespace {

WebPaneFactory &PaneFactory()
{
    static WebPaneFactory factory;
    return factory;
}

// The search page of the Search key.
QString SearchAddress() { return QStringLiteral("https://duckduckgo.com/"); }

// The toolbar keys in their order, with the text numbers of their tool tips
// (the Import key's is set by UpdateControls).
struct ToolKey {
    const char *key;
    int tipId;
};
constexpr ToolKey Keys[] = {{"Back", 11002},  {"Forward", 11003}, {"Refresh", 11004}, {"Home", 11005},
                            {"Search", 11006}, {"Stop", 11007},   {"Import", 11000}};

// Toolbar pictures, drawn rather than shipped.
QIcon DrawToolIcon(const QString &key)
{
    constexpr int S = 24;
    QPixmap pm(S, S);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    const QColor ink(0x33, 0x4a, 0x66);
    QPen pen(ink, 2.4, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
    p.setPen(pen);
    auto arrowHead = [&p](QPointF tip, QPointF a, QPointF b, const QColor &c) {
        QPainterPath path;
        path.moveTo(tip);
        path.lineTo(a);
        path.lineTo(b);
        path.closeSubpath();
        p.fillPath(path, c);
    };
    if (key == QLatin1String("Back") || key == QLatin1String("Forward")) {
        const bool back = key == QLatin1String("Back");
        const qreal dir = back ? -1 : 1;
        p.drawLine(QPointF(12 - 7 * dir, 12), QPointF(12 + 3 * dir, 12));
        arrowHead(QPointF(12 + 9 * dir, 12), QPointF(12 + 1 * dir, 5), QPointF(12 + 1 * dir, 19), ink);
    } else if (key == QLatin1String("Refresh")) {
        p.drawArc(QRectF(5, 5, 14, 14), 90 * 16, 270 * 16);
        arrowHead(QPointF(17, 5), QPointF(11, 1), QPointF(11, 9), ink);
    } else if (key == QLatin1String("Home")) {
        QPainterPath house;
        house.moveTo(4, 12);
        house.lineTo(12, 4);
        house.lineTo(20, 12);
        p.drawPath(house);
        p.drawRect(QRectF(7, 12, 10, 8));
        p.fillRect(QRectF(10.5, 15, 3, 5), ink);
    } else if (key == QLatin1String("Search")) {
        p.drawEllipse(QRectF(4, 4, 11, 11));
        pen.setWidthF(3.2);
        p.setPen(pen);
        p.drawLine(QPointF(14, 14), QPointF(20, 20));
    } else if (key == QLatin1String("Stop")) {
        QPolygonF octagon;
        for (int i = 0; i < 8; ++i) {
            const qreal a = (22.5 + 45 * i) * M_PI / 180.0;
            octagon << QPointF(12 + 9.5 * std::cos(a), 12 + 9.5 * std::sin(a));
        }
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(0xc0, 0x30, 0x30));
        p.drawPolygon(octagon);
        p.setPen(QPen(Qt::white, 2.4, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(8.5, 8.5), QPointF(15.5, 15.5));
        p.drawLine(QPointF(15.5, 8.5), QPointF(8.5, 15.5));
    } else if (key == QLatin1String("Import")) {
        const QColor green(0x2e, 0x7d, 0x32);
        p.setPen(QPen(green, 2.6, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(12, 3), QPointF(12, 11));
        arrowHead(QPointF(12, 16), QPointF(6.5, 10), QPointF(17.5, 10), green);
        p.setPen(pen);
        QPainterPath tray;
        tray.moveTo(4, 15);
        tray.lineTo(4, 20);
        tray.lineTo(20, 20);
        tray.lineTo(20, 15);
        p.drawPath(tray);
    }
    p.end();
    return QIcon(pm);
}

} // namespace

WebPaneFactory frmBrowser::SetWebPaneFactory(WebPaneFactory factory)
{
    WebPaneFactory previous = PaneFactory();
    PaneFactory() = std::move(factory);
    return previous;
}

frmBrowser::frmBrowser(QWidget *parent)
    : QWidget(parent)
{
    setObjectName(QStringLiteral("frmBrowser"));
    auto *l = new QVBoxLayout(this);
    l->setContentsMargins(0, 0, 0, 0);
    l->setSpacing(0);

    tbToolBar = new QToolBar(this);
    tbToolBar->setObjectName(QStringLiteral("tbToolBar"));
    tbToolBar->setIconSize(QSize(24, 24));
    for (const ToolKey &k : Keys) {
        const QString key = QLatin1String(k.key);
        if (key == QLatin1String("Import"))
            tbToolBar->addSeparator();
        QAction *a = tbToolBar->addAction(DrawToolIcon(key), QString());
        a->setObjectName(key);
        connect(a, &QAction::triggered, this, [this, key] { tbToolBar_ButtonClick(key); });
    }
    l->addWidget(tbToolBar);

    picAddress = new QWidget(this);
    picAddress->setObjectName(QStringLiteral("picAddress"));
    auto *al = new QVBoxLayout(picAddress);
    al->setContentsMargins(3, 2, 3, 3);
    al->setSpacing(1);
    lblAddress = new QLabel(picAddress);
    lblAddress->setObjectName(QStringLiteral("lblAddress"));
    al->addWidget(lblAddress);
    cboAddress = new QComboBox(picAddress);
    cboAddress->setObjectName(QStringLiteral("cboAddress"));
    cboAddress->setEditable(true);
    // The window keeps the list itself (CompletedHistory); Enter only navigates.
    cboAddress->setInsertPolicy(QComboBox::NoInsert);
    cboAddress->setDuplicatesEnabled(true);
    cboAddress->completer()->setCaseSensitivity(Qt::CaseSensitive);
    // The combo has the keyboard focus and hands keys to its edit box
    // directly, so Enter is caught on the combo.
    cboAddress->installEventFilter(this);
    connect(cboAddress, &QComboBox::activated, this, [this](int) { cboAddress_Click(); });
    al->addWidget(cboAddress);
    lblAddress->setBuddy(cboAddress);
    l->addWidget(picAddress);

    const WebPaneFactory &factory = PaneFactory();
    brwWebBrowser = factory ? factory(this) : new WebEnginePane(this);
    brwWebBrowser->setObjectName(QStringLiteral("brwWebBrowser"));
    l->addWidget(brwWebBrowser, 1);
    connect(brwWebBrowser, &WebPane::loadFinished, this, [this](bool ok) {
        if (ok)
            brwWebBrowser_NavigateComplete2();
        else
            brwWebBrowser_DownloadComplete();
    });
    connect(brwWebBrowser, &WebPane::titleChanged, this, [this] { brwWebBrowser_DownloadComplete(); });

    timTimer = new QTimer(this);
    timTimer->setObjectName(QStringLiteral("timTimer"));
    timTimer->setInterval(500);
    connect(timTimer, &QTimer::timeout, this, &frmBrowser::timTimer_Timer);

    setWindowTitle(GetLangString(11000));
    UpdateControls();
}

QAction *frmBrowser::Button(const QString &key) const
{
    for (QAction *a : tbToolBar->actions())
        if (a->objectName() == key)
            return a;
    return nullptr;
}

void frmBrowser::UpdateControls()
{
    for (const ToolKey &k : Keys)
        if (QAction *a = Button(QLatin1String(k.key)))
            a->setToolTip(GetLangString(k.tipId));
    lblAddress->setText(GetLangString(11001));
}

void frmBrowser::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    if (!m_loaded) {
        m_loaded = true;
        Form_Load();
    }
}

// The rest of the load, once the window shows and StartingAddress is known.
void frmBrowser::Form_Load()
{
    SetFlatToolbar(tbToolBar);
    if (StartingAddress.isEmpty())
        return;
    cboAddress->setEditText(StartingAddress);
    cboAddress->addItem(StartingAddress);
    timTimer->start();
    navigateTo(StartingAddress);
}

void frmBrowser::navigateTo(const QString &typed)
{
    // An address that cannot be opened (empty, script) is passed over quietly.
    const QUrl url = ReadAddress(typed, QDir::currentPath());
    if (!url.isEmpty())
        brwWebBrowser->navigate(url);
}

void frmBrowser::cboAddress_Click()
{
    if (m_navigateSuppressed)
        return;
    timTimer->start();
    navigateTo(cboAddress->currentText());
}

bool frmBrowser::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == cboAddress && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent *>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            cboAddress_Click();
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void frmBrowser::brwWebBrowser_NavigateComplete2()
{
    setWindowTitle(brwWebBrowser->locationName());
    const QString url = brwWebBrowser->locationUrl();
    if (url.isEmpty())
        return;
    QStringList items;
    for (int i = 0; i < cboAddress->count(); ++i)
        items << cboAddress->itemText(i);
    m_navigateSuppressed = true;
    cboAddress->clear();
    cboAddress->addItems(CompletedHistory(items, url));
    cboAddress->setCurrentIndex(0);
    m_navigateSuppressed = false;
}

void frmBrowser::brwWebBrowser_DownloadComplete() { setWindowTitle(brwWebBrowser->locationName()); }

void frmBrowser::timTimer_Timer()
{
    if (brwWebBrowser->busy()) {
        setWindowTitle(GetLangString(11507));
        return;
    }
    timTimer->stop();
    setWindowTitle(brwWebBrowser->locationName());
}

void frmBrowser::tbToolBar_ButtonClick(const QString &key)
{
    timTimer->start();
    if (key == QLatin1String("Back"))
        brwWebBrowser->goBack();
    else if (key == QLatin1String("Forward"))
        brwWebBrowser->goForward();
    else if (key == QLatin1String("Refresh"))
        brwWebBrowser->reload();
    else if (key == QLatin1String("Home"))
        navigateTo(WebImportAddress());
    else if (key == QLatin1String("Search"))
        navigateTo(SearchAddress());
    else if (key == QLatin1String("Stop")) {
        timTimer->stop();
        brwWebBrowser->stop();
        setWindowTitle(brwWebBrowser->locationName());
    } else if (key == QLatin1String("Import"))
        webImport();
}

void frmBrowser::webImport()
{
    // The import waits in an event loop: a second click meanwhile is ignored,
    // and the window stays until it ends (closeEvent).
    if (m_importing)
        return;
    m_importing = true;
    QPointer<frmBrowser> self(this);
    int code = 0;
    QString name;
    {
        BusyCursor busy;
        code = ImportRaceXml(ImportSource(cboAddress->currentText(), QDir::currentPath()), name, m_importTimeout);
    }
    if (!self)
        return;
    m_importing = false;
    if (code == RaceXmlResult::TooLarge)
        MsgBox(RaceXmlTooLargeText(), Vb::Exclamation);
    else if (const auto message = ImportMessageFor(code)) {
        const QString text = GetLangString(message->textId);
        MsgBox(message->withName ? FormatLangString(text, {name}) : text, message->style);
    }
}

void frmBrowser::closeEvent(QCloseEvent *event)
{
    if (m_importing) {
        event->ignore();
        return;
    }
    brwWebBrowser->stop();
    timTimer->stop();
    QWidget::closeEvent(event);
}
