#include "core/ProfileGlobals.h"
#include "platform/dao/Dao.h"
#include "records/ProfileHandoff.h"
#include "TestSupport.h"

#include <QDir>
#include <QTemporaryDir>

using namespace ProfileHandoff;

namespace {

const QLocale kEnglish(QLocale::English, QLocale::UnitedStates);
const QLocale kItalian(QLocale::Italian, QLocale::Italy);

SampleRow Row(double km, QVariant height, QVariant note = QVariant(), QVariant image = QVariant())
{
    return SampleRow{QVariant(km), height, note, image};
}

dao::FieldDef FieldOf(const char *name, dao::FieldType type, int size = 0)
{
    dao::FieldDef f;
    f.name = QString::fromLatin1(name);
    f.type = type;
    f.size = size;
    return f;
}

Legend ClimbLegend()
{
    return Legend{QStringLiteral("01:00:00"), QStringLiteral("10.00"), QStringLiteral("3"),
                  QStringLiteral("1000"), QStringLiteral("1.7%")};
}

class ProfileHandoffTest : public ::testing::Test {
protected:
    void SetUp() override { ResetProfileGlobals(); }
    void TearDown() override { ResetProfileGlobals(); }
};

} // namespace

TEST_F(ProfileHandoffTest, GainAndClimbCountOnlyRisingStretches)
{
    const QVector<SampleRow> rows = {Row(0, 100), Row(1, 120), Row(2, 110), Row(3, 150)};
    ASSERT_TRUE(Fill(Kind::Climb, QStringLiteral("Colle"), rows, ClimbLegend(), {}, kEnglish));
    EXPECT_EQ(ProfilePointCount, 4);
    EXPECT_EQ(ProfileSamples.size(), 4);
    EXPECT_EQ(ProfileGain, 60);
    EXPECT_FLOAT_EQ(ProfileClimbKm, 2.0f);
    EXPECT_EQ(ProfileBase, 95);
    EXPECT_EQ(ProfileSpan, 55);
    EXPECT_FLOAT_EQ(ProfileDistance, 3.0f);
    EXPECT_EQ(ProfileName, QStringLiteral("Colle"));
    EXPECT_EQ(ProfileTime, QStringLiteral("01:00:00"));
    EXPECT_EQ(ProfileSpeed, QStringLiteral("10.00"));
    EXPECT_EQ(ProfileLength, QStringLiteral("3"));
    EXPECT_EQ(ProfileClimbRate, QStringLiteral("1000"));
    EXPECT_EQ(ProfileGrade, QStringLiteral("1.7%"));
    EXPECT_EQ(ProfileSamples[3].Altezza, 150);
}

TEST_F(ProfileHandoffTest, BaseRoundsHalvesToEven)
{
    struct Case { int low, high, base, span; } cases[] = {
        {250, 300, 238, 62},   // 237.5 -> 238
        {10, 20, 10, 10},      // 9.5 -> 10
        {30, 40, 28, 12},      // 28.5 -> 28
        {-100, 0, -95, 95},
    };
    for (const Case &c : cases) {
        ASSERT_TRUE(Fill(Kind::Climb, QStringLiteral("x"), {Row(0, c.low), Row(1, c.high)}, ClimbLegend(), {}));
        EXPECT_EQ(ProfileBase, c.base) << c.low;
        EXPECT_EQ(ProfileSpan, c.span) << c.low;
    }
}

TEST_F(ProfileHandoffTest, TooFewSamplesChangeNothing)
{
    ASSERT_TRUE(Fill(Kind::Climb, QStringLiteral("Old"), {Row(0, 10), Row(1, 20), Row(2, 30)}, ClimbLegend(), {}));
    EXPECT_FALSE(Fill(Kind::Climb, QStringLiteral("New"), {Row(0, 500)}, ClimbLegend(), {}));
    EXPECT_FALSE(Fill(Kind::Climb, QStringLiteral("New"), {}, ClimbLegend(), {}));
    EXPECT_EQ(ProfileName, QStringLiteral("Old"));
    EXPECT_EQ(ProfilePointCount, 3);
    EXPECT_EQ(ProfileSamples.size(), 3);
}

TEST_F(ProfileHandoffTest, ASampleThatIsNoNumberFailsAndChangesNothing)
{
    ASSERT_TRUE(Fill(Kind::Climb, QStringLiteral("Old"), {Row(0, 10), Row(1, 20)}, ClimbLegend(), {}));
    const QVector<SampleRow> bad[] = {
        {Row(0, 10), Row(1, QStringLiteral("alto"))},
        {Row(0, 10), SampleRow{QStringLiteral("uno"), 20, QVariant(), QVariant()}},
        {Row(0, 10), Row(1, 1e12)},   // beyond any height
    };
    for (const QVector<SampleRow> &rows : bad) {
        EXPECT_THROW(Fill(Kind::Climb, QStringLiteral("New"), rows, ClimbLegend(), {}), VbError);
        EXPECT_EQ(ProfileName, QStringLiteral("Old"));
        EXPECT_EQ(ProfileSamples[1].Altezza, 20);
    }
}

TEST_F(ProfileHandoffTest, NotesAndIcons)
{
    const QSet<QString> icons = {QStringLiteral("fountain"), QStringLiteral("church")};
    const QVector<SampleRow> rows = {
        Row(0, 100, QVariant(), QStringLiteral("Fountain")),   // icon names match without case
        Row(1, 110, QStringLiteral("Bivio"), QStringLiteral("castle")),  // not in Icons
        Row(2, 120, QStringLiteral(""), QVariant()),
    };
    ASSERT_TRUE(Fill(Kind::Climb, QStringLiteral("c"), rows, ClimbLegend(), icons));
    EXPECT_EQ(ProfileSamples[0].Note, QString());
    EXPECT_EQ(ProfileSamples[0].image, QStringLiteral("Fountain"));
    EXPECT_EQ(ProfileSamples[1].Note, QStringLiteral("Bivio"));
    EXPECT_EQ(ProfileSamples[1].image, QString());
    EXPECT_EQ(ProfileSamples[2].image, QString());
}

TEST_F(ProfileHandoffTest, GainBeyond16BitsIsKept)
{
    const QVector<SampleRow> rows = {Row(0, 0), Row(10, 30000), Row(20, 0), Row(30, 30000)};
    ASSERT_TRUE(Fill(Kind::Climb, QStringLiteral("big"), rows, ClimbLegend(), {}));
    EXPECT_EQ(ProfileGain, 60000);
    EXPECT_FLOAT_EQ(ProfileClimbKm, 20.0f);
}

TEST_F(ProfileHandoffTest, RouteLegend)
{
    Legend legend = ClimbLegend();
    legend.length = QStringLiteral("12.5");
    ASSERT_TRUE(Fill(Kind::Route, QStringLiteral("r"), {Row(0, 1), Row(1, 2)}, legend, {}, kItalian));
    EXPECT_EQ(ProfileLength, QStringLiteral("12,50"));
    EXPECT_EQ(ProfileClimbRate, QStringLiteral(" --- "));
    EXPECT_EQ(ProfileGrade, QStringLiteral(" --- "));

    // A length that is no number fails before anything changes.
    legend.length = QStringLiteral("abc");
    EXPECT_THROW(Fill(Kind::Route, QStringLiteral("other"), {Row(0, 1), Row(1, 2), Row(2, 3)}, legend, {}),
                 VbError);
    EXPECT_EQ(ProfileName, QStringLiteral("r"));
    EXPECT_EQ(ProfilePointCount, 2);
}

TEST_F(ProfileHandoffTest, FromDatabaseByTheCardsOwnName)
{
    QTemporaryDir dir;
    const QString path = QDir(dir.path()).filePath(QStringLiteral("cards.dat"));
    dao::DatabasePtr db = dao::CreateDatabase(path, dao::DefaultConnect());
    for (const char *table : {"CampioniSalite", "CampioniPercorsi"}) {
        dao::TableDef t;
        t.name = QString::fromLatin1(table);
        t.fields = {FieldOf("IDPercorso", dao::dbText, 250), FieldOf("DistParz", dao::dbSingle),
                    FieldOf("Altezza", dao::dbInteger), FieldOf("Note", dao::dbText, 250),
                    FieldOf("image", dao::dbText, 250)};
        db->CreateTable(t);
    }
    dao::TableDef icons;
    icons.name = QStringLiteral("Icons");
    icons.fields = {FieldOf("IconName", dao::dbText, 50)};
    db->CreateTable(icons);
    db->Execute(QStringLiteral("INSERT INTO [Icons] ([IconName]) VALUES (?)"), 0, {QStringLiteral("Top")});

    // A name with both quote characters, samples stored out of order, and a
    // neighbouring card whose samples must not leak in.
    const QString name = QStringLiteral("Col d'\"Oro\"");
    const auto add = [&](const QString &table, const QString &card, double km, int h, const QVariant &image) {
        db->Execute(QStringLiteral("INSERT INTO [%1] ([IDPercorso],[DistParz],[Altezza],[image]) VALUES (?,?,?,?)").arg(table),
                    0, {card, km, h, image});
    };
    add(QStringLiteral("CampioniSalite"), name, 3, 150, QStringLiteral("top"));
    add(QStringLiteral("CampioniSalite"), name, 0, 100, QVariant());
    add(QStringLiteral("CampioniSalite"), name, 2, 110, QVariant());
    add(QStringLiteral("CampioniSalite"), name, 1, 120, QStringLiteral("none"));
    add(QStringLiteral("CampioniSalite"), QStringLiteral("Col d'Oro"), 5, 9000, QVariant());
    add(QStringLiteral("CampioniPercorsi"), name, 0, 1, QVariant());

    ASSERT_TRUE(Fill(*db, Kind::Climb, name, ClimbLegend(), kEnglish));
    EXPECT_EQ(ProfileName, name);
    EXPECT_EQ(ProfilePointCount, 4);
    ASSERT_EQ(ProfileSamples.size(), 4);
    EXPECT_FLOAT_EQ(ProfileSamples[0].DistParz, 0.0f);
    EXPECT_FLOAT_EQ(ProfileSamples[3].DistParz, 3.0f);
    EXPECT_EQ(ProfileSamples[3].image, QStringLiteral("top"));
    EXPECT_EQ(ProfileSamples[1].image, QString());
    EXPECT_EQ(ProfileGain, 60);
    EXPECT_EQ(ProfileBase, 95);
    EXPECT_EQ(ProfileSpan, 55);

    // The route table holds one sample of that name: nothing is handed over.
    EXPECT_FALSE(Fill(*db, Kind::Route, name, ClimbLegend(), kEnglish));
    EXPECT_EQ(ProfilePointCount, 4);
    db->Close();
}
