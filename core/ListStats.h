#pragma once
// The totals of an athlete list (count, kilometres, average time, average
// speed, for climbs the average climb rate), computed over exactly the rows of
// the list: the list SQL's leading "SELECT * " gives way to an aggregate head,
// so its FROM, WHERE and every filter stay.
#include "platform/dao/Dao.h"

#include <QLocale>
#include <QString>

namespace ListStats {

// The figures as the status bar shows them; empty where a figure could not be read.
struct Stats {
    QString count;      // as it comes
    QString km;         // "#.#0"
    QString avgTime;    // FormatSeconds
    QString kmh;        // "#.#0"
    QString vam;        // whole part (climbs only)
};

// The statistics query: head + list SQL from its tenth character.
QString StatsSql(const QString &head, const QString &listSql);
// Runs the statistics query of a list; throws the query's dao errors.
Stats Compute(const dao::DatabasePtr &db, const QString &head, const QString &listSql, bool climbs,
              const QLocale &locale = QLocale());
// The pattern "#.#0": two decimals, the locale's decimal mark, no digit
// grouping, and no digit before the separator below 1.
QString FormatTwoDecimals(double value, const QLocale &locale);

} // namespace ListStats
