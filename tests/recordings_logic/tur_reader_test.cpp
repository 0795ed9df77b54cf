// The tour-file reader over the real device files and over small fixtures.
#include "recordings/Tur.h"
#include "recordings_support.h"

#include <gtest/gtest.h>

using namespace RecordingsTest;

namespace {
Tur Read(const QByteArray &bytes, const QString &file = QStringLiteral("/rides/ride.tur"))
{
    Tur t;
    EXPECT_EQ(t.ReadTurData(bytes, file), 1) << t.Failure().Text().toStdString() << " "
                                              << t.Failure().args.join(',').toStdString();
    return t;
}
}

TEST(TurReader, RealDeviceFiles)
{
    struct Case {
        const char *file, *name, *version;
        int count;
        float total;
        int minHeight, maxHeight, lastSeconds;
        QDate date;
    };
    const Case cases[] = {
        {"hac4-pailheres.tur", "hac4-pailheres", "3.1.0", 453, 40.1f, 624, 1901, 9037, QDate(2005, 10, 10)},
        {"hac4-hac5.tur", "Met Ivo rondje Rockanje", "3.1.0", 3336, 105.56f, 2, 5, 16675, QDate(2006, 2, 4)},
        {"hac4-hac4-alt.tur", "Hac4-Bsp.-Tour", "3.1.1", 669, 54.32f, 398, 581, 13326, QDate(1998, 9, 29)},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.file);
        Tur t;
        ASSERT_EQ(t.ReadTur(Device(QLatin1String(c.file))), 1) << t.Failure().Text().toStdString();
        EXPECT_EQ(t.TurName(), QLatin1String(c.name));
        EXPECT_EQ(t.Version(), QLatin1String(c.version));
        EXPECT_EQ(t.TurDate(), c.date);
        EXPECT_FLOAT_EQ(t.TotalDistance(), c.total);
        ASSERT_EQ(t.Samples()->Count(), c.count);
        int lo = 99999, hi = -99999;
        for (const SamplePtr &s : *t.Samples()) {
            lo = std::min<int>(lo, s->Height());
            hi = std::max<int>(hi, s->Height());
        }
        EXPECT_EQ(lo, c.minHeight);
        EXPECT_EQ(hi, c.maxHeight);
        const Sample &last = *t.Samples()->Item(c.count);
        EXPECT_EQ(last.Seconds(), c.lastSeconds);
        EXPECT_FLOAT_EQ(last.Distance(), c.total);
    }
    // The climb's first records: 20 s apart, 0.08 km gained is 14.4 km/h.
    Tur climb;
    ASSERT_EQ(climb.ReadTur(Device(QStringLiteral("hac4-pailheres.tur"))), 1);
    const Sample &second = *climb.Samples()->Item(2);
    EXPECT_EQ(second.Height(), 671);
    EXPECT_EQ(second.Pulse(), 148);
    EXPECT_EQ(second.Temperature(), 21);
    EXPECT_FLOAT_EQ(second.Speed(), 14.4f);
    EXPECT_EQ(climb.Note(), QString());
    EXPECT_EQ(climb.LastName(), QStringLiteral("Ilja"));
}

// Speed is the distance gained over the seconds elapsed since the previous record.
TEST(TurReader, SpeedFromElapsedTime)
{
    Tur t = Read(TurFile("3", "1", "0", {{0, 50}, {20, 100}, {20, 120}, {30, 170}}));
    const float expected[] = {0, 90, 0, 180};   // first: 0; no time passed: 0
    for (int i = 0; i < 4; ++i)
        EXPECT_FLOAT_EQ(t.Samples()->Item(i + 1)->Speed(), expected[i]) << i;
}

// Layouts by version, field decoding and header reading.
TEST(TurReader, LayoutsFieldsAndHeader)
{
    const std::vector<TurRecord> records{{0, 10000, -2, 120, 80, -10}, {20, 1000000, 300, 130, 90, 25}};
    for (const char *version : {"3.1.0", "3.0.9", "10.0.0", "4.0.0"}) {
        SCOPED_TRACE(version);
        const QStringList v = QString::fromLatin1(version).split('.');
        Tur t = Read(TurFile(v[0], v[1], v[2], records));
        ASSERT_EQ(t.Samples()->Count(), 2);
        const Sample &a = *t.Samples()->Item(1), &b = *t.Samples()->Item(2);
        EXPECT_FLOAT_EQ(a.Distance(), 100);
        EXPECT_EQ(a.Height(), -2);
        EXPECT_EQ(a.Temperature(), -10);
        EXPECT_EQ(a.Pulse(), 120);
        EXPECT_EQ(a.Cadence(), 80);
        EXPECT_FLOAT_EQ(b.Distance(), 10000);
        EXPECT_EQ(b.Seconds(), 20);
    }

    Tur t = Read(TurFile("3", "1", "0", records));
    EXPECT_EQ(t.Note(), QStringLiteral("A note"));
    EXPECT_EQ(t.TurDate(), QDate(2002, 5, 12));   // day.month.year in every locale
    EXPECT_EQ(t.StartTime(), QTime(10, 34));
    EXPECT_FLOAT_EQ(t.Weight(), 75.5f);           // either decimal mark
    EXPECT_FLOAT_EQ(t.BikeWeight(), 8.5f);
    EXPECT_EQ(t.StartHeight(), 1901);
    EXPECT_EQ(t.MaxHR(), 153);
    EXPECT_FLOAT_EQ(t.TotalDistance(), 40.1f);

    // Mode other than exactly "1": no note line; the distance follows the mode.
    QByteArray noNote = TurFile("3", "1", "0", records, {{9, "1 "}});
    noNote.replace("A note\n", "");
    Tur plain = Read(noNote);
    EXPECT_EQ(plain.Note(), QString());
    EXPECT_FLOAT_EQ(plain.TotalDistance(), 40.1f);

    // Three "Reserve" lines or none before the first name.
    for (const QByteArray &reserves : {QByteArray("Reserve\nReserve\nReserve\n"), QByteArray()}) {
        QByteArray bytes = TurFile("3", "1", "0", records);
        bytes.replace("Reserve\nReserve\nEvel", reserves + "Evel");
        EXPECT_EQ(Read(bytes).FirstName(), QStringLiteral("Evel"));
    }

    // An empty or blank name line gives the file's name; none samples is fine.
    EXPECT_EQ(Read(TurFile("3", "1", "0", {}, {{4, ""}})).TurName(), QStringLiteral("ride"));
    Tur blank = Read(TurFile("3", "1", "0", {}, {{4, "  "}}), QStringLiteral("/x/Col.TUR"));
    EXPECT_EQ(blank.TurName(), QStringLiteral("Col"));
    EXPECT_EQ(blank.Samples()->Count(), 0);

    // Header lines ending in CR LF read as with LF.
    Tur crlf = Read(TurFile("3", "1", "0", records, {}, -1, "\r\n"));
    EXPECT_EQ(crlf.TurName(), QStringLiteral("Test ride"));
    EXPECT_EQ(crlf.Samples()->Count(), 2);
    EXPECT_FLOAT_EQ(crlf.Samples()->Item(2)->Distance(), 10000);
}

// Each bad input fails with its reason and place, and leaves the reader as it was.
TEST(TurReader, FailuresTellWhyAndChangeNothing)
{
    const std::vector<TurRecord> three{{0, 0, 600}, {20, 10, 601}, {40, 20, 602}};
    const QByteArray good = TurFile("3", "1", "0", three);
    struct Case {
        const char *what;
        QByteArray bytes;
        int reason;
        QStringList args;
    };
    const Case cases[] = {
        {"empty file", QByteArray(), RecordingText::HeaderCut, {"1"}},
        {"cut in the header", good.left(good.indexOf("Evel")), RecordingText::HeaderCut, {"28"}},
        {"cut in the records", good.left(good.size() - 10), RecordingText::RecordsCut, {"2", "3"}},
        {"more records announced than held", TurFile("3", "1", "0", three, {}, 5), RecordingText::RecordsCut,
         {"3", "5"}},
        {"distance of 2^31", TurFile("3", "1", "0", {{0, 0x80000000u}}), RecordingText::RecordOutOfRange,
         {"1", "2147483648"}},
        {"seconds of 2^31", TurFile("3", "0", "9", {{0, 0}, {0x80000000u, 0}}), RecordingText::RecordOutOfRange,
         {"2", "2147483648"}},
        {"NUL-ended number line", TurFile("3", "1", "0", three, {{11, QByteArray("4010\0", 5)}}),
         RecordingText::NotANumber, {"12", "4010\\0"}},
        {"letters for the weight", TurFile("3", "1", "0", three, {{31, "heavy"}}), RecordingText::NotANumber,
         {"32", "heavy"}},
        {"not a date", TurFile("3", "1", "0", three, {{7, "31.02.2002"}}), RecordingText::NotADate,
         {"8", "31.02.2002"}},
        {"not a time", TurFile("3", "1", "0", three, {{8, "25:00"}}), RecordingText::NotATime, {"9", "25:00"}},
        {"negative record count", TurFile("3", "1", "0", {}, {}, -1).replace("Reserve\n0", "Reserve\n-3"),
         RecordingText::OutOfRange, {"42", "-3"}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        Tur t = Read(good, QStringLiteral("first.tur"));
        EXPECT_EQ(t.ReadTurData(c.bytes, QStringLiteral("second.tur")), 0);
        EXPECT_EQ(t.Failure().text, c.reason);
        EXPECT_EQ(t.Failure().args, c.args);
        EXPECT_EQ(t.TurName(), QStringLiteral("Test ride"));
        EXPECT_EQ(t.Samples()->Count(), 3);
        EXPECT_EQ(t.Samples()->Item(3)->Height(), 602);
    }
    Tur missing;
    EXPECT_EQ(missing.ReadTur(QStringLiteral("/no/such/ride.tur")), 0);
    EXPECT_EQ(missing.Failure().text, RecordingText::CannotOpen);
}
