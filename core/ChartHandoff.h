#pragma once
// The chart hand-off: the main window's chart commands fill these from an
// athlete's open climb or training list, and the chart window draws from
// them. The chart has its own record count, so a profile drawn in between
// can never change what the chart reads (and the other way round).
#include "platform/dao/Dao.h"

#include <QString>
#include <QVector>
#include <cstdint>

// One listed climb or training.
struct ChartRecord {
    QString name;           // IDPercorso
    QString date;           // Data, as text
    QString length;         // Lunghezza (climbs) or Distanza (trainings), km, as text
    QString time;           // Tempo, as text
    float power = 0;        // Potenza, W
    float speed = 0;        // Velocità (climbs) or Velocità media (trainings), km/h
    int16_t climbRate = 0;  // VAM, m/h (climbs only)
};

extern QString ChartTitle;             // the chart's heading (the window's caption)
extern QString ChartMode;              // "SALITE" or "ALLENAMENTI"
extern QVector<ChartRecord> ChartData; // in list order
extern int32_t ChartPointCount;        // number of entries in ChartData

namespace ChartHandoff {

enum class Kind { Climbs, Trainings };

inline constexpr char ClimbMode[] = "SALITE";
inline constexpr char TrainingMode[] = "ALLENAMENTI";
// Fewest records a chart is drawn for.
inline constexpr int MinRecords = 2;
// Most records a chart takes (its counter is a 16-bit integer).
inline constexpr int MaxRecords = 32767;

// Reads every row of `rows` from the first on, in order: one record per row.
// A null number reads 0; a date reads in the user's short date format with
// the whole year, as the list's grid shows it, a time as hh:mm:ss. Throws VbError for a database error, a missing field, a climb
// rate beyond a 16-bit integer (6) or more than MaxRecords rows (6).
QVector<ChartRecord> ReadRecords(dao::Recordset &rows, Kind kind);

// Sets the whole hand-off; false, with nothing changed, for fewer than
// MinRecords records.
bool Fill(Kind kind, const QString &title, const QVector<ChartRecord> &records);

// Puts every value above back to its starting value (tests).
void Reset();

} // namespace ChartHandoff
