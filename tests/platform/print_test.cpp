#include "platform/error/VbError.h"
#include "platform/print/Printer.h"
#include "TestSupport.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

namespace {

QString PdfText(const QString &path)
{
    QProcess p;
    p.start(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), path, QStringLiteral("-")});
    p.waitForFinished(30000);
    return QString::fromUtf8(p.readAllStandardOutput());
}

} // namespace

TEST(Printer, PrintsTextLinesAndPagesToPdf)
{
    QTemporaryDir dir;
    const QString pdf = QDir(dir.path()).filePath(QStringLiteral("out.pdf"));
    Printer p;
    p.SetOutputFileName(pdf);
    p.SetFontName(QStringLiteral("Times New Roman"));
    p.SetFontSize(12);
    p.CurrentX = 1440;
    p.CurrentY = 1440;
    p.Print(QStringLiteral("First line"));
    EXPECT_DOUBLE_EQ(p.CurrentX, 0.0);                       // back to the left edge
    EXPECT_NEAR(p.CurrentY, 1440 + p.TextHeight(), 1e-6);    // and one line down
    p.Line(1440, 3000, 5000, 3000);
    EXPECT_DOUBLE_EQ(p.CurrentX, 5000);
    p.LineTo(5000, 4000);
    EXPECT_DOUBLE_EQ(p.CurrentY, 4000);
    p.Circle(3000, 6000, 500);
    EXPECT_TRUE(p.InDocument());
    p.NewPage();
    EXPECT_EQ(p.Page(), 2);
    p.CurrentX = 1440;
    p.CurrentY = 1440;
    p.Print(QStringLiteral("Second page"));
    p.EndDoc();
    EXPECT_FALSE(p.InDocument());

    const QString text = PdfText(pdf);
    const QStringList pages = text.split(QLatin1Char('\f'), Qt::SkipEmptyParts);
    ASSERT_GE(pages.size(), 2);
    EXPECT_TRUE(pages[0].contains(QStringLiteral("First line")));
    EXPECT_FALSE(pages[0].contains(QStringLiteral("Second page")));
    EXPECT_TRUE(pages[1].contains(QStringLiteral("Second page")));
}

TEST(Printer, KillDocLeavesNoFile)
{
    QTemporaryDir dir;
    const QString pdf = QDir(dir.path()).filePath(QStringLiteral("killed.pdf"));
    Printer p;
    p.SetOutputFileName(pdf);
    p.Print(QStringLiteral("never printed"));
    p.KillDoc();
    EXPECT_FALSE(p.InDocument());
    EXPECT_FALSE(QFile::exists(pdf));
    // EndDoc without a document does nothing.
    p.EndDoc();
    EXPECT_FALSE(QFile::exists(pdf));
}

TEST(Printer, ScalesAndMetrics)
{
    Printer p;
    p.SetOutputFileName(QDir::temp().filePath(QStringLiteral("unused.pdf")));
    p.SetOrientation(Printer::vbPRORPortrait);
    const double w = p.Width(), h = p.Height();
    EXPECT_GT(h, w);
    EXPECT_DOUBLE_EQ(p.ScaleWidth(), w);

    p.SetFontSize(20);
    const double twips = p.TextWidth(QStringLiteral("Hello"));
    const double lineTwips = p.TextHeight(QStringLiteral("Z"));
    EXPECT_GT(twips, 0);
    // A 20 pt line is about 20 pt high: 400 twips, give or take the font's leading.
    EXPECT_GT(lineTwips, 350);
    EXPECT_LT(lineTwips, 600);
    EXPECT_NEAR(p.TextHeight(QStringLiteral("a\nb")), 2 * lineTwips, 1e-6);

    p.SetScaleMode(Printer::vbMillimeters);
    EXPECT_NEAR(p.TextWidth(QStringLiteral("Hello")), twips / 1440.0 * 25.4, 1e-6);
    EXPECT_NEAR(p.ScaleWidth(), w / 1440.0 * 25.4, 1e-6);

    p.Scale(0, 0, 100, 200);
    EXPECT_EQ(p.ScaleMode(), Printer::vbUser);
    EXPECT_NEAR(p.TextWidth(QStringLiteral("Hello")), twips / w * 100, 1e-6);

    p.SetOrientation(Printer::vbPRORLandscape);
    EXPECT_EQ(p.Orientation(), Printer::vbPRORLandscape);
    EXPECT_GT(p.Width(), p.Height());
    EXPECT_THROW(p.SetOrientation(3), VbError);
    EXPECT_THROW(p.Scale(0, 0, 0, 10), VbError);
}

TEST(Printer, SharedInstanceIsOne)
{
    EXPECT_EQ(&SharedPrinter(), &SharedPrinter());
}
