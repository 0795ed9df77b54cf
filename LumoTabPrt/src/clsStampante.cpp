#include "LumoTabPrt/src/clsStampante.h"

#include "LumoTabPrt/src/Globale.h"

#include <QPageSize>
#include <QTextLayout>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QPrinter>
#include <QtMath>
#include <algorithm>
#include <cstring>
#include <limits>
#include <stdexcept>

namespace {
// A job opened on a page layout alone measures pen widths in the dots of a
// 300 dpi printer.
constexpr int DefaultResolution = 300;
const QColor FillColour(225, 225, 225);

qint32 Round32(double v)
{
    if (!(v == v))
        return 0;
    if (v >= double(std::numeric_limits<qint32>::max()))
        return std::numeric_limits<qint32>::max();
    if (v <= double(std::numeric_limits<qint32>::min()))
        return std::numeric_limits<qint32>::min();
    return qint32(qRound64(v));
}

qint32 Hundredths(float size)
{
    return Round32(double(size) * 100.0);
}
}

clsStampante::clsStampante() : m_metrics(QFont())
{
    m_fontName = QStringLiteral("Times New Roman");
    ApplyFont();
}

clsStampante::~clsStampante()
{
    ClosePrintProcedure();
}

QFont clsStampante::MakeFont(const QString &name, float size, bool bold, bool italic, bool underline)
{
    QFont font(name);
    // Twips as pixels: the sheet's own unit, whatever device draws it.
    font.setPixelSize(qMax(1, Round32(double(size) * 20.0)));
    font.setBold(bold);
    font.setItalic(italic);
    font.setUnderline(underline);
    // Metrics must not depend on the size a device happens to draw at.
    font.setHintingPreference(QFont::PreferNoHinting);
    // No kerning: a text's width is then the sum of its characters', which
    // keeps measuring long tables cheap (checked per font, see SimpleWidth).
    font.setKerning(false);
    return font;
}

void clsStampante::ApplyFont()
{
    m_font = MakeFont(m_fontName, m_fontSize, m_bold, m_italic, m_underline);
    m_metrics = QFontMetricsF(m_font);
    m_simpleFont = -1;
    std::fill(std::begin(m_advance), std::end(m_advance), 0.0);
}

namespace {
// Characters whose width in a checked font is their own advance: Latin
// letters with their accents, digits, punctuation. Marks, other scripts and
// anything outside these blocks are shaped.
constexpr char16_t SimpleLimit = 0x250;

bool IsSimple(QChar c)
{
    const char16_t u = c.unicode();
    if (u < 0x20 || u >= SimpleLimit || (u >= 0x7f && u < 0xa0))
        return false;
    return c.category() != QChar::Mark_NonSpacing && c.category() != QChar::Mark_Enclosing;
}

// Pairs where fonts kern or join letters; with kerning off they must add up.
const char *const ProbePairs[] = {"AV", "AT", "AW", "AY", "Av", "LT", "LV", "P.", "F,", "Te", "To", "Ta", "Wa", "Yo",
                                  "r.", "y.", "fi", "fl", "ff", "ffi", "ffl", "11", "1.", "-1", "7.", "L'", "''"};
}

bool clsStampante::SimpleWidth(const QString &s, double &width) const
{
    if (s.size() > 4000)
        return false;
    for (QChar c : s)
        if (!IsSimple(c))
            return false;
    if (m_simpleFont < 0) {
        // The font must need no shaping between these characters: every probe
        // and every pair of digits and signs measures as the sum of its parts.
        bool additive = true;
        auto check = [&](const QString &probe) {
            double sum = 0;
            for (QChar c : probe)
                sum += m_metrics.horizontalAdvance(QString(c));
            additive = additive && std::fabs(m_metrics.horizontalAdvance(probe) - sum) < 1e-6;
        };
        for (const char *probe : ProbePairs)
            check(QLatin1String(probe));
        const char digits[] = "0123456789.,-+ ";
        for (const char *a = digits; *a && additive; ++a)
            for (const char *b = digits; *b && additive; ++b)
                check(QString(QLatin1Char(*a)) + QLatin1Char(*b));
        m_simpleFont = additive ? 1 : 0;
    }
    if (m_simpleFont == 0)
        return false;
    double w = 0;
    for (QChar c : s) {
        double &a = m_advance[c.unicode()];
        if (a == 0)
            a = m_metrics.horizontalAdvance(QString(c));
        w += a;
    }
    width = w;
    return true;
}

void clsStampante::Reserve(qint32 count)
{
    if (count > m_capacity) {
        m_capacity = count;
        m_list.reserve(size_t(count));
    }
}

bool clsStampante::OpenPrintProcedure(QPrinter *printer)
{
    if (m_open)
        return false;
    if (!printer)
        return OpenPrintProcedure(QPageLayout());
    Open(printer->pageLayout(), printer->resolution());
    return true;
}

bool clsStampante::OpenPrintProcedure(const QPageLayout &page)
{
    if (m_open)
        return false;
    QPageLayout layout = page;
    if (!layout.isValid())
        layout = QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF());
    Open(layout, DefaultResolution);
    return true;
}

void clsStampante::Open(const QPageLayout &page, int resolution)
{
    m_list.clear();
    m_count = 0;
    m_capacity = 0;
    // Millimetres keep the exact size of metric sheets (points are rounded).
    const QRectF sheet = page.fullRect(QPageLayout::Millimeter);
    m_realWidth = Round32(sheet.width() * TwipsPerMm);
    m_realHeight = Round32(sheet.height() * TwipsPerMm);
    m_orientation = page.orientation();
    const int dpi = resolution > 0 ? resolution : DefaultResolution;
    m_twipsPerPixelX = qint16(qBound(1, qRound(1440.0 / dpi), 32767));
    m_twipsPerPixelY = m_twipsPerPixelX;
    m_marginLeft = m_marginRight = m_marginTop = m_marginBottom = MmToTwips(15);
    m_usableWidth = m_realWidth - m_marginLeft - m_marginRight;
    m_usableHeight = m_realHeight - m_marginTop - m_marginBottom;
    m_x = m_marginLeft;
    m_y = m_marginTop;
    m_drawStyle = 0;
    m_drawWidth = 1;
    m_open = true;
}

bool clsStampante::ClosePrintProcedure()
{
    if (!m_open)
        return false;
    EliminaStampa();
    m_open = false;
    return true;
}

qint16 clsStampante::EliminaStampa()
{
    std::vector<PrintCmd>().swap(m_list);
    m_count = 0;
    m_capacity = 0;
    return 0;
}

bool clsStampante::GetCmd(qint32 index, PrintCmd &record) const
{
    if (index < 0 || index >= m_count)
        return false;
    record = m_list[size_t(index)];
    return true;
}

qint32 clsStampante::GetNrPagine(QVector<qint32> &starts) const
{
    starts.clear();
    starts.append(0);
    for (qint32 i = 0; i < m_count; ++i)
        if (m_list[size_t(i)].code == PT_NEWPAGE)
            starts.append(i + 1);
    return qint32(starts.size());
}

void clsStampante::AddCmd(qint16 code, qint32 v0, qint32 v1, qint32 v2, qint32 v3, const QString &text)
{
    if (m_count == m_capacity) {
        // Doubling keeps a long job's growth linear; the first steps are 2000 records.
        const qint64 grown = m_capacity == 0 ? GrowBy : qint64(m_capacity) * 2;
        if (qint64(m_capacity) >= std::numeric_limits<qint32>::max())
            throw std::overflow_error("print-command list full");
        m_capacity = qint32(qMin<qint64>(grown, std::numeric_limits<qint32>::max()));
        m_list.reserve(size_t(m_capacity));
    }
    PrintCmd &cmd = m_list.emplace_back();
    cmd.code = code;
    cmd.Val[0] = v0;
    cmd.Val[1] = v1;
    cmd.Val[2] = v2;
    cmd.Val[3] = v3;
    cmd.reserved = 0;
    cmd.text = text;
    ++m_count;
}

qint32 clsStampante::MmToTwips(double mm)
{
    return Round32(mm * TwipsPerMm);
}

void clsStampante::PrintMarginiImposta(float left, float right, float top, float bottom)
{
    m_marginLeft = MmToTwips(left);
    m_marginRight = MmToTwips(right);
    m_marginTop = MmToTwips(top);
    m_marginBottom = MmToTwips(bottom);
    m_usableWidth = m_realWidth - m_marginLeft - m_marginRight;
    m_usableHeight = m_realHeight - m_marginTop - m_marginBottom;
    m_x = m_marginLeft;
    m_y = m_marginTop;
    AddCmd(PT_MARGINI, m_marginLeft, m_marginRight, m_marginTop, m_marginBottom);
}

bool clsStampante::TurnSheet(QPageLayout::Orientation orientation)
{
    if (m_orientation == orientation)
        return false;
    std::swap(m_realWidth, m_realHeight);
    m_orientation = orientation;
    m_usableWidth = m_realWidth - m_marginLeft - m_marginRight;
    m_usableHeight = m_realHeight - m_marginTop - m_marginBottom;
    return true;
}

void clsStampante::PrintGetDimFoglio(qint32 &width, qint32 &height) const
{
    width = m_usableWidth;
    height = m_usableHeight;
}

double clsStampante::PrintGetLenText(const QString &s) const
{
    double width = 0;
    if (SimpleWidth(s, width))
        return width;
    return m_metrics.horizontalAdvance(s);
}

double clsStampante::PrintGetHText(const QString &) const
{
    return m_metrics.height();
}

double clsStampante::PrintGetLenTextAttr(const QString &s, float sizeFactor, int attrBits) const
{
    if (sizeFactor == 1.0f && attrBits == 0)
        return PrintGetLenText(s);
    const QFont font = MakeFont(m_fontName, m_fontSize * sizeFactor, m_bold || (attrBits & 1),
                                m_italic || (attrBits & 2), m_underline || (attrBits & 4));
    return QFontMetricsF(font).horizontalAdvance(s);
}

qsizetype clsStampante::PrintFitText(const QString &s, float sizeFactor, int attrBits, double width,
                                     double *fitWidth) const
{
    if (fitWidth)
        *fitWidth = 0;
    if (width <= 0 || s.isEmpty())
        return 0;
    const bool plain = sizeFactor == 1.0f && attrBits == 0;
    const QFont font = plain ? m_font
                             : MakeFont(m_fontName, m_fontSize * sizeFactor, m_bold || (attrBits & 1),
                                        m_italic || (attrBits & 2), m_underline || (attrBits & 4));
    const QFontMetricsF other(font);
    const QFontMetricsF &metrics = plain ? m_metrics : other;
    auto measure = [&](const QString &t) { return plain ? PrintGetLenText(t) : metrics.horizontalAdvance(t); };
    // The characters' own advances give the candidate; measuring the shaped
    // start confirms it (kerning may move it by a character).
    qsizetype n = 0;
    double sum = 0;
    while (n < s.size()) {
        const double a = measure(QString(s.at(n)));
        if (sum + a > width)
            break;
        sum += a;
        ++n;
    }
    double w = n > 0 ? measure(s.left(n)) : 0;
    while (n > 0 && w > width) {
        --n;
        w = measure(s.left(n));
    }
    while (n < s.size()) {
        const double next = measure(s.left(n + 1));
        if (next > width)
            break;
        ++n;
        w = next;
    }
    if (n > 0 && n < s.size() && s.at(n - 1).isHighSurrogate()) {
        --n;
        w = measure(s.left(n));
    }
    if (fitWidth)
        *fitWidth = w;
    return n;
}

void clsStampante::PrintCurrentX(double x)
{
    m_x = x + m_marginLeft;
    AddCmd(PT_SET_X, Round32(m_x));
}

void clsStampante::PrintCurrentY(double y)
{
    m_y = y + m_marginTop;
    AddCmd(PT_SET_Y, Round32(m_y));
}

void clsStampante::PrintBox(double x1, double y1, double x2, double y2)
{
    AddCmd(PT_BOX, Round32(x1 + m_marginLeft), Round32(y1 + m_marginTop), Round32(x2 + m_marginLeft),
           Round32(y2 + m_marginTop));
}

void clsStampante::PrintBoxFilled(double x1, double y1, double x2, double y2)
{
    AddCmd(PT_BOXFILL, Round32(x1 + m_marginLeft), Round32(y1 + m_marginTop), Round32(x2 + m_marginLeft),
           Round32(y2 + m_marginTop));
}

void clsStampante::PrintLine(double x1, double y1, double x2, double y2)
{
    AddCmd(PT_LINE, Round32(x1 + m_marginLeft), Round32(y1 + m_marginTop), Round32(x2 + m_marginLeft),
           Round32(y2 + m_marginTop));
}

void clsStampante::PrintCircle(double x, double y, double radius)
{
    AddCmd(PT_CIRCLE, Round32(x + m_marginLeft), Round32(y + m_marginTop), Round32(radius));
}

void clsStampante::PrintDrawStyle(qint16 style)
{
    m_drawStyle = style;
    AddCmd(PT_DRAWSTYLE, style);
}

void clsStampante::PrintDrawWidth(qint16 width)
{
    m_drawWidth = width;
    AddCmd(PT_DRAWWIDTH, width, qint32(m_twipsPerPixelX) * 100);
}

void clsStampante::PrintDrawWidthTwips(double twips)
{
    PrintDrawWidth(qint16(qBound(1.0, std::round(twips / m_twipsPerPixelX), 32767.0)));
}

bool clsStampante::PrintFontName(const QString &name)
{
    AddCmd(PT_FONTNAME, 0, 0, 0, 0, name);
    if (name.trimmed().isEmpty())
        return false;
    m_fontName = name;
    ApplyFont();
    return true;
}

void clsStampante::PrintFontSize(float size)
{
    if (!(size > 0) || size > 1638)
        size = 10;
    m_fontSize = size;
    AddCmd(PT_FONTSIZE, Hundredths(size));
    ApplyFont();
}

void clsStampante::PrintFontAttr(bool bold, bool italic, bool underline)
{
    m_bold = bold;
    m_italic = italic;
    m_underline = underline;
    AddCmd(PT_FONTATTR, bold ? 1 : 0, italic ? 1 : 0, underline ? 1 : 0);
    ApplyFont();
}

void clsStampante::PrintPrint(const QString &text, double advance)
{
    if (advance < 0)
        advance = PrintGetLenText(text);
    AddCmd(PT_PRINT, Round32(advance), 0, 0, 0, text);
    m_x += Round32(advance);
}

void clsStampante::PrintPrintAttr(const QString &text, float sizeFactor, int attrBits, double advance)
{
    if (advance < 0)
        advance = PrintGetLenTextAttr(text, sizeFactor, attrBits);
    const qint32 size = sizeFactor == 1.0f ? 0 : Hundredths(m_fontSize * sizeFactor);
    AddCmd(PT_PRINT_ATTR, size, attrBits & 7, Round32(advance), 0, text);
    m_x += Round32(advance);
}

void clsStampante::RecordState()
{
    AddCmd(PT_FONTNAME, 0, 0, 0, 0, m_fontName);
    AddCmd(PT_FONTSIZE, Hundredths(m_fontSize));
    AddCmd(PT_FONTATTR, m_bold ? 1 : 0, m_italic ? 1 : 0, m_underline ? 1 : 0);
    AddCmd(PT_DRAWSTYLE, m_drawStyle);
    AddCmd(PT_DRAWWIDTH, m_drawWidth, qint32(m_twipsPerPixelX) * 100);
    AddCmd(PT_SET_X, Round32(m_x));
    AddCmd(PT_SET_Y, Round32(m_y));
}

void clsStampante::PrintNewPage()
{
    AddCmd(PT_NEWPAGE);
    m_x = m_marginLeft;
    m_y = m_marginTop;
    // Each page opens with the whole state, so it draws the same alone as
    // after the pages before it.
    RecordState();
}

void clsStampante::PrintNuovaLinea(double leftX)
{
    m_x = leftX + m_marginLeft;
    m_y += m_metrics.height();
    AddCmd(PT_NEWLINE, Round32(m_x), Round32(m_y));
}

// ---------------------------------------------------------------------------
// Replay

namespace {
struct PenState {
    qint16 style = 0;
    qint32 width = 1;
    qint32 twipsPerPixel100 = 500;
};

struct FontState {
    QString name = QStringLiteral("Times New Roman");
    float size = 10;
    bool bold = false;
    bool italic = false;
    bool underline = false;
    QFont font;
    double ascent = 0;

    void apply(QPainter &p)
    {
        font = clsStampante::MakeFont(name, size, bold, italic, underline);
        ascent = QFontMetricsF(font).ascent();
        p.setFont(font);
    }
};

void ApplyPen(QPainter &p, const PenState &pen)
{
    QPen qpen(Qt::black);
    switch (pen.style) {
    case 1: qpen.setStyle(Qt::DashLine); break;
    case 2: qpen.setStyle(Qt::DotLine); break;
    case 3: qpen.setStyle(Qt::DashDotLine); break;
    case 4: qpen.setStyle(Qt::DashDotDotLine); break;
    case 5: qpen.setStyle(Qt::NoPen); break;
    default: qpen.setStyle(Qt::SolidLine); break;
    }
    // A pen thinner than one dot of the target is drawn one dot wide.
    const double twips = double(pen.width) * pen.twipsPerPixel100 / 100.0;
    const double scale = p.combinedTransform().m11();
    if (pen.style >= 1 && pen.style <= 4)
        qpen.setWidthF(qMax(twips, 10.0));   // dashes are measured in pen widths: keep them visible
    else if (pen.width <= 1 || twips * scale < 1.0)
        qpen.setWidth(0);
    else
        qpen.setWidthF(twips);
    qpen.setCapStyle(Qt::FlatCap);
    p.setPen(qpen);
}
}

ReplayResult clsStampante::Replay(QPainter &p, qint32 first, const std::function<bool()> &newPage) const
{
    ReplayResult result;
    if (first < 0 || first >= m_count || m_realWidth <= 0 || m_realHeight <= 0)
        return result;
    p.save();
    p.setWindow(0, 0, m_realWidth, m_realHeight);
    p.setRenderHint(QPainter::TextAntialiasing, true);
    p.setBrush(Qt::NoBrush);
    FontState font;
    font.apply(p);
    PenState pen;
    pen.twipsPerPixel100 = qint32(m_twipsPerPixelX) * 100;
    ApplyPen(p, pen);
    double x = m_marginLeft;
    double y = m_marginTop;
    result.pagesDrawn = 1;

    for (qint32 i = first; i < m_count; ++i) {
        const PrintCmd &c = m_list[size_t(i)];
        switch (c.code) {
        case PT_BOX:
            p.drawLine(QLineF(c.Val[0], c.Val[1], c.Val[2], c.Val[1]));
            p.drawLine(QLineF(c.Val[2], c.Val[1], c.Val[2], c.Val[3]));
            p.drawLine(QLineF(c.Val[2], c.Val[3], c.Val[0], c.Val[3]));
            p.drawLine(QLineF(c.Val[0], c.Val[3], c.Val[0], c.Val[1]));
            break;
        case PT_BOXFILL:
            p.fillRect(QRectF(QPointF(c.Val[0], c.Val[1]), QPointF(c.Val[2], c.Val[3])).normalized(), FillColour);
            break;
        case PT_CIRCLE:
            p.drawEllipse(QPointF(c.Val[0], c.Val[1]), c.Val[2], c.Val[2]);
            break;
        case PT_DRAWSTYLE:
            pen.style = qint16(c.Val[0]);
            ApplyPen(p, pen);
            break;
        case PT_DRAWWIDTH:
            pen.width = c.Val[0];
            if (c.Val[1] > 0)
                pen.twipsPerPixel100 = c.Val[1];
            ApplyPen(p, pen);
            break;
        case PT_FONTATTR:
            font.bold = c.Val[0] != 0;
            font.italic = c.Val[1] != 0;
            font.underline = c.Val[2] != 0;
            font.apply(p);
            break;
        case PT_LINE:
            p.drawLine(QLineF(c.Val[0], c.Val[1], c.Val[2], c.Val[3]));
            break;
        case PT_MARGINI:
            // Margins are state of the list; nothing to draw.
            break;
        case PT_SET_X:
            x = c.Val[0];
            break;
        case PT_SET_Y:
            y = c.Val[0];
            break;
        case PT_NEWPAGE:
            if (!newPage) {
                p.restore();
                return result;
            }
            if (!newPage()) {
                result.failure = ReplayResult::Failure::NewPage;
                p.restore();
                return result;
            }
            ++result.pagesDrawn;
            break;
        case PT_NEWLINE:
            x = c.Val[0];
            y = c.Val[1];
            break;
        case PT_FONTNAME:
            if (!c.text.trimmed().isEmpty()) {
                font.name = c.text;
                font.apply(p);
            }
            break;
        case PT_FONTSIZE:
            if (c.Val[0] > 0) {
                font.size = float(c.Val[0]) / 100.0f;
                font.apply(p);
            }
            break;
        case PT_PRINT:
            p.drawText(QPointF(x, y + font.ascent), c.text);
            x += c.Val[0];
            break;
        case PT_PRINT_ATTR: {
            const int bits = c.Val[1];
            const float size = c.Val[0] > 0 ? float(c.Val[0]) / 100.0f : font.size;
            if (size == font.size && bits == 0) {
                p.drawText(QPointF(x, y + font.ascent), c.text);
            } else {
                const QFont once = MakeFont(font.name, size, font.bold || (bits & 1), font.italic || (bits & 2),
                                            font.underline || (bits & 4));
                p.setFont(once);
                // A smaller text shares the line's baseline; a larger one keeps its top on the line.
                p.drawText(QPointF(x, y + qMax(font.ascent, QFontMetricsF(once).ascent())), c.text);
                p.setFont(font.font);
            }
            x += c.Val[2];
            break;
        }
        default:
            if (result.unknownCodes == 0)
                result.firstUnknownCode = c.code;
            ++result.unknownCodes;
            break;
        }
    }
    p.restore();
    return result;
}

ReplayResult clsStampante::AttuaStampaPicture(QPainter &painter, qint32 first) const
{
    return Replay(painter, first);
}

ReplayResult clsStampante::AttuaStampaStampante(QPagedPaintDevice &device) const
{
    Globale::Hourglass wait;
    ReplayResult result;
    // The sheet's corner is the origin: margins are the list's own.
    QPrinter *printer = dynamic_cast<QPrinter *>(&device);
    const bool wasFullPage = printer && printer->fullPage();
    if (printer) {
        printer->setFullPage(true);
        if (!DocName.isEmpty())
            printer->setDocName(DocName);
        printer->setCreator(QStringLiteral("lumoTabPrt"));
    } else
        device.setPageMargins(QMarginsF(0, 0, 0, 0));
    // The printer takes the sheet's orientation for this document only: a
    // table turned to landscape prints on a landscape sheet, and the printer
    // is left as the user set it.
    const QPageLayout::Orientation wasOrientation =
        printer ? printer->pageLayout().orientation() : QPageLayout::Portrait;
    if (printer && wasOrientation != m_orientation)
        printer->setPageOrientation(m_orientation);
    struct RestorePrinter {
        QPrinter *printer;
        bool fullPage;
        QPageLayout::Orientation orientation;
        ~RestorePrinter()
        {
            if (printer) {
                printer->setFullPage(fullPage);
                if (printer->pageLayout().orientation() != orientation)
                    printer->setPageOrientation(orientation);
            }
        }
    } restore{printer, wasFullPage, wasOrientation};
    QPainter painter;
    if (!painter.begin(&device)) {
        result.failure = ReplayResult::Failure::Open;
        return result;
    }
    painter.setViewport(0, 0, device.width(), device.height());
    result = Replay(painter, 0, [&device]() { return device.newPage(); });
    if (!painter.end() && result.ok())
        result.failure = ReplayResult::Failure::Close;
    if (result.ok() && m_count == 0)
        result.pagesDrawn = 1;
    return result;
}
