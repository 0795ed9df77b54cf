#pragma once
// Colour values as the settings hold them (red in the low byte;
// the high bit set names a system colour), and setting them on a widget.
#include <QColor>
#include <QtGlobal>

class QWidget;

QColor ColorFromValue(qint64 value);
qint64 ValueFromColor(const QColor &color);
// Text colour (window text and text) of a label or a field.
void SetTextColour(QWidget *w, qint64 value);
// Background of a label, filled.
void SetBackColour(QWidget *w, qint64 value);

// The system's button-face colour as a colour value: a card's colour until the
// user picks another.
constexpr qint64 ButtonFace = -2147483633;
