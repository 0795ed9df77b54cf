// The schema of a database: table and query names, table definitions, fields,
// indexes and stored queries.
#include "platform/dao/DaoDetail.h"

#include <sqlite3.h>

namespace dao {

using namespace detail;

namespace {

QStringList masterNames(sqlite3 *h, const char *type)
{
    Stmt s(h, QStringLiteral("SELECT name FROM sqlite_master WHERE type = ?1 AND substr(name, 1, 7) <> 'sqlite_' "
                             "AND name <> '%1' ORDER BY rowid").arg(kMeta));
    bindValue(s, 1, QString::fromLatin1(type));
    QStringList out;
    while (sqlite3_step(s) == SQLITE_ROW) out << u8(reinterpret_cast<const char *>(sqlite3_column_text(s, 0)));
    return out;
}

} // namespace

namespace detail {

QString findName(const QStringList &names, const QString &name)
{
    for (const QString &n : names)
        if (n.compare(name, Qt::CaseInsensitive) == 0) return n;
    return {};
}

} // namespace detail

QStringList Database::TableNames() const { return masterNames(d->conn().h, "table"); }
QStringList Database::QueryNames() const { return masterNames(d->conn().h, "view"); }
bool Database::TableExists(const QString &name) const { return !findName(TableNames(), name).isEmpty(); }
bool Database::QueryExists(const QString &name) const { return !findName(QueryNames(), name).isEmpty(); }

TableDef Database::TableDefinition(const QString &nameIn) const
{
    Conn &c = d->conn();
    const QString name = findName(TableNames(), nameIn);
    if (name.isEmpty()) raiseTableNotFound(nameIn);
    TableDef def;
    def.name = name;
    QString createSql;
    {
        Stmt s(c.h, QStringLiteral("SELECT sql FROM sqlite_master WHERE type = 'table' AND name = ?1"));
        bindValue(s, 1, name);
        if (sqlite3_step(s) == SQLITE_ROW) createSql = u8(reinterpret_cast<const char *>(sqlite3_column_text(s, 0)));
    }
    {
        Stmt s(c.h, QStringLiteral("SELECT name, type, \"notnull\", dflt_value FROM pragma_table_info(?1)"));
        bindValue(s, 1, name);
        while (sqlite3_step(s) == SQLITE_ROW) {
            FieldDef f;
            f.name = u8(reinterpret_cast<const char *>(sqlite3_column_text(s, 0)));
            int size = 0;
            f.type = typeFromDecl(u8(reinterpret_cast<const char *>(sqlite3_column_text(s, 1))), &size);
            f.size = f.type == dbText ? size : 0;
            f.required = sqlite3_column_int(s, 2) != 0;
            if (sqlite3_column_type(s, 3) != SQLITE_NULL) f.defaultValue = u8(reinterpret_cast<const char *>(sqlite3_column_text(s, 3)));
            f.allowZeroLength = !createSql.contains(qi(QStringLiteral("zls:") + f.name), Qt::CaseInsensitive);
            def.fields << f;
        }
    }
    const QString primary = metaValue(c.h, QStringLiteral("pk:") + name);
    {
        Stmt s(c.h, QStringLiteral("SELECT name, \"unique\" FROM pragma_index_list(?1) ORDER BY seq DESC"));
        bindValue(s, 1, name);
        while (sqlite3_step(s) == SQLITE_ROW) {
            IndexDef ix;
            const QString full = u8(reinterpret_cast<const char *>(sqlite3_column_text(s, 0)));
            ix.name = full.startsWith(name + QLatin1Char('.'), Qt::CaseInsensitive) ? full.mid(name.size() + 1) : full;
            ix.unique = sqlite3_column_int(s, 1) != 0;
            ix.primary = !primary.isEmpty() && ix.name.compare(primary, Qt::CaseInsensitive) == 0;
            Stmt cols(c.h, QStringLiteral("SELECT name FROM pragma_index_info(?1) ORDER BY seqno"));
            bindValue(cols, 1, full);
            while (sqlite3_step(cols) == SQLITE_ROW) ix.fields << u8(reinterpret_cast<const char *>(sqlite3_column_text(cols, 0)));
            def.indexes << ix;
        }
    }
    return def;
}

void Database::CreateTable(const TableDef &def)
{
    Conn &c = d->conn();
    if (def.name.isEmpty()) RaiseError(3125, QStringLiteral("'' isn't a valid name."));
    if (TableExists(def.name) || QueryExists(def.name))
        RaiseError(JetErr::TableExists, QStringLiteral("Table '%1' already exists.").arg(def.name));
    if (def.fields.isEmpty()) RaiseError(3264, QStringLiteral("No field defined--cannot append TableDef or Index."));
    QStringList seen, cols;
    QStringList primaryFields;
    for (const IndexDef &ix : def.indexes)
        if (ix.primary) primaryFields << ix.fields;
    for (const FieldDef &f : def.fields) {
        for (const QString &s : seen)
            if (s.compare(f.name, Qt::CaseInsensitive) == 0)
                RaiseError(JetErr::FieldDefinedTwice, QStringLiteral("Cannot define field more than once."));
        seen << f.name;
        bool pk = false;
        for (const QString &p : primaryFields) pk = pk || p.compare(f.name, Qt::CaseInsensitive) == 0;
        cols << columnDef(f, pk);
    }
    c.schemaChanged();
    // The table and its indexes come together or not at all, inside a
    // caller's transaction too: a caller that goes on after the error and
    // commits must not keep a table without the indexes it was defined with.
    execRaw(c.h, QStringLiteral("SAVEPOINT create_table"));
    try {
        execRaw(c.h, QStringLiteral("CREATE TABLE %1 (%2)").arg(qi(def.name), cols.join(QStringLiteral(", "))));
        for (const IndexDef &ix : def.indexes) CreateIndex(def.name, ix);
    } catch (...) {
        // Undoing is best effort; the original error is the one to report.
        sqlite3_exec(c.h, "ROLLBACK TO create_table; RELEASE create_table", nullptr, nullptr, nullptr);
        c.schemaChanged();
        throw;
    }
    execRaw(c.h, QStringLiteral("RELEASE create_table"));
}

void Database::AppendField(const QString &tableIn, const FieldDef &field)
{
    Conn &c = d->conn();
    const TableDef def = TableDefinition(tableIn);
    for (const FieldDef &f : def.fields)
        if (f.name.compare(field.name, Qt::CaseInsensitive) == 0)
            RaiseError(JetErr::FieldDefinedTwice, QStringLiteral("Cannot define field more than once."));
    FieldDef f = field;
    // SQLite cannot add a NOT NULL column without a default to a table.
    if (f.required && (!f.defaultValue.isValid() || f.defaultValue.isNull())) f.required = false;
    c.schemaChanged();
    execRaw(c.h, QStringLiteral("ALTER TABLE %1 ADD COLUMN %2").arg(qi(def.name), columnDef(f, false)));
}

void Database::CreateIndex(const QString &tableIn, const IndexDef &index)
{
    Conn &c = d->conn();
    const QString table = findName(TableNames(), tableIn);
    if (table.isEmpty()) raiseTableNotFound(tableIn);
    if (index.fields.isEmpty()) RaiseError(3264, QStringLiteral("No field defined--cannot append TableDef or Index."));
    QStringList cols;
    for (const QString &f : index.fields) cols << qi(f);
    execRaw(c.h, QStringLiteral("CREATE %1INDEX %2 ON %3 (%4)")
                     .arg(index.unique || index.primary ? QStringLiteral("UNIQUE ") : QString(),
                          qi(table + QLatin1Char('.') + index.name), qi(table), cols.join(QStringLiteral(", "))));
    if (index.primary) {
        Stmt s(c.h, QStringLiteral("INSERT OR REPLACE INTO \"%1\" (\"Key\", \"Value\") VALUES (?1, ?2)").arg(kMeta));
        bindValue(s, 1, QStringLiteral("pk:") + table);
        bindValue(s, 2, index.name);
        const int rc = sqlite3_step(s);
        if (rc != SQLITE_DONE) raiseSqlite(c.h, rc, QString());
    }
}

void Database::DeleteTable(const QString &nameIn)
{
    Conn &c = d->conn();
    const QString name = findName(TableNames(), nameIn);
    if (name.isEmpty()) raiseTableNotFound(nameIn);
    c.schemaChanged();
    execRaw(c.h, QStringLiteral("DROP TABLE %1").arg(qi(name)), Ctx::Delete);
    Stmt s(c.h, QStringLiteral("DELETE FROM \"%1\" WHERE \"Key\" = ?1").arg(kMeta));
    bindValue(s, 1, QStringLiteral("pk:") + name);
    sqlite3_step(s);
}

void Database::CreateQuery(const QString &name, const QString &jetSql)
{
    Conn &c = d->conn();
    if (TableExists(name) || QueryExists(name))
        RaiseError(3012, QStringLiteral("Object '%1' already exists.").arg(name));
    QString sql = c.translate(jetSql).trimmed();
    while (sql.endsWith(QLatin1Char(';'))) sql.chop(1);
    c.schemaChanged();
    execRaw(c.h, QStringLiteral("CREATE VIEW %1 AS %2").arg(qi(name), sql));
}

void Database::DeleteQuery(const QString &nameIn)
{
    Conn &c = d->conn();
    const QString name = findName(QueryNames(), nameIn);
    if (name.isEmpty()) raiseTableNotFound(nameIn);
    c.schemaChanged();
    execRaw(c.h, QStringLiteral("DROP VIEW %1").arg(qi(name)));
}

} // namespace dao
