#pragma once
// Small shared routines: text surgery, colours, time of day, a gradient fill
// and text at an angle for the profile drawing, the INI-style read and write
// of text profile files, the outside PNG converter, user and computer names,
// and the one SQL literal helper.
#include <QString>
#include <QVariant>
#include <QVector>
#include <cstdint>

class QPainter;

// Every occurrence of Find, left to right, not overlapping, case-sensitive.
// An empty Find leaves Text as it is.
QString ReplaceAll(const QString &Text, const QString &Find, const QString &Replacement);
// Text without its double-quote characters.
QString StripQuotes(const QString &Text);
// The part of Text before the first Sep; Text keeps what follows the first
// character of Sep. Without Sep: the whole Text, and Text becomes empty.
QString NextToken(QString &Text, const QString &Sep);
// For a line-break Sep: Text starting with Sep gives Sep and loses it; else
// the part before the first Sep, Text then starting at Sep. Without Sep: the
// whole Text, and Text becomes empty.
QString NextLine(QString &Text, const QString &Sep);
// Seconds since midnight of a date/time value or text; 0 when it is not one.
double TimeToSeconds(const QVariant &Value);

// Colours are 24-bit numbers with red in the low byte.
void SplitColor(int32_t Color, int16_t &Red, int16_t &Green, int16_t &Blue);
// "#RRGGBB" in upper-case hexadecimal (components held within 0..255).
QString HexColor(int16_t Red, int16_t Green, int16_t Blue);
QString ColorToHtml(int32_t Color);
// Fills every entry with a step from Color1 towards Color2 (n = last index):
// entry i is Color1 + (i + 1) / n of the difference, held within 0..255.
void BlendColor(QVector<int32_t> &Colors, int32_t Color1, int32_t Color2);
// Horizontal bands one unit high from (Origin, Origin), Width wide and Height
// in all; band k is Color1 + (k + 1) / Height of the difference, so the last
// band is Color2. Nothing is drawn for a Height below 1.
void DrawGradient(QPainter *Target, int32_t Origin, int32_t Width, int32_t Height, int32_t Color1,
                  int32_t Color2);
// Prints Text at (X, Y), in the painter's own units, turned counter-clockwise
// by Angle degrees, with the painter's font at its size in points on that
// device (a printer gets the same size on paper as a screen shows).
void PrintRotated(int16_t Angle, QPainter *Target, float X, float Y, const QString &Text);

// The whole value of Key in Section of the INI-style File (long values are
// not cut), Default when the file, key or value is missing.
QString ReadIniString(const QString &File, const QString &Section, const QString &Key,
                      const QString &Default);
// Writes Key=Value, creating file, section or key as needed. False on failure.
bool WriteIniString(const QString &File, const QString &Section, const QString &Key,
                    const QString &Value);

// Converts a bitmap into a PNG of the same base name beside it with the
// program folder's converter, and waits for it. True only when the converter
// ran successfully and the PNG exists; the caller keeps the bitmap otherwise.
bool BmpToPng(const QString &BmpPath);
// The PNG name BmpToPng writes for a bitmap.
QString PngPathFor(const QString &BmpPath);

QString UserName();
QString ComputerName();

// A text as an SQL literal: between single quotes, each single quote doubled.
QString SqlQuote(const QString &Text);
