// Durations as hh:mm:ss.
#include "CoreTestSupport.h"
#include "core/TimeFormat.h"

#include <gtest/gtest.h>

TEST(FormatSeconds, RoundsHalvesToEvenAndUsesTheTimeSeparator)
{
    TestSupport::LocaleScope us(QLocale(QLocale::English, QLocale::UnitedStates));
    struct Case { double seconds; const char *text; };
    for (const Case &c : {Case{0, "00.00.00"}, Case{0.4, "00:00:00"}, Case{59.5, "00:01:00"}, Case{58.5, "00:00:58"},
                          Case{3600, "01:00:00"}, Case{3725, "01:02:05"}, Case{36000, "10:00:00"},
                          Case{90000, "25:00:00"}, Case{-5, "-00:00:05"}}) {
        SCOPED_TRACE(c.seconds);
        EXPECT_EQ(FormatSeconds(c.seconds), QLatin1String(c.text));
    }
    // "00.00.00" for zero whatever the locale; a locale with a point between
    // hours and minutes gets points.
    TestSupport::LocaleScope fi(QLocale(QLocale::Finnish, QLocale::Finland));
    EXPECT_EQ(FormatSeconds(0), QStringLiteral("00.00.00"));
    EXPECT_EQ(FormatSeconds(3725), QStringLiteral("01.02.05"));
}
