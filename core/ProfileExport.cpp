#include "core/ProfileExport.h"

#include "core/Globals.h"
#include "core/LangClient.h"
#include "core/UserFolders.h"
#include "platform/error/VbError.h"
#include "platform/settings/Settings.h"
#include "platform/ui/Feedback.h"
#include "platform/ui/Prompt.h"

#include <QFileInfo>


QString ProposedFileName(const QString &Name)
{
    static const QString Refused = QStringLiteral("\"/\\:*?<>|");
    QString out;
    out.reserve(Name.size());
    for (const QChar c : Name)
        out += (c.unicode() < 0x20 || c.unicode() == 0x7F || c.category() == QChar::Other_Control || Refused.contains(c))
                   ? QChar(u'_')
                   : c;
    while (!out.isEmpty() && (out.front() == QLatin1Char('.') || out.front().isSpace()))
        out.remove(0, 1);
    while (!out.isEmpty() && (out.back() == QLatin1Char('.') || out.back().isSpace()))
        out.chop(1);
    return out.isEmpty() ? QStringLiteral("_") : out;
}

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
    dlg.FileName = ProposedFileName(Id) + QLatin1Char('.') + Extension;
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
