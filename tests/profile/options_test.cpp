// The drawing options in settings section "Altimetria".
#include "profile_fixture.h"

#include <QDir>
#include <QTemporaryDir>

using ProfileOptionsTest = ProfileTest;

TEST_F(ProfileOptionsTest, EmptySectionGivesEveryDefault)
{
    ProfileOptions o;
    o.PercX = 0;   // a load must set every field, not keep what was there
    o.TacColor2 = 0;
    o.T_FontName = QStringLiteral("x");
    int32_t bkg = 0;
    ProfileSettings::Load(AppName, o, bkg);
    EXPECT_FLOAT_EQ(o.PercX, 1.38f);
    EXPECT_FLOAT_EQ(o.PercY, 1.60f);
    EXPECT_FLOAT_EQ(o.X0Perc, 0.06f);
    EXPECT_FLOAT_EQ(o.Y0Perc, 0.12f);
    EXPECT_EQ(o.TacColor2, 16777215);
    EXPECT_EQ(o.GradColor1, 16777215);
    EXPECT_EQ(o.GradColor2, 16777215);
    EXPECT_EQ(o.SVGGradColor1, 16777215);
    EXPECT_EQ(o.Pend10_Color, 44782);
    EXPECT_EQ(o.MyFixedHeight, 2000);
    EXPECT_EQ(o.GuideLinesStyle, 2);
    EXPECT_EQ(o.IconDim, 32);
    EXPECT_FLOAT_EQ(o.TacInt, 1);
    EXPECT_FLOAT_EQ(o.Q_Int, 100);
    EXPECT_EQ(o.T_FontName, QStringLiteral("Arial"));
    EXPECT_FLOAT_EQ(o.AY_FontSize, 8);
    EXPECT_EQ(bkg, 16777215);
    int count = 0;
    ProfileSettings::Entries(&count);
    EXPECT_EQ(count, 84);   // 83 options and the back colour
}

TEST_F(ProfileOptionsTest, SavedValuesComeBackAsTheStoreWritesThem)
{
    ProfileOptions o;
    o.PercX = 1.386f;
    o.AY_FontSize = 8.5f;
    o.T_FontSize = 9.5f;
    o.MyFixedHeight = 1800;
    o.TacInt = 2.5f;
    o.DrawFlag = -1;
    o.BackBmp = QStringLiteral("/nowhere/x.bmp");
    ProfileSettings::Save(AppName, o, 255);
    EXPECT_EQ(Get(QStringLiteral("PercX")), QStringLiteral("139"));
    EXPECT_EQ(Get(QStringLiteral("AY_FontSize")), QStringLiteral("8"));
    EXPECT_EQ(Get(QStringLiteral("T_FontSize")), QStringLiteral("10"));
    EXPECT_EQ(Get(QStringLiteral("MyFixedHeight")), QStringLiteral("1800"));
    EXPECT_EQ(Get(QStringLiteral("TacInt")), QStringLiteral("2.5"));
    EXPECT_EQ(Get(QStringLiteral("BkgColor")), QStringLiteral("255"));

    ProfileOptions back;
    int32_t bkg = 0;
    ProfileSettings::Load(AppName, back, bkg);
    EXPECT_FLOAT_EQ(back.PercX, 1.39f);
    EXPECT_EQ(back.MyFixedHeight, 1800);   // written "MyFixedHeight", read as "myFixedHeight"
    EXPECT_FLOAT_EQ(back.TacInt, 2.5f);
    EXPECT_EQ(back.DrawFlag, -1);
    EXPECT_EQ(back.BackBmp, QString());    // names no file
    EXPECT_EQ(bkg, 255);
}

TEST_F(ProfileOptionsTest, TextsThatDoNotConvertKeepTheValue)
{
    struct Case {
        const char *key;
        const char *text;
    };
    // Not numbers, beyond 16 bits, empty: each leaves its field alone, so a
    // fresh run keeps the default and the renderer never sees a 0.
    const Case cases[] = {{"DrawWall", "abc"}, {"TacInt", "abc"}, {"Q_Int", ""}, {"PercX", "x1"},
                          {"IconDim", "99999"}, {"MarkLineColor", "1e20"}, {"AX_FontSize", "big"}};
    for (const Case &c : cases)
        Put(QString::fromLatin1(c.key), QString::fromLatin1(c.text));
    ProfileOptions o;
    int32_t bkg = 7;
    ProfileSettings::Load(AppName, o, bkg);
    EXPECT_EQ(o.DrawWall, 0);
    EXPECT_FLOAT_EQ(o.TacInt, 1);
    EXPECT_FLOAT_EQ(o.Q_Int, 100);
    EXPECT_FLOAT_EQ(o.PercX, 1.38f);
    EXPECT_EQ(o.IconDim, 32);
    EXPECT_EQ(o.MarkLineColor, 0);
    EXPECT_FLOAT_EQ(o.AX_FontSize, 8);

    // A value held from an earlier load stays when the text is bad.
    o.DrawWall = 1;
    ProfileSettings::Load(AppName, o, bkg);
    EXPECT_EQ(o.DrawWall, 1);
}

TEST_F(ProfileOptionsTest, LocaleNumbersReadWithEitherDecimalMark)
{
    for (const char *locale : {"de_DE", "en_US"}) {
        const TestSupport::LocaleScope scope{QLocale(QString::fromLatin1(locale))};
        for (const char *text : {"2,5", "2.5"}) {
            Put(QStringLiteral("TacInt"), QString::fromLatin1(text));
            ProfileOptions o;
            int32_t bkg = 0;
            ProfileSettings::Load(AppName, o, bkg);
            EXPECT_FLOAT_EQ(o.TacInt, 2.5f) << locale << " " << text;
        }
        ProfileOptions o;
        o.Q_Int = 250.5f;
        ProfileSettings::Save(AppName, o, 0);
        EXPECT_EQ(Get(QStringLiteral("Q_Int")), QLocale().toString(250.5));
    }
}

TEST_F(ProfileOptionsTest, BackgroundPictureCheck)
{
    QTemporaryDir dir;
    auto make = [&](const char *name) {
        const QString path = QDir(dir.path()).filePath(QString::fromLatin1(name));
        QFile f(path);
        f.open(QIODevice::WriteOnly);
        return path;
    };
    struct Case {
        QString path;
        bool kept;
    };
    const Case cases[] = {
        {make("wall.bmp"), true},   {make("WALL2.BMP"), true},  {make("p.Jpg"), true},
        {make("p.png"), false},     {make("p.txt"), false},     {QDir(dir.path()).filePath("gone.bmp"), false},
        {dir.path(), false},        {QString(), false},
    };
    for (const Case &c : cases) {
        Put(QStringLiteral("BackBmp"), c.path);
        ProfileOptions o;
        int32_t bkg = 0;
        ProfileSettings::Load(AppName, o, bkg);
        EXPECT_EQ(o.BackBmp, c.kept ? c.path : QString()) << c.path.toStdString();
    }
}

TEST_F(ProfileOptionsTest, ValueBeyondSixteenBitsLeavesItsKey)
{
    Put(QStringLiteral("PercX"), QStringLiteral("150"));
    ProfileOptions o;
    o.PercX = 400.0f;   // 40000 hundredths
    o.PercY = 1.5f;
    ProfileSettings::Save(AppName, o, 0);
    EXPECT_EQ(Get(QStringLiteral("PercX")), QStringLiteral("150"));
    EXPECT_EQ(Get(QStringLiteral("PercY")), QStringLiteral("150"));
}
