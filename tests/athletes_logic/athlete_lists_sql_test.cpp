// The athlete lists' SQL texts, built without a database.
#include "CoreTestSupport.h"
#include "athletes/logic/AthleteLists.h"

#include <QTime>
#include <gtest/gtest.h>

using namespace AthleteLists;

TEST(AthleteListsSql, ListAndStatisticsTexts)
{
    const QString climbs = ListSql(Kind::Climbs, QStringLiteral("IDPersonale"));
    EXPECT_EQ(climbs, QStringLiteral("SELECT * FROM [Riepilogo Salite] WHERE [IDPersonale] = 'IDPersonale'"));
    EXPECT_TRUE(climbs.startsWith(QLatin1String("SELECT * ")));
    // Quotes in a code are doubled, never closing the literal.
    EXPECT_EQ(ListSql(Kind::Trainings, QStringLiteral("O'N\"1")),
              QStringLiteral("SELECT * FROM [Riepilogo Tempi Allenamento] WHERE [IDPersonale] = 'O''N\"1'"));
    EXPECT_EQ(StatsSql(StatsSqlHead(Kind::Trainings), climbs),
              QStringLiteral("SELECT count(*) AS [NumeroAll], sum([Dist2]) AS [Kmtot], "
                             "avg((3600*hour([Tempo]))+(60*minute([Tempo]))+second([Tempo])) AS [Secondi], "
                             "avg(cdbl([Velocità media])) AS [kmh] FROM [Riepilogo Salite] WHERE [IDPersonale] = 'IDPersonale'"));
    EXPECT_TRUE(StatsSqlHead(Kind::Climbs).endsWith(QStringLiteral("avg([VAMA]) AS [MedVam], avg(cdbl([Velocità])) AS [kmh] ")));
}

TEST(AthleteListsSql, FilterConditionsByType)
{
    struct Case { QVariant value; const char *expected; };
    const Case cases[] = {
        {QVariant(QStringLiteral("Alpe \"X\" d'Huez")), " AND ([f] =  'Alpe \"X\" d''Huez') "},
        {QVariant(42), " AND ([f] =  42) "},
        {QVariant(21.5), " AND ([f] =  21.5) "},
        {QVariant(QDate(2004, 3, 1)), " AND ([f] =  #03/01/2004#) "},
        {QVariant(QTime(9, 5, 0)), " AND ([f] =  '09:05:00') "},
        {QVariant(), " AND ([f] IS NULL) "},
    };
    for (const Case &c : cases)
        EXPECT_EQ(FilterCondition(QStringLiteral("f"), c.value), QString::fromUtf8(c.expected)) << c.expected;
}

TEST(AthleteListsSql, SortDateAndPrint)
{
    EXPECT_EQ(SortClause(QStringLiteral("Tempo"), true), QStringLiteral(" ORDER BY [Tempo]  ASC"));
    EXPECT_EQ(SortClause(QStringLiteral("Tempo"), false), QStringLiteral(" ORDER BY [Tempo]  DESC"));
    EXPECT_EQ(HeadClickSortClause(QStringLiteral("Data"), true), QStringLiteral(" ORDER BY [Data] DESC"));
    EXPECT_EQ(DateCondition(QStringLiteral(">="), QDate(2004, 3, 1)), QStringLiteral(" AND ([Data] >=#03/01/2004# ) "));
    EXPECT_EQ(DateCondition(QStringLiteral("<="), QDate(1999, 12, 31)), QStringLiteral(" AND ([Data] <=#12/31/1999# ) "));
    EXPECT_TRUE(DateCondition(QStringLiteral(">="), QDate()).isEmpty());
    EXPECT_TRUE(DateCondition(QStringLiteral("= 1) OR (1"), QDate(2004, 3, 1)).isEmpty());

    const QString source = ListSql(Kind::Climbs, QStringLiteral("A1")) + SortClause(QStringLiteral("Tempo"), false);
    const QString print = PrintSql(Kind::Climbs, source);
    EXPECT_TRUE(print.endsWith(QLatin1String("FROM [Riepilogo Salite] WHERE [IDPersonale] = 'A1' ORDER BY [Tempo]  DESC")));
    EXPECT_EQ(print.left(print.indexOf(QLatin1String("FROM"))).count(QLatin1Char(',')) + 1, 17);
    EXPECT_FALSE(print.contains(QLatin1String("Dislivello")));
    const QString trainings = PrintSql(Kind::Trainings, ListSql(Kind::Trainings, QStringLiteral("A1")));
    EXPECT_EQ(trainings.left(trainings.indexOf(QLatin1String("FROM"))).count(QLatin1Char(',')) + 1, 7);
    EXPECT_TRUE(PrintSql(Kind::Trainings, QStringLiteral("nothing")).isEmpty());
    EXPECT_EQ(PrintTitle(QStringLiteral("Rossi"), QStringLiteral("Ugo"), QStringLiteral("Climb performance")),
              QStringLiteral("Rossi Ugo| Climb performance"));
    EXPECT_EQ(RankingPrintTitle(QStringLiteral("Alpe"), QStringLiteral("Best Grimpeur")), QStringLiteral("Alpe| Best Grimpeur"));
    EXPECT_EQ(SummarySortSql(QStringLiteral("Riepilogo per Atleta"), QStringLiteral("MaxDiVAMA"), false),
              QStringLiteral("SELECT * FROM [Riepilogo per Atleta] ORDER BY [MaxDiVAMA]  DESC"));
}

TEST(AthleteListsSql, TwoDecimalsPattern)
{
    const QLocale en(QLocale::English, QLocale::UnitedStates), de(QLocale::German, QLocale::Germany);
    EXPECT_EQ(FormatTwoDecimals(0.5, en), QStringLiteral(".50"));
    EXPECT_EQ(FormatTwoDecimals(0.0, en), QStringLiteral(".00"));
    EXPECT_EQ(FormatTwoDecimals(15.0, de), QStringLiteral("15,00"));
    // No digit grouping, whatever the locale.
    EXPECT_EQ(FormatTwoDecimals(1234.567, en), QStringLiteral("1234.57"));
    EXPECT_EQ(FormatTwoDecimals(1200.0, de), QStringLiteral("1200,00"));
    EXPECT_EQ(FormatTwoDecimals(-0.5, de), QStringLiteral("-,50"));
    EXPECT_EQ(FormatTwoDecimals(-0.004, de), QStringLiteral(",00"));   // no negative zero
}
