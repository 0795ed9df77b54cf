#include "core/RecentFiles.h"

#include "platform/settings/Settings.h"

#include <QDir>

namespace {
const QString Section = QStringLiteral("Recent");
const QString ListKey = QStringLiteral("MRUList");
}

QString RecentFileList::MruList() const
{
    const QString raw = GetSetting(m_appName, Section, ListKey);
    QString clean;
    for (QChar c : raw) {
        if (c >= QLatin1Char('1') && c <= QLatin1Char('0' + MaxEntries) && !clean.contains(c))
            clean.append(c);
        if (clean.size() == MaxEntries)
            break;
    }
    return clean;
}

QStringList RecentFileList::Paths() const
{
    QStringList paths;
    for (QChar digit : MruList())
        paths << GetSetting(m_appName, Section, QString(digit));
    return paths;
}

RecentFileList::Change RecentFileList::Add(const QString &path)
{
    const QString list = MruList();
    for (QChar digit : list)
        if (GetSetting(m_appName, Section, QString(digit)) == path)
            return {};

    Change change;
    change.path = path;
    QChar slot;
    QString newList;
    if (list.size() < MaxEntries) {
        // The lowest free slot; for a list that was never damaged that is the
        // digit of the new count.
        for (int d = 1; d <= MaxEntries; ++d) {
            const QChar c(QLatin1Char('0' + d));
            if (!list.contains(c)) {
                slot = c;
                break;
            }
        }
        newList = slot + list;
        change.kind = Change::Appended;
        change.index = int(newList.size());
    } else {
        slot = list.at(MaxEntries - 1);
        newList = slot + list.left(MaxEntries - 1);
        change.kind = Change::Replaced;
        change.index = slot.digitValue();
    }
    SaveSetting(m_appName, Section, ListKey, newList);
    SaveSetting(m_appName, Section, QString(slot), path);
    return change;
}

QString NewDbName(const QString &folder)
{
    const QStringList files = QDir(folder).entryList({QStringLiteral("Vettarodb*.mdb")}, QDir::Files);
    return QStringLiteral("Vettarodb") + QString::number(files.size() + 1);
}
