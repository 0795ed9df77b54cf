// The 24-bit bitmap rows and the JPEG writer.
#include "TestSupport.h"
#include "platform/error/VbError.h"
#include "profile/DibSection.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {
// A source whose rows are all alike, column x holding the value of `columns[x]` in every channel.
std::unique_ptr<cDIBSection> Columns(std::initializer_list<int> columns, int height = 2)
{
    QImage image(int(columns.size()), height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y) {
        int x = 0;
        for (int v : columns)
            image.setPixel(x++, y, qRgb(v, v, v));
    }
    auto dib = std::make_unique<cDIBSection>();
    dib->CreateFromPicture(image);
    return dib;
}
// The blue byte of pixel x in the row (rows counted from the bottom). A pixel
// outside the bitmap, or a bitmap without pixels, fails the test and reads -1.
int Blue(const cDIBSection &dib, int x, int row = 0)
{
    const uchar *bits = dib.DIBSectionBitsPtr();
    if (!bits || x < 0 || x >= dib.Width() || row < 0 || row >= dib.Height()) {
        ADD_FAILURE() << "pixel (" << x << ", " << row << ") outside a bitmap of " << dib.Width() << " x "
                      << dib.Height() << (bits ? "" : " without pixels");
        return -1;
    }
    return bits[qsizetype(row) * dib.BytesPerScanLine() + 3 * x];
}
} // namespace

TEST(DibSection, RowLengthAndLayout)
{
    const int lengths[] = {4, 8, 12, 12, 16};
    const int pads[] = {1, 2, 3, 0, 1};
    for (int w = 1; w <= 5; ++w) {
        cDIBSection dib;
        ASSERT_TRUE(dib.Create(w, 2));
        EXPECT_EQ(dib.BytesPerScanLine(), lengths[w - 1]) << w;
        EXPECT_EQ(dib.BytesPerScanLine() - 3 * w, pads[w - 1]) << w;
    }
    // Blue, green, red; the bottom row first.
    QImage image(2, 2, QImage::Format_RGB32);
    image.fill(qRgb(10, 20, 30));
    image.setPixel(1, 1, qRgb(200, 100, 50));
    cDIBSection dib;
    dib.CreateFromPicture(image);
    const uchar *b = dib.DIBSectionBitsPtr();
    EXPECT_EQ((std::vector<int>{b[0], b[1], b[2], b[3], b[4], b[5]}), (std::vector<int>{30, 20, 10, 50, 100, 200}));
    EXPECT_EQ(dib.ToImage().pixel(1, 1), qRgb(200, 100, 50));
}

TEST(DibSection, FailedCreateKeepsTheSizeAndRaisesForPictures)
{
    cDIBSection dib;
    EXPECT_FALSE(dib.Create(100000, 100000));
    EXPECT_EQ(dib.Width(), 100000);
    EXPECT_EQ(dib.Height(), 100000);
    EXPECT_EQ(dib.DIBSectionBitsPtr(), nullptr);
    try {
        dib.CreateFromPicture(QImage());
        FAIL() << "no error";
    } catch (const VbError &e) {
        EXPECT_EQ(e.Number(), ErrJpeg);
    }
}

TEST(DibSection, Resample)
{
    // Same size: a plain copy.
    const auto same = Columns({5, 77, 200});
    auto copy = same->Resample(2, 3);
    ASSERT_TRUE(copy);
    EXPECT_EQ(copy->ToImage(), same->ToImage());
    // Three columns to two: sx = 1, columns 0 and 1 unchanged, column 2 never used.
    auto two = Columns({10, 20, 250})->Resample(2, 2);
    ASSERT_TRUE(two);
    EXPECT_EQ(Blue(*two, 0), 10);
    EXPECT_EQ(Blue(*two, 1), 20);
    // Two columns 0 and 1 to four: weights 0.25, 0.5, 0.75 round to 0, 0, 1.
    auto four = Columns({0, 1})->Resample(2, 4);
    ASSERT_TRUE(four);
    EXPECT_EQ((std::vector<int>{Blue(*four, 0), Blue(*four, 1), Blue(*four, 2), Blue(*four, 3)}), (std::vector<int>{0, 0, 0, 1}));
    // Columns 1 and 2 at fraction 0.5 give 2 (half to even).
    auto half = Columns({1, 2})->Resample(2, 4);
    ASSERT_TRUE(half);
    EXPECT_EQ(Blue(*half, 2), 2);
    // A source one pixel wide has no neighbour.
    EXPECT_THROW(Columns({9})->Resample(2, 3), VbError);
}

TEST(DibSection, JpegOverAnExistingFileKeepsItsPermissionsAndTime)
{
    QTemporaryDir dir;
    const QString path = QDir(dir.path()).filePath(QStringLiteral("old.jpg"));
    QFile old(path);
    ASSERT_TRUE(old.open(QIODevice::WriteOnly));
    old.write("old contents");
    old.close();
    const QDateTime when(QDate(2020, 5, 17), QTime(8, 30, 0));
    ASSERT_TRUE(old.open(QIODevice::ReadWrite));
    old.setFileTime(when, QFileDevice::FileModificationTime);
    old.close();
    QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup);

    QImage image(37, 11, QImage::Format_RGB32);
    image.fill(qRgb(0, 128, 255));
    cDIBSection dib;
    dib.CreateFromPicture(image);
    EXPECT_TRUE(SaveDibToJpeg(dib, path, 90));
    QImageReader reader(path);
    EXPECT_EQ(reader.format(), QByteArray("jpeg"));
    EXPECT_EQ(reader.size(), QSize(37, 11));
    EXPECT_EQ(QFileInfo(path).lastModified(), when);
    const QFile::Permissions bits(0x7077);   // owner, group and others
    EXPECT_EQ(QFile::permissions(path) & bits, (QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup) & bits);

    // A folder that does not exist: error 26001, nothing written.
    try {
        SaveDibToJpeg(dib, QDir(dir.path()).filePath(QStringLiteral("no/such/x.jpg")), 90);
        FAIL() << "no error";
    } catch (const VbError &e) {
        EXPECT_EQ(e.Number(), ErrJpeg);
    }
}
