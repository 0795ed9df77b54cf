#include "platform/print/CardPage.h"

#include "platform/error/VbError.h"

#include <cmath>

namespace CardPage {

Layout::Layout(Printer &printer) : p(printer)
{
    p.Scale(0, 0, std::floor(p.Width()), std::floor(p.Height()));
    p.SetFontName(QStringLiteral("Times New Roman"));
    const double pw = p.ScaleWidth(), ph = p.ScaleHeight();
    m_x0 = 0.05 * pw;
    m_y0 = 0.05 * ph;
    m_w = 0.9 * pw;
    m_h = 0.9 * ph;
}

void Layout::Put(double x, double y, const QString &text)
{
    p.CurrentX = x;
    p.CurrentY = y;
    p.Print(text);
}

void Layout::HeaderAndFooter(const PageTexts &texts)
{
    const double size = p.FontSize();
    const bool bold = p.FontBold();
    m_texts = texts;
    p.SetFontSize(8);
    p.SetFontBold(false);
    m_th8 = p.TextHeight(QStringLiteral("Z"));
    Put(m_x0, m_y0, texts.headerLeft);
    Put(m_x0 + m_w - p.TextWidth(texts.headerRight), m_y0, texts.headerRight);
    Put(m_x0, m_y0 + m_h - m_th8, texts.footerLeft);
    Put(m_x0 + m_w - p.TextWidth(texts.footerRight), m_y0 + m_h - m_th8, texts.footerRight);
    p.SetFontSize(size);
    p.SetFontBold(bold);
}

void Layout::Title(const QString &text, double row)
{
    p.SetFontSize(18);
    p.SetFontBold(true);
    m_th18 = p.TextHeight(QStringLiteral("Z"));
    TitleAt(text, m_y0 + row * m_th18);
}

void Layout::TitleAt(const QString &text, double y)
{
    p.SetFontSize(18);
    p.SetFontBold(true);
    m_th18 = p.TextHeight(QStringLiteral("Z"));
    const double tw = p.TextWidth(text);
    const double x = m_x0 + m_w / 2 - tw / 2;
    Put(x, y, text);
    p.Line(x, y, x + tw, y);
    p.LineTo(x + tw, y + m_th18);
    p.LineTo(x, y + m_th18);
    p.LineTo(x, y);
}

double Layout::Rows(const QList<Row> &rows, double y)
{
    p.SetFontSize(13);
    p.SetFontBold(true);
    const double step = 1.5 * p.TextHeight(QStringLiteral("Z"));
    const double xl = m_x0 + p.TextWidth(QStringLiteral("ZZZZZ"));
    for (const Row &r : rows)
        y = NextLine(Field(xl, y, r, m_x0 + m_w), step);
    p.SetFontBold(true);
    return y;
}

double Layout::NextLine(double y, double step)
{
    y += step;
    if (y + p.TextHeight(QStringLiteral("Z")) > Bottom()) {
        p.NewPage();
        HeaderAndFooter(m_texts);
        y = m_y0 + 2 * m_th8;
    }
    return y;
}

double Layout::Field(double x, double y, const Row &row, double right)
{
    p.SetFontBold(true);
    Put(x, y, row.label);
    const double xv = x + p.TextWidth(row.label + QStringLiteral("  "));
    p.SetFontBold(false);
    y = Wrapped(xv, y, right, row.value);
    p.SetFontBold(true);
    return y;
}

double Layout::Wrapped(double x, double y, double right, const QString &text)
{
    const double step = p.TextHeight(QStringLiteral("Z"));
    const QStringList lines = WrapLines(text, right - x);
    for (int i = 0; i < lines.size(); ++i) {
        if (i > 0)
            y = NextLine(y, step);
        Put(x, y, lines[i]);
    }
    return y;
}

QStringList Layout::WrapLines(const QString &text, double width) const
{
    const auto fits = [&](const QString &t) { return p.TextWidth(t) <= width; };
    QStringList lines;
    QString line;
    for (const QString &word : text.split(QLatin1Char(' '))) {
        const QString joined = line.isEmpty() ? word : line + QLatin1Char(' ') + word;
        if (fits(joined)) {
            line = joined;
            continue;
        }
        if (!line.isEmpty())
            lines << line;
        // A word wider than the column is cut at the last character that
        // fits (at least one, and never inside a surrogate pair).
        QString rest = word;
        while (!fits(rest)) {
            qsizetype n = 1;
            while (n < rest.size() && fits(rest.left(n + 1)))
                ++n;
            if (n < rest.size() && rest.at(n - 1).isHighSurrogate())
                ++n;
            lines << rest.left(n);
            rest = rest.mid(n);
        }
        line = rest;
    }
    if (!line.isEmpty() || lines.isEmpty())
        lines << line;
    return lines;
}

void PrintCard(Printer &printer, int orientation, const std::function<void(Layout &page)> &body)
{
    const QString fontName = printer.FontName();
    const double fontSize = printer.FontSize();
    const bool fontBold = printer.FontBold();
    const auto restoreFont = [&] {
        printer.SetFontName(fontName);
        printer.SetFontSize(fontSize);
        printer.SetFontBold(fontBold);
    };
    try {
        printer.SetOrientation(orientation);
        Layout page(printer);
        body(page);
        restoreFont();
        printer.EndDoc();
    } catch (const VbError &) {
        printer.KillDoc();
        restoreFont();
        throw;
    } catch (const std::exception &e) {
        printer.KillDoc();
        restoreFont();
        throw VbError(Printer::ErrPrinter, QString::fromLocal8Bit(e.what()));
    }
}

void PrintSimpleCard(Printer &printer, int orientation, const PageTexts &texts,
                     const QString &title, const QList<Row> &rows)
{
    PrintCard(printer, orientation, [&](Layout &page) {
        page.HeaderAndFooter(texts);
        page.Title(QStringLiteral("  ") + title + QStringLiteral("  "), 1);
        page.Rows(rows, page.Y0() + 3 * page.TH18());
    });
}

} // namespace CardPage
