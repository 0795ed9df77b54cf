#include "records/Simulators.h"
#include "TestSupport.h"

using namespace Simulators;

namespace {

const QLocale kEnglish(QLocale::English, QLocale::UnitedStates);
const QLocale kItalian(QLocale::Italian, QLocale::Italy);

// A climb of D = 1000 m over 10 km at 1000 m/h, 70 kg, cadence 70.
ClimbInput Climb1000()
{
    ClimbInput in;
    in.length = QStringLiteral("10");
    in.startAltitude = QStringLiteral("500");
    in.endAltitude = QStringLiteral("1500");
    in.recordCount = QStringLiteral("4");
    in.rate.position = 2100 - 1000;
    in.cadence.position = 140 - 70;
    in.weight.position = 160 - 70;
    return in;
}

// A route of 100 km at 25.00 km/h, 75 kg.
RouteInput Route100()
{
    RouteInput in;
    in.length = QStringLiteral("100");
    in.recordCount = QStringLiteral("2");
    in.speed.position = 8001 - 2500;
    in.weight.position = 160 - 75;
    return in;
}

void ExpectClimbPlaceholders(const ClimbReadouts &out)
{
    EXPECT_EQ(out.time, QStringLiteral("--.--.--"));
    EXPECT_EQ(out.speed, QStringLiteral("--,--"));
    EXPECT_EQ(out.rate, QStringLiteral("----"));
    EXPECT_EQ(out.power, QStringLiteral("----"));
    EXPECT_EQ(out.energy, QStringLiteral("----"));
    EXPECT_EQ(out.powerPerKg, QStringLiteral("----"));
    EXPECT_EQ(out.chainring, QStringLiteral("--"));
    EXPECT_EQ(out.sprocket, QStringLiteral("--"));
}

} // namespace

TEST(Simulators, SliderValueIsReversed)
{
    EXPECT_EQ((Slider{300, 1800, 1500}.Value()), 600);
    EXPECT_EQ((Slider{1, 8000, 6000}.Value()), 2001);
    EXPECT_EQ((Slider{30, 130, 90}.Value()), 70);
}

TEST(Simulators, DurationShowsHoursBeyondADay)
{
    struct Case { double seconds; const char *text; } cases[] = {
        {3723, "01:02:03"}, {3600, "01:00:00"}, {0, "00:00:00"}, {59.5, "00:01:00"}, {58.5, "00:00:58"},
        {86400, "24:00:00"}, {90061, "25:01:01"}, {3600000, "1000:00:00"}, {-3600, "-01:00:00"},
    };
    for (const Case &c : cases)
        EXPECT_EQ(FormatDuration(c.seconds), QString::fromLatin1(c.text)) << c.seconds;
}

TEST(Simulators, ClimbOf1000MetresAt1000MetresAnHour)
{
    ClimbSimulator sim;
    ClimbReadouts out;
    ASSERT_TRUE(sim.RateChanged(Climb1000(), out, kEnglish));
    EXPECT_EQ(out.time, QStringLiteral("01:00:00"));
    EXPECT_EQ(out.speed, QStringLiteral("10.00"));
    EXPECT_EQ(out.rate, QStringLiteral("1000"));
    EXPECT_EQ(out.power, QStringLiteral("214"));
    EXPECT_EQ(out.energy, QStringLiteral("690"));
    EXPECT_EQ(out.powerPerKg, QStringLiteral("3.06"));
    // Large ring 47, middle 34: the small ring with sprocket 26.
    EXPECT_EQ(out.chainring, QStringLiteral("30"));
    EXPECT_EQ(out.sprocket, QStringLiteral("26"));
    EXPECT_EQ(sim.suggestedChainring(), 39);   // the stored choice keeps the middle ring's sprocket
    EXPECT_EQ(sim.suggestedSprocket(), 34);
    EXPECT_EQ(out.weight, QStringLiteral("--"));  // only the weight slider writes the weight

    out.energy.clear();
    ASSERT_TRUE(sim.WeightChanged(Climb1000(), out, kEnglish));
    EXPECT_EQ(out.weight, QStringLiteral("70"));
    EXPECT_EQ(out.energy, QStringLiteral("690"));
    EXPECT_EQ(out.power, QStringLiteral("214"));

    ClimbReadouts it;
    ASSERT_TRUE(sim.RateChanged(Climb1000(), it, kItalian));
    EXPECT_EQ(it.speed, QStringLiteral("10,00"));
    EXPECT_EQ(it.powerPerKg, QStringLiteral("3,06"));
}

TEST(Simulators, ClimbingRateColourRamp)
{
    struct Case { int rate; uint32_t colour; } cases[] = {
        {300, Rgb(128, 255, 0)}, {900, Rgb(255, 255, 0)}, {901, Rgb(255, 254, 0)}, {1800, Rgb(255, 64, 0)},
    };
    for (const Case &c : cases) {
        ClimbInput in = Climb1000();
        in.rate.position = 2100 - c.rate;
        ClimbSimulator sim;
        ClimbReadouts out;
        ASSERT_TRUE(sim.RateChanged(in, out, kEnglish));
        EXPECT_EQ(out.rate, QString::number(c.rate));
        EXPECT_TRUE(out.rateColourSet);
        EXPECT_EQ(out.rateColour, c.colour) << c.rate;
    }
}

TEST(Simulators, LongSlowClimbShowsMoreThan24Hours)
{
    ClimbInput in = Climb1000();
    in.endAltitude = QStringLiteral("9500");   // 9000 m at 300 m/h: 30 hours
    in.length = QStringLiteral("300");
    in.rate.position = 1800;
    ClimbSimulator sim;
    ClimbReadouts out;
    ASSERT_TRUE(sim.RateChanged(in, out, kEnglish));
    EXPECT_EQ(out.time, QStringLiteral("30:00:00"));
}

TEST(Simulators, GearBoundaries)
{
    const Gearing road = GearingOf(Road);
    // The speed at which a ring gives exactly `teeth` + 0.5 sprocket teeth at cadence 70.
    auto speedFor = [&](int ring, double teeth) {
        return double(road.wheelCircumference) * ring * 70 * 6 / 100 / teeth;
    };
    struct Case { double kmh; int chainring; int sprocket; } cases[] = {
        {speedFor(53, 22.5), 53, 22},
        {speedFor(53, 23.5), 39, 17},
        {speedFor(39, 28.5), 39, 28},
        {speedFor(39, 29.5), 30, 22},
    };
    for (const Case &c : cases) {
        const GearChoice g = SuggestGear(road, 70, c.kmh);
        EXPECT_EQ(g.chainring, c.chainring) << c.kmh;
        EXPECT_EQ(int(g.sprocket), c.sprocket) << c.kmh;
    }
}

TEST(Simulators, MountainBikeGearing)
{
    ClimbSimulator sim;
    ClimbReadouts out;
    ASSERT_TRUE(sim.SetBikeKind(MountainBike, Climb1000(), out, kEnglish));
    EXPECT_EQ(sim.gearing().chainrings[2], 48);
    EXPECT_FLOAT_EQ(sim.gearing().wheelCircumference, 1.98f);
    EXPECT_EQ(out.chainring, QStringLiteral("28"));
    EXPECT_EQ(out.sprocket, QStringLiteral("23"));
    // An unknown index keeps the gearing but still recomputes.
    ASSERT_TRUE(sim.SetBikeKind(5, Climb1000(), out, kEnglish));
    EXPECT_EQ(sim.gearing().chainrings[2], 48);
    ASSERT_TRUE(sim.SetBikeKind(Road, Climb1000(), out, kEnglish));
    EXPECT_EQ(out.chainring, QStringLiteral("30"));
}

TEST(Simulators, CadenceRecomputesOnlyTheGear)
{
    ClimbSimulator sim;
    ClimbReadouts out;
    ClimbInput in = Climb1000();
    in.cadence.position = 140 - 50;
    ASSERT_TRUE(sim.CadenceChanged(in, out, kEnglish));
    EXPECT_EQ(out.time, QStringLiteral("--.--.--"));
    // s(53) = 2.12*53*50*6/100/10 = 33.7: middle ring, 2.12*39*3/10 = 24.8
    EXPECT_EQ(out.chainring, QStringLiteral("39"));
    EXPECT_EQ(out.sprocket, QStringLiteral("24"));
}

TEST(Simulators, ClimbFailuresWritePlaceholders)
{
    struct Case { const char *start, *end, *length; } cases[] = {
        {"500", "500", "10"},   // D = 0
        {"500", "1500", "0"},   // length 0
        {"500", "1500", ""},    // empty length
        {"500", "40000", "10"}, // height beyond 16 bits
        {"1500", "1000", "10"}, // a descent
        {"1000", "-200", "3"},  // down below sea level
    };
    for (const Case &c : cases) {
        ClimbInput in = Climb1000();
        in.startAltitude = QString::fromLatin1(c.start);
        in.endAltitude = QString::fromLatin1(c.end);
        in.length = QString::fromLatin1(c.length);
        ClimbSimulator sim;
        ClimbReadouts out;
        sim.RateChanged(Climb1000(), out, kEnglish);
        EXPECT_FALSE(sim.RateChanged(in, out, kEnglish));
        ExpectClimbPlaceholders(out);
        EXPECT_TRUE(out.rateColourSet);  // the colour is not reset by the error path
        // The other sliders and the bike kind show no figures for it either.
        EXPECT_FALSE(sim.WeightChanged(in, out, kEnglish));
        EXPECT_FALSE(sim.CadenceChanged(in, out, kEnglish));
        EXPECT_FALSE(sim.SetBikeKind(1, in, out, kEnglish));
        ExpectClimbPlaceholders(out);
    }
}

TEST(Simulators, GatesLeaveReadoutsButWeightFollows)
{
    for (bool adding : {true, false}) {
        ClimbInput in = Climb1000();
        in.adding = adding;
        if (!adding)
            in.recordCount = QStringLiteral("0");
        ClimbSimulator sim;
        ClimbReadouts out;
        EXPECT_FALSE(sim.RateChanged(in, out, kEnglish));
        EXPECT_FALSE(sim.CadenceChanged(in, out, kEnglish));
        EXPECT_FALSE(sim.WeightChanged(in, out, kEnglish));
        ExpectClimbPlaceholders(out);          // untouched placeholders
        EXPECT_EQ(out.weight, QStringLiteral("70"));

        RouteInput r = Route100();
        r.adding = adding;
        if (!adding)
            r.recordCount = QStringLiteral("0");
        RouteReadouts ro;
        ro.power = QStringLiteral("keep");
        EXPECT_FALSE(RouteSpeedChanged(r, ro, kEnglish));
        EXPECT_FALSE(RouteWeightChanged(r, ro, kEnglish));
        EXPECT_EQ(ro.power, QStringLiteral("keep"));
        EXPECT_EQ(ro.weight, QStringLiteral("75"));
    }
}

TEST(Simulators, RouteOf100KmAt25KmAnHour)
{
    RouteReadouts out;
    ASSERT_TRUE(RouteSpeedChanged(Route100(), out, kEnglish));
    EXPECT_EQ(out.power, QStringLiteral("120"));
    EXPECT_EQ(out.time, QStringLiteral("04:00:00"));
    EXPECT_EQ(out.energy, QStringLiteral("1548"));
    EXPECT_EQ(out.powerPerKg, QStringLiteral("1.60"));
    EXPECT_EQ(out.speed, QStringLiteral("25.00"));
    EXPECT_EQ(out.speedColour, Rgb(247, 255, 0));

    RouteReadouts w;
    ASSERT_TRUE(RouteWeightChanged(Route100(), w, kEnglish));
    EXPECT_EQ(w.weight, QStringLiteral("75"));
    EXPECT_EQ(w.power, QStringLiteral("120"));
    EXPECT_EQ(w.energy, QStringLiteral("1548"));
    EXPECT_EQ(w.time, QStringLiteral("--.--.--"));
}

TEST(Simulators, RouteSliderEnds)
{
    RouteInput slow = Route100();
    slow.length = QStringLiteral("10");
    slow.speed.position = 8000;   // S = 1, 0.01 km/h
    RouteReadouts out;
    ASSERT_TRUE(RouteSpeedChanged(slow, out, kEnglish));
    EXPECT_EQ(out.time, QStringLiteral("1000:00:00"));
    EXPECT_EQ(out.power, QStringLiteral("0"));
    EXPECT_EQ(out.speed, QStringLiteral("00.01"));

    RouteInput fast = Route100();
    fast.speed.position = 1;      // S = 8000
    ASSERT_TRUE(RouteSpeedChanged(fast, out, kEnglish));
    EXPECT_EQ(out.speed, QStringLiteral("80.00"));
    EXPECT_EQ(out.speedColour, Rgb(255, 0, 0));

    RouteInput slowSpeed = Route100();
    slowSpeed.speed.position = 8001 - 950;
    ASSERT_TRUE(RouteSpeedChanged(slowSpeed, out, kItalian));
    EXPECT_EQ(out.speed, QStringLiteral("09,50"));
}

TEST(Simulators, RouteLengthZeroAndEmpty)
{
    RouteInput zero = Route100();
    zero.length = QStringLiteral("0");
    RouteReadouts out;
    ASSERT_TRUE(RouteSpeedChanged(zero, out, kEnglish));
    EXPECT_EQ(out.time, QStringLiteral("00:00:00"));
    EXPECT_EQ(out.energy, QStringLiteral("0"));

    RouteInput empty = Route100();
    empty.length.clear();
    EXPECT_FALSE(RouteSpeedChanged(empty, out, kEnglish));
    EXPECT_EQ(out.time, QStringLiteral("--.--.--"));
    EXPECT_EQ(out.speed, QStringLiteral("--,--"));
    EXPECT_EQ(out.power, QStringLiteral("----"));
    EXPECT_EQ(out.energy, QStringLiteral("----"));
    EXPECT_EQ(out.powerPerKg, QStringLiteral("----"));
}
