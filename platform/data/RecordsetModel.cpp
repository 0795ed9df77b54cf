#include "platform/data/RecordsetModel.h"

#include "platform/data/DataControl.h"

#include <QDateTime>
#include <QLocale>

namespace data {

RecordsetModel::RecordsetModel(QObject *parent) : QAbstractTableModel(parent) {}

void RecordsetModel::setColumns(const QList<Column> &columns)
{
    beginResetModel();
    m_columns = columns;
    m_types.clear();
    m_sizes.clear();
    endResetModel();
}

void RecordsetModel::setColumnCaption(int column, const QString &caption)
{
    if (column < 0 || column >= m_columns.size())
        return;
    m_columns[column].caption = caption;
    emit headerDataChanged(Qt::Horizontal, column, column);
}

namespace {
// Rows read at a time: more than a screen holds, few enough to come at once.
constexpr int kBatch = 128;
}

void RecordsetModel::setRecordset(dao::RecordsetPtr rs)
{
    beginResetModel();
    if (m_reader) {
        try {
            m_reader->Close();
        } catch (const VbError &) {
        }
    }
    m_reader.reset();
    m_more = false;
    m_rs = std::move(rs);
    m_rows.clear();
    m_pendingRow = -1;
    m_pending.clear();
    m_types.clear();
    m_sizes.clear();
    m_fieldIndex.clear();
    if (m_rs) {
        try {
            const QList<dao::FieldInfo> fields = m_rs->Fields();
            for (const Column &c : m_columns) {
                dao::FieldType t = dao::dbText;
                int size = 0;
                int index = -1;
                for (int i = 0; i < fields.size(); ++i)
                    if (fields[i].name.compare(c.field, Qt::CaseInsensitive) == 0) {
                        t = fields[i].type;
                        size = fields[i].size;
                        index = i;
                        break;
                    }
                m_types.append(t);
                m_sizes.append(size);
                m_fieldIndex.append(index);
            }
            m_reader = m_rs->Clone();
            m_more = readRows(kBatch, m_rows);
        } catch (const VbError &) {
            m_more = false;
        }
    }
    endResetModel();
}

bool RecordsetModel::readRows(int max, QList<Row> &out)
{
    try {
        for (int n = 0; n < max; ++n) {
            if (m_reader->AtEOF())
                break;
            m_reader->MoveNext();
            if (m_reader->AtEOF())
                break;
            Row r;
            r.bookmark = m_reader->Bookmark();
            r.values.reserve(m_columns.size());
            for (int c = 0; c < m_columns.size(); ++c) {
                const int f = m_fieldIndex.value(c, -1);
                r.values.append(f >= 0 ? m_reader->Value(f) : QVariant());
            }
            out.append(r);
        }
        if (!m_reader->AtEOF())
            return true;
    } catch (const VbError &) {
        // A row that cannot be read ends the reading; the rows before it stay.
    }
    try {
        m_reader->Close();
    } catch (const VbError &) {
    }
    m_reader.reset();
    return false;
}

bool RecordsetModel::canFetchMore(const QModelIndex &parent) const
{
    return !parent.isValid() && m_more;
}

void RecordsetModel::fetchMore(const QModelIndex &parent)
{
    if (parent.isValid() || !m_more)
        return;
    QList<Row> rows;
    const bool more = readRows(kBatch, rows);
    const int first = int(m_rows.size());
    // The last batch brings the add row with it.
    const int count = int(rows.size()) + (!more && m_rs && m_rs->Updatable() ? 1 : 0);
    if (count == 0) {
        m_more = more;
        return;
    }
    beginInsertRows(QModelIndex(), first, first + count - 1);
    m_rows.append(rows);
    m_more = more;
    endInsertRows();
}

void RecordsetModel::fetchAll()
{
    while (m_more)
        fetchMore(QModelIndex());
}

QList<QVariant> RecordsetModel::columnValues(int column) const
{
    const_cast<RecordsetModel *>(this)->fetchAll();
    QList<QVariant> out;
    for (const Row &r : m_rows)
        out.append(r.values.value(column));
    return out;
}

QVariant RecordsetModel::value(int row, int column) const
{
    if (row == m_pendingRow)
        return m_pending.value(column);
    if (row >= 0 && row < m_rows.size())
        return m_rows[row].values.value(column);
    return QVariant();
}

QVariant RecordsetModel::storedValue(int row, int column) const
{
    if (row >= 0 && row < m_rows.size())
        return m_rows[row].values.value(column);
    return QVariant();
}

int RecordsetModel::rowCount(const QModelIndex &parent) const
{
    if (parent.isValid())
        return 0;
    return int(m_rows.size()) + (addingPending() ? 1 : 0) + (showsAddRow() ? 1 : 0);
}

int RecordsetModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_columns.size());
}

QString RecordsetModel::displayText(const QVariant &v, int column) const
{
    return FieldText(v, m_types.value(column, dao::dbText));
}

namespace {
// A day as the user reads it: the short form with the whole year, and the time
// of day only when there is one. Empty for a value that is no date.
QString ShownDate(const QVariant &v)
{
    QDateTime at;
    if (v.typeId() == QMetaType::QDate)
        at = QDateTime(v.toDate(), QTime(0, 0));
    else if (v.typeId() == QMetaType::QDateTime)
        at = v.toDateTime();
    else if (v.typeId() == QMetaType::QString) {
        const QString t = v.toString().trimmed();
        const QDate day = QDate::fromString(t.left(10), Qt::ISODate);
        if (t.size() == 10)
            at = QDateTime(day, QTime(0, 0));
        else if (day.isValid())
            at = QDateTime::fromString(QString(t).replace(10, 1, QLatin1Char('T')), Qt::ISODate);
    }
    if (!at.isValid())
        return QString();
    const QLocale loc;
    QString text = loc.toString(at.date(), FullYearDateFormat());
    if (at.time() != QTime(0, 0))
        text += QLatin1Char(' ') + loc.toString(at.time(), QLocale::ShortFormat);
    return text;
}
}

QVariant RecordsetModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid())
        return QVariant();
    // Dates travel as ISO text; the grid shows them as the cards and the
    // printed lists do. Editing still starts from the stored text.
    if (role == Qt::DisplayRole && m_types.value(index.column(), dao::dbText) == dao::dbDate) {
        const QVariant v = value(index.row(), index.column());
        const QString shown = ShownDate(v);
        if (!shown.isEmpty())
            return shown;
    }
    if (role == Qt::DisplayRole || role == Qt::EditRole)
        return displayText(value(index.row(), index.column()), index.column());
    if (role == TextSizeRole)
        return textSize(index.column());
    return QVariant();
}

Qt::ItemFlags RecordsetModel::flags(const QModelIndex &index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsEditable;
}

QVariant RecordsetModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (role != Qt::DisplayRole)
        return QVariant();
    if (orientation == Qt::Horizontal)
        return section >= 0 && section < m_columns.size() ? QVariant(m_columns[section].caption) : QVariant();
    return isAddRow(section) ? QVariant(QStringLiteral("*")) : QVariant();
}

bool RecordsetModel::setData(const QModelIndex &index, const QVariant &value, int role)
{
    if (!index.isValid() || role != Qt::EditRole || !m_rs)
        return false;
    const int row = index.row();
    if (m_pendingRow >= 0 && m_pendingRow != row && !CommitRow())
        return false;
    const QVariant old = this->value(row, index.column());
    CellResult r;
    if (m_cellHook) {
        r = m_cellHook(index.column(), value.toString(), old, row);
    } else {
        r.accept = true;
        r.value = value.toString().isEmpty() ? QVariant() : value;
    }
    if (!r.accept) {
        emit dataChanged(index, index);
        return false;
    }
    if (m_pendingRow != row) {
        const bool adding = row >= m_rows.size();
        if (adding)
            beginInsertRows(QModelIndex(), row + 1, row + 1);   // a fresh add row below the typed one
        m_pendingRow = row;
        m_pending = row < m_rows.size() ? m_rows[row].values : QVariantList();
        while (m_pending.size() < m_columns.size())
            m_pending.append(QVariant());
        if (adding)
            endInsertRows();
    }
    m_pending[index.column()] = r.value;
    emit dataChanged(index, index);
    return true;
}

void RecordsetModel::CancelRow()
{
    if (m_pendingRow < 0)
        return;
    const int row = m_pendingRow;
    if (row >= m_rows.size()) {
        // The typed new row goes; the add row below it moves up into its place.
        beginRemoveRows(QModelIndex(), row + 1, row + 1);
        m_pendingRow = -1;
        m_pending.clear();
        endRemoveRows();
    } else {
        m_pendingRow = -1;
        m_pending.clear();
    }
    emit dataChanged(index(row, 0), index(row, columnCount() - 1));
}

bool RecordsetModel::CommitRow()
{
    if (m_pendingRow < 0 || !m_rs)
        return true;
    QVariantList values = m_pending;
    QVariantMap extra;
    if (m_rowHook && !m_rowHook(values, extra))
        return false;
    const bool adding = m_pendingRow >= m_rows.size();
    try {
        if (adding) {
            m_rs->AddNew();
        } else {
            m_rs->SetBookmark(m_rows[m_pendingRow].bookmark);
            m_rs->Edit();
        }
        for (int c = 0; c < m_columns.size(); ++c)
            m_rs->SetValue(m_columns[c].field, values.value(c));
        for (auto it = extra.cbegin(); it != extra.cend(); ++it)
            m_rs->SetValue(it.key(), it.value());
        m_rs->Update();
    } catch (const VbError &e) {
        try {
            if (m_rs->EditMode() != dao::dbEditNone)
                m_rs->CancelUpdate();
        } catch (const VbError &) {
        }
        if (m_failureHook)
            m_failureHook(e, values);
        return false;
    }
    const int row = m_pendingRow;
    m_pendingRow = -1;
    m_pending.clear();
    if (adding) {
        Row r;
        try {
            r.bookmark = m_rs->LastModified();
        } catch (const VbError &) {
        }
        r.values = values;
        m_rows.append(r);   // the add row below was shown when typing began
        emit dataChanged(index(row, 0), index(row, columnCount() - 1));
        emit rowInserted();
    } else {
        m_rows[row].values = values;
        emit dataChanged(index(row, 0), index(row, columnCount() - 1));
    }
    return true;
}

bool RecordsetModel::DeleteRow(int row, VbError *failure)
{
    if (!m_rs || row < 0 || row >= m_rows.size())
        return false;
    if (m_pendingRow == row)
        CancelRow();
    try {
        m_rs->SetBookmark(m_rows[row].bookmark);
        m_rs->Delete();
    } catch (const VbError &e) {
        if (failure)
            *failure = e;
        return false;
    }
    beginRemoveRows(QModelIndex(), row, row);
    m_rows.removeAt(row);
    if (m_pendingRow > row)
        --m_pendingRow;
    endRemoveRows();
    emit rowDeleted();
    return true;
}

}
