#include "profile/ProfileOptions.h"

#include "core/Validators.h"
#include "platform/settings/Settings.h"
#include "platform/shell/Shell.h"

#include <QFileInfo>
#include <QLocale>
#include <QSet>

#include <cmath>
#include <limits>
#include <variant>

ProfileFont GetFontGroup(const ProfileOptions &o, FontGroup g)
{
#define VETTARO_FONT_GET(P) \
    return ProfileFont{o.P##FontBold, o.P##FontItalic, o.P##FontName, o.P##FontSize, o.P##FontStrikethru, \
                       o.P##FontUnderline, o.P##Color};
    switch (g) {
    case FontGroup::AY: VETTARO_FONT_GET(AY_)
    case FontGroup::AX: VETTARO_FONT_GET(AX_)
    case FontGroup::P: VETTARO_FONT_GET(P_)
    case FontGroup::L: VETTARO_FONT_GET(L_)
    case FontGroup::N: VETTARO_FONT_GET(N_)
    case FontGroup::T: VETTARO_FONT_GET(T_)
    }
#undef VETTARO_FONT_GET
    return {};
}

void SetFontGroup(ProfileOptions &o, FontGroup g, const ProfileFont &f)
{
#define VETTARO_FONT_SET(P) \
    o.P##FontBold = f.FontBold; o.P##FontItalic = f.FontItalic; o.P##FontName = f.FontName; \
    o.P##FontSize = f.FontSize; o.P##FontStrikethru = f.FontStrikethru; o.P##FontUnderline = f.FontUnderline; \
    o.P##Color = f.Color; return;
    switch (g) {
    case FontGroup::AY: VETTARO_FONT_SET(AY_)
    case FontGroup::AX: VETTARO_FONT_SET(AX_)
    case FontGroup::P: VETTARO_FONT_SET(P_)
    case FontGroup::L: VETTARO_FONT_SET(L_)
    case FontGroup::N: VETTARO_FONT_SET(N_)
    case FontGroup::T: VETTARO_FONT_SET(T_)
    }
#undef VETTARO_FONT_SET
}

namespace ProfileSettings {

namespace {

using Field = std::variant<std::monostate, int16_t ProfileOptions::*, int32_t ProfileOptions::*,
                           float ProfileOptions::*, QString ProfileOptions::*>;

struct Binding {
    Entry entry;
    Field field;   // monostate: the back colour
};

#define VETTARO_FONT_BINDINGS(P) \
    {{#P "FontBold", Kind::Integer, "0"}, &ProfileOptions::P##FontBold}, \
    {{#P "FontItalic", Kind::Integer, "0"}, &ProfileOptions::P##FontItalic}, \
    {{#P "FontName", Kind::Text, "Arial"}, &ProfileOptions::P##FontName}, \
    {{#P "FontSize", Kind::FontSize, "8"}, &ProfileOptions::P##FontSize}, \
    {{#P "FontStrikethru", Kind::Integer, "0"}, &ProfileOptions::P##FontStrikethru}, \
    {{#P "FontUnderline", Kind::Integer, "0"}, &ProfileOptions::P##FontUnderline}, \
    {{#P "Color", Kind::Colour, "0"}, &ProfileOptions::P##Color}

// Load order. The key "myFixedHeight" is the stored "MyFixedHeight": keys
// match without regard to case.
const Binding Bindings[] = {
    {{"DrawWall", Kind::Integer, "0"}, &ProfileOptions::DrawWall},
    {{"BackBmp", Kind::Text, ""}, &ProfileOptions::BackBmp},
    {{"DrawMarkLine", Kind::Integer, "0"}, &ProfileOptions::DrawMarkLine},
    {{"MarkLineWidth", Kind::Integer, "1"}, &ProfileOptions::MarkLineWidth},
    {{"MarkLineColor", Kind::Colour, "0"}, &ProfileOptions::MarkLineColor},
    {{"TacColor1", Kind::Colour, "0"}, &ProfileOptions::TacColor1},
    {{"TacColor2", Kind::Colour, "16777215"}, &ProfileOptions::TacColor2},
    {{"GradColor1", Kind::Colour, "16777215"}, &ProfileOptions::GradColor1},
    {{"GradColor2", Kind::Colour, "16777215"}, &ProfileOptions::GradColor2},
    {{"SVGGradColor1", Kind::Colour, "16777215"}, &ProfileOptions::SVGGradColor1},
    {{"SVGGradColor2", Kind::Colour, "0"}, &ProfileOptions::SVGGradColor2},
    {{"PaintBackBmp", Kind::Integer, "0"}, &ProfileOptions::PaintBackBmp},
    {{"PercX", Kind::Hundredths, "138"}, &ProfileOptions::PercX},
    {{"PercY", Kind::Hundredths, "160"}, &ProfileOptions::PercY},
    {{"X0Perc", Kind::Hundredths, "6"}, &ProfileOptions::X0Perc},
    {{"Y0Perc", Kind::Hundredths, "12"}, &ProfileOptions::Y0Perc},
    {{"FixedHeight", Kind::Integer, "0"}, &ProfileOptions::FixedHeight},
    {{"MyFixedHeight", Kind::Integer, "2000"}, &ProfileOptions::MyFixedHeight},
    {{"GuideLines", Kind::Integer, "1"}, &ProfileOptions::GuideLines},
    {{"GuideLinesStyle", Kind::Integer, "2"}, &ProfileOptions::GuideLinesStyle},
    {{"DrawLegend", Kind::Integer, "1"}, &ProfileOptions::DrawLegend},
    {{"DrawTitle", Kind::Integer, "1"}, &ProfileOptions::DrawTitle},
    {{"DrawPend", Kind::Integer, "0"}, &ProfileOptions::DrawPend},
    {{"DrawNote", Kind::Integer, "1"}, &ProfileOptions::DrawNote},
    {{"DrawIcon", Kind::Integer, "1"}, &ProfileOptions::DrawIcon},
    {{"IconDim", Kind::Integer, "32"}, &ProfileOptions::IconDim},
    {{"DrawImage", Kind::Integer, "1"}, &ProfileOptions::DrawImage},
    {{"DrawFlag", Kind::Integer, "0"}, &ProfileOptions::DrawFlag},
    {{"DrawQRif", Kind::Integer, "0"}, &ProfileOptions::DrawQRif},
    {{"Flag_Color", Kind::Colour, "255"}, &ProfileOptions::Flag_Color},
    {{"Graph_FillStyle", Kind::Integer, "0"}, &ProfileOptions::Graph_FillStyle},
    {{"Graph_Type", Kind::Integer, "0"}, &ProfileOptions::Graph_Type},
    {{"TacInt", Kind::Float, "1"}, &ProfileOptions::TacInt},
    {{"Q_Int", Kind::Float, "100"}, &ProfileOptions::Q_Int},
    {{"YColor", Kind::Colour, "0"}, &ProfileOptions::YColor},
    {{"QRifColor", Kind::Colour, "0"}, &ProfileOptions::QRifColor},
    {{"AltRifColor", Kind::Colour, "255"}, &ProfileOptions::AltRifColor},
    {{"BkgColor", Kind::Colour, "16777215"}, std::monostate{}},
    {{"Pend4_Color", Kind::Colour, "65280"}, &ProfileOptions::Pend4_Color},
    {{"Pend7_Color", Kind::Colour, "16711680"}, &ProfileOptions::Pend7_Color},
    {{"Pend10_Color", Kind::Colour, "44782"}, &ProfileOptions::Pend10_Color},
    {{"PendH_Color", Kind::Colour, "255"}, &ProfileOptions::PendH_Color},
    VETTARO_FONT_BINDINGS(AX_),
    VETTARO_FONT_BINDINGS(AY_),
    VETTARO_FONT_BINDINGS(N_),
    VETTARO_FONT_BINDINGS(P_),
    VETTARO_FONT_BINDINGS(L_),
    VETTARO_FONT_BINDINGS(T_),
};
#undef VETTARO_FONT_BINDINGS

constexpr int BindingCount = int(sizeof(Bindings) / sizeof(Bindings[0]));

const Entry *EntryTable()
{
    static Entry entries[BindingCount];
    static bool filled = false;
    if (!filled) {
        for (int i = 0; i < BindingCount; ++i)
            entries[i] = Bindings[i].entry;
        filled = true;
    }
    return entries;
}

// A whole number within [lo, hi] from a text with either decimal mark,
// rounded half to even, as a stored integer converts.
bool ReadWhole(const QString &text, double lo, double hi, double *out)
{
    double v = 0;
    if (!ParseDecimal(text.trimmed(), &v) || !std::isfinite(v))
        return false;
    v = std::nearbyint(v);
    if (v < lo || v > hi)
        return false;
    *out = v;
    return true;
}

bool ReadReal(const QString &text, double *out)
{
    double v = 0;
    if (!ParseDecimal(text.trimmed(), &v) || !std::isfinite(v))
        return false;
    if (std::fabs(v) > double(std::numeric_limits<float>::max()))
        return false;
    *out = v;
    return true;
}

QString FloatText(float value)
{
    QLocale locale;
    locale.setNumberOptions(QLocale::OmitGroupSeparator);
    return Shell::NumberText(locale, double(value), 'g', 7);
}

void Assign(const Binding &b, ProfileOptions &o, int32_t &bkg, const QString &text)
{
    double v = 0;
    switch (b.entry.kind) {
    case Kind::Integer:
        if (ReadWhole(text, -32768, 32767, &v))
            o.*std::get<int16_t ProfileOptions::*>(b.field) = int16_t(v);
        break;
    case Kind::Colour:
        if (ReadWhole(text, -2147483648.0, 2147483647.0, &v)) {
            if (std::holds_alternative<std::monostate>(b.field))
                bkg = int32_t(v);
            else
                o.*std::get<int32_t ProfileOptions::*>(b.field) = int32_t(v);
        }
        break;
    case Kind::Float:
    case Kind::FontSize:
        if (ReadReal(text, &v))
            o.*std::get<float ProfileOptions::*>(b.field) = float(v);
        break;
    case Kind::Hundredths:
        if (ReadReal(text, &v))
            o.*std::get<float ProfileOptions::*>(b.field) = float(v / 100.0);
        break;
    case Kind::Text:
        o.*std::get<QString ProfileOptions::*>(b.field) = text;
        break;
    }
}

// The stored text of a value; false when it cannot be written.
bool Text(const Binding &b, const ProfileOptions &o, int32_t bkg, QString *out)
{
    switch (b.entry.kind) {
    case Kind::Integer:
        *out = QString::number(o.*std::get<int16_t ProfileOptions::*>(b.field));
        return true;
    case Kind::Colour:
        *out = QString::number(std::holds_alternative<std::monostate>(b.field)
                                   ? bkg : o.*std::get<int32_t ProfileOptions::*>(b.field));
        return true;
    case Kind::Float:
        *out = FloatText(o.*std::get<float ProfileOptions::*>(b.field));
        return true;
    case Kind::Hundredths:
    case Kind::FontSize: {
        double v = double(o.*std::get<float ProfileOptions::*>(b.field));
        if (b.entry.kind == Kind::Hundredths)
            v = double(float(v * 100.0f));
        if (!std::isfinite(v))
            return false;
        v = std::nearbyint(v);
        if (v < -32768 || v > 32767)
            return false;
        *out = QString::number(int(v));
        return true;
    }
    case Kind::Text:
        *out = o.*std::get<QString ProfileOptions::*>(b.field);
        return true;
    }
    return false;
}

bool IsFontKey(const char *key)
{
    const QByteArray k(key);
    return k.startsWith("AX_") || k.startsWith("AY_") || k.startsWith("N_") || k.startsWith("P_")
        || k.startsWith("L_") || k.startsWith("T_");
}

const QString WindowName = QStringLiteral("frmAltimetria");

} // namespace

const Entry *Entries(int *count)
{
    if (count)
        *count = BindingCount;
    return EntryTable();
}

bool BackgroundPathAccepted(const QString &path)
{
    static const QSet<QString> types = {QStringLiteral("bmp"), QStringLiteral("dib"), QStringLiteral("gif"),
                                        QStringLiteral("jpg"), QStringLiteral("wmf"), QStringLiteral("emf"),
                                        QStringLiteral("ico"), QStringLiteral("cur")};
    if (path.size() < 3 || !QFileInfo(path).isFile())
        return false;
    return types.contains(path.right(3).toLower());
}

void Load(const QString &appName, ProfileOptions &o, int32_t &bkgColor)
{
    for (const Binding &b : Bindings) {
        // "myFixedHeight" is asked for as the load always did; the store finds
        // "MyFixedHeight" under it.
        const QString key = qstrcmp(b.entry.key, "MyFixedHeight") == 0 ? QStringLiteral("myFixedHeight")
                                                                        : QString::fromLatin1(b.entry.key);
        const QString text = GetSetting(appName, Section, key, QString::fromLatin1(b.entry.defaultText));
        Assign(b, o, bkgColor, text);
        if (qstrcmp(b.entry.key, "BackBmp") == 0 && !BackgroundPathAccepted(o.BackBmp))
            o.BackBmp.clear();
    }
}

void Save(const QString &appName, const ProfileOptions &o, int32_t bkgColor)
{
    auto write = [&](const Binding &b) {
        QString text;
        if (Text(b, o, bkgColor, &text))
            SaveSetting(appName, Section, QString::fromLatin1(b.entry.key), text);
    };
    for (const Binding &b : Bindings)
        if (!IsFontKey(b.entry.key))
            write(b);
    for (const char *prefix : {"AX_", "AY_", "P_", "N_", "L_", "T_"})
        for (const Binding &b : Bindings)
            if (QByteArray(b.entry.key).startsWith(prefix))
                write(b);
}

void LoadPlacement(const QString &appName, WindowPlacement &p)
{
    auto read = [&](const char *word, int32_t &value, int32_t def) {
        double v = 0;
        if (ReadWhole(GetSetting(appName, Section, WindowName + QLatin1String(word), QString::number(def)),
                      -2147483648.0, 2147483647.0, &v))
            value = int32_t(v);
    };
    // Tall enough on first opening for the place names above the profile and
    // the kilometres below it; 5000 left a picture of some 190 pixels that cut both.
    read("height", p.height, 7500);
    read("width", p.width, 11500);
    read("left", p.left, 225);
    read("top", p.top, 2025);
}

void SavePlacement(const QString &appName, const WindowPlacement &p)
{
    SaveSetting(appName, Section, WindowName + QStringLiteral("height"), QString::number(p.height));
    SaveSetting(appName, Section, WindowName + QStringLiteral("width"), QString::number(p.width));
    SaveSetting(appName, Section, WindowName + QStringLiteral("left"), QString::number(p.left));
    SaveSetting(appName, Section, WindowName + QStringLiteral("top"), QString::number(p.top));
}

} // namespace ProfileSettings
