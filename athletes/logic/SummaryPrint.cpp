#include "athletes/logic/SummaryPrint.h"

#include "athletes/logic/AthletePrint.h"
#include "core/LangClient.h"

namespace SummaryPrint {

namespace {
const QString Km = QStringLiteral(" km.");
const QString MetresDot = QStringLiteral(" m.");
const QString Metres = QStringLiteral(" m");
const QString Rate = QStringLiteral(" m/h");

CardRow Row(int text, const QString &value, const QString &unit = QString())
{
    return {GetLangString(text), value + unit};
}

class PrinterMetrics : public Metrics {
public:
    explicit PrinterMetrics(Printer &p) : p(p) {}
    double TextWidth(const QString &text, double points, bool bold) const override
    {
        Set(points, bold);
        return p.TextWidth(text);
    }
    double TextHeight(double points, bool bold) const override
    {
        Set(points, bold);
        return p.TextHeight(QStringLiteral("Z"));
    }

private:
    void Set(double points, bool bold) const
    {
        p.SetFontSize(points);
        p.SetFontBold(bold);
    }
    Printer &p;
};
} // namespace

QList<CardRow> ClimbRows(const Figures &f)
{
    return {Row(23503, f[3]),          Row(23504, f[4], Km),   Row(23505, f[5], MetresDot),
            Row(23506, f[6], Rate),    Row(23507, f[7], Rate), Row(23508, f[8], Rate)};
}

QList<CardRow> ExtremeRows(const Figures &f)
{
    return {Row(23510, f[9], Km),      Row(23511, f[10], Km),     Row(23512, f[11], Km),
            Row(23513, f[12], Metres), Row(23514, f[13], Metres), Row(23515, f[14], Metres)};
}

QList<CardRow> TrainingRows(const Figures &f)
{
    return {Row(23517, f[15]), Row(23518, f[16], Km), Row(23519, f[17], Km), Row(23520, f[18], Km),
            Row(23521, f[19], Km)};
}

QString Title(const Figures &f)
{
    return QStringLiteral("  ") + f[1] + QLatin1Char(' ') + f[2] + QStringLiteral("  ");
}

QList<PlacedRow> LayoutRows(const Figures &f, double left, double top, const Metrics &m)
{
    QList<PlacedRow> out;
    const double step = 1.5 * m.TextHeight(13, true);
    const double firstY = top + 3 * m.TextHeight(18, true);
    auto place = [&](const QList<CardRow> &rows, double x, double y) {
        for (const CardRow &r : rows) {
            out.push_back({r.label, r.value, x, y, x + m.TextWidth(QStringLiteral("  ") + r.label, 13, true)});
            y += step;
        }
        return y - step;   // the last row's y
    };
    const double leftX = left + m.TextWidth(QStringLiteral("ZZZZZ"), 13, true);
    place(ClimbRows(f), leftX, firstY);
    const double rightX = left + m.TextWidth(QString(21, QLatin1Char('Z')), 13, true)
                          + m.TextWidth(QStringLiteral("   ") + GetLangString(23509), 13, true);
    const double lastRight = place(ExtremeRows(f), rightX, firstY);
    place(TrainingRows(f), leftX, lastRight + 3 * step);
    return out;
}

void PrintCard(Printer &printer, const Figures &f, int orientation, const CardPage::PageTexts &texts)
{
    CardPage::PrintCard(printer, orientation, [&](CardPage::Layout &page) {
        page.HeaderAndFooter(texts);
        page.Title(Title(f), 1);
        const PrinterMetrics metrics(printer);
        const QList<PlacedRow> rows = LayoutRows(f, page.X0(), page.Y0(), metrics);
        printer.SetFontSize(13);
        for (const PlacedRow &r : rows) {
            printer.SetFontBold(true);
            page.Put(r.x, r.y, r.label);
            printer.SetFontBold(false);
            page.Put(r.valueX, r.y, r.value);
        }
        printer.SetFontBold(true);
    });
}

CardPage::PageTexts CurrentPageTexts()
{
    return AthletePrint::CurrentPageTexts(23500, 23501);
}

} // namespace SummaryPrint
