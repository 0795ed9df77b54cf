// The main window's menu and toolbar tables hold together: a button that
// runs a menu item's command names an item that exists and has a handler, and
// no two entries share a name (the window files them by name).
#include "core/MainMenus.h"

#include <QSet>
#include <gtest/gtest.h>

TEST(MainMenus, ButtonsNameExistingItemsAndNamesAreUnique)
{
    QSet<QString> names;
    for (const MainMenu &menu : MainMenus()) {
        EXPECT_FALSE(names.contains(QString::fromUtf8(menu.name))) << menu.name;
        names << QString::fromUtf8(menu.name);
        for (const MainMenuItem &item : menu.items) {
            const QString name = QString::fromUtf8(item.name);
            EXPECT_FALSE(names.contains(name)) << item.name;
            names << name;
            // An indexed handler needs the number in the name.
            if (item.clickAt) {
                EXPECT_GE(MenuItemIndex(name), 0) << item.name;
            }
        }
    }
    for (const auto *buttons : {&CommandToolbarButtons(), &DataToolbarButtons()})
        for (const ToolbarButton &b : *buttons) {
            if (!b.menuItem)
                continue;
            const MainMenuItem *item = FindMainMenuItem(QString::fromLatin1(b.menuItem));
            ASSERT_TRUE(item) << b.key;
            EXPECT_TRUE(item->click || item->clickAt) << b.key;
        }
}
