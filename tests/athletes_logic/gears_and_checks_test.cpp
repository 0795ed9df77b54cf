// The gear calculator and the time cards' Confirm checks, without windows.
#include "CoreTestSupport.h"
#include "athletes/logic/GearCalculator.h"
#include "athletes/logic/TimeCards.h"

#include <gtest/gtest.h>

TEST(GearCalculator, RatioDevelopmentAndSpeed)
{
    struct Case {
        QLocale locale;
        const char *circumference;
        int front, rear, cadence;
        const char *ratio, *development, *speed;
    };
    const QLocale en(QLocale::English, QLocale::UnitedStates), de(QLocale::German, QLocale::Germany);
    const Case cases[] = {
        {en, "2.1", 39, 16, 70, "2.438", "5.119", "21.50"},
        {de, "2,1", 39, 16, 70, "2,438", "5,119", "21,50"},
        {de, "2.1", 39, 16, 70, "2,438", "5,119", "21,50"},   // a point is read too
        {en, "2.096", 53, 11, 140, "4.818", "10.099", "84.83"},
        {en, "2.1", 24, 32, 20, "0.750", "1.575", "1.89"},
    };
    for (const Case &c : cases) {
        const Gears::Result r = Gears::Compute(c.front, c.rear, c.cadence, QLatin1String(c.circumference), c.locale);
        ASSERT_TRUE(r.ok) << c.circumference;
        EXPECT_EQ(r.ratio, QLatin1String(c.ratio));
        EXPECT_EQ(r.development, QLatin1String(c.development));
        EXPECT_EQ(r.speed, QLatin1String(c.speed));
        float w = 0;
        ASSERT_TRUE(Gears::ReadCircumference(QLatin1String(c.circumference), c.locale, &w));
        EXPECT_EQ(Gears::Speed(c.front, c.rear, c.cadence, w, c.locale), QLatin1String(c.speed));
    }
}

TEST(GearCalculator, CircumferenceThatIsNoNumberGivesNothing)
{
    for (const char *bad : {"", " ", "abc", "2.1.3", "1,000.5"}) {
        const Gears::Result r = Gears::Compute(39, 16, 70, QLatin1String(bad), QLocale(QLocale::English));
        EXPECT_FALSE(r.ok) << bad;
        EXPECT_TRUE(r.ratio.isEmpty());
    }
}

TEST(GearCalculator, CadenceIsTheSliderReadUpsideDown)
{
    EXPECT_EQ(Gears::CadenceFromPosition(Gears::CadenceMin), 140);
    EXPECT_EQ(Gears::CadenceFromPosition(Gears::CadenceMax), 10);
    EXPECT_EQ(Gears::CadenceFromPosition(Gears::CadenceStart), 70);
}

TEST(TimeCardChecks, FirstFieldThatFails)
{
    using TimeCards::Field;
    using TimeCards::Kind;
    const TimeCards::Entry full{QStringLiteral("ROSSI"), true, QStringLiteral("Stelvio"), true,
                                QStringLiteral("01:02:03"), QStringLiteral("39"), QStringLiteral("25")};
    struct Case {
        const char *what;
        std::function<void(TimeCards::Entry &)> change;
        Field training, climb;
    };
    const Case cases[] = {
        {"complete", [](TimeCards::Entry &) {}, Field::None, Field::None},
        {"athlete empty", [](TimeCards::Entry &e) { e.athlete.clear(); }, Field::Athlete, Field::Athlete},
        {"athlete not in list", [](TimeCards::Entry &e) { e.athleteListed = false; }, Field::Athlete, Field::Athlete},
        {"place not in list", [](TimeCards::Entry &e) { e.placeListed = false; }, Field::Place, Field::Place},
        {"place and time empty", [](TimeCards::Entry &e) { e.place.clear(); e.time.clear(); }, Field::Place, Field::Place},
        {"time empty", [](TimeCards::Entry &e) { e.time.clear(); }, Field::Time, Field::Time},
        {"chainring empty", [](TimeCards::Entry &e) { e.front.clear(); }, Field::None, Field::Front},
        {"sprocket empty", [](TimeCards::Entry &e) { e.rear.clear(); }, Field::None, Field::Rear},
    };
    for (const Case &c : cases) {
        TimeCards::Entry e = full;
        c.change(e);
        EXPECT_EQ(TimeCards::FirstMissing(Kind::Training, e), c.training) << c.what;
        EXPECT_EQ(TimeCards::FirstMissing(Kind::Climb, e), c.climb) << c.what;
    }
}
