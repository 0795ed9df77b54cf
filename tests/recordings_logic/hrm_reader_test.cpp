// The .hrm reader over the real device files and over small fixtures.
#include "recordings/Hrm.h"
#include "recordings_support.h"

#include <gtest/gtest.h>

using namespace RecordingsTest;

namespace {
Hrm Read(const QByteArray &text, const QString &file = QStringLiteral("/rides/ride.hrm"))
{
    Hrm h;
    EXPECT_EQ(h.ReadHRMData(text, file), 1) << h.Failure().text << " " << h.Failure().args.join(',').toStdString();
    return h;
}
}

// Counts, units, first and last samples and lengths of every real recording.
TEST(HrmReader, RealDeviceFiles)
{
    struct Case {
        const char *file;
        int fields, count;
        bool us;
        const char *note;
        int firstPulse, firstHeight, lastSeconds, lastHeight;
        float length;
    };
    const Case cases[] = {
        {"s410-sample.hrm", 1, 110, false, "1 Schneller Kilometer", 91, 0, 0, 0, 0},
        {"s610-sample.hrm", 1, 1183, false, "s610-sample", 140, 0, 0, 0, 0},
        {"s625x-sample.hrm", 4, 858, false, "s625x-sample", 108, 571, 4285, 568, 20.2776f},
        {"s710-cycling-english.hrm", 3, 205, true, "s710-cycling-english", 83, 221, 3060, 241, 21.3842f},
        {"s710-cycling-metric.hrm", 3, 294, false, "s710-cycling-metric", 101, 240, 4395, 228, 30.3292f},
        {"s725-cycling-metric.hrm", 3, 3720, false, "s725-cycling-metric", 81, 219, 18595, 243, 112.3848f},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.file);
        Hrm h;
        ASSERT_EQ(h.ReadHRM(Device(QLatin1String(c.file))), 1) << h.Failure().Text().toStdString();
        EXPECT_EQ(h.Version(), QStringLiteral("106"));
        EXPECT_EQ(h.Fields_Count(), c.fields);
        EXPECT_EQ(h.swUnit(), c.us);
        EXPECT_EQ(h.Note(), QLatin1String(c.note));
        ASSERT_EQ(h.Samples()->Count(), c.count);
        const Sample &first = *h.Samples()->Item(1), &last = *h.Samples()->Item(c.count);
        EXPECT_EQ(first.Pulse(), c.firstPulse);
        EXPECT_EQ(first.Height(), c.firstHeight);
        EXPECT_EQ(first.Seconds(), 0);
        EXPECT_EQ(last.Seconds(), c.lastSeconds);
        EXPECT_EQ(last.Height(), c.lastHeight);
        EXPECT_NEAR(last.Distance(), c.length, 0.001);
    }
}

// US units: 7.6 mph is 12.23 km/h and 725 ft is 221 m (s710, second line 100 76 725).
TEST(HrmReader, UsUnitsConvertSpeedAndAltitude)
{
    Hrm h;
    ASSERT_EQ(h.ReadHRM(Device(QStringLiteral("s710-cycling-english.hrm"))), 1);
    const Sample &s = *h.Samples()->Item(2);
    EXPECT_NEAR(s.Speed(), 12.231, 0.001);
    EXPECT_EQ(s.Height(), 221);
    EXPECT_EQ(s.Seconds(), 15);
    EXPECT_NEAR(s.Distance(), 12.231 / 3600 * 15, 1e-5);
    EXPECT_EQ(h.HrmDate(), QDate(2002, 11, 20));
}

// Header values, flags and field kinds of the format's versions.
TEST(HrmReader, VersionsModesAndFieldKinds)
{
    // 106: speed, cadence, altitude; the line 120 251 85 412.
    Hrm a = Read(HrmText("106", "11100000", 5, {"120\t251\t85\t412"}));
    EXPECT_EQ(a.Fields_Count(), 4);
    const Sample &s = *a.Samples()->Item(1);
    EXPECT_EQ(s.Pulse(), 120);
    EXPECT_FLOAT_EQ(s.Speed(), 25.1f);
    EXPECT_EQ(s.Cadence(), 85);
    EXPECT_EQ(s.Height(), 412);

    // Altitude 35: version 102 counts tens of metres, 105 and 106 metres.
    struct AltCase { const char *version, *mode; int height; };
    for (const AltCase &c : {AltCase{"102", "100", 350}, AltCase{"105", "100", 35}, AltCase{"106", "10100000", 35}}) {
        SCOPED_TRACE(c.version);
        Hrm h = Read(HrmText(c.version, c.mode, 5, {"120\t250\t35"}));
        EXPECT_EQ(h.Samples()->Item(1)->Height(), c.height);
    }

    // Older mode "013": no cadence or altitude, cycle computer, US units.
    Hrm old = Read(HrmText("105", "311", 5, {"120\t150"}));
    EXPECT_TRUE(old.swSpeed());
    EXPECT_FALSE(old.swAlt());
    EXPECT_TRUE(old.swCC());
    EXPECT_TRUE(old.swUnit());
    EXPECT_NEAR(old.Samples()->Item(1)->Speed(), 24.14, 0.01);

    // US altitude 1000 ft is 305 m; a ninth SMode character is ignored.
    Hrm us = Read(HrmText("107", "101000011", 5, {"120\t150\t1000"}));
    EXPECT_EQ(us.Samples()->Item(1)->Height(), 305);
    EXPECT_FALSE(us.swPI());
    EXPECT_TRUE(us.swUnit());

    // Version 1000 compares as text below 105: read as an older file.
    Hrm thousand = Read(HrmText("1000", "000", 5, {"120\t250\t90"}));
    EXPECT_TRUE(thousand.swCadence());
    EXPECT_EQ(thousand.Samples()->Item(1)->Cadence(), 90);

    // Power and the balance field (0x3250 -> 50 and 80; 0x3380 -> 52, halves to even).
    Hrm power = Read(HrmText("106", "10011000", 1, {"120\t300\t250\t12880", "121\t300\t260\t13184"}));
    EXPECT_EQ(power.Samples()->Item(1)->Power(), 250);
    EXPECT_EQ(power.Samples()->Item(1)->PowerBalance(), 50);
    EXPECT_EQ(power.Samples()->Item(1)->PedalingIndex(), 80);
    EXPECT_EQ(power.Samples()->Item(2)->PowerBalance(), 52);
    EXPECT_EQ(power.Samples()->Item(2)->PedalingIndex(), 0);
}

// Seconds and distance accumulate from the interval; without speed both stay 0.
TEST(HrmReader, SecondsAndDistanceFromSpeed)
{
    Hrm h = Read(HrmText("106", "10000000", 5, {"120\t360", "121\t180"}));
    EXPECT_EQ(h.Samples()->Item(1)->Seconds(), 0);
    EXPECT_FLOAT_EQ(h.Samples()->Item(1)->Distance(), 0.05f);
    EXPECT_EQ(h.Samples()->Item(2)->Seconds(), 5);
    EXPECT_FLOAT_EQ(h.Samples()->Item(2)->Distance(), 0.075f);

    Hrm pulseOnly = Read(HrmText("106", "00000000", 5, {"120", "130"}));
    EXPECT_EQ(pulseOnly.Samples()->Item(2)->Seconds(), 0);
    EXPECT_EQ(pulseOnly.Samples()->Item(2)->Distance(), 0);
}

// Where the samples start and end, and what the note and dates hold.
TEST(HrmReader, SectionsNoteAndDates)
{
    // "[HRData]" followed by a blank is not the section: no samples.
    Hrm blank = Read(HrmText("106", "00000000", 5, {}).replace("[HRData]", "[HRData] ") + "120\r\n");
    EXPECT_EQ(blank.Samples()->Count(), 0);

    // An empty line ends the samples; nothing after it is read.
    Hrm ended = Read(HrmText("106", "00000000", 5, {"120", "", "oops"}));
    EXPECT_EQ(ended.Samples()->Count(), 1);

    // Two note lines joined by a blank; a long note cut to 247; no note: the file's name.
    QByteArray text = HrmText("106", "00000000", 5, {"120"});
    Hrm noted = Read(QByteArray(text).replace("[HRData]", "[Note]\r\nMorning ride\r\nwith Ilja\r\n[HRData]"));
    EXPECT_EQ(noted.Note(), QStringLiteral("Morning ride with Ilja"));
    Hrm longNote = Read(QByteArray(text).replace("[HRData]", "[Note]\r\n" + QByteArray(300, 'x') + "\r\n[HRData]"));
    EXPECT_EQ(longNote.Note().size(), 247);
    EXPECT_EQ(Read(text, QStringLiteral("/some/folder/ride.hrm")).Note(), QStringLiteral("ride"));

    // No [Params] at all: an older file with speed, two fields, factors 1.
    Hrm bare = Read("[HRData]\n120\t250\n");
    EXPECT_EQ(bare.Fields_Count(), 2);
    EXPECT_FLOAT_EQ(bare.Samples()->Item(1)->Speed(), 25.0f);

    Hrm dated = Read(HrmText("106", "00000000", 5, {"120"},
                             {"Date=20030725", "StartTime=10:30:00.0", "Length=25:00:00.0", "Monitor=70000"}));
    EXPECT_EQ(dated.HrmDate(), QDate(2003, 7, 25));
    EXPECT_EQ(dated.StartTime(), QTime(10, 30, 0));
    EXPECT_EQ(dated.LengthTime(), QTime(1, 0, 0));
    EXPECT_EQ(dated.Monitor(), 70000);
    EXPECT_EQ(Hrm::ParseHrmDate(QStringLiteral("20030230")), QDate::currentDate());
}

// LF, CR LF and CR line ends read the same.
TEST(HrmReader, LineEnds)
{
    for (const char *eol : {"\n", "\r\n", "\r"}) {
        SCOPED_TRACE(QByteArray(eol).toHex().constData());
        Hrm h = Read(HrmText("106", "10100000", 5, {"120\t250\t400", "121\t260\t401"}, {"Weight=80"},
                             QString::fromLatin1(eol)));
        EXPECT_EQ(h.Samples()->Count(), 2);
        EXPECT_EQ(h.Weight(), 80);
        EXPECT_EQ(h.Samples()->Item(2)->Height(), 401);
    }
}

// Each bad input fails with its reason and place, and leaves the reader as it was.
TEST(HrmReader, FailuresTellWhyAndChangeNothing)
{
    struct Case {
        const char *what;
        QByteArray text;
        int reason;
        QStringList args;
    };
    const Case cases[] = {
        {"letter in a field", HrmText("106", "10000000", 5, {"120\t250", "121\t12a"}), RecordingText::NotANumber,
         {"8", "12a"}},
        {"beyond 16 bits", HrmText("106", "10000000", 5, {"120\t40000"}), RecordingText::OutOfRange, {"7", "40000"}},
        {"empty field", HrmText("106", "10000000", 5, {"120\t"}), RecordingText::NotANumber, {"7", ""}},
        {"fewer fields than announced", HrmText("106", "10100000", 5, {"120\t250"}), RecordingText::TooFewFields,
         {"7", "2", "3"}},
        {"section heading among samples", HrmText("106", "00000000", 5, {"120", "[Summary]"}),
         RecordingText::NotANumber, {"8", "[Summary]"}},
        {"version 102 altitude above 3276", HrmText("102", "100", 5, {"120\t250\t3300"}), RecordingText::OutOfRange,
         {"7", "33000"}},
        {"key beyond 16 bits", HrmText("106", "00000000", 5, {"120"}, {"Weight=40000"}),
         RecordingText::KeyOutOfRange, {"Weight", "40000"}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        Hrm h = Read(HrmText("106", "10000000", 5, {"99\t100"}), QStringLiteral("first.hrm"));
        EXPECT_EQ(h.ReadHRMData(c.text, QStringLiteral("second.hrm")), 0);
        EXPECT_EQ(h.Failure().text, c.reason);
        EXPECT_EQ(h.Failure().args, c.args);
        // The first recording is still there, whole.
        EXPECT_EQ(h.Note(), QStringLiteral("first"));
        EXPECT_EQ(h.Samples()->Count(), 1);
        EXPECT_EQ(h.Samples()->Item(1)->Pulse(), 99);
        EXPECT_EQ(h.Fields_Count(), 2);
    }
    Hrm missing;
    EXPECT_EQ(missing.ReadHRM(QStringLiteral("/no/such/file.hrm")), 0);
    EXPECT_EQ(missing.Failure().text, RecordingText::CannotOpen);
    EXPECT_EQ(missing.Samples(), nullptr);

    // An empty file reads as a recording without samples.
    Hrm empty = Read(QByteArray(), QStringLiteral("empty.hrm"));
    EXPECT_EQ(empty.Samples()->Count(), 0);
    EXPECT_EQ(empty.Note(), QStringLiteral("empty"));
}
