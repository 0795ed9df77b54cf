#include "profile/DibSection.h"

#include "platform/error/VbError.h"
#include "platform/shell/FileWrite.h"

#include <QBuffer>
#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QImageWriter>

#include <cmath>

bool cDIBSection::Create(int lWidth, int lHeight)
{
    ClearUp();
    m_width = lWidth;
    m_height = lHeight;
    if (lWidth < 1 || lHeight < 1)
        return false;
    const qint64 bytes = qint64(BytesPerScanLine()) * lHeight;
    if (bytes > qint64(1) << 30)
        return false;
    m_bits = QByteArray(qsizetype(bytes), '\0');
    return m_bits.size() == bytes;
}

void cDIBSection::CreateFromPicture(const QImage &picThis)
{
    if (!Create(picThis.width(), picThis.height()))
        RaiseError(ErrJpeg, QStringLiteral("Failed to save to JPG: no bitmap of %1 x %2").arg(picThis.width()).arg(picThis.height()));
    LoadPictureBlt(picThis);
}

void cDIBSection::LoadPictureBlt(const QImage &source, int lSrcLeft, int lSrcTop, int lSrcWidth, int lSrcHeight)
{
    if (m_bits.isEmpty())
        return;
    const int w = lSrcWidth < 0 ? m_width : qMin(lSrcWidth, m_width);
    const int h = lSrcHeight < 0 ? m_height : qMin(lSrcHeight, m_height);
    const QImage rgb = source.convertToFormat(QImage::Format_RGB32);
    const int stride = BytesPerScanLine();
    for (int y = 0; y < h; ++y) {
        const int sy = lSrcTop + y;
        if (sy < 0 || sy >= rgb.height())
            continue;
        const QRgb *in = reinterpret_cast<const QRgb *>(rgb.constScanLine(sy));
        uchar *out = DIBSectionBitsPtr() + qsizetype(m_height - 1 - y) * stride;
        for (int x = 0; x < w; ++x) {
            const int sx = lSrcLeft + x;
            if (sx < 0 || sx >= rgb.width())
                continue;
            out[3 * x] = uchar(qBlue(in[sx]));
            out[3 * x + 1] = uchar(qGreen(in[sx]));
            out[3 * x + 2] = uchar(qRed(in[sx]));
        }
    }
}

QImage cDIBSection::ToImage() const
{
    if (m_bits.isEmpty())
        return QImage();
    QImage image(m_width, m_height, QImage::Format_RGB888);
    const int stride = BytesPerScanLine();
    for (int y = 0; y < m_height; ++y) {
        const uchar *in = DIBSectionBitsPtr() + qsizetype(m_height - 1 - y) * stride;
        uchar *out = image.scanLine(y);
        for (int x = 0; x < m_width; ++x) {
            out[3 * x] = in[3 * x + 2];
            out[3 * x + 1] = in[3 * x + 1];
            out[3 * x + 2] = in[3 * x];
        }
    }
    return image;
}

std::unique_ptr<cDIBSection> cDIBSection::Resample(int lNewHeight, int lNewWidth) const
{
    auto target = std::make_unique<cDIBSection>();
    if (!target->Create(lNewWidth, lNewHeight))
        return nullptr;
    if (lNewWidth != m_width || lNewHeight != m_height)
        ResampleBits(*target);
    else if (!m_bits.isEmpty())
        target->m_bits = m_bits;
    return target;
}

void cDIBSection::ResampleBits(cDIBSection &target) const
{
    const int W = m_width, H = m_height, w = target.m_width, h = target.m_height;
    if (W < 2 || H < 2 || m_bits.isEmpty())
        RaiseError(9, QStringLiteral("Subscript out of range"));
    const float sx = float(W - 1) / float(w);
    const float sy = float(H - 1) / float(h);
    const int sStride = BytesPerScanLine(), tStride = target.BytesPerScanLine();
    const uchar *src = DIBSectionBitsPtr();
    uchar *dst = target.DIBSectionBitsPtr();
    for (int y = 0; y < h; ++y) {
        const float ys = sy * float(y);
        const int yi = int(std::floor(ys));
        const float fy = ys - float(yi);
        for (int x = 0; x < w; ++x) {
            const float xs = sx * float(x);
            const int xi = int(std::floor(xs));
            const float fx = xs - float(xi);
            for (int c = 0; c < 3; ++c) {
                auto P = [&](int a, int b) { return double(src[qsizetype(b) * sStride + 3 * a + c]); };
                const double left = std::nearbyint((1.0 - double(fy)) * P(xi, yi) + double(fy) * P(xi, yi + 1));
                const double right = std::nearbyint((1.0 - double(fy)) * P(xi + 1, yi) + double(fy) * P(xi + 1, yi + 1));
                const double v = std::nearbyint((1.0 - double(fx)) * left + double(fx) * right);
                dst[qsizetype(y) * tStride + 3 * x + c] = uchar(qBound(0.0, v, 255.0));
            }
        }
    }
}

bool SaveDibToJpeg(const cDIBSection &dib, const QString &fileName, int quality)
{
    const QImage image = dib.ToImage();
    if (image.isNull())
        RaiseError(ErrJpeg, QStringLiteral("Failed to save to JPG 1"));
    const QFileInfo old(fileName);
    const bool existed = old.exists();
    const QDateTime modified = existed ? old.lastModified() : QDateTime();
    const QDateTime accessed = existed ? old.lastRead() : QDateTime();

    // Encoded in memory first, so only a complete picture reaches the disk.
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "jpeg");
    writer.setQuality(quality);
    if (!writer.write(image))
        RaiseError(ErrJpeg, QStringLiteral("Failed to save to JPG 3"));
    QString why;
    if (!FileWrite::WriteFileAtomically(fileName, bytes, &why))
        RaiseError(ErrJpeg, QStringLiteral("Failed to save to JPG: %1").arg(why));
    if (existed) {
        QFile f(fileName);
        if (f.open(QIODevice::ReadWrite)) {
            f.setFileTime(modified, QFileDevice::FileModificationTime);
            f.setFileTime(accessed, QFileDevice::FileAccessTime);
            f.close();
        }
    }
    return true;
}
