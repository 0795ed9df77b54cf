#pragma once
// The samples of a route or climb of the open database, and writing a file
// whole: what the exports of a record read and write.
#include "platform/dao/Dao.h"

#include <QByteArray>
#include <QString>

// The samples table of a climb (Kind "climb") or of a route (any other kind).
QString SamplesTableOf(const QString &Kind);

// Number of samples of record Id in SamplesTable of the open database.
int CountSamples(const QString &SamplesTable, const QString &Id);
// The samples of record Id in SamplesTable, by ascending distance.
dao::RecordsetPtr OpenSamples(const QString &SamplesTable, const QString &Id);

// Writes data under a temporary name and renames it into place, so a failure
// leaves an existing file as it was. Throws VbError 75 on failure.
void WriteWholeFile(const QString &FileName, const QByteArray &Data);
