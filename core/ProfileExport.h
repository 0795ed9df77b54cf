#pragma once
// What the profile exports (the course file and the XML races file) share:
// asking for the file, reading the samples of a route or climb, and writing
// the result whole.
#include "platform/dao/Dao.h"

#include <QByteArray>
#include <QString>

#include <functional>

// The samples table of a climb (Kind "climb") or of a route (any other kind).
QString SamplesTableOf(const QString &Kind);

// A record's name made safe to propose as a file name: quotes (which a file
// dialog reads as a list of names), slashes, the other characters no file
// system takes and control characters become "_"; blanks and dots at the ends
// are dropped. The name inside the exported file stays exact.
QString ProposedFileName(const QString &Name);

// Asks for the file to export record Id to, proposing "<Id>.<Extension>" in the
// folder remembered under Section/Key, and remembers the folder chosen. The
// name returned ends in ".<Extension>". Throws VbError CancelError when the
// user cancels.
QString AskExportFile(const QString &Id, const QString &Section, const QString &Key, int TitleString,
                      int FilterString, const QString &Extension);

// Number of samples of record Id in SamplesTable of the open database.
int CountSamples(const QString &SamplesTable, const QString &Id);
// The samples of record Id in SamplesTable, by ascending distance.
dao::RecordsetPtr OpenSamples(const QString &SamplesTable, const QString &Id);

// Writes data under a temporary name and renames it into place, so a failure
// leaves an existing file as it was. Throws VbError 75 on failure.
void WriteWholeFile(const QString &FileName, const QByteArray &Data);

// Runs a file command (an export or an import): a cancelled dialog ends it quietly, any other failure is
// shown with the shared data-error message.
void RunFileCommand(const std::function<void()> &Body);
