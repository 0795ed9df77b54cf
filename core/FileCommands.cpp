#include "core/FileCommands.h"

#include "core/DbCommands.h"
#include "core/DbFile.h"
#include "core/Globals.h"
#include "core/LangClient.h"
#include "core/RecentFiles.h"
#include "core/UserFolders.h"
#include "platform/settings/Settings.h"
#include "platform/shell/Shell.h"
#include "platform/ui/Feedback.h"
#include "platform/ui/Prompt.h"

#include <QFileInfo>

namespace {
// The settings section of the main window, where the folders used last are kept.
const QString Section = QStringLiteral("MDIfrmBike");
const QString MdbFilter = QStringLiteral("Vettarodb file (*.mdb)|*.mdb|");
}

QString PersonalFolder()
{
    if (!SpecialFolders.Personal().isEmpty())
        return SpecialFolders.Personal();
    const QString docs = Shell::DocumentsFolder();
    return docs.isEmpty() ? Shell::HomeFolder() : docs;
}

void PrepareDatabaseDialog(const QString &title, const QString &initDir, const QString &fileName, int flags,
                           const char *defaultExt)
{
    cmDlg1.DialogTitle = title;
    cmDlg1.InitDir = initDir;
    if (defaultExt)
        cmDlg1.DefaultExt = QString::fromLatin1(defaultExt);
    cmDlg1.FileName = fileName;
    cmDlg1.Filter = MdbFilter;
    cmDlg1.FilterIndex = 1;
    cmDlg1.Flags = flags;
    cmDlg1.CancelError = true;
}

void NewDatabase()
{
    const QString personal = PersonalFolder();
    // Ask before overwriting (2), no read-only box (4).
    PrepareDatabaseDialog(GetLangString(506), GetSetting(AppName, Section, QStringLiteral("NewDbDir"), personal),
                          NewDbName(personal), 6, "mdb");
    cmDlg1.ShowSave();
    const QString path = cmDlg1.FileName;
    SaveSetting(AppName, Section, QStringLiteral("NewDbDir"), QFileInfo(path).absolutePath());
    if (QFileInfo::exists(path)) {
        // The confirmed file is replaced only once the new one is
        // complete; when that fails it stays, and the user is told why.
        try {
            CreateFromTemplate(path);
        } catch (...) {
            ShowDataError();
            return;
        }
    }
    OpenDb(path);
}

void OpenDatabaseAsked()
{
    // Offer to create a missing file (0x2000), no read-only box (4).
    PrepareDatabaseDialog(GetLangString(507), GetSetting(AppName, Section, QStringLiteral("DbDir"), PersonalFolder()),
                          QString(), 0x2004, "mdb");
    cmDlg1.CreatePromptText = GetLangString(550);
    cmDlg1.ShowOpen();
    const QString path = cmDlg1.FileName;
    SaveSetting(AppName, Section, QStringLiteral("DbDir"), QFileInfo(path).absolutePath());
    OpenDb(path);
}

bool RecentFileStillThere(const QString &path)
{
    if (QFileInfo(path).isFile())
        return true;
    MsgBox(GetLangString(517), Vb::Exclamation);
    return false;
}

void PrinterSetup()
{
    try {
        cmDlg1.Flags = 0x40;
        // The printer chosen here is the one all printing of the program uses.
        cmDlg1.Printer = DefaultPrinter();
        cmDlg1.ShowPrinter();
    } catch (const VbError &) {
    }
}
