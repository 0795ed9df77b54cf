#include "recordings/RecordingWorkbook.h"

#include "core/TimeFormat.h"
#include "platform/shell/FileWrite.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <charconv>
#include <cstdio>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <xlsxwriter.h>

namespace {

// The shortest decimal text that reads back as the same single-precision
// value, so 12.3 shows as 12.3 and not as 12.3000001907.
std::string SingleText(float v)
{
    char buf[32];
    const auto r = std::to_chars(buf, buf + sizeof buf, v);
    return std::string(buf, r.ptr);
}

double SingleValue(float v)
{
    const std::string t = SingleText(v);
    return std::strtod(t.c_str(), nullptr);
}

int CodePoints(const QString &s)
{
    return int(s.toUcs4().size());
}

// Texts that start with "=" are formulas to the chart writer.
QByteArray ChartText(const QString &s)
{
    return (s.startsWith(QLatin1Char('=')) ? QStringLiteral(" ") + s : s).toUtf8();
}

// True when the file ends in a zip archive's end record (the workbook is
// written without an archive comment, so the record is the last 22 bytes).
bool EndsAsZipArchive(const QString &path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly) || f.size() < 22 || !f.seek(f.size() - 22))
        return false;
    return f.read(4) == QByteArrayLiteral("PK\x05\x06");
}

} // namespace

QString SpreadsheetSheetName(const QString &recordingName)
{
    QString name;
    for (const char32_t c : recordingName.toUcs4()) {
        if (c < 32 || c == 0x7F)
            continue;
        if (c == '[' || c == ']' || c == ':' || c == '*' || c == '?' || c == '/' || c == '\\')
            name += QLatin1Char('_');
        else
            name += QString::fromUcs4(&c, 1);
    }
    auto trimApostrophes = [&] {
        while (name.startsWith(QLatin1Char('\'')))
            name.remove(0, 1);
        while (name.endsWith(QLatin1Char('\'')))
            name.chop(1);
    };
    trimApostrophes();
    const QList<uint> ucs = name.toUcs4();
    if (ucs.size() > 31) {
        name = QString::fromUcs4(reinterpret_cast<const char32_t *>(ucs.constData()), 31);
        trimApostrophes();
    }
    if (name.trimmed().isEmpty())
        name = QStringLiteral("Sheet1");
    return name;
}

QString QuotedSheetName(const QString &sheetName)
{
    QString inner = sheetName;
    inner.replace(QLatin1Char('\''), QStringLiteral("''"));
    return QLatin1Char('\'') + inner + QLatin1Char('\'');
}

bool WriteRecordingWorkbook(const QString &Path, const QString &recordingName, const ColSample *samples,
                            const WorkbookTexts &texts, QString *error)
{
    auto fail = [&](const QString &why) {
        if (error)
            *error = why;
        return false;
    };
    const int n = samples ? samples->Count() : 0;
    // The last row a worksheet has.
    if (n + 1 > 1048576)
        return fail(QStringLiteral("more than 1,048,575 samples"));

    // libxlsxwriter writes the file by name: it writes the safe writer's new
    // file, which replaces the target only once complete and synced.
    FileWrite::SafeFileWriter out(Path);
    if (!out.open())
        return fail(out.errorText());
    const QString tempName = out.temporaryPath();
    const QByteArray tempPath = QFile::encodeName(tempName);

    lxw_workbook *wb = workbook_new(tempPath.constData());
    if (!wb)
        return fail(QStringLiteral("the workbook cannot be created"));
    const QString sheetName = SpreadsheetSheetName(recordingName);
    const QByteArray sheetUtf8 = sheetName.toUtf8();
    lxw_worksheet *ws = workbook_add_worksheet(wb, sheetUtf8.constData());
    lxw_format *bold = workbook_add_format(wb);
    format_set_bold(bold);

    double widths[10];
    for (int c = 0; c < 10; ++c) {
        const QString header = texts.headers.value(c);
        worksheet_write_string(ws, 0, lxw_col_t(c), header.toUtf8().constData(), bold);
        widths[c] = CodePoints(header) * 1.1;   // bold runs wider
    }
    auto widen = [&](int c, double chars) {
        if (chars > widths[c])
            widths[c] = chars;
    };
    auto number = [&](lxw_row_t row, int c, double v, size_t chars) {
        worksheet_write_number(ws, row, lxw_col_t(c), v, nullptr);
        widen(c, double(chars));
    };
    auto whole = [&](lxw_row_t row, int c, int v) { number(row, c, v, QByteArray::number(v).size()); };
    auto single = [&](lxw_row_t row, int c, float v) { number(row, c, SingleValue(v), SingleText(v).size()); };

    lxw_row_t row = 0;
    if (samples) {
        for (const SamplePtr &s : *samples) {
            ++row;
            const QString time = FormatSeconds(s->Seconds());
            worksheet_write_string(ws, row, 0, time.toUtf8().constData(), nullptr);
            widen(0, CodePoints(time));
            single(row, 1, s->Distance());
            whole(row, 2, s->Height());
            single(row, 3, s->Speed());
            whole(row, 4, s->Pulse());
            whole(row, 5, s->Cadence());
            single(row, 6, s->Temperature());
            whole(row, 7, s->Power());
            whole(row, 8, s->PowerBalance());
            whole(row, 9, s->PedalingIndex());
        }
    }
    for (int c = 0; c < 10; ++c)
        worksheet_set_column(ws, lxw_col_t(c), lxw_col_t(c), widths[c] + 1.5, nullptr);

    if (n > 0) {
        lxw_chart *chart = workbook_add_chart(wb, LXW_CHART_SCATTER_STRAIGHT);
        // Ranges given by sheet name and cells: the writer quotes the name
        // in the chart's formulas and fills the chart's cached values.
        const lxw_row_t last = lxw_row_t(n);
        for (int c = 2; c < 10; ++c) {
            lxw_chart_series *series = chart_add_series(chart, nullptr, nullptr);
            chart_series_set_categories(series, sheetUtf8.constData(), 1, 1, last, 1);
            chart_series_set_values(series, sheetUtf8.constData(), 1, lxw_col_t(c), last, lxw_col_t(c));
            chart_series_set_name_range(series, sheetUtf8.constData(), 0, lxw_col_t(c));
        }
        chart_title_set_name(chart, ChartText(recordingName).constData());
        chart_axis_set_name(chart->x_axis, ChartText(texts.xAxis).constData());
        chart_axis_set_name(chart->y_axis, ChartText(texts.yAxis).constData());
        const char *chartName = QString::compare(sheetName, QLatin1String("Chart1"), Qt::CaseInsensitive) == 0
            ? "Chart2" : "Chart1";
        lxw_chartsheet *cs = workbook_add_chartsheet(wb, chartName);
        chartsheet_set_chart(cs, chart);
        chartsheet_activate(cs);
    }

    const lxw_error err = workbook_close(wb);
    // Judged while the unfinished file is still there: a full disk is named.
    if (err != LXW_NO_ERROR)
        return fail(FileWrite::Cause(Path, 0, QString::fromUtf8(lxw_strerror(err))));
    // A workbook cut short by a failed write lacks the archive's closing record.
    if (!EndsAsZipArchive(tempName))
        return fail(FileWrite::Cause(Path, 0, QStringLiteral("incomplete workbook")));
    if (!out.commit())
        return fail(out.errorText());
    return true;
}
