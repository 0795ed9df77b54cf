#include "LumoTabPrt/src/clsSQLTab.h"

#include "LumoTabPrt/src/clsImpaginatore.h"
#include "LumoTabPrt/src/clsStampante.h"

#include <QDateTime>
#include <QtMath>
#include <cmath>
#include <limits>

using lumo::ColType;
using lumo::JobStatus;

QStringList clsSQLTab::SplitLines(const QString &text)
{
    if (!text.contains(QLatin1Char('\r')) && !text.contains(QLatin1Char('\n')))
        return {text};
    QString s = text;
    s.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    s.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return s.split(QLatin1Char('\n'));
}

bool clsSQLTab::RightAligned(ColType type)
{
    return type == ColType::Integer || type == ColType::Real || type == ColType::Currency;
}

namespace {
// The three forms of the user's locale a table needs, made once per job.
struct Locales {
    explicit Locales(const QLocale &l) : base(l), grouped(l), plain(l)
    {
        grouped.setNumberOptions(QLocale::DefaultNumberOptions);
        plain.setNumberOptions(QLocale::OmitGroupSeparator);
    }
    QLocale base, grouped, plain;
};

QString Format(const QVariant &value, ColType type, const Locales &loc);
}

QString clsSQLTab::FormatValue(const QVariant &value, ColType type, const QLocale &locale)
{
    return Format(value, type, Locales(locale));
}

namespace {
QString Format(const QVariant &value, ColType type, const Locales &loc)
{
    if (!value.isValid() || value.isNull())
        return QString();
    const QLocale &grouped = loc.grouped;
    const QLocale &plain = loc.plain;
    const QLocale &locale = loc.base;
    switch (type) {
    case ColType::Boolean:
        return value.toBool() ? QStringLiteral("Si") : QStringLiteral("No");
    case ColType::Integer: {
        // Whole numbers with thousands groups ("#,###,##0").
        if (value.typeId() == QMetaType::ULongLong)
            return grouped.toString(value.toULongLong());
        bool ok = false;
        const qlonglong n = value.toLongLong(&ok);
        if (ok)
            return grouped.toString(n);
        const double d = value.toDouble(&ok);
        if (ok && std::isfinite(d) && std::fabs(d) < 9.2e18)
            return grouped.toString(qlonglong(std::llround(d)));
        return value.toString();
    }
    case ColType::Real: {
        bool ok = false;
        const double d = value.toDouble(&ok);
        if (!ok)
            return value.toString();
        if (!std::isfinite(d))
            return plain.toString(d);
        // Numbers far from everyday sizes keep six significant digits.
        if (std::fabs(d) >= 1e15 || (d != 0 && std::fabs(d) < 1e-4))
            return plain.toString(d, 'g', 6);
        // "0.00" style: fewer decimals the more whole digits the number has;
        // zero has no logarithm and counts as one whole digit.
        const int whole = d == 0 ? 0 : int(std::floor(std::log10(std::fabs(d))));
        const int decimals = qBound(1, 2 - whole, 4);
        return plain.toString(d, 'f', decimals);
    }
    case ColType::Currency: {
        bool ok = false;
        const double d = value.toDouble(&ok);
        if (!ok || !std::isfinite(d))
            return value.toString();
        if (std::fabs(d) >= 1e15)
            return loc.plain.toString(d, 'g', 6);
        return grouped.toString(d, 'f', 2);
    }
    case ColType::DateTime: {
        QDateTime when;
        if (value.typeId() == QMetaType::QDateTime)
            when = value.toDateTime();
        else if (value.typeId() == QMetaType::QDate)
            return locale.toString(value.toDate(), QLocale::ShortFormat);
        else
            when = QDateTime::fromString(value.toString(), Qt::ISODate);
        if (!when.isValid()) {
            const QDate date = QDate::fromString(value.toString(), Qt::ISODate);
            return date.isValid() ? locale.toString(date, QLocale::ShortFormat) : value.toString();
        }
        if (when.time() == QTime(0, 0))
            return locale.toString(when.date(), QLocale::ShortFormat);
        return locale.toString(when, QLocale::ShortFormat);
    }
    case ColType::Text:
    case ColType::Memo:
    case ColType::Other:
        break;
    }
    return value.toString();
}
}

bool clsSQLTab::AskCancel()
{
    bool cancel = false;
    if (m_host)
        m_host->CancelWork(cancel);
    return cancel;
}

JobStatus clsSQLTab::AttuatoreStampa_SQL(clsImpaginatore &layout, lumo::RowCursor &rs, const QString &title)
{
    m_message.clear();
    m_cells.clear();
    m_rowLines.clear();
    m_columns = rs.columns();
    if (m_columns.isEmpty())
        return JobStatus::Empty;

    QVector<QVariant> first;
    if (!rs.next(first)) {
        if (!rs.error().isEmpty()) {
            m_message = rs.error();
            return JobStatus::LayoutError;
        }
        return JobStatus::Empty;
    }

    m_host = layout.Host();
    layout.SetDateStart(QDateTime::currentDateTime());
    if (!layout.InitDimensioniStd(qint32(m_columns.size()), title)) {
        m_message = layout.RegioneL(clsImpaginatore::Body) <= 0 ? lumo::MsgLayoutTooWide() : lumo::MsgFontTooBig();
        return JobStatus::LayoutError;
    }
    if (layout.Cancelled())
        return JobStatus::Cancelled;
    layout.Stampante().DocName = layout.HeadLines().join(QStringLiteral(" - "));

    m_stop = JobStatus::Done;
    if (!ReadAndMeasure(layout, rs, first))
        return m_stop;
    if (!FitColumns(layout)) {
        m_message = lumo::MsgLayoutTooWide();
        return JobStatus::LayoutError;
    }

    // About three records per cell and row, plus each page's head and foot.
    const qint64 estimate = qint64(m_rowLines.size()) * (3 * m_columns.size() + 2) + 4096;
    layout.Stampante().Reserve(qint32(qMin<qint64>(estimate, 200000000)));
    layout.PaginaInitDefoult();
    qint32 two = 2;
    if (!layout.CiStaCampoHInPagina(two)) {
        m_message = lumo::MsgFontTooBig();
        return JobStatus::LayoutError;
    }
    PrintHeadRow(layout);

    const qint32 rows = qint32(m_rowLines.size());
    // Lines a fresh page holds below its head row.
    qint32 capacity = 0;
    layout.CiStaCampoHInPagina(capacity);
    capacity = qMax<qint32>(capacity, 1);

    for (qint32 r = 0; r < rows; ++r) {
        const qint32 lines = m_rowLines.at(r);
        qint32 from = 0;
        while (from < lines) {
            qint32 free = 0;
            layout.CiStaCampoHInPagina(free);
            const qint32 need = lines - from;
            if (need <= free) {
                PrintRowSlice(layout, r, from, lines);
                from = lines;
                break;
            }
            // A row taller than a page goes on over several pages; any other
            // row starts on a fresh one.
            if (free >= 1 && (need > capacity || from > 0)) {
                PrintRowSlice(layout, r, from, from + free);
                from += free;
            }
            if (!layout.SaltoPagina())
                return JobStatus::Cancelled;
            PrintHeadRow(layout);
        }
        if ((r + 1) % RowCancelEvery == 0 && AskCancel())
            return JobStatus::Cancelled;
    }
    layout.PaginaPiedeDefault();
    return JobStatus::Done;
}

bool clsSQLTab::ReadAndMeasure(clsImpaginatore &layout, lumo::RowCursor &rs, QVector<QVariant> &first)
{
    clsStampante &list = layout.Stampante();
    const qint32 n = qint32(m_columns.size());
    m_cells.reserve(m_cells.size() + qsizetype(n) * 64);
    const double start = std::round(list.PrintGetLenText(QStringLiteral("123456")));
    m_widths = QVector<double>(n, start);
    m_content = QVector<double>(n, 0.0);
    const Locales locales{QLocale()};
    QVector<QVariant> row = first;
    int counter = 0;
    bool more = true;
    while (more) {
        qint32 lines = 1;
        for (qint32 c = 0; c < n; ++c) {
            const ColType type = m_columns.at(c).type;
            const QVariant value = c < row.size() ? row.at(c) : QVariant();
            QString text = Format(value, type, locales);
            Cell cell;
            if (type == ColType::Text || type == ColType::Memo) {
                const QStringList parts = SplitLines(text);
                if (parts.size() > 1) {
                    cell.lines = qint32(qMin<qsizetype>(parts.size(), std::numeric_limits<qint32>::max()));
                    QStringList shown;
                    shown.reserve(parts.size());
                    double widest = 0;
                    for (const QString &p : parts) {
                        shown.append(QLatin1Char(' ') + p);
                        widest = qMax(widest, list.PrintGetLenText(shown.last()));
                    }
                    cell.text = shown.join(QLatin1Char('\n'));
                    cell.width = float(widest);
                }
            } else if (text.contains(QLatin1Char('\r')) || text.contains(QLatin1Char('\n'))) {
                text.replace(QLatin1Char('\r'), QLatin1Char(' '));
                text.replace(QLatin1Char('\n'), QLatin1Char(' '));
            }
            if (cell.lines == 1) {
                cell.text = QLatin1Char(' ') + text;
                cell.width = float(list.PrintGetLenText(cell.text));
            }
            if (cell.width > m_widths[c])
                m_widths[c] = cell.width;
            if (cell.width > m_content[c])
                m_content[c] = cell.width;
            lines = qMax(lines, cell.lines);
            m_cells.append(std::move(cell));
        }
        m_rowLines.append(lines);

        // The host is asked once every 31 records.
        if (++counter > FitCancelEvery - 1) {
            counter = 0;
            if (AskCancel()) {
                m_stop = JobStatus::Cancelled;
                return false;
            }
        }
        row.clear();
        more = rs.next(row);
    }
    if (!rs.error().isEmpty()) {
        m_message = rs.error();
        m_stop = JobStatus::LayoutError;
        return false;
    }
    return true;
}

bool clsSQLTab::FitColumns(clsImpaginatore &layout)
{
    clsStampante &list = layout.Stampante();
    const qint32 n = qint32(m_columns.size());
    const double space = list.PrintGetLenText(QStringLiteral(" "));
    const double inset = layout.CharWidth();
    QVector<double> names(n), content(n);
    double sumContent = 0;
    for (qint32 c = 0; c < n; ++c) {
        double extra = space;
        if (m_columns.at(c).type == ColType::Currency)
            extra = list.PrintGetLenText(QStringLiteral("L.,, "));
        m_widths[c] = std::ceil(m_widths[c] + extra + inset);
        content[c] = qMin(m_widths[c], std::ceil(m_content[c] + extra + inset));
        sumContent += content[c];
        names[c] = std::ceil(list.PrintGetLenTextAttr(QLatin1Char(' ') + m_columns.at(c).name, 1.0f, 1) + inset);
    }
    const double room = layout.RegioneL(clsImpaginatore::Body);
    double sumValues = 0, sumWanted = 0, sumExcess = 0;
    for (qint32 c = 0; c < n; ++c) {
        sumValues += m_widths[c];
        sumWanted += qMax(m_widths[c], names[c]);
        sumExcess += qMax(0.0, names[c] - m_widths[c]);
    }
    QVector<double> widths(n);
    if (sumWanted <= room) {
        // Values and field names both fit.
        for (qint32 c = 0; c < n; ++c)
            widths[c] = qMax(m_widths[c], names[c]);
    } else if (sumValues <= room) {
        // Values fit; the names share what is left.
        const double share = sumExcess > 0 ? (room - sumValues) / sumExcess : 0;
        for (qint32 c = 0; c < n; ++c)
            widths[c] = m_widths[c] + qMax(0.0, names[c] - m_widths[c]) * share;
    } else if (sumContent <= room) {
        // Many columns of short values: their six-digit starting widths give
        // way, each column keeps its widest value and they share what is left.
        const double share = (room - sumContent) / (sumValues - sumContent);
        for (qint32 c = 0; c < n; ++c)
            widths[c] = content[c] + (m_widths[c] - content[c]) * share;
    } else if (sumContent <= room * 1.3) {
        // Values up to 30% too wide: the text columns give up room first (their
        // longest values are clipped); when that would halve them, every
        // column shrinks, and a number that no longer fits shows as "###".
        double textual = 0;
        for (qint32 c = 0; c < n; ++c)
            if (!RightAligned(m_columns.at(c).type))
                textual += content[c];
        const double over = sumContent - room;
        const bool textAbsorbs = textual > 0 && textual - over >= textual / 2;
        for (qint32 c = 0; c < n; ++c) {
            if (!textAbsorbs)
                widths[c] = content[c] * room / sumContent;
            else if (RightAligned(m_columns.at(c).type))
                widths[c] = content[c];
            else
                widths[c] = content[c] * (textual - over) / textual;
        }
    } else {
        return false;
    }
    double total = 0;
    for (double w : widths)
        total += w;
    // A table well narrower than the page widens, at most to twice its width.
    if (total > 0 && total * 1.07 < room) {
        const double factor = qMin(room / total, 2.0);
        for (double &w : widths)
            w *= factor;
    }
    double pos = layout.RegioneX(clsImpaginatore::Body);
    const double end = pos + room;
    for (qint32 c = 0; c < n; ++c) {
        const qint32 len = qint32(std::floor(qMin(widths[c], end - pos)));
        if (len < 2 * inset)
            return false;
        layout.SetCPos(c, qint32(pos));
        layout.SetCLen(c, len);
        pos += len;
    }
    return true;
}

void clsSQLTab::PrintHeadRow(clsImpaginatore &layout)
{
    const qint32 n = qint32(m_columns.size());
    for (qint32 c = 0; c < n; ++c) {
        layout.ColoraCella(c);
        layout.StampaInCampo(QLatin1Char(' ') + m_columns.at(c).name, c, clsImpaginatore::Bold);
        layout.ContornaCella(c);
    }
    layout.NuovaLineaCampo();
}

void clsSQLTab::PrintRowSlice(clsImpaginatore &layout, qint32 r, qint32 from, qint32 to)
{
    clsStampante &list = layout.Stampante();
    const qint32 n = qint32(m_columns.size());
    const qint32 lines = to - from;
    const double top = list.PrintGetCurrentY();
    const double cellH = layout.CellHeight();
    for (qint32 c = 0; c < n; ++c) {
        const Cell &cell = m_cells.at(qsizetype(r) * n + c);
        const qint32 flags = RightAligned(m_columns.at(c).type) ? clsImpaginatore::AlignRight : 0;
        if (cell.lines == 1) {
            if (from == 0) {
                if (flags && cell.width > layout.CLen(c) - layout.CharWidth()) {
                    // A number is never cut: one that does not fit shows as "###".
                    const double hash = list.PrintGetLenText(QStringLiteral("#"));
                    const qint32 count = qint32((layout.CLen(c) - layout.CharWidth()) / qMax(hash, 1.0));
                    layout.StampaInCampo(QString(qMax(count, 0), QLatin1Char('#')), c, flags);
                } else {
                    layout.StampaInCampo(cell.text, c, flags, cell.width);
                }
            }
        } else if (from < cell.lines) {
            const QStringList parts = cell.text.split(QLatin1Char('\n'));
            const qint32 last = qMin(to, cell.lines);
            for (qint32 j = from; j < last; ++j) {
                if (j > from)
                    list.PrintCurrentY(top + (j - from) * cellH);
                layout.StampaInCampo(parts.at(j), c, flags);
            }
            if (last - from > 1)
                list.PrintCurrentY(top);
        }
        layout.ContornaCella(c, lines);
    }
    layout.NuovaLineaCampo(lines);
}
