#include "core/HelpCommands.h"

#include "core/Globals.h"
#include "core/HelpWindow.h"
#include "core/LangClient.h"
#include "platform/shell/Shell.h"
#include "platform/ui/Feedback.h"
#include "platform/ui/Prompt.h"

#include <QDir>
#include <QFileInfo>
#include <QPointer>

QString HomePageAddress() { return QStringLiteral("https://www.vettaro.example/"); }
QString MailAddress() { return QStringLiteral("info@vettaro.example"); }
QString WebImportAddress() { return QStringLiteral("https://www.vettaro.example/import/"); }
QString MailLink() { return QStringLiteral("mailto:") + MailAddress() + QStringLiteral("?subject=Vettaro Info"); }

void OpenLink(const QString &target, int noAssocId, int memoryId, int otherId)
{
    try {
        const int result = Shell::OpenDocument(target);
        if (result >= 33)
            return;
        const int id = result == 31 ? noAssocId : result == 0 ? memoryId : otherId;
        MsgBox(GetLangString(id), Vb::Critical);
    } catch (...) {
        ShowDataError();
    }
}

namespace {
// The one help window; it goes with the window that owns it.
QPointer<HelpWindow> g_help;

void ShowHelp(int command)
{
    cmDlg1.HelpCommand = command;
    cmDlg1.HelpKey.clear();
    cmDlg1.ShowHelp();
}
}

void ShowHelpContents() { ShowHelp(3); }
void ShowHelpSearch() { ShowHelp(0x105); }
void OpenHomePage() { OpenLink(HomePageAddress(), 508, 509, 510); }
void WriteMailToAuthor() { OpenLink(MailLink(), 511, 512, 513); }

void ShowHelpPages(QWidget *owner, const QString &helpFile, int command, const QString &keyword)
{
    if (command == 2) {
        if (g_help)
            g_help->close();
        return;
    }
    if (!g_help) {
        g_help = new HelpWindow(QFileInfo(helpFile).absolutePath(), owner);
        g_help->setAttribute(Qt::WA_DeleteOnClose);
    }
    g_help->Run(command, keyword);
}

void ShowQuickHelp(QWidget *owner)
{
    ShowHelpPages(owner,
                  cmDlg1.HelpFile.isEmpty() ? QDir(AppPath).filePath(QStringLiteral("help/index.html")) : cmDlg1.HelpFile,
                  HelpWindow::QuickHelpCommand, QString());
}
