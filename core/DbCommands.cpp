#include "core/DbCommands.h"

#include "core/DbFile.h"
#include "core/LangClient.h"
#include "platform/dao/WorkingCopies.h"
#include "platform/ui/Feedback.h"
#include "platform/ui/Prompt.h"

#include <exception>

int OpenDb(const QString &path)
{
    SetStatus(FormatLangString(GetLangString(28007), {path}), true);
    try {
        DatabaseOwner::instance().open(path);
        SetStatus(QString());
        // The file is now held exclusively, so no compaction or repair of it
        // can be at work: copies one left are stale.
        ReportRemovedLeftovers(dao::RemoveStaleWorkingCopies(path));
        return 1;
    } catch (const VbError &e) {
        switch (e.Number()) {
        case dao::JetErr::NotValidPassword:
            MsgBox(GetLangString(28008), Vb::Critical, GetLangString(28009));
            break;
        case dao::JetErr::TableNotFound:
            MsgBox(GetLangString(28012) + QLatin1Char('\n') + GetLangString(28013), Vb::Critical);
            break;
        case dao::JetErr::UnrecognizedFormat:
            MsgBox(GetLangString(28010), Vb::Critical, GetLangString(28011));
            break;
        default:
            ShowDataError(e);
        }
    } catch (const std::exception &e) {
        ShowDataError(VbError(VbErr::InvalidProcedureCall, QString::fromLocal8Bit(e.what())));
    }
    SetStatus(QString());
    return 0;
}

void ReportRemovedLeftovers(int count)
{
    if (count > 0)
        SetStatus(FormatLangString(GetLangString(28070), {InterfaceNumber(count)}));
}
