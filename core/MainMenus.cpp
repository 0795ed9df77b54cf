#include "core/MainMenus.h"

#include "core/LangClient.h"
#include "core/MDIfrmBike.h"

#include <QAction>
#include <QIcon>
#include <QMenu>
#include <QMenuBar>
#include <QToolBar>

namespace {
using M = MDIfrmBike;

MainMenuItem Separator(const char *name, bool hidden = false)
{
    return {.name = name, .hidden = hidden};
}

// A picture of the toolbars by name, else the desktop's picture; none without either.
QIcon ItemIcon(const QWidget *window, const char *name, QStyle::StandardPixmap standard)
{
    if (name)
        return ToolbarIcon(QString::fromLatin1(name));
    return standard == QStyle::SP_CustomBase ? QIcon() : window->style()->standardIcon(standard);
}
}

const std::vector<MainMenu> &MainMenus()
{
    static const std::vector<MainMenu> menus = {
        {"mnuFile", 127, true, {
            {.name = "mnuFileItem(0)", .text = 128, .standardIcon = QStyle::SP_FileIcon, .clickAt = &M::mnuFileItem_Click},
            {.name = "mnuFileItem(1)", .text = 129, .standardIcon = QStyle::SP_DialogOpenButton, .clickAt = &M::mnuFileItem_Click},
            {.name = "mnuFileItem(2)", .text = 130, .clickAt = &M::mnuFileItem_Click},
            Separator("mnuFileItem(3)"),
            {.name = "mnuSetPrint", .text = 131, .click = &M::mnuSetPrint_Click},
            {.name = "mnuPrint", .text = 132, .icon = "print", .click = &M::mnuPrint_Click},
            Separator("mnuRecent(0)", true),
            Separator("mnuExit(0)"),
            {.name = "mnuExit(1)", .text = 134, .clickAt = &M::mnuExit_Click},
        }},
        {"mnuStrums", 135, true, {
            {.name = "mnuState", .text = 136, .click = &M::mnuState_Click},
            Separator("mnusep3"),
            {.name = "mnuRipara", .text = 137, .click = &M::mnuRipara_Click},
            {.name = "mnuCompatta", .text = 138, .click = &M::mnuCompatta_Click},
            Separator("mnuSep"),
            {.name = "mnuConverti", .text = 139, .click = &M::mnuConverti_Click},
            Separator("mnuSep2"),
            {.name = "mnuImportDB", .text = 140, .icon = "dbimport", .click = &M::mnuImportDB_Click},
            {.name = "mnuTxtImport", .text = 141, .icon = "txtimport", .click = &M::mnuTxtImport_Click},
            {.name = "mnuImport", .text = 142, .icon = "hrimport", .click = &M::mnuImport_Click},
            {.name = "mnuXmlImport", .text = 143, .icon = "xmlimport", .click = &M::mnuXmlImport_Click},
            {.name = "mnuWebImport", .text = 144, .icon = "webimport", .click = &M::mnuWebImport_Click},
            Separator("mnuSep4"),
            {.name = "mnuExportTxt", .text = 145, .icon = "txtexport", .click = &M::mnuExportTxt_Click},
            {.name = "mnuSaveXML", .text = 146, .icon = "xmlexport", .click = &M::mnuSaveXML_Click},
            {.name = "mnuSaveCrs", .text = 169, .icon = "crsexport", .click = &M::mnuSaveCrs_Click},
            Separator("mnuBar(0)"),
            {.name = "mnuBar(1)", .text = 147, .clickAt = &M::mnuBar_Click, .checkable = true},
        }},
        {"mnuTools", 148, true, {
            {.name = "mnuTool(0)", .text = 149, .icon = "find", .clickAt = &M::mnuTool_Click},
            Separator("mnuTool(1)"),
            {.name = "mnuTool(2)", .text = 150, .icon = "sortasc", .clickAt = &M::mnuTool_Click},
            {.name = "mnuTool(3)", .text = 151, .icon = "sortdes", .clickAt = &M::mnuTool_Click},
            Separator("mnuTool(4)"),
            {.name = "mnuTool(5)", .text = 152, .icon = "filter", .clickAt = &M::mnuTool_Click},
            {.name = "mnuTool(6)", .text = 153, .icon = "datafilter", .clickAt = &M::mnuTool_Click},
            {.name = "mnuTool(7)", .text = 154, .icon = "removefilter", .clickAt = &M::mnuTool_Click},
        }},
        // The language items follow the separator, added by the Language menu.
        {"mnuLangMain", 166, true, {
            {.name = "mnuAddLang", .text = 167},
            Separator("mnuLanguages(0)", true),
        }},
        {"mnuHelps", 155, true, {
            {.name = "mnuGuida(0)", .text = 156, .clickAt = &M::mnuGuida_Click, .shortcut = QKeySequence::HelpContents},
            {.name = "mnuGuida(1)", .text = 157, .clickAt = &M::mnuGuida_Click},
            {.name = "mnuGuida(2)", .text = 158, .clickAt = &M::mnuGuida_Click},
            Separator("mnuSep1"),
            {.name = "mnuMail", .text = 159, .click = &M::mnuMail_Click},
            {.name = "mnuHomePage", .text = 160, .click = &M::mnuHomePage_Click},
            Separator("mnuHelp(0)"),
            {.name = "mnuHelp(1)", .text = 161, .clickAt = &M::mnuHelp_Click},
        }},
        // The pop-up menus of the athlete lists.
        {"mnuPopUp", 162, false, {
            {.name = "mnuVAM", .text = 163, .click = &M::mnuVAM_Click},
        }},
        {"mnuGraficoVelocita", 164, false, {
            {.name = "mnuVelocità", .text = 165, .click = &M::mnuVelocita_Click},
        }},
    };
    return menus;
}

const std::vector<ToolbarButton> &CommandToolbarButtons()
{
    static const std::vector<ToolbarButton> buttons = {
        {.key = "New", .tip = 101, .standardIcon = QStyle::SP_FileIcon, .menuItem = "mnuFileItem(0)"},
        {.key = "Open", .tip = 102, .standardIcon = QStyle::SP_DialogOpenButton, .menuItem = "mnuFileItem(1)"},
        {.key = "Print", .tip = 103, .icon = "print", .menuItem = "mnuPrint"},
        {.key = "Find", .tip = 104, .icon = "find", .separatorBefore = true, .menuItem = "mnuTool(0)"},
        {.key = "SortAsc", .tip = 105, .icon = "sortasc", .menuItem = "mnuTool(2)"},
        {.key = "SortDes", .tip = 106, .icon = "sortdes", .menuItem = "mnuTool(3)"},
        {.key = "Filter", .tip = 107, .icon = "filter", .separatorBefore = true, .menuItem = "mnuTool(5)"},
        {.key = "DataFilter", .tip = 108, .icon = "datafilter", .menuItem = "mnuTool(6)"},
        {.key = "RemoveFilter", .tip = 109, .icon = "removefilter", .checkable = true},
        {.key = "DbImport", .tip = 110, .icon = "dbimport", .separatorBefore = true, .menuItem = "mnuImportDB"},
        {.key = "TxtImport", .tip = 111, .icon = "txtimport", .menuItem = "mnuTxtImport"},
        {.key = "HrImport", .tip = 112, .icon = "hrimport"},
        {.key = "XmlImport", .tip = 113, .icon = "xmlimport", .menuItem = "mnuXmlImport"},
        {.key = "WebImport", .tip = 114, .icon = "webimport", .menuItem = "mnuWebImport"},
        {.key = "TxtExport", .tip = 115, .icon = "txtexport", .separatorBefore = true, .menuItem = "mnuExportTxt"},
        {.key = "XmlExport", .tip = 116, .icon = "xmlexport", .menuItem = "mnuSaveXML"},
        {.key = "CrsExport", .tip = 168, .icon = "crsexport", .menuItem = "mnuSaveCrs"},
    };
    return buttons;
}

const std::vector<ToolbarButton> &DataToolbarButtons()
{
    static const std::vector<ToolbarButton> buttons = {
        {.key = "b1", .tip = 117, .icon = "biker"},
        {.key = "b2", .tip = 118, .icon = "climbs"},
        {.key = "b3", .tip = 119, .icon = "tours"},
        {.key = "b4", .tip = 120, .icon = "climbtimes", .separatorBefore = true},
        {.key = "b5", .tip = 121, .icon = "tourtimes"},
        {.key = "b6", .tip = 122, .icon = "climbperf", .separatorBefore = true},
        {.key = "b7", .tip = 123, .icon = "tourperf"},
        {.key = "b8", .tip = 124, .icon = "grimpeur"},
        {.key = "b9", .tip = 125, .icon = "summary"},
        {.key = "b0", .tip = 126, .icon = "exit", .separatorBefore = true},
    };
    return buttons;
}

const QStringList &RecordWindowCommands()
{
    static const QStringList commands = {
        QStringLiteral("Print"),    QStringLiteral("Find"),       QStringLiteral("SortAsc"),
        QStringLiteral("SortDes"),  QStringLiteral("Filter"),     QStringLiteral("DataFilter"),
        QStringLiteral("RemoveFilter"), QStringLiteral("TxtExport"), QStringLiteral("XmlExport"),
        QStringLiteral("CrsExport"), QStringLiteral("mnuPrint"),   QStringLiteral("mnuExportTxt"),
        QStringLiteral("mnuSaveXML"), QStringLiteral("mnuSaveCrs"), QStringLiteral("mnuTool")};
    return commands;
}

const QStringList &DatabaseMenuItems()
{
    static const QStringList items = {QStringLiteral("mnusep3"), QStringLiteral("mnuState"),
                                      QStringLiteral("mnuWebImport"), QStringLiteral("mnuXmlImport"),
                                      QStringLiteral("mnuImport")};
    return items;
}

const QStringList &DatabaseButtons()
{
    static const QStringList keys = {QStringLiteral("HrImport"), QStringLiteral("XmlImport"),
                                     QStringLiteral("WebImport")};
    return keys;
}

const MainMenuItem *FindMainMenuItem(const QString &name)
{
    for (const MainMenu &menu : MainMenus())
        for (const MainMenuItem &item : menu.items)
            if (QString::fromUtf8(item.name) == name)
                return &item;
    return nullptr;
}

int MenuItemIndex(const QString &name)
{
    const qsizetype open = name.lastIndexOf(QLatin1Char('('));
    if (open < 0 || !name.endsWith(QLatin1Char(')')))
        return -1;
    bool ok = false;
    const int index = name.mid(open + 1, name.size() - open - 2).toInt(&ok);
    return ok ? index : -1;
}

QStringList MenuBarTitles(const QStringList &titles)
{
    QStringList marked;
    QString taken;
    for (const QString &title : titles) {
        int at = 0;
        for (int i = 0; i < title.size(); ++i)
            if (title.at(i).isLetter() && !taken.contains(title.at(i).toLower())) {
                at = i;
                break;
            }
        if (at < title.size())
            taken += title.at(at).toLower();
        marked << title.left(at) + QLatin1Char('&') + title.mid(at);
    }
    return marked;
}

QIcon ToolbarIcon(const QString &name)
{
    return QIcon(QStringLiteral(":/vettaro/toolbar/%1.svg").arg(name));
}

void BuildMainMenus(MDIfrmBike *window, QHash<QString, QMenu *> &menus, QHash<QString, QAction *> &items)
{
    for (const MainMenu &entry : MainMenus()) {
        auto *menu = new QMenu(window);
        menu->setObjectName(QString::fromUtf8(entry.name));
        menus.insert(menu->objectName(), menu);
        if (entry.onBar)
            window->menuBar()->addMenu(menu);
        for (const MainMenuItem &item : entry.items) {
            const QString name = QString::fromUtf8(item.name);
            QAction *a = item.isSeparator() ? menu->addSeparator() : menu->addAction(QString());
            a->setObjectName(name);
            items.insert(name, a);
            if (item.hidden)
                a->setVisible(false);
            if (const QIcon icon = ItemIcon(window, item.icon, item.standardIcon); !icon.isNull())
                a->setIcon(icon);
            if (item.shortcut != QKeySequence::UnknownKey)
                a->setShortcut(item.shortcut);
            if (item.checkable) {
                a->setCheckable(true);
                a->setChecked(true);
            }
            if (item.click || item.clickAt)
                QObject::connect(a, &QAction::triggered, window, [window, a, &item]() {
                    // A check mark is moved by the handler, not by the menu.
                    if (a->isCheckable())
                        a->setChecked(!a->isChecked());
                    RunMainMenuItem(window, item);
                });
        }
    }
}

void RunMainMenuItem(MDIfrmBike *window, const MainMenuItem &item)
{
    if (item.click)
        (window->*item.click)();
    else if (item.clickAt)
        (window->*item.clickAt)(MenuItemIndex(QString::fromUtf8(item.name)));
}

QToolBar *BuildMainToolbar(MDIfrmBike *window, const QString &name, int iconSize, Qt::ToolBarArea area,
                           const std::vector<ToolbarButton> &buttons, QHash<QString, QAction *> &actions,
                           const std::function<void(const QString &)> &click)
{
    auto *toolbar = new QToolBar(window);
    toolbar->setObjectName(name);
    toolbar->setIconSize(QSize(iconSize, iconSize));
    window->addToolBar(area, toolbar);
    for (const ToolbarButton &b : buttons) {
        if (b.separatorBefore)
            toolbar->addSeparator();
        const QString key = QString::fromLatin1(b.key);
        QAction *a = toolbar->addAction(ItemIcon(window, b.icon, b.standardIcon), QString());
        a->setObjectName(name + QLatin1Char('.') + key);
        a->setData(key);
        a->setCheckable(b.checkable);
        actions.insert(key, a);
        QObject::connect(a, &QAction::triggered, window, [click, key]() { click(key); });
    }
    return toolbar;
}

void SetMainMenuTexts(const QHash<QString, QMenu *> &menus, const QHash<QString, QAction *> &items)
{
    QList<QMenu *> barMenus;
    QStringList barTitles;
    for (const MainMenu &entry : MainMenus()) {
        QMenu *menu = menus.value(QString::fromUtf8(entry.name));
        if (entry.onBar) {
            barMenus << menu;
            barTitles << GetLangString(entry.title);
        } else {
            menu->setTitle(QLatin1Char('&') + GetLangString(entry.title));
        }
        for (const MainMenuItem &item : entry.items)
            if (!item.isSeparator())
                items.value(QString::fromUtf8(item.name))->setText(GetLangString(item.text));
    }
    // Each menu of the bar opens with its own Alt letter.
    const QStringList titles = MenuBarTitles(barTitles);
    for (int i = 0; i < barMenus.size(); ++i)
        barMenus.at(i)->setTitle(titles.at(i));
}

void SetToolbarTexts(const std::vector<ToolbarButton> &buttons, const QHash<QString, QAction *> &actions)
{
    for (const ToolbarButton &b : buttons) {
        QAction *a = actions.value(QString::fromLatin1(b.key));
        a->setToolTip(GetLangString(b.tip));
        a->setText(GetLangString(b.tip));
    }
}
