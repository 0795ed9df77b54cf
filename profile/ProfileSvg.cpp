#include "profile/ProfileSvg.h"

#include "core/BikeRoutine.h"
#include "platform/error/VbError.h"

#include <charconv>
#include <cstring>
#include <cmath>
#include <limits>

namespace ProfileSvg {

namespace {

qint64 Whole(double v) { return qint64(std::nearbyint(v)); }

// Appends pieces of a line to the file's bytes without temporaries (a
// 20,000-sample profile writes half a million of them). The pieces gather in
// a buffer of its own that goes into the bytes in large blocks: flush() before
// anything else appends to them.
class Out {
public:
    explicit Out(QByteArray &bytes) : m_b(bytes) {}
    ~Out() { flush(); }
    Out(const Out &) = delete;
    Out &operator=(const Out &) = delete;
    Out &operator<<(const char *s) { return put(s, std::strlen(s)); }
    Out &operator<<(const QByteArray &s) { return put(s.constData(), size_t(s.size())); }
    Out &operator<<(char c)
    {
        if (m_n == sizeof m_buf)
            flush();
        m_buf[m_n++] = c;
        return *this;
    }
    Out &operator<<(qint64 v)
    {
        if (sizeof m_buf - m_n < 24)
            flush();
        const auto r = std::to_chars(m_buf + m_n, m_buf + sizeof m_buf, v);
        m_n = size_t(r.ptr - m_buf);
        return *this;
    }
    Out &operator<<(int v) { return *this << qint64(v); }
    // Ends the line (CR LF).
    void End() { put("\r\n", 2); }
    void flush()
    {
        m_b.append(m_buf, qsizetype(m_n));
        m_n = 0;
    }

private:
    Out &put(const char *s, size_t n)
    {
        if (sizeof m_buf - m_n < n) {
            flush();
            if (n > sizeof m_buf) {
                m_b.append(s, qsizetype(n));
                return *this;
            }
        }
        std::memcpy(m_buf + m_n, s, n);
        m_n += n;
        return *this;
    }

    QByteArray &m_b;
    char m_buf[32768];
    size_t m_n = 0;
};

void Line(QByteArray &out, const QByteArray &text) { out += text + "\r\n"; }
QByteArray N(qint64 v) { return QByteArray::number(v); }

// Percent with one decimal and the user's decimal mark ("0.0%").
void Percent(Out &o, double fraction, char point)
{
    char buf[64];
    const auto r = std::to_chars(buf, buf + sizeof buf, fraction * 100.0, std::chars_format::fixed, 1);
    for (char *c = buf; c != r.ptr; ++c)
        o << (*c == '.' ? point : *c);
    o << '%';
}

// A single-precision number in its shortest form at the seven significant
// digits it holds ("1099.9", not the "1099.8999" of its binary value).
QByteArray Shortest(float v)
{
    return QByteArray::number(double(v), 'g', 7);
}

// The same with the user's decimal mark, for texts shown in the picture.
QByteArray ShownNumber(float v, const QLocale &locale)
{
    QString s = QString::fromLatin1(Shortest(v));
    s.replace(QLatin1Char('.'), locale.decimalPoint());
    s.replace(QLatin1Char('-'), locale.negativeSign());
    return Escape(s);
}

QByteArray Colour(int32_t c) { return ColorToHtml(c).toLatin1(); }

} // namespace

QByteArray Escape(const QString &text)
{
    QByteArray out;
    out.reserve(text.size());
    for (auto it = text.cbegin(); it != text.cend(); ++it) {
        char32_t u = it->unicode();
        if (it->isHighSurrogate() && it + 1 != text.cend() && (it + 1)->isLowSurrogate()) {
            u = QChar::surrogateToUcs4(*it, *(it + 1));
            ++it;
        }
        switch (u) {
        case '&': out += "&amp;"; break;
        case '<': out += "&lt;"; break;
        case '>': out += "&gt;"; break;
        case '"': out += "&quot;"; break;
        default:
            if (u < 0x20 && u != '\t' && u != '\n' && u != '\r')
                out += ' ';   // not allowed in XML 1.0
            else if (u <= 0xFF)
                out += char(u);
            else
                out += "&#" + QByteArray::number(uint(u)) + ';';
        }
    }
    return out;
}

int StripKm(float tacInt)
{
    const double v = std::nearbyint(double(tacInt));
    if (!(v >= 1))
        return 1;
    return v > 1e6 ? 1000000 : int(v);
}

void AltimetroSvg(QByteArray &out, const Scale &s, int curX0, int curY0, float maxH, float minH, int intY,
                  const QLocale &locale)
{
    const int H = s.H;
    const float step = float(intY > 0 ? intY : 100);
    const qint64 wholeMin = Whole(minH);
    float g = (wholeMin % qint64(step) == 0) ? minH : step * float(wholeMin / qint64(step));
    QVector<float> marks;
    while (maxH + minH > g) {
        const float next = g + step;
        if (!(next > g))
            break;
        g = next;
        marks << g;
    }
    Line(out, "  <path style=\"stroke:black; fill:none; stroke-width:.33; stroke-dasharray:3 3;\"");
    Line(out, "  d=\"");
    for (float m : marks)
        Line(out, "    M " + N(curX0) + ' ' + N(H - (Whole((m - minH) * s.SvgScaleY) + curY0)) + " h "
                      + N(Whole(s.SvgScaleX * s.SvgDistance)));
    Line(out, "  \"/>");
    const float gTop = marks.isEmpty() ? g : marks.last();
    Line(out, "  <path style=\"stroke:black; fill:none; stroke-width:1;\"");
    Line(out, "  d=\"M " + N(curX0) + ' ' + N(H - curY0) + " v " + N(-Whole((gTop - minH) * s.SvgScaleY)) + "\"/>");
    Line(out, "  <g font-size=\"10\" font-family=\"Verdana\" style=\"text-anchor:end;\">");
    for (float m : marks)
        Line(out, "    <text x=\"" + N(curX0 - 5) + "\" y=\"" + N(H - (Whole((m - minH) * s.SvgScaleY) + curY0 - 5))
                      + "\">" + ShownNumber(m, locale) + "</text>");
    Line(out, "  </g>");
}

void TachimetroSVG(QByteArray &out, const Scale &s, int curX, int curY, float dimX, int dimY, int intX,
                   int32_t color1, int32_t color2)
{
    const int H = s.H;
    if (intX < 1)
        intX = 1;
    const qint64 m = Whole(double(dimX) * 1000.0);
    const qint64 b = qint64(intX) * 1000;
    const qint64 n = m <= 0 ? 0 : (m + b - 1) / b;
    Line(out, "  <g stroke=\"black\" stroke-width=\"1\">");
    for (qint64 i = 1; i <= n; ++i)
        Line(out, "    <rect x=\"" + N(Whole(double(i - 1) * intX * s.SvgScaleX) + curX) + "\" y=\"" + N(H - curY)
                      + "\" width=\"" + N(Whole(intX * double(s.SvgScaleX))) + "\" height=\"" + N(dimY) + "\" fill=\""
                      + Colour(i % 2 == 1 ? color2 : color1) + "\" />");
    Line(out, "  </g>");
    Line(out, "  <g font-size=\"10\" font-family=\"Verdana\" >");
    for (qint64 i = 1; i <= n + 1; ++i)
        Line(out, "    <text x=\"" + N(Whole(double(i - 1) * intX * s.SvgScaleX) + curX) + "\" y=\""
                      + N(H - (curY - dimY - 2 * 5)) + "\">" + N((i - 1) * intX) + "</text>");
    Line(out, "  </g>");
}

QByteArray Write(dao::Database &db, const Request &r, ProfileOptions &o_, const QLocale &locale, Scale *scaleOut)
{
    ProfileOptions &opt = o_;
    opt.SvgX_Graph = int16_t(qBound(-32768, r.width, 32767));
    opt.SvgY_Graph = int16_t(qBound(-32768, r.height, 32767));
    opt.SvgX0 = 30;
    opt.SvgY0 = 30;
    opt.SvgxOff = 10;
    opt.SvgyOff = 5;
    opt.alt_Offset = 25;
    const int W = r.width, H = r.height, X0 = 30, Y0 = 30, xOff = 10;

    const QString table = r.route ? QStringLiteral("CampioniPercorsi") : QStringLiteral("CampioniSalite");
    struct Row {
        float d;
        float h;
        QString note;
    };
    QVector<Row> rows;
    {
        // One pass over the samples: a forward cursor, no recordset to keep.
        dao::ReadCursorPtr c = db.openCursor(
            QStringLiteral("SELECT [DistParz], [Altezza], [Note] FROM [%1] WHERE IDPercorso = ? ORDER BY [DistParz] ASC")
                .arg(table),
            {r.name});
        while (c->next()) {
            Row row;
            row.d = c->value(0).toFloat();
            row.h = c->value(1).toFloat();
            row.note = c->value(2).toString();
            rows << row;
        }
    }
    if (rows.size() < 2)
        RaiseError(ErrNotDrawable, QStringLiteral("The profile has fewer than two samples"));
    float dArrivo = rows.first().d, hMax = rows.first().h, hMin = rows.first().h;
    for (const Row &row : rows) {
        dArrivo = std::max(dArrivo, row.d);
        hMax = std::max(hMax, row.h);
        hMin = std::min(hMin, row.h);
    }
    Scale s;
    s.W = W;
    s.H = H;
    s.SvgDistance = dArrivo;
    float top = hMax, low = hMin;
    if (opt.FixedHeight != 0) {
        low = 0;
        top = opt.MyFixedHeight;
    }
    s.SvgBase = low / 100.0f * 90.0f;
    s.SvgRange = top - s.SvgBase;
    if (!(s.SvgDistance > 0) || !(s.SvgRange > 0) || W <= 2 * X0 || H <= 2 * Y0)
        RaiseError(ErrNotDrawable, QStringLiteral("The profile has no length or no height range"));
    s.SvgScaleX = float(W - 2 * X0) / s.SvgDistance;
    s.SvgScaleY = float(H - 2 * Y0) / s.SvgRange;
    if (scaleOut)
        *scaleOut = s;
    const float sx = s.SvgScaleX, sy = s.SvgScaleY, base = s.SvgBase;
    auto px = [&](float d) { return Whole(double(d * sx)) + X0; };
    auto py = [&](float h) { return H - Whole(double((h - base) * sy + float(Y0))); };

    QByteArray out;
    out.reserve(rows.size() * 420 + 4096);
    const QByteArray name = Escape(r.name);
    Line(out, "<?xml version=\"1.0\" encoding=\"iso-8859-1\"?>");
    Line(out, "<!DOCTYPE svg PUBLIC \"-//W3C//DTD SVG 1.0//EN\" \"http://www.w3.org/TR/2001/REC-SVG-20010904/DTD/svg10.dtd\">");
    Line(out, "<svg xml:space=\"preserve\" width=\"" + N(W) + "\" height=\"" + N(H)
                  + "\" xmlns=\"http://www.w3.org/2000/svg\" xmlns:xlink=\"http://www.w3.org/1999/xlink\">");
    Line(out, "  <desc>" + name + "</desc>");
    Line(out, "  <defs>");
    Line(out, "    <linearGradient id=\"MyGradient\" x1=\"0\" y1=\"1\" x2=\"0\" y2=\"0\">");
    Line(out, "      <stop id=\"startColor\" offset=\"0%\" stop-color=\"" + Colour(opt.SVGGradColor1) + "\" />");
    Line(out, "      <stop id=\"endColor\" offset=\"100%\" stop-color=\"" + Colour(opt.SVGGradColor2) + "\" />");
    Line(out, "    </linearGradient>");
    Line(out, "  </defs>");
    Line(out, "  <rect id=\"rectBackColor\" x=\"1\" y=\"1\" width=\"" + N(W) + "\" height=\"" + N(H)
                  + "\" fill=\"url(#MyGradient)\"  />");

    AltimetroSvg(out, s, X0, Y0, s.SvgRange, s.SvgBase, 100, locale);
    TachimetroSVG(out, s, X0, Y0, s.SvgDistance, 5, StripKm(opt.TacInt), opt.TacColor2, opt.TacColor1);

    // Segments: the area under each, in its class colour, with its grade.
    Out o(out);
    const QByteArray classColours[4] = {Colour(opt.Pend4_Color), Colour(opt.Pend7_Color), Colour(opt.Pend10_Color),
                                        Colour(opt.PendH_Color)};
    const QString pointText = locale.decimalPoint();
    const char point = pointText.size() == 1 && pointText.at(0).unicode() < 0x80 ? char(pointText.at(0).unicode()) : '.';
    qint64 x0 = X0, y0 = py(rows[0].h);
    float d0 = rows[0].d, h0 = rows[0].h;
    for (int i = 1; i < rows.size(); ++i) {
        const float d = rows[i].d, h = rows[i].h;
        const qint64 x1 = px(d), y1 = py(h);
        if (d != d0) {
            const float g = std::fabs((h - h0) / (d - d0)) / 1000.0f;
            const QByteArray &c = classColours[g <= 0.04f ? 0 : g <= 0.07f ? 1 : g <= 0.10f ? 2 : 3];
            o << "  <polygon fill=\"" << c << "\" stroke=\"" << c << "\" stroke-width=\"0.5\"";
            o.End();
            o << "  points=\"";
            o.End();
            o << x0 << ',' << qint64(H - Y0) << ' ';
            o.End();
            o << x0 << ',' << y0 << ' ';
            o.End();
            o << x1 << ',' << y1 << ' ';
            o.End();
            o << x1 << ',' << qint64(H - Y0) << "\" />\r";
            o.End();
            o << "<g font-size=\"8\" font-family=\"Arial\" fill=\"black\">";
            o.End();
            o << "<text x=\"" << (Whole(double(x1 - x0) / 2) + x0 - 5) << "\" y=\"" << qint64(H - Y0 - 5) << "\">";
            Percent(o, double(g), point);
            o << "</text>";
            o.End();
            o << "</g>";
            o.End();
        }
        x0 = x1;
        y0 = y1;
        d0 = d;
        h0 = h;
    }

    o << "  <path id=\"path1\" stroke=\"grey\" stroke-width=\"2\" fill=\"none\"";
    o.End();
    o << "d=\"";
    o.End();
    for (int i = 0; i < rows.size(); ++i) {
        o << (i == 0 ? "M" : " L") << px(rows[i].d) << ' ' << py(rows[i].h);
        o.End();
    }
    o << "\" />";
    o.End();

    o << "  <g font-size=\"10\" font-family=\"Verdana\" >";
    o.End();
    for (const Row &row : rows) {
        const qint64 nx = Whole(double(row.d * sx + float(X0) + float(xOff)));
        const qint64 ny = H - Whole(double((row.h - base) * sy + float(Y0) + 10.0f));
        o << "    <g transform=\"translate(" << nx << ',' << ny << ")\">";
        o.End();
        o << "      <g transform=\"rotate(-90)\">";
        o.End();
        o << "        <text x=\"0\" y=\"0\">" << qint64(std::nearbyint(row.h));
        if (!row.note.isEmpty())
            o << " - " << Escape(row.note);
        o << "</text>";
        o.End();
        o << "      </g>";
        o.End();
        o << "    </g>";
        o.End();
    }
    o << "  </g>";
    o.End();
    o.flush();

    Line(out, "  <a xlink:href=\"" + Escape(r.creditLink) + "\">");
    Line(out, "    <text x=\"" + N(W - xOff) + "\" y=\"" + N(H - 5)
                  + "\" font-size=\"8\" font-family=\"Verdana\" fill=\"red\" font-style=\"italic\" "
                    "style=\"text-anchor:end;\">Powered by Vettaro SVG Profile Engine</text>");
    Line(out, "  </a>");

    Line(out, "  <path style=\"stroke:black; fill:none; stroke-width:.33; stroke-dasharray:3 3;\"");
    Line(out, "  d=\"");
    for (const Row &row : rows) {
        o << "M " << Whole(double(row.d * sx + float(X0))) << ' ' << qint64(H - Y0) << " v "
          << -Whole(double((row.h - base) * sy));
        o.End();
    }
    o.flush();
    Line(out, "  \"/>");

    Line(out, "  <text x=\"100\" y=\"50\" style=\"font-size:" + Shortest(opt.T_FontSize) + ";font-family:"
                  + Escape(opt.T_FontName) + ";fill:" + Colour(opt.T_Color) + ";stroke:none;\">" + name + "</text>");
    Line(out, "</svg>");
    return out;
}

} // namespace ProfileSvg
