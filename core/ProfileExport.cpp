#include "core/ProfileExport.h"

#include "core/Globals.h"
#include "core/LangClient.h"
#include "core/UserFolders.h"
#include "platform/error/VbError.h"
#include "platform/settings/Settings.h"
#include "platform/ui/Feedback.h"
#include "platform/ui/Prompt.h"

#include <QFileInfo>


QString AskExportFile(const QString &Id, const QString &Section, const QString &Key, int TitleString,
                      int FilterString, const QString &Extension)
{
    CommonDialog dlg;
    dlg.CancelError = true;
    dlg.InitDir = GetSetting(AppName, Section, Key, SpecialFolders.Personal());
    dlg.DialogTitle = GetLangString(TitleString);
    dlg.DefaultExt = Extension;
    dlg.Filter = GetLangString(FilterString);
    dlg.Flags = 6;
    dlg.FileName = Id + QLatin1Char('.') + Extension;
    dlg.ShowSave();
    SaveSetting(AppName, Section, Key, QFileInfo(dlg.FileName).absolutePath());

    // The name is completed before anything touches the disk.
    QString fileName = dlg.FileName;
    const QString suffix = QLatin1Char('.') + Extension;
    if (!fileName.endsWith(suffix, Qt::CaseSensitive))
        fileName += suffix;
    return fileName;
}

void RunFileCommand(const std::function<void()> &Body)
{
    try {
        Body();
    } catch (const VbError &e) {
        if (e.Number() == VbErr::CancelError)
            return;
        ShowDataError(e);
    } catch (...) {
        ShowDataError();
    }
}
