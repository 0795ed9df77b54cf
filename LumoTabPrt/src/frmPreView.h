#pragma once
// The preview window: one page of a recorded job at a time on a sheet that
// keeps the page's aspect, five zooms, a page bar, scrolling and dragging,
// print and close. The sheet replays only the area being painted; there is no
// backing image of the whole page.
#include "LumoTabPrt/src/LumoExport.h"

#include <QDialog>
#include <QVector>
#include <memory>

class QComboBox;
class QLabel;
class QPushButton;
class QScrollBar;
class QTimer;
class clsStampante;
class lumoTPrt;

class LUMOTABPRT_EXPORT frmPreView : public QDialog {
    Q_OBJECT
public:
    static constexpr double ZoomFactors[5] = {0.965, 1.5, 2.0, 3.5, 4.0};
    // Screen twips per pixel the sheet is measured in.
    static constexpr double ScreenTwipsPerPixel = 15.0;

    explicit frmPreView(QWidget *parent = nullptr);
    ~frmPreView() override;

    // Shows the job modally; returns when the window has closed. control: the
    // events' sender and the printer's owner (may be null: no printing events).
    void Apri(std::shared_ptr<clsStampante> list, lumoTPrt *control);
    // Takes the job without showing the window (Apri's first half).
    void Load(std::shared_ptr<clsStampante> list, lumoTPrt *control);

    qint32 PageCount() const { return m_pages; }
    qint32 CurrentPage() const;   // 0-based
    QSize SheetSize() const;
    bool Printing() const { return m_printing; }
    // Lays the sheet out now (the resize timer's work).
    void Relayout();

    // Printing from the preview, as the print button does.
    void cmdStampa_Click();

protected:
    void closeEvent(QCloseEvent *event) override;
    void reject() override;
    void resizeEvent(QResizeEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    class Sheet;
    void PaintSheet(QPainter &painter, const QRect &exposed);
    void scrPagina_Change();
    void PlaceSheet();
    void ReportUnknown();

    std::shared_ptr<clsStampante> m_list;
    lumoTPrt *m_control = nullptr;
    QVector<qint32> m_starts;
    qint32 m_pages = 0;
    bool m_ready = false;
    bool m_printing = false;
    bool m_dragging = false;
    QPoint m_dragStart;
    QPoint m_dragSheetStart;
    qint32 m_unknownSeen = 0;
    bool m_unknownReported = false;

public:
    // The controls, by their names.
    QWidget *panTool = nullptr;
    QWidget *panMain = nullptr;
    QWidget *panFoglio = nullptr;
    QWidget *picFoglio = nullptr;
    QWidget *lblDrag = nullptr;
    QScrollBar *scrPagina = nullptr;
    QLabel *panPagina = nullptr;
    QScrollBar *scrOriz = nullptr;
    QScrollBar *scrVert = nullptr;
    QComboBox *cboZoom = nullptr;
    QPushButton *cmdStampa = nullptr;
    QPushButton *cmdChiudi = nullptr;
    QTimer *TimerResize = nullptr;
};
