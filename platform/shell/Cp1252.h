#pragma once
// Windows-1252, the single-byte code page of older installations and devices:
// Latin-1 except for the printable characters at 0x80..0x9F. Text files from
// outside that are not valid UTF-8 are read in it.
#include <QByteArrayView>
#include <QString>

QString FromCp1252(QByteArrayView bytes);
// The byte of a character in Windows-1252, or -1 where it has none.
int Cp1252Byte(char16_t u);

// The bytes after a UTF-8 byte order mark at their start (all of them when
// there is none). The mark is dropped whichever encoding the text is then
// read in: a file of names that is not valid UTF-8 elsewhere still began
// with it, and its first name must not hold it as "ï»¿".
QByteArrayView WithoutUtf8Mark(QByteArrayView bytes);

// A text file from outside as every reader reads it: its UTF-8 byte order
// mark dropped, then UTF-8 when all the rest is valid UTF-8, else
// Windows-1252.
QString DecodeOutsideText(QByteArrayView bytes);
