// The SVG profile writer: golden files byte for byte, each valid XML in the
// SVG namespace that renders; escaping, names with quotes, profiles that
// cannot be drawn.
#include "TestSupport.h"
#include "core/DbFile.h"
#include "core/Globals.h"
#include "platform/error/VbError.h"
#include "profile/ProfileSvg.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QPainter>
#include <QSvgRenderer>
#include <QTemporaryDir>
#include <QXmlStreamReader>
#include <gtest/gtest.h>

namespace {

struct Row {
    double km;
    QVariant m;
    const char *note;
};

class ProfileSvgTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ResetGlobals();
        QDir root(m_root.path());
        root.mkpath(QStringLiteral("bin/Icons"));
        QFile::copy(QDir(TestSupport::BinDir()).filePath(QStringLiteral("ZidoVodu.dat")),
                    root.filePath(QStringLiteral("bin/ZidoVodu.dat")));
        AppPath = root.filePath(QStringLiteral("bin"));
        OpenDatabaseFile(root.filePath(QStringLiteral("svg.dat")));
    }
    void TearDown() override
    {
        if (CurrentDb)
            CurrentDb->Close();
        ResetGlobals();
    }
    void Add(bool route, const QString &name, std::initializer_list<Row> rows)
    {
        CurrentDb->Execute(QStringLiteral("INSERT INTO [%1] ([IDPercorso], [Lunghezza]) VALUES (?, ?)")
                               .arg(route ? QStringLiteral("Dati Percorsi") : QStringLiteral("Dati Salite")),
                           0, {name, 10});
        for (const Row &r : rows)
            CurrentDb->Execute(QStringLiteral("INSERT INTO [%1] ([IDPercorso], [DistParz], [Altezza], [Note]) VALUES (?, ?, ?, ?)")
                                   .arg(route ? QStringLiteral("CampioniPercorsi") : QStringLiteral("CampioniSalite")),
                               0, {name, r.km, r.m, r.note ? QVariant(QString::fromUtf8(r.note)) : QVariant()});
    }
    QByteArray Svg(const QString &name, bool route, ProfileOptions o = ProfileOptions(), int w = 600, int h = 300,
                   const QLocale &locale = QLocale(QLocale::English, QLocale::UnitedStates))
    {
        ProfileSvg::Request r;
        r.name = name;
        r.route = route;
        r.width = w;
        r.height = h;
        r.creditLink = QStringLiteral("https://www.vettaro.example/");
        return ProfileSvg::Write(*CurrentDb, r, o, locale);
    }
    // Valid XML with the root in the SVG namespace, and something drawn.
    static void ExpectValid(const QByteArray &bytes, const std::string &what)
    {
        QXmlStreamReader xml(bytes);
        xml.setNamespaceProcessing(true);
        bool rootSeen = false;
        while (!xml.atEnd()) {
            xml.readNext();
            if (xml.isStartElement() && !rootSeen) {
                rootSeen = true;
                EXPECT_EQ(xml.namespaceUri().toString(), QStringLiteral("http://www.w3.org/2000/svg")) << what;
                EXPECT_EQ(xml.name().toString(), QStringLiteral("svg")) << what;
            }
        }
        EXPECT_FALSE(xml.hasError()) << what << ": " << xml.errorString().toStdString() << " line " << xml.lineNumber();
        QSvgRenderer renderer(bytes);
        ASSERT_TRUE(renderer.isValid()) << what;
        QImage image(renderer.defaultSize(), QImage::Format_RGB32);
        image.fill(Qt::white);
        QPainter p(&image);
        renderer.render(&p);
        p.end();
        int coloured = 0;
        for (int y = 0; y < image.height(); y += 3)
            for (int x = 0; x < image.width(); x += 3)
                coloured += image.pixel(x, y) != qRgb(255, 255, 255);
        EXPECT_GT(coloured, 100) << what;
    }
    static void ExpectGolden(const QByteArray &bytes, const QString &file)
    {
        const QString path = QDir(TestSupport::DataDir()).filePath(QStringLiteral("profile/svg/") + file);
        if (qEnvironmentVariableIsSet("VETTARO_UPDATE_GOLDEN")) {
            QFile out(path);
            ASSERT_TRUE(out.open(QIODevice::WriteOnly));
            out.write(bytes);
        }
        QFile in(path);
        ASSERT_TRUE(in.open(QIODevice::ReadOnly)) << path.toStdString();
        EXPECT_EQ(bytes, in.readAll()) << file.toStdString();
        ExpectValid(bytes, file.toStdString());
    }

    QTemporaryDir m_root;
};

} // namespace

TEST_F(ProfileSvgTest, GoldenFiles)
{
    // Grades of exactly 4, 7 and 10 % take the lower class.
    Add(false, QStringLiteral("Classes"), {{0, 1000, "Start"}, {1, 1040, nullptr}, {2, 1110, ""}, {3, 1210, "Top"}});
    ExpectGolden(Svg(QStringLiteral("Classes"), false), QStringLiteral("climb_classes.svg"));

    Add(true, QStringLiteral("Lake tour"), {{0, 200, "Como"}, {12.5, 260, nullptr}, {25, 230, "Lecco"}, {40.3, 205, nullptr}});
    ExpectGolden(Svg(QStringLiteral("Lake tour"), true), QStringLiteral("route.svg"));

    ProfileOptions fixed;
    fixed.FixedHeight = 1;
    fixed.MyFixedHeight = 1500;
    ExpectGolden(Svg(QStringLiteral("Classes"), false, fixed), QStringLiteral("fixed_height.svg"));

    // Lowest 1,111 m: base 999.9, rounding to a multiple of 100, so the grid starts there.
    Add(false, QStringLiteral("Grid"), {{0, 1111, nullptr}, {4, 1420, nullptr}, {6.5, 1530, nullptr}});
    const QByteArray grid = Svg(QStringLiteral("Grid"), false);
    EXPECT_TRUE(grid.contains(">1099.9</text>"));
    EXPECT_TRUE(grid.contains(">1599.9</text>"));
    ExpectGolden(grid, QStringLiteral("grid_999_9.svg"));

    for (const auto &[tac, file] : {std::pair{2.5f, "tacint_2_5.svg"}, std::pair{0.5f, "tacint_0_5.svg"},
                                    std::pair{50.0f, "tacint_50.svg"}}) {
        ProfileOptions o;
        o.TacInt = tac;
        ExpectGolden(Svg(QStringLiteral("Lake tour"), true, o), QString::fromLatin1(file));
    }
}

TEST_F(ProfileSvgTest, LinesAsTheFileWritesThem)
{
    Add(false, QStringLiteral("Classes"), {{0, 1000, nullptr}, {1, 1040, nullptr}, {2, 1110, nullptr}});
    const QByteArray svg = Svg(QStringLiteral("Classes"), false);
    const QList<QByteArray> lines = svg.split('\n');
    EXPECT_EQ(lines.at(0), QByteArray("<?xml version=\"1.0\" encoding=\"iso-8859-1\"?>\r"));
    EXPECT_EQ(lines.at(2), QByteArray("<svg xml:space=\"preserve\" width=\"600\" height=\"300\" xmlns=\"http://www.w3.org/2000/svg\" "
                                      "xmlns:xlink=\"http://www.w3.org/1999/xlink\">\r"));
    EXPECT_TRUE(svg.contains("\" />\r\r\n<g font-size=\"8\""));   // the polygon's fourth point line
    EXPECT_EQ(svg.count("<polygon"), 2);
    EXPECT_TRUE(svg.contains("fill=\"#00FF00\""));   // 4 %: first class
    EXPECT_TRUE(svg.contains("fill=\"#0000FF\""));   // 7 %: second class
    EXPECT_TRUE(svg.contains(">4.0%</text>"));
    EXPECT_TRUE(svg.contains("<a xlink:href=\"https://www.vettaro.example/\">"));
    EXPECT_TRUE(svg.endsWith("</svg>\r\n"));
    // Shown texts take the user's decimal mark; numbers in styles keep ".".
    ProfileOptions o;
    o.T_FontSize = 10.5f;
    const QByteArray german = Svg(QStringLiteral("Classes"), false, o, 600, 300, QLocale(QLocale::German, QLocale::Germany));
    EXPECT_TRUE(german.contains(">7,0%</text>"));
    EXPECT_TRUE(german.contains("font-size:10.5;"));
    ExpectValid(german, "german");
}

TEST_F(ProfileSvgTest, NamesAndNotesAreEscaped)
{
    const QString name = QStringLiteral("O'Neil & <Sons> \"Ørsted\" \u2013 \U0001F6B2");
    Add(false, name, {{0, 500, "a<b & c"}, {2, 600, nullptr}});
    ProfileOptions o;
    o.T_FontName = QStringLiteral("Times & \"New\"");
    const QByteArray svg = Svg(name, false, o);   // the quote in the name finds its samples
    EXPECT_TRUE(svg.contains("<desc>O'Neil &amp; &lt;Sons&gt; &quot;\xD8rsted&quot; &#8211; &#128690;</desc>"));
    EXPECT_TRUE(svg.contains(">500 - a&lt;b &amp; c</text>"));
    EXPECT_TRUE(svg.contains("font-family:Times &amp; &quot;New&quot;;"));
    ExpectValid(svg, "escaped");
    QXmlStreamReader xml(svg);
    while (!xml.atEnd() && !(xml.readNext() == QXmlStreamReader::StartElement && xml.name() == QLatin1String("desc"))) {
    }
    EXPECT_EQ(xml.readElementText(), name);
}

TEST_F(ProfileSvgTest, NullHeightReadsZero)
{
    Add(false, QStringLiteral("Null"), {{0, 1000, nullptr}, {1, 1050, nullptr}, {2, QVariant(), nullptr}});
    const QByteArray svg = Svg(QStringLiteral("Null"), false);
    EXPECT_EQ(svg.count("<polygon"), 2);
    EXPECT_EQ(svg.count("<g transform=\"rotate(-90)\">"), 3);   // every sample has its text
    EXPECT_TRUE(svg.contains(">0</text>"));
    ExpectValid(svg, "null");
}

TEST_F(ProfileSvgTest, ProfilesThatCannotBeDrawn)
{
    Add(false, QStringLiteral("One"), {{0, 1000, nullptr}});
    Add(false, QStringLiteral("Flat"), {{0, 0, nullptr}, {5, 0, nullptr}});
    for (const char *name : {"One", "Flat", "Missing"}) {
        try {
            Svg(QString::fromLatin1(name), false);
            ADD_FAILURE() << name << ": no error";
        } catch (const VbError &e) {
            EXPECT_EQ(e.Number(), ProfileSvg::ErrNotDrawable) << name;
        }
    }
}

TEST(ProfileSvgStrip, BlockLengthInWholeKilometres)
{
    const std::pair<float, int> cases[] = {{2.5f, 2}, {3.5f, 4}, {0.5f, 1}, {0.05f, 1}, {0.0f, 1}, {-3.0f, 1}, {50.0f, 50}};
    for (const auto &[tac, km] : cases)
        EXPECT_EQ(ProfileSvg::StripKm(tac), km) << tac;
}
