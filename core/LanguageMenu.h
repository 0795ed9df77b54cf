#pragma once
// The Language menu of the main window, over the language client (LangClient.h).
#include "core/LangClient.h"

#include <QList>
#include <functional>

class QAction;
class QMenu;

// The Language menu of the main window (mnuLangMain): mnuAddLang, the
// separator mnuLanguages(0), then one checkable item mnuLanguages(i) per
// language with the language's name as text and its locale as data.
class LanguageMenu {
public:
    // What follows a change of language: UpdateControls of the main window
    // and of the active child window.
    using UpdateControlsFn = std::function<void()>;

    // menu: mnuLangMain. The separator is created here (hidden until Build)
    // when the menu does not hold one named "mnuLanguages(0)".
    LanguageMenu(QMenu *menu, UpdateControlsFn updateControls);

    // BuildLanguageMenu: shows the separator and adds one item per language,
    // checking the one of LangId. Runs once, at start-up.
    void Build();
    // ChangeLanguage(index): selects the language of item index, stores the
    // choice under "Settings"/"Language" and moves the check mark.
    void ChangeLanguage(int index);
    // mnuLanguages_Click: ChangeLanguage, then UpdateControls.
    void LanguageClicked(int index);
    // mnuAddLang_Click: asks for a library file, adds it and switches to it.
    void AddLanguageClicked();
    // AddLanguageDll: copies a library into the Lang folder, registers it and
    // appends its language and menu item. Returns the new item's index, 0 on failure.
    int AddLanguageDll(const QString &sourcePath, const QString &appPath);

    // mnuLanguages(index): 0 is the separator; nullptr when out of range.
    QAction *Item(int index) const;
    // Number of mnuLanguages items, the separator included.
    int ItemCount() const { return int(m_items.size()); }
    QMenu *Menu() const { return m_menu; }

private:
    QAction *AddLanguageItem(const SuppLang &lang);
    void CheckCurrent();

    QMenu *m_menu;
    UpdateControlsFn m_updateControls;
    QList<QAction *> m_items;   // [0] the separator
};
