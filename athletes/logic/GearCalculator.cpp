#include "athletes/logic/GearCalculator.h"

#include "core/ValueParsing.h"
#include "platform/shell/Shell.h"

#include <cmath>

namespace Gears {

namespace {
// Fixed decimals with the locale's mark, halves rounded away from zero.
QString Fixed(double v, int decimals, const QLocale &locale)
{
    const double scale = std::pow(10.0, decimals);
    const double r = std::round(v * scale) / scale;
    QLocale l = locale;
    l.setNumberOptions(QLocale::OmitGroupSeparator);
    return Shell::NumberText(l, r, 'f', decimals);
}
}

int CadenceFromPosition(int position)
{
    return CadenceMax + CadenceMin - position;
}

bool ReadCircumference(const QString &text, const QLocale &locale, float *value)
{
    double v = 0;
    // Beyond what a float holds is no circumference either.
    if (!ParseDecimal(text, locale, &v) || std::fabs(v) > 3.4e38)
        return false;
    if (value)
        *value = float(v);
    return true;
}

QString Speed(int front, int rear, int cadence, float circumference, const QLocale &locale)
{
    if (rear == 0)
        return Placeholder();
    const double speed = double(front) / double(rear) * 0.06 * double(circumference) * double(cadence);
    return Fixed(speed, 2, locale);
}

Result Compute(int front, int rear, int cadence, const QString &circumference, const QLocale &locale)
{
    Result r;
    float w = 0;
    if (rear == 0 || !ReadCircumference(circumference, locale, &w))
        return r;
    const float g = float(front) / float(rear);
    const float development = w * g;
    const double speed = double(w) * (double(g) * 0.06) * double(cadence);
    r.ok = true;
    r.ratio = Fixed(g, 3, locale);
    r.development = Fixed(development, 3, locale);
    r.speed = Fixed(speed, 2, locale);
    return r;
}

} // namespace Gears
