#include "core/LanguageMenu.h"

#include "core/DataGlobals.h"
#include "platform/error/VbError.h"
#include "platform/settings/Settings.h"
#include "platform/shell/Shell.h"
#include "platform/ui/Feedback.h"
#include "platform/ui/Prompt.h"

#include <QAction>
#include <QFileInfo>
#include <QMenu>

LanguageMenu::LanguageMenu(QMenu *menu, UpdateControlsFn updateControls)
    : m_menu(menu), m_updateControls(std::move(updateControls))
{
    QAction *separator = nullptr;
    for (QAction *a : menu->actions())
        if (a->objectName() == QLatin1String("mnuLanguages(0)"))
            separator = a;
    if (!separator) {
        separator = menu->addSeparator();
        separator->setObjectName(QStringLiteral("mnuLanguages(0)"));
    }
    separator->setVisible(false);
    m_items.append(separator);
}

QAction *LanguageMenu::Item(int index) const
{
    return (index >= 0 && index < m_items.size()) ? m_items.at(index) : nullptr;
}

QAction *LanguageMenu::AddLanguageItem(const SuppLang &lang)
{
    const int index = int(m_items.size());
    QAction *item = m_menu->addAction(lang.EnglishName());
    item->setObjectName(QStringLiteral("mnuLanguages(%1)").arg(index));
    item->setData(lang.LocaleID());
    item->setCheckable(true);
    item->setChecked(lang.LocaleID() == LangId);
    QObject::connect(item, &QAction::triggered, m_menu, [this, index] { LanguageClicked(index); });
    m_items.append(item);
    return item;
}

void LanguageMenu::CheckCurrent()
{
    for (int i = 1; i < m_items.size(); ++i)
        m_items.at(i)->setChecked(m_items.at(i)->data().toString() == LangId);
}

void LanguageMenu::Build()
{
    m_items.at(0)->setVisible(true);
    for (const SuppLangPtr &lang : Languages)
        AddLanguageItem(*lang);
}

void LanguageMenu::ChangeLanguage(int index)
{
    QAction *item = index >= 1 ? Item(index) : nullptr;
    if (!item)
        return;
    std::optional<VbError> failure;
    const QString chosen = SelectLanguage(item->data().toString(), QStringLiteral("1033"), &failure);
    // A language that cannot be created leaves the current one in place, and
    // the menu and the stored choice keep saying which one that is.
    if (failure)
        ShowDataError(*failure);
    if (!chosen.isEmpty()) {
        LangId = chosen;
        SaveSetting(settingsAppName(), QStringLiteral("Settings"), QStringLiteral("Language"), LangId);
    }
    CheckCurrent();
}

void LanguageMenu::LanguageClicked(int index)
{
    ChangeLanguage(index);
    if (m_updateControls)
        m_updateControls();
}

void LanguageMenu::AddLanguageClicked()
{
    const QString app = settingsAppName();
    const QString section = QStringLiteral("MDIfrmBike");
    const QString key = QStringLiteral("AddLangMod");
    try {
        CommonDialog dialog;
        dialog.InitDir = GetSetting(app, section, key, Shell::DocumentsFolder());
        dialog.DefaultExt = LangLibrarySuffix().mid(1);
        dialog.DialogTitle = GetLangString(501);
        dialog.FileName.clear();
        dialog.Filter = GetLangString(502);
        dialog.Flags = 0x81404;
        dialog.CancelError = true;
        dialog.ShowOpen();
        SaveSetting(app, section, key, QFileInfo(dialog.FileName).absolutePath());
        const int index = AddLanguageDll(dialog.FileName, AppPath);
        if (index == 0) {
            MsgBox(GetLangString(503), Vb::Critical);
            return;
        }
        ChangeLanguage(index);
        if (m_updateControls)
            m_updateControls();
    } catch (const VbError &e) {
        if (e.Number() != VbErr::CancelError)
            ShowDataError(e);
    }
}

int LanguageMenu::AddLanguageDll(const QString &sourcePath, const QString &appPath)
{
    try {
        const SuppLangPtr lang = installLanguageLibrary(sourcePath, appPath);
        if (!lang)
            return 0;
        const int index = int(m_items.size());
        AddLanguageItem(*lang);
        return index;
    } catch (const VbError &e) {
        ShowDataError(e);
        return 0;
    }
}
