#pragma once
// The simulator panels of the card windows: from a climbing rate (climbs) or a
// flat-road speed (routes), rider weight and, for climbs, cadence and bike kind,
// estimate time, speed, power, energy, power per kilogram and a gear.
//
// The window keeps a ClimbReadouts / RouteReadouts (the captions of its
// read-out labels), passes the card's texts and the sliders' positions, and
// copies the read-outs to its labels after each call. A call whose gate fails
// leaves the read-outs as they were; a call that fails writes placeholders.
#include <QLocale>
#include <QString>
#include <cstdint>

namespace Simulators {

// A vertical slider whose top stands for its largest value.
struct Slider {
    int min = 0;
    int max = 0;
    int position = 0;
    int Value() const { return max + min - position; }
};

// ---- shared pieces -----------------------------------------------------------
// Seconds as hours:minutes:seconds with two digits each; hours are not wrapped
// at 24 (3,600,000 s -> "1000:00:00"); a negative time gets a leading minus.
QString FormatDuration(double seconds);
// The speed colour ramp: x = round(f * 382); up to 127 RGB(x+128, 255, 0),
// above RGB(255, 382-x, 0). Red in the low byte.
uint32_t SpeedRampColour(double fraction);
inline uint32_t Rgb(int r, int g, int b) { return uint32_t(r) | (uint32_t(g) << 8) | (uint32_t(b) << 16); }

enum BikeKind { Road = 0, MountainBike = 1 };
struct Gearing {
    int16_t chainrings[3] = {30, 39, 53};  // small, middle, large
    float wheelCircumference = 2.12f;      // m
};
Gearing GearingOf(BikeKind kind);          // road 30/39/53, 2.12 m; MTB 28/38/48, 1.98 m

// The gear rule: the sprocket on which cadence C with chainring r gives the
// speed K is Int(wheel * r * C * 6 / 100 / K). The large ring is kept up to
// sprocket 22, the middle up to 28, else the small ring.
struct GearChoice {
    int chainring = 0;              // teeth of the suggested chainring
    double sprocket = 0;            // teeth of the suggested sprocket (rounded down)
    int16_t storedChainring = 0;    // last choice of the rule as the window keeps it
    int16_t storedSprocket = 0;     // (the small ring's sprocket is not stored)
};
GearChoice SuggestGear(const Gearing &gearing, int cadence, double speedKmh);

// ---- climbs ------------------------------------------------------------------
struct ClimbInput {
    QString length;         // km, txtFields(1)
    QString startAltitude;  // m, txtFields(2)
    QString endAltitude;    // m, txtFields(3)
    QString recordCount;    // caption of lblNumero
    bool adding = false;    // a new card is being entered (cmdUpdate enabled, cmdAdd disabled)
    Slider rate{300, 1800, 1500};    // Slider1, climbing rate m/h
    Slider cadence{50, 90, 70};      // Slider2, rpm
    Slider weight{30, 130, 90};      // Slider3, rider and bike kg
};

struct ClimbReadouts {
    QString time = QStringLiteral("--.--.--");     // Label5(1)
    QString speed = QStringLiteral("--,--");       // Label5(3), km/h
    QString rate = QStringLiteral("----");         // Label5(5), m/h
    QString power = QStringLiteral("----");        // Label5(6), W
    QString energy = QStringLiteral("----");       // Label5(9), kcal
    QString powerPerKg = QStringLiteral("----");   // Label5(11)
    QString weight = QStringLiteral("--");         // Label5(10), kg
    QString chainring = QStringLiteral("--");      // Label7(2)
    QString sprocket = QStringLiteral("--");       // Label7(3)
    uint32_t rateColour = 0;                       // text colour of Label5(5)
    bool rateColourSet = false;                    // false until the ramp first ran
};

class ClimbSimulator {
public:
    // Each returns true when the read-outs were recomputed, false when the gate
    // failed (nothing changed) or the computation failed (placeholders written).
    bool RateChanged(const ClimbInput &in, ClimbReadouts &out, const QLocale &locale = QLocale());
    bool CadenceChanged(const ClimbInput &in, ClimbReadouts &out, const QLocale &locale = QLocale());
    bool WeightChanged(const ClimbInput &in, ClimbReadouts &out, const QLocale &locale = QLocale());
    // Bike kind 0 road, 1 mountain bike, anything else keeps the gearing; then
    // recomputes as RateChanged does.
    bool SetBikeKind(int index, const ClimbInput &in, ClimbReadouts &out, const QLocale &locale = QLocale());

    const Gearing &gearing() const { return m_gearing; }
    int16_t suggestedChainring() const { return m_chainring; }
    int16_t suggestedSprocket() const { return m_sprocket; }

private:
    void ApplyGear(int cadence, double kmh, ClimbReadouts &out);
    Gearing m_gearing;
    int16_t m_chainring = 0;
    int16_t m_sprocket = 0;
};

// ---- routes ------------------------------------------------------------------
struct RouteInput {
    QString length;         // km, txtFields(1)
    QString recordCount;    // caption of lblNumero
    bool adding = false;    // a new card is being entered
    Slider speed{1, 8000, 6000};     // Slider1, hundredths of km/h
    Slider weight{30, 130, 90};      // Slider3, kg
};

struct RouteReadouts {
    QString time = QStringLiteral("--.--.--");     // Label3(1)
    QString speed = QStringLiteral("--,--");       // Label3(3), km/h
    QString power = QStringLiteral("----");        // Label3(4), W
    QString powerPerKg = QStringLiteral("----");   // Label3(5)
    QString energy = QStringLiteral("----");       // Label3(6), kcal
    QString weight = QStringLiteral("--");         // Label5(10), kg
    uint32_t speedColour = 0;                      // text colour of Label3(3)
    bool speedColourSet = false;
};

bool RouteSpeedChanged(const RouteInput &in, RouteReadouts &out, const QLocale &locale = QLocale());
bool RouteWeightChanged(const RouteInput &in, RouteReadouts &out, const QLocale &locale = QLocale());

} // namespace Simulators
