#include "records/Simulators.h"

#include "platform/error/VbError.h"
#include "records/CardNumbers.h"

#include <cmath>

using namespace CardNumbers;

namespace Simulators {

namespace {
const QString kTimeNone = QStringLiteral("--.--.--");
const QString kSpeedNone = QStringLiteral("--,--");
const QString kValueNone = QStringLiteral("----");
const QString kGearNone = QStringLiteral("--");

QString Two(int64_t v)
{
    return QString::number(v).rightJustified(2, QLatin1Char('0'));
}

// The height gained. A descent (or no gain) is not a climb: the simulator
// shows its placeholders rather than negative times, speeds and gears.
int32_t ClimbGap(const ClimbInput &in, const QLocale &locale)
{
    const int32_t d = int32_t(ReadInt16(in.endAltitude, locale)) - int32_t(ReadInt16(in.startAltitude, locale));
    if (d <= 0)
        RaiseError(VbErr::InvalidProcedureCall, QStringLiteral("No height gained"));
    return d;
}
} // namespace

QString FormatDuration(double seconds)
{
    const int32_t n = ToInt32(seconds);
    const int64_t a = std::llabs(int64_t(n));
    const int64_t hours = a / 3600;
    const int64_t minutes = (a % 3600) / 60;
    const int64_t secs = a % 3600 % 60;
    QString s = Two(hours) + QLatin1Char(':') + Two(minutes) + QLatin1Char(':') + Two(secs);
    if (n < 0)
        s.prepend(QLatin1Char('-'));
    return s;
}

uint32_t SpeedRampColour(double fraction)
{
    const int x = ToInt16(fraction * 382.0);
    if (x <= 127)
        return Rgb(x + 128, 255, 0);
    // Beyond the top of the scale the colour stays red rather than wrapping.
    return Rgb(255, std::max(0, 382 - x), 0);
}

Gearing GearingOf(BikeKind kind)
{
    Gearing g;
    if (kind == MountainBike) {
        g.chainrings[0] = 28;
        g.chainrings[1] = 38;
        g.chainrings[2] = 48;
        g.wheelCircumference = 1.98f;
    }
    return g;
}

GearChoice SuggestGear(const Gearing &gearing, int cadence, double kmh)
{
    auto sprocket = [&](int ring) {
        return std::floor(Divide(double(gearing.wheelCircumference) * ring * cadence * 6.0 / 100.0, kmh));
    };
    // The big ring while its sprocket has at most 22 teeth, else the middle
    // ring while it has at most 28; the sprocket of the last ring tried is
    // the one kept. Failing both, the small ring is shown whatever it needs.
    const struct { int ring; int maxSprocket; } tries[] = {{gearing.chainrings[2], 22},
                                                          {gearing.chainrings[1], 28}};
    GearChoice g;
    for (const auto &t : tries) {
        g.storedChainring = t.ring;
        g.storedSprocket = ToInt16(sprocket(t.ring));
        if (g.storedSprocket <= t.maxSprocket) {
            g.chainring = g.storedChainring;
            g.sprocket = g.storedSprocket;
            return g;
        }
    }
    g.chainring = gearing.chainrings[0];
    g.sprocket = sprocket(gearing.chainrings[0]);
    return g;
}

void ClimbSimulator::ApplyGear(int cadence, double kmh, ClimbReadouts &out)
{
    const GearChoice g = SuggestGear(m_gearing, cadence, kmh);
    m_chainring = g.storedChainring;
    m_sprocket = g.storedSprocket;
    out.chainring = QString::number(g.chainring);
    out.sprocket = QString::number(qint64(g.sprocket));
}

bool ClimbSimulator::RateChanged(const ClimbInput &in, ClimbReadouts &out, const QLocale &locale)
{
    try {
        if (!(ReadNumber(in.recordCount, locale) > 0 && !in.adding))
            return false;
        const int32_t r = in.rate.Value();
        const int32_t d = ClimbGap(in, locale);
        const double t = Divide(double(d), r / 3600.0);
        const float length = ReadSingle(in.length, locale);
        const float v = float(Divide(double(length) * 1000.0, t));
        const int32_t w = in.weight.Value();
        const float p = DivideF(float(d), length * 1000.0f);
        const int16_t power = ToInt16(((double(p) + 0.01) * w + 0.021 * double(v) * v) * v * 9.81);
        out.time = FormatDuration(t);
        out.speed = FormatPadded2(double(v) * 3.6, locale);
        out.rate = QString::number(2100 - in.rate.position);
        out.power = QString::number(power);
        out.energy = QString::number(ToInt16(power * t / 1116.31));
        out.powerPerKg = FormatFixed2(Divide(power, w), locale);
        out.rateColour = SpeedRampColour(Divide(in.rate.max - in.rate.position, in.rate.max));
        out.rateColourSet = true;
        const double kmh = Divide(double(length) * 1000.0, t) * 3.6;
        ApplyGear(140 - in.cadence.position, kmh, out);
        return true;
    } catch (const VbError &) {
        out.time = kTimeNone;
        out.speed = kSpeedNone;
        out.rate = out.power = out.energy = out.powerPerKg = kValueNone;
        out.chainring = out.sprocket = kGearNone;
        return false;
    }
}

bool ClimbSimulator::CadenceChanged(const ClimbInput &in, ClimbReadouts &out, const QLocale &locale)
{
    try {
        if (!(!in.adding && ReadNumber(in.recordCount, locale) > 0))
            return false;
        const int32_t r = 2100 - in.rate.position;
        const int32_t d = ClimbGap(in, locale);
        const double t = Divide(double(d), r / 3600.0);
        const float length = ReadSingle(in.length, locale);
        const double kmh = Divide(double(length) * 1000.0, t) * 3.6;
        ApplyGear(140 - in.cadence.position, kmh, out);
        return true;
    } catch (const VbError &) {
        out.time = kTimeNone;
        out.speed = kSpeedNone;
        out.rate = kValueNone;
        out.chainring = out.sprocket = kGearNone;
        return false;
    }
}

bool ClimbSimulator::WeightChanged(const ClimbInput &in, ClimbReadouts &out, const QLocale &locale)
{
    const int32_t w = in.weight.Value();
    out.weight = QString::number(w);
    try {
        if (!(ReadNumber(in.recordCount, locale) > 0 && !in.adding))
            return false;
        const int32_t d = ClimbGap(in, locale);
        const int16_t r = ToInt16(in.rate.Value());
        const float length = ReadSingle(in.length, locale);
        const float v = float(Divide(Divide(double(length) * r, 3.6), double(d)));
        const float p = DivideF(float(d), length * 1000.0f);
        const int16_t power = ToInt16(((double(p) + 0.01) * w + 0.021 * double(v) * v) * v * 9.81);
        out.power = QString::number(power);
        const float e = DivideF(float(power), float(r)) * float(d) * 3.22491f;
        out.energy = QString::number(ToInt16(e));
        out.powerPerKg = FormatFixed2(Divide(power, w), locale);
        return true;
    } catch (const VbError &) {
        out.power = out.energy = out.powerPerKg = kValueNone;
        return false;
    }
}

bool ClimbSimulator::SetBikeKind(int index, const ClimbInput &in, ClimbReadouts &out, const QLocale &locale)
{
    if (index == Road || index == MountainBike)
        m_gearing = GearingOf(BikeKind(index));
    return RateChanged(in, out, locale);
}

namespace {
struct RoutePower {
    float v;
    int32_t power;
};

RoutePower RouteFigures(const RouteInput &in)
{
    const int32_t s = in.speed.Value();
    const float v = float(s) / 360.0f;
    const int32_t m = in.weight.Value();
    const int32_t power = ToInt32((0.021 * double(v) * v + 0.01 * m) * v * 9.81);
    return {v, power};
}
} // namespace

bool RouteSpeedChanged(const RouteInput &in, RouteReadouts &out, const QLocale &locale)
{
    try {
        if (!(!in.adding && ReadNumber(in.recordCount, locale) > 0))
            return false;
        const int32_t s = in.speed.Value();
        const int32_t m = in.weight.Value();
        const RoutePower rp = RouteFigures(in);
        const float length = ReadSingle(in.length, locale);
        const double t = Divide(double(length) * 360000.0, s);
        out.time = FormatDuration(t);
        out.speed = FormatPadded2(s / 100.0, locale);
        out.power = QString::number(rp.power);
        out.energy = QString::number(ToInt32(length * Divide(Divide(rp.power, rp.v), 1.11631)));
        out.powerPerKg = FormatFixed2(Divide(float(rp.power), m), locale);
        out.speedColour = SpeedRampColour(Divide(s, in.speed.max - in.speed.min));
        out.speedColourSet = true;
        return true;
    } catch (const VbError &) {
        out.time = kTimeNone;
        out.speed = kSpeedNone;
        out.power = out.energy = out.powerPerKg = kValueNone;
        return false;
    }
}

bool RouteWeightChanged(const RouteInput &in, RouteReadouts &out, const QLocale &locale)
{
    const int32_t m = in.weight.Value();
    out.weight = QString::number(m);
    try {
        if (!(!in.adding && ReadNumber(in.recordCount, locale) > 0))
            return false;
        const RoutePower rp = RouteFigures(in);
        const float length = ReadSingle(in.length, locale);
        out.power = QString::number(rp.power);
        out.energy = QString::number(ToInt32(length * Divide(Divide(rp.power, rp.v), 1.11631)));
        out.powerPerKg = FormatFixed2(Divide(float(rp.power), m), locale);
        return true;
    } catch (const VbError &) {
        out.power = out.energy = out.powerPerKg = kValueNone;
        return false;
    }
}

} // namespace Simulators
