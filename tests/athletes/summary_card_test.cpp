// The printed card of the per-athlete summary: where its rows go (with fake
// text measures), what the printed page says (read back from a PDF), the page
// against a stored reference, landscape and a printer that fails.
#include "athletes_fixture.h"

#include "PdfReadBack.h"

#include "athletes/frmRiepilogo.h"
#include "athletes/logic/SummaryPrint.h"
#include "platform/print/Printer.h"
#include "platform/ui/Prompt.h"

#include <QImage>
#include <QPageLayout>
#include <QPrinter>
#include <QRegularExpression>
#include <QTextStream>

namespace {
using PdfReadBack::Word;

// The page as text, lines kept in place, runs of blanks made one.
QString PdfText(const QString &pdf)
{
    return PdfReadBack::Text(pdf).replace(QRegularExpression(QStringLiteral("[ \\t]+")), QStringLiteral(" "));
}

// Widths grow with the length, the size and (by half) with bold; "Z" is 10
// units high per point, 11 in bold. A measure taken in the wrong size or
// weight moves a row.
class FakeMetrics : public SummaryPrint::Metrics {
public:
    double TextWidth(const QString &text, double points, bool bold) const override
    {
        return text.size() * points * (bold ? 1.5 : 1.0);
    }
    double TextHeight(double points, bool bold) const override { return points * (bold ? 11 : 10); }
};

SummaryPrint::Figures SampleFigures()
{
    return {QStringLiteral("SECRET9"), QStringLiteral("Rossi"), QStringLiteral("Ugo"), QStringLiteral("2"),
            QStringLiteral("24"),      QStringLiteral("1857"),  QStringLiteral("900"), QStringLiteral("638"),
            QStringLiteral("769"),     QStringLiteral("14"),    QStringLiteral("10"),  QStringLiteral("12"),
            QStringLiteral("957"),     QStringLiteral("900"),   QStringLiteral("928.5"), QStringLiteral("3"),
            QString(),                 QStringLiteral("42"),    QStringLiteral("8"),   QStringLiteral("20")};
}
} // namespace

TEST_F(AthletesTest, SummaryCardLayoutPlacesTheThreeBlocks)
{
    const FakeMetrics m;
    const SummaryPrint::Figures f = SampleFigures();
    const double left = 100, top = 200;
    const QList<SummaryPrint::PlacedRow> rows = SummaryPrint::LayoutRows(f, left, top, m);
    ASSERT_EQ(rows.size(), 17);
    const double step = 1.5 * 13 * 11;
    const double firstY = top + 3 * 18 * 11;
    const double leftX = left + 5 * 13 * 1.5;
    const double rightX = left + 21 * 13 * 1.5 + (3 + GetLangString(23509).size()) * 13 * 1.5;
    for (int i = 0; i < 17; ++i) {
        SCOPED_TRACE(i);
        const bool right = i >= 6 && i < 12;
        const double y = i < 6 ? firstY + i * step : right ? firstY + (i - 6) * step : firstY + (5 + 3 + i - 12) * step;
        EXPECT_DOUBLE_EQ(rows[i].x, right ? rightX : leftX);
        EXPECT_DOUBLE_EQ(rows[i].y, y);
        EXPECT_DOUBLE_EQ(rows[i].valueX, rows[i].x + (2 + rows[i].label.size()) * 13 * 1.5);
    }
    // Labels and units as printed; the code is not among them.
    const QStringList expected{
        "Total Climbs:|2",          "km climbed:|24 km.",          "Total elevation gain:|1857 m.",
        "Max C.R.:|900 m/h",        "Min. C.R.:|638 m/h",          "Average C.R.:|769 m/h",
        "Longer Climb:|14 km.",     "Shorter Climb:|10 km.",       "Average Climb:|12 km.",
        "Max. elevation gain:|957 m", "Min. elevation gain:|900 m", "Average elevation gain:|928.5 m",
        "Total Trainings:|3",       "Odometer:| km.",              "Max. Dist.:|42 km.",
        "Min. Dist.:|8 km.",        "Average Dist.:|20 km."};
    for (int i = 0; i < 17; ++i)
        EXPECT_EQ(rows[i].label + QLatin1Char('|') + rows[i].value, expected[i]);
    EXPECT_EQ(SummaryPrint::Title(f), QStringLiteral("  Rossi Ugo  "));
}

// The page compared with a stored reference: every word in its place (to a
// point). VETTARO_UPDATE_GOLDEN=1 writes the reference anew.
TEST_F(AthletesTest, SummaryCardPageMatchesItsReference)
{
    const QString pdf = Path(QStringLiteral("golden.pdf"));
    Printer printer;
    printer.SetOutputFileName(pdf);
    const CardPage::PageTexts texts{QStringLiteral(" Date: 12/10/26"), QStringLiteral("Time: 8:30 AM "),
                                    QStringLiteral(" vettaro 1.0"), QStringLiteral("Vettaro ")};
    SummaryPrint::PrintCard(printer, SampleFigures(), Printer::vbPRORPortrait, texts);
    QString page;
    QSizeF size;
    for (const Word &w : PdfReadBack::Words(pdf, &size))
        page += QStringLiteral("%1 %2 %3\n").arg(qRound(w.x0)).arg(qRound(w.y0)).arg(w.text);
    ASSERT_FALSE(page.isEmpty());
    const QString golden = QDir(TestSupport::DataDir()).filePath(QStringLiteral("athletes/summary_card.golden.txt"));
    if (qEnvironmentVariableIsSet("VETTARO_UPDATE_GOLDEN")) {
        QFile out(golden);
        ASSERT_TRUE(out.open(QIODevice::WriteOnly | QIODevice::Truncate));
        out.write(page.toUtf8());
    }
    QFile in(golden);
    ASSERT_TRUE(in.open(QIODevice::ReadOnly)) << golden.toStdString();
    const QStringList want = QString::fromUtf8(in.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    const QStringList got = page.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    ASSERT_EQ(got.size(), want.size()) << page.toStdString();
    for (int i = 0; i < got.size(); ++i) {
        const QStringList g = got[i].split(QLatin1Char(' ')), e = want[i].split(QLatin1Char(' '));
        ASSERT_EQ(g.size(), 3);
        ASSERT_EQ(e.size(), 3);
        EXPECT_EQ(g[2], e[2]) << i;
        EXPECT_LE(std::abs(g[0].toInt() - e[0].toInt()), 1) << got[i].toStdString() << " vs " << want[i].toStdString();
        EXPECT_LE(std::abs(g[1].toInt() - e[1].toInt()), 1) << got[i].toStdString() << " vs " << want[i].toStdString();
    }
}

// In every language the card's words stay inside the frame, and a row of
// the left column ends before the right column begins.
TEST_F(AthletesTest, SummaryCardFitsTheFrameInEveryLanguage)
{
    for (const char *lang : {"1033", "1040", "3082", "1031", "1036"}) {
        SCOPED_TRACE(lang);
        ASSERT_EQ(SelectLanguage(QLatin1String(lang), QStringLiteral("1033")), QLatin1String(lang));
        const QString pdf = Path(QStringLiteral("fit-%1.pdf").arg(QLatin1String(lang)));
        Printer printer;
        printer.SetOutputFileName(pdf);
        const CardPage::PageTexts texts{QStringLiteral(" Date: 12/10/26"), QStringLiteral("Time: 8:30 AM "),
                                        QStringLiteral(" vettaro 1.0"), QStringLiteral("Vettaro ")};
        SummaryPrint::Figures f = SampleFigures();
        f[5] = QStringLiteral("123456");   // wide figures in both columns
        f[14] = QStringLiteral("1234.56");
        SummaryPrint::PrintCard(printer, f, Printer::vbPRORPortrait, texts);
        QSizeF page;
        const QList<Word> words = PdfReadBack::Words(pdf, &page);
        ASSERT_FALSE(words.isEmpty());
        double rightColumn = page.width();
        const QString firstRight = GetLangString(23510).split(QLatin1Char(' ')).first();
        for (const Word &w : words) {
            EXPECT_GE(w.x0, 0.05 * page.width() - 1) << w.text.toStdString();
            EXPECT_LE(w.x1, 0.95 * page.width() + 1) << w.text.toStdString();
            if (w.text == firstRight)
                rightColumn = std::min(rightColumn, w.x0);
        }
        ASSERT_LT(rightColumn, page.width());
        // The total gain's row stands beside the right column's first rows.
        int seen = 0;
        for (const Word &w : words) {
            if (w.text == QLatin1String("123456")) {
                ++seen;
                EXPECT_LT(w.x1, rightColumn);
            }
        }
        EXPECT_EQ(seen, 1);
    }
}

class SummaryCardTest : public AthletesTest {
protected:
    void SetUp() override
    {
        AthletesTest::SetUp();
        AddAthlete(QStringLiteral("SECRET9"), QStringLiteral("Rossi"));
        CurrentDb->Execute(QStringLiteral("INSERT INTO [Dati Salite] ([IDPercorso], [Lunghezza], [Quotainiziale], "
                                          "[Quotafinale]) VALUES ('Giau', 10, 1000, 1900)"));
        AddTime(true, QStringLiteral("SECRET9"), QStringLiteral("Giau"), QStringLiteral("2004-01-01"));
    }
    void TearDown() override
    {
        m_window.reset();
        AthletesTest::TearDown();
    }
    frmRiepilogo &Open()
    {
        SummaryRs = CurrentDb->OpenRecordset(QStringLiteral("Riepilogo per Atleta"));
        m_window = std::make_unique<frmRiepilogo>();
        return *m_window;
    }
    std::unique_ptr<frmRiepilogo> m_window;
};

TEST_F(SummaryCardTest, PrintsWhatTheWindowShows)
{
    TestSupport::LocaleScope scope(QLocale(QLocale::English, QLocale::UnitedStates));
    const QString pdf = Path(QStringLiteral("summary.pdf"));
    PdfReadBack::Output output(pdf);
    Open().MyPrint();
    ASSERT_TRUE(QFile::exists(pdf));
    const QString text = PdfText(pdf);
    for (const char *line : {"Rossi Ugo", "Total Climbs: 1", "km climbed: 10 km.", "Total elevation gain: 900 m.",
                             "Max C.R.: 900 m/h", "Max. elevation gain: 900 m", "Total Trainings: 0",
                             "Odometer: km.", "Average Dist.: km.", "Date:", "Time:"})
        EXPECT_TRUE(text.contains(QLatin1String(line))) << line << "\n" << text.toStdString();
    EXPECT_FALSE(text.contains(QLatin1String("SECRET9"))) << text.toStdString();
    EXPECT_FALSE(text.contains(QLatin1String("900 m.\n"))) << "per-climb gains carry no full stop";
    QSizeF page;
    const QList<Word> words = PdfReadBack::Words(pdf, &page);
    EXPECT_LT(page.width(), page.height());
    EXPECT_TRUE(TestSupport::Script().messages().isEmpty());

    // The title stands in a drawn box: a dark line above and one below it,
    // each spanning the whole title.
    Word first{}, last{};
    for (const Word &w : words) {
        if (w.text == QLatin1String("Rossi") && first.text.isEmpty())
            first = w;
        if (w.text == QLatin1String("Ugo") && last.text.isEmpty())
            last = w;
    }
    ASSERT_FALSE(first.text.isEmpty());
    ASSERT_FALSE(last.text.isEmpty());
    QProcess render;
    render.start(QStringLiteral("pdftoppm"), {QStringLiteral("-r"), QStringLiteral("72"), QStringLiteral("-png"),
                                              QStringLiteral("-singlefile"), pdf, Path(QStringLiteral("summary"))});
    ASSERT_TRUE(render.waitForFinished(30000));
    const QImage image(Path(QStringLiteral("summary.png")));
    ASSERT_FALSE(image.isNull());
    auto fullLine = [&](int y) {
        for (int x = int(first.x0); x <= int(last.x1); ++x)
            if (qGray(image.pixel(x, y)) > 240)   // a hairline renders grey
                return false;
        return true;
    };
    auto lineBetween = [&](double from, double to) {
        for (int y = int(from); y <= int(to); ++y)
            if (y >= 0 && y < image.height() && fullLine(y))
                return true;
        return false;
    };
    const double h = first.y1 - first.y0;
    EXPECT_TRUE(lineBetween(first.y0 - h, first.y0)) << "no line above the title";
    EXPECT_TRUE(lineBetween(first.y1, first.y1 + h)) << "no line below the title";
}

TEST_F(SummaryCardTest, LandscapeFromThePrinterSetUp)
{
    const QString pdf = Path(QStringLiteral("landscape.pdf"));
    PdfReadBack::Output output(pdf);
    QPrinter chosen;
    chosen.setPageOrientation(QPageLayout::Landscape);
    QPrinter *old = cmDlg1.Printer;
    cmDlg1.Printer = &chosen;
    Open().MyPrint();
    cmDlg1.Printer = old;
    QSizeF page;
    const QList<Word> words = PdfReadBack::Words(pdf, &page);
    EXPECT_GT(page.width(), page.height());
    // The title stays centred on the wider page.
    for (const Word &w : words)
        if (w.text == QLatin1String("Rossi")) {
            EXPECT_GT(w.x0, 0.3 * page.width());
        }
}

// A printer that cannot be written to: nothing is left and the error is shown.
TEST_F(SummaryCardTest, PrinterFailureIsShownAndNothingPrinted)
{
    const QString pdf = Path(QStringLiteral("no/such/folder/summary.pdf"));
    PdfReadBack::Output output(pdf);
    Open().MyPrint();
    EXPECT_FALSE(QFile::exists(pdf));
    ASSERT_EQ(TestSupport::Script().messages().size(), 1);
    EXPECT_TRUE(TestSupport::Script().messages().front().startsWith(QStringLiteral("Error ")));
    EXPECT_FALSE(SharedPrinter().InDocument());
}

// Without a printer the card goes to a PDF file named after the athlete; a
// cancelled name prints nothing and says nothing.
TEST_F(SummaryCardTest, WithoutPrinterGoesToAPdfFile)
{
    const PrinterListProvider old = SetPrinterListProvider([] { return QStringList(); });
    const QString pdf = Path(QStringLiteral("chosen.pdf"));
    TestSupport::ResetScript().files = {std::nullopt, pdf};
    frmRiepilogo &w = Open();
    w.MyPrint();
    EXPECT_FALSE(QFile::exists(pdf));
    w.MyPrint();
    SetPrinterListProvider(old);
    const auto &shown = TestSupport::Script().shown;
    ASSERT_EQ(shown.size(), 2u);   // the two file dialogs, no message
    EXPECT_EQ(shown[0].request.fileName, QStringLiteral("Rossi Ugo.pdf"));
    EXPECT_TRUE(PdfText(pdf).contains(QLatin1String("Rossi Ugo")));
}
