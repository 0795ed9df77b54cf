#pragma once
// Draws the altitude profile of the hand-off into an image: background, the
// altitude grid and labels, one segment per pair of samples coloured by its
// gradient class, grades, guide lines, the kilometre strip, the axis, title,
// sample labels, icons and flags, and the legend.
//
// Drawing coordinates are kilometres across and metres of altitude upward;
// the image's left edge is x = 0, its right edge x = PercX * length, its
// bottom y = 0 and its top y = PercY * height range. The sample (d, a) lies at
// (OriginX + d, OriginY + a - base).
#include "core/ProfileGlobals.h"
#include "profile/ProfileOptions.h"

#include <QColor>
#include <QDate>
#include <QFont>
#include <QImage>
#include <QLocale>
#include <QPainter>
#include <QRect>
#include <QString>
#include <QVector>

class ImageList;

// What the renderer draws from: the profile hand-off.
struct ProfileInput {
    QVector<ProfileSample> samples;
    float distance = 0;   // km
    int32_t base = 0;     // m on the base line
    int32_t span = 0;     // m from the base line to the top of the profile
    QString name, time, speed, length, climbRate, grade;
    int32_t gain = 0;
    float climbKm = 0;

    // The current hand-off (core/ProfileGlobals.h).
    static ProfileInput FromHandoff();
};

// The window state a redraw leaves, read by the read-out and the SVG export.
struct ProfileView {
    QRect ClientRect;            // 0, 0, W, H
    float PixelsPerUnitX = 0;    // pixels per km
    float PixelsPerUnitY = 0;    // pixels per m
    float OriginX = 0;           // km where distance 0 lies
    float OriginY = 0;           // m where the base line lies
    int32_t base = 0;            // base and span the drawing used (the fixed
    int32_t span = 0;            // height's when that option is on)
    float distance = 0;          // length the drawing used, km
    float textHeightZ = 0;       // height of "Z" in the last font used, m
    bool drawable = false;       // false: no length or height range, frame only

    // Drawing point to pixel (not rounded) and back.
    QPointF ToPixel(double x, double y) const
    {
        return {x * PixelsPerUnitX, ClientRect.height() - y * PixelsPerUnitY};
    }
    QPointF FromPixel(const QPointF &p) const
    {
        return {p.x() / PixelsPerUnitX, (ClientRect.height() - p.y()) / PixelsPerUnitY};
    }
};

struct RenderResult {
    ProfileView view;
    QString sizeText;            // status panel "Size": text and tooltip
    QString sizeTip;
    bool backgroundFailed = false;  // the background picture could not be loaded
};

// Gradient class colour of a segment: |rise (m) / run (km) / 1000|, each
// bound belonging to the lower class.
int32_t ClassColor(const ProfileOptions &o, float rise, float run);
// Fill style 0-7 and line style numbers as Qt brush and pen styles.
Qt::BrushStyle FillStyleBrush(int style);
Qt::PenStyle LineStylePen(int style);
// A font group as a QFont (size in points; a size of 0 or less is 8).
QFont GroupFont(const ProfileOptions &o, FontGroup g);
// The colour of a stored colour number.
QColor ColourOf(int32_t value);

// The altitude marks of the grid: the step q (m) rounded to a whole n, the
// first mark one step above the start (base itself when base is a multiple
// of n, else q times base / n cut toward zero), the last the first mark not
// below base + span. A step rounding to 0 or less is 100.
QVector<float> GridMarks(float q, int32_t base, int32_t span);

// The most blocks a kilometre strip holds.
constexpr int MaxStripBlocks = 32767;
// The block length (km) a strip of dimX km uses for the stored intX: one that
// is no length (0 or less, not a number, infinite) or so small that the strip
// would need more than MaxStripBlocks blocks gives way to the default 1 km.
float stripInterval(float dimX, float intX);

// The strip blocks from curX: count n, the left edge of each block followed by
// the right end of the last (n + 1 edges, km), and the labels (km) printed,
// given whether they fit. The block length is stripInterval's; a strip that
// even at 1 km would pass MaxStripBlocks stops there.
struct StripLayout {
    float interval = 1;
    int blocks = 0;
    QVector<float> edges;
    QVector<float> labels;   // distance of each printed label, km
};
StripLayout LayoutStrip(float dimX, float intX, bool labelsFit, float curX = 0);

// Draws into `image` (its size is the client area; its back colour `back`).
// Options may change: a background picture that cannot be loaded clears
// DrawWall, PaintBackBmp and BackBmp (backgroundFailed tells the caller to
// say so once).
RenderResult RenderProfile(QImage &image, const QColor &back, ProfileOptions &o, const ProfileInput &in,
                           const ImageList *icons, const QDate &today = QDate::currentDate(),
                           const QLocale &locale = QLocale());

// A blank image of the given size at the screen resolution the drawing assumes (96 dpi).
QImage MakeSurfaceImage(const QSize &size, const QColor &back);

// The renderer's helpers, in drawing coordinates on a painter set up by it.
class ProfileCanvas {
public:
    ProfileCanvas(QPainter &painter, const ProfileView &view) : p(painter), v(view) {}
    QPainter &p;
    const ProfileView &v;

    // Text height ("Z" probe) in m and width in km in the painter's font.
    double th(const QString &s = QStringLiteral("Z")) const;
    double w(const QString &s) const;
    // Text with its top-left corner at (x, y).
    void Print(double x, double y, const QString &s, const QColor &colour);
    QPoint Px(double x, double y) const;
};

// The kilometre strip: blocks of intX km, dimY pixels high, hanging below
// (curX, curY), and their labels in the painter's font and `textColour`.
void Tachimetro(ProfileCanvas &c, float curX, float curY, float dimX, float dimY, float intX, int32_t color1,
                int32_t color2, const QColor &textColour, const QLocale &locale = QLocale());
// The tick of an altitude mark.
void Draw_TacY(ProfileCanvas &c, float curX, float curY, const QColor &pointColour);
// A flag standing on the point.
void Draw_Flag(ProfileCanvas &c, float curX, float curY, int32_t flagColor);
// The area between a segment and the base line, in the painter's pen and brush.
void Draw_Poly(ProfileCanvas &c, float iniX, float iniY, float finX, float finY, float yOrig);
