#include "records/CardNumbers.h"

#include "platform/error/VbError.h"
#include "platform/shell/Shell.h"

#include <cfenv>
#include <cmath>
#include <limits>

namespace CardNumbers {

namespace {

QLocale Strict(const QLocale &locale)
{
    QLocale l(locale);
    l.setNumberOptions(QLocale::RejectGroupSeparator | QLocale::OmitGroupSeparator);
    return l;
}

QLocale Plain(const QLocale &locale)
{
    QLocale l(locale);
    l.setNumberOptions(QLocale::OmitGroupSeparator);
    return l;
}

bool TryRead(const QString &text, const QLocale &locale, double &out)
{
    const QString t = text.trimmed();
    if (t.isEmpty())
        return false;
    const QLocale strict = Strict(locale);
    bool ok = false;
    double v = strict.toDouble(t, &ok);
    if (ok && std::isfinite(v)) {
        out = v;
        return true;
    }
    // The other decimal mark: "1.5" under a comma locale, "1,5" under a point one.
    const QString dec = strict.decimalPoint();
    QString swapped = t;
    if (dec == QLatin1String(","))
        swapped.replace(QLatin1Char('.'), QLatin1Char(','));
    else if (dec == QLatin1String("."))
        swapped.replace(QLatin1Char(','), QLatin1Char('.'));
    else
        return false;
    if (swapped.count(dec) > 1)
        return false;
    v = strict.toDouble(swapped, &ok);
    if (ok && std::isfinite(v)) {
        out = v;
        return true;
    }
    return false;
}

} // namespace

double ReadNumber(const QString &text, const QLocale &locale)
{
    double v = 0;
    if (!TryRead(text, locale, v))
        RaiseError(VbErr::TypeMismatch, QStringLiteral("Type mismatch"));
    return v;
}

bool IsNumber(const QString &text, const QLocale &locale)
{
    double v = 0;
    return TryRead(text, locale, v);
}

double RoundHalfEven(double value)
{
    // The default floating-point rounding mode rounds halves to even.
    return std::nearbyint(value);
}

int16_t ToInt16(double value)
{
    const double r = RoundHalfEven(value);
    if (!std::isfinite(r) || r < -32768.0 || r > 32767.0)
        RaiseError(VbErr::Overflow, QStringLiteral("Overflow"));
    return int16_t(r);
}

int32_t ToInt32(double value)
{
    const double r = RoundHalfEven(value);
    if (!std::isfinite(r) || r < -2147483648.0 || r > 2147483647.0)
        RaiseError(VbErr::Overflow, QStringLiteral("Overflow"));
    return int32_t(r);
}

int16_t ReadInt16(const QString &text, const QLocale &locale)
{
    return ToInt16(ReadNumber(text, locale));
}

float ReadSingle(const QString &text, const QLocale &locale)
{
    const double v = ReadNumber(text, locale);
    if (std::fabs(v) > double(std::numeric_limits<float>::max()))
        RaiseError(VbErr::Overflow, QStringLiteral("Overflow"));
    return float(v);
}

double Divide(double numerator, double denominator)
{
    if (denominator == 0.0)
        RaiseError(ErrDivisionByZero, QStringLiteral("Division by zero"));
    const double r = numerator / denominator;
    if (!std::isfinite(r))
        RaiseError(VbErr::Overflow, QStringLiteral("Overflow"));
    return r;
}

float DivideF(float numerator, float denominator)
{
    // The quotient of two singles worked in double and rounded once is the
    // single quotient itself; only the narrower range needs its own check.
    const float r = float(Divide(numerator, denominator));
    if (!std::isfinite(r))
        RaiseError(VbErr::Overflow, QStringLiteral("Overflow"));
    return r;
}

QString FormatFixed2(double value, const QLocale &locale)
{
    return Shell::NumberText(Plain(locale), value, 'f', 2);
}

QString FormatPadded2(double value, const QLocale &locale)
{
    const QLocale l = Plain(locale);
    QString s = Shell::NumberText(l, value, 'f', 2);
    const qsizetype digits = s.startsWith(l.negativeSign()) ? l.negativeSign().size() : 0;
    if (s.indexOf(l.decimalPoint()) == digits + 1)
        s.insert(digits, l.zeroDigit());
    return s;
}

QString FormatPercent1(double fraction, const QLocale &locale)
{
    return Shell::NumberText(Plain(locale), fraction * 100.0, 'f', 1) + QLatin1Char('%');
}

std::optional<qint64> ReadSettingNumber(const QString &text)
{
    const QString v = text.trimmed();
    if (v.isEmpty())
        return std::nullopt;
    bool ok = false;
    double d = QLocale().toDouble(v, &ok);
    if (!ok)
        d = QLocale::c().toDouble(v, &ok);
    if (!ok || !std::isfinite(d))
        return std::nullopt;
    // A number past the 64-bit range ("1e300") is no setting the program
    // wrote: converting it would be undefined.
    const double whole = RoundHalfEven(d);
    if (!(whole >= -9223372036854775808.0 && whole < 9223372036854775808.0))
        return std::nullopt;
    return static_cast<qint64>(whole);
}

} // namespace CardNumbers
