#include "TestSupport.h"
#include "core/BikeRoutine.h"
#include "core/Globals.h"
#include "platform/shell/Shell.h"

#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QPainter>
#include <QTemporaryDir>
#include <QTime>

TEST(BikeRoutine, ReplaceAllAndStripQuotes)
{
    const struct { const char *text, *find, *repl, *out; } cases[] = {
        {"it's", "'", "''", "it''s"}, {"aaa", "aa", "b", "ba"}, {"%1 of %1", "%1", "x", "x of x"},
        {"Abc", "a", "z", "Abc"}, {"", "a", "b", ""}, {"abc", "", "z", "abc"}, {"''", "'", "''", "''''"}};
    for (const auto &c : cases)
        EXPECT_EQ(ReplaceAll(c.text, c.find, c.repl), c.out) << c.text;
    EXPECT_EQ(ReplaceAll(QString(100000, '\''), "'", "''").size(), 200000);
    EXPECT_EQ(StripQuotes("say \"hi\""), "say hi");
    EXPECT_EQ(StripQuotes("plain"), "plain");
    EXPECT_EQ(StripQuotes(""), "");
    EXPECT_EQ(SqlQuote("O'Neil"), "'O''Neil'");
    EXPECT_EQ(SqlQuote(""), "''");
    EXPECT_EQ(SqlQuote("a\"b"), "'a\"b'");
}

TEST(BikeRoutine, NextTokenAndNextLine)
{
    QString t = "a b c";
    EXPECT_EQ(NextToken(t, " "), "a");
    EXPECT_EQ(t, "b c");
    EXPECT_EQ(NextToken(t, " "), "b");
    EXPECT_EQ(NextToken(t, " "), "c");
    EXPECT_EQ(t, "");
    EXPECT_EQ(NextToken(t, " "), "");
    t = "ab";
    EXPECT_EQ(NextToken(t, ""), "ab");
    EXPECT_EQ(t, "");
    t = " lead";
    EXPECT_EQ(NextToken(t, " "), "");
    EXPECT_EQ(t, "lead");

    QString l = "one\r\ntwo";
    EXPECT_EQ(NextLine(l, "\r\n"), "one");
    EXPECT_EQ(l, "\r\ntwo");
    EXPECT_EQ(NextLine(l, "\r\n"), "\r\n");
    EXPECT_EQ(l, "two");
    EXPECT_EQ(NextLine(l, "\r\n"), "two");
    EXPECT_EQ(l, "");
    EXPECT_EQ(NextLine(l, "\r\n"), "");
}

TEST(BikeRoutine, TimeToSeconds)
{
    TestSupport::LocaleScope it(QLocale(QLocale::Italian, QLocale::Italy));
    EXPECT_EQ(TimeToSeconds(QString("01:02:03")), 3723);
    EXPECT_EQ(TimeToSeconds(QTime(1, 2, 3)), 3723);
    EXPECT_EQ(TimeToSeconds(QDateTime(QDate(2026, 12, 10), QTime(0, 0, 59))), 59);
    EXPECT_EQ(TimeToSeconds(QDate(2026, 12, 10)), 0);
    EXPECT_EQ(TimeToSeconds(QString("10/12/2026")), 0);
    EXPECT_EQ(TimeToSeconds(QString("10/12/2026 23:59:59")), 86399);
    for (const QVariant &bad : {QVariant(), QVariant(QString()), QVariant(QString("abc")), QVariant(3.5),
                                QVariant(QString(100000, '9')), QVariant(QTime())})
        EXPECT_EQ(TimeToSeconds(bad), 0);
}

TEST(BikeRoutine, Colours)
{
    int16_t r, g, b;
    SplitColor(0x123456, r, g, b);
    EXPECT_EQ(r, 0x56);
    EXPECT_EQ(g, 0x34);
    EXPECT_EQ(b, 0x12);
    SplitColor(-1, r, g, b);
    EXPECT_EQ(r, 255);
    EXPECT_EQ(b, 255);
    EXPECT_EQ(ColorToHtml(0xFF0000), "#0000FF");
    EXPECT_EQ(ColorToHtml(0), "#000000");
    EXPECT_EQ(ColorToHtml(0x0A0B0C), "#0C0B0A");
    EXPECT_EQ(HexColor(1, 171, 255), "#01ABFF");
    EXPECT_EQ(HexColor(-3, 300, 16), "#00FF10");

    QVector<int32_t> steps(4);   // n = 3
    BlendColor(steps, 0x000000, 0xFFFFFF);
    EXPECT_EQ(steps, QVector<int32_t>({0x555555, 0xAAAAAA, 0xFFFFFF, 0xFFFFFF}));
    QVector<int32_t> one(1), none;
    BlendColor(one, 0, 0x00FF00);
    EXPECT_EQ(one[0], 0x00FF00);
    BlendColor(none, 0, 0xFFFFFF);
    EXPECT_TRUE(none.isEmpty());
}

TEST(BikeRoutine, DrawGradientBands)
{
    QImage img(4, 6, QImage::Format_RGB32);
    img.fill(Qt::red);
    {
        QPainter p(&img);
        DrawGradient(&p, 1, 2, 3, 0x000000, 0xFFFFFF);
    }
    EXPECT_EQ(img.pixel(1, 1), qRgb(85, 85, 85));
    EXPECT_EQ(img.pixel(2, 2), qRgb(170, 170, 170));
    EXPECT_EQ(img.pixel(1, 3), qRgb(255, 255, 255));
    EXPECT_EQ(img.pixel(0, 1), qRgb(255, 0, 0));   // left of Origin
    EXPECT_EQ(img.pixel(3, 1), qRgb(255, 0, 0));   // beyond Width
    EXPECT_EQ(img.pixel(1, 4), qRgb(255, 0, 0));   // below the last band
    {
        QPainter p(&img);
        DrawGradient(&p, 0, 4, 0, 0, 0xFFFFFF);            // nothing
        DrawGradient(&p, 0, 4, -5, 0, 0xFFFFFF);
        DrawGradient(nullptr, 0, 4, 3, 0, 0xFFFFFF);
        DrawGradient(&p, 0, 4, 2000000000, 0x0000FF, 0xFF0000);   // outsized: only visible bands drawn
    }
    EXPECT_EQ(img.pixel(0, 0), qRgb(255, 0, 0));
    EXPECT_EQ(img.pixel(0, 5), qRgb(255, 0, 0));
}

namespace {
// Bounding box of the pixels that are not white.
QRect Ink(const QImage &img)
{
    QRect box;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x)
            if (qGray(img.pixel(x, y)) < 128)
                box |= QRect(x, y, 1, 1);
    return box;
}
}

TEST(BikeRoutine, PrintRotatedUpwardAtThePainterPosition)
{
    QImage img(200, 200, QImage::Format_RGB32);
    img.fill(Qt::white);
    {
        QPainter p(&img);
        p.setFont(QFont("DejaVu Sans", 12));
        PrintRotated(90, &p, 100, 150, "HHHHHH");
        PrintRotated(0, nullptr, 0, 0, "x");
        PrintRotated(0, &p, 0, 0, "");
    }
    const QRect ink = Ink(img);
    ASSERT_FALSE(ink.isEmpty());
    EXPECT_GT(ink.height(), ink.width() * 2);   // written upward
    EXPECT_LE(ink.bottom(), 150);
    EXPECT_GE(ink.left(), 100);
    EXPECT_LE(ink.right(), 100 + 30);
}

TEST(BikeRoutine, PrintRotatedSizesTextOnTheTargetDevice)
{
    // The ink "HH" leaves on a square image of the given resolution, written
    // at (x, y) after the painter is scaled by `scale`.
    const auto inkOf = [](int size, int dotsPerMetre, double scale, double x, double y) {
        QImage img(size, size, QImage::Format_RGB32);
        img.setDotsPerMeterX(dotsPerMetre);
        img.setDotsPerMeterY(dotsPerMetre);
        img.fill(Qt::white);
        {
            QPainter p(&img);
            p.setFont(QFont("DejaVu Sans", 12));
            p.scale(scale, scale);
            PrintRotated(0, &p, x, y, "HH");
        }
        return Ink(img);
    };
    constexpr int k96Dpi = 3780, k1200Dpi = 47244;

    // A drawing scale (user units of 10 pixels) moves the position but does
    // not blow up the glyphs.
    const QRect plain = inkOf(300, k96Dpi, 1, 50, 50);
    ASSERT_FALSE(plain.isEmpty());
    EXPECT_EQ(inkOf(300, k96Dpi, 10, 5, 5), plain);

    // On a 1200 dpi page the same font is as tall in inches as on a 96 dpi image.
    const double hiInches = inkOf(2000, k1200Dpi, 1, 100, 100).height() / 1200.0;
    const double loInches = inkOf(300, k96Dpi, 1, 10, 10).height() / 96.0;
    EXPECT_NEAR(hiInches, loInches, 0.03);
}

TEST(BikeRoutine, IniStringsWholeValues)
{
    QTemporaryDir dir;
    const QString f = dir.filePath("profile.txt");
    EXPECT_EQ(ReadIniString(f, "Prog", "Name", "none"), "none");
    ASSERT_TRUE(WriteIniString(f, "Prog", "Name", "Vettaro"));
    const QString longText(200, 'd');
    ASSERT_TRUE(WriteIniString(f, "Data", "Descrizione", longText));
    EXPECT_EQ(ReadIniString(f, "prog", "name", ""), "Vettaro");
    EXPECT_EQ(ReadIniString(f, "Data", "Descrizione", ""), longText);   // not cut at 126
    EXPECT_EQ(ReadIniString(f, "Data", "Missing", "dflt"), "dflt");
    EXPECT_FALSE(WriteIniString(dir.filePath("none/x.txt"), "a", "b", "c"));
}

TEST(BikeRoutine, BmpToPngWritesBesideTheBitmapOrReportsFailure)
{
    QTemporaryDir dir;
    const QString saved = AppPath;
    AppPath = TestSupport::BinDir();
    ASSERT_TRUE(QFileInfo(AppPath + "/bmp2png").isExecutable()) << "bmp2png not built";

    QImage img(8, 5, QImage::Format_RGB32);
    img.fill(qRgb(10, 20, 30));
    const QString bmp = dir.filePath("profile 1.bmp");
    ASSERT_TRUE(img.save(bmp, "BMP"));
    EXPECT_TRUE(BmpToPng(bmp));
    const QImage png(dir.filePath("profile 1.png"));
    ASSERT_FALSE(png.isNull());
    EXPECT_EQ(png.size(), QSize(8, 5));
    EXPECT_EQ(png.pixel(3, 3), qRgb(10, 20, 30));

    // Not a bitmap, missing, empty path: failure, no PNG.
    const QString bad = dir.filePath("bad.bmp");
    QFile f(bad);
    f.open(QIODevice::WriteOnly);
    f.write("not a picture");
    f.close();
    EXPECT_FALSE(BmpToPng(bad));
    EXPECT_FALSE(QFileInfo::exists(dir.filePath("bad.png")));
    EXPECT_FALSE(BmpToPng(dir.filePath("missing.bmp")));
    EXPECT_FALSE(BmpToPng(""));

    // No converter in the program folder: failure, the bitmap is still there.
    AppPath = dir.path();
    EXPECT_FALSE(BmpToPng(bmp));
    EXPECT_TRUE(QFileInfo::exists(bmp));
    AppPath = saved;
    EXPECT_EQ(PngPathFor("/a/b.BMP"), "/a/b.png");
    EXPECT_EQ(PngPathFor("/a/b.c"), "/a/b.c.png");
}

TEST(BikeRoutine, UserAndComputerNames)
{
    EXPECT_EQ(UserName(), Shell::UserName());
    EXPECT_FALSE(UserName().isEmpty());
    EXPECT_EQ(ComputerName(), Shell::ComputerName());
}
