#pragma once
// The drawing options of the profile window, kept in settings section
// "Altimetria". The fields carry their defaults from the start, so a stored
// text that does not convert leaves a field at a usable value (its default
// the first time in a run), never at 0.
//
// Colours are 24-bit numbers with red in the low byte. An on/off option is on
// when it is not 0 (both 1 and -1 occur).
#include <QString>
#include <cstdint>

struct ProfileOptions {
    int16_t DrawWall = 0;
    QString BackBmp;
    int16_t DrawMarkLine = 0;
    int16_t MarkLineWidth = 1;
    int32_t MarkLineColor = 0;
    int16_t GuideLines = 1;
    int16_t GuideLinesStyle = 2;
    float PercX = 1.38f;
    float PercY = 1.60f;
    float X0Perc = 0.06f;
    float Y0Perc = 0.12f;
    int32_t TacColor1 = 0;
    int32_t TacColor2 = 16777215;
    int32_t SVGGradColor1 = 16777215;
    int32_t SVGGradColor2 = 0;
    int32_t GradColor1 = 16777215;
    int32_t GradColor2 = 16777215;
    int16_t PaintBackBmp = 0;
    int16_t DrawLegend = 1;
    int16_t DrawTitle = 1;
    int16_t DrawPend = 0;
    int16_t DrawNote = 1;
    int16_t DrawIcon = 1;
    int16_t IconDim = 32;
    int16_t DrawImage = 1;
    int16_t DrawFlag = 0;
    int16_t DrawQRif = 0;
    int32_t Flag_Color = 255;
    int16_t Graph_FillStyle = 0;
    int16_t Graph_Type = 0;
    float TacInt = 1;
    float Q_Int = 100;
    int32_t YColor = 0;
    int32_t QRifColor = 0;
    int32_t AltRifColor = 255;
    int32_t Pend4_Color = 65280;
    int32_t Pend7_Color = 16711680;
    int32_t Pend10_Color = 44782;
    int32_t PendH_Color = 255;
    int16_t MyFixedHeight = 2000;
    int16_t FixedHeight = 0;

    int16_t AY_FontBold = 0, AY_FontItalic = 0;
    QString AY_FontName = QStringLiteral("Arial");
    float AY_FontSize = 8;
    int16_t AY_FontStrikethru = 0, AY_FontUnderline = 0;
    int32_t AY_Color = 0;

    int16_t AX_FontBold = 0, AX_FontItalic = 0;
    QString AX_FontName = QStringLiteral("Arial");
    float AX_FontSize = 8;
    int16_t AX_FontStrikethru = 0, AX_FontUnderline = 0;
    int32_t AX_Color = 0;

    int16_t P_FontBold = 0, P_FontItalic = 0;
    QString P_FontName = QStringLiteral("Arial");
    float P_FontSize = 8;
    int16_t P_FontStrikethru = 0, P_FontUnderline = 0;
    int32_t P_Color = 0;

    int16_t L_FontBold = 0, L_FontItalic = 0;
    QString L_FontName = QStringLiteral("Arial");
    float L_FontSize = 8;
    int16_t L_FontStrikethru = 0, L_FontUnderline = 0;
    int32_t L_Color = 0;

    int16_t N_FontBold = 0, N_FontItalic = 0;
    QString N_FontName = QStringLiteral("Arial");
    float N_FontSize = 8;
    int16_t N_FontStrikethru = 0, N_FontUnderline = 0;
    int32_t N_Color = 0;

    int16_t T_FontBold = 0, T_FontItalic = 0;
    QString T_FontName = QStringLiteral("Arial");
    float T_FontSize = 8;
    int16_t T_FontStrikethru = 0, T_FontUnderline = 0;
    int32_t T_Color = 0;

    // Set by the SVG export at its start; never stored.
    int16_t SvgX_Graph = 0, SvgY_Graph = 0, SvgX0 = 0, SvgY0 = 0, SvgxOff = 0, SvgyOff = 0, alt_Offset = 0;
};

// One font group (the seven options of one prefix), read or written as a whole.
struct ProfileFont {
    int16_t FontBold = 0, FontItalic = 0;
    QString FontName;
    float FontSize = 8;
    int16_t FontStrikethru = 0, FontUnderline = 0;
    int32_t Color = 0;
};
enum class FontGroup { AY, AX, P, L, N, T };
ProfileFont GetFontGroup(const ProfileOptions &o, FontGroup g);
void SetFontGroup(ProfileOptions &o, FontGroup g, const ProfileFont &f);

namespace ProfileSettings {

inline const QString Section = QStringLiteral("Altimetria");
constexpr int DefaultBkgColor = 16777215;

// Stored kinds of value.
enum class Kind { Integer, Colour, Float, Hundredths, FontSize, Text };

// One stored option: its key, kind and default text.
struct Entry {
    const char *key;
    Kind kind;
    const char *defaultText;
};
// Every stored option in load order (fonts AX_, AY_, N_, P_, L_, T_), "BkgColor" in its place.
const Entry *Entries(int *count);

// The window keys in twips (15 a pixel): "frmAltimetria" followed by the word.
struct WindowPlacement {
    int32_t height = 5000, width = 11500, left = 225, top = 2025;
};

// Reads every option of the section into `o` and the back colour into
// `bkgColor`. A missing key gives the default; a text that does not convert
// leaves the value as it was. Numbers are read with either decimal mark.
// A background picture path that names no file, or whose last three
// characters are not a picture type (any case), reads as empty.
void Load(const QString &appName, ProfileOptions &o, int32_t &bkgColor);
// Writes every option and the back colour. A value that cannot be written
// (hundredths beyond 16 bits) leaves its key as stored.
void Save(const QString &appName, const ProfileOptions &o, int32_t bkgColor);

// The window keys: missing keys give the defaults, bad texts keep the value.
void LoadPlacement(const QString &appName, WindowPlacement &p);
void SavePlacement(const QString &appName, const WindowPlacement &p);

// Whether a stored background picture path is kept.
bool BackgroundPathAccepted(const QString &path);

} // namespace ProfileSettings
