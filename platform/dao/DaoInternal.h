#pragma once
// What the files of the database layer share beyond its public interface:
// the SQLite connection under a Database and its error translation. Only
// files of platform/dao include this.
#include "platform/dao/Dao.h"

struct sqlite3;

namespace dao::internal {

// The connection of an open database; error 3420 once it is closed.
sqlite3 *Handle(const Database &db);
// Runs plain SQLite statements (no Jet translation) after open recordsets
// have read what they still hold; throws the matching VbError.
void Exec(const Database &db, const QString &sqliteSql);
// Throws the VbError that matches an SQLite result code of db.
[[noreturn]] void RaiseSqlite(const Database &db, int rc, const QString &sql);

} // namespace dao::internal
