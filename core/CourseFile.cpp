#include "core/CourseFile.h"

#include "core/LangClient.h"
#include "core/ProfileExport.h"
#include "platform/ui/Prompt.h"

void WriteCrsProfile(const QString &Id, const QString &Kind)
{
    RunFileCommand([&] {
        const QString fileName = AskExportFile(Id, QStringLiteral("CRS"), QStringLiteral("CrsDir"), 28026, 28027,
                                               QStringLiteral("crs"));
        const QString table = SamplesTableOf(Kind);
        if (CountSamples(table, Id) <= 0) {
            MsgBox(GetLangString(28028), Vb::Critical);
            return;
        }

        WriteWholeFile(fileName, BuildCrsData(crsPointsOf(Id, Kind)));
    });
}
