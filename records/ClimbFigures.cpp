#include "records/ClimbFigures.h"

#include "platform/error/VbError.h"
#include "records/CardNumbers.h"

#include <cmath>

using namespace CardNumbers;

namespace ClimbFigures {

uint32_t ClassColour(int colourClass)
{
    switch (colourClass) {
    case 1: return ColourClass1;
    case 2: return ColourClass2;
    case 3: return ColourClass3;
    default: return ColourClass4;
    }
}

int GapClass(int32_t d)
{
    if (d <= 500) return 1;
    if (d <= 1000) return 2;
    if (d <= 1500) return 3;
    return 4;
}

int SlopeClass(float p)
{
    if (p <= 0.04f) return 1;
    if (p <= 0.07f) return 2;
    if (p <= 0.10f) return 3;
    return 4;
}

int DifficultyClass(float d)
{
    if (d <= 40.0f) return 1;
    if (d <= 70.0f) return 2;
    if (d <= 100.0f) return 3;
    return 4;
}

namespace {

Figure Failed()
{
    Figure f;
    f.state = Figure::Failed;
    f.caption = Placeholder();
    f.colour = ColourClass4;
    f.colourClass = 4;
    return f;
}

Figure Shown(int cls, const QString &caption, double value)
{
    Figure f;
    f.state = Figure::Shown;
    f.colourClass = cls;
    f.colour = ClassColour(cls);
    f.caption = caption;
    f.value = value;
    return f;
}

bool HasRecords(const CardTexts &card, const QLocale &locale)
{
    return ReadNumber(card.recordCount, locale) > 0;
}

int32_t Gap(const CardTexts &card, const QLocale &locale)
{
    return int32_t(ReadInt16(card.endAltitude, locale)) - int32_t(ReadInt16(card.startAltitude, locale));
}

} // namespace

Figure HeightDifference(const CardTexts &card, const QLocale &locale)
{
    try {
        if (!HasRecords(card, locale))
            return Figure();
        const int32_t d = Gap(card, locale);
        return Shown(GapClass(d), QString::number(d), d);
    } catch (const VbError &) {
        return Failed();
    }
}

Figure MeanGradient(const CardTexts &card, const QLocale &locale)
{
    try {
        if (!HasRecords(card, locale))
            return Figure();
        const float length = ReadSingle(card.length, locale);
        const int32_t d = Gap(card, locale);
        const float p = float(Divide(Divide(double(d), double(length)), 1000.0));
        return Shown(SlopeClass(p), FormatPercent1(p, locale), p);
    } catch (const VbError &) {
        return Failed();
    }
}

Figure Difficulty(const CardTexts &card, const QLocale &locale)
{
    try {
        const float d = float(Gap(card, locale));
        if (!HasRecords(card, locale))
            return Figure();
        const float length = ReadSingle(card.length, locale);
        const double a = Divide(Divide(std::pow(double(d), 2.0), double(length)), 1000.0);
        const float b = DivideF(DivideF(4.0f * d, length), 10.0f);
        const float difficulty = float(a + double(b));
        if (!std::isfinite(difficulty))
            RaiseError(VbErr::Overflow, QStringLiteral("Overflow"));
        return Shown(DifficultyClass(difficulty), FormatFixed2(difficulty, locale), difficulty);
    } catch (const VbError &) {
        return Failed();
    }
}

} // namespace ClimbFigures
