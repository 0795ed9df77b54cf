#pragma once
// Opening the two files of an import apart from the program's own database:
// the source read-only (it is never changed), the destination read-write and
// brought up to date, both exclusively, so a file open in the main window or
// elsewhere is refused. A failure comes back as the texts to show.
#include "platform/dao/Dao.h"

#include <QString>

namespace ImportFiles {

// Which window's texts a failure is told with.
enum class Texts { DatabaseImport, TextImport };

struct Opened {
    dao::DatabasePtr db;       // null on failure
    // Failure to tell: message text numbers (second one 0 when none) and title
    // text number; all 0 with errorNumber set means "show the data error";
    // all 0 with errorNumber 0 means nothing is to be told.
    int message = 0, secondMessage = 0, title = 0;
    int errorNumber = 0;
    QString errorText;
    bool ok() const { return db != nullptr; }
};

// The source of a database import: read-only, exclusive, with the program's password.
Opened OpenOrigin(const QString &path, Texts texts = Texts::DatabaseImport);
// A destination: exclusive, read-write, probed and upgraded (UpgradeDatabase).
Opened OpenDest(const QString &path, Texts texts);

// True when both paths name the same file (also through links or "..").
bool SameFile(const QString &a, const QString &b);

} // namespace ImportFiles
