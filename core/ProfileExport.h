#pragma once
// What the profile export commands (the course file and the XML races file)
// share: asking for the file and running the command. Reading the samples and
// writing the file are in RecordSamples.h.
#include "core/RecordSamples.h"

#include <QString>

#include <functional>

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

// Runs a file command (an export or an import): a cancelled dialog ends it quietly, any other failure is
// shown with the shared data-error message.
void RunFileCommand(const std::function<void()> &Body);
