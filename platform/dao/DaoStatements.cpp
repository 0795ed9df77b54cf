// Prepared action statements and the forward-only read cursor.
#include "platform/dao/DaoRows.h"
#include "platform/dao/JetSql.h"

#include <sqlite3.h>

#include <cctype>

namespace dao {

using namespace detail;

// ------------------------------------------------------------------ prepared statement

namespace {
Ctx contextOf(const QString &keyword)
{
    return keyword == QLatin1String("DELETE") ? Ctx::Delete
         : keyword == QLatin1String("INSERT") ? Ctx::Insert
         : keyword == QLatin1String("UPDATE") ? Ctx::Update : Ctx::Query;
}
} // namespace

struct PreparedStatement::Impl {
    std::shared_ptr<Conn> conn;
    sqlite3_stmt *stmt = nullptr;
    QString shownSql;
    Ctx ctx = Ctx::Query;
    bool schema = false;
    ~Impl()
    {
        if (stmt) sqlite3_finalize(stmt);
    }
};

PreparedStatement::PreparedStatement() : d(std::make_unique<Impl>()) {}
PreparedStatement::~PreparedStatement() = default;

PreparedStatementPtr Database::prepare(const QString &sql)
{
    Conn &c = d->conn();
    const QString tr = c.translate(sql);
    const QString kw = jetsql::FirstKeyword(tr);
    if (kw == QLatin1String("SELECT")) RaiseError(3065, QStringLiteral("Cannot execute a select query."));
    PreparedStatementPtr p(new PreparedStatement());
    p->d->conn = d->c;
    p->d->shownSql = sql;
    p->d->ctx = contextOf(kw);
    p->d->schema = kw == QLatin1String("CREATE") || kw == QLatin1String("ALTER") || kw == QLatin1String("DROP");
    Stmt s(c.h, tr, p->d->ctx, sql);
    p->d->stmt = s.release();
    return p;
}

int PreparedStatement::execute(const QVariantList &params)
{
    if (!d->conn || !d->conn->h) raiseClosed();
    Conn &c = *d->conn;
    // A write first reads what open recordsets still hold of their opening time.
    drainLazy(c.h);
    sqlite3_reset(d->stmt);
    sqlite3_clear_bindings(d->stmt);
    bindAll(d->stmt, params);
    const int rc = sqlite3_step(d->stmt);
    if (rc != SQLITE_DONE && rc != SQLITE_ROW) {
        try {
            raiseSqlite(c.h, rc, d->shownSql, d->ctx);
        } catch (...) {
            sqlite3_reset(d->stmt);
            throw;
        }
    }
    sqlite3_reset(d->stmt);
    c.lastChanges = sqlite3_changes(c.h);
    if (d->schema) c.schemaChanged();
    return c.lastChanges;
}

// ------------------------------------------------------------------ read cursor

struct ReadCursor::Impl {
    std::shared_ptr<Conn> conn;
    std::shared_ptr<Storage> st;
    QStringList names;
    QHash<QString, int> byName;
    int pos = -1;          // row of st that is current; -1 before the first
    bool ended = false;
    int column(const QString &name) const
    {
        const int i = byName.value(name.toCaseFolded(), -1);
        if (i < 0) RaiseError(JetErr::ItemNotFound, QStringLiteral("Item not found in this collection."));
        return i;
    }
};

ReadCursor::ReadCursor() : d(std::make_unique<Impl>()) {}
ReadCursor::~ReadCursor() = default;

ReadCursorPtr Database::openCursor(const QString &source, const QVariantList &params)
{
    Conn &c = d->conn();
    QString sql;
    if (!jetsql::LooksLikeSql(source)) {
        // The name of a table or stored query; any other statement is judged below.
        QString name = source.trimmed();
        if (name.startsWith(QLatin1Char('[')) && name.endsWith(QLatin1Char(']'))) name = name.mid(1, name.size() - 2);
        QString found = findName(TableNames(), name);
        if (found.isEmpty()) found = findName(QueryNames(), name);
        if (!found.isEmpty()) {
            sql = QStringLiteral("SELECT * FROM %1").arg(qi(found));
        } else {
            static const QStringList statements = {
                QStringLiteral("ALTER"), QStringLiteral("ANALYZE"), QStringLiteral("ATTACH"), QStringLiteral("BEGIN"),
                QStringLiteral("COMMIT"), QStringLiteral("CREATE"), QStringLiteral("DELETE"), QStringLiteral("DETACH"),
                QStringLiteral("DROP"), QStringLiteral("END"), QStringLiteral("EXPLAIN"), QStringLiteral("INSERT"),
                QStringLiteral("PRAGMA"), QStringLiteral("REINDEX"), QStringLiteral("RELEASE"), QStringLiteral("REPLACE"),
                QStringLiteral("ROLLBACK"), QStringLiteral("SAVEPOINT"), QStringLiteral("UPDATE"), QStringLiteral("VACUUM"),
                QStringLiteral("VALUES")};
            if (!statements.contains(jetsql::FirstKeyword(name))) raiseTableNotFound(name);
        }
    }
    if (sql.isEmpty()) {
        sql = c.translate(source).trimmed();
        while (sql.endsWith(QLatin1Char(';'))) sql.chop(1);
    }
    const QString kw = jetsql::FirstKeyword(sql);
    // Only a query that reads: SQLite's own verdict, and a statement that gives
    // rows (BEGIN, COMMIT and ATTACH count as read-only but give none).
    auto refuse = [&]() {
        RaiseError(JetErr::ReadOnly,
                   QStringLiteral("Cannot open '%1' as a cursor: only a query that reads can be.").arg(source));
    };
    if (kw != QLatin1String("SELECT") && kw != QLatin1String("WITH") && kw != QLatin1String("VALUES")) refuse();
    sqlite3_stmt *raw = nullptr;
    {
        const QByteArray b = sql.toUtf8();
        const char *tail = nullptr;
        const int rc = sqlite3_prepare_v2(c.h, b.constData(), int(b.size()), &raw, &tail);
        if (rc != SQLITE_OK) {
            if (raw) sqlite3_finalize(raw);
            raiseSqlite(c.h, rc, source);
        }
        if (!raw) RaiseError(JetErr::SyntaxErrorInQuery, QStringLiteral("Invalid SQL statement."));
        for (; tail && *tail; ++tail) {
            if (*tail != ';' && !isspace(static_cast<unsigned char>(*tail))) {
                sqlite3_finalize(raw);
                RaiseError(3142, QStringLiteral("Characters found after end of SQL statement."));
            }
        }
        if (!sqlite3_stmt_readonly(raw) || sqlite3_column_count(raw) == 0) {
            sqlite3_finalize(raw);
            refuse();
        }
    }
    auto st = std::make_shared<Storage>();
    st->stmt = raw;   // finalized by the storage from here on
    bindAll(raw, params);
    const int ncol = sqlite3_column_count(raw);
    ReadCursorPtr cur(new ReadCursor());
    auto &r = *cur->d;
    r.conn = d->c;
    st->id = nextStorageId();
    st->ncols = ncol;
    st->h = c.h;
    st->first = 0;
    st->withRowid = false;
    st->typed = QVector<bool>(ncol, false);
    for (int i = 0; i < ncol; ++i) {
        const QString name = u8(sqlite3_column_name(raw, i));
        const char *decl = sqlite3_column_decltype(raw, i);
        const FieldType t = decl ? typeFromDecl(u8(decl)) : dbText;
        st->kinds << (decl ? kindFor(t) : VK::Auto);
        st->types << t;
        st->typed[i] = decl != nullptr;
        if (!decl) ++st->untyped;
        const QString key = name.toCaseFolded();
        if (!r.byName.contains(key)) r.byName.insert(key, i);
        r.names << name;
    }
    st->name = source;
    st->params = params;
    st->done = false;
    // The first row is read now: computed columns get their type from it, and a
    // query that fails from its start fails here.
    st->ensure(0);
    if (!st->done) registerLazy(st);
    r.st = st;
    return cur;
}

int ReadCursor::columnCount() const { return int(d->names.size()); }

QString ReadCursor::columnName(int column) const
{
    if (column < 0 || column >= d->names.size())
        RaiseError(JetErr::ItemNotFound, QStringLiteral("Item not found in this collection."));
    return d->names[column];
}

FieldType ReadCursor::columnType(int column) const
{
    if (column < 0 || column >= d->names.size())
        RaiseError(JetErr::ItemNotFound, QStringLiteral("Item not found in this collection."));
    return d->st->types[column];
}

bool ReadCursor::next()
{
    if (d->ended) return false;
    Storage &st = *d->st;
    // Rows passed are let go, so a long pass holds only a few rows at a time.
    if (d->pos >= 255) {
        const size_t n = size_t(d->pos) + 1;
        st.cells.erase(st.cells.begin(), st.cells.begin() + n * size_t(st.ncols));
        st.rowids.erase(st.rowids.begin(), st.rowids.begin() + n);
        st.del.erase(st.del.begin(), st.del.begin() + n);
        d->pos = -1;
    }
    try {
        if (!st.ensure(d->pos + 1)) {
            d->ended = true;
            return false;
        }
    } catch (...) {
        d->ended = true;
        throw;
    }
    ++d->pos;
    return true;
}

QVariant ReadCursor::value(int column) const
{
    if (column < 0 || column >= d->names.size())
        RaiseError(JetErr::ItemNotFound, QStringLiteral("Item not found in this collection."));
    if (d->ended || d->pos < 0) raiseNoCurrent();
    return d->st->at(d->pos, column);
}

QVariant ReadCursor::value(const QString &name) const { return value(d->column(name)); }

void ReadCursor::close()
{
    d->st->finish();
    d->ended = true;
}

} // namespace dao
