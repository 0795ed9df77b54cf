// The shared card page, read back from its PDF with the words' boxes: the
// header and footer lines sit on the 5 % frame, date and program left, time
// and organisation right; the rows run 1.5 text heights apart, labels in line.
#include "PdfReadBack.h"
#include "TestSupport.h"
#include "platform/print/CardPage.h"
#include "platform/print/Printer.h"

#include <QTemporaryDir>

namespace {
using PdfReadBack::Word;

// Every word of the first page with its box, and the page size.
QList<Word> Words(const QString &pdf, double *width, double *height)
{
    QSizeF page;
    const QList<Word> words = PdfReadBack::Words(pdf, &page);
    *width = page.width();
    *height = page.height();
    return words;
}

Word Find(const QList<Word> &words, const QString &text)
{
    for (const Word &w : words)
        if (w.text == text)
            return w;
    ADD_FAILURE() << "no word " << text.toStdString();
    return {};
}
}

TEST(CardPage, FrameHeaderFooterTitleAndRows)
{
    QTemporaryDir dir;
    const QString pdf = dir.filePath(QStringLiteral("page.pdf"));
    Printer printer;
    printer.SetOutputFileName(pdf);
    const CardPage::PageTexts texts{QStringLiteral(" Date: 10/12/26"), QStringLiteral("Time: 08:30 "),
                                    QStringLiteral(" vettaro 1.0"), QStringLiteral("Makers ")};
    CardPage::PrintSimpleCard(printer, Printer::vbPRORPortrait, texts, QStringLiteral("Title"),
                              {{QStringLiteral("First:"), QStringLiteral("one")},
                               {QStringLiteral("Second:"), QStringLiteral("two")},
                               {QStringLiteral("Third:"), QStringLiteral("three")}});
    EXPECT_FALSE(printer.InDocument());
    double pw = 0, ph = 0;
    const QList<Word> words = Words(pdf, &pw, &ph);
    ASSERT_GT(pw, 0);
    const double tol = 0.01 * pw;
    const Word date = Find(words, QStringLiteral("Date:")), time = Find(words, QStringLiteral("08:30"));
    const Word program = Find(words, QStringLiteral("vettaro")), org = Find(words, QStringLiteral("Makers"));
    EXPECT_NEAR(date.y0, 0.05 * ph, tol);
    EXPECT_NEAR(time.x1, 0.95 * pw, tol);
    EXPECT_NEAR(program.y1, 0.95 * ph, tol);
    EXPECT_NEAR(org.x1, 0.95 * pw, tol);
    EXPECT_LT(date.x0, 0.07 * pw);
    EXPECT_LT(program.x0, 0.07 * pw);

    const Word title = Find(words, QStringLiteral("Title"));
    EXPECT_NEAR((title.x0 + title.x1) / 2, pw / 2, tol);
    const Word a = Find(words, QStringLiteral("First:")), b = Find(words, QStringLiteral("Second:")),
               c = Find(words, QStringLiteral("Third:"));
    EXPECT_NEAR(a.x0, b.x0, 0.5);
    EXPECT_NEAR(b.y0 - a.y0, c.y0 - b.y0, 0.5);
    EXPECT_GT(b.y0 - a.y0, 1.2 * (a.y1 - a.y0));
    EXPECT_GT(Find(words, QStringLiteral("one")).x0, a.x1);
    EXPECT_GT(a.y0, title.y1);
}

// A value wider than the frame goes on over further lines inside it (at a
// character when it has no blanks), and the rows below move down with it.
TEST(CardPage, OverWideValueWrapsInsideTheFrame)
{
    QTemporaryDir dir;
    const QString pdf = dir.filePath(QStringLiteral("wide.pdf"));
    Printer printer;
    printer.SetOutputFileName(pdf);
    const QString wide = QStringLiteral("W").repeated(120);
    CardPage::PrintSimpleCard(printer, Printer::vbPRORPortrait, {}, QStringLiteral("Title"),
                              {{QStringLiteral("First:"), QStringLiteral("one")},
                               {QStringLiteral("Broad:"), wide},
                               {QStringLiteral("Last:"), QStringLiteral("end")}});
    double pw = 0, ph = 0;
    const QList<Word> words = Words(pdf, &pw, &ph);
    QString printed;
    int lines = 0;
    for (const Word &w : words) {
        EXPECT_LE(w.x1, 0.95 * pw + 0.5) << w.text.toStdString();
        if (w.text.startsWith(QLatin1Char('W'))) {
            printed += w.text;
            ++lines;
        }
    }
    EXPECT_EQ(printed, wide);
    EXPECT_GE(lines, 2);
    const Word a = Find(words, QStringLiteral("First:")), b = Find(words, QStringLiteral("Broad:")),
               c = Find(words, QStringLiteral("Last:"));
    const double line = b.y1 - b.y0;
    EXPECT_NEAR(c.y0 - b.y0, (b.y0 - a.y0) + (lines - 1) * line, 1.0);
}
