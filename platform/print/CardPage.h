#pragma once
// The page of a printed card: a frame 5 % inside the sheet, a header line with
// the date on the left and the time on the right, a footer line with the
// program's name and version on the left and its organisation on the right, a
// boxed title in 18-point bold, and rows of a bold label followed by a regular
// value in 13 points. Every card print of the program draws through it.
#include "platform/print/Printer.h"

#include <QList>
#include <functional>
#include <QString>

namespace CardPage {

// The texts of the header and footer lines, as they are printed.
struct PageTexts {
    QString headerLeft;     // " Date: 10/12/26"
    QString headerRight;    // "Time: 08:30 "
    QString footerLeft;     // " vettaro 1.0"
    QString footerRight;    // "Vettaro "
};

struct Row {
    QString label;
    QString value;
};

// Drawing in the card's frame on one printer; the constructor sets the scale
// to the sheet (0, 0)-(width, height) and the font to "Times New Roman".
class Layout {
public:
    explicit Layout(Printer &printer);

    Printer &printer() { return p; }
    double X0() const { return m_x0; }     // frame left
    double Y0() const { return m_y0; }     // frame top
    double W() const { return m_w; }       // frame width
    double H() const { return m_h; }       // frame height
    double TH8() const { return m_th8; }   // height of "Z" in 8 points (after Header)
    double TH18() const { return m_th18; } // height of "Z" in 18-point bold (after Title)

    // Text with its top left corner at (x, y).
    void Put(double x, double y, const QString &text);
    // The header and footer lines in 8-point regular; the font size and weight
    // in force are kept. A page started by NextLine repeats them.
    void HeaderAndFooter(const PageTexts &texts);
    // The title centred in the frame at Y0 + row x TH(18), with a box around it.
    void Title(const QString &text, double row);
    // The same with the title's top at y.
    void TitleAt(const QString &text, double y);
    // Label (bold) and value (regular) rows in 13 points from y, 1.5 x TH(13)
    // apart; labels at X0 + the width of "ZZZZZ", each value after its label and
    // two blanks, wrapped inside the frame (see Field). Returns the y below the
    // last row.
    double Rows(const QList<Row> &rows, double y);

    // Where the footer line begins: text below it would run into the footer.
    double Bottom() const { return m_y0 + m_h - m_th8; }
    // The line `step` below y. When a line there would reach the footer, a new
    // page is started with the same header and footer, and the line is the
    // first below the header.
    double NextLine(double y, double step);
    // The label in bold at (x, y), then the value in regular weight after the
    // label and two blanks, kept in its column: a value wider than the column
    // (up to `right`) goes on over further lines one TH apart, broken at blanks
    // (a word wider than the column at a character). Bold is on afterwards.
    // Returns the y of the value's last line.
    double Field(double x, double y, const Row &row, double right);
    // Text from (x, y) in lines no wider than right - x, broken as in Field.
    // Returns the y of the last line.
    double Wrapped(double x, double y, double right, const QString &text);
    // The lines Wrapped prints, in the current font.
    QStringList WrapLines(const QString &text, double width) const;

private:
    Printer &p;
    PageTexts m_texts;
    double m_x0 = 0, m_y0 = 0, m_w = 0, m_h = 0, m_th8 = 0, m_th18 = 0;
};

// One card document: sets the orientation (1 portrait, 2 landscape), builds
// the page's Layout, lets body draw on it, puts the printer's font back and
// ends the document. On any failure the document is discarded (KillDoc), the
// font put back and a VbError thrown on.
void PrintCard(Printer &printer, int orientation, const std::function<void(Layout &page)> &body);

// A one-page card: header and footer, the title (two blanks either side) at
// row 1, and the rows from Y0 + 3 x TH(18). The printer's font is put back and
// the document ended; on any failure the document is discarded (KillDoc) and
// the VbError is thrown on. orientation: 1 portrait, 2 landscape.
void PrintSimpleCard(Printer &printer, int orientation, const PageTexts &texts,
                     const QString &title, const QList<Row> &rows);

} // namespace CardPage
