#include "LumoTabPrt/src/lumoTPrt.h"

#include "LumoTabPrt/src/Globale.h"
#include "LumoTabPrt/src/clsStampante.h"
#include "LumoTabPrt/src/frmPreView.h"

#include <QFontDialog>
#include <QMessageBox>
#include <QPageSetupDialog>
#include <QPainter>
#include <QPrinter>

namespace {
const QString ControlTitle = QStringLiteral("lumoTabPrt");

// Events of the layout, passed on as the control's signals.
class ControlHost : public lumo::JobHost {
public:
    explicit ControlHost(lumoTPrt &control) : m_control(control) {}
    void NewPageStart(qint32 page, bool &cancel) override { m_control.RaiseNewPageStart(page, cancel); }
    void NewPageEnd(qint32 page, bool &cancel) override { m_control.RaiseNewPageEnd(page, cancel); }
    void CancelWork(bool &cancel) override { m_control.RaiseCancelWork(cancel); }

private:
    lumoTPrt &m_control;
};
}

lumoTPrt::lumoTPrt(QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("lumoTPrt"));
    setFixedSize(sizeHint());
}

lumoTPrt::~lumoTPrt() = default;

QSize lumoTPrt::sizeHint() const
{
    const QFontMetrics m(font());
    return QSize(m.horizontalAdvance(QStringLiteral("XXlumoTabPrtXX")), 3 * m.height());
}

void lumoTPrt::paintEvent(QPaintEvent *)
{
    // The control's name and version, drawn while the control is visible (the
    // print form keeps it hidden: it only prints).
    QPainter p(this);
    const QFontMetrics m(font());
    const int x = m.horizontalAdvance(QStringLiteral("XX"));
    p.drawText(x, m.height() / 4 + m.ascent(), QStringLiteral("lumoTabPrt"));
    p.drawText(x, m.height() / 4 + m.height() + m.ascent(), QStringLiteral("v1.00"));
}

int lumoTPrt::Message(const QString &text, int style, const QString &title)
{
    if (m_message)
        return m_message(text, style, title);
    QMessageBox box(QMessageBox::NoIcon, title.isEmpty() ? ControlTitle : title, text, QMessageBox::NoButton, this);
    if ((style & 7) == 4) {
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        return box.exec() == QMessageBox::Yes ? 6 : 7;
    }
    box.setStandardButtons(QMessageBox::Ok);
    box.exec();
    return 1;
}

QPrinter *lumoTPrt::Printer()
{
    if (m_hostPrinter)
        return m_hostPrinter;
    if (!m_ownPrinter)
        m_ownPrinter = std::make_unique<QPrinter>(QPrinter::HighResolution);
    return m_ownPrinter.get();
}

lumo::JobStatus lumoTPrt::StartPreviewSQL(lumo::QuerySource &db, const QString &SQL, const QString &Titolo)
{
    m_lastError.clear();
    std::unique_ptr<lumo::RowCursor> rs;
    QString error;
    {
        Globale::Hourglass wait;
        rs = db.open(SQL, &error);
    }
    if (!rs) {
        Message(QStringLiteral("Error:\n\n") + error, 0, ControlTitle);
        return lumo::JobStatus::LayoutError;
    }
    const lumo::JobStatus status = Run(*rs, Titolo);
    rs.reset();   // the cursor is closed before the call returns
    if (status == lumo::JobStatus::Empty && m_lastError.isEmpty())
        Message(QStringLiteral("La tabella e' vuota"), 0, QString());
    return status;
}

lumo::JobStatus lumoTPrt::StartPreviewRecordset(lumo::RowCursor &rs, const QString &Titolo)
{
    m_lastError.clear();
    return Run(rs, Titolo);
}

lumo::JobStatus lumoTPrt::Run(lumo::RowCursor &rs, const QString &Titolo)
{
    if (m_busy)
        return lumo::JobStatus::Cancelled;
    m_busy = true;
    struct Idle {
        bool &busy;
        ~Idle() { busy = false; }
    } idle{m_busy};

    ControlHost host(*this);
    lumo::JobResult job;
    try {
        job = lumo::RunJob(m_options, rs, Titolo, Printer(), QPageLayout(), &host, !m_sheetChosen);
    } catch (const std::exception &e) {
        // Whatever the row source throws ends the job with its text; the
        // hourglass has been switched off by then.
        m_lastError = QString::fromLocal8Bit(e.what());
        return lumo::JobStatus::LayoutError;
    } catch (...) {
        m_lastError = QStringLiteral("Errore durante l'impaginazione.");
        return lumo::JobStatus::LayoutError;
    }
    if (job.status == lumo::JobStatus::LayoutError) {
        if (job.message == lumo::MsgLayoutTooWide() || job.message == lumo::MsgFontTooBig())
            Message(job.message, 0, ControlTitle);
        else
            m_lastError = job.message;
        return job.status;
    }
    if (job.status != lumo::JobStatus::Done)
        return job.status;

    frmPreView preview(this);
    emit PreviewOpening(&preview);
    preview.Apri(job.list, this);
    job.list->ClosePrintProcedure();
    return lumo::JobStatus::Done;
}

void lumoTPrt::ViewAboutBox()
{
    Message(QStringLiteral("lumoTabPrt v1.00\nControllo di stampa tabellare."), 64, ControlTitle);
}

void lumoTPrt::DialogPrtFont()
{
    QFont initial(m_options.FontName);
    initial.setPointSizeF(m_options.FontSize > 0 ? m_options.FontSize : 10);
    initial.setBold(m_options.FontBold);
    initial.setItalic(m_options.FontItalic);
    std::optional<QFont> chosen;
    if (m_font) {
        chosen = m_font(initial);
    } else {
        bool ok = false;
        const QFont f = QFontDialog::getFont(&ok, initial, this);
        if (ok)
            chosen = f;
    }
    if (!chosen)
        return;   // a cancel changes nothing
    m_options.FontName = chosen->family();
    if (chosen->pointSizeF() > 0)
        m_options.FontSize = float(chosen->pointSizeF());
    m_options.FontBold = chosen->bold();
    m_options.FontItalic = chosen->italic();
}

void lumoTPrt::DialogSetPrinter()
{
    // The printer the pages go to changes; the system's default stays as it is.
    QPrinter *printer = Printer();
    if (m_printerDialog) {
        if (m_printerDialog(printer))
            m_sheetChosen = true;
        return;
    }
    QPageSetupDialog dialog(printer, this);
    if (dialog.exec() == QDialog::Accepted)
        m_sheetChosen = true;
}

void lumoTPrt::MyPropertyChanged(const QString &Nome)
{
    if (!Nome.isEmpty())
        emit PropertyChanged(Nome);
}
