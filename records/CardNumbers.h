#pragma once
// Reading and showing the numbers of a route or climb card.
//
// Numbers typed by the user are read in the user's locale, but a text written
// with the other decimal mark ("1.5" under a comma locale, "1,5" under a point
// locale) is read as the decimal the user meant, never as a thousands group.
// Whole numbers round halves to the even neighbour. Every failure throws
// VbError (13 type mismatch, 6 overflow, 11 division by zero) so that callers
// can take their one error path.
#include <QLocale>
#include <QString>
#include <cstdint>
#include <optional>

namespace CardNumbers {

constexpr int ErrDivisionByZero = 11;

// The number a text stands for; throws 13 when the text is empty or not a number.
double ReadNumber(const QString &text, const QLocale &locale = QLocale());
// True when ReadNumber would succeed.
bool IsNumber(const QString &text, const QLocale &locale = QLocale());

// Round to the nearest whole number, halves to even (2.5 -> 2, 3.5 -> 4).
double RoundHalfEven(double value);
// Rounded and checked against the 16-bit / 32-bit signed range (error 6 outside).
int16_t ToInt16(double value);
int32_t ToInt32(double value);
// A text read as a whole number within 16 bits (a height, a record count ...).
int16_t ReadInt16(const QString &text, const QLocale &locale = QLocale());
// A stored setting read as a whole number (locale form first, then the C
// form; halves to the even neighbour), or nothing when it is not a number.
std::optional<qint64> ReadSettingNumber(const QString &text);
// A text read as a single-precision number.
float ReadSingle(const QString &text, const QLocale &locale = QLocale());

// Throws error 11 when the divisor is zero, error 6 when the result is not finite.
double Divide(double numerator, double denominator);
float DivideF(float numerator, float denominator);

// Display patterns, with the locale's decimal separator and no group separator:
// "0.#0"  -> at least one integer digit and two decimals (0.5 -> 0.50)
// "0#.#0" -> two decimals, at least two integer digits (9.5 -> 09.50)
// "0.0%"  -> the fraction times 100 with one decimal and a percent sign
QString FormatFixed2(double value, const QLocale &locale = QLocale());
QString FormatPadded2(double value, const QLocale &locale = QLocale());
QString FormatPercent1(double fraction, const QLocale &locale = QLocale());

} // namespace CardNumbers
