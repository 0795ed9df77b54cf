#include "core/RecordSamples.h"

#include "core/DataGlobals.h"
#include "platform/error/VbError.h"
#include "platform/shell/FileWrite.h"

namespace {

dao::Database &openDatabase()
{
    if (!CurrentDb)
        RaiseError(91, QStringLiteral("Object variable or With block variable not set"));
    return *CurrentDb;
}

} // namespace

QString SamplesTableOf(const QString &Kind)
{
    return Kind == QLatin1String("climb") ? QStringLiteral("[CampioniSalite]")
                                          : QStringLiteral("[CampioniPercorsi]");
}

int CountSamples(const QString &SamplesTable, const QString &Id)
{
    dao::RecordsetPtr count = openDatabase().OpenRecordset(
        QStringLiteral("SELECT COUNT(*) AS NumeroCampioni FROM ") + SamplesTable
            + QStringLiteral(" WHERE [IDPercorso]=?"),
        dao::dbOpenSnapshot, 0, {Id});
    const int samples = count->Value(QStringLiteral("NumeroCampioni")).toInt();
    count->Close();
    return samples;
}

dao::RecordsetPtr OpenSamples(const QString &SamplesTable, const QString &Id)
{
    return openDatabase().OpenRecordset(QStringLiteral("SELECT * FROM ") + SamplesTable
                                      + QStringLiteral(" WHERE [IDPercorso]=? ORDER BY [DistParz] ASC"),
                                  dao::dbOpenSnapshot, 0, {Id});
}

void WriteWholeFile(const QString &FileName, const QByteArray &Data)
{
    FileWrite::WriteWhole(FileName, Data);
}
