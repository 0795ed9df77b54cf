#pragma once
// SQL texts and statistics of the athlete lists (an athlete's trainings and
// climbs), the best-climber ranking and the per-athlete summary. Plain
// functions so tests and the benchmark build and run them without a window.
//
// A list SQL always starts with the nine characters "SELECT * ", its WHERE ends
// with the athlete test and it never holds an ORDER BY: filters append
// conditions beginning " AND (", the statistics replace the first nine
// characters with their aggregate head, a sort is appended to a copy.
// No value is pasted into the text unquoted: codes, names and filter values go
// through dao::SqlLiteral.
#include "core/ListStats.h"
#include "platform/dao/Dao.h"

#include <QDate>
#include <QLocale>
#include <QString>
#include <QVariant>

namespace AthleteLists {

enum class Kind { Trainings, Climbs };

QString ListSql(Kind kind, const QString &athleteCode);
QString StatsSqlHead(Kind kind);
// The statistics query of a list SQL: head + list SQL from its tenth character.
using ListStats::StatsSql;

// " AND ([field] = value) " with the value written as its own type: a number as
// a number, a date as #mm/dd/yyyy#, a time as 'hh:mm:ss', text quoted;
// an empty cell gives " AND ([field] IS NULL) ".
QString FilterCondition(const QString &field, const QVariant &value);
// " ORDER BY [field]  ASC" / "  DESC" (two blanks, as the main window's sort
// writes it) or " ORDER BY [field] ASC|DESC" for a column-head click.
QString SortClause(const QString &field, bool ascending);
QString HeadClickSortClause(const QString &field, bool descending);
// " AND ([Data] >=#03/01/2004# ) " in every locale; empty for an invalid date
// or an operator other than ">=" / "<=".
QString DateCondition(const QString &op, const QDate &date);

// The print query: the print head of the list and the record source's tail
// from its first "FROM" (filters and order kept). Empty when there is no FROM.
QString PrintSql(Kind kind, const QString &recordSource);
QString PrintTitle(const QString &surname, const QString &name, const QString &listName);

QString RankingSql(const QString &climb);
QString RankingPrintSql(const QString &climb);
QString RankingPrintTitle(const QString &climb, const QString &bestGrimpeur);

// The summary's athletes ordered by one figure.
QString SummarySortSql(const QString &source, const QString &field, bool ascending);

// The figures of the status bar for one list (computed in core, where the
// main window's statistics commands live).
using ListStats::Stats;
using ListStats::FormatTwoDecimals;
// Runs the statistics query of this kind's head; throws dao errors of the query.
Stats ComputeStats(const dao::DatabasePtr &db, Kind kind, const QString &listSql,
                   const QLocale &locale = QLocale());

} // namespace AthleteLists
