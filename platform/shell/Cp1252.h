#pragma once
// Windows-1252, the single-byte code page of older installations and devices:
// Latin-1 except for the printable characters at 0x80..0x9F. Text files from
// outside that are not valid UTF-8 are read in it.
#include <QByteArrayView>
#include <QString>

QString FromCp1252(QByteArrayView bytes);
// The byte of a character in Windows-1252, or -1 where it has none.
int Cp1252Byte(char16_t u);
