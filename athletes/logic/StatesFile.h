#pragma once
// The state names of an import file and their import into the table States.
#include "platform/dao/Dao.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <functional>

namespace StatesFile {

// The text of a file, by the rule of every reader (DecodeOutsideText): its
// UTF-8 mark dropped, UTF-8 when the rest is valid UTF-8, else Windows-1252.
QString Decode(const QByteArray &bytes);

// The names of a file, in file order. Fields end at a comma or a line end
// (CR LF, LF or CR). Blanks before and after an unquoted name go; a field that
// begins with a double quote runs to the next one (or to the end of the file)
// and keeps its commas and blanks. Empty fields and fields of blanks give no name.
QStringList Parse(const QByteArray &bytes);

// The names of a file as Parse reads them, each once (compared as the table
// compares them: the letters A to Z without regard to case), in file order;
// or, when it holds more than maxNames different names, none and tooMany:
// such a file is refused before anything is stored. The parse stops at the
// first name past the bound.
struct NameList {
    QStringList names;
    bool tooMany = false;
};
NameList DistinctNames(const QByteArray &bytes, int maxNames);

struct ImportResult {
    int added = 0;
    bool ok = true;
    int error = 0;
    QString description;   // the database's description, with the name refused
};
// Adds every name the table does not hold yet (compared as the database
// compares them, bound), in file order, until a name fails: the names added
// before it stay (added counts them), the rest of the file is not read. One
// transaction holds the insertions, for speed; it is committed on a failure
// too. tick, when given, is called before each name (a window lets itself
// repaint).
ImportResult Import(const dao::DatabasePtr &db, const QStringList &names, const std::function<void()> &tick = {});

} // namespace StatesFile
