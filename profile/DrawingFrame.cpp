#include "profile/DrawingFrame.h"

#include "core/Globals.h"

#include <QApplication>
#include <QClipboard>
#include <QEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QVBoxLayout>

#include <cmath>

// ---------------------------------------------------------------------------
// DrawingSurface

DrawingSurface::DrawingSurface(QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("Picture1"));
    setAttribute(Qt::WA_OpaquePaintEvent);
    QFont f(QStringLiteral("Times New Roman"));
    setFont(f);
}

QImage DrawingSurface::NewImage() const
{
    QImage image(size().expandedTo(QSize(1, 1)), QImage::Format_RGB32);
    image.setDotsPerMeterX(3780);
    image.setDotsPerMeterY(3780);
    image.fill(m_back);
    return image;
}

void DrawingSurface::SetImage(const QImage &image)
{
    m_image = image;
    m_display = image;
    m_dirty.clear();
    update();
}

void DrawingSurface::SetBackColor(const QColor &colour)
{
    m_back = colour;
}

void DrawingSurface::Cls()
{
    if (m_dirty.isEmpty())
        return;
    QPainter p(&m_display);
    p.setCompositionMode(QPainter::CompositionMode_Source);
    for (const QRect &r : std::as_const(m_dirty)) {
        const QRect clipped = r.intersected(m_image.rect());
        if (!clipped.isEmpty())
            p.drawImage(clipped.topLeft(), m_image, clipped);
        update(r);
    }
    m_dirty.clear();
}

void DrawingSurface::DrawOverlay(const QRect &bounds, const std::function<void(QPainter &)> &draw)
{
    if (m_display.isNull())
        return;
    {
        QPainter p(&m_display);
        p.setCompositionMode(m_drawMode == 14 ? QPainter::RasterOp_SourceOrNotDestination
                                              : QPainter::CompositionMode_SourceOver);
        draw(p);
    }
    m_dirty << bounds;
    update(bounds);
}

void DrawingSurface::paintEvent(QPaintEvent *event)
{
    QPainter p(this);
    const QRect r = event->rect();
    p.fillRect(r, m_back);
    if (!m_display.isNull())
        p.drawImage(r.topLeft(), m_display, r);
}

void DrawingSurface::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    emit redrawRequested();
}

void DrawingSurface::mousePressEvent(QMouseEvent *event)
{
    emit mousePressed(event->button(), event->buttons(), event->position());
}

void DrawingSurface::mouseMoveEvent(QMouseEvent *event)
{
    emit mouseMoved(event->buttons(), event->position());
}

void DrawingSurface::mouseReleaseEvent(QMouseEvent *event)
{
    emit mouseReleased(event->button(), event->position());
}

// ---------------------------------------------------------------------------
// DrawingFrame

DrawingFrame::DrawingFrame(QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("DrawingFrame"));
    auto *outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->setSpacing(4);

    // Zoom bar with " x1", " Zoom" and " x10" above it.
    auto *top = new QHBoxLayout;
    auto *zoomBox = new QWidget(this);
    zoomBox->setObjectName(QStringLiteral("ZoomBox"));
    auto *zg = new QGridLayout(zoomBox);
    zg->setContentsMargins(0, 0, 0, 0);
    zg->setVerticalSpacing(2);
    const char *texts[3] = {" x1", " x10", " Zoom"};
    const Qt::Alignment aligns[3] = {Qt::AlignLeft, Qt::AlignRight, Qt::AlignHCenter};
    for (int i = 0; i < 3; ++i) {
        m_labels[i] = new QLabel(QString::fromLatin1(texts[i]), zoomBox);
        m_labels[i]->setObjectName(QStringLiteral("Label1(%1)").arg(i));
        m_labels[i]->setAlignment(aligns[i] | Qt::AlignVCenter);
    }
    zg->addWidget(m_labels[0], 0, 0);
    zg->addWidget(m_labels[2], 0, 1);
    zg->addWidget(m_labels[1], 0, 2);
    m_zoom = new QScrollBar(Qt::Horizontal, zoomBox);
    m_zoom->setObjectName(QStringLiteral("HScroll2"));
    m_zoom->setRange(1, 10);
    m_zoom->setSingleStep(1);
    m_zoom->setPageStep(1);
    m_zoom->setValue(1);
    m_zoom->setMinimumWidth(105);
    zg->addWidget(m_zoom, 1, 0, 1, 3);
    top->addWidget(zoomBox, 0, Qt::AlignTop);
    m_top = new QWidget(this);
    m_top->setObjectName(QStringLiteral("TopArea"));
    top->addWidget(m_top, 1);
    outer->addLayout(top);

    m_viewport = new QWidget(this);
    m_viewport->setObjectName(QStringLiteral("Picture2"));
    m_viewport->setAutoFillBackground(true);
    QPalette pal = m_viewport->palette();
    pal.setColor(QPalette::Window, Qt::white);
    m_viewport->setPalette(pal);
    m_viewport->setMinimumSize(40, 20);
    m_viewport->installEventFilter(this);
    outer->addWidget(m_viewport, 1);
    m_surface = new DrawingSurface(m_viewport);
    m_surface->move(0, 0);

    m_pan = new QScrollBar(Qt::Horizontal, this);
    m_pan->setObjectName(QStringLiteral("HScroll1"));
    m_pan->setRange(0, 100);
    m_pan->setSingleStep(1);
    m_pan->setPageStep(10);
    QSizePolicy sp = m_pan->sizePolicy();
    sp.setRetainSizeWhenHidden(true);   // showing it never shrinks the viewport
    m_pan->setSizePolicy(sp);
    m_pan->hide();
    outer->addWidget(m_pan);

    connect(m_zoom, &QScrollBar::valueChanged, this, &DrawingFrame::HScroll2_Change);
    connect(m_pan, &QScrollBar::valueChanged, this, &DrawingFrame::HScroll1_Change);
}

int DrawingFrame::Zoom() const { return m_zoom->value(); }
void DrawingFrame::SetZoom(int zoom) { m_zoom->setValue(zoom); }
int DrawingFrame::Pan() const { return m_pan->value(); }
void DrawingFrame::SetPan(int value) { m_pan->setValue(value); }

bool DrawingFrame::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_viewport && event->type() == QEvent::Resize)
        Picture2_Resize();
    return QWidget::eventFilter(watched, event);
}

double DrawingFrame::PanOffset(int value, int maximum, int surfaceWidth, int viewportWidth)
{
    if (maximum <= 0 || surfaceWidth <= viewportWidth)
        return 0;
    return -(float(value) / float(maximum)) * float(surfaceWidth - viewportWidth);
}

void DrawingFrame::Picture2_Resize()
{
    // A new viewport size starts again at zoom 1 and the left end, and the
    // surface takes the viewport's size in one step: one redraw.
    {
        const QSignalBlocker bz(m_zoom);
        const QSignalBlocker bp(m_pan);
        m_zoom->setValue(m_zoom->minimum());
        m_pan->setValue(m_pan->minimum());
    }
    m_surface->setGeometry(0, 0, m_viewport->width(), m_viewport->height());
    PlacePanBar();
}

void DrawingFrame::HScroll2_Change()
{
    m_surface->hide();
    m_surface->resize(m_viewport->width() * m_zoom->value(), m_surface->height());
    if (m_zoom->value() == m_zoom->minimum() && m_pan->value() != m_pan->minimum())
        m_pan->setValue(m_pan->minimum());   // runs the pan step
    else
        HScroll1_Change();
    PlacePanBar();
    m_surface->show();
}

void DrawingFrame::HScroll1_Change()
{
    const double left = PanOffset(m_pan->value(), m_pan->maximum(), m_surface->width(), m_viewport->width());
    m_surface->move(int(std::lround(left)), 0);
}

void DrawingFrame::PlacePanBar()
{
    m_pan->setVisible(m_surface->width() > m_viewport->width());
}

void DrawingFrame::Copy()
{
    QApplication::clipboard()->clear();
    QApplication::clipboard()->setImage(m_surface->Image());
}

void DrawingFrame::PrinterSetup()
{
    try {
        cmDlg1.Flags = 64;
        cmDlg1.CancelError = true;
        cmDlg1.Printer = DefaultPrinter();
        cmDlg1.ShowPrinter();
    } catch (const VbError &) {
        // The dialog's cancel: the printer stays as it was.
    }
}
