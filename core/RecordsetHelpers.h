#pragma once
// Value-exists tests on a recordset. Each walks the rows and compares the
// field's value with the given one as values, so no text of the caller is
// ever read as part of a criteria expression.
#include "platform/dao/Dao.h"

#include <QString>

// True when a row's Field equals Value exactly (texts case-sensitively,
// numbers as numbers). The recordset is left on the match, or at its end.
bool FindValue(const dao::RecordsetPtr &Rs, const QString &Field, const QString &Value);
// True when a row's numeric Field equals Value (a number written with either
// decimal mark), compared in single precision as the columns hold them.
// Rs is closed before returning; any error gives false.
bool NumValueExists(dao::RecordsetPtr Rs, const QString &Field, const QString &Value);
// True when a row's Field equals Value without regard to case, as the
// database compares texts. Rs is closed before returning; any error gives false.
bool TextValueExists(dao::RecordsetPtr Rs, const QString &Field, const QString &Value);
