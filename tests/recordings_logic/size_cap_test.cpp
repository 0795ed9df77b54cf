// Recordings larger than any real one are refused before they are read, with
// a reason the user can act on, and the reader keeps what it had.
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

} // namespace
