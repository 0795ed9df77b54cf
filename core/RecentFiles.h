#pragma once
// The list of the four databases opened last, kept in the settings section
// "Recent": "MRUList" holds the slot digits most recent first ("3142"), and
// the keys "1".."4" hold the path of each slot.
#include <QString>
#include <QStringList>

class RecentFileList {
public:
    static constexpr int MaxEntries = 4;

    explicit RecentFileList(QString appName) : m_appName(std::move(appName)) {}

    // The slot digits as stored, cleaned: only the digits 1-4, each once, at
    // most four. A damaged setting therefore never names a slot beyond the list.
    QString MruList() const;
    // Paths in order of recency (the path of a slot that has none is empty).
    QStringList Paths() const;

    // What adding a path did to the menu of recent files.
    struct Change {
        enum Kind { None, Appended, Replaced } kind = None;
        int index = 0;       // menu item: the new count when appended, the reused slot when replaced
        QString path;
    };
    // Records a path just opened. A path already in the list (compared exactly)
    // changes nothing; below four entries a free slot is taken and the item is
    // appended; a full list reuses the slot of the oldest entry.
    Change Add(const QString &path);

private:
    QString m_appName;
};

// The default name offered for a new database in a folder: "Vettarodb" and
// the number of files named like "Vettarodb*.mdb" there plus one.
QString NewDbName(const QString &folder);
