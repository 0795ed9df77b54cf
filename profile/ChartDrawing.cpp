#include "profile/ChartDrawing.h"

#include "core/LangClient.h"
#include "core/ValueParsing.h"
#include "platform/error/VbError.h"
#include "platform/settings/Settings.h"
#include "platform/shell/Shell.h"
#include "profile/ProfileRenderer.h"

#include <QFontMetricsF>
#include <QGlyphRun>
#include <QHash>
#include <QPaintEngine>
#include <QPainter>
#include <QRawFont>
#include <QPoint>
#include <cmath>

namespace Chart {

namespace {

// Nearest whole number, a tie going to the even one; beyond 32 bits is an overflow.
int Nint(double v)
{
    const double r = std::nearbyint(v);
    if (!(r >= -2147483648.0 && r <= 2147483647.0))
        RaiseError(VbErr::Overflow, QStringLiteral("Overflow"));
    return int(r);
}

// A text whose top-left corner is at (x, y).
struct Writer {
    QPainter &p;
    double ascent;
    void print(double x, double y, const QString &s) { p.drawText(QPointF(x, y + ascent), s); }
};


// Polygons in one fill colour after another; the brush changes only when the
// colour does.
struct Filler {
    QPainter &p;
    QColor current;
    void operator()(const QColor &fill, std::initializer_list<QPoint> points)
    {
        if (fill != current) {
            p.setBrush(fill);
            current = fill;
        }
        p.drawConvexPolygon(points.begin(), int(points.size()));
    }
};

// A long chart draws thousands of small ribbon pieces of a few shapes, and
// the painter's one-pixel outlines cost far more than their few pixels. On a
// 32-bit image each shape is drawn once by the painter on a scratch image and
// its pixels (the outline's and the inside's) are then set wherever the shape
// recurs: with whole-pixel corners the painter sets the same pixels at every
// whole-pixel offset, so the picture is the painter's own. Shapes near the
// image's edge, where the painter clips, and any surface other than a plain
// 32-bit image are left to the painter.
class Stamps {
public:
    // `on`: the pieces are narrow enough for their shapes to recur.
    Stamps(QPainter &p, bool on)
    {
        QPaintDevice *device = p.device();
        if (!on || !device || device->devType() != QInternal::Image)
            return;
        auto *image = static_cast<QImage *>(device);
        const QImage::Format f = image->format();
        const QPen pen = p.pen();
        if ((f != QImage::Format_RGB32 && f != QImage::Format_ARGB32 && f != QImage::Format_ARGB32_Premultiplied)
            || image->devicePixelRatio() != 1 || p.hasClipping() || !p.transform().isIdentity()
            || p.compositionMode() != QPainter::CompositionMode_SourceOver || p.opacity() != 1
            || p.testRenderHint(QPainter::Antialiasing)
            || (pen.style() != Qt::SolidLine && pen.style() != Qt::DotLine) || pen.widthF() != 0
            || pen.brush().style() != Qt::SolidPattern || pen.color().alpha() != 255)
            return;
        m_pen = pen;
        m_outline = pen.color().rgba();
        if (m_outline == Blank || m_outline == Inside)   // it could not be told apart on the scratch image
            return;
        m_width = image->width();
        m_height = image->height();
        m_stride = image->bytesPerLine() / 4;
        // The buffer the painter draws in (it holds the image unshared while it paints).
        m_bits = reinterpret_cast<QRgb *>(const_cast<uchar *>(image->constBits()));
    }

    // The convex polygon outlined in the pen and filled in `fill` (opaque);
    // false when the painter is to draw it.
    bool polygon(const QColor &fill, const QPoint *points, int count)
    {
        return apply(points, count, fill.rgba(), false);
    }
    // A line in the pen from a to b (a dotted one shows only its dots); false
    // when the painter is to draw it.
    bool line(const QPoint &a, const QPoint &b)
    {
        const QPoint points[2] = {a, b};
        return apply(points, 2, 0, true);
    }

private:
    struct Pixel {
        qint16 dx, dy;
        bool outline;
    };
    static constexpr int Reach = 511;   // corners within this of the first one make a key
    // The scratch image's ground and the inside of a shape drawn on it.
    static constexpr QRgb Blank = 0xFFFFFFFF, Inside = 0xFF010203;

    bool apply(const QPoint *points, int count, QRgb fill, bool isLine)
    {
        if (!m_bits || (!isLine && qAlpha(fill) != 255))
            return false;
        const QPoint o = points[0];
        int left = o.x(), right = o.x(), top = o.y(), bottom = o.y();
        quint64 key = 0;
        for (int i = 1; i < count; ++i) {
            const QPoint d = points[i] - o;
            if (qAbs(d.x()) > Reach || qAbs(d.y()) > Reach)
                return false;
            key = (key << 10 | quint64(d.x() + Reach)) << 10 | quint64(d.y() + Reach);
            left = qMin(left, points[i].x());
            right = qMax(right, points[i].x());
            top = qMin(top, points[i].y());
            bottom = qMax(bottom, points[i].y());
        }
        if (isLine)
            key |= quint64(1) << 63;
        if (left - 2 < 0 || top - 2 < 0 || right + 2 >= m_width || bottom + 2 >= m_height)
            return false;
        auto found = m_index.constFind(key);
        const int index = found != m_index.constEnd() ? found.value() : make(key, points, count, isLine);
        if (index < 0)
            return false;
        QRgb *at = m_bits + qsizetype(o.y()) * m_stride + o.x();
        for (const Pixel &px : m_stamps[index])
            at[qsizetype(px.dy) * m_stride + px.dx] = px.outline ? m_outline : fill;
        return true;
    }

    // Draws the shape on a scratch image and keeps its pixels; -1 when they
    // cannot be told apart.
    int make(quint64 key, const QPoint *points, int count, bool isLine)
    {
        const QPoint o = points[0];
        int left = 0, right = 0, top = 0, bottom = 0;
        for (int i = 1; i < count; ++i) {
            const QPoint d = points[i] - o;
            left = qMin(left, d.x());
            right = qMax(right, d.x());
            top = qMin(top, d.y());
            bottom = qMax(bottom, d.y());
        }
        const QPoint at(2 - left, 2 - top);
        QImage scratch(right - left + 5, bottom - top + 5, QImage::Format_RGB32);
        scratch.fill(Blank);
        {
            QPainter sp(&scratch);
            sp.setPen(m_pen);
            sp.setBrush(QColor::fromRgb(Inside));
            QPoint shifted[4];
            for (int i = 0; i < count; ++i)
                shifted[i] = points[i] - o + at;
            if (isLine) {
                const QLine l(shifted[0], shifted[1]);
                sp.drawLines(&l, 1);
            } else {
                sp.drawConvexPolygon(shifted, count);
            }
        }
        QVector<Pixel> pixels;
        int index = int(m_stamps.size());
        for (int y = 0; y < scratch.height() && index >= 0; ++y) {
            const QRgb *row = reinterpret_cast<const QRgb *>(scratch.constScanLine(y));
            for (int x = 0; x < scratch.width(); ++x) {
                if (row[x] == Blank)
                    continue;
                if (row[x] != m_outline && row[x] != Inside) {
                    index = -1;
                    break;
                }
                pixels.push_back({qint16(x - at.x()), qint16(y - at.y()), row[x] == m_outline});
            }
        }
        if (index >= 0)
            m_stamps.push_back(std::move(pixels));
        m_index.insert(key, index);
        return index;
    }

    QPen m_pen;
    QRgb m_outline = 0;
    QRgb *m_bits = nullptr;
    int m_width = 0, m_height = 0;
    qsizetype m_stride = 0;
    QHash<quint64, int> m_index;
    QVector<QVector<Pixel>> m_stamps;
};

// The record numbers, thousands of them on a long chart, as one run of
// glyphs on a raster surface (no shaping per number); elsewhere, or with an
// underlined or struck-out font whose lines a run would join, text by text.
class NumberPrinter {
public:
    NumberPrinter(QPainter &p, const QFont &font, double ascent) : m_p(p), m_ascent(ascent)
    {
        const QPaintEngine *engine = p.paintEngine();
        if (!engine || engine->type() != QPaintEngine::Raster || font.underline() || font.strikeOut())
            return;
        m_raw = QRawFont::fromFont(QFont(font, p.device()));
        if (!m_raw.isValid())
            return;
        const QList<quint32> glyphs = m_raw.glyphIndexesForString(QStringLiteral(" 0123456789"));
        if (glyphs.size() != 11)
            return;
        const QList<QPointF> advances = m_raw.advancesForGlyphIndexes(glyphs);
        for (int i = 0; i < 11; ++i) {
            if (i > 0 && glyphs[i] == 0)
                return;
            m_glyph[i] = glyphs[i];
            m_advance[i] = advances.value(i).x();
        }
        m_fast = true;
        m_glyphs.reserve(RunLength + 16);
        m_positions.reserve(RunLength + 16);
    }
    // The number's digits as QString::number writes them.
    void print(double x, double y, const QString &digits)
    {
        if (!m_fast) {
            m_p.drawText(QPointF(x, y + m_ascent), QLatin1Char(' ') + digits + QLatin1Char(' '));
            return;
        }
        double at = x + m_advance[0];   // the sign's blank
        for (QChar c : digits) {
            const int d = c.unicode() - '0' + 1;
            m_glyphs << m_glyph[d];
            m_positions << QPointF(at, y + m_ascent);
            at += m_advance[d];
        }
        // Drawn in runs of a bounded size: the glyphs are blended one after
        // the other all the same, and small lists are reused from draw to
        // draw instead of being mapped afresh.
        if (m_glyphs.size() >= RunLength)
            flush();
    }
    void flush()
    {
        if (!m_fast || m_glyphs.isEmpty())
            return;
        {
            QGlyphRun run;   // shares the lists: gone before they are emptied, so they keep their room
            run.setRawFont(m_raw);
            run.setGlyphIndexes(m_glyphs);
            run.setPositions(m_positions);
            m_p.drawGlyphRun(QPointF(0, 0), run);
        }
        m_glyphs.resize(0);
        m_positions.resize(0);
    }

private:
    static constexpr qsizetype RunLength = 1024;
    QPainter &m_p;
    double m_ascent;
    QRawFont m_raw;
    bool m_fast = false;
    quint32 m_glyph[11] = {};
    double m_advance[11] = {};
    QList<quint32> m_glyphs;
    QList<QPointF> m_positions;
};

} // namespace

QFont AxisFont::toFont() const
{
    QFont f(name);
    f.setPointSizeF(size > 0 ? size : 8);
    f.setBold(bold != 0);
    f.setItalic(italic != 0);
    f.setStrikeOut(strikethru != 0);
    f.setUnderline(underline != 0);
    return f;
}

TextMetrics TextMetrics::Of(const QFont &font, const QPaintDevice *device)
{
    // Labels are digits and "Z": their widths are summed from the characters'
    // (no pair of them is kerned), which spares shaping each label.
    struct Measure {
        QFontMetricsF fm;
        double digit[10], z, blank;
    };
    auto m = std::make_shared<Measure>(Measure{QFontMetricsF(font, device), {}, 0, 0});
    for (int i = 0; i < 10; ++i)
        m->digit[i] = m->fm.horizontalAdvance(QChar(u'0' + i));
    m->z = m->fm.horizontalAdvance(QChar(u'Z'));
    m->blank = m->fm.horizontalAdvance(QChar(u' '));
    return {[m](const QString &s) {
                double w = 0;
                for (QChar c : s) {
                    if (c >= u'0' && c <= u'9')
                        w += m->digit[c.unicode() - u'0'];
                    else if (c == u'Z')
                        w += m->z;
                    else if (c == u' ')
                        w += m->blank;
                    else
                        return m->fm.horizontalAdvance(s);
                }
                return w;
            },
            [m](const QString &) { return m->fm.height(); }};
}

float DepthX() { return DepthLength * std::cos(DepthAngle); }
float DepthY() { return DepthLength * std::sin(DepthAngle); }

Series ChooseValues(int index, const QVector<ChartRecord> &records, const QString &chartTitle)
{
    struct Choice {
        float scaleMax;
        QColor face, shade;
        int title;
    };
    static const Choice choices[3] = {
        {50, QColor(0, 0, 255), QColor(0, 0, 100), 3503},
        {500, QColor(255, 0, 0), QColor(100, 0, 0), 3504},
        {2000, QColor(0, 255, 0), QColor(0, 100, 0), 3505},
    };
    const Choice &c = choices[qBound(0, index, 2)];
    Series s;
    s.values.reserve(records.size());
    for (const ChartRecord &r : records)
        s.values << (index == 0 ? r.speed : index == 1 ? r.power : float(r.climbRate));
    s.scaleMax = c.scaleMax;
    s.face = c.face;
    s.shade = c.shade;
    s.title = chartTitle + QLatin1Char(' ') + GetLangString(c.title);
    return s;
}

void Draw(QPainter &p, const QSize &surface, const Series &series, const AxisFont &font, const TextMetrics &tm,
          Layout &out)
{
    out = Layout();
    const int SW = surface.width(), SH = surface.height();
    out.SurfaceWidth = SW;
    out.SurfaceHeight = SH;
    const int points = int(series.values.size());
    const int steps = qMax(1, points - 1);
    out.StepCount = points - 1;

    const QFont axisFont = font.toFont();
    const QColor axisColour = ColourOf(font.color);
    p.setFont(axisFont);
    const float marginX = float(2 * tm.width(QStringLiteral("ZZZZ")));
    const float marginY = float(2 * tm.height(QStringLiteral("Z")));
    out.MarginX = marginX;
    out.MarginY = marginY;
    const float depthX = DepthX(), depthY = DepthY();
    out.PlotWidth = Nint(SW - Nint(2 * BoxDepth * double(depthX)) - double(marginX));
    out.PlotHeight = Nint(SH - Nint(2 * BoxDepth * double(depthY)) - double(marginY));
    out.sizeText = GetLangString(3513) + QLatin1Char(' ') + QString::number(SW) + QStringLiteral(" x ")
        + QString::number(SH);
    if (out.PlotWidth <= 0 || out.PlotHeight <= 0)
        return;

    const int PW = out.PlotWidth, PH = out.PlotHeight;
    const double scaleMax = series.scaleMax;
    const double thZ = tm.height(QStringLiteral("Z"));
    const int bx = Nint(BoxDepth * double(depthX)), by = Nint(BoxDepth * double(depthY));
    const int rx = Nint(depthX), ry = Nint(depthY);
    const int x0 = Nint(marginX), yB = Nint(SH - double(marginY));
    auto col = [&](int j) { return Nint(double(j) * PW / steps); };
    auto lev = [&](int i) { return Nint(double(i * PH) / LevelCount); };

    p.setRenderHint(QPainter::Antialiasing, false);
    p.fillRect(QRect(0, 0, SW, SH), Qt::white);
    out.cleared = true;
    const double ascent = QFontMetricsF(axisFont, p.device()).ascent();
    Writer w{p, ascent};
    Filler polygon{p, QColor()};
    const QPen solid(Qt::black, 0, Qt::SolidLine);   // one pixel
    const QPen dotted(Qt::black, 0, Qt::DotLine);
    const QPen text(axisColour);

    // Title, centred in the band above the back wall.
    p.setPen(text);
    w.print(marginX, Nint((BoxDepth * double(depthY) - thZ) / 2), series.title);

    // Left wall.
    p.setPen(solid);
    const int yT = Nint(SH - scaleMax * PH / scaleMax - marginY);
    const QColor wall(255, 255, 150);
    polygon(wall, {{x0, yB}, {x0, yT}, {x0 + bx, yT - by}, {x0 + bx, yB - by}});

    // Levels across the left wall with their values.
    for (int i = 1; i <= LevelCount; ++i) {
        p.setPen(dotted);
        p.drawLine(x0, yB - lev(i), x0 + bx, yB - by - lev(i));
        const int label = int(std::floor(float(i) * float(scaleMax) / float(LevelCount)));
        p.setPen(text);
        w.print(x0 - tm.width(QString::number(label) + QLatin1Char('Z')), (yB - lev(i)) - thZ / 2,
                QLatin1Char(' ') + QString::number(label) + QLatin1Char(' '));
    }

    // Floor.
    p.setPen(solid);
    polygon(wall, {{x0, yB}, {x0 + bx, yB - by}, {x0 + bx + col(steps), yB - by}, {x0 + col(steps), yB}});

    // One line across the floor per record, with its number below it.
    const int numberY = yB + Nint(thZ / 2);
    // More records than pixels put lines on the same pixels: each is drawn once.
    QVector<QLine> across;
    auto line = [&across](const QLine &l) {
        if (across.isEmpty() || across.constLast() != l)
            across << l;
    };
    // The dotted lines of one wall have one shape.
    auto dottedLines = [&p, &across] {
        Stamps dots(p, true);
        QVector<QLine> rest;
        for (const QLine &l : std::as_const(across))
            if (!dots.line(l.p1(), l.p2()))
                rest << l;
        p.drawLines(rest);
    };
    for (int j = 0; j <= out.StepCount; ++j)
        line(QLine(x0 + col(j), yB, x0 + bx + col(j), yB - by));
    p.setPen(dotted);
    dottedLines();
    p.setPen(text);
    NumberPrinter numbers(p, axisFont, ascent);
    for (int j = 0; j <= out.StepCount; ++j) {
        const QString digits = QString::number(j + 1);
        numbers.print((x0 + col(j)) - tm.width(digits) / 2, numberY, digits);
    }
    numbers.flush();

    // Back wall, lighter than the left wall and the floor.
    p.setPen(solid);
    const QPoint b0(Nint(marginX + bx), Nint(SH - by - double(marginY)));
    const QPoint b1(b0.x(), Nint(SH - Nint(scaleMax * PH / scaleMax) - by - double(marginY)));
    const QPoint b2(b0.x() + col(steps), b1.y());
    const QPoint b3(b2.x(), b0.y());
    polygon(QColor(255, 255, 200), {b0, b1, b2, b3});
    p.setPen(dotted);
    for (int i = 1; i <= LevelCount - 1; ++i)
        p.drawLine(b0.x(), b0.y() - lev(i), b3.x(), b3.y() - lev(i));
    across.clear();
    for (int j = 1; j <= out.StepCount - 1; ++j)
        line(QLine(b0.x() + col(j), b0.y(), b1.x() + col(j), b1.y()));
    dottedLines();

    // The ribbon, each segment over the earlier ones. A rise steeper than the
    // depth axis shows the ribbon's underside.
    p.setPen(solid);
    const double t = std::sin(DepthAngle) / std::cos(DepthAngle);
    // Pieces a few pixels wide repeat their shapes.
    Stamps stamps(p, out.StepCount >= PW / 4);
    auto piece = [&](const QColor &fill, std::initializer_list<QPoint> corners) {
        if (!stamps.polygon(fill, corners.begin(), int(corners.size())))
            polygon(fill, corners);
    };
    for (int k = 0; k <= points - 2; ++k) {
        const double v0 = series.values[k], v1 = series.values[k + 1];
        const QPoint P0(Nint(marginX + col(k)), Nint(SH - v0 * PH / scaleMax - marginY));
        const QPoint P3(Nint(marginX + col(k + 1)), Nint(SH - Nint(v1 * PH / scaleMax) - double(marginY)));
        const QPoint P1(P0.x() + rx, P0.y() - ry), P2(P3.x() + rx, P3.y() - ry);
        const double s = (v1 - v0) / scaleMax * PH * out.StepCount / PW;
        if (s <= t) {
            piece(series.face, {P0, P1, P2, P3});
        } else {
            const QPoint down(0, 5);
            piece(series.shade, {P0 + down, P1 + down, P2 + down, P3 + down});
        }
        if (P0.x() != P3.x()) {
            piece(series.face, {P0, P3, {P3.x(), P3.y() + 5}, {P0.x(), P0.y() + 5}});
        } else {
            // More records than pixels: a front band with no width is its
            // outline, one upright line.
            const QPoint top(P0.x(), qMin(P0.y(), P3.y())), bottom(P0.x(), qMax(P0.y(), P3.y()) + 5);
            if (!stamps.line(top, bottom))
                p.drawLine(top, bottom);
        }
        if (k == points - 2)
            piece(series.face, {P3, P2, {P2.x(), P2.y() + 5}, {P3.x(), P3.y() + 5}});
    }
    out.drawn = true;
}

int RecordAt(const Layout &l, double x, double y)
{
    if (l.PlotWidth <= 0 || l.PlotHeight <= 0 || l.StepCount < 1)
        return -1;
    const double a = (l.SurfaceHeight - double(l.MarginY)) - y;
    const double b = x - double(l.MarginX);
    if (!(a > 0 && a < l.PlotHeight && b > 0 && b < l.PlotWidth))
        return -1;
    return qBound(0, int(std::nearbyint(b * l.StepCount / l.PlotWidth)), l.StepCount);
}

QStringList ReadoutTexts(const ChartRecord &r, const QLocale &locale)
{
    QLocale plain = locale;
    plain.setNumberOptions(QLocale::OmitGroupSeparator);
    auto single = [&](float v) { return Shell::NumberText(plain, double(v), 'g', 7); };
    // The length as "0.#0": two decimals; a text that is no number as it stands.
    QString length = r.length;
    double km = 0;
    if (ParseDecimal(r.length.trimmed(), &km) && std::isfinite(km))
        length = Shell::NumberText(plain, km, 'f', 2);
    auto panel = [](int text, const QString &value) { return GetLangString(text) + QLatin1Char(' ') + value; };
    return {panel(3506, r.name),          panel(3507, r.date),           panel(3508, length),
            panel(3509, r.time),          panel(3510, single(r.speed)),  panel(3511, single(r.power)),
            panel(3512, QString::number(r.climbRate))};
}

// ---------------------------------------------------------------------------
// Settings

namespace {

bool ReadNumber(const QString &text, double *out)
{
    double v = 0;
    if (!ParseDecimal(text.trimmed(), &v) || !std::isfinite(v))
        return false;
    *out = v;
    return true;
}

template <typename T>
void ReadWhole(const QString &app, const char *key, T &field, double lo, double hi)
{
    const QString text = GetSetting(app, QString::fromLatin1(Section), QString::fromLatin1(key), QString());
    double v = 0;
    if (text.isNull() || !ReadNumber(text, &v))
        return;
    v = std::nearbyint(v);
    if (v >= lo && v <= hi)
        field = T(v);
}

} // namespace

void Load(const QString &app, Settings &s)
{
    const QString section = QString::fromLatin1(Section);
    ReadWhole(app, "height", s.height, -2147483648.0, 2147483647.0);
    ReadWhole(app, "width", s.width, -2147483648.0, 2147483647.0);
    ReadWhole(app, "left", s.left, -2147483648.0, 2147483647.0);
    ReadWhole(app, "top", s.top, -2147483648.0, 2147483647.0);
    ReadWhole(app, "AX_FontBold", s.font.bold, -32768, 32767);
    ReadWhole(app, "AX_FontItalic", s.font.italic, -32768, 32767);
    const QString name = GetSetting(app, section, QStringLiteral("AX_FontName"), QString());
    if (!name.isNull())
        s.font.name = name;
    const QString size = GetSetting(app, section, QStringLiteral("AX_FontSize"), QString());
    double v = 0;
    // A size of 0 or less reads as 8; one beyond any font the system offers
    // (2160 points) is not read.
    if (!size.isNull() && ReadNumber(size, &v) && v <= 2160)
        s.font.size = v > 0 ? float(v) : 8;
    ReadWhole(app, "AX_FontStrikethru", s.font.strikethru, -32768, 32767);
    ReadWhole(app, "AX_FontUnderline", s.font.underline, -32768, 32767);
    ReadWhole(app, "AX_Color", s.font.color, -2147483648.0, 2147483647.0);
}

void Save(const QString &app, const Settings &s, bool placement)
{
    const QString section = QString::fromLatin1(Section);
    auto put = [&](const char *key, const QString &value) {
        SaveSetting(app, section, QString::fromLatin1(key), value);
    };
    if (placement) {
        put("height", QString::number(s.height));
        put("width", QString::number(s.width));
        put("left", QString::number(s.left));
        put("top", QString::number(s.top));
    }
    put("AX_FontBold", QString::number(s.font.bold));
    put("AX_FontItalic", QString::number(s.font.italic));
    put("AX_FontName", s.font.name);
    put("AX_FontSize", QString::number(qint64(std::nearbyint(double(s.font.size)))));
    put("AX_FontStrikethru", QString::number(s.font.strikethru));
    put("AX_FontUnderline", QString::number(s.font.underline));
    put("AX_Color", QString::number(s.font.color));
}

} // namespace Chart
