#pragma once
// Page layout: the usable area divided into head, body and foot; a table of
// columns across the body; text, frames and fills laid line by line; page
// breaks with the host told of each page. Everything is recorded into a
// clsStampante, in its usable-area frame: regions, the current position and
// the fit test all use that one frame.
#include "LumoTabPrt/src/LumoExport.h"
#include "LumoTabPrt/src/LumoTabPrt.h"

#include <QDateTime>
#include <QStringList>
#include <QVector>

class clsStampante;

class LUMOTABPRT_EXPORT clsImpaginatore {
public:
    enum Region { Head = 0, Body = 1, Foot = 2 };
    enum Flags {
        AlignRight = 1, AlignCentre = 2, Bold = 4, Italic = 8, Underline = 16, Underline2 = 32,
        Size200 = 64, Size150 = 128, Size80 = 256, Size70 = 512
    };
    static constexpr int MaxHeadLines = 1000;

    // list: the command list to record into (not owned); host: the events (may be null).
    clsImpaginatore(clsStampante &list, const lumo::PrintOptions &options, lumo::JobHost *host = nullptr);

    clsStampante &Stampante() { return m_list; }
    const lumo::PrintOptions &Options() const { return m_options; }
    void SetHost(lumo::JobHost *host) { m_host = host; }
    lumo::JobHost *Host() const { return m_host; }

    void ImpostaFont(const QString &name, float size, bool bold, bool italic, bool bigCells);
    void ReimpostaFont();

    // Sizes the column table, splits headText at "|" into head lines and lays
    // the three regions; then raises NewPageStart for the first page. Answers
    // false when the regions leave no room for a body line (nothing raised).
    bool InitDimensioniStd(qint32 count, const QString &headText, qint32 headLines = -1, qint32 footLines = -1);
    // Before the first page is laid: turns a portrait sheet to landscape and
    // lays the regions anew. False (nothing changed) when the sheet lies so
    // already or the body would have no line.
    bool TurnLandscape();
    void PaginaInitDefoult();
    void PaginaPiedeDefault();
    // Foot of this page, new page, head of the next; NewPageStart for it.
    // Answers false when the host cancelled.
    bool SaltoPagina();
    bool SaltoPaginaModoNewPage() { return SaltoPagina(); }

    // lines >= 1: whether that many lines still fit in the body. lines < 1:
    // answers true and sets lines to the whole lines still free (0 when none).
    bool CiStaCampoHInPagina(qint32 &lines) const;

    void NuovaLinea();
    void NuovaLineaCampo(qint32 lines = 1);
    void ColoraCella(qint32 column, qint32 lines = 1);
    void ContornaCella(qint32 column, qint32 lines = 1);
    void ContornaCellaSpesso(qint32 column, qint32 lines = 1);
    // Text in a column at the current line, clipped to the column. width: the
    // text's width in the current font when the caller knows it.
    void StampaInCampo(const QString &text, qint32 column, qint32 flags, double width = -1);
    void StampaCella(const QString &text, qint32 column, qint32 flags = 0);

    qint32 CPos(qint32 i) const;
    qint32 CLen(qint32 i) const;
    void SetCPos(qint32 i, qint32 value);
    void SetCLen(qint32 i, qint32 value);
    qint32 ColumnCount() const { return qint32(m_columns.size()); }
    void SetDateStart(const QDateTime &when) { m_dateStart = when; }
    QDateTime DateStart() const { return m_dateStart; }

    // Region table; an index outside 0..2 throws std::out_of_range.
    qint32 RegioneX(int r) const { return region(r).X; }
    qint32 RegioneY(int r) const { return region(r).Y; }
    qint32 RegioneH(int r) const { return region(r).H; }
    qint32 RegioneL(int r) const { return region(r).L; }
    qint32 RegioneRealX(int r) const { return region(r).RealX; }
    qint32 RegioneRealY(int r) const { return region(r).RealY; }
    qint32 RegioneRealH(int r) const { return region(r).RealH; }
    qint32 RegioneRealL(int r) const { return region(r).RealL; }

    double CellHeight() const { return m_cellH; }
    double CharWidth() const { return m_charW; }
    qint32 PageNumber() const { return m_page; }
    bool Cancelled() const { return m_cancel; }
    QStringList HeadLines() const { return m_headLines; }
    float FontSize() const { return m_fontSize; }

    bool frameHeadRegion = true;  // frame around the head region
    bool noFootLine = false;      // no dotted line above the foot
    bool mayTurnPage = true;      // a table too wide for a portrait sheet may turn it

private:
    struct Rect {
        qint32 RealX = 0, RealY = 0, RealH = 0, RealL = 0;
        qint32 X = 0, Y = 0, H = 0, L = 0;
    };
    const Rect &region(int r) const;
    // The three regions on the sheet as it lies; false when the body holds no line.
    bool LayRegions();
    // Text inside [left, left + width] at the current line, aligned and clipped.
    void PrintInSpan(const QString &text, double left, double width, qint32 flags, double knownWidth);
    void RaiseNewPageStart();

    clsStampante &m_list;
    lumo::PrintOptions m_options;
    lumo::JobHost *m_host;

    double m_cellH = 0;
    double m_charW = 0;
    double m_halfCellH = 0;
    double m_halfCharW = 0;
    QString m_fontName = QStringLiteral("Times New Roman");
    float m_fontSize = 10;
    bool m_bold = false;
    bool m_italic = false;
    bool m_bigCells = false;
    QDateTime m_dateStart;
    qint32 m_page = 1;
    bool m_cancel = false;
    Rect m_regions[3];
    struct Col {
        qint32 pos = 0, len = 0;
    };
    QVector<Col> m_columns;
    QStringList m_headLines;
    qint32 m_headLineCount = 0;
    qint32 m_footLineCount = 0;
    double m_headBottom = 0;
};
