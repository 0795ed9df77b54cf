#pragma once
// A 24-bit picture held as the rows of a device-independent bitmap: pixels
// blue, green, red; rows bottom-up; each row padded to a multiple of four
// bytes. The JPEG writer takes it as the encoder's input.
#include <QByteArray>
#include <QImage>
#include <QString>
#include <memory>

class cDIBSection {
public:
    cDIBSection() = default;
    ~cDIBSection() { ClearUp(); }
    cDIBSection(const cDIBSection &) = delete;
    cDIBSection &operator=(const cDIBSection &) = delete;

    // Releases what the object held and makes a blank bitmap of that size.
    // False (and no pixels; Width and Height keep the asked size) for a size
    // below 1 or one that cannot be held.
    bool Create(int lWidth, int lHeight);
    // Re-creates the object at the picture's size with its pixels. A picture
    // whose bitmap cannot be made raises error 26001.
    void CreateFromPicture(const QImage &picThis);
    // (Width * 3 + 3) with the two low bits cleared.
    int BytesPerScanLine() const { return (m_width * 3 + 3) & ~3; }
    int Width() const { return m_width; }
    int Height() const { return m_height; }
    // The first pixel byte (the bottom row), or nullptr when there is no bitmap.
    uchar *DIBSectionBitsPtr() { return m_bits.isEmpty() ? nullptr : reinterpret_cast<uchar *>(m_bits.data()); }
    const uchar *DIBSectionBitsPtr() const
    {
        return m_bits.isEmpty() ? nullptr : reinterpret_cast<const uchar *>(m_bits.constData());
    }
    // Copies a part of a picture to (0, 0); a negative width or height stands
    // for the object's own.
    void LoadPictureBlt(const QImage &source, int lSrcLeft = 0, int lSrcTop = 0, int lSrcWidth = -1,
                        int lSrcHeight = -1);
    // A new bitmap of the given size: a plain copy at the same size, else
    // resampled bilinearly. Empty when it cannot be created.
    std::unique_ptr<cDIBSection> Resample(int lNewHeight, int lNewWidth) const;
    void ClearUp() { m_bits.clear(); }
    // The pixels as a picture (top row first).
    QImage ToImage() const;

private:
    void ResampleBits(cDIBSection &target) const;

    int m_width = 0, m_height = 0;
    QByteArray m_bits;
};

// Error of the JPEG writer.
constexpr int ErrJpeg = 26001;
// Writes the bitmap as a JPEG file at the quality given (0-100). A file of
// that name is replaced only by a complete new one, which takes over its
// permissions and modification time. Raises 26001 on failure.
bool SaveDibToJpeg(const cDIBSection &dib, const QString &fileName, int quality);
