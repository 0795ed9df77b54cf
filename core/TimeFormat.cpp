#include "core/TimeFormat.h"

#include <QLocale>
#include <cmath>
#include <cstdint>

QString TimeSeparator()
{
    // The first character after the hours in the locale's short time format.
    const QString format = QLocale().timeFormat(QLocale::ShortFormat);
    const qsizetype h = format.indexOf(QLatin1Char('h'), 0, Qt::CaseInsensitive);
    if (h >= 0) {
        qsizetype i = h;
        while (i < format.size() && format.at(i).toLower() == QLatin1Char('h'))
            ++i;
        if (i < format.size() && !format.at(i).isLetterOrNumber() && !format.at(i).isSpace())
            return QString(format.at(i));
    }
    return QStringLiteral(":");
}

QString FormatSeconds(double Seconds)
{
    if (Seconds == 0)
        return QStringLiteral("00.00.00");
    if (!std::isfinite(Seconds))
        return QStringLiteral("00.00.00");
    // nearbyint rounds halves to the even neighbour in the default rounding mode.
    const double rounded = std::nearbyint(Seconds);
    const bool negative = rounded < 0;
    const double magnitude = std::fabs(rounded);
    const int64_t s = magnitude > 9.0e15 ? int64_t(9.0e15) : int64_t(magnitude);
    const QString sep = TimeSeparator();
    auto two = [](int64_t v) { return QString::number(v).rightJustified(2, QLatin1Char('0')); };
    return (negative ? QStringLiteral("-") : QString()) + two(s / 3600) + sep + two((s % 3600) / 60) + sep
        + two(s % 60);
}
