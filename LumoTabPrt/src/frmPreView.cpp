#include "LumoTabPrt/src/frmPreView.h"

#include "LumoTabPrt/src/Globale.h"
#include "LumoTabPrt/src/clsStampante.h"
#include "LumoTabPrt/src/lumoTPrt.h"

#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPainter>
#include <QPrinter>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QTimer>
#include <QVBoxLayout>

class frmPreView::Sheet : public QWidget {
public:
    Sheet(frmPreView *owner, QWidget *parent) : QWidget(parent), m_owner(owner)
    {
        setAttribute(Qt::WA_OpaquePaintEvent);
    }

protected:
    void paintEvent(QPaintEvent *event) override
    {
        QPainter p(this);
        m_owner->PaintSheet(p, event->rect());
    }

private:
    frmPreView *m_owner;
};

frmPreView::frmPreView(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("frmPreView"));
    setWindowTitle(QStringLiteral("Anteprima di stampa"));
    setModal(true);

    panTool = new QWidget(this);
    panTool->setObjectName(QStringLiteral("panTool"));
    cboZoom = new QComboBox(panTool);
    cboZoom->setObjectName(QStringLiteral("cboZoom"));
    for (int i = 0; i < 5; ++i)
        cboZoom->addItem(QStringLiteral("ZOOM %1").arg(i + 1), ZoomFactors[i]);
    cboZoom->setCurrentIndex(0);
    scrPagina = new QScrollBar(Qt::Horizontal, panTool);
    scrPagina->setObjectName(QStringLiteral("scrPagina"));
    scrPagina->setRange(0, 0);
    scrPagina->setProperty("Tag", QStringLiteral("LOADING"));
    scrPagina->setMinimumWidth(120);
    panPagina = new QLabel(QStringLiteral(" Pagina : 1/0"), panTool);
    panPagina->setObjectName(QStringLiteral("panPagina"));
    panPagina->setMinimumWidth(panPagina->fontMetrics().horizontalAdvance(QStringLiteral(" Pagina : 00000/00000 ")));
    cmdStampa = new QPushButton(QStringLiteral("Stampa"), panTool);
    cmdStampa->setObjectName(QStringLiteral("cmdStampa"));
    cmdChiudi = new QPushButton(QStringLiteral("Chiudi"), panTool);
    cmdChiudi->setObjectName(QStringLiteral("cmdChiudi"));
    auto *tools = new QHBoxLayout(panTool);
    tools->setContentsMargins(4, 4, 4, 4);
    tools->addWidget(cboZoom);
    tools->addWidget(scrPagina, 1);
    tools->addWidget(panPagina);
    tools->addWidget(cmdStampa);
    tools->addWidget(cmdChiudi);

    panMain = new QWidget(this);
    panMain->setObjectName(QStringLiteral("panMain"));
    panFoglio = new QWidget(panMain);
    panFoglio->setObjectName(QStringLiteral("panFoglio"));
    panFoglio->setAutoFillBackground(true);
    QPalette grey = panFoglio->palette();
    grey.setColor(QPalette::Window, QColor(128, 128, 128));
    panFoglio->setPalette(grey);
    panFoglio->setMinimumSize(100, 100);
    picFoglio = new Sheet(this, panFoglio);
    picFoglio->setObjectName(QStringLiteral("picFoglio"));
    lblDrag = new QWidget(panFoglio);
    lblDrag->setObjectName(QStringLiteral("lblDrag"));
    lblDrag->setAttribute(Qt::WA_NoSystemBackground);
    lblDrag->setCursor(Qt::ArrowCursor);
    lblDrag->installEventFilter(this);
    picFoglio->installEventFilter(this);
    scrOriz = new QScrollBar(Qt::Horizontal, panMain);
    scrOriz->setObjectName(QStringLiteral("scrOriz"));
    scrVert = new QScrollBar(Qt::Vertical, panMain);
    scrVert->setObjectName(QStringLiteral("scrVert"));
    auto *grid = new QGridLayout(panMain);
    grid->setContentsMargins(0, 0, 0, 0);
    grid->setSpacing(0);
    grid->addWidget(panFoglio, 0, 0);
    grid->addWidget(scrVert, 0, 1);
    grid->addWidget(scrOriz, 1, 0);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(panTool);
    layout->addWidget(panMain, 1);

    TimerResize = new QTimer(this);
    TimerResize->setObjectName(QStringLiteral("TimerResize"));
    TimerResize->setSingleShot(true);
    TimerResize->setInterval(50);
    connect(TimerResize, &QTimer::timeout, this, &frmPreView::Relayout);
    connect(cboZoom, &QComboBox::currentIndexChanged, this, [this]() { TimerResize->start(); });
    connect(scrPagina, &QScrollBar::valueChanged, this, &frmPreView::scrPagina_Change);
    connect(scrOriz, &QScrollBar::valueChanged, this, &frmPreView::PlaceSheet);
    connect(scrVert, &QScrollBar::valueChanged, this, &frmPreView::PlaceSheet);
    connect(cmdChiudi, &QPushButton::clicked, this, &QDialog::close);
    connect(cmdStampa, &QPushButton::clicked, this, &frmPreView::cmdStampa_Click);

    if (QScreen *screen = QGuiApplication::primaryScreen()) {
        const QRect area = screen->availableGeometry();
        resize(qMax(640, area.width() / 2), qMax(480, area.height() * 3 / 4));
        move(area.center() - rect().center());
    } else {
        resize(800, 700);
    }
    TimerResize->start();
}

frmPreView::~frmPreView() = default;

void frmPreView::Apri(std::shared_ptr<clsStampante> list, lumoTPrt *control)
{
    Load(std::move(list), control);
    exec();
    m_list.reset();
    m_control = nullptr;
}

void frmPreView::Load(std::shared_ptr<clsStampante> list, lumoTPrt *control)
{
    m_list = std::move(list);
    m_control = control;
    m_pages = m_list ? m_list->GetNrPagine(m_starts) : 0;
    scrPagina->setMaximum(qMax(0, m_pages - 1));
    scrPagina->setValue(0);
    panPagina->setText(QStringLiteral(" Pagina : 1/%1").arg(m_pages));
    scrPagina->setProperty("Tag", QString());
    // Wide enough for the whole sheet at the first zoom, where the screen allows.
    if (m_list && m_list->RealWidth() > 0) {
        const int sheet = qRound(m_list->RealWidth() / ScreenTwipsPerPixel * ZoomFactors[0]);
        int wanted = sheet + scrVert->sizeHint().width() + 24;
        if (QScreen *screen = QGuiApplication::primaryScreen())
            wanted = qMin(wanted, screen->availableGeometry().width());
        if (width() < wanted)
            resize(wanted, height());
    }
    m_ready = true;
    TimerResize->start();
}

qint32 frmPreView::CurrentPage() const
{
    return scrPagina->value();
}

QSize frmPreView::SheetSize() const
{
    return picFoglio->size();
}

void frmPreView::scrPagina_Change()
{
    if (!scrPagina->property("Tag").toString().isEmpty())
        return;
    panPagina->setText(QStringLiteral(" Pagina : %1/%2").arg(scrPagina->value() + 1).arg(m_pages));
    picFoglio->update();
}

void frmPreView::Relayout()
{
    TimerResize->stop();
    if (!m_list || m_list->RealWidth() <= 0 || m_list->RealHeight() <= 0)
        return;
    const double zoom = ZoomFactors[qBound(0, cboZoom->currentIndex(), 4)];
    const int w = qMax(1, qRound(m_list->RealWidth() / ScreenTwipsPerPixel * zoom));
    const int h = qMax(1, qRound(m_list->RealHeight() / ScreenTwipsPerPixel * zoom));
    picFoglio->resize(w, h);
    lblDrag->resize(w, h);
    const QSize panel = panFoglio->size();
    const QSignalBlocker blockH(scrOriz);
    const QSignalBlocker blockV(scrVert);
    scrOriz->setRange(0, qMax(0, w - panel.width()));
    scrOriz->setPageStep(qMax(1, panel.width()));
    scrOriz->setSingleStep(20);
    scrVert->setRange(0, qMax(0, h - panel.height()));
    scrVert->setPageStep(qMax(1, panel.height()));
    scrVert->setSingleStep(20);
    // A new zoom shows the top of the sheet, centred across.
    scrOriz->setValue(scrOriz->maximum() / 2);
    scrVert->setValue(0);
    PlaceSheet();
    picFoglio->update();
}

void frmPreView::PlaceSheet()
{
    const QSize panel = panFoglio->size();
    const QSize sheet = picFoglio->size();
    const int x = sheet.width() <= panel.width() ? (panel.width() - sheet.width()) / 2 : -scrOriz->value();
    const int y = sheet.height() <= panel.height() ? (panel.height() - sheet.height()) / 2 : -scrVert->value();
    picFoglio->move(x, y);
    lblDrag->move(x, y);
    lblDrag->raise();
}

void frmPreView::PaintSheet(QPainter &painter, const QRect &exposed)
{
    if (TimerResize->isActive() || !m_list)
        return;   // a relayout is pending
    painter.fillRect(exposed, Qt::white);
    const qint32 page = scrPagina->value();
    if (page < 0 || page >= m_starts.size())
        return;
    painter.setClipRect(exposed);
    const ReplayResult r = m_list->AttuaStampaPicture(painter, m_starts.at(page));
    if (r.unknownCodes > 0 && !m_unknownReported) {
        // Never a message box from inside a paint event.
        m_unknownReported = true;
        QTimer::singleShot(0, this, &frmPreView::ReportUnknown);
    }
}

void frmPreView::ReportUnknown()
{
    const QString text = QStringLiteral("Errore, Comando Prt sconosciuto!");
    if (m_control)
        m_control->Message(text, 0);
    else
        QMessageBox::warning(this, QStringLiteral("lumoTabPrt"), text);
}

void frmPreView::cmdStampa_Click()
{
    if (m_printing || !m_list)
        return;
    bool cancel = false;
    if (m_control)
        m_control->RaisePrintRequest(cancel);
    if (cancel)
        return;
    QPrinter *printer = m_control ? m_control->Printer() : nullptr;
    if (!printer)
        return;
    // While the pages go out nothing may close the window or print again.
    m_printing = true;
    cmdStampa->setEnabled(false);
    cmdChiudi->setEnabled(false);
    cboZoom->setEnabled(false);
    ReplayResult r;
    {
        Globale::Hourglass wait;
        QApplication::processEvents();
        r = m_list->AttuaStampaStampante(*printer);
    }
    m_printing = false;
    cmdStampa->setEnabled(true);
    cmdChiudi->setEnabled(true);
    cboZoom->setEnabled(true);
    if (!r.ok()) {
        const lumo::PrintFailureTexts texts = m_control ? m_control->PrintFailureTexts() : lumo::PrintFailureTexts();
        QString text = r.failure == ReplayResult::Failure::NewPage ? texts.newPage
                       : r.failure == ReplayResult::Failure::Close ? texts.close
                                                                   : texts.open;
        // Why, where the host knows it (a folder that does not exist, a full disk).
        QString cause;
        if (m_control)
            m_control->RaisePrintFailed(cause);
        if (!cause.isEmpty())
            text += QLatin1Char('\n') + cause;
        if (m_control)
            m_control->Message(text, 16);
        else
            QMessageBox::warning(this, QStringLiteral("lumoTabPrt"), text);
        return;
    }
    if (r.unknownCodes > 0)
        ReportUnknown();
    bool closePreview = false;
    if (m_control)
        m_control->RaiseEndPrint(closePreview);
    if (closePreview)
        close();
}

void frmPreView::closeEvent(QCloseEvent *event)
{
    if (m_printing) {
        event->ignore();
        return;
    }
    if (m_list)
        m_list->EliminaStampa();
    lblDrag->setCursor(Qt::ArrowCursor);
    m_dragging = false;
    event->accept();
    QDialog::closeEvent(event);
}

void frmPreView::reject()
{
    if (m_printing)
        return;
    close();
    QDialog::reject();
}

void frmPreView::resizeEvent(QResizeEvent *event)
{
    QDialog::resizeEvent(event);
    TimerResize->start();
}

bool frmPreView::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == lblDrag || watched == picFoglio) {
        switch (event->type()) {
        case QEvent::MouseButtonPress: {
            if (watched != lblDrag)
                break;
            auto *m = static_cast<QMouseEvent *>(event);
            m_dragStart = m->globalPosition().toPoint();
            m_dragSheetStart = QPoint(scrOriz->value(), scrVert->value());
            lblDrag->setCursor(Qt::CrossCursor);
            m_dragging = true;
            return true;
        }
        case QEvent::MouseMove: {
            if (!m_dragging)
                break;
            auto *m = static_cast<QMouseEvent *>(event);
            const QPoint moved = m->globalPosition().toPoint() - m_dragStart;
            // A value outside a bar's range is dropped: the bar keeps its value.
            const int h = m_dragSheetStart.x() - moved.x();
            const int v = m_dragSheetStart.y() - moved.y();
            if (h >= scrOriz->minimum() && h <= scrOriz->maximum())
                scrOriz->setValue(h);
            if (v >= scrVert->minimum() && v <= scrVert->maximum())
                scrVert->setValue(v);
            return true;
        }
        case QEvent::MouseButtonRelease:
            lblDrag->setCursor(Qt::ArrowCursor);
            m_dragging = false;
            return true;
        default:
            break;
        }
    }
    return QDialog::eventFilter(watched, event);
}
