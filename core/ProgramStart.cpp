#include "core/ProgramStart.h"

#include "core/DataGlobals.h"
#include "core/LangClient.h"
#include "core/UserFolders.h"
#include "platform/settings/Settings.h"
#include "platform/ui/Feedback.h"
#include "platform/ui/Prompt.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QFontDatabase>

#include <optional>

namespace {
const QString SettingsSection = QStringLiteral("Settings");
}

void InitProgramFolders()
{
    if (AppPath.isEmpty())
        AppPath = QCoreApplication::applicationDirPath();
    SpecialFolders.InitFolders(AppPath);
}

void InitProgramName()
{
    if (AppName.isEmpty())
        AppName = QFileInfo(QCoreApplication::applicationFilePath()).completeBaseName();
    SetPromptAppTitle(QStringLiteral("Vettaro"));
}

void ChooseStoredLanguage()
{
    const QString stored = GetSetting(AppName, SettingsSection, QStringLiteral("Language"));
    std::optional<VbError> failure;
    LangId = SelectLanguage(stored, QStringLiteral("1033"), &failure);
    if (failure)
        ShowDataError(*failure);
    SaveSetting(AppName, SettingsSection, QStringLiteral("Language"), LangId);
}

int AddProgramFont()
{
    QFile font(QStringLiteral(":/vettaro/font/Liqucry4.ttf"));
    if (!font.open(QIODevice::ReadOnly))
        return -1;
    return QFontDatabase::addApplicationFontFromData(font.readAll());
}

void RemoveProgramFont(int id)
{
    if (id >= 0)
        QFontDatabase::removeApplicationFont(id);
}

void ClearProgramFolders()
{
    SpecialFolders = SpecialFolder();
}
