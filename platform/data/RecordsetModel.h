#pragma once
// A table model over a recordset for QTableView, in the manner of a data-bound
// grid: chosen fields as columns, an empty last row for adding, cell edits held
// in the row until the row is written (CommitRow, or the view leaving the row).
// The owner checks cells and rows through hooks before anything is written.
// Rows are read as the view needs them (canFetchMore/fetchMore), a batch at a
// time, so a large result shows its first screen at once; the add row appears
// below the last row once every row is read.
#include "platform/dao/Dao.h"

#include <QAbstractTableModel>
#include <QList>
#include <QVariant>
#include <QVariantMap>

#include <functional>

namespace data {

class RecordsetModel : public QAbstractTableModel {
    Q_OBJECT
public:
    struct Column {
        QString field;
        QString caption;
    };
    // The item role that gives a column's declared text size in characters
    // (dao::FieldInfo::size; 0 for other fields), for the cell editors.
    static constexpr int TextSizeRole = Qt::UserRole + 1;

    struct CellResult {
        bool accept = false;
        QVariant value;        // what the cell holds when accepted
    };
    // A cell typed in: column, typed text, the cell's old value, and the row.
    using CellHook = std::function<CellResult(int column, const QString &typed, const QVariant &old, int row)>;
    // Before a row is written: the row's values by column (changeable), plus
    // more fields to store (such as the link to the card). False keeps the row
    // in edit and writes nothing.
    using RowHook = std::function<bool(QVariantList &values, QVariantMap &extra)>;
    // The database refused the row being written (a duplicate key, a value
    // too long): the row stays pending. Without it the failure is kept quiet.
    using FailureHook = std::function<void(const VbError &error, const QVariantList &values)>;

    explicit RecordsetModel(QObject *parent = nullptr);

    void setColumns(const QList<Column> &columns);
    QList<Column> columns() const { return m_columns; }
    // The declared size of a column's text field (0 for other fields).
    int textSize(int column) const { return m_sizes.value(column, 0); }
    void setColumnCaption(int column, const QString &caption);
    // Shows the rows of the recordset, read through a clone (so its position
    // stays): the first batch now, the rest as the view asks for them.
    void setRecordset(dao::RecordsetPtr rs);
    // Reads every row not read yet.
    void fetchAll();
    dao::RecordsetPtr recordset() const { return m_rs; }

    void setCellHook(CellHook hook) { m_cellHook = std::move(hook); }
    void setRowHook(RowHook hook) { m_rowHook = std::move(hook); }
    void setFailureHook(FailureHook hook) { m_failureHook = std::move(hook); }

    // Rows holding stored records read so far (the add row not counted).
    int storedRows() const { return int(m_rows.size()); }
    // The empty row for adding: below the stored rows, and below a new row
    // being typed, so the user can always move on to it and write that row.
    bool isAddRow(int row) const { return !m_more && row == storedRows() + (addingPending() ? 1 : 0); }
    // The stored values of one column over all stored rows (reads them all).
    QList<QVariant> columnValues(int column) const;
    QVariant value(int row, int column) const;   // shown value (pending edits included)
    QVariant storedValue(int row, int column) const;   // as last read or written (null for a new row)

    // The row with unwritten edits, or -1.
    int pendingRow() const { return m_pendingRow; }
    // Writes the pending row. Returns false when the row hook refused it or
    // the database failed (the row then stays pending; a database failure
    // goes to the failure hook, and is not reported without one).
    bool CommitRow();
    void CancelRow();
    // Deletes a stored row. Returns false on failure; a database failure is
    // copied to failure when given, for a Delete the user asked for must not
    // fail unseen.
    bool DeleteRow(int row, VbError *failure = nullptr);

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    bool setData(const QModelIndex &index, const QVariant &value, int role) override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    bool canFetchMore(const QModelIndex &parent) const override;
    void fetchMore(const QModelIndex &parent) override;

signals:
    void rowInserted();   // after a new row was written
    void rowDeleted();    // after a row was deleted

private:
    struct Row {
        QByteArray bookmark;
        QVariantList values;
    };
    QString displayText(const QVariant &v, int column) const;
    // Reads up to max more rows from the reader into out; false once it has none left.
    bool readRows(int max, QList<Row> &out);
    bool showsAddRow() const { return !m_more && m_rs && m_rs->Updatable(); }
    bool addingPending() const { return m_pendingRow >= 0 && m_pendingRow >= m_rows.size(); }

    QList<Column> m_columns;
    QList<dao::FieldType> m_types;
    QList<int> m_sizes;
    dao::RecordsetPtr m_rs;
    dao::RecordsetPtr m_reader;    // clone that reads the rows forward
    QList<int> m_fieldIndex;       // recordset field of each column, -1 when absent
    bool m_more = false;           // rows remain to be read
    QList<Row> m_rows;
    int m_pendingRow = -1;
    QVariantList m_pending;
    CellHook m_cellHook;
    RowHook m_rowHook;
    FailureHook m_failureHook;
};

}
