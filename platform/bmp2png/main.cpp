// bmp2png <picture.bmp>: writes <picture>.png beside the bitmap. The PNG is
// encoded in memory and written through the program's safe writer, so a
// failure (a full disk) leaves no partial file and keeps an old one. Exit code 0 on success, 1 bad arguments, 2 unreadable
// bitmap, 3 PNG not written.
#include "PngName.h"
#include "platform/shell/FileWrite.h"

#include <QBuffer>
#include <QImage>
#include <QImageWriter>
#include <QString>
#include <cstdio>

int main(int argc, char **argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: bmp2png <picture.bmp>\n");
        return 1;
    }
    const QString bmp = QString::fromLocal8Bit(argv[1]);
    QImage image;
    if (!image.load(bmp)) {
        std::fprintf(stderr, "bmp2png: cannot read %s\n", argv[1]);
        return 2;
    }
    const QString png = PngNameFor(bmp);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QString why = QStringLiteral("cannot encode the picture");
    if (!QImageWriter(&buffer, "png").write(image) || !FileWrite::WriteFileAtomically(png, bytes, &why)) {
        std::fprintf(stderr, "bmp2png: cannot write %s: %s\n", qPrintable(png), qPrintable(why));
        return 3;
    }
    return 0;
}
