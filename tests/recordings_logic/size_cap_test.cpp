// Recordings larger than any real one are refused before they are read, with
// a reason the user can act on, and the reader keeps what it had.
#include "MemoryPeak.h"
#include "platform/shell/ReadLimits.h"
#include "recordings/Hrm.h"
#include "recordings/Tur.h"
#include "recordings_support.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace RecordingsTest;

namespace {

TEST(RecordingSizeCap, LargerFilesAreRefusedBeforeReading)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    // A sparse file past the cap (no bytes on the disk, refused by its size)
    // and a device without a size that never ends (refused once the cap is passed).
    const QString sparse = dir.filePath(QStringLiteral("huge.hrm"));
    {
        QFile f(sparse);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(HrmText("106", "10000000", 5, {"120\t360"}));
        f.close();
        ASSERT_TRUE(f.resize(readlimits::MaxRecordingBytes + 1));
    }
    for (const QString &path : {sparse, QStringLiteral("/dev/zero")}) {
        SCOPED_TRACE(path.toStdString());
        Hrm hrm;
        EXPECT_EQ(hrm.ReadHRM(path), 0);
        EXPECT_EQ(hrm.Failure().text, RecordingText::TooLarge);
        EXPECT_EQ(hrm.Failure().args, QStringList{QStringLiteral("64")});
        EXPECT_EQ(hrm.Samples(), nullptr);
        Tur tur;
        EXPECT_EQ(tur.ReadTur(path), 0);
        EXPECT_EQ(tur.Failure().text, RecordingText::TooLarge);
    }

    // Up to the cap the file is read as ever.
    const QByteArray small = HrmText("106", "10000000", 5, {"120\t360", "121\t180"});
    const QString fits = dir.filePath(QStringLiteral("fits.hrm"));
    QFile f(fits);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(small);
    f.close();
    Hrm hrm;
    EXPECT_EQ(hrm.ReadHRM(fits), 1) << hrm.Failure().Text().toStdString();
    EXPECT_EQ(hrm.Samples()->Count(), 2);
}

// Within the cap a file of nothing but line ends (or blank lines, or keys) is
// read in one pass with no slot per line: its memory stays a small multiple
// of its size, where a list of its lines took twenty-four bytes a line end.
TEST(RecordingSizeCap, LinesAreNotKeptOneByOne)
{
    constexpr qsizetype Size = 16 * 1024 * 1024;
    const QByteArray head = "[Params]\r\nVersion=106\r\nSMode=00000000\r\nWeight=71\r\n";
    struct Case {
        const char *what;
        QByteArray bytes;
    };
    const Case cases[] = {
        {"line ends after [HRData]", head + "[Note]\r\nshort\r\n[HRData]\r\n" + QByteArray(Size, '\n')},
        {"blank lines in [Params]", head + QByteArray(" \n").repeated(Size / 2) + "[Note]\r\nshort\r\n[HRData]\r\n120\r\n"},
        {"keys in [Note]", head + "[Note]\r\nshort\r\n" + QByteArray("k\n").repeated(Size / 2) + "[HRData]\r\n120\r\n"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        Hrm hrm;
        const auto peak = memorypeak::PeakGrowth([&] { EXPECT_EQ(hrm.ReadHRMData(c.bytes, QStringLiteral("x.hrm")), 1); });
        if (!peak)
            GTEST_SKIP() << "this system cannot reset the peak of a process's memory";
        EXPECT_LT(*peak, 8 * Size) << *peak / (1024 * 1024) << " MB";
        EXPECT_EQ(hrm.Weight(), 71);
        EXPECT_TRUE(hrm.Note().startsWith(QStringLiteral("short")));
    }
}

// More samples than any recording holds (a file within the cap can hold tens
// of millions, gigabytes once read) are refused with their own reason, and
// the reader keeps what it had; a file at the bound is read.
TEST(RecordingSizeCap, MoreSamplesThanTheBoundAreRefused)
{
    const int bound = readlimits::MaxRecordingSamples;
    for (const int samples : {bound, bound + 1}) {
        SCOPED_TRACE(samples);
        const QByteArray hrmBytes = HrmText("106", "00000000", 1, {}) + QByteArray("60\r\n").repeated(samples);
        Hrm hrm;
        const int16_t read = hrm.ReadHRMData(hrmBytes, QStringLiteral("x.hrm"));
        if (samples <= bound) {
            EXPECT_EQ(read, 1) << hrm.Failure().Text().toStdString();
            ASSERT_NE(hrm.Samples(), nullptr);
            EXPECT_EQ(hrm.Samples()->Count(), samples);
        } else {
            EXPECT_EQ(read, 0);
            EXPECT_EQ(hrm.Failure().text, RecordingText::TooManySamples);
            EXPECT_EQ(hrm.Failure().args, QStringList{QStringLiteral("1,000,000")});
            EXPECT_EQ(hrm.Samples(), nullptr);
        }
    }
    // The same number of records in a tour file.
    const std::vector<TurRecord> records(size_t(bound) + 1, TurRecord{1, 1, 100, 120, 80, 20});
    Tur tur;
    EXPECT_EQ(tur.ReadTurData(TurFile("3", "1", "0", records), QStringLiteral("x.tur")), 0);
    EXPECT_EQ(tur.Failure().text, RecordingText::TooManySamples);
    EXPECT_EQ(tur.Failure().args, QStringList{QStringLiteral("1,000,000")});
    EXPECT_EQ(tur.Samples(), nullptr);
    // A count past the bound over a few records is a cut file, as ever.
    Tur cut;
    EXPECT_EQ(cut.ReadTurData(TurFile("3", "1", "0", {TurRecord{1, 1, 100, 120, 80, 20}}, {}, bound + 1), QStringLiteral("x.tur")), 0);
    EXPECT_EQ(cut.Failure().text, RecordingText::RecordsCut);
}

} // namespace
