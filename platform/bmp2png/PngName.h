#pragma once
// The name of the PNG a bitmap is converted to, shared by the converter and
// the program that waits for its result: the bitmap's name with ".bmp" (in
// any case) replaced by ".png", or ".png" added to any other name.
#include <QString>

inline QString PngNameFor(const QString &bmp)
{
    if (bmp.endsWith(QLatin1String(".bmp"), Qt::CaseInsensitive))
        return bmp.left(bmp.size() - 4) + QStringLiteral(".png");
    return bmp + QStringLiteral(".png");
}
