// The pointer read-out, the marked stretch and the power estimate.
#include "profile_fixture.h"

#include "profile/ProfileReadout.h"

using namespace ProfileReadout;

namespace {
ProfileView View()
{
    ProfileView v;
    v.OriginX = 0.5f;
    v.OriginY = 100;
    v.distance = 10;
    v.span = 1000;
    v.textHeightZ = 20;
    return v;
}

QVector<ProfileSample> Samples(std::initializer_list<std::tuple<float, int, const char *>> rows)
{
    QVector<ProfileSample> out;
    for (const auto &[km, m, note] : rows) {
        ProfileSample s;
        s.DistParz = km;
        s.Altezza = m;
        s.Note = QString::fromUtf8(note);
        out << s;
    }
    return out;
}
} // namespace

TEST(ProfileReadoutArea, EdgesOfTheGraph)
{
    const ProfileView v = View();
    struct Case {
        double x, y;
        bool inside;
    };
    const Case cases[] = {
        {0.5, 500, false},  {0.51, 500, true},  {10.49, 500, true}, {10.5, 500, false},   // distance strictly inside
        {5, 99.9, false},   {5, 100, true},     {5, 1140, true},    {5, 1140.1, false},   // base to span + 2 text heights
    };
    for (const Case &c : cases)
        EXPECT_EQ(InGraphArea(v, c.x, c.y), c.inside) << c.x << ", " << c.y;
}

TEST(ProfileReadoutCursor, SegmentNoteAndTime)
{
    const auto s = Samples({{1, 1000, "Start"}, {2, 1050, ""}, {2.5f, 1100, "Bridge"}, {4, 1100, "Top"}});
    Segment seg;
    // On a sample: that sample opens the segment.
    CursorTexts t = Cursor(s, 2, QStringLiteral("20"), seg);
    EXPECT_FLOAT_EQ(seg.SegStartDist, 2);
    EXPECT_FLOAT_EQ(seg.SegEndDist, 2.5f);
    EXPECT_EQ(t.altitude, QStringLiteral("No2504 1050"));
    EXPECT_EQ(t.grade, QStringLiteral("No2505 10.0 %"));
    EXPECT_EQ(t.distance, QStringLiteral("No2503 2.00"));
    EXPECT_EQ(t.time, QStringLiteral("No2506 00:06:00"));
    // Notes within 0.2 km on both sides: the one beyond the pointer wins; 0.2 exactly does not count.
    t = Cursor(s, 2.35, QStringLiteral("20"), seg);
    EXPECT_EQ(t.place, QStringLiteral("No2507 Bridge"));
    t = Cursor(s, 2.7, QStringLiteral("20"), seg);
    EXPECT_EQ(t.place, QStringLiteral("No2507 "));
    t = Cursor(s, 1.1, QStringLiteral("20"), seg);
    EXPECT_EQ(t.place, QStringLiteral("No2507 Start"));
    // Interpolated and rounded down.
    t = Cursor(s, 1.5, QStringLiteral("x"), seg);
    EXPECT_EQ(t.altitude, QStringLiteral("No2504 1025"));
    EXPECT_EQ(t.time, QStringLiteral("No2506"));   // no numeric speed
    // Before the first sample: labels alone, not the old segment's values.
    t = Cursor(s, 0.5, QStringLiteral("20"), seg);
    EXPECT_EQ(t.altitude, QStringLiteral("No2504"));
    EXPECT_EQ(t.grade, QStringLiteral("No2505"));
    EXPECT_FLOAT_EQ(seg.SegStartDist, 1);   // the fields keep their values
}

TEST(ProfileReadoutCursor, TimeTexts)
{
    struct Case {
        double x;
        const char *speed;
        const char *time;
    };
    const Case cases[] = {{10, "20", "00:30:00"}, {610, "20", "30:30:00"}, {1, "0", ""}, {1, "-5", ""},
                          {1, "abc", ""},         {1, "", ""},            {1.5, "3", "00:30:00"}};
    for (const Case &c : cases)
        EXPECT_EQ(TimeAt(c.x, QString::fromLatin1(c.speed)), QString::fromLatin1(c.time)) << c.x << " " << c.speed;
}

TEST(ProfileReadoutMark, WorkedExampleAndDirections)
{
    // 1 km rising 80 m in five minutes at 80 kg.
    MarkTexts m = Mark(2, 500, 3, 580, QStringLiteral("0:05:00"), QStringLiteral("80"));
    EXPECT_EQ(m.dist, QStringLiteral("1.00"));
    EXPECT_EQ(m.disl, QStringLiteral("80"));
    EXPECT_EQ(m.pend, QStringLiteral("8.0%"));
    EXPECT_EQ(m.vel, QStringLiteral("12.00"));
    EXPECT_EQ(m.vam, QStringLiteral("960"));
    EXPECT_EQ(m.power, QStringLiteral("243"));
    EXPECT_NEAR(Power(80, 10.0 / 3.0, 0.08), 243, 0.5);

    // Leftwards and downwards: absolute figures, no power. A drop of 12.3 m shows 12.
    m = Mark(3, 580, 2, 567.7, QStringLiteral("0:05:00"), QStringLiteral("80"));
    EXPECT_EQ(m.dist, QStringLiteral("1.00"));
    EXPECT_EQ(m.disl, QStringLiteral("12"));
    EXPECT_EQ(m.power, QStringLiteral("--"));
    // Straight up.
    m = Mark(3, 500, 3, 600, QStringLiteral("0:05:00"), QStringLiteral("80"));
    EXPECT_EQ(m.pend, QStringLiteral("0%"));
    EXPECT_EQ(m.vel, QStringLiteral("0.00"));
    EXPECT_EQ(m.power, QStringLiteral("--"));
}

TEST(ProfileReadoutMark, TimeAndWeightBoxes)
{
    for (const char *time : {"", "abc", "25:99", "0:00:00"}) {
        const MarkTexts m = Mark(2, 500, 3, 580, QString::fromLatin1(time), QStringLiteral("80"));
        EXPECT_EQ(m.vel, QStringLiteral("--")) << time;
        EXPECT_EQ(m.vam, QStringLiteral("--"));
        EXPECT_EQ(m.power, QStringLiteral("--"));
    }
    for (const char *weight : {"", "abc"}) {
        const MarkTexts m = Mark(2, 500, 3, 580, QStringLiteral("0:05:00"), QString::fromLatin1(weight));
        EXPECT_TRUE(m.keepPower) << weight;
        EXPECT_EQ(m.vel, QStringLiteral("12.00"));
    }
    // A decimal comma run reads the same stretch.
    const TestSupport::LocaleScope german{QLocale(QLocale::German, QLocale::Germany)};
    const MarkTexts m = Mark(2, 500, 3, 580, QStringLiteral("00:05:00"), QStringLiteral("80,0"));
    EXPECT_EQ(m.dist, QStringLiteral("1,00"));
    EXPECT_EQ(m.pend, QStringLiteral("8,0%"));
    EXPECT_EQ(m.power, QStringLiteral("243"));
}
