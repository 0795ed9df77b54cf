#include "core/ToolCommands.h"

#include "core/FileCommands.h"
#include "core/Globals.h"
#include "core/HelpCommands.h"
#include "core/LangClient.h"
#include "core/WindowInterfaces.h"
#include "core/WindowRegistry.h"
#include "platform/ui/Feedback.h"

#include <QWidget>

void DatabaseTool(int titleId, const QString &window, bool setDefaultExt)
{
    try {
        // The file must exist (0x1000), no read-only box (4).
        PrepareDatabaseDialog(GetLangString(titleId), PersonalFolder(), QString(), 0x1004, setDefaultExt ? "mdb" : nullptr);
        cmDlg1.ShowOpen();
        WindowRegistry::Show(window, true);
    } catch (const VbError &) {
        // A cancelled dialog ends the command silently.
    }
}

void ImportRecordings()
{
    try {
        WindowRegistry::Show(QStringLiteral("frmHRate"));
    } catch (const VbError &) {
        ShowDataError();
    }
}

void WebImport()
{
    QWidget *browser = WindowRegistry::Load(QStringLiteral("frmBrowser"));
    if (!browser)
        return;
    if (auto *b = qobject_cast<BrowserInterface *>(browser))
        b->setStartingAddress(WebImportAddress());
    WindowRegistry::Show(QStringLiteral("frmBrowser"));
}
