// The command list: page index, units, job opening, growth, the 32-bit sheet
// and the replay's page independence.
#include "LumoTestSupport.h"

#include "LumoTabPrt/src/clsStampante.h"

#include <QPageSize>
#include <QPainter>
#include <gtest/gtest.h>

using namespace lumotest;

namespace {
QPageLayout Sheet(QPageSize::PageSizeId id)
{
    return QPageLayout(QPageSize(id), QPageLayout::Portrait, QMarginsF());
}
}

TEST(Stampante, PageIndex)
{
    clsStampante list;
    ASSERT_TRUE(list.OpenPrintProcedure(Sheet(QPageSize::A4)));
    list.EliminaStampa();
    QVector<qint32> starts;
    EXPECT_EQ(list.GetNrPagine(starts), 1);
    EXPECT_EQ(starts, QVector<qint32>{0});

    list.PrintPrint(QStringLiteral("one"));
    list.PrintNewPage();
    list.PrintPrint(QStringLiteral("two"));
    list.PrintNewPage();
    list.PrintPrint(QStringLiteral("three"));
    list.PrintNewPage();
    ASSERT_EQ(list.GetNrPagine(starts), 4);
    PrintCmd c;
    for (int p = 1; p < 4; ++p) {
        ASSERT_TRUE(list.GetCmd(starts[p] - 1, c));
        EXPECT_EQ(c.code, PT_NEWPAGE) << "page " << p << " starts right after a new-page record";
    }
    // The last page holds only the state it starts with: nothing is drawn on it.
    for (qint32 i = starts[3]; list.GetCmd(i, c); ++i)
        EXPECT_TRUE(c.code != PT_PRINT && c.code != PT_BOX && c.code != PT_LINE) << c.code;
}

TEST(Stampante, MillimetresToTwipsRoundToWholeTwips)
{
    const struct {
        double mm;
        qint32 twips;
    } cases[] = {{0, 0}, {15, 850}, {10, 567}, {12.7, 720}, {25.4, 1440}, {420, 23811}};
    for (const auto &c : cases)
        EXPECT_EQ(clsStampante::MmToTwips(c.mm), c.twips) << c.mm;

    clsStampante list;
    list.OpenPrintProcedure(Sheet(QPageSize::A4));
    EXPECT_EQ(list.MarginLeft(), 850) << "a job opens with 15 mm margins";
    list.PrintMarginiImposta(10, 20, 12.7f, 0);
    qint32 w = 0, h = 0;
    list.PrintGetDimFoglio(w, h);
    EXPECT_EQ(w, list.RealWidth() - 567 - 1134);
    EXPECT_EQ(h, list.RealHeight() - 720);
}

TEST(Stampante, ASecondOpenIsRefusedAndTheListKept)
{
    clsStampante list;
    ASSERT_TRUE(list.OpenPrintProcedure(Sheet(QPageSize::A4)));
    list.PrintPrint(QStringLiteral("kept"));
    const qint32 count = list.GetNrCmds();
    EXPECT_FALSE(list.OpenPrintProcedure(Sheet(QPageSize::A3)));
    EXPECT_EQ(list.GetNrCmds(), count);
    EXPECT_EQ(list.RealWidth(), 11906) << "the page of the first open stays";
    EXPECT_TRUE(list.ClosePrintProcedure());
    EXPECT_EQ(list.GetNrCmds(), 0);
    EXPECT_FALSE(list.ClosePrintProcedure());
}

TEST(Stampante, GrowsInSteps)
{
    clsStampante list;
    list.OpenPrintProcedure(Sheet(QPageSize::A4));
    for (int i = 0; i < 2000; ++i)
        list.PrintCurrentX(i);
    EXPECT_EQ(list.Capacity(), 2000);
    list.PrintCurrentX(0);
    EXPECT_EQ(list.Capacity(), 4000);
    for (int i = 0; i < 2000; ++i)
        list.PrintCurrentX(i);
    EXPECT_EQ(list.Capacity(), 8000) << "the list doubles, so long jobs grow in linear time";
    PrintCmd c;
    ASSERT_TRUE(list.GetCmd(1999, c));
    EXPECT_EQ(c.Val[0], 1999 + list.MarginLeft()) << "growing keeps the records";
}

TEST(Stampante, PositionsBeyondSixteenBitsOnAnA2Sheet)
{
    clsStampante list;
    list.OpenPrintProcedure(Sheet(QPageSize::A2));
    ASSERT_GT(list.RealHeight(), 32767);
    list.PrintCurrentY(33000);
    EXPECT_DOUBLE_EQ(list.PrintGetCurrentY(), 33000);
    list.PrintBox(0, 31500, 100, 32500);
    const QVector<PrintCmd> cmds = Commands(list);
    EXPECT_EQ(cmds.at(0).Val[0], 33000 + list.MarginTop());
    EXPECT_EQ(cmds.at(1).Val[3], 32500 + list.MarginTop());

    // Drawn, the box lands in the lower part of the sheet, not wrapped to the top.
    QImage img = RenderPage(list, 0, 400);
    const int boxBottomPx = int(double(32500 + list.MarginTop()) / list.RealHeight() * img.height());
    EXPECT_NE(img.pixel(int(double(list.MarginLeft()) / list.RealWidth() * 400), boxBottomPx - 2), qRgb(255, 255, 255));
}

namespace {
// A hand-made list whose second page draws with the state the first one set.
void StatefulJob(clsStampante &list)
{
    list.OpenPrintProcedure(Sheet(QPageSize::A5));
    list.PrintFontName(QStringLiteral("DejaVu Sans"));
    list.PrintFontSize(24);
    list.PrintFontAttr(true, true);
    list.PrintDrawStyle(1);
    list.PrintDrawWidth(6);
    list.PrintCurrentX(100);
    list.PrintCurrentY(100);
    list.PrintPrint(QStringLiteral("Page one"));
    list.PrintLine(0, 800, 5000, 800);
    list.PrintNewPage();
    list.PrintPrint(QStringLiteral("Page two, same font"));
    list.PrintNuovaLinea();
    list.PrintPrint(QStringLiteral("next line"));
    list.PrintLine(0, 2000, 5000, 2000);
    list.PrintFontSize(8.5f);
    list.PrintNewPage();
    list.PrintPrintAttr(QStringLiteral("Page three at 8.5 pt, doubled"), 2.0f, 0);
}
}

TEST(Stampante, PageDrawnAloneEqualsPageDrawnAfterTheOthers)
{
    clsStampante list;
    StatefulJob(list);
    QVector<qint32> starts;
    ASSERT_EQ(list.GetNrPagine(starts), 3);

    const int w = 300, h = int(300.0 * list.RealHeight() / list.RealWidth());
    QImage all(w, h, QImage::Format_RGB32);
    all.fill(Qt::white);
    QVector<QImage> pages;
    {
        QPainter p(&all);
        const ReplayResult r = list.Replay(p, 0, [&]() {
            pages.append(all.copy());
            all.fill(Qt::white);
            return true;
        });
        EXPECT_TRUE(r.ok());
        EXPECT_EQ(r.pagesDrawn, 3);
    }
    pages.append(all);
    ASSERT_EQ(pages.size(), 3);
    for (int k = 0; k < 3; ++k) {
        const QImage alone = RenderPage(list, k, w);
        EXPECT_EQ(alone, pages.at(k)) << "page " << k + 1;
        EXPECT_NE(alone, RenderPage(list, 99, w)) << "page " << k + 1 << " draws something";
    }
}

TEST(Stampante, ReplayOfNothingAndOfUnknownCodes)
{
    clsStampante list;
    list.OpenPrintProcedure(Sheet(QPageSize::A4));
    list.PrintPrint(QStringLiteral("text"));
    QImage blank(200, 283, QImage::Format_RGB32);
    blank.fill(Qt::white);
    QImage img = blank;
    {
        QPainter p(&img);
        const ReplayResult r = list.AttuaStampaPicture(p, list.GetNrCmds());
        EXPECT_EQ(r.pagesDrawn, 0) << "a start past the end draws nothing";
    }
    EXPECT_EQ(img, blank);

    for (qint16 code : {qint16(1), qint16(10), qint16(1000), qint16(1009)}) {
        PrintCmd bad;
        bad.code = code;
        list.AddRecord(bad);
    }
    list.PrintPrint(QStringLiteral("after"));
    QPainter p(&img);
    const ReplayResult r = list.AttuaStampaPicture(p, 0);
    EXPECT_EQ(r.unknownCodes, 4) << "unknown records are skipped and counted, the replay goes on";
    EXPECT_EQ(r.firstUnknownCode, 1);
    EXPECT_TRUE(r.ok());
}
