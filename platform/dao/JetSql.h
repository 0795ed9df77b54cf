#pragma once
// Translation of the Jet SQL dialect into SQLite SQL, and the Jet functions
// registered on every connection. Kept apart from the recordset code so the
// translation can be tested on its own.
#include <QString>
#include <QVariant>

#include <functional>

struct sqlite3;

namespace dao::jetsql {

// Translates one Jet SQL text:
//  [name]           -> "name"              "text" literal  -> 'text'
//  #mm/dd/yyyy#      -> 'yyyy-mm-dd'        True / False    -> 1 / 0
//  DELETE * FROM     -> DELETE FROM         a & b           -> a || b
//  x Mod y           -> x % y               SELECT TOP n    -> ... LIMIT n
//  x <op> ALL (sub)  -> NOT EXISTS (...)    x <op> ANY/SOME (sub) -> EXISTS (...)
//  Jet function names that clash with SQLite words (Left, Right, Mid, Int, IsNull,
//  Date, Now ...) are renamed to the registered jet_* functions.
// Bare "?" placeholders become "?N" numbered from paramOffset + 1.
// Throws VbError 3075 on an unterminated literal or bracket.
// nameFix, when given, maps a name with letters outside ASCII to the spelling the
// schema uses (SQLite matches names without regard to case for ASCII letters only).
QString Translate(const QString &jet, int paramOffset = 0,
                  const std::function<QString(const QString &)> &nameFix = {});

// Registers the Jet functions and the Jet LIKE (*, ?, #, [..], [!..], no case)
// on a connection.
void RegisterFunctions(sqlite3 *db);

// Jet LIKE match, without regard to case.
bool LikeMatch(const QString &value, const QString &pattern);

// Parses the inside of a #...# literal (m/d/yyyy [h:mm[:ss] [AM|PM]], yyyy-mm-dd,
// or a time alone) into the ISO text stored in the database; empty when invalid.
QString DateLiteralToIso(const QString &inner);

// A simple single-table SELECT: where the rowid column may be inserted to make
// the result updatable. Returns false for joins, grouping, DISTINCT, unions,
// aggregates or anything else that is not one row per table row.
struct SimpleSource {
    QString table;       // the table name as written (unquoted)
    QString qualifier;   // alias or table name, used to qualify rowid
    int insertPos = -1;  // character position right after the SELECT keyword
};
bool AnalyzeSimpleSelect(const QString &sqliteSql, SimpleSource *out);

// True when the text (after leading blanks and brackets) starts with SELECT,
// TRANSFORM, WITH or "(": an SQL text rather than a table or query name.
bool LooksLikeSql(const QString &source);

// First keyword of a statement in upper case ("SELECT", "DELETE" ...).
QString FirstKeyword(const QString &sql);

} // namespace dao::jetsql
