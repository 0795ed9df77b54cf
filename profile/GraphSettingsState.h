#pragma once
// What the profile settings dialog shows, as plain values: one field per
// control that holds an option. Load turns the profile window's options into
// these values, Apply turns them back; the dialog only puts them into its
// controls and reads them out again.
//
// Load then Apply normalises: on/off options become 1 (check boxes) or -1
// (option pairs, font flags), widths 1 or 2, guide-line styles 0 or 2, icon
// sizes 16 or 32, the four scale factors hundredths. A list value that is not
// one of the list's items shows no item and is kept. Values beyond a control's
// range load as the nearest end of that range.
#include "profile/ProfileOptions.h"

#include <QString>
#include <QStringList>
#include <array>
#include <cstdint>

namespace GraphSettings {

// The ranges of the four scroll bars (all start at 0) and of the fill list.
constexpr int ScrollXMax = 99, ScrollYMax = 99, ScrollCXMax = 120, ScrollCYMax = 120;
constexpr int FillStyleCount = 8;

// A font sample label: the font and its colour.
struct FontState {
    QString name;
    float size = 8;
    bool bold = false, italic = false, strikethru = false, underline = false;
    int32_t color = 0;
    bool operator==(const FontState &) const = default;
};

struct State {
    // Check boxes: 0 or 1.
    int chkBmp = 0, chkMarkLine = 0, chkQRif = 0, chkAlt = 0, chkLegend = 0, chkTitle = 0, chkPend = 0,
        chkNote = 0, chkIcon = 0, chkHeightMode = 0;
    // Option pairs: which element is selected (0 or 1).
    int optWall = 1, optMarkLineWidth = 1, optGlines = 1, optIcon = 1, optNote = 0, optGraph = 0;
    // Scroll bar positions; a vertical bar's top (0) is its largest option value.
    int scrollX = 0, scrollY = 0, scrollCX = 0, scrollCY = 0;
    // List indexes; -1: no item selected.
    int cmbFillmode = -1, cmbTacInt = -1, cmbQInt = -1, cmbQMax = -1;
    // Colour buttons (colour numbers, red in the low byte).
    int32_t cmdYColor = 0, cmdMarkLineColor = 0, cmdQRifColor = 0, cmdRifAlt = 0, cmdFlagColor = 0, cmdBkgColor = 0;
    std::array<int32_t, 2> cmdTacColor{}, cmdGColor1{}, cmdSVGColor1{};
    std::array<int32_t, 4> cmdGraphColor{};
    // Font sample labels.
    FontState lblAy, lblAx, lblPend, lblLegend, lblNote, lblName;
    // The background picture path.
    QString lblBmp;
};

// The dialog's values for the window's options and its drawing area's back colour.
State Load(const ProfileOptions &o, int32_t bkgColor);
// Writes the dialog's values into the options and the back colour.
void Apply(const State &s, ProfileOptions &o, int32_t &bkgColor);

// The fixed items of the lists, the same in every language.
QStringList FillModeItems();
QStringList TacIntItems();    // km
QStringList QIntItems();      // m
QStringList QMaxItems();      // m
// The option value of a list item (index within the list above).
float TacIntValue(int index);
float QIntValue(int index);
int16_t QMaxValue(int index);

} // namespace GraphSettings
