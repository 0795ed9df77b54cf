// The chart without its window: the drawing's exact geometry (with text
// metrics of our own, so the margins are known), its colours on a real image,
// the value choice, the record under the pointer and the stored settings.
#include "profile_fixture.h"

#include "core/LangClient.h"
#include "platform/com/ComRegistry.h"
#include "platform/error/VbError.h"
#include "profile/ChartDrawing.h"

#include <QDir>
#include <QFontMetricsF>
#include <QPaintEngine>
#include <QPainter>
#include <QPicture>

#include <cmath>

namespace {

// A paint device that keeps what is drawn on it: polygons with their fill,
// lines with their style, texts with their colour.
class RecordingEngine : public QPaintEngine {
public:
    RecordingEngine() : QPaintEngine(QPaintEngine::AllFeatures) {}
    struct Poly {
        QVector<QPoint> points;
        QColor fill;
    };
    struct Text {
        QPointF baseline;
        QString text;
        QColor colour;
    };
    QVector<Poly> polys;
    QVector<QLineF> dotted;
    QVector<Text> texts;

    bool begin(QPaintDevice *) override { return true; }
    bool end() override { return true; }
    void updateState(const QPaintEngineState &s) override
    {
        if (s.state() & DirtyPen)
            m_pen = s.pen();
        if (s.state() & DirtyBrush)
            m_brush = s.brush();
    }
    void drawPixmap(const QRectF &, const QPixmap &, const QRectF &) override {}
    Type type() const override { return User; }
    void drawPolygon(const QPointF *p, int n, PolygonDrawMode) override
    {
        Poly poly;
        for (int i = 0; i < n; ++i)
            poly.points << p[i].toPoint();
        poly.fill = m_brush.color();
        polys << poly;
    }
    void drawPolygon(const QPoint *p, int n, PolygonDrawMode mode) override
    {
        QVector<QPointF> f;
        for (int i = 0; i < n; ++i)
            f << QPointF(p[i]);
        drawPolygon(f.constData(), n, mode);
    }
    void drawLines(const QLineF *l, int n) override
    {
        for (int i = 0; i < n; ++i)
            if (m_pen.style() == Qt::DotLine)
                dotted << l[i];
    }
    void drawLines(const QLine *l, int n) override
    {
        for (int i = 0; i < n; ++i) {
            const QLineF f(l[i]);
            drawLines(&f, 1);
        }
    }
    void drawRects(const QRectF *, int) override {}
    void drawRects(const QRect *, int) override {}
    void drawTextItem(const QPointF &p, const QTextItem &t) override { texts << Text{p, t.text(), m_pen.color()}; }

private:
    QPen m_pen;
    QBrush m_brush;
};

class RecordingDevice : public QPaintDevice {
public:
    explicit RecordingDevice(QSize size) : m_size(size) {}
    QPaintEngine *paintEngine() const override { return &engine; }
    int metric(PaintDeviceMetric m) const override
    {
        switch (m) {
        case PdmWidth: return m_size.width();
        case PdmHeight: return m_size.height();
        case PdmWidthMM: return m_size.width() * 254 / 960;
        case PdmHeightMM: return m_size.height() * 254 / 960;
        case PdmDpiX: case PdmDpiY: case PdmPhysicalDpiX: case PdmPhysicalDpiY: return 96;
        case PdmDepth: return 32;
        case PdmNumColors: return 0x7fffffff;
        case PdmDevicePixelRatio: return 1;
        case PdmDevicePixelRatioScaled: return int(devicePixelRatioFScale());
        default: return 0;
        }
    }
    mutable RecordingEngine engine;

private:
    QSize m_size;
};

// Every text 7.5 pixels a character wide and 15 high: "ZZZZ" is 30, so the
// margins are 60 and 30.
Chart::TextMetrics FixedMetrics()
{
    return {[](const QString &s) { return 7.5 * s.size(); }, [](const QString &) { return 15.0; }};
}

Chart::Series Speeds(std::initializer_list<float> values)
{
    Chart::Series s;
    s.values = values;
    s.scaleMax = 50;
    s.face = QColor(0, 0, 255);
    s.shade = QColor(0, 0, 100);
    s.title = QStringLiteral("Rossi Ugo - Speed diagram [km/h]");
    return s;
}

QVector<QPoint> Pts(std::initializer_list<QPoint> p) { return QVector<QPoint>(p); }

} // namespace

class ChartDrawingTest : public ProfileTest {
protected:
    void SetUp() override
    {
        ProfileTest::SetUp();
        Com::SetMachineRegistryFile(QDir(TestSupport::BinDir()).filePath(QStringLiteral("com-registry.ini")));
        LoadLanguages(TestSupport::BinDir());
        SelectLanguage(QStringLiteral("1033"), QStringLiteral("1033"));
    }
    void TearDown() override
    {
        ResetLanguages();
        Com::SetMachineRegistryFile(QString());
        ProfileTest::TearDown();
    }
    // Draws on a recording device of the given size.
    Chart::Layout Record(RecordingDevice &device, const Chart::Series &series, QSize size = {600, 300})
    {
        Chart::Layout layout;
        QPainter p(&device);
        Chart::Draw(p, size, series, Chart::AxisFont(), FixedMetrics(), layout);
        return layout;
    }
    QImage Picture(const Chart::Series &series)
    {
        QImage image = MakeSurfaceImage(QSize(600, 300), Qt::white);
        Chart::Layout layout;
        QPainter p(&image);
        Chart::Draw(p, image.size(), series, Chart::AxisFont(), FixedMetrics(), layout);
        return image;
    }
};

TEST_F(ChartDrawingTest, BoxAndRibbonCornersOfA600By300Surface)
{
    RecordingDevice device({600, 300});
    const Chart::Layout l = Record(device, Speeds({25, 50}));
    EXPECT_EQ(l.SurfaceWidth, 600);
    EXPECT_EQ(l.SurfaceHeight, 300);
    EXPECT_FLOAT_EQ(l.MarginX, 60);
    EXPECT_FLOAT_EQ(l.MarginY, 30);
    EXPECT_EQ(l.PlotWidth, 367);
    EXPECT_EQ(l.PlotHeight, 170);
    EXPECT_EQ(l.StepCount, 1);
    EXPECT_TRUE(l.drawn);
    EXPECT_EQ(l.sizeText, QStringLiteral("Size: 600 x 300"));

    const auto &polys = device.engine.polys;
    ASSERT_EQ(polys.size(), 6);   // left wall, floor, back wall, ribbon top, front band, end cap
    const QColor wall(255, 255, 150), back(255, 255, 200), face(0, 0, 255);
    struct Expect {
        QVector<QPoint> points;
        QColor fill;
    } expected[] = {
        {Pts({{60, 270}, {60, 100}, {147, 50}, {147, 220}}), wall},
        {Pts({{60, 270}, {147, 220}, {514, 220}, {427, 270}}), wall},
        {Pts({{147, 220}, {147, 50}, {514, 50}, {514, 220}}), back},
        // P0 (60, 185), P1, P2, P3 (427, 100): s = 0.2316, the top is seen.
        {Pts({{60, 185}, {103, 160}, {470, 75}, {427, 100}}), face},
        {Pts({{60, 185}, {427, 100}, {427, 105}, {60, 190}}), face},
        {Pts({{427, 100}, {470, 75}, {470, 80}, {427, 105}}), face},
    };
    for (int i = 0; i < 6; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(polys[i].points, expected[i].points);
        EXPECT_EQ(polys[i].fill, expected[i].fill);
    }
    // Two records: ten levels on the left wall, two floor lines, nine on the
    // back wall and no inner upright there.
    EXPECT_EQ(device.engine.dotted.size(), 10 + 2 + 9);
}

TEST_F(ChartDrawingTest, ValuesBeyondTheScaleAreNotCut)
{
    RecordingDevice device({600, 300});
    Record(device, Speeds({80, -10}));
    ASSERT_GE(device.engine.polys.size(), 4);
    // 80 lies 272 pixels above the floor (over the box), -10 34 below it.
    EXPECT_EQ(device.engine.polys[3].points.first(), QPoint(60, -2));
    EXPECT_EQ(device.engine.polys[3].points.last(), QPoint(427, 304));
}

TEST_F(ChartDrawingTest, TextsSitOnTheMargins)
{
    RecordingDevice device({600, 300});
    Record(device, Speeds({25, 50}));
    const double ascent = QFontMetricsF(Chart::AxisFont().toFont(), &device).ascent();
    QMap<QString, QPointF> tops;   // text -> top-left corner
    for (const auto &t : device.engine.texts) {
        tops.insert(t.text, QPointF(t.baseline.x(), t.baseline.y() - ascent));
        EXPECT_EQ(t.colour, QColor(Qt::black)) << t.text.toStdString();
    }
    auto at = [&](const char *text) { return tops.value(QString::fromLatin1(text), QPointF(-1, -1)); };
    // Title centred in the band above the back wall: (50 - 15) / 2 rounds to 18.
    EXPECT_EQ(at("Rossi Ugo - Speed diagram [km/h]"), QPointF(60, 18));
    // Level 1 (17 pixels up): right of it "5Z" wide from the wall's front edge.
    EXPECT_EQ(at(" 5 "), QPointF(60 - 15, 270 - 17 - 7.5));
    EXPECT_EQ(at(" 50 "), QPointF(60 - 22.5, 270 - 170 - 7.5));
    // Record numbers centred under their points, half a text height below.
    EXPECT_EQ(at(" 1 "), QPointF(60 - 3.75, 278));
    EXPECT_EQ(at(" 2 "), QPointF(427 - 3.75, 278));
}

TEST_F(ChartDrawingTest, ScaleLabelsFollowTheValue)
{
    const struct {
        float scaleMax;
        int first, last;
    } cases[] = {{50, 5, 50}, {500, 50, 500}, {2000, 200, 2000}};
    for (const auto &c : cases) {
        SCOPED_TRACE(c.scaleMax);
        Chart::Series s = Speeds({1, 2});
        s.scaleMax = c.scaleMax;
        RecordingDevice device({600, 300});
        Record(device, s);
        QStringList labels;
        for (const auto &t : device.engine.texts)
            labels << t.text.trimmed();
        // Title, ten levels, two record numbers.
        ASSERT_EQ(labels.size(), 13);
        for (int i = 1; i <= 10; ++i)
            EXPECT_EQ(labels[i], QString::number(c.first * i));
        EXPECT_EQ(labels[10], QString::number(c.last));
    }
}

TEST_F(ChartDrawingTest, TooSmallASurfaceDrawsNothing)
{
    const struct {
        QSize size;
        bool drawn;
    } cases[] = {{{233, 300}, false}, {{234, 300}, true}, {{600, 130}, false}, {{600, 131}, true}, {{0, 0}, false}};
    for (const auto &c : cases) {
        SCOPED_TRACE(c.size.width() * 1000 + c.size.height());
        RecordingDevice device(c.size.expandedTo({1, 1}));
        const Chart::Layout l = Record(device, Speeds({25, 50}), c.size);
        EXPECT_EQ(l.drawn, c.drawn);
        EXPECT_EQ(l.cleared, c.drawn);
        EXPECT_EQ(device.engine.polys.isEmpty(), !c.drawn);
        EXPECT_EQ(device.engine.texts.isEmpty(), !c.drawn);
        EXPECT_EQ(l.sizeText, QStringLiteral("Size: %1 x %2").arg(c.size.width()).arg(c.size.height()));
    }
}

TEST_F(ChartDrawingTest, ACoordinateBeyond32BitsEndsTheDrawingWithOverflow)
{
    RecordingDevice device({600, 300});
    Chart::Layout l;
    QPainter p(&device);
    try {
        Chart::Draw(p, {600, 300}, Speeds({10, 1e30f}), Chart::AxisFont(), FixedMetrics(), l);
        FAIL() << "no error";
    } catch (const VbError &e) {
        EXPECT_EQ(e.Number(), 6);
    }
    EXPECT_TRUE(l.cleared);
    EXPECT_FALSE(l.drawn);
    EXPECT_EQ(device.engine.polys.size(), 3);   // the walls stand, no ribbon
}

TEST_F(ChartDrawingTest, PixelsOfWallsFloorAndRibbon)
{
    const QImage rising = Picture(Speeds({25, 50}));
    auto rgb = [](const QImage &img, int x, int y) { return QColor(img.pixel(x, y)); };
    EXPECT_EQ(rgb(rising, 100, 205), QColor(255, 255, 150));   // left wall
    EXPECT_EQ(rgb(rising, 300, 250), QColor(255, 255, 150));   // floor
    EXPECT_EQ(rgb(rising, 300, 145), QColor(255, 255, 200));   // back wall
    EXPECT_EQ(rgb(rising, 300, 122), QColor(0, 0, 255));       // ribbon top
    EXPECT_EQ(rgb(rising, 300, 132), QColor(0, 0, 255));       // front band
    EXPECT_EQ(rgb(rising, 550, 150), QColor(Qt::white));       // right of the box
    // Ten records, a step from 0 to 50 (s = 4.17): the underside shows, 5 lower.
    const QImage steep = Picture(Speeds({0, 50, 0, 0, 0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(rgb(steep, 102, 177), QColor(0, 0, 100));
    // A constant value is all face.
    const QImage flat = Picture(Speeds({25, 25, 25}));
    EXPECT_EQ(rgb(flat, 300, 172), QColor(0, 0, 255));
}

TEST_F(ChartDrawingTest, ValueChoiceSetsValuesScaleColoursAndTitle)
{
    QVector<ChartRecord> records(2);
    records[0].speed = 21.5f;
    records[0].power = 250;
    records[0].climbRate = 900;
    records[1].speed = 30;
    records[1].power = 310.5f;
    records[1].climbRate = 1200;
    const struct {
        int index;
        QVector<float> values;
        float scaleMax;
        QColor face, shade;
        const char *title;
    } cases[] = {
        {0, {21.5f, 30}, 50, QColor(0, 0, 255), QColor(0, 0, 100), "Rossi Ugo Climb Performances - Speed diagram [km/h]"},
        {1, {250, 310.5f}, 500, QColor(255, 0, 0), QColor(100, 0, 0), "Rossi Ugo Climb Performances - Power diagram [watt]"},
        {2, {900, 1200}, 2000, QColor(0, 255, 0), QColor(0, 100, 0), "Rossi Ugo Climb Performances - Climb Rate diagram"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.index);
        const Chart::Series s = Chart::ChooseValues(c.index, records, QStringLiteral("Rossi Ugo Climb Performances"));
        EXPECT_EQ(s.values, c.values);
        EXPECT_EQ(s.scaleMax, c.scaleMax);
        EXPECT_EQ(s.face, c.face);
        EXPECT_EQ(s.shade, c.shade);
        EXPECT_EQ(s.title, QString::fromUtf8(c.title));
    }
}

TEST_F(ChartDrawingTest, RecordUnderThePointer)
{
    Chart::Layout l;
    l.SurfaceWidth = 600;
    l.SurfaceHeight = 300;
    l.MarginX = 60;
    l.MarginY = 30;
    l.PlotWidth = 367;
    l.PlotHeight = 170;
    l.StepCount = 1;
    const struct {
        double x, y;
        int record;
    } cases[] = {
        {60, 200, -1},      // b = 0: the front plane's left edge
        {200, 270, -1},     // a = 0: its bottom edge
        {200, 100, -1},     // a = PlotHeight: the top of the value area
        {427, 200, -1},     // b = PlotWidth
        {61, 269, 0},       {243, 200, 0},
        {243.5, 200, 0},    // the middle: the tie goes to the even record
        {244, 200, 1},      {426.5, 101, 1},
    };
    for (const auto &c : cases)
        EXPECT_EQ(Chart::RecordAt(l, c.x, c.y), c.record) << c.x << ", " << c.y;
    l.PlotWidth = 0;   // a surface too small for the box
    EXPECT_EQ(Chart::RecordAt(l, 61, 269), -1);
}

TEST_F(ChartDrawingTest, ReadoutPanelsInTheUsersLocale)
{
    ChartRecord r;
    r.name = QStringLiteral("Stelvio");
    r.date = QStringLiteral("12/10/2026");
    r.length = QStringLiteral("21.6");
    r.time = QStringLiteral("01:30:00");
    r.speed = 14.4f;
    r.power = 250.5f;
    r.climbRate = 1200;
    EXPECT_EQ(Chart::ReadoutTexts(r, QLocale::c()),
              QStringList({"Name: Stelvio", "Date: 12/10/2026", "Distance: 21.60", "Time: 01:30:00", "Speed: 14.4",
                           "Power: 250.5", "C.R.: 1200"}));
    const QStringList it = Chart::ReadoutTexts(r, QLocale(QLocale::Italian, QLocale::Italy));
    EXPECT_EQ(it[2], QStringLiteral("Distance: 21,60"));
    EXPECT_EQ(it[4], QStringLiteral("Speed: 14,4"));
    r.length = QStringLiteral("n/a");
    EXPECT_EQ(Chart::ReadoutTexts(r, QLocale::c())[2], QStringLiteral("Distance: n/a"));
}

TEST_F(ChartDrawingTest, SettingsDefaultsBadTextsAndRounding)
{
    Chart::Settings s;
    Chart::Load(AppName, s);
    EXPECT_EQ(s.height, 7500);
    EXPECT_EQ(s.width, 11500);
    EXPECT_EQ(s.left, 225);
    EXPECT_EQ(s.top, 2025);
    EXPECT_EQ(s.font.name, QStringLiteral("Arial"));
    EXPECT_EQ(s.font.size, 8.0f);
    EXPECT_EQ(s.font.bold + s.font.italic + s.font.strikethru + s.font.underline, 0);
    EXPECT_EQ(s.font.color, 0);

    auto put = [](const char *key, const char *value) {
        SaveSetting(AppName, QStringLiteral("Grafico"), QString::fromLatin1(key), QString::fromLatin1(value));
    };
    put("height", "tall");
    put("width", "9000,4");
    put("AX_FontBold", "yes");
    put("AX_FontItalic", "-1");
    put("AX_Color", "255");
    const struct {
        const char *stored;
        float read;
    } sizes[] = {{"0", 8}, {"-3", 8}, {"10,5", 10.5f}, {"12.5", 12.5f}, {"big", 8}, {"1e9", 8}};
    for (const auto &c : sizes) {
        SCOPED_TRACE(c.stored);
        put("AX_FontSize", c.stored);
        Chart::Settings r;
        Chart::Load(AppName, r);
        EXPECT_EQ(r.font.size, c.read);
        EXPECT_EQ(r.height, 7500);
        EXPECT_EQ(r.width, 9000);
        EXPECT_EQ(r.font.bold, 0);
        EXPECT_EQ(r.font.italic, -1);
        EXPECT_EQ(r.font.color, 255);
    }

    // Sizes are kept whole, halves to the even neighbour; without the
    // placement the window's place and size are not written.
    const struct {
        float size;
        const char *stored;
    } rounding[] = {{10.5f, "10"}, {11.5f, "12"}, {9.4f, "9"}};
    for (const auto &c : rounding) {
        QFile::remove(SettingsFilePath(AppName));
        Chart::Settings w;
        w.font.size = c.size;
        w.height = 4000;
        Chart::Save(AppName, w, false);
        EXPECT_EQ(GetSetting(AppName, QStringLiteral("Grafico"), QStringLiteral("AX_FontSize")), QString::fromLatin1(c.stored));
        EXPECT_EQ(GetSetting(AppName, QStringLiteral("Grafico"), QStringLiteral("height"), QStringLiteral("-")), QStringLiteral("-"));
        Chart::Save(AppName, w, true);
        EXPECT_EQ(GetSetting(AppName, QStringLiteral("Grafico"), QStringLiteral("height")), QStringLiteral("4000"));
    }
}

TEST_F(ChartDrawingTest, TheMostRecordsAChartTakesOnOneScreen)
{
    Chart::Series s = Speeds({});
    for (int i = 0; i < ChartHandoff::MaxRecords; ++i)
        s.values << float(20 + (i % 7) * 3);
    QImage image = MakeSurfaceImage(QSize(1000, 400), Qt::white);
    Chart::Layout l;
    {
        QPainter p(&image);
        Chart::Draw(p, image.size(), s, Chart::AxisFont(), Chart::TextMetrics::Of(Chart::AxisFont().toFont(), &image), l);
    }
    EXPECT_TRUE(l.drawn);
    EXPECT_EQ(l.StepCount, 32766);
    // The ribbon's face shows here and there between the black outlines of
    // some forty segments a pixel.
    int face = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            face += QColor(image.pixel(x, y)) == QColor(0, 0, 255);
    EXPECT_GT(face, 0);
}

// A long chart on an image, pixel for pixel as the same chart drawn call by
// call, recorded and played back: whatever the raster drawing does to go
// faster leaves the picture as it was, the ribbon's pieces near and over the
// image's top edge included. Below the floor the record numbers
// are written as runs of glyphs placed by their advances, which may sit a
// fraction of a pixel off the shaped texts, so the comparison stops there.
TEST_F(ChartDrawingTest, ImageDrawingMatchesTheChartPlayedBackCallByCall)
{
    const Chart::AxisFont font;
    for (QSize size : {QSize(1000, 400), QSize(640, 300)}) {
        for (int n : {3, 700, 5000, 32767, -2000}) {
            // -2000: 2,000 records, some far over the scale.
            const double swing = n < 0 ? 70 : 20;
            n = qAbs(n);
            Chart::Series s = Speeds({});
            for (int i = 0; i < n; ++i)
                s.values << float(25 + swing * std::sin(i / 7.0) + (i % 5));
            SCOPED_TRACE(QStringLiteral("%1 records on %2x%3, swing %4").arg(n).arg(size.width()).arg(size.height()).arg(swing).toStdString());
            QImage direct = MakeSurfaceImage(size, Qt::white);
            const Chart::TextMetrics metrics = Chart::TextMetrics::Of(font.toFont(), &direct);
            Chart::Layout l;
            {
                QPainter p(&direct);
                Chart::Draw(p, size, s, font, metrics, l);
            }
            ASSERT_TRUE(l.drawn);
            QPicture calls;
            {
                QPainter p(&calls);
                Chart::Draw(p, size, s, font, metrics, l);
            }
            QImage replayed = MakeSurfaceImage(size, Qt::white);
            {
                QPainter p(&replayed);
                calls.play(&p);
            }
            const int floorFront = qRound(size.height() - l.MarginY);
            EXPECT_EQ(direct.copy(0, 0, size.width(), floorFront + 1), replayed.copy(0, 0, size.width(), floorFront + 1));
        }
    }
}

// The chart as the window's surface holds it, and so as it is copied, printed
// and saved: a short chart with a steep rise, a value over the scale and one
// below the floor, and the benchmark's 5,000 records, each against its
// picture pixel for pixel.
TEST_F(ChartDrawingTest, GoldenImages)
{
    const struct {
        QSize size;
        int records;
        const char *file;
    } cases[] = {{{640, 320}, 12, "chart_golden.png"}, {{1000, 400}, 5000, "chart_5000_golden.png"}};
    const Chart::AxisFont font;
    for (const auto &c : cases) {
        SCOPED_TRACE(c.file);
        Chart::Series s = Speeds({});
        if (c.records == 12)
            s.values = {12, 18, 17, 48, 30, 22, 55, 40, -4, 20, 26, 25};
        else
            for (int i = 0; i < c.records; ++i)
                s.values << float(25 + 20 * std::sin(i / 7.0) + (i % 5));
        QImage image = MakeSurfaceImage(c.size, Qt::white);
        Chart::Layout l;
        {
            QPainter p(&image);
            Chart::Draw(p, c.size, s, font, Chart::TextMetrics::Of(font.toFont(), &image), l);
        }
        ASSERT_TRUE(l.drawn);
        const QString golden = QDir(TestSupport::DataDir()).filePath(QStringLiteral("profile/") + QString::fromLatin1(c.file));
        if (qEnvironmentVariableIsSet("VETTARO_UPDATE_GOLDEN"))
            image.save(golden);
        QImage expected(golden);
        ASSERT_FALSE(expected.isNull()) << golden.toStdString();
        EXPECT_EQ(image.convertToFormat(QImage::Format_RGB32), expected.convertToFormat(QImage::Format_RGB32));
    }
}
