#pragma once
// The SVG picture of a profile, drawn afresh from the database: a gradient
// background, one polygon per segment in its gradient class colour with its
// grade, the profile line, an altitude grid every 100 m, the kilometre strip,
// the altitude and note of every sample, a credit line and the title.
//
// The file is ISO-8859-1 as its declaration says (a character outside it is
// a decimal character reference), lines end CR LF, and names, notes and the
// font name are escaped, so the file is well-formed and renders.
#include "platform/dao/Dao.h"
#include "profile/ProfileOptions.h"

#include <QByteArray>
#include <QLocale>
#include <QString>

namespace ProfileSvg {

// Error raised when the profile cannot be drawn (fewer than 2 samples, no
// length or no height range): nothing is written.
constexpr int ErrNotDrawable = 2502;

// The scale of one export.
struct Scale {
    float SvgDistance = 0, SvgBase = 0, SvgRange = 0, SvgScaleX = 0, SvgScaleY = 0;
    int W = 0, H = 0;
};

struct Request {
    QString name;          // IDPercorso
    bool route = false;    // CampioniPercorsi, else CampioniSalite
    int width = 0, height = 0;   // pixels (the drawing's client area)
    QString creditLink;    // the credit line's target
};

// The file's bytes. Throws VbError(ErrNotDrawable) when the profile cannot
// be drawn, or the database's error.
QByteArray Write(dao::Database &db, const Request &request, ProfileOptions &o,
                 const QLocale &locale = QLocale(), Scale *scale = nullptr);

// The altitude grid (grid step intY m) and the kilometre strip, appended to `out`.
void AltimetroSvg(QByteArray &out, const Scale &s, int curX0, int curY0, float maxH, float minH, int intY,
                  const QLocale &locale);
void TachimetroSVG(QByteArray &out, const Scale &s, int curX, int curY, float dimX, int dimY, int intX,
                   int32_t color1, int32_t color2);

// Text for the file: &, <, >, " escaped, characters beyond ISO-8859-1 as
// decimal references; the result is Latin-1 bytes.
QByteArray Escape(const QString &text);
// A whole strip block length in km from TacInt: halves to even, at least 1.
int StripKm(float tacInt);

} // namespace ProfileSvg
