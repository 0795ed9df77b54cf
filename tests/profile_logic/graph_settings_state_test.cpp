#include "profile/GraphSettingsState.h"

#include <gtest/gtest.h>

using namespace GraphSettings;

namespace {
ProfileOptions RoundTrip(const ProfileOptions &in, int32_t *bkg = nullptr)
{
    ProfileOptions out = in;
    int32_t b = bkg ? *bkg : 0;
    Apply(Load(in, b), out, b);
    if (bkg)
        *bkg = b;
    return out;
}
} // namespace

TEST(GraphSettingsState, DefaultsGiveTheirBarsAndListItems)
{
    const State s = Load(ProfileOptions(), 16777215);
    EXPECT_EQ(s.scrollX, 38);
    EXPECT_EQ(s.scrollY, 39);
    EXPECT_EQ(s.scrollCX, 6);
    EXPECT_EQ(s.scrollCY, 108);
    EXPECT_EQ(TacIntItems().value(s.cmbTacInt), "1 km");
    EXPECT_EQ(QIntItems().value(s.cmbQInt), "100 m");
    EXPECT_EQ(QMaxItems().value(s.cmbQMax), "2000 m");
    EXPECT_EQ(s.cmbFillmode, 0);
    EXPECT_EQ(s.cmdBkgColor, 16777215);
    // The defaults survive Load and Apply untouched.
    int32_t bkg = 16777215;
    const ProfileOptions back = RoundTrip(ProfileOptions(), &bkg);
    const ProfileOptions d;
    EXPECT_FLOAT_EQ(back.PercX, d.PercX);
    EXPECT_FLOAT_EQ(back.PercY, d.PercY);
    EXPECT_FLOAT_EQ(back.X0Perc, d.X0Perc);
    EXPECT_FLOAT_EQ(back.Y0Perc, d.Y0Perc);
    EXPECT_EQ(back.TacInt, d.TacInt);
    EXPECT_EQ(back.Q_Int, d.Q_Int);
    EXPECT_EQ(back.MyFixedHeight, d.MyFixedHeight);
    EXPECT_EQ(back.Pend10_Color, 44782);
    EXPECT_EQ(back.T_FontName, "Arial");
    EXPECT_EQ(bkg, 16777215);
}

TEST(GraphSettingsState, ScaleFactorsRoundHalfToEvenAndClampToTheBars)
{
    struct Case { float x0; int bar; float back; };
    for (const Case &c : {Case{0.125f, 12, 0.12f}, Case{0.375f, 38, 0.38f}, Case{1.5f, 120, 1.2f},
                          Case{-0.3f, 0, 0.0f}, Case{NAN, 0, 0.0f}}) {
        ProfileOptions o;
        o.X0Perc = c.x0;
        EXPECT_EQ(Load(o, 0).scrollCX, c.bar) << c.x0;
        EXPECT_FLOAT_EQ(RoundTrip(o).X0Perc, c.back) << c.x0;
    }
    ProfileOptions o;
    o.PercX = 2.5f;       // beyond the bar: its right end, 1.99, never the start position
    o.PercY = 0.2f;       // below 1: the bar's bottom
    o.Y0Perc = 1e30f;     // huge: the bar's top
    o.Graph_FillStyle = 9;
    const State s = Load(o, 0);
    EXPECT_EQ(s.scrollX, 99);
    EXPECT_EQ(s.scrollY, 99);
    EXPECT_EQ(s.scrollCY, 0);
    EXPECT_EQ(s.cmbFillmode, 7);
    const ProfileOptions back = RoundTrip(o);
    EXPECT_FLOAT_EQ(back.PercX, 1.99f);
    EXPECT_FLOAT_EQ(back.PercY, 1.0f);
    EXPECT_FLOAT_EQ(back.Y0Perc, 1.2f);
    EXPECT_EQ(back.Graph_FillStyle, 7);
    o.Graph_FillStyle = -4;
    EXPECT_EQ(Load(o, 0).cmbFillmode, 0);
}

TEST(GraphSettingsState, VerticalBarsHaveTheirLargestValueAtTheTop)
{
    State s = Load(ProfileOptions(), 0);
    ProfileOptions o;
    int32_t bkg = 0;
    s.scrollY = 0;
    s.scrollCY = 0;
    Apply(s, o, bkg);
    EXPECT_FLOAT_EQ(o.PercY, 1.99f);
    EXPECT_FLOAT_EQ(o.Y0Perc, 1.2f);
    s.scrollY = ScrollYMax;
    s.scrollCY = ScrollCYMax;
    Apply(s, o, bkg);
    EXPECT_FLOAT_EQ(o.PercY, 1.0f);
    EXPECT_FLOAT_EQ(o.Y0Perc, 0.0f);
}

TEST(GraphSettingsState, LoadThenApplyNormalises)
{
    ProfileOptions o;
    o.DrawWall = 5;
    o.DrawMarkLine = -1;
    o.GuideLines = 7;
    o.DrawQRif = 2;
    o.DrawNote = -3;
    o.FixedHeight = 9;
    o.PaintBackBmp = 1;
    o.DrawFlag = 3;
    o.Graph_Type = 1;
    o.MarkLineWidth = 3;
    o.GuideLinesStyle = 1;
    o.IconDim = 20;
    o.L_FontBold = 1;
    o.T_FontUnderline = 4;
    o.PercX = 1.386f;
    const ProfileOptions n = RoundTrip(o);
    EXPECT_EQ(n.DrawWall, 1);
    EXPECT_EQ(n.DrawMarkLine, 1);
    EXPECT_EQ(n.GuideLines, 1);
    EXPECT_EQ(n.DrawQRif, 1);
    EXPECT_EQ(n.DrawNote, 1);
    EXPECT_EQ(n.FixedHeight, 1);
    EXPECT_EQ(n.PaintBackBmp, -1);
    EXPECT_EQ(n.DrawFlag, -1);
    EXPECT_EQ(n.Graph_Type, -1);
    EXPECT_EQ(n.MarkLineWidth, 2);
    EXPECT_EQ(n.GuideLinesStyle, 2);
    EXPECT_EQ(n.IconDim, 32);
    EXPECT_EQ(n.L_FontBold, -1);
    EXPECT_EQ(n.T_FontUnderline, -1);
    EXPECT_EQ(n.L_FontItalic, 0);
    EXPECT_FLOAT_EQ(n.PercX, 1.39f);
    // The other element of each pair writes its own value.
    o.PaintBackBmp = 0; o.DrawFlag = 0; o.Graph_Type = 0; o.MarkLineWidth = 1; o.GuideLinesStyle = 0; o.IconDim = 16;
    const ProfileOptions m = RoundTrip(o);
    EXPECT_EQ(m.PaintBackBmp, 0);
    EXPECT_EQ(m.DrawFlag, 0);
    EXPECT_EQ(m.Graph_Type, 0);
    EXPECT_EQ(m.MarkLineWidth, 1);
    EXPECT_EQ(m.GuideLinesStyle, 0);
    EXPECT_EQ(m.IconDim, 16);
}

TEST(GraphSettingsState, ListValuesOutsideTheirTablesAreKept)
{
    ProfileOptions o;
    o.TacInt = 3;
    o.Q_Int = 1000;
    o.MyFixedHeight = 1800;
    State s = Load(o, 0);
    EXPECT_EQ(s.cmbTacInt, -1);
    EXPECT_EQ(QIntItems().value(s.cmbQInt), "1 km");
    EXPECT_EQ(s.cmbQMax, -1);
    ProfileOptions back = o;
    int32_t bkg = 0;
    Apply(s, back, bkg);
    EXPECT_EQ(back.TacInt, 3.0f);
    EXPECT_EQ(back.Q_Int, 1000.0f);
    EXPECT_EQ(back.MyFixedHeight, 1800);
    s.cmbTacInt = int(TacIntItems().indexOf("2.5 km"));
    s.cmbQMax = int(QMaxItems().indexOf("4000 m"));
    Apply(s, back, bkg);
    EXPECT_EQ(back.TacInt, 2.5f);
    EXPECT_EQ(back.MyFixedHeight, 4000);
    // Every table value finds its own item again.
    for (int i = 0; i < TacIntItems().size(); ++i) {
        o.TacInt = TacIntValue(i);
        EXPECT_EQ(Load(o, 0).cmbTacInt, i);
    }
}

TEST(GraphSettingsState, ColoursFontsAndPathMapOneToOne)
{
    ProfileOptions o;
    const int32_t colours[] = {11, 12, 13, 14, 15, 16, 17, 18, 19, 20, 21, 22, 23, 24, 25};
    using P = ProfileOptions;
    int32_t P::*const fields[] = {&P::YColor, &P::MarkLineColor, &P::QRifColor, &P::AltRifColor, &P::Flag_Color,
                                  &P::TacColor1, &P::TacColor2, &P::GradColor1, &P::GradColor2, &P::SVGGradColor1,
                                  &P::SVGGradColor2, &P::Pend4_Color, &P::Pend7_Color, &P::Pend10_Color,
                                  &P::PendH_Color};
    for (size_t i = 0; i < std::size(fields); ++i)
        o.*fields[i] = colours[i];
    o.N_FontName = QStringLiteral("Not Installed Face");
    o.N_FontSize = 13.5f;
    o.N_Color = 0x123456;
    o.AY_FontItalic = -1;
    o.BackBmp = QStringLiteral("/gone/picture.BMP");
    const State s = Load(o, 0x654321);
    EXPECT_EQ(s.cmdGraphColor[2], 24);
    EXPECT_EQ(s.cmdSVGColor1[1], 21);
    EXPECT_EQ(s.lblNote.name, "Not Installed Face");
    EXPECT_TRUE(s.lblAy.italic);
    EXPECT_EQ(s.lblBmp, "/gone/picture.BMP");

    ProfileOptions back;
    int32_t bkg = 0;
    Apply(s, back, bkg);
    for (size_t i = 0; i < std::size(fields); ++i)
        EXPECT_EQ(back.*fields[i], colours[i]) << i;
    EXPECT_EQ(bkg, 0x654321);
    EXPECT_EQ(back.N_FontName, "Not Installed Face");
    EXPECT_FLOAT_EQ(back.N_FontSize, 13.5f);
    EXPECT_EQ(back.N_Color, 0x123456);
    EXPECT_EQ(back.AY_FontItalic, -1);
    EXPECT_EQ(back.BackBmp, "/gone/picture.BMP");
    // Fonts do not cross groups.
    EXPECT_EQ(back.AX_FontItalic, 0);
    EXPECT_EQ(back.T_FontName, "Arial");
}
