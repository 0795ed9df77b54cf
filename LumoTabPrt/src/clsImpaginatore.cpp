#include "LumoTabPrt/src/clsImpaginatore.h"

#include "LumoTabPrt/src/clsStampante.h"

#include <QtMath>
#include <limits>
#include <stdexcept>

namespace {
float SizeFactor(qint32 flags)
{
    if (flags & clsImpaginatore::Size200)
        return 2.0f;
    if (flags & clsImpaginatore::Size150)
        return 1.5f;
    if (flags & clsImpaginatore::Size80)
        return 0.8f;
    if (flags & clsImpaginatore::Size70)
        return 0.7f;
    return 1.0f;
}

int AttrBits(qint32 flags)
{
    int bits = 0;
    if (flags & clsImpaginatore::Bold)
        bits |= 1;
    if (flags & clsImpaginatore::Italic)
        bits |= 2;
    if (flags & (clsImpaginatore::Underline | clsImpaginatore::Underline2))
        bits |= 4;
    return bits;
}

qint32 Whole(double v)
{
    return qint32(std::floor(v + 0.5));
}
}

clsImpaginatore::clsImpaginatore(clsStampante &list, const lumo::PrintOptions &options, lumo::JobHost *host)
    : m_list(list), m_options(options), m_host(host)
{
    m_page = options.PageNumberStart;
}

void clsImpaginatore::ImpostaFont(const QString &name, float size, bool bold, bool italic, bool bigCells)
{
    m_fontName = name;
    m_fontSize = size;
    m_bold = bold;
    m_italic = italic;
    m_bigCells = bigCells;
}

void clsImpaginatore::ReimpostaFont()
{
    m_list.PrintFontName(m_fontName);
    m_list.PrintFontSize(m_fontSize);
    m_list.PrintFontAttr(m_bold, m_italic);
}

const clsImpaginatore::Rect &clsImpaginatore::region(int r) const
{
    if (r < 0 || r > 2)
        throw std::out_of_range("region index");
    return m_regions[r];
}

bool clsImpaginatore::InitDimensioniStd(qint32 count, const QString &headText, qint32 headLines, qint32 footLines)
{
    m_columns.clear();
    m_columns.resize(qMax(0, count));
    m_headLines.clear();
    // Head lines: the pieces between "|", up to the first empty one.
    QString rest = headText;
    while (!rest.isEmpty() && m_headLines.size() < MaxHeadLines) {
        const qsizetype bar = rest.indexOf(QLatin1Char('|'));
        const QString piece = bar < 0 ? rest : rest.left(bar);
        if (piece.isEmpty())
            break;
        m_headLines.append(piece);
        rest = bar < 0 ? QString() : rest.mid(bar + 1);
    }
    if (headLines < 0)
        headLines = qint32(m_headLines.size()) + 2;
    if (footLines < 0)
        footLines = 2;
    m_headLineCount = headLines;
    m_footLineCount = footLines;

    ReimpostaFont();
    m_cellH = m_list.PrintGetHText(QStringLiteral("Wieg"));
    m_charW = m_list.PrintGetLenText(QStringLiteral("Wieg")) / 4.0;
    m_halfCellH = m_cellH / 2.0;
    m_halfCharW = m_charW / 2.0;
    if (!LayRegions())
        return false;

    m_page = m_options.PageNumberStart;
    RaiseNewPageStart();
    return true;
}

bool clsImpaginatore::LayRegions()
{
    qint32 width = 0, height = 0;
    m_list.PrintGetDimFoglio(width, height);
    const double vInset = m_halfCellH / 2.0;
    const double hInset = m_halfCharW;

    Rect &head = m_regions[Head];
    Rect &body = m_regions[Body];
    Rect &foot = m_regions[Foot];
    head.RealX = body.RealX = foot.RealX = 0;
    head.RealL = body.RealL = foot.RealL = width;
    head.RealY = 0;
    head.RealH = Whole(m_cellH * m_headLineCount + 2 * vInset);
    foot.RealH = Whole(m_cellH * m_footLineCount + 2 * vInset);
    foot.RealY = height - foot.RealH;
    body.RealY = head.RealY + head.RealH;
    body.RealH = foot.RealY - body.RealY;
    for (Rect *r : {&head, &body, &foot}) {
        r->X = Whole(r->RealX + hInset);
        r->Y = Whole(r->RealY + vInset);
        r->L = Whole(r->RealL - 2 * hInset);
        r->H = Whole(r->RealH - 2 * vInset);
    }
    if (m_bigCells) {
        body.Y = Whole(body.Y + m_halfCellH);
        body.H = Whole(body.H - m_halfCellH);
    }
    if (!m_columns.isEmpty()) {
        m_columns[0].pos = body.X;
        m_columns[0].len = body.L;
    }
    return width > 0 && body.L > 0 && body.H >= m_cellH;
}

bool clsImpaginatore::TurnLandscape()
{
    if (!m_list.TurnSheet(QPageLayout::Landscape))
        return false;
    if (!LayRegions()) {
        // Too short for a line of the body lying down: back upright.
        m_list.TurnSheet(QPageLayout::Portrait);
        LayRegions();
        return false;
    }
    return true;
}

void clsImpaginatore::RaiseNewPageStart()
{
    bool cancel = false;
    if (m_host)
        m_host->NewPageStart(m_page, cancel);
    m_cancel = m_cancel || cancel;
}

void clsImpaginatore::PaginaInitDefoult()
{
    const Rect &head = m_regions[Head];
    const Rect &body = m_regions[Body];
    m_list.PrintCurrentX(head.X);
    m_list.PrintCurrentY(head.Y);
    for (qsizetype i = 0; i < m_headLines.size(); ++i) {
        if (i == 0) {
            PrintInSpan(m_headLines.at(i), head.X, head.L, AlignCentre | Bold | Size200, -1);
            m_list.PrintNuovaLinea(head.X);
            m_list.PrintNuovaLinea(head.X);
        } else {
            PrintInSpan(m_headLines.at(i), head.X, head.L, AlignCentre, -1);
            m_list.PrintNuovaLinea(head.X);
        }
    }
    if (frameHeadRegion)
        m_list.PrintBox(head.RealX, head.RealY, head.RealX + head.RealL, head.RealY + head.RealH);
    m_headBottom = m_list.PrintGetCurrentY();
    m_list.PrintCurrentX(body.X);
    m_list.PrintCurrentY(body.Y);
}

void clsImpaginatore::PaginaPiedeDefault()
{
    bool cancel = false;
    if (m_host)
        m_host->NewPageEnd(m_page, cancel);
    m_cancel = m_cancel || cancel;

    const Rect &foot = m_regions[Foot];
    const double third = foot.L / 3.0;
    m_list.PrintCurrentY(foot.Y);
    if (!m_options.FootText.isEmpty())
        PrintInSpan(m_options.FootText, foot.X, third, 0, -1);
    if (m_options.DateOnFoot)
        PrintInSpan(m_options.DateText + lumo::FormatDate(m_dateStart, m_options.DateFormat), foot.X + third, third,
                    AlignCentre | Size80, -1);
    if (m_options.PageNumber)
        PrintInSpan(m_options.PageNumberText + QString::number(m_page), foot.X + 2 * third, third, AlignRight, -1);
    if (!noFootLine) {
        m_list.PrintDrawStyle(2);
        m_list.PrintLine(foot.RealX, foot.RealY, foot.RealX + foot.RealL, foot.RealY);
        m_list.PrintDrawStyle(0);
    }
}

bool clsImpaginatore::SaltoPagina()
{
    PaginaPiedeDefault();
    m_list.PrintNewPage();
    if (m_page < std::numeric_limits<qint32>::max())
        ++m_page;
    RaiseNewPageStart();
    PaginaInitDefoult();
    return !m_cancel;
}

bool clsImpaginatore::CiStaCampoHInPagina(qint32 &lines) const
{
    const Rect &body = m_regions[Body];
    const double bottom = double(body.Y) + body.H;
    const double y = m_list.PrintGetCurrentY();
    if (lines >= 1)
        return y + m_cellH * lines <= bottom + 0.5;
    if (m_cellH <= 0) {
        lines = 0;
        return true;
    }
    const double free = std::floor((bottom + 0.5 - y) / m_cellH);
    lines = free < 0 ? 0 : qint32(qMin(free, 1e9));
    return true;
}

void clsImpaginatore::NuovaLinea()
{
    m_list.PrintNuovaLinea(m_regions[Body].X);
}

void clsImpaginatore::NuovaLineaCampo(qint32 lines)
{
    const double left = m_columns.isEmpty() ? m_regions[Body].X : m_columns.first().pos;
    if (lines <= 1) {
        m_list.PrintNuovaLinea(left);
    } else {
        m_list.PrintCurrentY(m_list.PrintGetCurrentY() + m_cellH * lines);
        m_list.PrintCurrentX(left);
    }
}

void clsImpaginatore::ColoraCella(qint32 column, qint32 lines)
{
    const double y = m_list.PrintGetCurrentY();
    m_list.PrintBoxFilled(CPos(column), y, CPos(column) + CLen(column), y + m_cellH * lines);
}

void clsImpaginatore::ContornaCella(qint32 column, qint32 lines)
{
    const double y = m_list.PrintGetCurrentY();
    m_list.PrintBox(CPos(column), y, CPos(column) + CLen(column), y + m_cellH * lines);
}

void clsImpaginatore::ContornaCellaSpesso(qint32 column, qint32 lines)
{
    m_list.PrintDrawWidth(3);
    ContornaCella(column, lines);
    m_list.PrintDrawWidth(1);
}

void clsImpaginatore::PrintInSpan(const QString &text, double left, double width, qint32 flags, double knownWidth)
{
    const float factor = SizeFactor(flags);
    const int bits = AttrBits(flags);
    const double room = width - m_charW;
    if (room <= 0 || text.isEmpty())
        return;
    QString shown = text;
    double w = knownWidth >= 0 && factor == 1.0f && bits == 0 ? knownWidth
                                                             : m_list.PrintGetLenTextAttr(shown, factor, bits);
    if (w > room) {
        // Clip to the longest start that fits.
        const qsizetype n = m_list.PrintFitText(text, factor, bits, room, &w);
        shown = text.left(n);
        if (shown.isEmpty())
            return;
    }
    double x;
    if (flags & AlignRight)
        x = left + width - m_halfCharW - w;
    else if (flags & AlignCentre)
        x = left + (width - w) / 2.0;
    else
        x = left + m_halfCharW;
    m_list.PrintCurrentX(x);
    if (factor == 1.0f && bits == 0)
        m_list.PrintPrint(shown, w);
    else
        m_list.PrintPrintAttr(shown, factor, bits, w);
}

void clsImpaginatore::StampaInCampo(const QString &text, qint32 column, qint32 flags, double width)
{
    PrintInSpan(text, CPos(column), CLen(column), flags, width);
}

void clsImpaginatore::StampaCella(const QString &text, qint32 column, qint32 flags)
{
    StampaInCampo(text, column, flags);
    ContornaCella(column);
}

qint32 clsImpaginatore::CPos(qint32 i) const
{
    if (i < 0 || i >= m_columns.size())
        throw std::out_of_range("column index");
    return m_columns.at(i).pos;
}

qint32 clsImpaginatore::CLen(qint32 i) const
{
    if (i < 0 || i >= m_columns.size())
        throw std::out_of_range("column index");
    return m_columns.at(i).len;
}

void clsImpaginatore::SetCPos(qint32 i, qint32 value)
{
    if (i < 0 || i >= m_columns.size())
        throw std::out_of_range("column index");
    m_columns[i].pos = value;
}

void clsImpaginatore::SetCLen(qint32 i, qint32 value)
{
    if (i < 0 || i >= m_columns.size())
        throw std::out_of_range("column index");
    m_columns[i].len = value;
}
