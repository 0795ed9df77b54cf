#pragma once
// The print-command list of a job and its replay.
//
// While a table is laid out nothing is drawn: every drawing step is recorded as
// one PrintCmd. The list keeps a live state in step with what it recorded (the
// current position, the font and its metrics, the pen), so measurements taken
// during layout are the ones the replay meets.
//
// One geometry for every target: positions are page twips (1/1440 inch) from
// the top-left corner of the sheet; the replay maps the whole sheet
// (0, 0, RealWidth, RealHeight) onto the painter's viewport, and fonts are
// sized in twips too, so an image, a PDF and a printer draw the same page.
//
// Two frames: the recorders and the getters of the position take and give
// coordinates in the usable area (0, 0 at the top-left margin corner); the
// records hold sheet coordinates, margins added.
#include "LumoTabPrt/src/LumoExport.h"

#include <QFont>
#include <QFontMetricsF>
#include <QPageLayout>
#include <QString>
#include <QVector>
#include <functional>
#include <vector>

class QPainter;
class QPagedPaintDevice;
class QPrinter;

enum PrtCode : qint16 {
    PT_BOX = 2,          // Val: x1, y1, x2, y2
    PT_BOXFILL = 3,      // Val: x1, y1, x2, y2 (light grey fill, no outline)
    PT_CIRCLE = 4,       // Val: centre x, centre y, radius
    PT_DRAWSTYLE = 5,    // Val(0): 0 solid, 1 dash, 2 dot, 3 dash-dot, 4 dash-dot-dot, 5 none
    PT_DRAWWIDTH = 6,    // Val(0): width in printer pixels, Val(1): twips per pixel x 100
    PT_FONTATTR = 7,     // Val: bold, italic, underline (0/1)
    PT_LINE = 8,         // Val: x1, y1, x2, y2
    PT_MARGINI = 9,      // Val: left, right, top, bottom (twips)
    PT_SET_X = 1001,     // Val(0): x
    PT_SET_Y = 1002,     // Val(0): y
    PT_NEWPAGE = 1003,
    PT_NEWLINE = 1004,   // Val(0): left edge x, Val(1): the new y (resolved when recorded)
    PT_FONTNAME = 1005,  // text: family
    PT_FONTSIZE = 1006,  // Val(0): points x 100
    PT_PRINT = 1007,     // text; Val(0): its advance in twips
    PT_PRINT_ATTR = 1008 // text; Val(0): points x 100 for this text (0 = current size),
                         // Val(1): bits added for this text (1 bold, 2 italic, 4 underline),
                         // Val(2): its advance in twips
};

struct PrintCmd {
    qint16 code = 0;
    qint32 Val[4] = {0, 0, 0, 0};
    qint32 reserved = 0;
    QString text;
};

// What a replay did.
struct ReplayResult {
    // Where a print failed: the printer did not open, did not start a new
    // page, or did not close the document. The preview words it in the
    // host's language (PrintFailureTexts).
    enum class Failure { None, Open, NewPage, Close };
    Failure failure = Failure::None;
    bool ok() const { return failure == Failure::None; }
    qint32 unknownCodes = 0;     // records skipped because their code is unknown
    qint16 firstUnknownCode = 0;
    qint32 pagesDrawn = 0;
};

class LUMOTABPRT_EXPORT clsStampante {
public:
    clsStampante();
    ~clsStampante();
    clsStampante(const clsStampante &) = delete;
    clsStampante &operator=(const clsStampante &) = delete;

    static constexpr double TwipsPerMm = 1440.0 / 25.4;
    static constexpr qint32 GrowBy = 2000;

    // Starts a job on the page of printer (or of page). An open job is left
    // untouched and the answer is false.
    bool OpenPrintProcedure(QPrinter *printer);
    bool OpenPrintProcedure(const QPageLayout &page);
    bool ClosePrintProcedure();
    qint16 EliminaStampa();
    bool IsOpen() const { return m_open; }

    qint32 GetNrCmds() const { return m_count; }
    qint32 Capacity() const { return m_capacity; }
    // Room for at least count records (a layout that knows its size asks once).
    void Reserve(qint32 count);
    bool GetCmd(qint32 index, PrintCmd &record) const;
    // Fills starts with the index of each page's first command; answers the page count.
    qint32 GetNrPagine(QVector<qint32> &starts) const;

    // Millimetres to twips, rounded to whole twips the same way everywhere.
    static qint32 MmToTwips(double mm);
    float PrintMillimetriToX(float mm) const { return float(mm * TwipsPerMm); }
    float PrintMillimetriToY(float mm) const { return float(mm * TwipsPerMm); }
    void PrintMarginiImposta(float left, float right, float top, float bottom);
    void PrintGetDimFoglio(qint32 &width, qint32 &height) const;

    // Turns the sheet to that orientation, margins kept, before anything is
    // placed on it (a table too wide for a portrait sheet). False when the
    // sheet lies so already.
    bool TurnSheet(QPageLayout::Orientation orientation);
    // The sheet's orientation; a replay on a printer sets the printer to it.
    QPageLayout::Orientation Orientation() const { return m_orientation; }

    qint32 RealWidth() const { return m_realWidth; }
    qint32 RealHeight() const { return m_realHeight; }
    qint32 MarginLeft() const { return m_marginLeft; }
    qint32 MarginRight() const { return m_marginRight; }
    qint32 MarginTop() const { return m_marginTop; }
    qint32 MarginBottom() const { return m_marginBottom; }
    qint16 TwipsPerPixelX() const { return m_twipsPerPixelX; }
    qint16 TwipsPerPixelY() const { return m_twipsPerPixelY; }

    // A record as it stands, for lists built by hand.
    void AddRecord(const PrintCmd &record)
    {
        AddCmd(record.code, record.Val[0], record.Val[1], record.Val[2], record.Val[3], record.text);
    }
    // The document's name on a printer or in a PDF (the job's title).
    QString DocName;

    // Live state, in the usable-area frame.
    double PrintGetCurrentX() const { return m_x - m_marginLeft; }
    double PrintGetCurrentY() const { return m_y - m_marginTop; }
    QString PrintGetFontName() const { return m_fontName; }
    float PrintGetFontSize() const { return m_fontSize; }
    double PrintGetLenText(const QString &s) const;
    double PrintGetHText(const QString &s = QString()) const;
    double PrintGetAscent() const { return m_metrics.ascent(); }
    // Width of s with the size factor and attribute bits of PrintPrintAttr.
    double PrintGetLenTextAttr(const QString &s, float sizeFactor, int attrBits) const;
    // How many characters from the start of s fit in width, with the size
    // factor and attribute bits of PrintPrintAttr.
    qsizetype PrintFitText(const QString &s, float sizeFactor, int attrBits, double width,
                           double *fitWidth = nullptr) const;

    // Recorders.
    void PrintCurrentX(double x);
    void PrintCurrentY(double y);
    void PrintBox(double x1, double y1, double x2, double y2);
    void PrintBoxFilled(double x1, double y1, double x2, double y2);
    void PrintLine(double x1, double y1, double x2, double y2);
    void PrintCircle(double x, double y, double radius);
    void PrintDrawStyle(qint16 style);
    void PrintDrawWidth(qint16 width);
    void PrintDrawWidthTwips(double twips);
    bool PrintFontName(const QString &name);
    void PrintFontSize(float size);
    void PrintFontAttr(bool bold, bool italic, bool underline = false);
    // advance: the text's width when the caller has measured it already.
    void PrintPrint(const QString &text, double advance = -1);
    void PrintPrintAttr(const QString &text, float sizeFactor, int attrBits, double advance = -1);
    void PrintNewPage();
    // Next text line: X back to leftX, Y down by one line of the current font.
    void PrintNuovaLinea(double leftX = 0);

    // Replay onto a painter, in page twips. From command first: one page
    // (newPage null: stops at the next new-page command), or every page
    // (newPage called at each new-page command; false from it is a failure).
    ReplayResult Replay(QPainter &painter, qint32 first, const std::function<bool()> &newPage = {}) const;
    // One page: the page that begins at command first.
    ReplayResult AttuaStampaPicture(QPainter &painter, qint32 first) const;
    // Every page onto a paged device (a printer, a PDF writer), document ended.
    ReplayResult AttuaStampaStampante(QPagedPaintDevice &device) const;

    // Font of the geometry: the size in points becomes a pixel size in twips.
    static QFont MakeFont(const QString &name, float size, bool bold, bool italic, bool underline = false);

private:
    void AddCmd(qint16 code, qint32 v0 = 0, qint32 v1 = 0, qint32 v2 = 0, qint32 v3 = 0,
                const QString &text = QString());
    void Open(const QPageLayout &page, int resolution);
    void ApplyFont();
    void RecordState();

    std::vector<PrintCmd> m_list;
    qint32 m_count = 0;
    qint32 m_capacity = 0;
    bool m_open = false;

    qint32 m_realWidth = 0;
    qint32 m_realHeight = 0;
    QPageLayout::Orientation m_orientation = QPageLayout::Portrait;
    qint32 m_usableWidth = 0;
    qint32 m_usableHeight = 0;
    qint32 m_marginLeft = 0;
    qint32 m_marginRight = 0;
    qint32 m_marginTop = 0;
    qint32 m_marginBottom = 0;
    qint16 m_twipsPerPixelX = 15;
    qint16 m_twipsPerPixelY = 15;

    // Live state, sheet coordinates.
    double m_x = 0;
    double m_y = 0;
    QString m_fontName;
    float m_fontSize = 10;
    bool m_bold = false;
    bool m_italic = false;
    bool m_underline = false;
    qint16 m_drawStyle = 0;
    qint16 m_drawWidth = 1;
    QFont m_font;
    QFontMetricsF m_metrics;

    // Width of a text of Latin letters, digits and punctuation: the sum of
    // the characters' advances, when the font was checked to need no shaping
    // between them.
    bool SimpleWidth(const QString &s, double &width) const;
    mutable int m_simpleFont = -1;       // -1 unchecked, 0 shaped, 1 additive
    mutable double m_advance[0x250] = {};  // 0: not measured yet
};
