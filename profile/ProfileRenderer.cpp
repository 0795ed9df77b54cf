#include "profile/ProfileRenderer.h"

#include "core/BikeRoutine.h"
#include "core/Globals.h"
#include "core/LangClient.h"
#include "records/CardNumbers.h"
#include "platform/shell/Shell.h"

#include <QFontMetricsF>
#include <QImageReader>
#include <QPen>
#include <QHash>
#include <QPolygon>

#include <cmath>

namespace {

constexpr float DefaultPercX = 1.38f;
constexpr float DefaultPercY = 1.60f;
constexpr float DefaultTacInt = 1.0f;
constexpr float DefaultQInt = 100.0f;
// The drawing assumes the screen resolution its font sizes were chosen for.
constexpr int DotsPerMeter96 = 3780;

// A number as the surface prints it: a blank where a minus sign would stand.
QString SurfaceNumber(double value, const QLocale &locale)
{
    QLocale l(locale);
    l.setNumberOptions(QLocale::OmitGroupSeparator);
    const QString digits = Shell::NumberText(l, value, 'g', 7);
    return digits.startsWith(l.negativeSign()) ? digits : QStringLiteral(" ") + digits;
}

// "0.0": one decimal, the user's decimal mark.
QString OneDecimal(double value, const QLocale &locale)
{
    QLocale l(locale);
    l.setNumberOptions(QLocale::OmitGroupSeparator);
    return Shell::NumberText(l, value, 'f', 1);
}

int RoundEven(double v) { return int(std::nearbyint(v)); }

// Vertical runs of pixels written straight into the image: the thin
// segments, mark lines and guide lines of a dense profile are single pixel
// columns, and thousands of them cost little this way.
class PixelColumn {
public:
    explicit PixelColumn(QImage &image)
        : m_bits(image.bits()), m_stride(image.bytesPerLine()), m_width(image.width()), m_height(image.height()) {}
    // Rows y0..y1 (inclusive) of column x; step 1 solid, 3 dotted (one pixel
    // in three, counted from the lower end when fromBottom is set, else the upper).
    void Fill(int x, int y0, int y1, QRgb colour, int step, bool fromBottom = true)
    {
        if (x < 0 || x >= m_width)
            return;
        const int top = qMax(0, y0), bottom = qMin(m_height - 1, y1);
        if (top > bottom)
            return;
        if (step <= 1) {
            for (int y = top; y <= bottom; ++y)
                reinterpret_cast<QRgb *>(m_bits + qsizetype(y) * m_stride)[x] = colour;
            return;
        }
        if (fromBottom) {
            for (int y = y1; y >= top; y -= step)
                if (y <= bottom)
                    reinterpret_cast<QRgb *>(m_bits + qsizetype(y) * m_stride)[x] = colour;
        } else {
            for (int y = y0; y <= bottom; y += step)
                if (y >= top)
                    reinterpret_cast<QRgb *>(m_bits + qsizetype(y) * m_stride)[x] = colour;
        }
    }

private:
    uchar *m_bits;
    qsizetype m_stride;
    int m_width, m_height;
};

} // namespace

ProfileInput ProfileInput::FromHandoff()
{
    ProfileInput in;
    in.samples = ProfileSamples.mid(0, qMin<qsizetype>(ProfilePointCount, ProfileSamples.size()));
    in.distance = ProfileDistance;
    in.base = ProfileBase;
    in.span = ProfileSpan;
    in.name = ProfileName;
    in.time = ProfileTime;
    in.speed = ProfileSpeed;
    in.length = ProfileLength;
    in.climbRate = ProfileClimbRate;
    in.grade = ProfileGrade;
    in.gain = ProfileGain;
    in.climbKm = ProfileClimbKm;
    return in;
}

QColor ColourOf(int32_t value)
{
    return QColor(value & 0xFF, (value >> 8) & 0xFF, (value >> 16) & 0xFF);
}

int32_t ClassColor(const ProfileOptions &o, float rise, float run)
{
    const float s = std::fabs(rise / run / 1000.0f);
    if (s <= 0.04f)
        return o.Pend4_Color;
    if (s <= 0.07f)
        return o.Pend7_Color;
    if (s <= 0.10f)
        return o.Pend10_Color;
    return o.PendH_Color;
}

Qt::BrushStyle FillStyleBrush(int style)
{
    switch (style) {
    case 0: return Qt::SolidPattern;
    case 1: return Qt::NoBrush;
    case 2: return Qt::HorPattern;
    case 3: return Qt::VerPattern;
    case 4: return Qt::BDiagPattern;   // upward diagonal: lines rising to the right
    case 5: return Qt::FDiagPattern;   // downward diagonal
    case 6: return Qt::CrossPattern;
    case 7: return Qt::DiagCrossPattern;
    default: return Qt::SolidPattern;
    }
}

Qt::PenStyle LineStylePen(int style)
{
    switch (style) {
    case 1: return Qt::DashLine;
    case 2: return Qt::DotLine;
    case 3: return Qt::DashDotLine;
    case 4: return Qt::DashDotDotLine;
    case 5: return Qt::NoPen;
    default: return Qt::SolidLine;
    }
}

QFont GroupFont(const ProfileOptions &o, FontGroup g)
{
    const ProfileFont f = GetFontGroup(o, g);
    QFont font(f.FontName.isEmpty() ? QStringLiteral("Arial") : f.FontName);
    font.setPointSizeF(f.FontSize > 0 && f.FontSize < 2000 ? double(f.FontSize) : 8.0);
    font.setBold(f.FontBold != 0);
    font.setItalic(f.FontItalic != 0);
    font.setStrikeOut(f.FontStrikethru != 0);
    font.setUnderline(f.FontUnderline != 0);
    return font;
}

QVector<float> GridMarks(float q, int32_t base, int32_t span)
{
    int32_t n = RoundEven(q);
    if (n <= 0) {
        q = DefaultQInt;
        n = 100;
    }
    float y = (base % n == 0) ? float(base) : q * float(base / n);
    QVector<float> marks;
    const float top = float(span) + float(base);
    while (y < top) {
        const float next = y + q;
        if (!(next > y))
            break;   // beyond single precision: a step no longer moves
        y = next;
        marks << y;
    }
    return marks;
}

float stripInterval(float dimX, float intX)
{
    if (!(intX > 0) || !std::isfinite(intX))
        return DefaultTacInt;
    if (dimX > 0 && double(dimX) / double(intX) > MaxStripBlocks)
        return DefaultTacInt;
    return intX;
}

StripLayout LayoutStrip(float dimX, float intX, bool labelsFit, float curX)
{
    StripLayout s;
    s.interval = intX = stripInterval(dimX, intX);
    if (!labelsFit)
        s.labels << 0.0f;
    s.edges << curX;
    float d = 0;
    int n = 0;
    while (d < dimX && n < MaxStripBlocks) {
        ++n;
        if (labelsFit)
            s.labels << float(n - 1) * intX;
        curX += intX;
        s.edges << curX;
        const float next = d + intX;
        if (!(next > d))
            break;   // beyond single precision: a block no longer moves the distance
        d = next;
    }
    s.blocks = n;
    s.labels << float(n) * intX;
    return s;
}

QImage MakeSurfaceImage(const QSize &size, const QColor &back)
{
    QImage image(size.expandedTo(QSize(1, 1)), QImage::Format_RGB32);
    image.setDotsPerMeterX(DotsPerMeter96);
    image.setDotsPerMeterY(DotsPerMeter96);
    image.fill(back);
    return image;
}

// ---------------------------------------------------------------------------

double ProfileCanvas::th(const QString &s) const
{
    const QFontMetricsF fm(p.font(), p.device());
    const int lines = int(s.count(QLatin1Char('\n'))) + 1;
    return fm.height() * lines / v.PixelsPerUnitY;
}

double ProfileCanvas::w(const QString &s) const
{
    const QFontMetricsF fm(p.font(), p.device());
    return fm.horizontalAdvance(s) / v.PixelsPerUnitX;
}

void ProfileCanvas::Print(double x, double y, const QString &s, const QColor &colour)
{
    const QFontMetricsF fm(p.font(), p.device());
    const QPointF at = v.ToPixel(x, y);
    p.setPen(colour);
    p.drawText(QPointF(at.x(), at.y() + fm.ascent()), s);
}

QPoint ProfileCanvas::Px(double x, double y) const
{
    return QPoint(RoundEven(x * v.PixelsPerUnitX), RoundEven(v.ClientRect.height() - y * v.PixelsPerUnitY));
}

void Tachimetro(ProfileCanvas &c, float curX, float curY, float dimX, float dimY, float intX, int32_t color1,
                int32_t color2, const QColor &textColour, const QLocale &locale)
{
    QPainter &p = c.p;
    p.save();
    const double dimYm = dimY / c.v.PixelsPerUnitY;
    const bool fits = c.w(OneDecimal(dimX, locale)) < stripInterval(dimX, intX);
    const StripLayout strip = LayoutStrip(dimX, intX, fits, curX);
    const double labelTop = curY - dimYm - c.th() / 2;
    auto label = [&](float x, float value) {
        const QString text = SurfaceNumber(value, locale);
        c.Print(x - c.w(text.trimmed()) / 2, labelTop, text, textColour);
    };
    if (!fits)
        c.Print(curX - c.w(QStringLiteral("0")) / 2, labelTop, QStringLiteral("0"), textColour);
    for (int i = 0; i < strip.blocks; ++i) {
        const QColor fill = ColourOf((i + 1) % 2 == 0 ? color2 : color1);
        const QPoint a = c.Px(strip.edges[i], curY), b = c.Px(strip.edges[i + 1], curY - dimYm);
        p.setPen(QPen(Qt::black, 1));
        p.setBrush(fill);
        p.drawRect(QRect(a, b).normalized().adjusted(0, 0, -1, -1));
        if (fits)
            label(strip.edges[i], strip.labels[i]);
    }
    label(strip.edges.last(), strip.labels.last());
    p.restore();
}

void Draw_TacY(ProfileCanvas &c, float curX, float curY, const QColor &pointColour)
{
    const QPoint a = c.Px(curX, curY);
    c.p.setPen(QPen(ColourOf(255), 1));
    c.p.drawLine(a, a + QPoint(4, 0));
    c.p.setPen(QPen(pointColour, 1));
    c.p.drawPoint(a);
}

void Draw_Flag(ProfileCanvas &c, float curX, float curY, int32_t flagColor)
{
    QPainter &p = c.p;
    p.save();
    const QColor colour = ColourOf(flagColor);
    p.setPen(QPen(colour, 1));
    p.setBrush(colour);
    const QPoint p0 = c.Px(curX, curY);
    const QPoint pts[4] = {p0, p0 + QPoint(0, -26), p0 + QPoint(8, -22), p0 + QPoint(0, -18)};
    p.drawPolygon(pts, 4);
    p.restore();
}

namespace {
// Whether pixel (x, y) carries a line of an 8 x 8 hatch pattern.
bool HatchAt(Qt::BrushStyle style, int x, int y)
{
    const int u = x & 7, v = y & 7;
    switch (style) {
    case Qt::HorPattern: return v == 0;
    case Qt::VerPattern: return u == 0;
    case Qt::BDiagPattern: return ((u + v) & 7) == 7;
    case Qt::FDiagPattern: return u == v;
    case Qt::CrossPattern: return u == 0 || v == 0;
    case Qt::DiagCrossPattern: return u == v || ((u + v) & 7) == 7;
    default: return true;   // solid
    }
}

bool FilledByHand(Qt::BrushStyle style)
{
    return style == Qt::SolidPattern || style == Qt::HorPattern || style == Qt::VerPattern || style == Qt::BDiagPattern
        || style == Qt::FDiagPattern || style == Qt::CrossPattern || style == Qt::DiagCrossPattern;
}
} // namespace

void Draw_Poly(ProfileCanvas &c, float iniX, float iniY, float finX, float finY, float yOrig)
{
    const QPoint q0 = c.Px(iniX, yOrig);
    const QPoint q1(q0.x(), c.Px(iniX, iniY).y());
    const QPoint q2 = c.Px(finX, finY);
    const QPoint q3(q2.x(), q0.y());
    const QPoint pts[4] = {q0, q1, q2, q3};
    QPen pen = c.p.pen();
    const qreal width = pen.widthF();
    pen.setWidth(1);
    c.p.setPen(pen);
    const QBrush brush = c.p.brush();
    auto *image = dynamic_cast<QImage *>(c.p.device());
    if (image && FilledByHand(brush.style()) && image->format() == QImage::Format_RGB32 && q2.x() != q0.x()) {
        // The area is written pixel by pixel: the toolkit's pattern brushes
        // cost a fraction of a millisecond per polygon, and thousands of
        // small solid polygons add up too.
        const QRgb colour = brush.color().rgb();
        const int xa = qMin(q0.x(), q2.x()), xb = qMax(q0.x(), q2.x());
        const int left = qMax(0, xa), right = qMin(image->width() - 1, xb);
        uchar *bits = image->bits();
        const qsizetype stride = image->bytesPerLine();
        for (int x = left; x <= right; ++x) {
            const double f = double(x - q1.x()) / double(q2.x() - q1.x());
            const int top = int(std::lround(q1.y() + (q2.y() - q1.y()) * f));
            const int y0 = qMax(0, qMin(top, q0.y())), y1 = qMin(image->height() - 1, qMax(top, q0.y()));
            auto *row = bits + qsizetype(y0) * stride;
            for (int y = y0; y <= y1; ++y, row += stride)
                if (HatchAt(brush.style(), x, y))
                    reinterpret_cast<QRgb *>(row)[x] = colour;
        }
        // The outline; a solid area in its own colour already covers it.
        if (brush.style() != Qt::SolidPattern || pen.color() != brush.color()) {
            c.p.setBrush(Qt::NoBrush);
            c.p.drawPolygon(pts, 4);
            c.p.setBrush(brush);
        }
    } else {
        c.p.drawPolygon(pts, 4);
    }
    pen.setWidthF(width);
    c.p.setPen(pen);
}

// ---------------------------------------------------------------------------

RenderResult RenderProfile(QImage &image, const QColor &back, ProfileOptions &o, const ProfileInput &in,
                           const ImageList *icons, const QDate &today, const QLocale &locale)
{
    RenderResult out;
    ProfileView &v = out.view;
    const int W = image.width(), H = image.height();

    // Fixed height: the drawing's own base and span; the hand-off stays as the card filled it.
    int32_t base = in.base, span = in.span;
    if (o.FixedHeight != 0) {
        span = o.MyFixedHeight;
        base = 0;
    }
    v.drawable = in.distance > 0 && span > 0;
    const float distance = in.distance > 0 ? in.distance : 1.0f;
    const int32_t spanUsed = span > 0 ? span : 100;
    const float percX = o.PercX > 0 ? o.PercX : DefaultPercX;
    const float percY = o.PercY > 0 ? o.PercY : DefaultPercY;
    const double scaleW = double(percX) * distance;
    const double scaleH = double(percY) * spanUsed;

    v.ClientRect = QRect(0, 0, W, H);
    v.PixelsPerUnitX = float(W / scaleW);
    v.PixelsPerUnitY = float(std::fabs(H / scaleH));
    v.base = base;
    v.span = span;
    v.distance = in.distance;
    out.sizeText = GetLangString(2508) + QStringLiteral(" ") + QString::number(W) + QStringLiteral(" x ") + QString::number(H);
    out.sizeTip = GetLangString(2509) + QStringLiteral(" ") + QString::number(W) + QStringLiteral(" x ") + QString::number(H);
    v.OriginX = o.X0Perc * in.distance;
    v.OriginY = o.Y0Perc * span;

    image.fill(back);
    QPainter p(&image);
    ProfileCanvas c(p, v);

    // Background.
    if (o.DrawWall != 0) {
        if (o.PaintBackBmp != 0) {
            if (!o.BackBmp.isEmpty()) {
                QImageReader reader(o.BackBmp);
                const QImage picture = reader.read();
                if (picture.isNull()) {
                    o.DrawWall = 0;
                    o.PaintBackBmp = 0;
                    o.BackBmp.clear();
                    out.backgroundFailed = true;
                } else {
                    p.drawImage(QPoint(0, 0), picture);
                }
            }
        } else {
            DrawGradient(&p, 0, W, H, o.GradColor1, o.GradColor2);
        }
    }

    const float OriginX = v.OriginX, OriginY = v.OriginY;

    // Altitude grid and labels.
    QFont font = GroupFont(o, FontGroup::AY);
    p.setFont(font);
    const QColor ayColour = ColourOf(o.AY_Color);
    const QVector<float> marks = GridMarks(o.Q_Int, base, spanUsed);
    float yTop = marks.isEmpty() ? float(base) : marks.last();
    for (float y : marks) {
        const float Y = OriginY + y - float(base);
        if (o.DrawQRif != 0) {
            p.setCompositionMode(QPainter::RasterOp_SourceOrNotDestination);
            p.setPen(QPen(ColourOf(o.AltRifColor), 1, Qt::DotLine));
            p.drawLine(c.Px(OriginX, Y), c.Px(OriginX + distance, Y));
            p.setCompositionMode(QPainter::CompositionMode_SourceOver);
        } else {
            Draw_TacY(c, OriginX, Y, ayColour);
        }
        const QString label = SurfaceNumber(std::floor(y), locale);
        c.Print(OriginX - c.w(label + QStringLiteral("Z")), Y + c.th() / 2, label, ayColour);
    }

    // Segments.
    const QVector<ProfileSample> &s = in.samples;
    const int count = v.drawable ? int(s.size()) : 0;
    QVector<QPointF> pt(count);
    for (int i = 0; i < count; ++i)
        pt[i] = QPointF(OriginX + s[i].DistParz, OriginY + float(s[i].Altezza - base));
    const bool lineMode = o.Graph_Type != 0;
    const Qt::BrushStyle fillStyle = FillStyleBrush(o.Graph_FillStyle);
    QFont pendFont = GroupFont(o, FontGroup::P);
    const QColor pendColour = ColourOf(o.P_Color);
    double minPendWidth = 0;
    if (o.DrawPend != 0) {
        p.setFont(pendFont);
        minPendWidth = c.w(OneDecimal(0, locale));
    }
    const QPen guidePen(ColourOf(o.QRifColor), 1, LineStylePen(o.GuideLinesStyle));
    const QRgb guideRgb = ColourOf(o.QRifColor).rgb();
    const int guideStep = o.GuideLinesStyle == 2 ? 3 : (o.GuideLinesStyle == 0 || o.GuideLinesStyle == 6) ? 1 : 0;
    PixelColumn column(image);
    QHash<QRgb, QBrush> brushes;   // one brush per class colour, reused
    const int baseRow = c.Px(0, OriginY).y();
    for (int i = 0; i + 1 < count; ++i) {
        const float dD = s[i + 1].DistParz - s[i].DistParz;
        if (dD == 0.0f)
            continue;
        const float dA = float(s[i + 1].Altezza - s[i].Altezza);
        const QColor colour = ColourOf(ClassColor(o, dA, dD));
        const double x1 = pt[i].x(), y1 = pt[i].y(), x2 = pt[i + 1].x(), y2 = pt[i + 1].y();
        const QPoint p1 = c.Px(x1, y1), p2 = c.Px(x2, y2);
        if (lineMode) {
            if (p1.x() == p2.x()) {
                column.Fill(p1.x(), qMin(p1.y(), p2.y()), qMax(p1.y(), p2.y()), colour.rgb(), 1);
            } else {
                p.setPen(QPen(colour, 1));
                p.drawLine(p1, p2);
            }
        } else {
            if (p1.x() == p2.x()) {
                // A segment narrower than a pixel: its area is the column from
                // its higher end down to the base line.
                column.Fill(p1.x(), qMin(qMin(p1.y(), p2.y()), baseRow), qMax(qMax(p1.y(), p2.y()), baseRow),
                            colour.rgb(), 1);
            } else {
                p.setPen(QPen(colour, 1));
                QBrush &brush = brushes[colour.rgb()];
                if (brush.style() != fillStyle || brush.color() != colour)
                    brush = QBrush(colour, fillStyle);
                p.setBrush(brush);
                Draw_Poly(c, float(x1), float(y1), float(x2), float(y2), OriginY);
            }
            if (o.DrawMarkLine != 0) {
                if (p1.x() == p2.x() && o.MarkLineWidth <= 4) {
                    for (int k = 0; k < qMax<int>(1, o.MarkLineWidth); ++k)
                        column.Fill(p1.x() + k, qMin(p1.y(), p2.y()), qMax(p1.y(), p2.y()),
                                    ColourOf(o.MarkLineColor).rgb(), 1);
                } else {
                    p.setPen(QPen(ColourOf(o.MarkLineColor), qMax<int>(1, o.MarkLineWidth)));
                    p.drawLine(p1, p2);
                }
            }
        }
        if (o.DrawPend != 0 && x2 - x1 > 1.05 * minPendWidth) {
            p.setFont(pendFont);
            const float g = std::fabs(float(y2 - y1) / float(x1 - x2) / 10.0f);
            const QString t = OneDecimal(g, locale);
            const double tw = c.w(t);
            if (float(x2 - x1) > 1.05f * float(tw))
                c.Print((x1 + x2) / 2 - tw / 2, OriginY + c.th(t), t, pendColour);
        }
        if (o.GuideLines != 0) {
            const QPoint top = lineMode ? p2 : p1;
            if (guideStep > 0) {
                column.Fill(top.x(), qMin(top.y(), baseRow), qMax(top.y(), baseRow), guideRgb, guideStep,
                            top.y() > baseRow);
            } else {
                p.setPen(guidePen);
                p.drawLine(QPoint(top.x(), baseRow), top);
            }
        }
    }
    p.setBrush(Qt::NoBrush);

    // Kilometre strip.
    p.setFont(GroupFont(o, FontGroup::AX));
    Tachimetro(c, OriginX, OriginY, in.distance, 5, o.TacInt, o.TacColor1, o.TacColor2, ColourOf(o.AX_Color), locale);

    // Vertical axis.
    p.setPen(QPen(ColourOf(o.YColor), 1));
    p.drawLine(c.Px(OriginX, OriginY), c.Px(OriginX, OriginY + yTop - float(base)));

    if (o.DrawTitle != 0) {
        p.setFont(GroupFont(o, FontGroup::T));
        c.Print(0.2 * scaleW, 0.95 * double(percY) * spanUsed, in.name, ColourOf(o.T_Color));
    }

    if (o.DrawNote != 0 && count > 0) {
        p.setFont(GroupFont(o, FontGroup::N));
        const QColor noteColour = ColourOf(o.N_Color);
        const double minGap = c.th() * v.PixelsPerUnitY / v.PixelsPerUnitX;
        const int dim = o.IconDim;
        for (int i = 0; i < count; ++i) {
            const double x = pt[i].x(), y = pt[i].y();
            const QPoint at = c.Px(x, y);
            int k = 0;
            if (o.DrawIcon != 0 && !s[i].image.isEmpty() && icons) {
                const QImage icon = icons->Picture(s[i].image);
                if (!icon.isNull() && dim > 0) {
                    p.drawImage(QRect(at.x() - dim / 2, at.y() - dim, dim, dim), icon);
                    k = dim;
                }
            }
            if (o.DrawFlag != 0) {
                if (!s[i].Note.isEmpty())
                    Draw_Flag(c, float(x), float(y), o.Flag_Color);
                continue;
            }
            if (i + 1 < count && !(pt[i + 1].x() - x > minGap))
                continue;
            const QString label = s[i].Note.isEmpty()
                ? QString::number(s[i].Altezza)
                : QString::number(s[i].Altezza) + QStringLiteral(" - ") + s[i].Note;
            k += 10;
            p.setPen(noteColour);
            PrintRotated(90, &p, float(at.x()), float(at.y() - k), label);
        }
    }

    if (o.DrawLegend != 0) {
        p.setFont(GroupFont(o, FontGroup::L));
        const double h = c.th();
        const double x = OriginX + in.distance + 2 * h * v.PixelsPerUnitY / v.PixelsPerUnitX;
        double y = 0.8 * double(percY) * spanUsed;
        const QString lines[8] = {
            GetLangString(2510) + QStringLiteral(" ") + locale.toString(today, QLocale::ShortFormat),
            GetLangString(2511) + QStringLiteral(" ") + in.time,
            GetLangString(2512) + QStringLiteral(" ") + in.speed + QStringLiteral(" km/h"),
            GetLangString(2513) + QStringLiteral(" ") + in.length + QStringLiteral(" km"),
            GetLangString(2514) + QStringLiteral(" ") + in.climbRate + QStringLiteral(" m/h"),
            GetLangString(2515) + QStringLiteral(" ") + in.grade,
            GetLangString(2516) + QStringLiteral(" ") + QString::number(in.gain) + QStringLiteral(" m"),
            GetLangString(2517) + QStringLiteral(" ") + CardNumbers::FormatFixed2(in.climbKm, locale),
        };
        const QColor legendColour = ColourOf(o.L_Color);
        for (const QString &line : lines) {
            c.Print(x, y, line, legendColour);
            y -= h;
        }
    }
    v.textHeightZ = float(c.th());
    p.end();
    return out;
}
