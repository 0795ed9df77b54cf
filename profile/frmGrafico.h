#pragma once
// The chart window: the records of an athlete's climb or training list that
// the main window handed over (core/ChartHandoff.h), one value per record
// (speed, power or climb rate) drawn as a ribbon in an oblique box, in the
// zoom and pan frame of the profile window. Holding the left button over the
// value area reads out the nearest record; the menu saves, sets up the
// printer, prints and copies; a double click on the sample text picks the
// axis font. Size, place and axis font are kept in settings section "Grafico".
//
// There is one chart window. While it is open a chart command makes it take
// the new hand-off (ChartViewInterface) instead of opening another.
#include "core/ChartHandoff.h"
#include "core/WindowInterfaces.h"
#include "profile/ChartDrawing.h"

#include <QHash>
#include <QWidget>

class DrawingFrame;
class DrawingSurface;
class QAction;
class QLabel;
class QMenu;
class QMenuBar;
class QRadioButton;
class QStatusBar;

class frmGrafico : public QWidget, public ChartViewInterface {
    Q_OBJECT
    Q_INTERFACES(ChartViewInterface)
public:
    explicit frmGrafico(QWidget *parent = nullptr);
    ~frmGrafico() override;

    void takeHandoff() override;

    DrawingFrame *Frame() const { return m_frame; }
    DrawingSurface *Picture1() const;
    QRadioButton *Option1(int index) const { return m_options[index]; }
    QLabel *lblAx() const { return m_lblAx; }
    QAction *MenuItem(const QString &name) const { return m_items.value(name); }
    QMenu *mnuOption() const { return m_menu; }
    // Status panel by key ("Nome", "Data", "Lunghezza", "Tempo", "Velocità", "power", "Vam", "size").
    QLabel *Panel(const QString &key) const { return m_panels.value(key); }
    QStatusBar *StatusBar1() const { return m_status; }
    QString Tag() const { return m_tag; }
    QWidget *OuterWindow() const;

    // The chart state.
    const Chart::AxisFont &AxisFont() const { return m_settings.font; }
    const Chart::Series &Series() const { return m_series; }
    const Chart::Layout &Layout() const { return m_layout; }
    int StepCount() const { return int(m_records.size()) - 1; }
    int RedrawCount() const { return m_redraws; }

public slots:
    void UpdateControls();
    void MyPrint();
    // Draws the whole chart at the surface's size.
    void Picture1_Resize();
    void Option1_Click(int index);
    void lblAx_DblClick();
    void mnuSaveBmp_Click();
    void mnuImposta_Click();
    void mnuPrint_Click();
    void mnuCopy_Click();
    void Picture1_MouseDown(Qt::MouseButton button, Qt::MouseButtons buttons, const QPointF &pixel);
    void Picture1_MouseMove(Qt::MouseButtons buttons, const QPointF &pixel);
    void Picture1_MouseUp(Qt::MouseButton button, const QPointF &pixel);

protected:
    void closeEvent(QCloseEvent *event) override;
    void showEvent(QShowEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void buildControls();
    void Form_Load();
    void Form_Unload();
    void applyAxisFontToLabel();
    void readHandoff(int option);

    DrawingFrame *m_frame = nullptr;
    QMenuBar *m_menuBar = nullptr;
    QMenu *m_menu = nullptr;
    QStatusBar *m_status = nullptr;
    QRadioButton *m_options[3] = {nullptr, nullptr, nullptr};
    QLabel *m_lblAx = nullptr;
    QHash<QString, QAction *> m_items;
    QHash<QString, QLabel *> m_panels;
    QString m_tag;

    Chart::Settings m_settings;
    QVector<ChartRecord> m_records;   // the hand-off as the window took it
    QString m_title;                  // ChartTitle as taken
    QString m_pictureFolder;          // where the last picture save went, while the window is open
    Chart::Series m_series;
    Chart::Layout m_layout;
    bool m_placed = false;
    bool m_unloaded = false;
    int m_redraws = 0;
};
