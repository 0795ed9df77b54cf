// Recordsets: opening, moving, counting, positions, bookmarks and clones.
#include "platform/dao/DaoRows.h"
#include "platform/dao/JetSql.h"

#include <sqlite3.h>

#include <climits>
#include <cstdlib>

namespace dao {

using namespace detail;

void Recordset::Impl::load()
{
    Conn &cn = c();
    Stmt s(cn.h, sql, Ctx::Query, name);
    bindAll(s, params);
    const int ncol = sqlite3_column_count(s);
    const int first = updatable ? 1 : 0;
    fields.clear();
    kinds.clear();
    types.clear();
    byName.clear();
    for (int i = first; i < ncol; ++i) {
        FieldInfo f;
        f.name = u8(sqlite3_column_name(s, i));
        const char *decl = sqlite3_column_decltype(s, i);
        f.type = decl ? typeFromDecl(u8(decl), &f.size) : dbText;
        if (updatable) {
            const char *t = sqlite3_column_table_name(s, i);
            const char *o = sqlite3_column_origin_name(s, i);
            if (t && o && u8(t).compare(table, Qt::CaseInsensitive) == 0) {
                f.sourceTable = table;
                f.sourceField = u8(o);
            }
        }
        const QString key = f.name.toCaseFolded();
        if (!byName.contains(key)) byName.insert(key, int(fields.size()));
        kinds << (decl ? kindFor(f.type) : VK::Auto);
        types << f.type;
        fields << f;
    }
    auto storage = std::make_shared<Storage>();
    storage->id = nextStorageId();
    const int nf = int(fields.size());
    storage->ncols = nf;
    storage->h = cn.h;
    storage->first = first;
    storage->withRowid = updatable;
    storage->kinds = kinds;
    storage->types = types;
    storage->typed = QVector<bool>(nf, false);
    for (int i = 0; i < nf; ++i) {
        storage->typed[i] = sqlite3_column_decltype(s, i + first) != nullptr;
        if (!storage->typed[i]) ++storage->untyped;
    }
    storage->name = name;
    storage->params = params;
    storage->countSql = QStringLiteral("SELECT count(*) FROM (%1\n)").arg(sql);
    storage->stmt = s.release();
    storage->done = false;
    // The first rows are read now: a short result (an empty one, a summary) is
    // read whole, and a query that fails from its start fails here (a failed
    // Requery leaves the rows it had).
    storage->ensure(kFirstRows - 1);
    st = storage;
    if (!st->done) {
        if (cn.exclusive && sqlite3_stmt_readonly(st->stmt)) registerLazy(st);
        else st->fetchAll();
    }
    cur = st->size() == 0 ? kEOF : 0;
    editMode = dbEditNone;
    lastModified = -1;
}

void Recordset::Impl::readBack(int row)
{
    Conn &cn = c();
    QStringList cols;
    QVector<int> idx;
    for (int i = 0; i < fields.size(); ++i)
        if (!fields[i].sourceField.isEmpty()) { cols << qi(fields[i].sourceField); idx << i; }
    if (cols.isEmpty()) return;
    Stmt s(cn.h, QStringLiteral("SELECT %1 FROM %2 WHERE rowid = ?1").arg(cols.join(QStringLiteral(", ")), qi(table)));
    sqlite3_bind_int64(s, 1, st->rowids[row]);
    if (sqlite3_step(s) != SQLITE_ROW) return;
    for (int k = 0; k < idx.size(); ++k) st->at(row, idx[k]) = readColumn(s, k, kinds[idx[k]]);
}

Recordset::Recordset() : d(std::make_unique<Impl>()) {}
Recordset::~Recordset() = default;

RecordsetPtr Database::OpenRecordset(const QString &source, int type, int options, const QVariantList &params)
{
    Conn &c = d->conn();
    RecordsetPtr rs(new Recordset());
    auto &r = *rs->d;
    r.conn = d->c;
    r.name = source;
    r.params = params;
    QString sql;
    QString baseTable;
    if (jetsql::LooksLikeSql(source)) {
        if (type == dbOpenTable) RaiseError(3219, QStringLiteral("Invalid operation."));
        if (type == dbOpenDefault) type = dbOpenDynaset;
        sql = c.translate(source).trimmed();
        while (sql.endsWith(QLatin1Char(';'))) sql.chop(1);
    } else {
        QString name = source.trimmed();
        if (name.startsWith(QLatin1Char('[')) && name.endsWith(QLatin1Char(']'))) name = name.mid(1, name.size() - 2);
        const QString table = findName(TableNames(), name);
        const QString view = table.isEmpty() ? findName(QueryNames(), name) : QString();
        if (table.isEmpty() && view.isEmpty()) raiseTableNotFound(name);
        if (type == dbOpenDefault) type = table.isEmpty() ? dbOpenDynaset : dbOpenTable;
        if (type == dbOpenTable && table.isEmpty()) RaiseError(3219, QStringLiteral("Invalid operation."));
        sql = QStringLiteral("SELECT * FROM %1").arg(qi(table.isEmpty() ? view : table));
    }
    r.type = type == dbOpenForwardOnly ? dbOpenSnapshot : type;
    const bool wantUpdates = (r.type == dbOpenTable || r.type == dbOpenDynaset) && !(options & dbReadOnly) && !c.readOnly;
    if (wantUpdates) {
        jetsql::SimpleSource src;
        if (jetsql::AnalyzeSimpleSelect(sql, &src)) {
            baseTable = findName(TableNames(), src.table);
            if (!baseTable.isEmpty()) {
                sql.insert(src.insertPos, QStringLiteral(" %1.rowid AS %2,").arg(qi(src.qualifier), qi(kRowid)));
                r.updatable = true;
                r.table = baseTable;
            }
        }
    }
    r.sql = sql;
    r.load();
    return rs;
}

QString Recordset::Name() const { return d->name; }
int Recordset::Type() const { return d->type; }
bool Recordset::Updatable() const { return d->updatable; }
bool Recordset::IsOpen() const { return d->open; }

void Recordset::Close()
{
    // Rows nobody else shares are not read any further.
    if (d->st && d->st.use_count() == 1) d->st->finish();
    d->open = false;
    d->listeners.clear();
    d->editMode = dbEditNone;
}

bool Recordset::EOF_() const
{
    d->checkOpen();
    return d->cur == kEOF || d->st->empty();
}

bool Recordset::BOF() const
{
    d->checkOpen();
    return d->cur == kBOF || d->st->empty();
}

void Recordset::MoveFirst()
{
    d->checkOpen();
    const int i = d->firstLive(0);
    if (i < 0) raiseNoCurrent();
    d->moveTo(i);
}

void Recordset::MoveLast()
{
    d->checkOpen();
    const int i = d->lastLive(d->count() - 1);
    if (i < 0) raiseNoCurrent();
    d->moveTo(i);
}

void Recordset::MoveNext()
{
    d->checkOpen();
    if (EOF_()) raiseNoCurrent();
    const int from = d->cur == kBOF || d->cur == kNone ? 0 : d->cur + 1;
    const int i = d->firstLive(from);
    d->moveTo(i < 0 ? kEOF : i);
}

void Recordset::MovePrevious()
{
    d->checkOpen();
    if (BOF()) raiseNoCurrent();
    const int from = d->cur == kEOF || d->cur == kNone ? d->count() - 1 : d->cur - 1;
    const int i = d->lastLive(from);
    d->moveTo(i < 0 ? kBOF : i);
}

void Recordset::Move(int rows)
{
    if (rows == 0) {
        d->currentRow();
        d->moveTo(d->cur);
        return;
    }
    d->checkOpen();
    int pos = d->cur;
    if (pos == kNone) pos = kBOF;
    for (int k = 0; k < std::abs(rows); ++k) {
        if (rows > 0) {
            if (pos == kEOF) raiseNoCurrent();
            const int i = d->firstLive(pos == kBOF ? 0 : pos + 1);
            pos = i < 0 ? kEOF : i;
            if (pos == kEOF) break;
        } else {
            if (pos == kBOF) raiseNoCurrent();
            const int i = d->lastLive(pos == kEOF ? d->count() - 1 : pos - 1);
            pos = i < 0 ? kBOF : i;
            if (pos == kBOF) break;
        }
    }
    d->moveTo(pos);
}

int Recordset::RecordCount() const
{
    d->checkOpen();
    return d->st->liveTotal();
}

int Recordset::AbsolutePosition() const
{
    d->checkOpen();
    if (!d->valid(d->cur) || d->st->isDeleted(d->cur)) return -1;
    if (d->st->deleted == 0) return d->cur;
    int n = 0;
    for (int i = 0; i < d->cur; ++i)
        if (!d->st->isDeleted(i)) ++n;
    return n;
}

void Recordset::SetAbsolutePosition(int pos)
{
    d->checkOpen();
    if (pos < 0 || pos >= d->st->liveTotal()) RaiseError(3001, QStringLiteral("Invalid argument."));
    int target = pos;
    if (d->st->deleted > 0) {
        int n = -1;
        for (int i = 0; i < d->count(); ++i)
            if (!d->st->isDeleted(i) && ++n == pos) { target = i; break; }
    }
    d->moveTo(target);
}

double Recordset::PercentPosition() const
{
    const int n = RecordCount();
    const int p = AbsolutePosition();
    if (n == 0 || p < 0) return 0.0;
    return double(p) / double(n) * 100.0;
}

void Recordset::SetPercentPosition(double pct)
{
    const int n = RecordCount();
    if (n == 0) raiseNoCurrent();
    if (pct < 0 || pct > 100) RaiseError(3001, QStringLiteral("Invalid argument."));
    SetAbsolutePosition(qBound(0, int(pct / 100.0 * n), n - 1));
}

namespace {
QByteArray makeBookmark(quint32 storage, int index)
{
    QByteArray b(8, '\0');
    for (int k = 0; k < 4; ++k) {
        b[k] = char((storage >> (8 * k)) & 0xff);
        b[4 + k] = char((quint32(index) >> (8 * k)) & 0xff);
    }
    return b;
}
bool readBookmark(const QByteArray &b, quint32 *storage, int *index)
{
    if (b.size() != 8) return false;
    quint32 s = 0, i = 0;
    for (int k = 0; k < 4; ++k) {
        s |= quint32(quint8(b[k])) << (8 * k);
        i |= quint32(quint8(b[4 + k])) << (8 * k);
    }
    *storage = s;
    *index = int(i);
    return true;
}
} // namespace

QByteArray Recordset::Bookmark() const
{
    d->currentRow();
    return makeBookmark(d->st->id, d->cur);
}

void Recordset::SetBookmark(const QByteArray &bm)
{
    d->checkOpen();
    quint32 sid;
    int idx;
    if (!readBookmark(bm, &sid, &idx) || sid != d->st->id || !d->valid(idx))
        RaiseError(JetErr::InvalidBookmark, QStringLiteral("Not a valid bookmark."));
    if (d->st->isDeleted(idx)) RaiseError(JetErr::RecordDeleted, QStringLiteral("Record is deleted."));
    d->moveTo(idx);
}

QByteArray Recordset::LastModified() const
{
    d->checkOpen();
    if (!d->valid(d->lastModified)) raiseNoCurrent();
    return makeBookmark(d->st->id, d->lastModified);
}

RecordsetPtr Recordset::Clone() const
{
    d->checkOpen();
    RecordsetPtr rs(new Recordset());
    auto &r = *rs->d;
    r.conn = d->conn;
    r.name = d->name;
    r.sql = d->sql;
    r.params = d->params;
    r.type = d->type;
    r.updatable = d->updatable;
    r.table = d->table;
    r.fields = d->fields;
    r.kinds = d->kinds;
    r.types = d->types;
    r.byName = d->byName;
    r.st = d->st;
    r.cur = d->st->empty() ? kEOF : kNone;
    return rs;
}

} // namespace dao
