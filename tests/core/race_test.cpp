#include "CoreTestSupport.h"
#include "core/Race.h"

TEST(Race, NewObjectsHoldZeroAndEmpty)
{
    Race r;
    EXPECT_EQ(r.raceType(), 0);
    EXPECT_TRUE(r.raceName().isEmpty());
    EXPECT_EQ(r.lenght(), 0.0f);
    EXPECT_EQ(r.Samples(), nullptr);
    EXPECT_TRUE(r.City().isEmpty());
    EXPECT_EQ(r.endHeight(), 0);
    EXPECT_EQ(r.StartHeight(), 0);
    Sample s;
    EXPECT_EQ(s.Height(), 0);
    EXPECT_EQ(s.Seconds(), 0);
    EXPECT_TRUE(s.Label().isEmpty());
}

TEST(Race, SamplesAreSharedNotCopied)
{
    auto samples = std::make_shared<ColSample>();
    Race r;
    r.Samples(samples);
    samples->Add(0, 0, 1.5f, 300, 0, 0, 0, "top", "flag", 0, 0, 0);
    ASSERT_EQ(r.Samples()->Count(), 1);
    EXPECT_EQ(r.Samples()->Item(1)->Label(), "top");
    r.Samples()->Item(1)->Height(310);
    EXPECT_EQ(samples->Item(1)->Height(), 310);
}

TEST(Race, AddSetsEveryPropertyInItsArgumentOrder)
{
    ColSample cs;
    auto s = cs.Add(25.5f, 3600, 12.25f, 1500, 150, 90, 18.5f, "lbl", "ico", 250, 48, 7);
    EXPECT_EQ(s->Speed(), 25.5f);
    EXPECT_EQ(s->Seconds(), 3600);
    EXPECT_EQ(s->Distance(), 12.25f);
    EXPECT_EQ(s->Height(), 1500);
    EXPECT_EQ(s->Pulse(), 150);
    EXPECT_EQ(s->Cadence(), 90);
    EXPECT_EQ(s->Temperature(), 18.5f);
    EXPECT_EQ(s->Label(), "lbl");
    EXPECT_EQ(s->Icon(), "ico");
    EXPECT_EQ(s->Power(), 250);
    EXPECT_EQ(s->PowerBalance(), 48);
    EXPECT_EQ(s->PedalingIndex(), 7);

    ColRace cr;
    auto samples = std::make_shared<ColSample>();
    auto r = cr.Add(100, 1800, "Bormio", "SO", "Lombardia", "Italia", "0342", "a@b", "http://w", "info",
                    samples, 21.5f, "Stelvio", 0);
    EXPECT_EQ(r->StartHeight(), 100);
    EXPECT_EQ(r->endHeight(), 1800);
    EXPECT_EQ(r->City(), "Bormio");
    EXPECT_EQ(r->province(), "SO");
    EXPECT_EQ(r->region(), "Lombardia");
    EXPECT_EQ(r->state(), "Italia");
    EXPECT_EQ(r->phone(), "0342");
    EXPECT_EQ(r->mail(), "a@b");
    EXPECT_EQ(r->web(), "http://w");
    EXPECT_EQ(r->info(), "info");
    EXPECT_EQ(r->Samples(), samples);
    EXPECT_EQ(r->lenght(), 21.5f);
    EXPECT_EQ(r->raceName(), "Stelvio");
    EXPECT_EQ(r->raceType(), 0);
    EXPECT_EQ(cr.Item(1), r);
}

TEST(Race, AppendOrderItemAndEnumeration)
{
    ColRace c;
    auto a = std::make_shared<Race>(), b = std::make_shared<Race>(), d = std::make_shared<Race>();
    a->raceName("A");
    b->raceName("B");
    d->raceName("C");
    c.Append(a, "");
    c.Append(b);
    c.Append(d);
    c.Append(a);   // the same object twice: two members
    EXPECT_EQ(c.Count(), 4);
    EXPECT_EQ(c.Item(2)->raceName(), "B");
    QString seen;
    for (const RacePtr &r : c)
        seen += r->raceName();
    EXPECT_EQ(seen, "ABCA");
    c.Remove(1);
    EXPECT_EQ(c.Item(1)->raceName(), "B");
    EXPECT_EQ(c.Count(), 3);
}

TEST(Race, KeysAndErrors)
{
    ColSample c;
    auto s = std::make_shared<Sample>();
    c.Append(s, "Top");
    EXPECT_EQ(c.Item("TOP"), s);
    auto expectError = [](auto f, int number) {
        try {
            f();
            ADD_FAILURE() << "no error";
        } catch (const VbError &e) {
            EXPECT_EQ(e.Number(), number);
        }
    };
    expectError([&] { c.Item(0); }, 9);
    expectError([&] { c.Item(2); }, 9);
    expectError([&] { c.Item(-5); }, 9);
    expectError([&] { c.Remove(2); }, 9);
    expectError([&] { c.Item("none"); }, 5);
    expectError([&] { c.Item(""); }, 5);
    expectError([&] { c.Remove("none"); }, 5);
    expectError([&] { c.Append(std::make_shared<Sample>(), "top"); }, 457);
    expectError([&] { c.Append(nullptr); }, 91);
    EXPECT_EQ(c.Count(), 1);
    c.Remove("top");
    EXPECT_EQ(c.Count(), 0);
    expectError([&] { c.Item(1); }, 9);
}
