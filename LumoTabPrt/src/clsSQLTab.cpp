#include "LumoTabPrt/src/clsSQLTab.h"

#include "LumoTabPrt/src/clsImpaginatore.h"
#include "LumoTabPrt/src/clsStampante.h"

#include <QDateTime>
#include <QtMath>
#include <cmath>
#include <functional>
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

// A number as the locale writes it, except that a finite negative figure
// that shows as zero loses its sign ("0.00", never "-0.00"), in any locale's
// digits; -inf keeps its sign. The control links no program code, so it keeps
// this rule of the program's number texts itself.
QString NumberText(const QLocale &locale, double value, char format, int precision)
{
    const QString text = locale.toString(value, format, precision);
    if (!std::signbit(value) || !std::isfinite(value))
        return text;
    for (const char32_t c : text.toUcs4())
        if (QChar::isDigit(c) && QChar::digitValue(c) != 0)
            return text;
    return locale.toString(-value, format, precision);
}
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
        // A double beyond 64 bits does not convert: it keeps its digits below.
        const bool floating = value.typeId() == QMetaType::Double || value.typeId() == QMetaType::Float;
        const qlonglong n = floating ? 0 : value.toLongLong(&ok);
        if (ok)
            return grouped.toString(n);
        const double d = value.toDouble(&ok);
        if (ok && std::isfinite(d) && std::fabs(d) < 9.2e18)
            return grouped.toString(qlonglong(std::llround(d)));
        if (ok && std::isfinite(d))
            return NumberText(grouped, d, 'f', 0);   // every digit, never an exponent
        return value.toString();
    }
    case ColType::Real: {
        bool ok = false;
        const double d = value.toDouble(&ok);
        if (!ok)
            return value.toString();
        if (!std::isfinite(d))
            return plain.toString(d);
        // "0.00" style, always in fixed notation: fewer decimals the more
        // whole digits the number has; zero has no logarithm and counts as
        // one whole digit. A tiny number keeps three significant digits.
        const int whole = d == 0 ? 0 : int(std::floor(std::log10(std::fabs(d))));
        const int decimals = std::fabs(d) < 1e-4 ? qMin(2 - whole, 20) : qBound(1, 2 - whole, 4);
        return NumberText(plain, d, 'f', decimals);
    }
    case ColType::Currency: {
        bool ok = false;
        const double d = value.toDouble(&ok);
        if (!ok || !std::isfinite(d))
            return value.toString();
        return NumberText(grouped, d, 'f', 2);
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
    MeasureNames(layout);
    // Columns that cannot have their values whole on a portrait sheet turn
    // it to landscape, unless the user chose how the sheet lies.
    if (layout.mayTurnPage && layout.Stampante().Orientation() == QPageLayout::Portrait) {
        const QVector<Needs> needs = ColumnNeeds(layout);
        double ideal = 0;
        for (const Needs &n : needs)
            ideal += n.ideal;
        if (ideal > layout.RegioneL(clsImpaginatore::Body))
            layout.TurnLandscape();
    }
    if (!FitColumns(layout)) {
        m_message = lumo::MsgLayoutTooWide();
        return JobStatus::LayoutError;
    }
    WrapCells(layout);

    // About three records per cell and row, plus each page's head and foot.
    const qint64 estimate = qint64(m_rowLines.size()) * (3 * m_columns.size() + 2) + 4096;
    layout.Stampante().Reserve(qint32(qMin<qint64>(estimate, 200000000)));
    layout.PaginaInitDefoult();
    qint32 two = m_headRowLines + 1;
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
    m_word = QVector<double>(n, 0.0);
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
            if (cell.width > m_word[c]) {
                // The widest piece the cell cannot be broken at: a word of a
                // text, the whole of any other value.
                double word = cell.width;
                if (Wraps(type) && cell.text.indexOf(QLatin1Char(' '), 1) > 0) {
                    word = 0;
                    for (const auto piece : QStringView(cell.text).split(QLatin1Char('\n')))
                        for (const auto token : piece.split(QLatin1Char(' '), Qt::SkipEmptyParts))
                            word = qMax(word, list.PrintGetLenText(QLatin1Char(' ') + token.toString()));
                }
                m_word[c] = qMax(m_word[c], word);
            }
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

bool clsSQLTab::Wraps(ColType type)
{
    return type == ColType::Text || type == ColType::Memo || type == ColType::Other;
}

namespace {
// The widest word of a text, measured by measure (leading blank included).
double WidestWord(const QString &text, const std::function<double(const QString &)> &measure)
{
    double widest = 0;
    for (const auto token : QStringView(text).split(QLatin1Char(' '), Qt::SkipEmptyParts))
        widest = qMax(widest, measure(QLatin1Char(' ') + token.toString()));
    return widest;
}

// text cut into lines no wider than room (each measured with its leading
// blank): at blanks where it can, inside a word only when the word alone is
// wider than the room.
QStringList WrapText(const QString &text, double room, const std::function<double(const QString &)> &measure,
                     const std::function<qsizetype(const QString &)> &fit)
{
    QStringList lines;
    QString line;
    for (const auto token : QStringView(text).split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
        QString word = token.toString();
        const QString joined = line.isEmpty() ? word : line + QLatin1Char(' ') + word;
        if (measure(QLatin1Char(' ') + joined) <= room) {
            line = joined;
            continue;
        }
        if (!line.isEmpty())
            lines.append(line);
        line.clear();
        while (word.size() > 1 && measure(QLatin1Char(' ') + word) > room) {
            const qsizetype n = qBound<qsizetype>(1, fit(QLatin1Char(' ') + word) - 1, word.size() - 1);
            lines.append(word.left(n));
            word = word.mid(n);
        }
        line = word;
    }
    if (!line.isEmpty() || lines.isEmpty())
        lines.append(line);
    return lines;
}
}

void clsSQLTab::MeasureNames(clsImpaginatore &layout)
{
    clsStampante &list = layout.Stampante();
    const qint32 n = qint32(m_columns.size());
    m_nameWidth = QVector<double>(n, 0.0);
    m_nameWord = QVector<double>(n, 0.0);
    const auto bold = [&list](const QString &t) { return list.PrintGetLenTextAttr(t, 1.0f, 1); };
    for (qint32 c = 0; c < n; ++c) {
        m_nameWidth[c] = bold(QLatin1Char(' ') + m_columns.at(c).name);
        m_nameWord[c] = WidestWord(m_columns.at(c).name, bold);
    }
}

QVector<clsSQLTab::Needs> clsSQLTab::ColumnNeeds(clsImpaginatore &layout) const
{
    clsStampante &list = layout.Stampante();
    const qint32 n = qint32(m_columns.size());
    const double space = list.PrintGetLenText(QStringLiteral(" "));
    const double inset = layout.CharWidth();
    // A text wider than this may wrap rather than turn the sheet; the
    // narrowest a text column goes, its words broken, before the table is too wide.
    const double longText = list.PrintGetLenText(QString(30, QLatin1Char('n')));
    const double shortText = list.PrintGetLenText(QString(6, QLatin1Char('n')));
    QVector<Needs> needs(n);
    for (qint32 c = 0; c < n; ++c) {
        const ColType type = m_columns.at(c).type;
        const double extra = type == ColType::Currency ? list.PrintGetLenText(QStringLiteral("L.,, ")) : space;
        const auto cell = [&](double value) { return std::ceil(value + extra + inset); };
        const double nameWhole = std::ceil(m_nameWidth[c] + inset);
        const double nameWord = std::ceil(m_nameWord[c] + inset);
        Needs &w = needs[c];
        w.want = qMax(cell(m_widths[c]), nameWhole);
        w.whole = qMax(cell(m_content[c]), nameWhole);
        w.words = qMax(cell(m_word[c]), nameWord);
        // Last of all a heading breaks inside its words, down to its values'
        // width or six letters.
        if (Wraps(type)) {
            w.ideal = qMax(cell(qMin(m_content[c], qMax(m_word[c], longText))), nameWhole);
            w.least = cell(qMin(m_word[c], shortText));
        } else {
            w.ideal = w.whole;
            w.least = cell(m_word[c]);
        }
        const auto headingAbove = [&](double value) { return qMax(value, qMin(nameWord, qMax(value, std::ceil(shortText + inset)))); };
        w.values = headingAbove(cell(m_word[c]));
        w.least = headingAbove(w.least);
        w.values = qMax(w.values, w.least);
        w.words = qMax(w.words, w.values);
        w.whole = qMax(w.whole, w.words);
        w.ideal = qBound(w.words, w.ideal, w.whole);
        w.want = qMax(w.want, w.whole);
    }
    return needs;
}

bool clsSQLTab::FitColumns(clsImpaginatore &layout)
{
    const qint32 n = qint32(m_columns.size());
    const QVector<Needs> needs = ColumnNeeds(layout);
    const double inset = layout.CharWidth();
    const double room = layout.RegioneL(clsImpaginatore::Body);
    double want = 0, whole = 0, words = 0, values = 0, least = 0;
    for (const Needs &w : needs) {
        want += w.want;
        whole += w.whole;
        words += w.words;
        values += w.values;
        least += w.least;
    }
    // From the most comfortable widths down: each column keeps what the
    // tighter step gives it and they share what is left of the room towards
    // the looser one. Numbers, dates and times are never narrower than their
    // widest value: a text wraps at its blanks first; then a heading breaks
    // inside its words, and only past that a value's text.
    const auto share = [&](double Needs::*lower, double Needs::*upper, double sumLower, double sumUpper) {
        const double part = sumUpper > sumLower ? (room - sumLower) / (sumUpper - sumLower) : 0;
        QVector<double> widths(n);
        for (qint32 c = 0; c < n; ++c)
            widths[c] = needs[c].*lower + (needs[c].*upper - needs[c].*lower) * part;
        return widths;
    };
    QVector<double> widths(n);
    if (want <= room) {
        for (qint32 c = 0; c < n; ++c)
            widths[c] = needs[c].want;
    } else if (whole <= room) {
        widths = share(&Needs::whole, &Needs::want, whole, want);
    } else if (words <= room) {
        widths = share(&Needs::words, &Needs::whole, words, whole);
    } else if (values <= room) {
        widths = share(&Needs::values, &Needs::words, values, words);
    } else if (least <= room) {
        widths = share(&Needs::least, &Needs::values, least, values);
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

void clsSQLTab::WrapCells(clsImpaginatore &layout)
{
    clsStampante &list = layout.Stampante();
    const qint32 n = qint32(m_columns.size());
    const double space = list.PrintGetLenText(QStringLiteral(" "));
    const double inset = layout.CharWidth();
    const auto plain = [&list](const QString &t) { return list.PrintGetLenText(t); };
    const auto bold = [&list](const QString &t) { return list.PrintGetLenTextAttr(t, 1.0f, 1); };

    // The head row: a name wider than its column goes on over more lines.
    m_headParts = QVector<QStringList>(n);
    m_headRowLines = 1;
    for (qint32 c = 0; c < n; ++c) {
        const double room = layout.CLen(c) - inset;
        const QString &name = m_columns.at(c).name;
        m_headParts[c] = m_nameWidth[c] <= room
                             ? QStringList{name}
                             : WrapText(name, room, bold, [&](const QString &t) {
                                   return list.PrintFitText(t, 1.0f, 1, room);
                               });
        m_headRowLines = qMax(m_headRowLines, qint32(m_headParts[c].size()));
    }

    // A text wider than its column wraps over more lines of its row.
    const qint32 rows = qint32(m_rowLines.size());
    for (qint32 c = 0; c < n; ++c) {
        if (!Wraps(m_columns.at(c).type))
            continue;
        const double room = layout.CLen(c) - inset - space;
        if (m_content[c] <= room)
            continue;
        const auto fit = [&](const QString &t) { return list.PrintFitText(t, 1.0f, 0, room); };
        for (qint32 r = 0; r < rows; ++r) {
            Cell &cell = m_cells[qsizetype(r) * n + c];
            if (cell.width <= room)
                continue;
            QStringList shown;
            double widest = 0;
            for (const QString &piece : cell.text.split(QLatin1Char('\n')))
                for (const QString &line : WrapText(piece.mid(1), room, plain, fit)) {
                    shown.append(QLatin1Char(' ') + line);
                    widest = qMax(widest, plain(shown.last()));
                }
            cell.text = shown.join(QLatin1Char('\n'));
            cell.width = float(widest);
            cell.lines = qint32(qMin<qsizetype>(shown.size(), std::numeric_limits<qint32>::max()));
            m_rowLines[r] = qMax(m_rowLines[r], cell.lines);
        }
    }
}

void clsSQLTab::PrintHeadRow(clsImpaginatore &layout)
{
    clsStampante &list = layout.Stampante();
    const qint32 n = qint32(m_columns.size());
    const qint32 lines = m_headRowLines;
    const double top = list.PrintGetCurrentY();
    for (qint32 c = 0; c < n; ++c) {
        layout.ColoraCella(c, lines);
        const QStringList &parts = m_headParts.at(c);
        for (qsizetype j = 0; j < parts.size(); ++j) {
            if (j > 0)
                list.PrintCurrentY(top + j * layout.CellHeight());
            layout.StampaInCampo(QLatin1Char(' ') + parts.at(j), c, clsImpaginatore::Bold);
        }
        if (parts.size() > 1)
            list.PrintCurrentY(top);
        layout.ContornaCella(c, lines);
    }
    layout.NuovaLineaCampo(lines);
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
