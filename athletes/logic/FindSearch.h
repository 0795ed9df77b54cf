#pragma once
// What the find dialog knows without a window: the data windows it serves
// (their data control, whether they guard a new record with cmdAdd, the fields
// offered), the LIKE pattern of each compare mode and the stored positions.
#include "platform/dao/Dao.h"

#include <QString>
#include <QStringList>
#include <optional>

namespace FindSearch {

struct Served {
    QString dataControl;    // object name of the data control the window offers (FindTarget)
    bool editGuard = false; // the window has cmdAdd, disabled while adding
    QStringList fields;     // database field names, in the order offered
};

// The window served for a DataFormName (exact, case-sensitive), or nullopt.
std::optional<Served> ServedWindow(const QString &formName);

// The three compare modes, by list position.
enum Mode { WholeField = 0, PartOfField = 1, StartOfField = 2 };
// The compare items, shown as they stand in every language.
QStringList ModeItems();

// Blanks before and after the search text go, inner blanks stay.
QString PrepareText(const QString &text);
// The pattern of a compare mode; a mode outside 0..2 gives an empty pattern.
QString MakeLikePattern(const QString &prepared, int mode);
// The criterion with the pattern as its one bound parameter.
QString Criterion(const QString &field);

// FindFirst (next == false) or FindNext on rs for the text in the field with
// the mode. Returns the bookmark of the row found, or an empty array when
// nothing matched (rs then stands where it stood). Database errors are thrown.
QByteArray Search(const dao::RecordsetPtr &rs, const QString &field, const QString &text, int mode, bool next);

// A stored position: a whole number (optionally limited to 16 bits), else nullopt.
std::optional<int> StoredPosition(const QString &value, bool sixteenBits);

} // namespace FindSearch
