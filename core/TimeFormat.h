#pragma once
// Durations shown to the user: recordings, list statistics.
#include <QString>

// Seconds as "hh:mm:ss" with the user's time separator. Exactly 0 gives the
// fixed "00.00.00"; other values are rounded to whole seconds, halves to the
// even neighbour. Hours run on past 23 ("25:00:00"); a negative duration
// gets a leading minus.
QString FormatSeconds(double Seconds);

// The separator between hours and minutes of the user's locale (":" in most).
QString TimeSeparator();
