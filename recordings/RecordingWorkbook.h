#pragma once
// The spreadsheet export of a recording: an .xlsx workbook with one
// worksheet named after the recording (a bold header row, one row of numbers
// per sample) and, when there are samples, a chart sheet with an x-y chart of
// every column over the distance.
#include "core/Race.h"

#include <QString>
#include <QStringList>

struct WorkbookTexts {
    QStringList headers;   // the ten column headers, A to J
    QString xAxis;         // the distance axis title
    QString yAxis;         // the value axis title
};

// A worksheet name the spreadsheet accepts: at most 31 characters, none of
// []:*?/\ or control characters, no apostrophe at either end, not empty.
QString SpreadsheetSheetName(const QString &recordingName);

// The sheet name quoted for a cell reference ('My ride'!$B$2).
QString QuotedSheetName(const QString &sheetName);

// Writes the workbook under a temporary name beside Path and renames it into
// place, so a failure leaves no partial file and an older file untouched.
// Returns false with the reason in *error.
bool WriteRecordingWorkbook(const QString &Path, const QString &recordingName, const ColSample *samples,
                            const WorkbookTexts &texts, QString *error);
