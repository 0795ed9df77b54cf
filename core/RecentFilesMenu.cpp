#include "core/RecentFilesMenu.h"

#include "core/RecentFiles.h"

#include <QAction>
#include <QMenu>

RecentFilesMenu::RecentFilesMenu(QMenu *menu, QAction *separator, QAction *before,
                                 std::function<void(QAction *)> added, std::function<void(int)> clicked)
    : m_menu(menu), m_separator(separator), m_before(before), m_added(std::move(added)), m_clicked(std::move(clicked))
{
}

// The item shows the path as it is: "&" in a folder name is not a mnemonic.
void RecentFilesMenu::SetItem(int index, const QString &path)
{
    QAction *a = Item(index);
    a->setData(path);
    a->setText(QString(path).replace(QLatin1Char('&'), QStringLiteral("&&")));
    a->setVisible(true);
}

QAction *RecentFilesMenu::Item(int index)
{
    while (m_items.size() < index) {
        const int i = int(m_items.size()) + 1;
        QAction *a = new QAction(m_menu->parent());
        a->setObjectName(QStringLiteral("mnuRecent(%1)").arg(i));
        m_menu->insertAction(m_before, a);
        QObject::connect(a, &QAction::triggered, a, [this, i]() { m_clicked(i); });
        m_items << a;
        if (m_added)
            m_added(a);
    }
    return m_items.at(index - 1);
}

void RecentFilesMenu::Load(const QString &appName)
{
    const QStringList paths = RecentFileList(appName).Paths();
    if (paths.isEmpty())
        return;
    m_separator->setVisible(true);
    for (int i = 1; i <= paths.size(); ++i)
        SetItem(i, paths.at(i - 1));
}

void RecentFilesMenu::Add(const QString &appName, const QString &path)
{
    const RecentFileList::Change change = RecentFileList(appName).Add(path);
    switch (change.kind) {
    case RecentFileList::Change::None:
        return;
    case RecentFileList::Change::Appended:
        m_separator->setVisible(true);
        SetItem(change.index, path);
        return;
    case RecentFileList::Change::Replaced:
        SetItem(change.index, path);
        return;
    }
}

QString RecentFilesMenu::Path(int index) const
{
    return index >= 1 && index <= m_items.size() ? m_items.at(index - 1)->data().toString() : QString();
}

QStringList RecentFilesMenu::Captions() const
{
    QStringList captions;
    for (QAction *a : m_items)
        if (a->isVisible())
            captions << a->data().toString();
    return captions;
}
