#pragma once
// The chart of an athlete's records: one value per record (speed, power or
// climb rate) drawn as a ribbon 5 pixels thick in an open box of three walls
// (left wall, floor, back wall), in an oblique projection whose depth axis
// runs up and to the right at 30 degrees. Plain functions: the value choice,
// the drawing into a QPainter with the text metrics passed in, the read-out
// of the record under the pointer, and the window's stored settings.
//
// Lengths are pixels of the drawing surface, x to the right, y downwards.
#include "core/ChartHandoff.h"

#include <QColor>
#include <QFont>
#include <QLocale>
#include <QSize>
#include <QString>
#include <QVector>
#include <functional>

class QPainter;
class QPaintDevice;

namespace Chart {

// The axis font: the chart's title, scale and record labels are written in it.
struct AxisFont {
    int16_t bold = 0, italic = 0, strikethru = 0, underline = 0;   // nonzero: on
    QString name = QStringLiteral("Arial");
    float size = 8;            // points
    int32_t color = 0;         // red in the low byte
    QFont toFont() const;      // a size of 0 or less is 8
};

// Width and height of a text in the font in force, in pixels (fractional).
struct TextMetrics {
    std::function<double(const QString &)> width;
    std::function<double(const QString &)> height;
    // The metrics of a font on a device.
    static TextMetrics Of(const QFont &font, const QPaintDevice *device);
};

// The box: depth of one unit 50 pixels at 30 degrees, the box two units
// deep, the value axis in ten levels.
inline constexpr float DepthLength = 50;
inline constexpr float DepthAngle = 30 * 3.1415927f / 180;
float DepthX();   // 43.30127
float DepthY();   // 25
inline constexpr int BoxDepth = 2;
inline constexpr int LevelCount = 10;

// What is drawn: the value of each record, the scale's top, the ribbon's
// bright and dark colours and the title. Made by the value choice.
struct Series {
    QVector<float> values;
    float scaleMax = 50;
    QColor face, shade;
    QString title;
};

// Value choice: 0 speed, 1 power, 2 climb rate, from each record in order;
// the title is the chart's heading, a blank and the value's title text.
Series ChooseValues(int index, const QVector<ChartRecord> &records, const QString &chartTitle);

// What a drawing leaves for the read-out.
struct Layout {
    int SurfaceWidth = 0, SurfaceHeight = 0;
    float MarginX = 0, MarginY = 0;   // room for the value labels and the record numbers
    int PlotWidth = 0, PlotHeight = 0; // the value area on the front plane
    int StepCount = 0;                // records - 1
    QString sizeText;                 // the "size" panel: "Size: 638 x 289"
    bool cleared = false;             // the surface was cleared (the drawing began)
    bool drawn = false;               // the whole chart was drawn
};

// Draws the chart on a surface of the given size. A surface too small for the
// box draws nothing (drawn and cleared false: the old picture stays). Throws
// VbError(6) when a coordinate leaves the 32-bit range; `out` then holds how
// far the drawing came.
void Draw(QPainter &painter, const QSize &surface, const Series &series, const AxisFont &font,
          const TextMetrics &metrics, Layout &out);

// The record under a pointer at (x, y), or -1 when the pointer is not
// strictly inside the value area of the last drawing.
int RecordAt(const Layout &layout, double x, double y);

// The seven read-out panels of a record, in the order Nome, Data,
// Lunghezza, Tempo, Velocità, power, Vam.
QStringList ReadoutTexts(const ChartRecord &record, const QLocale &locale = QLocale());

// The window's stored state, settings section "Grafico".
struct Settings {
    // Tall enough on first opening for the ten scale values not to run into
    // each other; 5000 left a picture of some 190 pixels, levels 6 apart.
    int32_t height = 7500, width = 11500, left = 225, top = 2025;   // outer window, 1/1440 inch
    AxisFont font;
};
inline constexpr char Section[] = "Grafico";
// A missing key gives the default; a text that does not convert leaves the
// value as it was; a font size of 0 or less reads as 8.
void Load(const QString &appName, Settings &s);
// Writes the axis font, and the window's place and size when `placement`.
void Save(const QString &appName, const Settings &s, bool placement);

} // namespace Chart
