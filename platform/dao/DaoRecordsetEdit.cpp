// Recordsets: finding rows, reading and assigning fields, adding, editing and
// deleting rows, move listeners.
#include "platform/dao/DaoRows.h"

#include <sqlite3.h>

#include <algorithm>
#include <climits>
#include <memory>

namespace dao {

using namespace detail;

// ---- find

namespace {
enum class FindDir { First, Last, Next, Previous };
}

static void doFind(Recordset::Impl &r, const QString &criteria, const QVariantList &params, FindDir dir)
{
    Conn &cn = r.c();
    const int nf = int(r.fields.size());
    QStringList cols;
    for (int i = 0; i < nf; ++i)
        cols << QStringLiteral("?%1 COLLATE NOCASE AS %2").arg(i + 1).arg(qi(r.fields[i].name));
    std::unique_ptr<Stmt> s;
    try {
        const QString crit = cn.translate(criteria, nf);
        const QString sql = QStringLiteral("SELECT CASE WHEN (%1) THEN 1 ELSE 0 END FROM (SELECT %2)")
                                .arg(crit, cols.join(QStringLiteral(", ")));
        s = std::make_unique<Stmt>(cn.h, sql, Ctx::Query, criteria);
    } catch (const VbError &e) {
        if (e.Number() == JetErr::SyntaxErrorInQuery)
            RaiseError(JetErr::SyntaxErrorInCriteria, QStringLiteral("Syntax error (missing operator) in expression."));
        throw;
    }
    for (int k = 0; k < params.size(); ++k) bindValue(*s, nf + k + 1, params[k]);
    int start, step;
    // Forward searches read rows only as far as the match.
    const bool forward = dir == FindDir::First || (dir == FindDir::Next && r.cur != kEOF);
    const int n = forward ? INT_MAX - 1 : r.count();
    switch (dir) {
    case FindDir::First: start = 0; step = 1; break;
    case FindDir::Last: start = n - 1; step = -1; break;
    case FindDir::Next:
        start = r.cur == kBOF || r.cur == kNone ? 0 : r.cur == kEOF ? n : r.cur + 1;
        step = 1;
        break;
    case FindDir::Previous:
    default:
        start = r.cur == kEOF || r.cur == kNone ? n - 1 : r.cur == kBOF ? -1 : r.cur - 1;
        step = -1;
        break;
    }
    for (int i = start; i >= 0 && i < n; i += step) {
        if (forward && !r.st->ensure(i)) break;
        if (r.st->isDeleted(i)) continue;
        sqlite3_reset(*s);
        for (int k = 0; k < nf; ++k) bindValue(*s, k + 1, r.st->at(i, k));
        const int rc = sqlite3_step(*s);
        if (rc != SQLITE_ROW) raiseSqlite(cn.h, rc, criteria);
        if (sqlite3_column_int(*s, 0) == 1) {
            r.noMatch = false;
            r.moveTo(i);
            return;
        }
    }
    r.noMatch = true;
}

void Recordset::FindFirst(const QString &c, const QVariantList &p) { doFind(*d, c, p, FindDir::First); }
void Recordset::FindLast(const QString &c, const QVariantList &p) { doFind(*d, c, p, FindDir::Last); }
void Recordset::FindNext(const QString &c, const QVariantList &p) { doFind(*d, c, p, FindDir::Next); }
void Recordset::FindPrevious(const QString &c, const QVariantList &p) { doFind(*d, c, p, FindDir::Previous); }
bool Recordset::NoMatch() const { return d->noMatch; }

// ---- fields

int Recordset::FieldCount() const { return int(d->fields.size()); }
QList<FieldInfo> Recordset::Fields() const
{
    d->syncTypes();
    return d->fields;
}

QString Recordset::FieldName(int index) const
{
    if (index < 0 || index >= d->fields.size())
        RaiseError(JetErr::ItemNotFound, QStringLiteral("Item not found in this collection."));
    return d->fields[index].name;
}

int Recordset::FieldIndex(const QString &name) const { return d->fieldIndex(name); }
bool Recordset::HasField(const QString &name) const { return d->fieldIndex(name) >= 0; }

QVariant Recordset::Value(const QString &name) const { return Value(d->requireField(name)); }

QVariant Recordset::Value(int index) const
{
    if (index < 0 || index >= d->fields.size())
        RaiseError(JetErr::ItemNotFound, QStringLiteral("Item not found in this collection."));
    if (d->editMode != dbEditNone) return d->buf[index];
    return d->st->at(d->currentRow(), index);
}

void Recordset::SetValue(const QString &name, const QVariant &value) { SetValue(d->requireField(name), value); }

void Recordset::SetValue(int index, const QVariant &value)
{
    d->checkOpen();
    if (index < 0 || index >= d->fields.size())
        RaiseError(JetErr::ItemNotFound, QStringLiteral("Item not found in this collection."));
    if (d->editMode == dbEditNone)
        RaiseError(JetErr::UpdateWithoutEdit, QStringLiteral("Update or CancelUpdate without AddNew or Edit."));
    if (d->fields[index].sourceField.isEmpty()) RaiseError(3164, QStringLiteral("Field cannot be updated."));
    d->buf[index] = coerce(value, d->types[index], d->fields[index].name);
    d->dirty[index] = true;
}

// ---- editing

namespace {
[[noreturn]] void raiseNotUpdatable()
{
    RaiseError(JetErr::ReadOnly, QStringLiteral("Cannot update. Database or object is read-only."));
}
} // namespace

void Recordset::AddNew()
{
    d->c();
    if (!d->updatable) raiseNotUpdatable();
    d->buf = QVector<QVariant>(d->fields.size());
    d->dirty = QVector<bool>(d->fields.size(), false);
    d->editMode = dbEditAdd;
}

void Recordset::Edit()
{
    d->c();
    if (!d->updatable) raiseNotUpdatable();
    d->buf = d->st->row(d->currentRow());
    d->dirty = QVector<bool>(d->fields.size(), false);
    d->editMode = dbEditInProgress;
}

void Recordset::Update()
{
    Conn &cn = d->c();
    if (d->editMode == dbEditNone)
        RaiseError(JetErr::UpdateWithoutEdit, QStringLiteral("Update or CancelUpdate without AddNew or Edit."));
    QStringList cols;
    QVariantList vals;
    for (int i = 0; i < d->fields.size(); ++i)
        if (d->dirty[i]) { cols << qi(d->fields[i].sourceField); vals << d->buf[i]; }
    if (d->editMode == dbEditAdd) {
        QString sql;
        if (cols.isEmpty()) {
            sql = QStringLiteral("INSERT INTO %1 DEFAULT VALUES").arg(qi(d->table));
        } else {
            QStringList marks;
            for (int i = 0; i < cols.size(); ++i) marks << QStringLiteral("?%1").arg(i + 1);
            sql = QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                      .arg(qi(d->table), cols.join(QStringLiteral(", ")), marks.join(QStringLiteral(", ")));
        }
        Stmt s(cn.h, sql, Ctx::Insert);
        bindAll(s, vals);
        const int rc = sqlite3_step(s);
        if (rc != SQLITE_DONE) raiseSqlite(cn.h, rc, d->name, Ctx::Insert);
        d->st->append(sqlite3_last_insert_rowid(cn.h), d->buf);
        d->lastModified = d->count() - 1;
        d->readBack(d->lastModified);
        // A recordset that had no rows stood at EOF; it keeps standing there.
    } else {
        const int row = d->currentRow();
        if (!cols.isEmpty()) {
            QStringList sets;
            for (int i = 0; i < cols.size(); ++i) sets << QStringLiteral("%1 = ?%2").arg(cols[i]).arg(i + 1);
            Stmt s(cn.h, QStringLiteral("UPDATE %1 SET %2 WHERE rowid = ?%3")
                             .arg(qi(d->table), sets.join(QStringLiteral(", "))).arg(cols.size() + 1),
                   Ctx::Update);
            bindAll(s, vals);
            sqlite3_bind_int64(s, int(cols.size()) + 1, d->st->rowids[row]);
            const int rc = sqlite3_step(s);
            if (rc != SQLITE_DONE) raiseSqlite(cn.h, rc, d->name, Ctx::Update);
            if (sqlite3_changes(cn.h) == 0) {
                d->st->markDeleted(row);
                d->editMode = dbEditNone;
                RaiseError(JetErr::RecordDeleted, QStringLiteral("Record is deleted."));
            }
        }
        d->st->setRow(row, d->buf);
        d->readBack(row);
        d->lastModified = row;
    }
    d->editMode = dbEditNone;
}

void Recordset::CancelUpdate()
{
    d->checkOpen();
    if (d->editMode == dbEditNone)
        RaiseError(JetErr::UpdateWithoutEdit, QStringLiteral("Update or CancelUpdate without AddNew or Edit."));
    d->editMode = dbEditNone;
}

void Recordset::Delete()
{
    Conn &cn = d->c();
    if (!d->updatable) raiseNotUpdatable();
    d->editMode = dbEditNone;
    const int row = d->currentRow();
    Stmt s(cn.h, QStringLiteral("DELETE FROM %1 WHERE rowid = ?1").arg(qi(d->table)), Ctx::Delete);
    sqlite3_bind_int64(s, 1, d->st->rowids[row]);
    const int rc = sqlite3_step(s);
    if (rc != SQLITE_DONE) raiseSqlite(cn.h, rc, d->name, Ctx::Delete);
    d->st->markDeleted(row);
}

int Recordset::EditMode() const { return d->editMode; }

void Recordset::Requery()
{
    d->c();
    d->load();
}

int Recordset::AddMoveListener(std::function<void()> before, std::function<void()> after)
{
    const int id = d->nextListener++;
    d->listeners.push_back({id, std::move(before), std::move(after)});
    return id;
}

void Recordset::RemoveMoveListener(int id)
{
    auto &l = d->listeners;
    l.erase(std::remove_if(l.begin(), l.end(), [id](const Impl::Listener &x) { return x.id == id; }), l.end());
}

} // namespace dao
