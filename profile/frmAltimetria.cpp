#include "profile/frmAltimetria.h"

#include "core/DbFile.h"
#include "core/Globals.h"
#include "core/LangClient.h"
#include "core/MDIfrmBike.h"
#include "core/ProfileExport.h"
#include "core/ProfileGlobals.h"
#include "core/Validators.h"
#include "core/WindowRegistry.h"
#include "platform/error/VbError.h"
#include "platform/ui/Prompt.h"
#include "profile/DrawingFrame.h"
#include "profile/DrawingWindow.h"
#include "profile/PictureExport.h"
#include "profile/ProfileSvg.h"

#include <QAction>
#include <QCloseEvent>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPainter>
#include <QStatusBar>
#include <QVBoxLayout>

#include <cmath>

namespace {

// The options outlive the window within a run: a later load starts from the
// values the window had when it closed, before the store is read again.
ProfileOptions &RunOptions()
{
    static ProfileOptions options;
    return options;
}
int32_t g_runBkgColor = ProfileSettings::DefaultBkgColor;

const char *const PanelKeys[6] = {"Distanza", "Altezza", "Pendenza", "Tempo", "Località", "Size"};
} // namespace

frmAltimetria::frmAltimetria(QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("frmAltimetria"));
    setAttribute(Qt::WA_DeleteOnClose);
    buildControls();
    Form_Load();
}

frmAltimetria::~frmAltimetria()
{
    if (!m_unloaded)
        Form_Unload();
}

DrawingSurface *frmAltimetria::Picture1() const { return m_frame->Picture1(); }

QWidget *frmAltimetria::OuterWindow() const { return DrawingWindow::Outer(const_cast<frmAltimetria *>(this)); }

QLabel *frmAltimetria::makeLabel(const QString &name, QWidget *parent, bool value)
{
    auto *l = new QLabel(parent);
    l->setObjectName(name);
    if (value) {
        l->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        l->setMinimumWidth(56);
        l->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    }
    m_controls.insert(name, l);
    return l;
}

void frmAltimetria::buildControls()
{
    QVBoxLayout *outer = DrawingWindow::LayOut(this, m_menuBar, m_menu);
    auto item = [&](const char *name, const QKeySequence &keys, void (frmAltimetria::*slot)()) {
        DrawingWindow::AddItem(this, m_menu, m_items, name, keys, [this, slot] { (this->*slot)(); });
    };
    item("mnuGraph", QKeySequence(Qt::CTRL | Qt::Key_G), &frmAltimetria::mnuGraph_Click);
    m_menu->addSeparator()->setObjectName(QStringLiteral("mnuSep"));
    item("mnuSaveBmp", QKeySequence(Qt::CTRL | Qt::Key_S), &frmAltimetria::mnuSaveBmp_Click);
    m_menu->addSeparator()->setObjectName(QStringLiteral("mnuSep1"));
    item("mnuAltiPrint", QKeySequence(Qt::CTRL | Qt::Key_P), &frmAltimetria::mnuAltiPrint_Click);
    item("mnuAltiImposta", QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_F12), &frmAltimetria::mnuAltiImposta_Click);
    m_menu->addSeparator()->setObjectName(QStringLiteral("mnuSep2"));
    item("mnuCopy", QKeySequence(Qt::CTRL | Qt::Key_C), &frmAltimetria::mnuCopy_Click);

    m_frame = new DrawingFrame(this);
    outer->addWidget(m_frame, 1);
    for (const char *n : {"Picture2", "HScroll1", "HScroll2"})
        m_controls.insert(QString::fromLatin1(n), m_frame->findChild<QWidget *>(QString::fromLatin1(n)));
    m_controls.insert(QStringLiteral("Picture1"), m_frame->Picture1());
    for (int i = 0; i < 3; ++i)
        m_controls.insert(QStringLiteral("Label1(%1)").arg(i), m_frame->Label1(i));

    // The marked stretch: captions Label2(0..7) with their values and boxes.
    QWidget *top = m_frame->TopArea();
    auto *grid = new QGridLayout(top);
    grid->setContentsMargins(12, 0, 0, 0);
    grid->setHorizontalSpacing(6);
    grid->setVerticalSpacing(2);
    struct Cell {
        int caption;
        const char *value;
        int row, col;
    };
    const Cell cells[8] = {{0, "lblDist", 0, 0}, {1, "lblDisl", 0, 1}, {2, "lblPend", 0, 2}, {3, "txtTime", 1, 0},
                           {4, "lblVel", 1, 1}, {5, "lblVam", 1, 2}, {6, "txtPeso", 0, 3}, {7, "lblPotenza", 1, 3}};
    for (const Cell &c : cells) {
        QLabel *caption = makeLabel(QStringLiteral("Label2(%1)").arg(c.caption), top, false);
        caption->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        grid->addWidget(caption, c.row, c.col * 2);
        QWidget *value = nullptr;
        if (QByteArray(c.value).startsWith("txt")) {
            auto *box = new QLineEdit(top);
            box->setObjectName(QString::fromLatin1(c.value));
            box->setMaximumWidth(80);
            box->setMinimumWidth(60);
            m_controls.insert(box->objectName(), box);
            value = box;
        } else {
            value = makeLabel(QString::fromLatin1(c.value), top, true);
        }
        grid->addWidget(value, c.row, c.col * 2 + 1);
    }
    grid->setColumnStretch(8, 1);
    FieldValidator::Install(static_cast<QLineEdit *>(Control(QStringLiteral("txtPeso"))), FieldValidator::Decimal, 0,
                            FieldValidator::DecimalCheck);
    FieldValidator::Install(static_cast<QLineEdit *>(Control(QStringLiteral("txtTime"))), FieldValidator::Time, 0,
                            FieldValidator::TimeCheck);

    m_status = DrawingWindow::NewStatusBar(this);
    for (const char *key : PanelKeys) {
        auto *panel = new QLabel(m_status);
        panel->setObjectName(QString::fromUtf8(key));
        panel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        // The read-out panels may cut a long place name; the drawing's size,
        // short in every language, always shows whole.
        if (qstrcmp(key, "Size") != 0)
            panel->setMinimumWidth(90);
        m_status->addWidget(panel, 1);
        m_panels.insert(QString::fromUtf8(key), panel);
    }
    outer->addWidget(m_status);

    DrawingWindow::ConnectSurface(m_frame->Picture1(), this);
}

// ---------------------------------------------------------------------------
// Loading and unloading

void frmAltimetria::Form_Load()
{
    UpdateControls();
    setMainStatusBarVisible(false);
    AltimetriaOpen = -1;
    Options = RunOptions();
    int32_t bkg = g_runBkgColor;
    ProfileSettings::Load(AppName, Options, bkg);
    m_frame->Picture1()->SetBackColor(ColourOf(bkg));
    m_view.OriginX = Options.X0Perc * ProfileDistance;
    m_view.OriginY = Options.Y0Perc * ProfileSpan;
    m_tag = QStringLiteral("LOADING");
    ProfileSettings::LoadPlacement(AppName, m_placement);
    resize(DrawingWindow::StoredSize(m_placement));
    m_tag.clear();
    setWindowTitle(ProfileName);
}

void frmAltimetria::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    if (m_placed)
        return;
    m_placed = true;
    // The stored size and place are those of the outer window.
    m_tag = QStringLiteral("LOADING");
    DrawingWindow::Restore(OuterWindow(), m_placement);
    m_tag.clear();
}

void frmAltimetria::closeEvent(QCloseEvent *event)
{
    if (!m_unloaded)
        Form_Unload();
    event->accept();
}

void frmAltimetria::Form_Unload()
{
    m_unloaded = true;
    if (DrawingWindow::Capture(this, m_placement))
        ProfileSettings::SavePlacement(AppName, m_placement);
    const QColor back = m_frame->Picture1()->BackColor();
    const int32_t bkg = back.red() | (back.green() << 8) | (back.blue() << 16);
    ProfileSettings::Save(AppName, Options, bkg);
    RunOptions() = Options;
    g_runBkgColor = bkg;
    AltimetriaOpen = 0;
    setMainStatusBarVisible(true);
}

void frmAltimetria::setMainStatusBarVisible(bool visible)
{
    if (MDIfrmBike *main = MDIfrmBike::instance())
        main->statusBar()->setVisible(visible);
}

// ---------------------------------------------------------------------------
// Texts

void frmAltimetria::UpdateControls()
{
    auto tip = [&](const char *name, int id) { Control(QString::fromLatin1(name))->setToolTip(GetLangString(id)); };
    auto caption = [&](const char *name, int id) {
        static_cast<QLabel *>(Control(QString::fromLatin1(name)))->setText(GetLangString(id));
    };
    auto panel = [&](const char *key, int text, int tipId) {
        QLabel *p = Panel(QString::fromUtf8(key));
        p->setText(GetLangString(text));
        p->setToolTip(GetLangString(tipId));
    };
    tip("txtPeso", 2000);
    tip("txtTime", 2001);
    panel("Distanza", 2002, 2004);
    panel("Altezza", 2005, 2007);
    panel("Pendenza", 2008, 2010);
    panel("Tempo", 2011, 2013);
    panel("Località", 2014, 2016);
    panel("Size", 2017, 2019);
    tip("lblPotenza", 2020);
    for (int i = 7; i >= 0; --i)
        caption(QStringLiteral("Label2(%1)").arg(i).toLatin1().constData(), 2021 + (7 - i));
    tip("lblVam", 2029);
    tip("lblVel", 2030);
    tip("lblPend", 2031);
    tip("lblDisl", 2032);
    tip("lblDist", 2033);
    m_menu->setTitle(GetLangString(2034));
    MenuItem(QStringLiteral("mnuGraph"))->setText(GetLangString(2035));
    MenuItem(QStringLiteral("mnuSaveBmp"))->setText(GetLangString(2036));
    MenuItem(QStringLiteral("mnuAltiPrint"))->setText(GetLangString(2037));
    MenuItem(QStringLiteral("mnuAltiImposta"))->setText(GetLangString(2038));
    MenuItem(QStringLiteral("mnuCopy"))->setText(GetLangString(2039));
}

// ---------------------------------------------------------------------------
// Drawing

void frmAltimetria::Picture1_Resize()
{
    DrawingSurface *surface = m_frame->Picture1();
    ++m_redraws;
    try {
        QImage image = surface->NewImage();
        const RenderResult r = RenderProfile(image, surface->BackColor(), Options, ProfileInput::FromHandoff(),
                                             &ImageList2);
        m_view = r.view;
        surface->SetImage(image);
        Panel(QStringLiteral("Size"))->setText(r.sizeText);
        Panel(QStringLiteral("Size"))->setToolTip(r.sizeTip);
        m_frame->PlacePanBar();
        if (r.backgroundFailed)
            MsgBox(GetLangString(2519), Vb::Critical);
    } catch (const VbError &e) {
        ShowDataError(e);
    } catch (const std::exception &) {
        ShowDataError();
    }
}

// ---------------------------------------------------------------------------
// Menu

void frmAltimetria::mnuGraph_Click()
{
    WindowRegistry::Show(QStringLiteral("frmGraphSettings"), true);
}

void frmAltimetria::mnuSaveBmp_Click()
{
    PictureExportSpec spec;
    spec.titleText = 2500;
    spec.filterText = 2501;
    spec.failText = 2502;
    spec.proposedName = ProfileName;
    spec.svgOffered = true;
    spec.settingsSection = QStringLiteral("frmAltimetria");
    SavePictureAs(spec, m_frame->Picture1()->Image(), [this] { return SvgBytes(ProfileName); });
}

QByteArray frmAltimetria::SvgBytes(const QString &name)
{
    if (!CurrentDb)
        RaiseError(ProfileSvg::ErrNotDrawable, QStringLiteral("No database is open"));
    ProfileSvg::Request r;
    r.name = name;
    r.route = ProfileClimbRate == QLatin1String(" --- ");
    r.width = m_view.ClientRect.width();
    r.height = m_view.ClientRect.height();
    r.creditLink = HomePageAddress();
    return ProfileSvg::Write(*CurrentDb, r, Options);
}

void frmAltimetria::SaveAsSVG(const QString &name, const QString &svgFile)
{
    WriteWholeFile(svgFile, SvgBytes(name));
}

void frmAltimetria::mnuAltiPrint_Click() { MyPrint(); }
void frmAltimetria::mnuAltiImposta_Click() { DrawingFrame::PrinterSetup(); }
void frmAltimetria::mnuCopy_Click() { m_frame->Copy(); }

void frmAltimetria::MyPrint() { DrawingWindow::Print(*m_frame, windowTitle()); }

// ---------------------------------------------------------------------------
// Read-out

void frmAltimetria::Picture1_MouseDown(Qt::MouseButton button, Qt::MouseButtons, const QPointF &pixel)
{
    DrawingSurface *surface = m_frame->Picture1();
    surface->SetDrawMode(14);
    if (m_view.PixelsPerUnitX <= 0 || m_view.PixelsPerUnitY <= 0)
        return;
    const QPointF point = m_view.FromPixel(pixel);
    if (button == Qt::LeftButton) {
        if (ProfileReadout::InGraphArea(m_view, point.x(), point.y()))
            cursorReadout(point);
    } else if (button == Qt::RightButton) {
        m_markStart = point;
    }
}

void frmAltimetria::Picture1_MouseMove(Qt::MouseButtons buttons, const QPointF &pixel)
{
    if (m_view.PixelsPerUnitX <= 0 || m_view.PixelsPerUnitY <= 0)
        return;
    const QPointF point = m_view.FromPixel(pixel);
    if (buttons == Qt::LeftButton)
        cursorReadout(point);
    else if (buttons == Qt::RightButton)
        markReadout(point);
}

void frmAltimetria::Picture1_MouseUp(Qt::MouseButton button, const QPointF &)
{
    m_frame->Picture1()->SetDrawMode(13);
    if (button == Qt::LeftButton)
        m_frame->Picture1()->unsetCursor();
}

void frmAltimetria::cursorReadout(const QPointF &point)
{
    if (!ProfileReadout::InGraphArea(m_view, point.x(), point.y()))
        return;
    DrawingSurface *surface = m_frame->Picture1();
    surface->setCursor(Qt::CrossCursor);
    surface->Cls();
    const double top = m_view.OriginY + m_view.span + 2 * std::fabs(m_view.textHeightZ);
    const QPointF a = m_view.ToPixel(point.x(), m_view.OriginY), b = m_view.ToPixel(point.x(), top);
    const QRect bounds = QRectF(a, b).normalized().toAlignedRect().adjusted(-2, -2, 2, 2);
    surface->DrawOverlay(bounds, [&](QPainter &p) {
        p.setPen(QPen(QColor(255, 0, 0), 1));
        p.drawLine(a.toPoint(), b.toPoint());
    });
    const double x = point.x() - m_view.OriginX;
    const ProfileReadout::CursorTexts t = ProfileReadout::Cursor(ProfileInput::FromHandoff().samples, x,
                                                                 ProfileSpeed, m_seg);
    Panel(QStringLiteral("Distanza"))->setText(t.distance);
    Panel(QStringLiteral("Altezza"))->setText(t.altitude);
    Panel(QStringLiteral("Pendenza"))->setText(t.grade);
    Panel(QStringLiteral("Tempo"))->setText(t.time);
    Panel(QStringLiteral("Località"))->setText(t.place);
}

void frmAltimetria::markReadout(const QPointF &point)
{
    DrawingSurface *surface = m_frame->Picture1();
    surface->Cls();
    const QPointF a = m_view.ToPixel(m_markStart.x(), m_markStart.y()), b = m_view.ToPixel(point.x(), point.y());
    const QRect bounds = QRectF(a, b).normalized().toAlignedRect().adjusted(-4, -4, 4, 4);
    surface->DrawOverlay(bounds, [&](QPainter &p) {
        const QColor magenta(255, 0, 255);
        p.setPen(QPen(magenta, 3, Qt::SolidLine, Qt::RoundCap));
        p.drawPoint(a);
        p.setPen(QPen(magenta, 1));
        p.drawLine(a, b);
        p.setPen(QPen(magenta, 3, Qt::SolidLine, Qt::RoundCap));
        p.drawPoint(b);
    });
    const auto *time = static_cast<QLineEdit *>(Control(QStringLiteral("txtTime")));
    const auto *weight = static_cast<QLineEdit *>(Control(QStringLiteral("txtPeso")));
    const ProfileReadout::MarkTexts m = ProfileReadout::Mark(m_markStart.x(), m_markStart.y(), point.x(), point.y(),
                                                             time->text(), weight->text());
    auto set = [&](const char *name, const QString &text) {
        auto *l = static_cast<QLabel *>(Control(QString::fromLatin1(name)));
        l->setText(text);
        l->repaint();
    };
    set("lblDist", m.dist);
    set("lblDisl", m.disl);
    set("lblPend", m.pend);
    set("lblVel", m.vel);
    set("lblVam", m.vam);
    if (!m.keepPower)
        set("lblPotenza", m.power);
}
