#pragma once
// The three figures of a climb card: height difference, mean gradient and
// difficulty, each with its colour class (green, blue, orange, red from easy
// to hard). The card's texts go in as the user sees them; what the figure label
// should show comes out. The window only copies caption and colour to its label.
#include <QLocale>
#include <QString>
#include <cstdint>

namespace ClimbFigures {

// Text colours of the classes (24-bit RGB, red in the low byte).
constexpr uint32_t ColourClass1 = 32768;     // green  #008000
constexpr uint32_t ColourClass2 = 16711680;  // blue   #0000FF
constexpr uint32_t ColourClass3 = 33023;     // orange #FF8000
constexpr uint32_t ColourClass4 = 255;       // red    #FF0000, also every error
// Caption of a figure that cannot be computed (and the labels' caption before the first figure).
inline QString Placeholder() { return QStringLiteral("- - -"); }

uint32_t ClassColour(int colourClass);     // 1..4; anything else gives red
// A value equal to a bound belongs to the lower class.
int GapClass(int32_t heightDifference);    // <= 500, <= 1000, <= 1500, above
int SlopeClass(float gradient);            // fraction: <= 0.04f, <= 0.07f, <= 0.10f, above
int DifficultyClass(float difficulty);     // <= 40, <= 70, <= 100, above

// The card texts the figures are computed from.
struct CardTexts {
    QString length;         // km, txtFields(1)
    QString startAltitude;  // m, txtFields(2)
    QString endAltitude;    // m, txtFields(3)
    QString recordCount;    // caption of lblNumero
};

// What a figure label should show after a computation.
struct Figure {
    enum State {
        Unchanged,  // no record: keep the label's caption and colour as they are
        Shown,      // caption and colour hold the figure
        Failed      // caption "- - -" in red
    };
    State state = Unchanged;
    QString caption;
    uint32_t colour = ColourClass4;
    int colourClass = 4;
    double value = 0;       // the figure itself: metres, fraction, or difficulty
};

// Height difference D = end - start in whole metres. Each height must be a
// 16-bit whole number; D itself is computed in 32 bits (no overflow).
Figure HeightDifference(const CardTexts &card, const QLocale &locale = QLocale());
// Mean gradient D / length / 1000 as a fraction, shown as "7.4%".
Figure MeanGradient(const CardTexts &card, const QLocale &locale = QLocale());
// Difficulty D^2/(1000 L) + 0.4 D/L, shown as "93.25". D is computed before the
// record count is looked at, so an empty card gives a red "- - -".
Figure Difficulty(const CardTexts &card, const QLocale &locale = QLocale());

} // namespace ClimbFigures
