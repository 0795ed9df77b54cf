#pragma once
// The table-printing control a host places on its window. The host sets the
// sixteen properties, then calls a start method with a row source and a
// title: the control lays the table out, shows its preview modally and returns
// when the preview has closed. Printing starts from the preview.
//
// Events are signals whose last argument is the host's answer by reference:
// connect them directly (Qt::DirectConnection, the default within one thread).
// Message boxes, the font dialog and the printer set-up go through hooks the
// host may set (the program routes them into its prompt layer); without hooks
// the control shows Qt's own dialogs.
#include "LumoTabPrt/src/LumoExport.h"
#include "LumoTabPrt/src/LumoTabPrt.h"

#include <QFont>
#include <QWidget>
#include <functional>
#include <memory>
#include <optional>

class QPrinter;
class clsStampante;

class LUMOTABPRT_EXPORT lumoTPrt : public QWidget {
    Q_OBJECT
    Q_PROPERTY(bool DateOnFoot READ DateOnFoot WRITE setDateOnFoot)
    Q_PROPERTY(QString DateText READ DateText WRITE setDateText)
    Q_PROPERTY(QString DateFormat READ DateFormat WRITE setDateFormat)
    Q_PROPERTY(bool PageNumber READ PageNumber WRITE setPageNumber)
    Q_PROPERTY(QString PageNumberText READ PageNumberText WRITE setPageNumberText)
    Q_PROPERTY(int PageNumberStart READ PageNumberStart WRITE setPageNumberStart)
    Q_PROPERTY(QString FootText READ FootText WRITE setFootText)
    Q_PROPERTY(float MarginTop READ MarginTop WRITE setMarginTop)
    Q_PROPERTY(float MarginLeft READ MarginLeft WRITE setMarginLeft)
    Q_PROPERTY(float MarginRight READ MarginRight WRITE setMarginRight)
    Q_PROPERTY(float MarginBottom READ MarginBottom WRITE setMarginBottom)
    Q_PROPERTY(QString FontName READ FontName WRITE setFontName)
    Q_PROPERTY(float FontSize READ FontSize WRITE setFontSize)
    Q_PROPERTY(bool FontBold READ FontBold WRITE setFontBold)
    Q_PROPERTY(bool FontItalic READ FontItalic WRITE setFontItalic)
    Q_PROPERTY(bool BigCells READ BigCells WRITE setBigCells)

public:
    explicit lumoTPrt(QWidget *parent = nullptr);
    ~lumoTPrt() override;

    // The settings as one value.
    lumo::PrintOptions Options() const { return m_options; }
    void SetOptions(const lumo::PrintOptions &options) { m_options = options; }

    bool DateOnFoot() const { return m_options.DateOnFoot; }
    void setDateOnFoot(bool v) { m_options.DateOnFoot = v; }
    QString DateText() const { return m_options.DateText; }
    void setDateText(const QString &v) { m_options.DateText = v; }
    QString DateFormat() const { return m_options.DateFormat; }
    void setDateFormat(const QString &v) { m_options.DateFormat = v; }
    bool PageNumber() const { return m_options.PageNumber; }
    void setPageNumber(bool v) { m_options.PageNumber = v; }
    QString PageNumberText() const { return m_options.PageNumberText; }
    void setPageNumberText(const QString &v) { m_options.PageNumberText = v; }
    int PageNumberStart() const { return m_options.PageNumberStart; }
    void setPageNumberStart(int v) { m_options.PageNumberStart = qint16(qBound(-32768, v, 32767)); }
    QString FootText() const { return m_options.FootText; }
    void setFootText(const QString &v) { m_options.FootText = v; }
    float MarginTop() const { return m_options.MarginTop; }
    void setMarginTop(float v) { m_options.MarginTop = v; }
    float MarginLeft() const { return m_options.MarginLeft; }
    void setMarginLeft(float v) { m_options.MarginLeft = v; }
    float MarginRight() const { return m_options.MarginRight; }
    void setMarginRight(float v) { m_options.MarginRight = v; }
    float MarginBottom() const { return m_options.MarginBottom; }
    void setMarginBottom(float v) { m_options.MarginBottom = v; }
    QString FontName() const { return m_options.FontName; }
    void setFontName(const QString &v) { m_options.FontName = v; }
    float FontSize() const { return m_options.FontSize; }
    void setFontSize(float v) { m_options.FontSize = v; }
    bool FontBold() const { return m_options.FontBold; }
    void setFontBold(bool v) { m_options.FontBold = v; }
    bool FontItalic() const { return m_options.FontItalic; }
    void setFontItalic(bool v) { m_options.FontItalic = v; }
    bool BigCells() const { return m_options.BigCells; }
    void setBigCells(bool v) { m_options.BigCells = v; }

    // Hooks. A message answer uses the Basic numbers: 1 OK, 2 Cancel, 6 Yes, 7 No.
    using MessageHook = std::function<int(const QString &text, int style, const QString &title)>;
    using FontHook = std::function<std::optional<QFont>(const QFont &initial)>;
    using PrinterHook = std::function<bool(QPrinter *printer)>;
    void SetMessageHook(MessageHook hook) { m_message = std::move(hook); }
    void SetFontHook(FontHook hook) { m_font = std::move(hook); }
    void SetPrinterHook(PrinterHook hook) { m_printerDialog = std::move(hook); }
    int Message(const QString &text, int style, const QString &title = QString());
    // The messages of a failed print, in the host's language.
    void SetPrintFailureTexts(const lumo::PrintFailureTexts &texts) { m_failureTexts = texts; }
    lumo::PrintFailureTexts PrintFailureTexts() const { return m_failureTexts; }

    // The printer the pages go to: the host's, else one of the control's own.
    void SetPrinter(QPrinter *printer) { m_hostPrinter = printer; }
    QPrinter *Printer();

    // The two start methods. Answer how the job ended; a failure that is not
    // one of the layout's own messages (a query that fails while it is read)
    // leaves its text in LastError() for the host to report.
    lumo::JobStatus StartPreviewSQL(lumo::QuerySource &db, const QString &SQL, const QString &Titolo);
    lumo::JobStatus StartPreviewRecordset(lumo::RowCursor &rs, const QString &Titolo);
    QString LastError() const { return m_lastError; }
    bool Busy() const { return m_busy; }

    void ViewAboutBox();
    void DialogPrtFont();
    // The printer set-up. Once the user has confirmed it, tables are laid on
    // the sheet as it was set; before, a portrait sheet too narrow for a
    // table's columns turns to landscape.
    void DialogSetPrinter();
    bool SheetChosen() const { return m_sheetChosen; }
    void MyPropertyChanged(const QString &Nome);

    // Raised by the library's own classes.
    void RaiseNewPageStart(qint32 NrPagina, bool &Cancel) { emit NewPageStart(NrPagina, Cancel); }
    void RaiseNewPageEnd(qint32 NrPagina, bool &Cancel) { emit NewPageEnd(NrPagina, Cancel); }
    void RaisePrintRequest(bool &Cancel) { emit PrintRequest(Cancel); }
    void RaiseCancelWork(bool &Cancel) { emit CancelWork(Cancel); }
    void RaiseEndPrint(bool &ClosePreview) { emit EndPrint(ClosePreview); }
    void RaisePrintFailed(QString &Cause) { emit PrintFailed(Cause); }

    QSize sizeHint() const override;

signals:
    void NewPageStart(qint32 NrPagina, bool &Cancel);
    void NewPageEnd(qint32 NrPagina, bool &Cancel);
    void PrintRequest(bool &Cancel);
    void CancelWork(bool &Cancel);
    void EndPrint(bool &ClosePreview);
    // A print started from the preview failed (EndPrint does not follow). The
    // host puts into Cause why, when it knows (the message shows it after a
    // line feed), and lets go of the output it chose in PrintRequest, so that
    // the next print asks for it again.
    void PrintFailed(QString &Cause);
    // The property of that name changed (the property page applied it).
    void PropertyChanged(const QString &name);
    // The preview window has been created and is about to be shown (tests drive it from here).
    void PreviewOpening(QWidget *preview);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    lumo::JobStatus Run(lumo::RowCursor &rs, const QString &Titolo);

    lumo::PrintOptions m_options;
    MessageHook m_message;
    FontHook m_font;
    PrinterHook m_printerDialog;
    lumo::PrintFailureTexts m_failureTexts;
    QPrinter *m_hostPrinter = nullptr;
    std::unique_ptr<QPrinter> m_ownPrinter;
    QString m_lastError;
    bool m_busy = false;
    // The user set the sheet up: a table too wide for it no longer turns it.
    bool m_sheetChosen = false;
};
