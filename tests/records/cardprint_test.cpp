#include "core/LangClient.h"
#include "platform/com/ComRegistry.h"
#include "platform/error/VbError.h"
#include "records/CardPrint.h"
#include "PdfReadBack.h"
#include "TestSupport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <algorithm>
#include <cmath>

using namespace CardPrint;

namespace {
using PdfReadBack::Flat;
using PdfReadBack::Word;

// The words with their boxes, and the first page's width.
QList<Word> PdfWords(const QString &pdf, double *pageWidth)
{
    QSizeF page;
    const QList<Word> words = PdfReadBack::Words(pdf, &page);
    *pageWidth = page.width();
    return words;
}

CardData Climb()
{
    CardData c;
    c.route = false;
    c.name = QStringLiteral("Passo Fedaia");
    c.length = QStringLiteral("14.1");
    c.startAltitude = QStringLiteral("1120");
    c.endAltitude = QStringLiteral("2057");
    c.grade = QStringLiteral("6.6%");
    c.region = QStringLiteral("Trentino");
    c.place = QStringLiteral("Caprile");
    c.county = QStringLiteral("BL");
    c.email = QStringLiteral("info@fedaia.example");
    c.url = QStringLiteral("www.fedaia.example");
    c.phone = QStringLiteral("0437 000");
    c.fax = QStringLiteral("0437 001");
    c.description = QStringLiteral("Steep  ramps\r\nafter Malga Ciapela.");
    return c;
}

PageTexts Page()
{
    return PageTexts{QStringLiteral("12/10/26"), QStringLiteral("9:30 AM"), QStringLiteral("vettaro 1.0")};
}

// The texts of one of the built language libraries, for a scope.
class Language {
public:
    explicit Language(const QString &locale)
    {
        Com::SetMachineRegistryFile(QDir(TestSupport::BinDir()).filePath(QStringLiteral("com-registry.ini")));
        LoadLanguages(TestSupport::BinDir());
        SelectLanguage(locale, QStringLiteral("1033"));
    }
    ~Language()
    {
        ResetLanguages();
        Com::SetMachineRegistryFile(QString());
    }
};

class CardPrintTest : public ::testing::Test {
protected:
    QString Print(const CardData &card, int orientation = 1)
    {
        printer.SetOutputFileName(pdf);
        PrintCard(printer, card, orientation, Page());
        return PdfReadBack::Text(pdf);
    }
    QTemporaryDir dir;
    QString pdf = QDir(dir.path()).filePath(QStringLiteral("card.pdf"));
    Printer printer;
};

} // namespace

TEST_F(CardPrintTest, ClimbCardHoldsEveryFieldOnOnePage)
{
    const QString text = Print(Climb());
    EXPECT_EQ(text.count(QLatin1Char('\f')), 1);   // one page
    const QString flat = Flat(text);
    for (const QString &piece : {
             GetLangString(9507) + QStringLiteral(" 12/10/26"), GetLangString(9508) + QStringLiteral(" 9:30 AM"),
             QStringLiteral("vettaro 1.0"), GetLangString(9509), GetLangString(9519),
             GetLangString(9511) + QStringLiteral(" Passo Fedaia"),
             GetLangString(9512) + QStringLiteral(" 14.1 km."),
             GetLangString(9513) + QStringLiteral(" 6.6%"),
             GetLangString(9514) + QStringLiteral(" 1120 m."),
             GetLangString(9515) + QStringLiteral(" 2057 m."),
             GetLangString(9516) + QStringLiteral(" Trentino"),
             GetLangString(9517) + QStringLiteral(" Caprile"), GetLangString(9518) + QStringLiteral(" BL"),
             GetLangString(9521) + QStringLiteral(" info@fedaia.example"),
             GetLangString(9522) + QStringLiteral(" www.fedaia.example"),
             GetLangString(9523) + QStringLiteral(" 0437 000"), GetLangString(9524) + QStringLiteral(" 0437 001"),
             GetLangString(9525), QStringLiteral("Steep ramps"), QStringLiteral("after Malga Ciapela.")}) {
        EXPECT_TRUE(flat.contains(piece)) << piece.toStdString();
    }
    // The line break starts a new line: "after" does not follow "ramps" on the same line.
    EXPECT_FALSE(PdfReadBack::Text(pdf).contains(QRegularExpression(QStringLiteral("ramps +after"))));
    // The state field is on no card, and the printer's font is put back.
    EXPECT_EQ(printer.FontSize(), 10.0);
    EXPECT_FALSE(printer.InDocument());
}

// The card switches to bold and back while it draws; the caller's whole font,
// weight included, is what the printer holds afterwards.
TEST_F(CardPrintTest, PutsTheWholeFontBack)
{
    printer.SetFontName(QStringLiteral("Arial"));
    printer.SetFontSize(11);
    printer.SetFontBold(true);
    Print(Climb());
    EXPECT_EQ(printer.FontName(), QStringLiteral("Arial"));
    EXPECT_EQ(printer.FontSize(), 11.0);
    EXPECT_TRUE(printer.FontBold());
}

TEST_F(CardPrintTest, RouteCardHasPeriodAndNoAltitudes)
{
    CardData r = Climb();
    r.route = true;
    r.period = QStringLiteral("May-October");
    r.description.clear();
    const QString flat = Flat(Print(r, 2));
    EXPECT_EQ(printer.Orientation(), Printer::vbPRORLandscape);
    EXPECT_TRUE(flat.contains(GetLangString(7516) + QStringLiteral(" Passo Fedaia")));
    EXPECT_TRUE(flat.contains(GetLangString(7518) + QStringLiteral(" May-October")));
    EXPECT_TRUE(flat.contains(GetLangString(7528)));
    EXPECT_FALSE(flat.contains(QStringLiteral("1120 m.")));
    EXPECT_FALSE(flat.contains(QStringLiteral("6.6%")));
}

TEST_F(CardPrintTest, LongDescriptionContinuesOnANewPage)
{
    CardData c = Climb();
    QStringList words;
    for (int i = 1; i <= 1500; ++i)
        words << QStringLiteral("word%1").arg(i);
    c.description = words.join(QLatin1Char(' '));
    const QString text = Print(c);
    const QStringList pages = text.split(QLatin1Char('\f'), Qt::SkipEmptyParts);
    ASSERT_GE(pages.size(), 2);
    EXPECT_TRUE(Flat(pages[0]).contains(QStringLiteral("word1 word2 word3")));
    EXPECT_TRUE(pages.last().contains(QStringLiteral("word1500")));
    // Every word printed once, none lost at the page break.
    const QString all = Flat(text);
    for (int i : {1, 200, 700, 1499, 1500})
        EXPECT_EQ(all.count(QRegularExpression(QStringLiteral("\\bword%1\\b").arg(i))), 1) << i;
    // The continuation page repeats the header and footer lines.
    EXPECT_TRUE(pages.last().contains(QStringLiteral("vettaro 1.0")));
}

TEST_F(CardPrintTest, FailureDiscardsTheDocument)
{
    // A printer that cannot be opened: the error goes to the caller, nothing is left open.
    printer.SetOutputFileName(QDir(dir.path()).filePath(QStringLiteral("missing/folder/card.pdf")));
    try {
        PrintCard(printer, Climb(), 1, Page());
        ADD_FAILURE() << "no error";
    } catch (const VbError &e) {
        EXPECT_EQ(e.Number(), Printer::ErrPrinter);
    }
    EXPECT_FALSE(printer.InDocument());
    EXPECT_EQ(printer.FontSize(), 10.0);

    printer.SetOutputFileName(pdf);
    EXPECT_THROW(PrintCard(printer, Climb(), 7, Page()), VbError);   // no such orientation
    EXPECT_FALSE(QFile::exists(pdf));
    // The same printer prints the next card normally.
    PrintCard(printer, Climb(), 1, Page());
    EXPECT_TRUE(PdfReadBack::Text(pdf).contains(QStringLiteral("Passo Fedaia")));
}

// Values wider than their column go on over further lines inside it: a
// 250-character phone number, a long place name without blanks in the first
// section (which pushes the second section down) and a long distance beside
// the grade's column. Checked against the word boxes of a stored page
// (VETTARO_UPDATE_GOLDEN=1 writes it anew).
TEST_F(CardPrintTest, OverWideValuesWrapInsideTheirColumns)
{
    Language english(QStringLiteral("1033"));
    CardData c = Climb();
    QString phone;
    while (phone.size() < 250)
        phone += QStringLiteral("0437-123456789 ");
    phone = phone.left(240) + QStringLiteral("9876543210");
    c.phone = phone;
    c.place = QStringLiteral("Caprile-") + QString(QStringLiteral("Rocca-Pietore-")).repeated(8) + QStringLiteral("End");
    c.length = QStringLiteral("14.1000000000000000000000000000000");
    c.description = QStringLiteral("Steep ramps.");
    Print(c);
    double pw = 0;
    const QList<Word> words = PdfWords(pdf, &pw);
    ASSERT_GT(pw, 0);

    // Nothing runs past the frame's right edge.
    for (const Word &w : words)
        EXPECT_LE(w.x1, 0.95 * pw + 0.5) << w.text.toStdString();
    const auto find = [&](const QString &text) {
        for (const Word &w : words)
            if (w.text == text)
                return w;
        ADD_FAILURE() << "no word " << text.toStdString();
        return Word{};
    };
    // The phone number, every character of it, between its label and the fax line.
    const Word phoneLabel = find(GetLangString(9523)), fax = find(GetLangString(9524));
    QString printed;
    double lastLine = 0;
    for (const Word &w : words)
        if (w.y0 >= phoneLabel.y0 - 1 && w.y1 < fax.y0 && w.x0 > phoneLabel.x1) {
            printed += w.text;
            lastLine = std::max(lastLine, w.y1);
        }
    EXPECT_EQ(printed, QString(phone).remove(QLatin1Char(' ')));
    EXPECT_GT(lastLine - phoneLabel.y1, 2 * (phoneLabel.y1 - phoneLabel.y0));   // three lines or more
    // The long distance keeps to its column, left of the grade's label.
    const Word grade = find(QStringLiteral("Average"));
    for (const Word &w : words)
        if (w.text.startsWith(QStringLiteral("14.1"))) {
            EXPECT_LT(w.x1, grade.x0);
        }
    // The second section's title is below the last line of the place.
    const Word county = find(GetLangString(9518));
    EXPECT_LT(county.y1, find(GetLangString(9519)).y0);

    QString boxes;
    for (const Word &w : words)
        boxes += QStringLiteral("%1 %2 %3 %4 %5\n")
                     .arg(std::lround(w.x0)).arg(std::lround(w.y0)).arg(std::lround(w.x1)).arg(std::lround(w.y1))
                     .arg(w.text);
    const QString golden = QDir(TestSupport::DataDir()).filePath(QStringLiteral("print/card_overwide.txt"));
    if (qEnvironmentVariableIsSet("VETTARO_UPDATE_GOLDEN")) {
        QDir().mkpath(QFileInfo(golden).absolutePath());
        QFile out(golden);
        ASSERT_TRUE(out.open(QIODevice::WriteOnly | QIODevice::Truncate));
        out.write(boxes.toUtf8());
    }
    QFile in(golden);
    ASSERT_TRUE(in.open(QIODevice::ReadOnly)) << golden.toStdString();
    EXPECT_EQ(boxes, QString::fromUtf8(in.readAll()));
}

// In every language the grade's value stands clear of its label.
TEST_F(CardPrintTest, GradeValueClearOfItsLabel)
{
    for (const char *locale : {"1033", "1040", "3082", "1031", "1036"}) {
        Language language(QString::fromLatin1(locale));
        Print(Climb());
        double pw = 0;
        const QList<Word> words = PdfWords(pdf, &pw);
        const QString labelEnd = GetLangString(9513).simplified().split(QLatin1Char(' ')).last();
        double labelRight = -1, valueLeft = -1;
        for (const Word &w : words) {
            if (w.text == labelEnd)
                labelRight = w.x1;
            if (w.text == QLatin1String("6.6%"))
                valueLeft = w.x0;
        }
        ASSERT_GT(labelRight, 0) << locale;
        ASSERT_GT(valueLeft, 0) << locale;   // a separate word, not run together with the label
        EXPECT_GT(valueLeft - labelRight, 3) << locale;
    }
}

TEST(CardPrintJobs, GuardAndQueries)
{
    EXPECT_TRUE(CardPrintAllowed(QStringLiteral("3"), false));
    EXPECT_FALSE(CardPrintAllowed(QStringLiteral("3"), true));
    EXPECT_FALSE(CardPrintAllowed(QStringLiteral("0"), false));
    EXPECT_FALSE(CardPrintAllowed(QString(), false));

    const PrintJob routes = ListPrintJob(true, QStringLiteral("Tours Data"));
    EXPECT_EQ(routes.sql, QStringLiteral("SELECT [IDPercorso] AS [Nome Percorso],[Lunghezza],[Regione], "
                                         "[Località],[Provincia] FROM [Dati Percorsi]"));
    EXPECT_EQ(routes.title, GetLangString(7512));
    EXPECT_EQ(routes.caption, FormatLangString(GetLangString(7511), {QStringLiteral("Tours Data")}));
    const PrintJob climbs = ListPrintJob(false, QStringLiteral("Climbs Data"));
    EXPECT_EQ(climbs.sql, QStringLiteral("SELECT [IDPercorso] AS [Nome Salita],[Lunghezza],[Quotainiziale] AS "
                                         "[Quota Iniziale],[Quotafinale] AS [Quota Finale],[Regione],[Località],"
                                         "[Provincia] FROM [Dati Salite]"));
    EXPECT_EQ(climbs.title, GetLangString(9506));

    // A name with quotes cannot change the statement.
    const PrintJob samples = SamplesPrintJob(false, QStringLiteral("O'Neil \"Top\""));
    EXPECT_EQ(samples.sql, QStringLiteral("SELECT [DistParz] AS [Distanza],[Altezza],[Note] FROM [CampioniSalite] "
                                          "WHERE [IDPercorso]= 'O''Neil \"Top\"' ORDER BY [DistParz] ASC"));
    EXPECT_EQ(samples.title, QStringLiteral("O'Neil \"Top\"|") + GetLangString(9530));
    EXPECT_EQ(samples.caption, FormatLangString(GetLangString(9529), {QStringLiteral("O'Neil \"Top\"")}));
    EXPECT_TRUE(SamplesPrintJob(true, QStringLiteral("r")).sql.contains(QStringLiteral("FROM [CampioniPercorsi] WHERE")));
}
