#pragma once
// Reading and writing numbers, dates and times as the user types them.
#include <QString>
#include <cstdint>

class QLocale;
class QTime;

// The character code of the user's decimal separator, or Default.
int16_t GetDecimalSeparator(int16_t Default);
// Every "," becomes ".".
QString CommaToPoint(const QString &Text);

// Reads a number written with either decimal mark ("3,5" or "3.5"), in the
// user's locale first; group separators are not accepted. False when the text
// is not a number.
bool ParseDecimal(const QString &Text, double *Value);
// The same in the given locale first.
bool ParseDecimal(const QString &Text, const QLocale &locale, double *Value);
// Reads a date, a time or both in the user's locale (and ISO forms). hasTime
// tells whether a time part was given; a date alone is midnight.
bool ParseDateTime(const QString &Text, QTime *TimeOfDay, bool *hasDate = nullptr, bool *hasTime = nullptr);
// A time of day in the user's time format.
QString FormatTimeOfDay(const QTime &t);
