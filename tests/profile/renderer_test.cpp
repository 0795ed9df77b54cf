// The profile renderer: gradient classes, grid marks, kilometre strip,
// options that must never hang or divide, and what the image shows.
#include "profile_fixture.h"

#include "core/ProfileGlobals.h"
#include "profile/ProfileRenderer.h"

#include <QDir>
#include <QTemporaryDir>
#include <limits>

namespace {

const QDate Today(2026, 12, 10);

QColor At(const QImage &image, const ProfileView &v, double km, double m)
{
    const QPointF p = v.ToPixel(km, m);
    return image.pixelColor(int(p.x()), int(p.y()));
}

// Options with nothing drawn over the segments, for pixel probes.
ProfileOptions Bare()
{
    ProfileOptions o;
    o.GuideLines = 0;
    o.DrawNote = 0;
    o.DrawLegend = 0;
    o.DrawTitle = 0;
    return o;
}

} // namespace

using ProfileRendererTest = ProfileTest;

TEST(ProfileClasses, BoundsBelongToTheLowerClass)
{
    ProfileOptions o;
    struct Case {
        float rise, run;
        int32_t colour;
    };
    const Case cases[] = {
        {40, 1, o.Pend4_Color},   {41, 1, o.Pend7_Color},    {-40, 1, o.Pend4_Color}, {70, 1, o.Pend7_Color},
        {71, 1, o.Pend10_Color},  {100, 1, o.Pend10_Color}, {101, 1, o.PendH_Color}, {-150, 1, o.PendH_Color},
        {20, 0.5f, o.Pend4_Color}, {0, 2, o.Pend4_Color},
    };
    for (const Case &c : cases)
        EXPECT_EQ(ClassColor(o, c.rise, c.run), c.colour) << c.rise << "/" << c.run;
}

TEST(ProfileGrid, MarksStartOneStepAboveTheBase)
{
    struct Case {
        float q;
        int32_t base, span;
        QVector<float> marks;
    };
    const Case cases[] = {
        {100, 1234, 300, {1300, 1400, 1500, 1600}},   // first mark not below 1534
        {100, 1200, 200, {1300, 1400}},               // a multiple starts at itself
        {250, 0, 500, {250, 500}},
        {0.4f, 1200, 150, {1300, 1400}},              // a step rounding to 0 is 100
        {-50, 1200, 150, {1300, 1400}},
    };
    for (const Case &c : cases)
        EXPECT_EQ(GridMarks(c.q, c.base, c.span), c.marks) << c.q << " " << c.base;
}

TEST(ProfileStrip, BlocksAndLabels)
{
    struct Case {
        float dim, interval;
        bool fit;
        int blocks;
        QVector<float> labels;
    };
    const Case cases[] = {
        {10.3f, 1, true, 11, {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11}},
        {10.3f, 1, false, 11, {0, 11}},
        {0, 1, true, 0, {0}},
        {0, 1, false, 0, {0, 0}},
        {23.4f, 5, true, 5, {0, 5, 10, 15, 20, 25}},
        {3, 0, true, 3, {0, 1, 2, 3}},   // an interval of 0 or less is 1 km
        {2, 0.25f, false, 8, {0, 2}},
        // An interval that would need more blocks than a strip holds, or that
        // no longer moves the distance in single precision, is 1 km too.
        {3, 1e-6f, true, 3, {0, 1, 2, 3}},
        {1, 1e-7f, false, 1, {0, 1}},
        {400, 0.01f, false, 400, {0, 400}},
        {3, std::numeric_limits<float>::infinity(), false, 3, {0, 3}},
    };
    for (const Case &c : cases) {
        const StripLayout s = LayoutStrip(c.dim, c.interval, c.fit, 0.5f);
        EXPECT_EQ(s.blocks, c.blocks) << c.dim << " " << c.interval;
        EXPECT_EQ(s.labels, c.labels) << c.dim << " " << c.interval;
        ASSERT_EQ(s.edges.size(), s.blocks + 1) << c.dim << " " << c.interval;
        EXPECT_FLOAT_EQ(s.edges.last(), 0.5f + s.labels.last()) << c.dim << " " << c.interval;
    }
}

TEST_F(ProfileRendererTest, SegmentsStripAndBackgroundInTheirColours)
{
    HandOff({{0, 1000}, {1, 1040}, {2, 1110}, {3, 1210}, {4, 1311}});
    ProfileOptions o = Bare();
    o.TacColor1 = 255;        // red
    o.TacColor2 = 16711680;   // blue
    o.DrawWall = 1;
    o.GradColor1 = 0x00FFFF;  // yellow at the top
    o.GradColor2 = 0xFF00FF;  // magenta at the bottom
    QImage image = MakeSurfaceImage(QSize(800, 400), Qt::white);
    const RenderResult r = RenderProfile(image, Qt::white, o, ProfileInput::FromHandoff(), nullptr, Today);
    const ProfileView &v = r.view;
    EXPECT_TRUE(r.sizeText.endsWith(QStringLiteral(" 800 x 400")));
    EXPECT_EQ(v.ClientRect, QRect(0, 0, 800, 400));
    EXPECT_NEAR(v.PixelsPerUnitX, 800 / (1.38 * 4), 1e-3);
    EXPECT_NEAR(v.PixelsPerUnitY, 400 / (1.60 * 361), 1e-3);
    EXPECT_NEAR(v.OriginX, 0.06 * 4, 1e-6);
    EXPECT_NEAR(v.OriginY, 0.12 * 361, 1e-4);

    const int32_t expected[4] = {o.Pend4_Color, o.Pend7_Color, o.Pend10_Color, o.PendH_Color};
    for (int i = 0; i < 4; ++i) {
        const double km = v.OriginX + i + 0.5;
        EXPECT_EQ(At(image, v, km, v.OriginY + 20), ColourOf(expected[i])) << "segment " << i;
    }
    // Strip blocks under the base line: first TacColor1, then TacColor2.
    const QPointF block1 = v.ToPixel(v.OriginX + 0.5, v.OriginY);
    const QPointF block2 = v.ToPixel(v.OriginX + 1.5, v.OriginY);
    EXPECT_EQ(image.pixelColor(int(block1.x()), int(block1.y()) + 2), QColor(255, 0, 0));
    EXPECT_EQ(image.pixelColor(int(block2.x()), int(block2.y()) + 2), QColor(0, 0, 255));
    // The gradient: the first colour at the top, the second at the bottom.
    EXPECT_EQ(image.pixelColor(795, 0), QColor(255, 254, 1));   // one step from the first colour
    EXPECT_EQ(image.pixelColor(795, 399), QColor(255, 0, 255));
}

TEST_F(ProfileRendererTest, PairAtOneDistanceIsSkipped)
{
    HandOff({{0, 1000}, {1, 1040}, {1, 1200}, {2, 1250}});
    ProfileOptions o = Bare();
    QImage image = MakeSurfaceImage(QSize(600, 300), Qt::white);
    const RenderResult r = RenderProfile(image, Qt::white, o, ProfileInput::FromHandoff(), nullptr, Today);
    // The third segment starts from the pair's second sample: 1200 -> 1250 is 5 %.
    EXPECT_EQ(At(image, r.view, r.view.OriginX + 1.5, r.view.OriginY + 20), ColourOf(o.Pend7_Color));
    EXPECT_EQ(At(image, r.view, r.view.OriginX + 0.5, r.view.OriginY + 20), ColourOf(o.Pend4_Color));
}

TEST_F(ProfileRendererTest, FixedHeightLeavesTheHandOffAlone)
{
    HandOff({{0, 1000}, {5, 1500}});
    ProfileOptions o;
    o.FixedHeight = 1;
    o.MyFixedHeight = 3000;
    QImage image = MakeSurfaceImage(QSize(500, 300), Qt::white);
    RenderResult r = RenderProfile(image, Qt::white, o, ProfileInput::FromHandoff(), nullptr, Today);
    EXPECT_EQ(r.view.base, 0);
    EXPECT_EQ(r.view.span, 3000);
    EXPECT_EQ(ProfileBase, 950);
    EXPECT_EQ(ProfileSpan, 550);
    o.FixedHeight = 0;
    r = RenderProfile(image, Qt::white, o, ProfileInput::FromHandoff(), nullptr, Today);
    EXPECT_EQ(r.view.base, 950);
    EXPECT_EQ(r.view.span, 550);
}

TEST_F(ProfileRendererTest, BadOptionsDrawAsTheirDefaults)
{
    HandOff({{0, 1000}, {2, 1100}, {4, 1150}, {6, 1400}});
    ProfileOptions good;
    QImage a = MakeSurfaceImage(QSize(500, 300), Qt::white);
    RenderProfile(a, Qt::white, good, ProfileInput::FromHandoff(), nullptr, Today);
    // A strip interval too small to lay out draws as 1 km, at once.
    for (float tacInt : {0.0f, 1e-6f, 1e-7f}) {
        ProfileOptions bad;
        bad.PercX = -1;
        bad.PercY = 0;
        bad.TacInt = tacInt;
        bad.Q_Int = 0.3f;
        QImage b = MakeSurfaceImage(QSize(500, 300), Qt::white);
        RenderProfile(b, Qt::white, bad, ProfileInput::FromHandoff(), nullptr, Today);
        EXPECT_EQ(a, b) << tacInt;
    }
}

TEST_F(ProfileRendererTest, ZeroRangesDrawTheFrameOnly)
{
    for (const auto &points : {std::vector<Point>{{0, 1000}, {0, 1200}}, std::vector<Point>{{0, 0}, {3, 0}},
                               std::vector<Point>{{0, -100}, {2, -99}}, std::vector<Point>{}}) {
        HandOff(points);
        ProfileOptions o;
        QImage image = MakeSurfaceImage(QSize(400, 200), Qt::white);
        const RenderResult r = RenderProfile(image, Qt::white, o, ProfileInput::FromHandoff(), nullptr, Today);
        EXPECT_FALSE(r.view.drawable);
        EXPECT_GT(r.view.PixelsPerUnitX, 0);
        EXPECT_GT(r.view.PixelsPerUnitY, 0);
    }
}

TEST_F(ProfileRendererTest, BackgroundThatCannotBeLoadedIsReportedAndSwitchedOff)
{
    QTemporaryDir dir;
    const QString notPicture = QDir(dir.path()).filePath(QStringLiteral("wall.bmp"));
    QFile f(notPicture);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("not a picture");
    f.close();
    HandOff({{0, 1000}, {1, 1030}});
    for (const QString &path : {notPicture, QDir(dir.path()).filePath(QStringLiteral("gone.jpg"))}) {
        ProfileOptions o = Bare();
        o.DrawWall = 1;
        o.PaintBackBmp = -1;
        o.BackBmp = path;
        QImage image = MakeSurfaceImage(QSize(400, 200), Qt::white);
        const RenderResult r = RenderProfile(image, Qt::white, o, ProfileInput::FromHandoff(), nullptr, Today);
        EXPECT_TRUE(r.backgroundFailed);
        EXPECT_EQ(o.DrawWall, 0);
        EXPECT_EQ(o.PaintBackBmp, 0);
        EXPECT_EQ(o.BackBmp, QString());
        // The rest is drawn.
        EXPECT_EQ(At(image, r.view, r.view.OriginX + 0.5, r.view.OriginY + 5), ColourOf(o.Pend4_Color));
    }

    // A picture that loads is drawn from the top-left corner.
    const QString good = QDir(dir.path()).filePath(QStringLiteral("good.bmp"));
    QImage pic(20, 10, QImage::Format_RGB32);
    pic.fill(QColor(10, 20, 30));
    ASSERT_TRUE(pic.save(good, "BMP"));
    ProfileOptions o = Bare();
    o.DrawWall = 1;
    o.PaintBackBmp = 1;
    o.BackBmp = good;
    QImage image = MakeSurfaceImage(QSize(400, 200), Qt::white);
    const RenderResult r = RenderProfile(image, Qt::white, o, ProfileInput::FromHandoff(), nullptr, Today);
    EXPECT_FALSE(r.backgroundFailed);
    EXPECT_EQ(image.pixelColor(5, 5), QColor(10, 20, 30));
    EXPECT_EQ(image.pixelColor(30, 5), QColor(Qt::white));
}

TEST_F(ProfileRendererTest, IconsAndFlags)
{
    HandOff({{0, 1000, "", "summit"}, {1, 1030, "Start"}, {2, 1060, "", "nowhere"}, {3, 1090}});
    ImageList icons;
    QImage red(16, 16, QImage::Format_ARGB32);
    red.fill(QColor(200, 0, 0));
    icons.Add(QStringLiteral("summit"), red);
    ProfileOptions o = Bare();
    o.DrawNote = 1;
    o.IconDim = 16;
    o.DrawFlag = 1;
    o.Flag_Color = 0xFF0000;   // blue
    QImage image = MakeSurfaceImage(QSize(600, 300), Qt::white);
    const RenderResult r = RenderProfile(image, Qt::white, o, ProfileInput::FromHandoff(), &icons, Today);
    // The icon stands on its sample; a key the list lacks draws nothing and stops nothing.
    const QPointF s0 = r.view.ToPixel(r.view.OriginX, r.view.OriginY + 1000 - 950);
    EXPECT_EQ(image.pixelColor(int(s0.x()), int(s0.y()) - 8), QColor(200, 0, 0));
    // The flag of the sample with a note: pennant right of the pole's top.
    const QPointF s1 = r.view.ToPixel(r.view.OriginX + 1, r.view.OriginY + 1030 - 950);
    EXPECT_EQ(image.pixelColor(int(std::nearbyint(s1.x())) + 3, int(std::nearbyint(s1.y())) - 22), QColor(0, 0, 255));
}

TEST_F(ProfileRendererTest, GoldenImage)
{
    HandOff({{0, 1205, "Prato"}, {2.5f, 1390}, {5, 1560, "Gomagoi"}, {8, 1880}, {11.2f, 2150, "Trafoi"},
             {14, 2410}, {17.5f, 2600}, {21.6f, 2758, "Passo"}},
            QStringLiteral("Passo dello Stelvio"));
    ProfileGain = 1553;
    ProfileClimbKm = 21.6f;
    ProfileOptions o;
    o.DrawPend = 1;
    o.DrawMarkLine = 1;
    o.MarkLineWidth = 2;
    QImage image = MakeSurfaceImage(QSize(640, 320), Qt::white);
    RenderProfile(image, Qt::white, o, ProfileInput::FromHandoff(), nullptr, Today, QLocale(QLocale::English, QLocale::UnitedStates));
    const QString golden = QDir(TestSupport::DataDir()).filePath(QStringLiteral("profile/profile_golden.png"));
    if (qEnvironmentVariableIsSet("VETTARO_UPDATE_GOLDEN"))
        image.save(golden);
    QImage expected(golden);
    ASSERT_FALSE(expected.isNull()) << golden.toStdString();
    EXPECT_EQ(image.convertToFormat(QImage::Format_RGB32), expected.convertToFormat(QImage::Format_RGB32));
}
