#include "core/XmlRaces.h"

#include "core/DbFile.h"
#include "core/Globals.h"
#include "core/LangClient.h"
#include "core/ProfileExport.h"
#include "core/UserFolders.h"
#include "platform/error/VbError.h"
#include "platform/settings/Settings.h"
#include "platform/shell/Shell.h"
#include "platform/ui/BusyCursor.h"
#include "platform/ui/Prompt.h"

#include <QFileInfo>

#include <charconv>

namespace {

// A single as the database keeps it: the double nearest to its shortest
// decimal form, so 0.1 is stored as 0.1 and not as 0.100000001490116.
double StoredSingle(float value)
{
    char buffer[64];
    const auto r = std::to_chars(buffer, buffer + sizeof buffer, value);
    double d = value;
    std::from_chars(buffer, r.ptr, d);
    return d;
}

// The kind of record a race is, as the type attribute and the exports name it.
QString KindOf(bool climb)
{
    return climb ? QStringLiteral("climb") : QStringLiteral("tour");
}

QString CardTableOf(bool climb)
{
    return climb ? QStringLiteral("[Dati Salite]") : QStringLiteral("[Dati Percorsi]");
}

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
    int result = RaceXmlResult::Ok;
    bool inTransaction = false;
    try {
        if (!CurrentDb)
            RaiseError(91, QStringLiteral("Object variable or With block variable not set"));
        for (const RacePtr &race : Races) {
            const bool climb = race->raceType() == 0;
            const QString table = CardTableOf(climb);
            const QString samplesTable = SamplesTableOf(KindOf(climb));
            const QString name = race->raceName();

            dao::RecordsetPtr count = CurrentDb->OpenRecordset(
                QStringLiteral("SELECT COUNT(*) AS NumOfClimb FROM ") + table + QStringLiteral(" WHERE IDPercorso=?"),
                dao::dbOpenSnapshot, 0, {name});
            const int present = count->Value(QStringLiteral("NumOfClimb")).toInt();
            count->Close();
            if (present != 0) {
                MsgBox(FormatLangString(GetLangString(549), {name}), Vb::Exclamation);
                result = RaceXmlResult::AlreadyPresent;
                continue;
            }

            CurrentDb->BeginTrans();
            inTransaction = true;
            if (climb) {
                CurrentDb->Execute(
                    QStringLiteral("INSERT INTO ") + table
                        + QStringLiteral(" ([IDPercorso],Lunghezza,QuotaIniziale,QuotaFinale,località,Provincia,"
                                         "Regione,Stato,Descrizione,[E-mail],Url,Telefono) "
                                         "VALUES (?,?,?,?,?,?,?,?,?,?,?,?)"),
                    0,
                    {name, StoredSingle(race->lenght()), int(race->StartHeight()), int(race->endHeight()),
                     race->City(), race->province(), race->region(), race->state(), race->info(),
                     race->mail(), race->web(), race->phone()});
            } else {
                CurrentDb->Execute(
                    QStringLiteral("INSERT INTO ") + table
                        + QStringLiteral(" ([IDPercorso],Lunghezza,località,Provincia,Regione,Stato,"
                                         "Descrizione,[E-mail],Url,Telefono) VALUES (?,?,?,?,?,?,?,?,?,?)"),
                    0,
                    {name, StoredSingle(race->lenght()), race->City(), race->province(), race->region(),
                     race->state(), race->info(), race->mail(), race->web(), race->phone()});
            }
            if (race->Samples()) {
                const QString insertSample = QStringLiteral("INSERT INTO ") + samplesTable
                    + QStringLiteral(" ([IDPercorso],[DistParz],[Altezza],[Note],[image]) VALUES (?,?,?,?,?)");
                for (const SamplePtr &s : *race->Samples())
                    CurrentDb->Execute(insertSample, 0,
                                       {name, StoredSingle(s->Distance()), int(s->Height()), s->Label(), s->Icon()});
            }
            CurrentDb->CommitTrans();
            inTransaction = false;
        }
        return result;
    } catch (...) {
        if (inTransaction) {
            try {
                CurrentDb->Rollback();
            } catch (...) {
            }
        }
        ShowDataError();
        return RaceXmlResult::DatabaseError;
    }
}

// ---- import ------------------------------------------------------------------

int ImportRaceXml(const QString &Source, QString &RaceName)
{
    try {
        auto race = std::make_shared<Race>();
        ColRace races;
        const int code = ReadRaceXml(Source, *race, 30.0f);
        RaceName = race->raceName();
        if (code != RaceXmlResult::Ok)
            return code;
        races.Append(race, QString());
        return SaveRacesToDb(races);
    } catch (...) {
        return RaceXmlResult::NoConnection;
    }
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
        // AlreadyPresent: SaveRacesToDb has told the user already.
    });
}
