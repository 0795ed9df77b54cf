#pragma once
// The boundary of the table-printing library: what a host hands in (a row
// source and the print options) and what a headless job hands back (a status
// and the recorded command list). The library links Qt only: a host with a
// database of its own adapts it to QuerySource/RowCursor.
#include "LumoTabPrt/src/LumoExport.h"

#include <QDateTime>
#include <QPageLayout>
#include <QString>
#include <QVariant>
#include <QVariantMap>
#include <QVector>
#include <memory>

class QPrinter;
class clsStampante;

namespace lumo {

// Field kinds the table layout formats differently.
enum class ColType { Boolean, Integer, Real, Currency, Text, Memo, DateTime, Other };

struct Column {
    QString name;
    ColType type = ColType::Text;
};

// A forward, read-only pass over the rows of a query. An invalid QVariant is
// Null. next() answers false at the end of the rows; when it answers false
// because reading failed, error() tells why.
class LUMOTABPRT_EXPORT RowCursor {
public:
    virtual ~RowCursor();
    virtual QVector<Column> columns() const = 0;
    virtual bool next(QVector<QVariant> &row) = 0;
    virtual QString error() const { return QString(); }
};

// Opens a cursor over a query text; on failure answers null and puts the
// reason into *error.
class LUMOTABPRT_EXPORT QuerySource {
public:
    virtual ~QuerySource();
    virtual std::unique_ptr<RowCursor> open(const QString &sql, QString *error) = 0;
};

// Rows held in memory, for tests, benchmarks and hosts that already have them.
class LUMOTABPRT_EXPORT MemorySource : public QuerySource {
public:
    MemorySource() = default;
    MemorySource(QVector<Column> columns, QVector<QVector<QVariant>> rows);
    QVector<Column> columns;
    QVector<QVector<QVariant>> rows;
    // open() fails with this text when it is not empty (a query that cannot run).
    QString failWith;
    std::unique_ptr<RowCursor> open(const QString &sql, QString *error) override;
    // A cursor over the rows, for a host that hands a cursor straight in.
    std::unique_ptr<RowCursor> cursor() const;
};

// The sixteen settings of the control, with their defaults.
struct LUMOTABPRT_EXPORT PrintOptions {
    bool DateOnFoot = true;
    QString DateText = QStringLiteral("Stampa del ");
    QString DateFormat = QStringLiteral("dd/mm/yy hh:nn");
    bool PageNumber = true;
    QString PageNumberText = QStringLiteral("Pag. ");
    qint16 PageNumberStart = 1;
    QString FootText;
    float MarginTop = 15;
    float MarginLeft = 15;
    float MarginRight = 15;
    float MarginBottom = 15;
    QString FontName = QStringLiteral("Times New Roman");
    float FontSize = 10;
    bool FontBold = false;
    bool FontItalic = false;
    bool BigCells = false;

    // The names in the order the host's form stores them.
    static QStringList Names();
    // Every setting under its own name; a value equal to its default is kept too.
    QVariantMap toVariantMap() const;
    // Missing keys and values that do not convert give the defaults.
    static PrintOptions fromVariantMap(const QVariantMap &map);
    bool operator==(const PrintOptions &) const = default;
};

// The job's start date in a Basic-style format: d dd ddd dddd m mm mmm mmmm
// yy yyyy h hh n nn s ss (n is minutes; m right after h is minutes too).
LUMOTABPRT_EXPORT QString FormatDate(const QDateTime &when, const QString &format);

// The events a job raises to its host. Every answer is by reference: set
// cancel to stop the layout.
class LUMOTABPRT_EXPORT JobHost {
public:
    virtual ~JobHost();
    virtual void NewPageStart(qint32 page, bool &cancel) {}
    virtual void NewPageEnd(qint32 page, bool &cancel) {}
    virtual void CancelWork(bool &cancel) {}
};

enum class JobStatus { Done, Empty, Cancelled, LayoutError };

struct LUMOTABPRT_EXPORT JobResult {
    JobStatus status = JobStatus::Empty;
    QString message;                          // the layout's message on LayoutError
    std::shared_ptr<clsStampante> list;       // the recorded pages (also when cancelled)
    qint32 pages = 0;
};

// One headless job: lays the rows of cursor out as a table on the page of
// printer (or of page when printer is null) and returns the recorded list.
// With mayTurnPage a portrait sheet too narrow for the columns turns to
// landscape; without it (the user chose how the sheet lies) it stays as it is.
LUMOTABPRT_EXPORT JobResult RunJob(const PrintOptions &options, RowCursor &cursor, const QString &title,
                                   QPrinter *printer, const QPageLayout &page = QPageLayout(),
                                   JobHost *host = nullptr, bool mayTurnPage = true);

// The messages of a print from the preview that failed, each whole: the
// printer did not open, did not start a new page, or did not close the
// document. The library's own Italian texts until the host gives them in the
// language of its interface.
struct LUMOTABPRT_EXPORT PrintFailureTexts {
    QString open = QStringLiteral("Errore di stampa: Impossibile aprire la stampante.");
    QString newPage = QStringLiteral("Errore di stampa: Errore nel cambio pagina della stampante.");
    QString close = QStringLiteral("Errore di stampa: Errore alla chiusura del documento di stampa.");
    bool operator==(const PrintFailureTexts &) const = default;
};

// The messages of the layout (the library's own fixed texts).
LUMOTABPRT_EXPORT QString MsgLayoutTooWide();
LUMOTABPRT_EXPORT QString MsgFontTooBig();

}
