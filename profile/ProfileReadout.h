#pragma once
// The profile window's read-out: what lies under the pointer while the left
// button is held, and the figures of a stretch marked with the right button,
// with the power a rider needs for it.
#include "core/ProfileGlobals.h"
#include "profile/ProfileRenderer.h"

#include <QLocale>
#include <QString>
#include <QVector>

namespace ProfileReadout {

// Whether (X, Y) in drawing coordinates lies in the graph area: strictly
// between distance 0 and the profile's length, and from the base line up to
// the span plus two text heights.
bool InGraphArea(const ProfileView &v, double X, double Y);

// The segment under the pointer; kept between read-outs.
struct Segment {
    float SegStartDist = 0, SegStartHeight = 0, SegEndDist = 0, SegEndHeight = 0;
};

// Texts of the five panels; an empty optional keeps the panel's text.
struct CursorTexts {
    QString distance;    // "Distanza"
    QString altitude;    // "Altezza"
    QString grade;       // "Pendenza"
    QString time;        // "Tempo"
    QString place;       // "Località"
};

// x: km from the start of the profile. Updates the segment. Before the first
// sample and on a zero-length segment, altitude and grade show their labels
// alone.
CursorTexts Cursor(const QVector<ProfileSample> &samples, double x, const QString &speedText, Segment &seg,
                   const QLocale &locale = QLocale());

// Time to reach x km at `speed` km/h as "h:mm:ss" with at least two hour
// digits ("30:30:00" for 30.5 h); empty for a speed that is 0, negative or
// not a number.
QString TimeAt(double x, const QString &speedText, const QLocale &locale = QLocale());

// The marked stretch.
struct MarkTexts {
    QString dist, disl, pend, vel, vam;
    QString power;
    bool keepPower = false;   // the weight is not a number: the power label keeps its text
};
MarkTexts Mark(double startX, double startY, double endX, double endY, const QString &timeText,
               const QString &weightText, const QLocale &locale = QLocale());

// Watts to ride at v m/s up a slope (fraction) with weight kg of rider and bike.
double Power(double weight, double v, double slope);

} // namespace ProfileReadout
