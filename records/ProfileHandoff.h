#pragma once
// Fills the profile hand-off (core/ProfileGlobals.h) from a card and its
// altitude samples, for the profile window to draw. The card is named by the
// caller (the card's own name); the samples are read once, and every figure
// and the sample array are sized from that one read, so they always agree.
//
// Nothing is written unless the record has at least two samples; then every
// value is written together. A failure (an unreadable database, a length that
// is not a number) throws VbError before any value changes.
#include "platform/dao/Dao.h"

#include <QLocale>
#include <QSet>
#include <QString>
#include <QVariant>
#include <QVector>

namespace ProfileHandoff {

enum class Kind { Climb, Route };

// One stored sample as read from the samples table.
struct SampleRow {
    QVariant DistParz;  // km
    QVariant Altezza;   // m
    QVariant Note;      // null or text
    QVariant image;     // null, "" or an icon key
};

// The legend texts as the window shows them at the moment of the hand-off.
struct Legend {
    QString time;       // simulator time read-out
    QString speed;      // simulator speed read-out
    QString length;     // text of the length field
    QString climbRate;  // climbs: climbing-rate read-out
    QString grade;      // climbs: mean-gradient figure
};

// From samples in ascending distance. `iconNames` are the names of table
// Icons; a sample whose icon is not among them (compared without regard to
// case) gets no icon. Returns true when the hand-off was written (two samples
// or more): the window then shows the profile window or makes it redraw.
bool Fill(Kind kind, const QString &cardName, const QVector<SampleRow> &samples,
          const Legend &legend, const QSet<QString> &iconNames, const QLocale &locale = QLocale());

// The same, reading the card's samples (CampioniSalite or CampioniPercorsi,
// ordered by distance) and the icon names from the database. The name is
// bound as a parameter, so any name is safe.
bool Fill(dao::Database &db, Kind kind, const QString &cardName, const Legend &legend,
          const QLocale &locale = QLocale());

// The samples of a card as stored, ordered by distance.
QVector<SampleRow> ReadSamples(dao::Database &db, Kind kind, const QString &cardName);
// The names of table Icons, lower-cased.
QSet<QString> ReadIconNames(dao::Database &db);

} // namespace ProfileHandoff
