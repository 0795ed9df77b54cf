#pragma once
// The frame a drawing window shows its picture in: a viewport (Picture2)
// clipping a drawing surface (Picture1), a zoom bar (HScroll2, 1 to 10 times
// the viewport's width) with its three labels (Label1(0..2)) and a pan bar
// (HScroll1) that slides a widened surface behind the viewport. The profile
// window and the chart window use it alike: the window draws in its handler
// of the surface's redraw request, which every change of the surface's size
// sends once; panning only moves the surface.
//
// The surface holds the persistent image the window drew, which copy, print
// and picture export take, and an overlay drawn over it (a read-out's cursor)
// that clearing removes.
#include <QColor>
#include <QImage>
#include <QRect>
#include <QVector>
#include <QWidget>
#include <functional>

class QLabel;
class QPainter;
class QScrollBar;

class DrawingSurface : public QWidget {
    Q_OBJECT
public:
    explicit DrawingSurface(QWidget *parent = nullptr);

    // The persistent image (what a redraw left).
    const QImage &Image() const { return m_image; }
    // Takes a new persistent image; the overlay is gone with the old one.
    void SetImage(const QImage &image);
    // A blank image of the surface's size in its back colour, to draw into.
    QImage NewImage() const;

    QColor BackColor() const { return m_back; }
    void SetBackColor(const QColor &colour);

    // Raster mode of overlay drawing: 13 copy pen, 14 pen OR inverted screen.
    int DrawMode() const { return m_drawMode; }
    void SetDrawMode(int mode) { m_drawMode = mode; }
    // Removes the overlay: the persistent image shows again.
    void Cls();
    // Draws over the persistent image with the current raster mode; `bounds`
    // holds everything the painter touches (pixels), so clearing can restore it.
    void DrawOverlay(const QRect &bounds, const std::function<void(QPainter &)> &draw);
    // What the screen shows: the image with the overlay.
    const QImage &Shown() const { return m_display; }

signals:
    // The size changed: the owner redraws.
    void redrawRequested();
    void mousePressed(Qt::MouseButton button, Qt::MouseButtons buttons, const QPointF &pos);
    void mouseMoved(Qt::MouseButtons buttons, const QPointF &pos);
    void mouseReleased(Qt::MouseButton button, const QPointF &pos);

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    QImage m_image;
    QImage m_display;
    QVector<QRect> m_dirty;
    QColor m_back = Qt::white;
    int m_drawMode = 13;
};

class DrawingFrame : public QWidget {
    Q_OBJECT
public:
    explicit DrawingFrame(QWidget *parent = nullptr);

    QWidget *Picture2() const { return m_viewport; }
    DrawingSurface *Picture1() const { return m_surface; }
    QScrollBar *HScroll1() const { return m_pan; }
    QScrollBar *HScroll2() const { return m_zoom; }
    QLabel *Label1(int index) const { return m_labels[index]; }
    // Room beside the zoom bar for the window's own controls.
    QWidget *TopArea() const { return m_top; }

    int Zoom() const;
    void SetZoom(int zoom);
    int Pan() const;
    void SetPan(int value);

    // Shows the pan bar exactly when the surface is wider than the viewport
    // (the last step of every redraw).
    void PlacePanBar();
    // The left edge of the surface for a pan value.
    static double PanOffset(int value, int maximum, int surfaceWidth, int viewportWidth);

    // Puts the persistent image on the clipboard.
    void Copy();
    // Printer set-up on the program's printer through cmDlg1; a cancel or a
    // failure ends it silently.
    static void PrinterSetup();

public slots:
    void Picture2_Resize();
    void HScroll2_Change();
    void HScroll1_Change();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QWidget *m_viewport = nullptr;
    DrawingSurface *m_surface = nullptr;
    QScrollBar *m_pan = nullptr;
    QScrollBar *m_zoom = nullptr;
    QLabel *m_labels[3] = {nullptr, nullptr, nullptr};
    QWidget *m_top = nullptr;
};
