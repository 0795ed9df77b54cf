#include "profile/frmGrafico.h"

#include "core/Globals.h"
#include "core/LangClient.h"
#include "platform/error/VbError.h"
#include "platform/ui/Feedback.h"
#include "platform/ui/Prompt.h"
#include "profile/DrawingFrame.h"
#include "profile/DrawingWindow.h"
#include "profile/PictureExport.h"
#include "profile/ProfileRenderer.h"

#include <QAction>
#include <QCloseEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QPainter>
#include <QRadioButton>
#include <QStatusBar>
#include <QVBoxLayout>

#include <cmath>

namespace {
const char *const PanelKeys[8] = {"Nome", "Data", "Lunghezza", "Tempo", "Velocità", "power", "Vam", "size"};
} // namespace

frmGrafico::frmGrafico(QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("frmGrafico"));
    setAttribute(Qt::WA_DeleteOnClose);
    buildControls();
    Form_Load();
}

frmGrafico::~frmGrafico()
{
    if (!m_unloaded)
        Form_Unload();
}

DrawingSurface *frmGrafico::Picture1() const { return m_frame->Picture1(); }

QWidget *frmGrafico::OuterWindow() const { return DrawingWindow::Outer(const_cast<frmGrafico *>(this)); }

void frmGrafico::buildControls()
{
    QVBoxLayout *outer = DrawingWindow::LayOut(this, m_menuBar, m_menu);
    auto item = [&](const char *name, const QKeySequence &keys, void (frmGrafico::*slot)()) {
        DrawingWindow::AddItem(this, m_menu, m_items, name, keys, [this, slot] { (this->*slot)(); });
    };
    item("mnuSaveBmp", QKeySequence(Qt::CTRL | Qt::Key_S), &frmGrafico::mnuSaveBmp_Click);
    m_menu->addSeparator()->setObjectName(QStringLiteral("mnuSep"));
    item("mnuImposta", QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_F12), &frmGrafico::mnuImposta_Click);
    item("mnuPrint", QKeySequence(Qt::CTRL | Qt::Key_P), &frmGrafico::mnuPrint_Click);
    m_menu->addSeparator()->setObjectName(QStringLiteral("mnuSep1"));
    item("mnuCopy", QKeySequence(Qt::CTRL | Qt::Key_C), &frmGrafico::mnuCopy_Click);

    m_frame = new DrawingFrame(this);
    outer->addWidget(m_frame, 1);

    // Beside the zoom bar: the three values and the axis font's sample.
    auto *top = new QHBoxLayout(m_frame->TopArea());
    top->setContentsMargins(24, 0, 0, 0);
    top->setSpacing(12);
    for (int i = 0; i < 3; ++i) {
        m_options[i] = new QRadioButton(m_frame->TopArea());
        m_options[i]->setObjectName(QStringLiteral("Option1(%1)").arg(i));
        connect(m_options[i], &QRadioButton::clicked, this, [this, i] { Option1_Click(i); });
        top->addWidget(m_options[i]);
    }
    m_lblAx = new QLabel(m_frame->TopArea());
    m_lblAx->setObjectName(QStringLiteral("lblAx"));
    m_lblAx->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    m_lblAx->setAlignment(Qt::AlignCenter);
    m_lblAx->setMinimumWidth(81);
    m_lblAx->installEventFilter(this);
    top->addSpacing(12);
    top->addWidget(m_lblAx);
    top->addStretch(1);

    // The eight panels in two rows of four, so that they fit the window in
    // every language: the record's name, date, length and time above its
    // speed, power and climb rate and the drawing's size.
    m_status = DrawingWindow::NewStatusBar(this);
    auto *panels = new QWidget(m_status);
    auto *grid = new QGridLayout(panels);
    grid->setContentsMargins(0, 0, 0, 0);
    grid->setHorizontalSpacing(4);
    grid->setVerticalSpacing(2);
    for (int i = 0; i < 8; ++i) {
        const QString key = QString::fromUtf8(PanelKeys[i]);
        auto *panel = new QLabel(panels);
        panel->setObjectName(key);
        panel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        panel->setMinimumWidth(40);
        grid->addWidget(panel, i / 4, i % 4);
        m_panels.insert(key, panel);
    }
    for (int c = 0; c < 4; ++c)
        grid->setColumnStretch(c, c == 0 ? 2 : 1);
    m_status->addWidget(panels, 1);
    outer->addWidget(m_status);

    DrawingWindow::ConnectSurface(m_frame->Picture1(), this);
}

// ---------------------------------------------------------------------------
// Loading and unloading

void frmGrafico::Form_Load()
{
    UpdateControls();
    m_tag = QStringLiteral("LOADING");
    Chart::Load(AppName, m_settings);
    resize(DrawingWindow::StoredSize(m_settings));
    applyAxisFontToLabel();
    readHandoff(0);
    m_tag.clear();
}

// The window reads the hand-off; the values of `option` (speed when the
// climb rate is asked of trainings) are chosen.
void frmGrafico::readHandoff(int option)
{
    m_records = ChartData;
    m_title = ChartTitle;
    setWindowTitle(ChartTitle);
    const bool trainings = ChartMode == QLatin1String(ChartHandoff::TrainingMode);
    Panel(QStringLiteral("Vam"))->setVisible(!trainings);
    m_options[2]->setEnabled(!trainings);
    if (trainings && option == 2)
        option = 0;
    m_options[option]->setChecked(true);
    Option1_Click(option);
}

void frmGrafico::takeHandoff()
{
    int option = 0;
    for (int i = 0; i < 3; ++i)
        if (m_options[i]->isChecked())
            option = i;
    UpdateControls();   // the read-out panels show no record of the old chart
    readHandoff(option);
}

void frmGrafico::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    if (m_placed)
        return;
    m_placed = true;
    // The stored size and place are those of the outer window.
    DrawingWindow::Restore(OuterWindow(), m_settings);
}

void frmGrafico::closeEvent(QCloseEvent *event)
{
    if (!m_unloaded)
        Form_Unload();
    event->accept();
}

// The axis font is kept whatever the window's state; a minimised window's
// place and size are not.
void frmGrafico::Form_Unload()
{
    m_unloaded = true;
    const bool placement = DrawingWindow::Capture(this, m_settings);
    Chart::Save(AppName, m_settings, placement);
}

void frmGrafico::applyAxisFontToLabel()
{
    m_lblAx->setFont(m_settings.font.toFont());
    QPalette pal = m_lblAx->palette();
    pal.setColor(QPalette::WindowText, ColourOf(m_settings.font.color));
    m_lblAx->setPalette(pal);
}

// ---------------------------------------------------------------------------
// Texts

void frmGrafico::UpdateControls()
{
    m_options[2]->setText(GetLangString(3000));
    m_options[1]->setText(GetLangString(3001));
    m_options[0]->setText(GetLangString(3002));
    const int panelTexts[8] = {3003, 3006, 3009, 3012, 3015, 3018, 3021, 3024};
    for (int i = 0; i < 8; ++i) {
        QLabel *p = Panel(QString::fromUtf8(PanelKeys[i]));
        p->setText(GetLangString(panelTexts[i]));
        p->setToolTip(GetLangString(panelTexts[i] + 2));
    }
    m_lblAx->setText(GetLangString(3027));
    m_lblAx->setToolTip(GetLangString(3028));
    m_menu->setTitle(GetLangString(3029));
    MenuItem(QStringLiteral("mnuSaveBmp"))->setText(GetLangString(3030));
    MenuItem(QStringLiteral("mnuImposta"))->setText(GetLangString(3031));
    MenuItem(QStringLiteral("mnuPrint"))->setText(GetLangString(3032));
    MenuItem(QStringLiteral("mnuCopy"))->setText(GetLangString(3033));
}

// ---------------------------------------------------------------------------
// Drawing and value choice

void frmGrafico::Picture1_Resize()
{
    if (m_tag == QLatin1String("LOADING"))
        return;
    ++m_redraws;
    DrawingSurface *surface = m_frame->Picture1();
    QImage image = surface->NewImage();
    Chart::Layout layout;
    bool failed = false;
    VbError error(0, QString());
    {
        QPainter p(&image);
        try {
            Chart::Draw(p, surface->size(), m_series, m_settings.font,
                        Chart::TextMetrics::Of(m_settings.font.toFont(), &image), layout);
        } catch (const VbError &e) {
            failed = true;
            error = e;
        }
    }
    m_layout = layout;
    Panel(QStringLiteral("size"))->setText(layout.sizeText);
    if (failed) {
        // The drawing ends where it stood.
        if (layout.cleared)
            surface->SetImage(image);
        ShowDataError(error);
        return;
    }
    if (layout.drawn)
        surface->SetImage(image);
    m_frame->PlacePanBar();
}

void frmGrafico::Option1_Click(int index)
{
    m_series = Chart::ChooseValues(index, m_records, m_title);
    if (m_tag != QLatin1String("LOADING"))
        Picture1_Resize();
}

// ---------------------------------------------------------------------------
// Axis font

bool frmGrafico::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_lblAx && event->type() == QEvent::MouseButtonDblClick) {
        lblAx_DblClick();
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

void frmGrafico::lblAx_DblClick()
{
    const QFont f = m_lblAx->font();
    cmDlg1.FontBold = f.bold();
    cmDlg1.FontItalic = f.italic();
    cmDlg1.FontName = f.family();
    cmDlg1.FontSize = f.pointSizeF();
    cmDlg1.FontStrikethru = f.strikeOut();
    cmDlg1.FontUnderline = f.underline();
    cmDlg1.Color = m_settings.font.color & 0xFFFFFF;
    cmDlg1.Flags = 257;   // screen fonts, with strike-through, underline and colour
    cmDlg1.CancelError = true;
    try {
        cmDlg1.ShowFont();
        Chart::AxisFont &a = m_settings.font;
        a.bold = cmDlg1.FontBold ? -1 : 0;
        a.italic = cmDlg1.FontItalic ? -1 : 0;
        if (!cmDlg1.FontName.isEmpty())
            a.name = cmDlg1.FontName;
        if (cmDlg1.FontSize > 0)
            a.size = float(cmDlg1.FontSize);
        a.strikethru = cmDlg1.FontStrikethru ? -1 : 0;
        a.underline = cmDlg1.FontUnderline ? -1 : 0;
        a.color = cmDlg1.Color;
        applyAxisFontToLabel();
    } catch (const VbError &) {
        // A cancel keeps the font; the chart is redrawn all the same.
    }
    Picture1_Resize();
}

// ---------------------------------------------------------------------------
// Menu

void frmGrafico::mnuSaveBmp_Click()
{
    PictureExportSpec spec;
    spec.titleText = 3500;
    spec.filterText = 3501;
    spec.failText = 3502;
    spec.proposedName = ChartTitle;
    spec.svgOffered = false;
    spec.lastFolder = &m_pictureFolder;
    SavePictureAs(spec, m_frame->Picture1()->Image(), nullptr);
}

void frmGrafico::mnuImposta_Click() { DrawingFrame::PrinterSetup(); }
void frmGrafico::mnuPrint_Click() { MyPrint(); }
void frmGrafico::mnuCopy_Click() { m_frame->Copy(); }

// The whole drawing, at its zoom, stretched over the printable area, in the
// orientation the printer set-up left.
void frmGrafico::MyPrint() { DrawingWindow::Print(*m_frame, windowTitle()); }

// ---------------------------------------------------------------------------
// Read-out

void frmGrafico::Picture1_MouseDown(Qt::MouseButton, Qt::MouseButtons buttons, const QPointF &pixel)
{
    Picture1_MouseMove(buttons, pixel);
}

void frmGrafico::Picture1_MouseMove(Qt::MouseButtons buttons, const QPointF &pixel)
{
    if (buttons != Qt::LeftButton)
        return;
    const int k = Chart::RecordAt(m_layout, pixel.x(), pixel.y());
    if (k < 0 || k >= m_records.size())
        return;
    DrawingSurface *surface = m_frame->Picture1();
    surface->Cls();
    surface->setCursor(Qt::CrossCursor);
    const int x = int(std::lround(pixel.x()));
    const int bottom = int(std::lround(m_layout.SurfaceHeight - double(m_layout.MarginY)));
    const int top = int(std::lround(m_layout.SurfaceHeight - m_layout.PlotHeight - double(m_layout.MarginY)));
    surface->DrawOverlay(QRect(x - 1, top - 1, 3, bottom - top + 3), [&](QPainter &p) {
        p.setPen(QPen(QColor(255, 0, 0), 1));
        p.drawLine(x, bottom, x, top);
    });
    const QStringList texts = Chart::ReadoutTexts(m_records.at(k));
    for (int i = 0; i < 7; ++i)
        Panel(QString::fromUtf8(PanelKeys[i]))->setText(texts.at(i));
}

void frmGrafico::Picture1_MouseUp(Qt::MouseButton button, const QPointF &)
{
    if (button == Qt::LeftButton)
        m_frame->Picture1()->unsetCursor();
}
