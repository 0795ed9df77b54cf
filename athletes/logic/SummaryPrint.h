#pragma once
// The printed card of one athlete's summary: the title "  Surname Name  " in a
// box, then three blocks of label and value rows (climbs on the left, the
// climb extremes on the right, trainings below), each value the text the
// summary window shows followed by its unit. The athlete's code is not printed.
#include "platform/print/CardPage.h"
#include "platform/print/Printer.h"

#include <QList>
#include <QString>
#include <array>

namespace SummaryPrint {

// The twenty figures as the summary window's boxes show them, by box index
// (0 code, 1 surname, 2 name, 3..14 climbs, 15..19 trainings).
using Figures = std::array<QString, 20>;

struct CardRow {
    QString label;    // printed bold
    QString value;    // printed regular: the figure and its unit
};
// The rows of the three blocks, in printing order.
QList<CardRow> ClimbRows(const Figures &f);
QList<CardRow> ExtremeRows(const Figures &f);
QList<CardRow> TrainingRows(const Figures &f);
// "  Surname Name  ".
QString Title(const Figures &f);

// Text measures in the printer's scale, in the font named by size and weight
// ("Times New Roman"). The printer gives them for real; tests give fakes.
class Metrics {
public:
    virtual ~Metrics() = default;
    virtual double TextWidth(const QString &text, double points, bool bold) const = 0;
    virtual double TextHeight(double points, bool bold) const = 0;   // of "Z"
};

struct PlacedRow {
    QString label, value;
    double x = 0, y = 0;     // the label's top left corner
    double valueX = 0;       // the value's left edge (same y)
};
// Where every row goes, given the card frame's left edge and top (5 % in from
// the sheet's corner). Left column at left + width of "ZZZZZ", right column at
// left + width of 21 "Z" + width of "   " and the right column's width text,
// both from top + 3 x height of "Z" in 18-point bold; the trainings 3 row steps
// below the last row of the right column. Rows 1.5 x height of "Z" in 13 points
// apart; a value starts after its label and two blanks (widths in 13-point bold).
QList<PlacedRow> LayoutRows(const Figures &f, double left, double top, const Metrics &m);

// Prints the card on one page and ends the document (orientation 1 portrait,
// 2 landscape). On failure the document is discarded and the VbError thrown on.
void PrintCard(Printer &printer, const Figures &f, int orientation, const CardPage::PageTexts &texts);
// The header and footer texts of now ("Date:", "Time:" of the summary card).
CardPage::PageTexts CurrentPageTexts();

} // namespace SummaryPrint
