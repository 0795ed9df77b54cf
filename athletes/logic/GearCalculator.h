#pragma once
// The gear calculator of the athlete card: chainring and sprocket teeth, the
// cadence and the tyre circumference give the gear ratio, the development
// (metres per crank turn) and the speed, as the card's displays show them.
#include <QLocale>
#include <QString>

namespace Gears {

// Slider ranges and starting positions.
constexpr int FrontMin = 24, FrontMax = 55, FrontStart = 39;
constexpr int RearMin = 11, RearMax = 32, RearStart = 16;
constexpr int CadenceMin = 10, CadenceMax = 140, CadenceStart = 80;

// The cadence slider is vertical and read the other way round: its top gives
// the highest cadence. Position 80 is 70 rpm.
int CadenceFromPosition(int position);

struct Result {
    bool ok = false;       // false: the circumference is not a number
    QString ratio;         // "2.438"
    QString development;   // m per crank turn, "5.119"
    QString speed;         // km/h, "21.50"
};

// front / rear teeth, cadence in rpm, circumference in metres as the field
// shows it (the locale's decimal mark, or a point). Texts in the locale's form.
Result Compute(int front, int rear, int cadence, const QString &circumference,
               const QLocale &locale = QLocale());

// The circumference text read as a single-precision number; false when it is
// not one (an empty field is not a number).
bool ReadCircumference(const QString &text, const QLocale &locale, float *value);

// Speed alone, as the cadence slider recomputes it.
QString Speed(int front, int rear, int cadence, float circumference, const QLocale &locale = QLocale());

// Texts the displays show before any athlete's gear was computed.
inline QString Placeholder() { return QStringLiteral("-----"); }

} // namespace Gears
