// bmp2png <picture.bmp>: writes <picture>.png beside the bitmap. The PNG is
// written to a temporary name and renamed into place, so a failure leaves no
// partial file. Exit code 0 on success, 1 bad arguments, 2 unreadable
// bitmap, 3 PNG not written.
#include "PngName.h"

#include <QImage>
#include <QImageWriter>
#include <QSaveFile>
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
    QSaveFile out(png);
    if (!out.open(QIODevice::WriteOnly))
        return 3;
    QImageWriter writer(&out, "png");
    if (!writer.write(image) || !out.commit()) {
        std::fprintf(stderr, "bmp2png: cannot write %s\n", qPrintable(png));
        return 3;
    }
    return 0;
}
