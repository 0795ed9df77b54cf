#include "core/PrintToFile.h"

#include "core/LangClient.h"
#include "core/ProfileExport.h"
#include "core/UserFolders.h"
#include "platform/error/VbError.h"
#include "platform/shell/Shell.h"
#include "platform/ui/Prompt.h"

#include <QCoreApplication>

std::optional<QString> AskPrintFile(const QString &documentName)
{
    CommonDialog dlg;
    dlg.CancelError = true;
    dlg.InitDir = SpecialFolders.Personal().isEmpty() ? Shell::DocumentsFolder() : SpecialFolders.Personal();
    dlg.DialogTitle = GetLangString(28050);
    dlg.Filter = GetLangString(28051);
    dlg.DefaultExt = QStringLiteral("pdf");
    dlg.Flags = 6;   // ask before replacing a file, no read-only box
    const QString name = documentName.trimmed().isEmpty() ? QCoreApplication::applicationName() : documentName;
    dlg.FileName = ProposedFileName(name) + QStringLiteral(".pdf");
    try {
        dlg.ShowSave();
    } catch (const VbError &) {
        return std::nullopt;
    }
    QString fileName = dlg.FileName;
    if (!fileName.endsWith(QLatin1String(".pdf"), Qt::CaseInsensitive))
        fileName += QStringLiteral(".pdf");
    return fileName;
}
