#pragma once
// The rows a recordset or a read cursor holds, the recordsets still reading
// theirs, and the Recordset's own state. Only files of platform/dao include
// this.
#include "platform/dao/DaoDetail.h"

#include <QHash>
#include <QVector>

#include <climits>
#include <deque>
#include <functional>
#include <memory>
#include <vector>

namespace dao {

namespace detail {

// Rows of a recordset and its clones, cells in one block (row after row).
// On an exclusive connection the rows of a read-only statement are read as the
// cursor reaches them (the statement stays open here until its last row);
// everything else is read when the recordset opens. Rows are added or deleted
// only once every row is read (a write reads pending statements to the end).
constexpr int kFirstRows = 256;
constexpr int kCountAhead = 1024;

struct Storage {
    quint32 id = 0;
    int ncols = 0;
    std::deque<QVariant> cells;   // grows without copying: large result sets touch their memory once
    std::vector<qint64> rowids;
    std::vector<char> del;
    int deleted = 0;

    // The open statement while rows remain to be read.
    sqlite3 *h = nullptr;
    sqlite3_stmt *stmt = nullptr;
    bool done = true;
    int first = 0;                // 1 when column 0 is the rowid
    bool withRowid = false;
    QVector<VK> kinds;
    QVector<bool> typed;          // column type known (declared or from its first non-null value)
    QVector<FieldType> types;
    int untyped = 0;
    QString name;                 // for error texts
    QString countSql;             // counts the statement's rows without computing its columns
    QVariantList params;
    qint64 total = -1;            // the count while rows remain to be read
    bool failed = false;          // reading stopped on an error, kept to report again
    int errNumber = 0;
    QString errText;

    ~Storage()
    {
        if (stmt) sqlite3_finalize(stmt);
    }
    int size() const { return int(del.size()); }
    int live() const { return size() - deleted; }
    bool isDeleted(int i) const { return del[i] != 0; }
    void markDeleted(int i)
    {
        if (!del[i]) { del[i] = 1; ++deleted; }
    }
    QVariant &at(int row, int col) { return cells[size_t(row) * ncols + col]; }
    const QVariant &at(int row, int col) const { return cells[size_t(row) * ncols + col]; }
    QVector<QVariant> row(int i) const
    {
        return QVector<QVariant>(cells.begin() + size_t(i) * ncols, cells.begin() + size_t(i + 1) * ncols);
    }
    void setRow(int i, const QVector<QVariant> &v)
    {
        for (int k = 0; k < ncols; ++k) at(i, k) = v[k];
    }
    void append(qint64 rowid, const QVector<QVariant> &v)
    {
        rowids.push_back(rowid);
        del.push_back(0);
        cells.insert(cells.end(), v.begin(), v.end());
    }

    void finish()
    {
        if (stmt) sqlite3_finalize(stmt);
        stmt = nullptr;
        done = true;
    }
    [[noreturn]] void raiseFailed() const { RaiseError(errNumber, errText); }
    // Reads one more row; false at the end.
    bool fetchOne()
    {
        if (done) {
            if (failed) raiseFailed();
            return false;
        }
        const int rc = sqlite3_step(stmt);
        if (rc == SQLITE_ROW) {
            rowids.push_back(withRowid ? sqlite3_column_int64(stmt, 0) : 0);
            del.push_back(0);
            for (int i = 0; i < ncols; ++i) {
                cells.push_back(readColumn(stmt, i + first, kinds[i]));
                if (!typed[i] && !cells.back().isNull()) {
                    // Computed column: its type is that of its first value.
                    typed[i] = true;
                    --untyped;
                    const int ct = sqlite3_column_type(stmt, i + first);
                    types[i] = ct == SQLITE_INTEGER ? dbLong : ct == SQLITE_FLOAT ? dbDouble : dbText;
                }
            }
            return true;
        }
        try {
            if (rc != SQLITE_DONE) raiseSqlite(h, rc, name);
        } catch (const VbError &e) {
            failed = true;
            errNumber = e.Number();
            errText = e.Description();
            finish();
            throw;
        }
        finish();
        return false;
    }
    // Reads rows until row i exists; false when the rows end before it.
    bool ensure(int i)
    {
        while (i >= size())
            if (!fetchOne()) return false;
        return true;
    }
    void fetchAll()
    {
        while (fetchOne()) {}
    }
    // Every row that can still be read, without raising a reading error (kept for later).
    void drain()
    {
        try { fetchAll(); } catch (const VbError &) {}
    }
    bool empty()
    {
        if (!ensure(0)) return true;
        return done && live() == 0;   // rows are deleted only once all are read
    }
    // Rows not deleted, those not read yet included.
    int liveTotal()
    {
        if (done) return live();
        // A result a little longer than the rows read so far costs less to read
        // than to count (counting runs the query again).
        ensure(size() + kCountAhead);
        if (done) return live();
        if (total < 0) {
            sqlite3_stmt *c = nullptr;
            const QByteArray b = countSql.toUtf8();
            if (sqlite3_prepare_v2(h, b.constData(), int(b.size()), &c, nullptr) == SQLITE_OK && c) {
                bindAll(c, params);
                if (sqlite3_step(c) == SQLITE_ROW) total = sqlite3_column_int64(c, 0);
            }
            if (c) sqlite3_finalize(c);
            if (total < 0) {
                fetchAll();
                return live();
            }
        }
        return int(total);
    }
    // Column types known for every column (reads on while a computed one has only had nulls).
    void resolveTypes()
    {
        while (untyped > 0 && fetchOne()) {}
    }
};

// Registers a storage whose statement still has rows to give.
void registerLazy(const std::shared_ptr<Storage> &st);
// A number no other storage of this run has (bookmarks carry it).
quint32 nextStorageId();

constexpr int kBOF = -1;
constexpr int kEOF = INT_MAX;
constexpr int kNone = -2;  // a fresh clone: no current row, neither BOF nor EOF

} // namespace detail

struct Recordset::Impl {
    std::shared_ptr<Conn> conn;
    QString name;        // source as given
    QString sql;         // SQLite text that is run
    QVariantList params;
    int type = dbOpenDynaset;
    bool updatable = false;
    QString table;       // base table when updatable
    QList<FieldInfo> fields;
    QVector<detail::VK> kinds;
    QVector<FieldType> types;
    QHash<QString, int> byName;  // case-folded name -> index
    std::shared_ptr<detail::Storage> st;
    int cur = detail::kBOF;
    bool open = true;
    bool noMatch = false;
    int editMode = dbEditNone;
    QVector<QVariant> buf;
    QVector<bool> dirty;
    int lastModified = -1;
    struct Listener { int id; std::function<void()> before, after; };
    std::vector<Listener> listeners;
    int nextListener = 1;

    Conn &c() const
    {
        if (!open || !conn || !conn->h) detail::raiseClosed();
        return *conn;
    }
    void checkOpen() const
    {
        if (!open) detail::raiseClosed();
    }
    // Every row, those not read yet included.
    int count() const
    {
        st->fetchAll();
        return st->size();
    }
    bool valid(int i) const { return i >= 0 && i != detail::kEOF && st->ensure(i); }
    int firstLive(int from) const
    {
        for (int i = qMax(0, from); st->ensure(i); ++i)
            if (!st->isDeleted(i)) return i;
        return -1;
    }
    int lastLive(int from) const
    {
        for (int i = from < st->size() ? from : count() - 1; i >= 0; --i)
            if (!st->isDeleted(i)) return i;
        return -1;
    }
    // Column types as far as the rows tell them (clones share what their rows showed).
    void syncTypes()
    {
        if (st->untyped > 0) st->resolveTypes();
        for (int i = 0; i < fields.size() && i < st->types.size(); ++i) {
            types[i] = st->types[i];
            fields[i].type = st->types[i];
        }
    }
    void before()
    {
        for (size_t i = 0; i < listeners.size(); ++i)
            if (listeners[i].before) listeners[i].before();
    }
    void after()
    {
        for (size_t i = 0; i < listeners.size(); ++i)
            if (listeners[i].after) listeners[i].after();
    }
    void moveTo(int target)
    {
        before();
        editMode = dbEditNone;
        cur = target;
        after();
    }
    // The index of the current row; 3021 without one, 3167 when it was deleted.
    int currentRow() const
    {
        checkOpen();
        if (!valid(cur)) detail::raiseNoCurrent();
        if (st->isDeleted(cur)) RaiseError(JetErr::RecordDeleted, QStringLiteral("Record is deleted."));
        return cur;
    }
    int fieldIndex(const QString &name) const { return byName.value(name.toCaseFolded(), -1); }
    int requireField(const QString &name) const
    {
        const int i = fieldIndex(name);
        if (i < 0) RaiseError(JetErr::ItemNotFound, QStringLiteral("Item not found in this collection."));
        return i;
    }
    void load();
    void readBack(int row);
};

} // namespace dao
