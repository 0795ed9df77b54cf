#include "core/XmlRaces.h"

#include "core/DbFile.h"
#include "core/Globals.h"
#include "core/LangClient.h"
#include "core/ProfileExport.h"
#include "core/RaceStore.h"
#include "core/UserFolders.h"
#include "platform/error/VbError.h"
#include "platform/settings/Settings.h"
#include "platform/shell/Shell.h"
#include "platform/ui/BusyCursor.h"
#include "platform/ui/Prompt.h"
#include "platform/xml/XmlDocument.h"

#include <QFileInfo>

namespace {

QString FolderOf(const QString &fileName)
{
    return QFileInfo(fileName).absolutePath();
}

} // namespace

// ---- writer ------------------------------------------------------------------

void WriteXmlProfile(const QString &Id, const QString &Kind)
{
    RunFileCommand([&] {
        const QString fileName = AskExportFile(Id, QStringLiteral("XML"), QStringLiteral("ExportDir"), 28000, 28001,
                                               QStringLiteral("xml"));
        const int sampleCount = CountSamples(SamplesTableOf(Kind), Id);
        if (sampleCount < 1) {
            MsgBox(GetLangString(28002), Vb::Critical);
            return;
        }
        WriteWholeFile(fileName, raceXmlData(Id, Kind, sampleCount));
    });
}

// ---- store -------------------------------------------------------------------

int SaveRacesToDb(ColRace &Races)
{
    if (!CurrentDb || !CurrentDb->IsOpen()) {
        ShowDataError(VbError(91, QStringLiteral("Object variable or With block variable not set")));
        return RaceXmlResult::DatabaseError;
    }
    RaceStore store(*CurrentDb);
    int result = RaceXmlResult::Ok;
    for (const RacePtr &race : Races) {
        const RaceOutcome outcome = store.save(*race);
        switch (outcome.status) {
        case RaceOutcome::Stored:
            break;
        case RaceOutcome::AlreadyPresent: {
            // Told midway through the import's hourglass: the pointer is normal
            // while the message shows.
            NormalPointer pointer;
            MsgBox(FormatLangString(GetLangString(549), {outcome.name}), Vb::Exclamation);
            result = RaceXmlResult::AlreadyPresent;
            break;
        }
        case RaceOutcome::Failed: {
            // The races after a failing one are not tried.
            NormalPointer pointer;
            ShowDataError(VbError(outcome.errorNumber, outcome.errorText));
            return RaceXmlResult::DatabaseError;
        }
        }
    }
    return result;
}

// ---- import ------------------------------------------------------------------

int ImportRaceXml(const QString &Source, QString &RaceName, double TimeoutSeconds)
{
    try {
        auto race = std::make_shared<Race>();
        ColRace races;
        const int code = ReadRaceXml(Source, *race, float(TimeoutSeconds));
        RaceName = race->raceName();
        if (code != RaceXmlResult::Ok)
            return code;
        races.Append(race, QString());
        return SaveRacesToDb(races);
    } catch (const VbError &e) {
        // The reader and the store report their own failures through the
        // code; an error they raise is told with its own reason.
        NormalPointer pointer;
        ShowDataError(e);
        return RaceXmlResult::Reported;
    }
}

QString RaceXmlTooLargeText()
{
    return FormatLangString(GetLangString(171), {QString::number(xml::MaxDocumentBytes / (1024 * 1024))});
}

void RunXmlImport()
{
    RunFileCommand([] {
        CommonDialog dlg;
        dlg.CancelError = true;
        dlg.InitDir = GetSetting(AppName, QStringLiteral("MDIfrmBike"), QStringLiteral("XmlDir"),
                                 SpecialFolders.Personal());
        dlg.DialogTitle = GetLangString(525);
        dlg.DefaultExt = QStringLiteral("txt");
        dlg.FileName = QString();
        dlg.Filter = GetLangString(526);
        dlg.Flags = 0x81404;
        dlg.ShowOpen();
        SaveSetting(AppName, QStringLiteral("MDIfrmBike"), QStringLiteral("XmlDir"), FolderOf(dlg.FileName));

        int code = 0;
        QString name;
        {
            BusyCursor busy;
            code = ImportRaceXml(dlg.FileName, name);
        }
        if (code == RaceXmlResult::Ok)
            MsgBox(FormatLangString(GetLangString(527), {name}), Vb::Information);
        else if (code >= RaceXmlResult::NoConnection && code <= RaceXmlResult::DatabaseError)
            MsgBox(GetLangString(527 + code), Vb::Exclamation);
        else if (code == RaceXmlResult::TooLarge)
            MsgBox(RaceXmlTooLargeText(), Vb::Exclamation);
        // AlreadyPresent, Reported: the user has been told already.
    });
}
