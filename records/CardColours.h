#pragma once
// Colour values as the settings and the design hold them (red in the low byte;
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

// The system's button-face colour as the design writes it.
constexpr qint64 ButtonFace = -2147483633;
