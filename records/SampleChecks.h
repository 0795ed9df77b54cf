#pragma once
// The rules of the altitude-sample grid of a card window: a distance and a
// height must be numbers, two samples of one record never share a distance,
// every written row has both values. Pure functions: the grid passes what was
// typed and what is stored, and acts on the answer.
#include <QList>
#include <QLocale>
#include <QString>
#include <QVariant>
#include <cstdint>

namespace SampleChecks {

// Grid columns, in order.
enum Column { DistanceColumn = 0, HeightColumn = 1, NoteColumn = 2, IconColumn = 3 };

// Texts of the messages, by window.
constexpr int DuplicateTextClimb = 9534;   // "Warning: duplicate value!"
constexpr int DuplicateTextRoute = 7534;
constexpr int EmptyFieldTextClimb = 9503;  // "Field %1 can't be empty." (both columns)
constexpr int EmptyDistanceTextRoute = 7505;
constexpr int EmptyHeightTextRoute = 7506;
constexpr int OutOfRangeTextClimb = 9536;  // "Field %1 takes a whole number from %2 to %3."
constexpr int OutOfRangeTextRoute = 7536;
// What a height cell holds.
constexpr int HeightMin = -32768;
constexpr int HeightMax = 32767;

struct CellCheck {
    enum Outcome {
        Accept,     // store `value` in the cell
        Reject,     // cancel the edit and put the old value back, silently
        Duplicate,  // cancel, put the old value back, warn with the duplicate text
        OutOfRange  // cancel, put the old value back, tell the field's range
    };
    Outcome outcome = Reject;
    QVariant value;  // float for a distance, int16 for a height
};

// A distance cell: accepted when the text is a number (either decimal mark),
// differs from the old value, and no other stored sample of the record has the
// same distance. Distances are compared as single-precision numbers, so "1,5"
// and "1.5" and a stored 1.5 are one distance. `storedDistances` holds the
// record's stored samples including the row being edited.
CellCheck CheckDistance(const QString &typed, const QVariant &oldValue,
                        const QList<double> &storedDistances, const QLocale &locale = QLocale());

// A height cell: a number rounded to whole metres (halves to even) that fits
// 16 bits; a number beyond that is out of range; anything else, or the old
// value again, is refused.
CellCheck CheckHeight(const QString &typed, const QVariant &oldValue, const QLocale &locale = QLocale());

// Before a row is written: the first of distance and height that holds no value
// (null or empty text), or -1 when both are there.
int MissingColumn(const QVariant &distance, const QVariant &height);

// Keys in the grid. In the icon column Delete (46) clears the icon and Enter
// (13) opens the icon picker.
enum class KeyAction { None, ClearIcon, PickIcon };
KeyAction IconKeyDown(int column, int keyCode);
KeyAction IconKeyPress(int column, int keyAscii);

} // namespace SampleChecks
