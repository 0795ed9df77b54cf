// Page layout: regions, the fit test, text in its column, page events, rows
// that fill the body and never reach the foot.
#include "LumoTestSupport.h"

#include "LumoTabPrt/src/clsImpaginatore.h"
#include "LumoTabPrt/src/clsStampante.h"

#include <QPageSize>
#include <gtest/gtest.h>
#include <stdexcept>

using namespace lumotest;

namespace {
struct Page {
    clsStampante list;
    lumo::PrintOptions options;
    std::unique_ptr<clsImpaginatore> layout;
    explicit Page(qint32 columns = 1, const QString &title = QStringLiteral("Title"))
    {
        list.OpenPrintProcedure(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF()));
        list.PrintMarginiImposta(15, 15, 15, 15);
        layout = std::make_unique<clsImpaginatore>(list, options);
        layout->ImpostaFont(QStringLiteral("Times New Roman"), 10, false, false, false);
        EXPECT_TRUE(layout->InitDimensioniStd(columns, title));
    }
};

// The sheet's y of the dotted line above each page's foot.
QVector<qint32> FootLines(const clsStampante &list)
{
    QVector<qint32> ys;
    qint16 style = 0;
    for (const PrintCmd &c : Commands(list)) {
        if (c.code == PT_DRAWSTYLE)
            style = qint16(c.Val[0]);
        if (c.code == PT_LINE && style == 2)
            ys.append(c.Val[1]);
    }
    return ys;
}
}

TEST(Layout, RegionsShareOneFrame)
{
    Page page(1, QString());
    clsImpaginatore &ip = *page.layout;
    qint32 w = 0, h = 0;
    page.list.PrintGetDimFoglio(w, h);
    EXPECT_EQ(ip.RegioneRealY(0), 0);
    EXPECT_EQ(ip.RegioneRealY(1), ip.RegioneRealY(0) + ip.RegioneRealH(0));
    EXPECT_EQ(ip.RegioneRealY(2), ip.RegioneRealY(1) + ip.RegioneRealH(1));
    EXPECT_EQ(ip.RegioneRealY(2) + ip.RegioneRealH(2), h) << "the foot ends at the bottom margin";
    // A title without pieces still has a head of two lines.
    EXPECT_NEAR(ip.RegioneH(0), 2 * ip.CellHeight(), 1.0);
    EXPECT_EQ(ip.CPos(0), ip.RegioneX(1));
    EXPECT_EQ(ip.CLen(0), ip.RegioneL(1));
    EXPECT_THROW(ip.RegioneX(3), std::out_of_range);
    EXPECT_THROW(ip.RegioneY(-1), std::out_of_range);
}

TEST(Layout, FitTest)
{
    Page page;
    clsImpaginatore &ip = *page.layout;
    const double cell = ip.CellHeight();
    const double bottom = ip.RegioneY(1) + ip.RegioneH(1);
    const qint32 bodyLines = qint32(ip.RegioneH(1) / cell);
    const struct {
        double y;
        qint32 lines;
        bool fits;
        qint32 freeLines;   // what lines 0 turns into
    } cases[] = {
        {double(ip.RegioneY(1)), 1, true, bodyLines},
        {double(ip.RegioneY(1)), bodyLines, true, bodyLines},
        {double(ip.RegioneY(1)), bodyLines + 1, false, bodyLines},
        {bottom - cell, 1, true, 1},
        {bottom - cell + 1, 1, false, 0},
        {bottom + 5 * cell, 1, false, 0},   // no room at all: never a negative count
    };
    for (const auto &c : cases) {
        page.list.PrintCurrentY(c.y);
        qint32 lines = c.lines;
        EXPECT_EQ(ip.CiStaCampoHInPagina(lines), c.fits) << c.y << " " << c.lines;
        qint32 zero = 0;
        EXPECT_TRUE(ip.CiStaCampoHInPagina(zero));
        EXPECT_EQ(zero, c.freeLines) << c.y;
    }
}

TEST(Layout, TextStaysInItsColumnWhateverTheFlags)
{
    Page page(3);
    clsImpaginatore &ip = *page.layout;
    ip.SetCPos(1, 3000);
    ip.SetCLen(1, 1200);
    const qint32 left = 3000 + page.list.MarginLeft();
    const qint32 right = left + 1200;
    for (qint32 align : {0, 1, 2}) {
        for (qint32 size : {0, 64, 128, 256, 512}) {
            for (const QString &text : {QStringLiteral("Ab"), QStringLiteral("A text far wider than its column")}) {
                const qint32 before = page.list.GetNrCmds();
                ip.StampaInCampo(text, 1, align | size | clsImpaginatore::Bold);
                const QVector<PrintCmd> cmds = Commands(page.list).mid(before);
                ASSERT_EQ(cmds.size(), 2) << align << "/" << size;
                ASSERT_EQ(cmds[0].code, PT_SET_X);
                const qint32 x = cmds[0].Val[0];
                const qint32 advance = cmds[1].code == PT_PRINT ? cmds[1].Val[0] : cmds[1].Val[2];
                EXPECT_GE(x, left) << align << "/" << size << " " << text.toStdString();
                EXPECT_LE(x + advance, right) << align << "/" << size << " " << text.toStdString();
                EXPECT_TRUE(text.startsWith(cmds[1].text));
                if (text.size() == 2 && align == 1) {
                    EXPECT_NEAR(x + advance, right - ip.CharWidth() / 2, 2) << "right-aligned";
                }
                if (text.size() == 2 && align == 2) {
                    EXPECT_NEAR((x - left) - (right - x - advance), 0, 2) << "centred";
                }
            }
        }
    }
}

TEST(Layout, EventsOncePerPageNumberedFromTheStart)
{
    lumo::MemorySource rows = Climbs(150);
    lumo::PrintOptions options;
    options.PageNumberStart = 7;
    Recorder host;
    auto cursor = rows.cursor();
    const lumo::JobResult r = lumo::RunJob(options, *cursor, QStringLiteral("Salite"), nullptr, QPageLayout(), &host);
    ASSERT_EQ(r.status, lumo::JobStatus::Done);
    ASSERT_EQ(r.pages, 3);
    EXPECT_EQ(host.starts, (QVector<qint32>{7, 8, 9}));
    EXPECT_EQ(host.ends, (QVector<qint32>{7, 8, 9}));
    // Asked every 31 records while fitting, every 6 rows while laying out.
    EXPECT_EQ(host.cancelWorkCalls, 150 / 31 + 150 / 6);
}

TEST(Layout, HostCancels)
{
    const struct {
        int atWork;
        qint32 atPage;
        int pagesLaid;
    } cases[] = {{1, -1, 1}, {6, -1, 1}, {-1, 1, 1}, {-1, 2, 2}};
    for (const auto &c : cases) {
        lumo::MemorySource rows = Climbs(150);
        Recorder host;
        host.cancelAtWork = c.atWork;
        host.cancelAtPage = c.atPage;
        auto cursor = rows.cursor();
        const lumo::JobResult r =
            lumo::RunJob(lumo::PrintOptions(), *cursor, QStringLiteral("x"), nullptr, QPageLayout(), &host);
        EXPECT_EQ(r.status, lumo::JobStatus::Cancelled) << c.atWork << "/" << c.atPage;
        EXPECT_EQ(r.pages, c.pagesLaid) << c.atWork << "/" << c.atPage;
        EXPECT_EQ(host.starts.size(), c.pagesLaid) << "nothing is asked after the cancel";
    }
}

TEST(Layout, RowsFillTheBodyAndNeverReachTheFoot)
{
    // Ordinary rows, a 500-line memo taller than a page, and big cells.
    for (bool big : {false, true}) {
        lumo::MemorySource rows = Climbs(130);
        rows.columns.append({QStringLiteral("Note"), lumo::ColType::Memo});
        QStringList memo;
        for (int i = 1; i <= 500; ++i)
            memo << QStringLiteral("line %1").arg(i);
        for (int i = 0; i < rows.rows.size(); ++i)
            rows.rows[i].append(i == 70 ? memo.join(QStringLiteral("\r\n")) : QStringLiteral("a\rb"));
        lumo::PrintOptions options;
        options.BigCells = big;
        auto cursor = rows.cursor();
        const lumo::JobResult r = lumo::RunJob(options, *cursor, QStringLiteral("T"), nullptr);
        ASSERT_EQ(r.status, lumo::JobStatus::Done);
        const clsStampante &list = *r.list;
        const QVector<qint32> foot = FootLines(list);
        ASSERT_EQ(foot.size(), r.pages);
        QVector<qint32> starts;
        list.GetNrPagine(starts);
        starts.append(list.GetNrCmds());
        int memoLines = 0;
        const QVector<PrintCmd> cmds = Commands(list);
        const double cell = QFontMetricsF(clsStampante::MakeFont(QStringLiteral("Times New Roman"), 10, false, false))
                                .height();
        for (int p = 0; p < r.pages; ++p) {
            qint32 lowest = 0;
            for (qint32 i = starts[p]; i < starts[p + 1]; ++i) {
                const PrintCmd &c = cmds[i];
                if (c.code == PT_BOX && c.Val[1] > list.MarginTop() + 10) {   // cells, not the head frame
                    EXPECT_LE(c.Val[3], foot[p]) << "page " << p + 1;
                    lowest = qMax(lowest, c.Val[3]);
                }
                if (c.code == PT_PRINT && c.text.startsWith(QStringLiteral(" line ")))
                    ++memoLines;
            }
            if (p + 1 < r.pages) {
                EXPECT_GT(lowest, foot[p] - 2 * cell) << "page " << p + 1 << " is filled";
            }
        }
        EXPECT_EQ(memoLines, 500) << "every line of the tall memo is printed";
        EXPECT_GE(r.pages, 10);
    }
}
