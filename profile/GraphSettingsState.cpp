#include "profile/GraphSettingsState.h"

#include <algorithm>
#include <cmath>

namespace GraphSettings {

namespace {

struct Item {
    const char *text;
    float value;
};

const Item TacIntTable[] = {{"50 m", 0.05f}, {"100 m", 0.1f}, {"150 m", 0.15f}, {"200 m", 0.2f},  {"250 m", 0.25f},
                            {"400 m", 0.4f}, {"500 m", 0.5f}, {"1 km", 1},      {"2 km", 2},      {"2.5 km", 2.5f},
                            {"5 km", 5},     {"10 km", 10},   {"20 km", 20},    {"25 km", 25},    {"50 km", 50}};
const Item QIntTable[] = {{"50 m", 50}, {"100 m", 100}, {"200 m", 200}, {"250 m", 250}, {"500 m", 500}, {"1 km", 1000}};
const Item QMaxTable[] = {{"500 m", 500},   {"1000 m", 1000}, {"1500 m", 1500}, {"2000 m", 2000},
                          {"2500 m", 2500}, {"3000 m", 3000}, {"3500 m", 3500}, {"4000 m", 4000}};

template <size_t N>
QStringList Texts(const Item (&table)[N])
{
    QStringList out;
    for (const Item &i : table)
        out << QString::fromLatin1(i.text);
    return out;
}

template <size_t N>
int IndexOf(const Item (&table)[N], float value)
{
    for (size_t i = 0; i < N; ++i)
        if (table[i].value == value)
            return int(i);
    return -1;
}

template <size_t N>
float ValueAt(const Item (&table)[N], int index, float otherwise)
{
    return index >= 0 && size_t(index) < N ? table[index].value : otherwise;
}

// A scale option in hundredths, rounded half to even (the arithmetic is that
// of the single-precision option) and held within 0..max. A value no control
// position stands for (NaN, huge) takes the nearest end.
int Position(float hundredths, int max)
{
    if (std::isnan(hundredths))
        return 0;
    const float bounded = std::clamp(hundredths, -1.0e6f, 1.0e6f);
    return std::clamp(int(std::nearbyint(bounded)), 0, max);
}

FontState FontOf(const ProfileFont &f)
{
    FontState s;
    s.name = f.FontName;
    s.size = f.FontSize;
    s.bold = f.FontBold != 0;
    s.italic = f.FontItalic != 0;
    s.strikethru = f.FontStrikethru != 0;
    s.underline = f.FontUnderline != 0;
    s.color = f.Color;
    return s;
}

ProfileFont GroupOf(const FontState &s)
{
    ProfileFont f;
    f.FontName = s.name;
    f.FontSize = s.size;
    f.FontBold = s.bold ? -1 : 0;
    f.FontItalic = s.italic ? -1 : 0;
    f.FontStrikethru = s.strikethru ? -1 : 0;
    f.FontUnderline = s.underline ? -1 : 0;
    f.Color = s.color;
    return f;
}

int Checked(int16_t option) { return option != 0 ? 1 : 0; }

} // namespace

QStringList FillModeItems()
{
    return {QStringLiteral("0 - Solid"),          QStringLiteral("1 - Transparent"),
            QStringLiteral("2 - Horizontal Line"), QStringLiteral("3 - Vertical Line"),
            QStringLiteral("4 - Upward Diagonal"), QStringLiteral("5 - Downward Diagonal"),
            QStringLiteral("6 - Cross"),           QStringLiteral("7 - Diagonal Cross")};
}
QStringList TacIntItems() { return Texts(TacIntTable); }
QStringList QIntItems() { return Texts(QIntTable); }
QStringList QMaxItems() { return Texts(QMaxTable); }
float TacIntValue(int index) { return ValueAt(TacIntTable, index, 0); }
float QIntValue(int index) { return ValueAt(QIntTable, index, 0); }
int16_t QMaxValue(int index) { return int16_t(ValueAt(QMaxTable, index, 0)); }

State Load(const ProfileOptions &o, int32_t bkgColor)
{
    State s;
    s.scrollX = Position((o.PercX - 1.0f) * 100.0f, ScrollXMax);
    s.scrollY = ScrollYMax - Position((o.PercY - 1.0f) * 100.0f, ScrollYMax);
    s.scrollCX = Position(o.X0Perc * 100.0f, ScrollCXMax);
    s.scrollCY = ScrollCYMax - Position(o.Y0Perc * 100.0f, ScrollCYMax);
    s.lblBmp = o.BackBmp;

    s.optWall = o.PaintBackBmp == 0 ? 0 : 1;
    s.chkBmp = Checked(o.DrawWall);
    s.chkMarkLine = Checked(o.DrawMarkLine);
    s.optMarkLineWidth = o.MarkLineWidth == 1 ? 0 : 1;
    s.chkQRif = Checked(o.GuideLines);
    s.optGlines = o.GuideLinesStyle == 0 ? 0 : 1;
    s.chkAlt = Checked(o.DrawQRif);
    s.chkLegend = Checked(o.DrawLegend);
    s.chkTitle = Checked(o.DrawTitle);
    s.chkPend = Checked(o.DrawPend);
    s.chkNote = Checked(o.DrawNote);
    s.chkIcon = Checked(o.DrawIcon);
    s.optIcon = o.IconDim == 16 ? 0 : 1;
    s.optNote = o.DrawFlag != 0 ? 0 : 1;

    s.cmdYColor = o.YColor;
    s.cmdMarkLineColor = o.MarkLineColor;
    s.cmdQRifColor = o.QRifColor;
    s.cmdRifAlt = o.AltRifColor;
    s.cmdBkgColor = bkgColor;
    s.cmdFlagColor = o.Flag_Color;

    s.cmbFillmode = std::clamp(int(o.Graph_FillStyle), 0, FillStyleCount - 1);
    s.cmbTacInt = IndexOf(TacIntTable, o.TacInt);
    s.cmbQInt = IndexOf(QIntTable, o.Q_Int);
    s.chkHeightMode = Checked(o.FixedHeight);
    s.cmbQMax = IndexOf(QMaxTable, float(o.MyFixedHeight));
    s.optGraph = o.Graph_Type != 0 ? 0 : 1;

    s.lblLegend = FontOf(GetFontGroup(o, FontGroup::L));
    s.lblName = FontOf(GetFontGroup(o, FontGroup::T));
    s.lblPend = FontOf(GetFontGroup(o, FontGroup::P));
    s.lblNote = FontOf(GetFontGroup(o, FontGroup::N));
    s.lblAx = FontOf(GetFontGroup(o, FontGroup::AX));
    s.lblAy = FontOf(GetFontGroup(o, FontGroup::AY));

    s.cmdTacColor = {o.TacColor1, o.TacColor2};
    s.cmdGColor1 = {o.GradColor1, o.GradColor2};
    s.cmdSVGColor1 = {o.SVGGradColor1, o.SVGGradColor2};
    s.cmdGraphColor = {o.Pend4_Color, o.Pend7_Color, o.Pend10_Color, o.PendH_Color};
    return s;
}

void Apply(const State &s, ProfileOptions &o, int32_t &bkgColor)
{
    o.DrawWall = int16_t(s.chkBmp);
    o.PaintBackBmp = s.optWall == 1 ? -1 : 0;
    o.BackBmp = s.lblBmp;

    o.PercX = float(std::clamp(s.scrollX, 0, ScrollXMax)) / 100.0f + 1.0f;
    o.PercY = float(ScrollYMax - std::clamp(s.scrollY, 0, ScrollYMax)) / 100.0f + 1.0f;
    o.X0Perc = float(std::clamp(s.scrollCX, 0, ScrollCXMax)) / 100.0f;
    o.Y0Perc = float(ScrollCYMax - std::clamp(s.scrollCY, 0, ScrollCYMax)) / 100.0f;

    o.DrawMarkLine = int16_t(s.chkMarkLine);
    o.MarkLineWidth = s.optMarkLineWidth == 0 ? 1 : 2;
    o.GuideLines = int16_t(s.chkQRif);
    o.GuideLinesStyle = s.optGlines == 0 ? 0 : 2;
    o.DrawQRif = int16_t(s.chkAlt);
    o.DrawLegend = int16_t(s.chkLegend);
    o.DrawNote = int16_t(s.chkNote);
    o.DrawIcon = int16_t(s.chkIcon);
    o.IconDim = s.optIcon == 0 ? 16 : 32;
    o.DrawTitle = int16_t(s.chkTitle);
    o.DrawPend = int16_t(s.chkPend);
    o.DrawFlag = s.optNote == 0 ? -1 : 0;

    o.YColor = s.cmdYColor;
    o.MarkLineColor = s.cmdMarkLineColor;
    o.QRifColor = s.cmdQRifColor;
    o.AltRifColor = s.cmdRifAlt;
    bkgColor = s.cmdBkgColor;
    o.Flag_Color = s.cmdFlagColor;

    if (s.cmbFillmode >= 0)
        o.Graph_FillStyle = int16_t(std::min(s.cmbFillmode, FillStyleCount - 1));
    if (s.cmbTacInt >= 0)
        o.TacInt = TacIntValue(s.cmbTacInt);
    if (s.cmbQInt >= 0)
        o.Q_Int = QIntValue(s.cmbQInt);
    o.FixedHeight = int16_t(s.chkHeightMode);
    if (s.cmbQMax >= 0)
        o.MyFixedHeight = QMaxValue(s.cmbQMax);
    o.Graph_Type = s.optGraph == 0 ? -1 : 0;

    SetFontGroup(o, FontGroup::L, GroupOf(s.lblLegend));
    SetFontGroup(o, FontGroup::P, GroupOf(s.lblPend));
    SetFontGroup(o, FontGroup::N, GroupOf(s.lblNote));
    SetFontGroup(o, FontGroup::AX, GroupOf(s.lblAx));
    SetFontGroup(o, FontGroup::AY, GroupOf(s.lblAy));
    SetFontGroup(o, FontGroup::T, GroupOf(s.lblName));

    o.TacColor1 = s.cmdTacColor[0];
    o.TacColor2 = s.cmdTacColor[1];
    o.GradColor1 = s.cmdGColor1[0];
    o.GradColor2 = s.cmdGColor1[1];
    o.SVGGradColor1 = s.cmdSVGColor1[0];
    o.SVGGradColor2 = s.cmdSVGColor1[1];
    o.Pend4_Color = s.cmdGraphColor[0];
    o.Pend7_Color = s.cmdGraphColor[1];
    o.Pend10_Color = s.cmdGraphColor[2];
    o.PendH_Color = s.cmdGraphColor[3];
}

} // namespace GraphSettings
