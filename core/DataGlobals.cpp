#include "core/DataGlobals.h"

#include "core/ChartHandoff.h"

dao::DatabasePtr CurrentDb;
dao::RecordsetPtr AthletesRs;
dao::RecordsetPtr ClimbsRs;
dao::RecordsetPtr RoutesRs;
dao::RecordsetPtr ClimbTimesRs;
dao::RecordsetPtr TrainingTimesRs;
dao::RecordsetPtr SummaryRs;
QString AppName;
QString AppPath;
QString DataFormName;
int16_t LastKeyCode = 0;
int16_t AltimetriaOpen = 0;
QString ListSql;
QString StatsSqlHead;
ImageList ImageList2;
const QString ProductCaption = QStringLiteral("Vettaro ");

namespace {
bool IsNumericKey(const QString &key)
{
    bool ok = false;
    key.toDouble(&ok);
    return ok;
}
}

void ImageList::Add(const QString &key, const QImage &picture)
{
    if (key.isEmpty() || IsNumericKey(key))
        throw VbError(35603, QStringLiteral("Invalid key"));
    if (Contains(key))
        throw VbError(35602, QStringLiteral("Key is not unique in collection"));
    QImage scaled = picture;
    if (!picture.isNull() && (picture.width() != m_width || picture.height() != m_height))
        scaled = picture.scaled(m_width, m_height, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    m_items.append({key, scaled});
}

bool ImageList::Contains(const QString &key) const
{
    for (const Item &item : m_items)
        if (item.key.compare(key, Qt::CaseInsensitive) == 0)
            return true;
    return false;
}

QImage ImageList::Picture(const QString &key) const
{
    for (const Item &item : m_items)
        if (item.key.compare(key, Qt::CaseInsensitive) == 0)
            return item.picture;
    return {};
}

QStringList ImageList::Keys() const
{
    QStringList keys;
    for (const Item &item : m_items)
        keys << item.key;
    return keys;
}

void CloseRecordset(dao::RecordsetPtr &rs)
{
    if (rs) {
        try {
            if (rs->IsOpen())
                rs->Close();
        } catch (const VbError &) {
            // The work with it is over: a recordset that fails to close holds
            // nothing to save, and the reference is dropped all the same.
        }
    }
    rs.reset();
}

void CloseSharedRecordsets()
{
    for (dao::RecordsetPtr *rs : {&AthletesRs, &ClimbsRs, &RoutesRs, &ClimbTimesRs, &TrainingTimesRs, &SummaryRs})
        CloseRecordset(*rs);
}

void ResetGlobals()
{
    CloseSharedRecordsets();
    if (CurrentDb) {
        try {
            if (CurrentDb->IsOpen())
                CurrentDb->Close();
        } catch (const VbError &) {
            // A reset must reach every global; an uncommitted change is rolled
            // back when the connection goes, as a close would do.
        }
    }
    CurrentDb.reset();
    DataFormName.clear();
    LastKeyCode = 0;
    AltimetriaOpen = 0;
    ListSql.clear();
    StatsSqlHead.clear();
    ImageList2.Clear();
    ChartHandoff::Reset();
}
