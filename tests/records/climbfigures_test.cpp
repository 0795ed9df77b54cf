#include "records/ClimbFigures.h"
#include "TestSupport.h"

#include <cmath>

using namespace ClimbFigures;

namespace {

CardTexts Card(const QString &start, const QString &end, const QString &length = QStringLiteral("10"),
               const QString &count = QStringLiteral("3"))
{
    return CardTexts{length, start, end, count};
}

const QLocale kEnglish(QLocale::English, QLocale::UnitedStates);
const QLocale kItalian(QLocale::Italian, QLocale::Italy);

} // namespace

TEST(ClimbFigures, HeightDifferenceClassesAndBounds)
{
    struct Case { const char *start, *end, *caption; int cls; } cases[] = {
        {"200", "700", "500", 1},    {"200", "701", "501", 2},
        {"0", "1000", "1000", 2},    {"0", "1001", "1001", 3},
        {"0", "1500", "1500", 3},    {"0", "1501", "1501", 4},
        {"600", "580", "-20", 1},    // descending card: minus sign, green
        {"0.5", "500.5", "500", 1},  // halves round to even: 0 and 500
        {"1,5", "1001,5", "1000", 2},// comma typed under a point locale: 2 and 1002
        // Both heights fit 16 bits but their difference does not: computed in 32 bits.
        {"-20000", "20000", "40000", 4},
    };
    for (const Case &c : cases) {
        const Figure f = HeightDifference(Card(c.start, c.end), kEnglish);
        EXPECT_EQ(f.state, Figure::Shown) << c.start << " " << c.end;
        EXPECT_EQ(f.caption, QString::fromLatin1(c.caption)) << c.start << " " << c.end;
        EXPECT_EQ(f.colourClass, c.cls) << c.start << " " << c.end;
        EXPECT_EQ(f.colour, ClassColour(c.cls));
    }
}

TEST(ClimbFigures, ColourValuesOfTheClasses)
{
    EXPECT_EQ(ClassColour(1), 32768u);
    EXPECT_EQ(ClassColour(2), 16711680u);
    EXPECT_EQ(ClassColour(3), 33023u);
    EXPECT_EQ(ClassColour(4), 255u);
    EXPECT_EQ(ClassColour(0), 255u);
}

TEST(ClimbFigures, ClassBoundsBelongToTheLowerClass)
{
    EXPECT_EQ(SlopeClass(0.04f), 1);
    EXPECT_EQ(SlopeClass(std::nextafter(0.04f, 1.0f)), 2);
    EXPECT_EQ(SlopeClass(0.07f), 2);
    EXPECT_EQ(SlopeClass(std::nextafter(0.07f, 1.0f)), 3);
    EXPECT_EQ(SlopeClass(0.10f), 3);
    EXPECT_EQ(SlopeClass(std::nextafter(0.10f, 1.0f)), 4);
    EXPECT_EQ(DifficultyClass(40.0f), 1);
    EXPECT_EQ(DifficultyClass(40.01f), 2);
    EXPECT_EQ(DifficultyClass(70.0f), 2);
    EXPECT_EQ(DifficultyClass(70.01f), 3);
    EXPECT_EQ(DifficultyClass(100.0f), 3);
    EXPECT_EQ(DifficultyClass(100.01f), 4);
}

TEST(ClimbFigures, MeanGradient)
{
    struct Case { const char *start, *end, *length; QLocale locale; const char *caption; int cls; } cases[] = {
        {"200", "600", "10", kEnglish, "4.0%", 1},   // exactly 4 %: inclusive bound
        {"200", "600", "9.7", kEnglish, "4.1%", 2},
        {"200", "600", "9,7", kItalian, "4,1%", 2},
        {"200", "600", "9.7", kItalian, "4,1%", 2},  // the other decimal mark is still a decimal
        {"0", "700", "10", kEnglish, "7.0%", 2},
        {"0", "1000", "10", kEnglish, "10.0%", 3},
        {"0", "1001", "10", kEnglish, "10.0%", 4},   // 10.01 % shows rounded, classed exactly
        {"600", "400", "10", kEnglish, "-2.0%", 1},
        {"600", "599", "1000", kEnglish, "0.0%", 1},   // a slight descent: no negative zero
        {"600", "599", "1000", kItalian, "0,0%", 1},
    };
    for (const Case &c : cases) {
        const Figure f = MeanGradient(Card(c.start, c.end, c.length), c.locale);
        EXPECT_EQ(f.state, Figure::Shown) << c.length;
        EXPECT_EQ(f.caption, QString::fromUtf8(c.caption)) << c.start << " " << c.end << " " << c.length;
        EXPECT_EQ(f.colourClass, c.cls) << c.start << " " << c.end << " " << c.length;
    }
}

TEST(ClimbFigures, Difficulty)
{
    struct Case { const char *start, *end, *length; const char *caption; int cls; } cases[] = {
        {"0", "1000", "10", "140.00", 4},
        {"0", "500", "5", "90.00", 3},
        {"100", "300", "2", "60.00", 2},   // 40000/2000 + 80/2
        {"0", "100", "10", "5.00", 1},
        {"600", "599", "1000", "0.00", 1},   // -0.0004: no negative zero
    };
    for (const Case &c : cases) {
        const Figure f = Difficulty(Card(c.start, c.end, c.length), kEnglish);
        EXPECT_EQ(f.caption, QString::fromLatin1(c.caption)) << c.end << " " << c.length;
        EXPECT_EQ(f.colourClass, c.cls) << c.end << " " << c.length;
    }
    EXPECT_EQ(Difficulty(Card("0", "1000", "10"), kItalian).caption, QStringLiteral("140,00"));
    // Large values show without group separators.
    EXPECT_EQ(Difficulty(Card("0", "3000", "1"), kEnglish).caption, QStringLiteral("10200.00"));
}

TEST(ClimbFigures, ErrorsShowARedPlaceholder)
{
    const CardTexts bad[] = {
        Card("", "600"),                  // empty altitude
        Card("abc", "600"),               // not a number
        Card("40000", "600"),             // a height beyond 16 bits is refused
        Card("200", "600", "10", ""),     // record count not yet shown
        Card("200", "600", "10", "x"),
    };
    for (const CardTexts &c : bad) {
        for (const Figure &f : {HeightDifference(c), MeanGradient(c), Difficulty(c)}) {
            EXPECT_EQ(f.state, Figure::Failed);
            EXPECT_EQ(f.caption, QStringLiteral("- - -"));
            EXPECT_EQ(f.colour, 255u);
        }
    }
    // Length 0: the height difference still shows, the others fail.
    const CardTexts zero = Card("200", "600", "0");
    EXPECT_EQ(HeightDifference(zero).caption, QStringLiteral("400"));
    EXPECT_EQ(MeanGradient(zero).state, Figure::Failed);
    EXPECT_EQ(Difficulty(zero).state, Figure::Failed);
    EXPECT_EQ(MeanGradient(Card("200", "600", "")).state, Figure::Failed);
}

TEST(ClimbFigures, NoRecordLeavesLabelsButDifficultyFailsOnEmptyFields)
{
    const CardTexts empty = Card("", "", "", "0");
    EXPECT_EQ(HeightDifference(empty).state, Figure::Unchanged);
    EXPECT_EQ(MeanGradient(empty).state, Figure::Unchanged);
    EXPECT_EQ(Difficulty(empty).state, Figure::Failed);
    // With readable fields and no record, all three keep their labels.
    EXPECT_EQ(Difficulty(Card("200", "600", "10", "0")).state, Figure::Unchanged);
}
