#include "LumoTabPrt/src/LumoTabPrt.h"

#include "LumoTabPrt/src/Globale.h"
#include "LumoTabPrt/src/clsImpaginatore.h"
#include "LumoTabPrt/src/clsSQLTab.h"
#include "LumoTabPrt/src/clsStampante.h"

#include <QLocale>
#include <QPrinter>
#include <cmath>

namespace lumo {

RowCursor::~RowCursor() = default;
QuerySource::~QuerySource() = default;
JobHost::~JobHost() = default;

namespace {
class MemoryCursor : public RowCursor {
public:
    MemoryCursor(QVector<Column> columns, QVector<QVector<QVariant>> rows)
        : m_columns(std::move(columns)), m_rows(std::move(rows))
    {
    }
    QVector<Column> columns() const override { return m_columns; }
    bool next(QVector<QVariant> &row) override
    {
        if (m_at >= m_rows.size())
            return false;
        row = m_rows.at(m_at++);
        return true;
    }

private:
    QVector<Column> m_columns;
    QVector<QVector<QVariant>> m_rows;   // shared with the source, copied on write only
    qsizetype m_at = 0;
};
}

MemorySource::MemorySource(QVector<Column> c, QVector<QVector<QVariant>> r) : columns(std::move(c)), rows(std::move(r))
{
}

std::unique_ptr<RowCursor> MemorySource::open(const QString &, QString *error)
{
    if (!failWith.isEmpty()) {
        if (error)
            *error = failWith;
        return nullptr;
    }
    return cursor();
}

std::unique_ptr<RowCursor> MemorySource::cursor() const
{
    return std::make_unique<MemoryCursor>(columns, rows);
}

// ---------------------------------------------------------------------------

QStringList PrintOptions::Names()
{
    return {QStringLiteral("DateOnFoot"),     QStringLiteral("DateText"),     QStringLiteral("DateFormat"),
            QStringLiteral("PageNumber"),     QStringLiteral("PageNumberText"), QStringLiteral("PageNumberStart"),
            QStringLiteral("MarginTop"),      QStringLiteral("MarginLeft"),   QStringLiteral("MarginRight"),
            QStringLiteral("MarginBottom"),   QStringLiteral("FontName"),     QStringLiteral("FontSize"),
            QStringLiteral("FontBold"),       QStringLiteral("FontItalic"),   QStringLiteral("BigCells"),
            QStringLiteral("FootText")};
}

QVariantMap PrintOptions::toVariantMap() const
{
    QVariantMap m;
    m.insert(QStringLiteral("DateOnFoot"), DateOnFoot);
    m.insert(QStringLiteral("DateText"), DateText);
    m.insert(QStringLiteral("DateFormat"), DateFormat);
    m.insert(QStringLiteral("PageNumber"), PageNumber);
    m.insert(QStringLiteral("PageNumberText"), PageNumberText);
    m.insert(QStringLiteral("PageNumberStart"), int(PageNumberStart));
    m.insert(QStringLiteral("MarginTop"), double(MarginTop));
    m.insert(QStringLiteral("MarginLeft"), double(MarginLeft));
    m.insert(QStringLiteral("MarginRight"), double(MarginRight));
    m.insert(QStringLiteral("MarginBottom"), double(MarginBottom));
    m.insert(QStringLiteral("FontName"), FontName);
    m.insert(QStringLiteral("FontSize"), double(FontSize));
    m.insert(QStringLiteral("FontBold"), FontBold);
    m.insert(QStringLiteral("FontItalic"), FontItalic);
    m.insert(QStringLiteral("BigCells"), BigCells);
    m.insert(QStringLiteral("FootText"), FootText);
    return m;
}

namespace {
void ReadBool(const QVariantMap &m, const char *key, bool &out)
{
    const QVariant v = m.value(QLatin1String(key));
    if (!v.isValid())
        return;
    if (v.typeId() == QMetaType::QString) {
        const QString s = v.toString().trimmed().toLower();
        if (s == QLatin1String("true") || s == QLatin1String("-1") || s == QLatin1String("1"))
            out = true;
        else if (s == QLatin1String("false") || s == QLatin1String("0"))
            out = false;
        return;
    }
    if (v.canConvert<bool>())
        out = v.toBool();
}

void ReadText(const QVariantMap &m, const char *key, QString &out)
{
    const QVariant v = m.value(QLatin1String(key));
    if (v.isValid())
        out = v.toString();
}

void ReadFloat(const QVariantMap &m, const char *key, float &out, double low, double high)
{
    const QVariant v = m.value(QLatin1String(key));
    if (!v.isValid())
        return;
    bool ok = false;
    const double d = v.toDouble(&ok);
    if (ok && std::isfinite(d) && d >= low && d <= high)
        out = float(d);
}
}

PrintOptions PrintOptions::fromVariantMap(const QVariantMap &m)
{
    PrintOptions o;
    ReadBool(m, "DateOnFoot", o.DateOnFoot);
    ReadText(m, "DateText", o.DateText);
    ReadText(m, "DateFormat", o.DateFormat);
    ReadBool(m, "PageNumber", o.PageNumber);
    ReadText(m, "PageNumberText", o.PageNumberText);
    {
        const QVariant v = m.value(QStringLiteral("PageNumberStart"));
        bool ok = false;
        const qlonglong n = v.toLongLong(&ok);
        if (ok && n >= -32768 && n <= 32767)
            o.PageNumberStart = qint16(n);
    }
    ReadFloat(m, "MarginTop", o.MarginTop, 0, 1000);
    ReadFloat(m, "MarginLeft", o.MarginLeft, 0, 1000);
    ReadFloat(m, "MarginRight", o.MarginRight, 0, 1000);
    ReadFloat(m, "MarginBottom", o.MarginBottom, 0, 1000);
    ReadText(m, "FontName", o.FontName);
    ReadFloat(m, "FontSize", o.FontSize, 0.5, 1638);
    ReadBool(m, "FontBold", o.FontBold);
    ReadBool(m, "FontItalic", o.FontItalic);
    ReadBool(m, "BigCells", o.BigCells);
    ReadText(m, "FootText", o.FootText);
    return o;
}

QString FormatDate(const QDateTime &when, const QString &format)
{
    const QLocale locale;
    QString out;
    bool afterHour = false;
    for (qsizetype i = 0; i < format.size();) {
        const QChar ch = format.at(i);
        const QChar lower = ch.toLower();
        qsizetype run = 1;
        while (i + run < format.size() && format.at(i + run).toLower() == lower)
            ++run;
        if (ch == QLatin1Char('"')) {
            const qsizetype close = format.indexOf(QLatin1Char('"'), i + 1);
            const qsizetype end = close < 0 ? format.size() : close;
            out += format.mid(i + 1, end - i - 1);
            i = end + 1;
            continue;
        }
        const QDate d = when.date();
        const QTime t = when.time();
        auto two = [](int v) { return QStringLiteral("%1").arg(v, 2, 10, QLatin1Char('0')); };
        if (lower == QLatin1Char('d')) {
            if (run == 1)
                out += QString::number(d.day());
            else if (run == 2)
                out += two(d.day());
            else if (run == 3)
                out += locale.dayName(d.dayOfWeek(), QLocale::ShortFormat);
            else
                out += locale.dayName(d.dayOfWeek(), QLocale::LongFormat);
            afterHour = false;
        } else if (lower == QLatin1Char('m')) {
            if (afterHour && run <= 2)
                out += run == 1 ? QString::number(t.minute()) : two(t.minute());
            else if (run == 1)
                out += QString::number(d.month());
            else if (run == 2)
                out += two(d.month());
            else if (run == 3)
                out += locale.monthName(d.month(), QLocale::ShortFormat);
            else
                out += locale.monthName(d.month(), QLocale::LongFormat);
            afterHour = false;
        } else if (lower == QLatin1Char('y')) {
            out += run <= 2 ? two(d.year() % 100) : QString::number(d.year());
            afterHour = false;
        } else if (lower == QLatin1Char('h')) {
            out += run == 1 ? QString::number(t.hour()) : two(t.hour());
            afterHour = true;
        } else if (lower == QLatin1Char('n')) {
            out += run == 1 ? QString::number(t.minute()) : two(t.minute());
            afterHour = false;
        } else if (lower == QLatin1Char('s')) {
            out += run == 1 ? QString::number(t.second()) : two(t.second());
            afterHour = false;
        } else {
            out += format.mid(i, run);
        }
        i += run;
    }
    return out;
}

QString MsgLayoutTooWide()
{
    return QStringLiteral("Attenzione, impaginazione errata, utilizzare un font più piccolo.");
}

QString MsgFontTooBig()
{
    return QStringLiteral("Font troppo grande, scegliere un font più piccolo.");
}

JobResult RunJob(const PrintOptions &options, RowCursor &cursor, const QString &title, QPrinter *printer,
                 const QPageLayout &page, JobHost *host, bool mayTurnPage)
{
    Globale::Hourglass wait;
    JobResult result;
    result.list = std::make_shared<clsStampante>();
    clsStampante &list = *result.list;
    clsImpaginatore layout(list, options, host);
    layout.mayTurnPage = mayTurnPage;
    layout.ImpostaFont(options.FontName, options.FontSize, options.FontBold, options.FontItalic, options.BigCells);
    if (printer)
        list.OpenPrintProcedure(printer);
    else
        list.OpenPrintProcedure(page);
    list.PrintMarginiImposta(options.MarginLeft, options.MarginRight, options.MarginTop, options.MarginBottom);
    clsSQLTab table;
    result.status = table.AttuatoreStampa_SQL(layout, cursor, title);
    result.message = table.Message();
    QVector<qint32> starts;
    result.pages = list.GetNrPagine(starts);
    return result;
}

}
