#include "platform/shell/Cp1252.h"

#include <QStringDecoder>

namespace {
const char16_t High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};
}

QString FromCp1252(QByteArrayView bytes)
{
    QString out(bytes.size(), Qt::Uninitialized);
    QChar *d = out.data();
    for (char ch : bytes) {
        const auto b = static_cast<unsigned char>(ch);
        *d++ = b >= 0x80 && b < 0xA0 ? QChar(High[b - 0x80]) : QChar(b);
    }
    return out;
}

int Cp1252Byte(char16_t u)
{
    if (u < 0x80 || (u >= 0xA0 && u <= 0xFF))
        return u;
    // The five bytes the code page leaves undefined stand for no character.
    for (int i = 0; i < 32; ++i)
        if (High[i] == u && u > 0xFF)
            return 0x80 + i;
    return -1;
}

QByteArrayView WithoutUtf8Mark(QByteArrayView bytes)
{
    return bytes.startsWith("\xEF\xBB\xBF") ? bytes.sliced(3) : bytes;
}

QString DecodeOutsideText(QByteArrayView bytes)
{
    const QByteArrayView body = WithoutUtf8Mark(bytes);
    // One pass over a valid text; a second mark, if any, is kept as a character.
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless | QStringDecoder::Flag::ConvertInitialBom);
    QString text = utf8.decode(body);
    return utf8.hasError() ? FromCp1252(body) : text;
}
