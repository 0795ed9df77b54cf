#pragma once
// The recent-files part of the File menu, over the stored list
// (RecentFiles.h): the items mnuRecent(1..n) above the separator mnuExit(0),
// under the separator mnuRecent(0), which shows once the list holds a file.
#include <QList>
#include <QString>
#include <QStringList>
#include <functional>

class QAction;
class QMenu;

class RecentFilesMenu {
public:
    // added is told each item created, clicked the index of an item chosen.
    RecentFilesMenu(QMenu *menu, QAction *separator, QAction *before, std::function<void(QAction *)> added,
                    std::function<void(int)> clicked);

    // Fills the items from the stored list of the program appName.
    void Load(const QString &appName);
    // Records a path just opened and shows it: a new item, or the reused
    // item of the oldest entry when the list is full.
    void Add(const QString &appName, const QString &path);
    // Number of items made so far, and the path of item index (1..Count()).
    int Count() const { return int(m_items.size()); }
    QString Path(int index) const;
    // The paths of the items shown, in menu order.
    QStringList Captions() const;

private:
    QAction *Item(int index);
    void SetItem(int index, const QString &path);

    QMenu *m_menu;
    QAction *m_separator;
    QAction *m_before;
    std::function<void(QAction *)> m_added;
    std::function<void(int)> m_clicked;
    QList<QAction *> m_items;   // mnuRecent(1..n)
};
