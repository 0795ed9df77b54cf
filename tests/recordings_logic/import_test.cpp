// Thinning a recording and building the route or climb it becomes.
#include "recordings/RecordingImport.h"

#include "platform/error/VbError.h"

#include <gtest/gtest.h>

namespace {
std::vector<int> Thin(const std::vector<std::pair<float, int16_t>> &points, float step)
{
    std::vector<float> d;
    std::vector<int16_t> h;
    for (const auto &[km, m] : points) {
        d.push_back(km);
        h.push_back(m);
    }
    return ThinSamples(d, h, step);
}

ColSample Samples(const std::vector<std::pair<float, int16_t>> &points)
{
    ColSample s;
    for (const auto &[km, m] : points)
        s.Add(0, 0, km, m, 0, 0, 0, {}, {}, 0, 0, 0);
    return s;
}
}

TEST(Thinning, KeepsWhatTheStepAndTheHeightsAsk)
{
    struct Case {
        const char *what;
        std::vector<std::pair<float, int16_t>> points;
        float step;
        std::vector<int> kept;
    };
    const Case cases[] = {
        {"the 0.25 km example",
         {{0, 100}, {0.125f, 101}, {0.25f, 101}, {0.375f, 101}, {0.5f, 102}, {0.625f, 103}}, 0.25f, {0, 3, 5}},
        {"one sample", {{0, 100}}, 1, {0}},
        {"two samples", {{0, 100}, {1, 120}}, 5, {0, 1}},
        {"two at one distance", {{0, 100}, {0, 120}}, 0, {0}},
        {"flat ride", {{0, 100}, {1, 100}, {2, 100}, {3, 100}}, 0, {0, 3}},
        {"step 0 keeps every height change", {{0, 100}, {1, 101}, {2, 102}, {3, 103}}, 0, {0, 1, 2, 3}},
        // Standing still at the summit: the first sample at the final
        // distance is the end point, with the summit's height.
        {"standstill at the end", {{0, 100}, {1, 150}, {2, 200}, {2, 200}, {2, 199}}, 5, {0, 2}},
        {"no samples", {}, 0, {}},
    };
    for (const Case &c : cases)
        EXPECT_EQ(Thin(c.points, c.step), c.kept) << c.what;
}

TEST(ImportRace, RoundsShiftsAndKeepsEachDistanceOnce)
{
    ImportRequest r;
    r.name = QStringLiteral("Colle");
    r.raceType = 0;
    r.length = 2;
    r.startAltitude = 250;
    r.endAltitude = 410;
    r.offset = 3;   // the start altitude nudged from 250 to 253
    r.step = 0;
    // 2.0004 and 2.0001 round to 2.000 like the end point: kept once, the end winning.
    const ColSample source = Samples({{0, 250}, {1.23456f, 300}, {2.0001f, 405}, {2.0004f, 410}});
    int calls = 0;
    const RacePtr race = BuildImportRace(source, r, [&](int i, int n) {
        EXPECT_EQ(n, 4);
        EXPECT_EQ(i, ++calls);
    });
    EXPECT_EQ(calls, 4);
    EXPECT_EQ(race->raceName(), QStringLiteral("Colle"));
    EXPECT_EQ(race->raceType(), 0);
    EXPECT_EQ(race->StartHeight(), 253);
    EXPECT_EQ(race->endHeight(), 413);
    ASSERT_EQ(race->Samples()->Count(), 3);
    EXPECT_FLOAT_EQ(race->Samples()->Item(2)->Distance(), 1.235f);
    EXPECT_EQ(race->Samples()->Item(2)->Height(), 303);
    EXPECT_FLOAT_EQ(race->Samples()->Item(3)->Distance(), 2.0f);
    EXPECT_EQ(race->Samples()->Item(3)->Height(), 413);

    // A shifted height beyond 16 bits is an overflow, nothing built.
    r.offset = 32600;
    try {
        BuildImportRace(source, r);
        ADD_FAILURE() << "no overflow";
    } catch (const VbError &e) {
        EXPECT_EQ(e.Number(), 6);
    }
}

TEST(ImportRace, NamesStepsAndRounding)
{
    struct NameCase { QString name; NameCheck check; };
    for (const NameCase &c : {NameCase{"", NameCheck::Empty}, NameCase{"   ", NameCheck::Empty},
                              NameCase{QString(250, 'x'), NameCheck::Ok}, NameCase{QString(251, 'x'), NameCheck::TooLong},
                              NameCase{" Stelvio ", NameCheck::Ok}})
        EXPECT_EQ(CheckRaceName(c.name), c.check) << c.name.size();
    EXPECT_FLOAT_EQ(StepOfFilter(3), 0.25f);
    EXPECT_FLOAT_EQ(StepOfFilter(9), 10.0f);
    EXPECT_FLOAT_EQ(StepOfFilter(-1), 0.0f);
    EXPECT_EQ(FilterItems().size(), 10);
    EXPECT_FLOAT_EQ(RoundDistance(1.23456f), 1.235f);
    EXPECT_FLOAT_EQ(RoundDistance(2.0f), 2.0f);
    EXPECT_FLOAT_EQ(RoundDistance(0.0005f), 0.001f);
}
