// Table layout: value formatting, column fitting, bad input, options.
#include "LumoTestSupport.h"

#include "LumoTabPrt/src/clsSQLTab.h"
#include "LumoTabPrt/src/clsStampante.h"

#include <QPageSize>
#include <cmath>
#include <gtest/gtest.h>
#include <limits>

using namespace lumotest;
using lumo::ColType;
using lumo::JobStatus;

TEST(Table, FormatsValuesInTheUsersLocale)
{
    const QLocale us(QLocale::English, QLocale::UnitedStates);
    const QLocale it(QLocale::Italian, QLocale::Italy);
    const struct {
        QVariant value;
        ColType type;
        const char *point, *comma;
    } cases[] = {
        {true, ColType::Boolean, "Si", "Si"},
        {false, ColType::Boolean, "No", "No"},
        {QVariant(), ColType::Integer, "", ""},
        {QVariant(), ColType::Boolean, "", ""},
        {QVariant(), ColType::DateTime, "", ""},
        {1234567, ColType::Integer, "1,234,567", "1.234.567"},
        {qlonglong(9000000000000000000LL), ColType::Integer, "9,000,000,000,000,000,000",
         "9.000.000.000.000.000.000"},
        {0.0, ColType::Real, "0.00", "0,00"},   // no logarithm of 0
        {0.05, ColType::Real, "0.0500", "0,0500"},
        {-3.2, ColType::Real, "-3.20", "-3,20"},
        {-0.0, ColType::Real, "0.00", "0,00"},   // no negative zero
        {-0.004, ColType::Currency, "0.00", "0,00"},
        {-0.006, ColType::Currency, "-0.01", "-0,01"},
        {12345.678, ColType::Real, "12345.7", "12345,7"},
        {1e17, ColType::Real, "100000000000000000.0", "100000000000000000,0"},   // fixed notation, every digit
        {0.0000123, ColType::Real, "0.0000123", "0,0000123"},
        {-2e18, ColType::Currency, "-2,000,000,000,000,000,000.00", "-2.000.000.000.000.000.000,00"},
        {1e19, ColType::Integer, "10,000,000,000,000,000,000", "10.000.000.000.000.000.000"},
        {1234.5, ColType::Currency, "1,234.50", "1.234,50"},
        {QStringLiteral("2026-12-10"), ColType::DateTime, "12/10/26", "10/12/26"},
        {QStringLiteral("a\r\nb"), ColType::Memo, "a\r\nb", "a\r\nb"},
    };
    for (const auto &c : cases) {
        EXPECT_EQ(clsSQLTab::FormatValue(c.value, c.type, us), QString::fromUtf8(c.point)) << c.point;
        EXPECT_EQ(clsSQLTab::FormatValue(c.value, c.type, it), QString::fromUtf8(c.comma)) << c.comma;
    }
    const QString huge = clsSQLTab::FormatValue(1e300, ColType::Real, us);
    EXPECT_TRUE(huge.startsWith(QStringLiteral("1000")) && !huge.contains(QLatin1Char('e'), Qt::CaseInsensitive))
        << huge.left(40).toStdString();
    for (double odd : {std::nan(""), std::numeric_limits<double>::infinity(),
                       -std::numeric_limits<double>::infinity()})
        EXPECT_FALSE(clsSQLTab::FormatValue(odd, ColType::Real, us).isEmpty());
    EXPECT_EQ(clsSQLTab::SplitLines(QStringLiteral("a\r\nb")), (QStringList{"a", "b"}));
    EXPECT_EQ(clsSQLTab::SplitLines(QStringLiteral("a\rb\nc\r\n")), (QStringList{"a", "b", "c", ""}));
}

TEST(Table, EveryColumnEndsInsideTheBodyOrTheLayoutSaysWhy)
{
    for (int n = 2; n <= 30; ++n) {
        lumo::MemorySource rows = Grid(3, n);
        rows.rows[1][n - 1] = QStringLiteral("a considerably longer text in the last column");
        auto cursor = rows.cursor();
        const lumo::JobResult r = lumo::RunJob(lumo::PrintOptions(), *cursor, QStringLiteral("T"), nullptr);
        if (r.status == JobStatus::LayoutError) {
            EXPECT_EQ(r.message, lumo::MsgLayoutTooWide()) << n;
            EXPECT_GT(n, 8) << "a few short columns always fit";
            continue;
        }
        ASSERT_EQ(r.status, JobStatus::Done) << n;
        const clsStampante &list = *r.list;
        const qint32 right = list.RealWidth() - list.MarginRight();
        int cells = 0;
        for (const PrintCmd &c : Commands(list)) {
            if (c.code == PT_BOX && c.Val[1] > list.MarginTop() + 10) {   // cells, not the head frame
                EXPECT_GE(c.Val[0], list.MarginLeft()) << n;
                EXPECT_LE(c.Val[2], right) << n;
                ++cells;
            }
        }
        EXPECT_EQ(cells, 4 * n) << "head row and three rows, each cell framed";
    }
}

// An athlete's climb list: seventeen columns of short values. Their six-digit
// starting widths alone are wider than a portrait page, yet the values fit:
// the table prints, every number whole.
TEST(Table, ManyColumnsOfShortValuesFitThePage)
{
    using lumo::ColType;
    lumo::MemorySource rows;
    const struct {
        const char *name;
        ColType type;
        QVariant value;
    } columns[] = {{"Nome Salita", ColType::Text, QStringLiteral("Passo Giau")},
                   {"Data", ColType::Text, QStringLiteral("12/10/2026")},
                   {"Lunghezza", ColType::Real, 9.9},
                   {"Quota Iniziale", ColType::Integer, 1216},
                   {"Quota Finale", ColType::Integer, 2236},
                   {"Pendenza media", ColType::Real, 10.3},
                   {"Tempo", ColType::Text, QStringLiteral("01:05:30")},
                   {"VAM", ColType::Integer, 934},
                   {"Velocità media", ColType::Real, 9.07},
                   {"rpm", ColType::Integer, 90},
                   {"Anteriore usato", ColType::Integer, 39},
                   {"Posteriore usato", ColType::Integer, 25},
                   {"Anteriore consigliato", ColType::Integer, 34},
                   {"Posteriore consigliato", ColType::Integer, 23},
                   {"Velocità media ideale", ColType::Real, 10.5},
                   {"Potenza", ColType::Integer, 216},
                   {"Rapporto Potenza-Peso", ColType::Real, 2.84}};
    QVector<QVariant> row;
    for (const auto &c : columns) {
        rows.columns.append({QString::fromUtf8(c.name), c.type});
        row.append(c.value);
    }
    rows.rows = {row, row, row};
    auto cursor = rows.cursor();
    const lumo::JobResult r = lumo::RunJob(lumo::PrintOptions(), *cursor, QStringLiteral("Rossi Mario| Climbs"), nullptr);
    ASSERT_EQ(r.status, JobStatus::Done) << r.message.toStdString();
    const clsStampante &list = *r.list;
    const qint32 right = list.RealWidth() - list.MarginRight();
    for (const PrintCmd &c : Commands(list)) {
        if (c.code == PT_BOX) {
            EXPECT_LE(c.Val[2], right);
        }
        EXPECT_FALSE(c.text.contains(QStringLiteral("###"))) << c.text.toStdString();
    }
}

TEST(Table, RowsAreReadOnceAndAllPrinted)
{
    struct Counting : lumo::RowCursor {
        lumo::MemorySource src = Climbs(200);
        int reads = 0;
        QVector<lumo::Column> columns() const override { return src.columns; }
        bool next(QVector<QVariant> &row) override
        {
            if (reads >= src.rows.size()) {
                ++reads;
                return false;
            }
            row = src.rows.at(reads++);
            return true;
        }
    } cursor;
    const lumo::JobResult r = lumo::RunJob(lumo::PrintOptions(), cursor, QStringLiteral("T"), nullptr);
    ASSERT_EQ(r.status, JobStatus::Done);
    EXPECT_EQ(cursor.reads, 201) << "each row once, then the end";
    QSet<QString> names;
    for (const PrintCmd &c : Commands(*r.list))
        if (c.code == PT_PRINT && c.text.startsWith(QStringLiteral(" Salita ")))
            names.insert(c.text);
    EXPECT_EQ(names.size(), 200);
}

TEST(Table, BadInputEndsWithAClearStatus)
{
    lumo::MemorySource nulls;
    for (ColType t : {ColType::Boolean, ColType::Integer, ColType::Real, ColType::Currency, ColType::Text,
                      ColType::Memo, ColType::DateTime, ColType::Other})
        nulls.columns.append({QStringLiteral("F%1").arg(int(t)), t});
    nulls.rows.append(QVector<QVariant>(8));
    nulls.rows.append({true, qlonglong(std::numeric_limits<qint64>::min()), std::nan(""), 1e20, QString(),
                       QStringLiteral("\n\n"), QStringLiteral("not a date"), QVariant(QSize(1, 2))});
    nulls.rows.append(QVector<QVariant>{1});   // a short row

    // Every digit of a number is printed: one wider than any sheet cannot be.
    lumo::MemorySource huge = Climbs(2);
    huge.rows[1][1] = 1e300;

    lumo::MemorySource noColumns;
    noColumns.rows.append(QVector<QVariant>());

    lumo::PrintOptions big;
    big.FontSize = 72;
    lumo::PrintOptions wideMargins;
    wideMargins.MarginLeft = wideMargins.MarginRight = 110;
    lumo::PrintOptions tallMargins;
    tallMargins.MarginTop = tallMargins.MarginBottom = 148;

    QString pieces;
    for (int i = 0; i < 1500; ++i)
        pieces += QStringLiteral("x|");

    const struct {
        const char *what;
        lumo::MemorySource rows;
        lumo::PrintOptions options;
        QString title;
        JobStatus status;
        QString message;
    } cases[] = {
        {"nulls and odd values", nulls, {}, QStringLiteral("T"), JobStatus::Done, {}},
        {"a number wider than the sheet", huge, {}, QStringLiteral("T"), JobStatus::LayoutError,
         lumo::MsgLayoutTooWide()},
        {"no columns", noColumns, {}, QStringLiteral("T"), JobStatus::Empty, {}},
        {"no rows", Grid(0, 3), {}, QStringLiteral("T"), JobStatus::Empty, {}},
        {"100 columns", Grid(2, 100), {}, QStringLiteral("T"), JobStatus::LayoutError, lumo::MsgLayoutTooWide()},
        {"72 pt", Climbs(3), big, QStringLiteral("T"), JobStatus::LayoutError, lumo::MsgLayoutTooWide()},
        {"72 pt, one column", Grid(3, 1), big, QStringLiteral("T|U|V"), JobStatus::LayoutError,
         lumo::MsgFontTooBig()},
        {"empty title", Climbs(3), {}, QString(), JobStatus::Done, {}},
        {"1500 head lines", Climbs(3), {}, pieces, JobStatus::LayoutError, lumo::MsgFontTooBig()},
        {"no width left", Climbs(3), wideMargins, QStringLiteral("T"), JobStatus::LayoutError,
         lumo::MsgLayoutTooWide()},
        {"no height left", Climbs(3), tallMargins, QStringLiteral("T"), JobStatus::LayoutError,
         lumo::MsgFontTooBig()},
    };
    for (const auto &c : cases) {
        Recorder host;
        auto cursor = c.rows.cursor();
        const lumo::JobResult r = lumo::RunJob(c.options, *cursor, c.title, nullptr, QPageLayout(), &host);
        EXPECT_EQ(r.status, c.status) << c.what << ": " << r.message.toStdString();
        EXPECT_EQ(r.message, c.message) << c.what;
        if (c.status == JobStatus::Empty) {
            EXPECT_TRUE(host.starts.isEmpty()) << c.what << ": nothing to print raises no event";
        }
    }
}

TEST(Table, AReadErrorIsALayoutError)
{
    struct Failing : lumo::RowCursor {
        int n = 0;
        QVector<lumo::Column> columns() const override { return {{QStringLiteral("A"), ColType::Integer}}; }
        bool next(QVector<QVariant> &row) override
        {
            if (n++ < 40) {
                row = {n};
                return true;
            }
            return false;
        }
        QString error() const override { return n > 40 ? QStringLiteral("disk I/O error") : QString(); }
    } cursor;
    const lumo::JobResult r = lumo::RunJob(lumo::PrintOptions(), cursor, QStringLiteral("T"), nullptr);
    EXPECT_EQ(r.status, JobStatus::LayoutError);
    EXPECT_EQ(r.message, QStringLiteral("disk I/O error"));
}

TEST(Options, DefaultsAndTheirMap)
{
    const lumo::PrintOptions defaults;
    EXPECT_EQ(lumo::PrintOptions::fromVariantMap({}), defaults);
    EXPECT_EQ(lumo::PrintOptions::fromVariantMap(defaults.toVariantMap()), defaults);
    EXPECT_EQ(defaults.toVariantMap().keys().size(), 16);
    EXPECT_EQ(lumo::PrintOptions::Names().size(), 16);

    lumo::PrintOptions changed;
    changed.FontSize = 8.5f;
    changed.MarginTop = 12;
    changed.FontBold = true;
    changed.FootText = QStringLiteral("vettaro 1.0");
    changed.PageNumberStart = -3;
    EXPECT_EQ(lumo::PrintOptions::fromVariantMap(changed.toVariantMap()), changed);

    // Values that do not convert, or are out of range, give the default.
    const lumo::PrintOptions bad = lumo::PrintOptions::fromVariantMap(
        {{"MarginTop", "abc"}, {"FontSize", -4}, {"PageNumberStart", 70000}, {"BigCells", "maybe"},
         {"MarginLeft", "12.5"}, {"DateOnFoot", "False"}});
    EXPECT_EQ(bad.MarginTop, 15);
    EXPECT_EQ(bad.FontSize, 10);
    EXPECT_EQ(bad.PageNumberStart, 1);
    EXPECT_FALSE(bad.BigCells);
    EXPECT_EQ(bad.MarginLeft, 12.5f);
    EXPECT_FALSE(bad.DateOnFoot);
}

TEST(Options, DateFormat)
{
    const QDateTime when(QDate(2026, 3, 4), QTime(7, 5, 9));
    EXPECT_EQ(lumo::FormatDate(when, QStringLiteral("dd/mm/yy hh:nn")), QStringLiteral("04/03/26 07:05"));
    EXPECT_EQ(lumo::FormatDate(when, QStringLiteral("d/m/yyyy h:mm:ss")), QStringLiteral("4/3/2026 7:05:09"));
}

TEST(Table, EightAndAHalfPointsStayEightAndAHalf)
{
    lumo::PrintOptions options;
    options.FontSize = 8.5f;
    lumo::MemorySource rows = Climbs(2);
    auto cursor = rows.cursor();
    const lumo::JobResult r = lumo::RunJob(options, *cursor, QStringLiteral("T"), nullptr);
    ASSERT_EQ(r.status, JobStatus::Done);
    bool seen = false;
    for (const PrintCmd &c : Commands(*r.list))
        if (c.code == PT_FONTSIZE) {
            EXPECT_EQ(c.Val[0], 850);
            seen = true;
        }
    EXPECT_TRUE(seen);
}
