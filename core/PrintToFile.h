#pragma once
// Where a print goes on a machine without a printer: a PDF file the user
// names, in the documents folder, with the printed record's name proposed.
#include <QString>

#include <optional>

// Asks for the PDF file to print `documentName` to. The full path chosen
// (ending in ".pdf"), or nothing when the user cancelled.
std::optional<QString> AskPrintFile(const QString &documentName);
