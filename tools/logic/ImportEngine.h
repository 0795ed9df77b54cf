#pragma once
// Copying climbs and routes with their samples from one database file into
// another, inside one transaction on the destination: either every card and
// sample of a run is kept, or (abort, failure) the destination is left exactly
// as it was. Nothing here shows a window: the caller answers the questions,
// hears the progress and decides when to stop, through the callbacks.
#include "platform/dao/Dao.h"
#include "platform/shell/PrivateFolder.h"

#include <QString>
#include <QStringList>

#include <functional>

namespace ImportEngine {

// What to do with a card that already has samples in the destination.
enum class Criterion { ConfirmRequest = 0, OverwriteAll = 1, NoOverwrite = 2 };

struct Callbacks {
    // Polled for every card, and while SQLite copies about as often as a
    // sample row takes; true stops the run (rollback).
    std::function<bool()> shouldAbort;
    // Asked before replacing a card's samples under ConfirmRequest; false skips the card.
    std::function<bool(const QString &question)> confirm;
    // Status text (may be empty), cards processed, cards in this kind.
    std::function<void(const QString &label, int value, int maximum)> progress;
};

struct Result {
    enum Status { Completed, Aborted, Failed };
    Status status = Completed;
    int errorNumber = 0;       // Failed: the error number
    QString errorText;         // Failed: its description
    QStringList climbs;        // names imported, in order (empty unless Completed)
    QStringList routes;
};

// Copies the checked kinds from source to destination. The destination must
// not be in a transaction; the source is only read (it is attached to the
// destination read-only for the run) and must not be in one either, nor be
// the same file.
Result CopyRaces(dao::Database &source, dao::Database &destination, bool climbs, bool routes,
                 Criterion criterion, const Callbacks &callbacks);

// The import log's file name in the user's private folder.
inline constexpr char ImportLogName[] = "LogImport.txt";

// The import log: the climb names, one empty line, the route names, each line
// ended by CR LF, UTF-8, written in one piece. Returns false when it could not
// be written (the previous log is then untouched) and *why says why. The
// log is for its user alone (mode 0600) and replaces whatever stands at its
// name (a link is not followed, a folder does not block it). It is written
// through the folder's handle, into the folder that was checked.
bool WriteImportLog(const PrivateFolder &folder, const QStringList &climbs, const QStringList &routes,
                    QString *why = nullptr);

} // namespace ImportEngine
