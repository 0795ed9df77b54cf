// Attaching a second database file read-only, and interrupting long statements.
#include "platform/dao/Dao.h"
#include "platform/dao/DaoInternal.h"

#include <QFile>
#include <QFileInfo>
#include <QUrl>

#include <sqlite3.h>

#include <memory>
#include <unordered_map>

namespace dao {

namespace {

// What a connection allows while files are attached to it: the schema names
// whose files may be read only. One entry per connection that has any.
struct Guard {
    QList<QByteArray> readOnly;
    bool detaching = false;
};

std::unordered_map<sqlite3 *, std::unique_ptr<Guard>> &guards()
{
    static std::unordered_map<sqlite3 *, std::unique_ptr<Guard>> g;
    return g;
}

bool names(const QList<QByteArray> &list, const char *schema)
{
    if (!schema)
        return false;
    for (const QByteArray &n : list)
        if (sqlite3_stricmp(n.constData(), schema) == 0)
            return true;
    return false;
}

// Pragmas whose argument names what to read rather than a value to set.
bool readsWithArgument(const char *pragma)
{
    static const char *const reading[] = {"table_info", "table_xinfo", "index_info", "index_xinfo", "index_list",
                                          "foreign_key_list", "foreign_key_check", "integrity_check",
                                          "quick_check", "table_list"};
    for (const char *r : reading)
        if (pragma && sqlite3_stricmp(pragma, r) == 0)
            return true;
    return false;
}

// SQLite asks this for every action a statement being prepared would take;
// the name of the schema acted on is the third text (the first for ALTER
// TABLE and DETACH).
int authorize(void *ctx, int action, const char *a1, const char *a2, const char *a3, const char *)
{
    const Guard &g = *static_cast<Guard *>(ctx);
    switch (action) {
    case SQLITE_INSERT:
    case SQLITE_UPDATE:
    case SQLITE_DELETE:
    case SQLITE_CREATE_INDEX:
    case SQLITE_CREATE_TABLE:
    case SQLITE_CREATE_TRIGGER:
    case SQLITE_CREATE_VIEW:
    case SQLITE_CREATE_VTABLE:
    case SQLITE_DROP_INDEX:
    case SQLITE_DROP_TABLE:
    case SQLITE_DROP_TRIGGER:
    case SQLITE_DROP_VIEW:
    case SQLITE_DROP_VTABLE:
    case SQLITE_ANALYZE:
    case SQLITE_REINDEX:
        return names(g.readOnly, a3) ? SQLITE_DENY : SQLITE_OK;
    case SQLITE_PRAGMA:   // reading a pragma is fine, setting one is not
        return a2 && !readsWithArgument(a1) && names(g.readOnly, a3) ? SQLITE_DENY : SQLITE_OK;
    case SQLITE_ALTER_TABLE:
        return names(g.readOnly, a1) ? SQLITE_DENY : SQLITE_OK;
    case SQLITE_DETACH:
        return names(g.readOnly, a1) && !g.detaching ? SQLITE_DENY : SQLITE_OK;
    default:
        return SQLITE_OK;
    }
}

QString quoted(const QString &name)
{
    return QLatin1Char('"') + QString(name).replace(QLatin1Char('"'), QStringLiteral("\"\"")) + QLatin1Char('"');
}

QString canonical(const QString &path)
{
    const QFileInfo fi(path);
    const QString c = fi.canonicalFilePath();
    return c.isEmpty() ? fi.absoluteFilePath() : c;
}

struct Check {
    std::function<bool()> shouldStop;
};

std::unordered_map<sqlite3 *, std::unique_ptr<Check>> &checks()
{
    static std::unordered_map<sqlite3 *, std::unique_ptr<Check>> c;
    return c;
}

int progress(void *ctx)
{
    return static_cast<Check *>(ctx)->shouldStop() ? 1 : 0;
}

} // namespace

void Database::AttachReadOnly(const Database &other, const QString &schema)
{
    sqlite3 *h = internal::Handle(*this);
    internal::Handle(other);   // 3420 when closed
    if (&other == this || canonical(other.Name()) == canonical(Name()))
        RaiseError(JetErr::GenericEngine, QStringLiteral("Cannot attach '%1' to itself.").arg(other.Name()));
    if (InTransaction() || other.InTransaction())
        RaiseError(JetErr::GenericEngine, QStringLiteral("Cannot attach a database inside a transaction."));
    const QByteArray name = schema.toUtf8();
    if (name.isEmpty() || sqlite3_db_filename(h, name.constData()) != nullptr)
        RaiseError(JetErr::GenericEngine, QStringLiteral("The database name '%1' is already in use.").arg(schema));

    // mode=ro: SQLite opens the file for reading only. nolock=1: the other
    // connection's lock already keeps every other program out, and an
    // exclusive lock of this program would refuse a second one, even its own.
    QUrl uri = QUrl::fromLocalFile(canonical(other.Name()));
    uri.setQuery(QStringLiteral("mode=ro&nolock=1"));
    const QString literal = SqlLiteral(QString::fromUtf8(uri.toEncoded()));
    auto &g = guards()[h];
    if (!g)
        g = std::make_unique<Guard>();
    // A connection closed without Detach may have left its names behind for
    // a later one that got the same handle: only attached names count.
    g->readOnly.removeIf([h](const QByteArray &n) { return sqlite3_db_filename(h, n.constData()) == nullptr; });
    g->detaching = false;
    sqlite3_set_authorizer(h, authorize, g.get());
    g->readOnly << name;
    try {
        internal::Exec(*this, QStringLiteral("ATTACH DATABASE %1 AS %2").arg(literal, quoted(schema)));
        // The connection reads URI file names (it is opened so); should the
        // name have been taken as a plain path, what got attached is not the
        // file asked for.
        if (sqlite3_db_readonly(h, name.constData()) != 1) {
            g->detaching = true;
            internal::Exec(*this, QStringLiteral("DETACH DATABASE %1").arg(quoted(schema)));
            RaiseError(JetErr::GenericEngine, QStringLiteral("Cannot attach '%1' read-only.").arg(other.Name()));
        }
    } catch (...) {
        g->detaching = false;
        g->readOnly.removeAll(name);
        if (g->readOnly.isEmpty()) {
            sqlite3_set_authorizer(h, nullptr, nullptr);
            guards().erase(h);
        }
        throw;
    }
}

void Database::Detach(const QString &schema)
{
    sqlite3 *h = internal::Handle(*this);
    const QByteArray name = schema.toUtf8();
    if (sqlite3_db_filename(h, name.constData()) == nullptr)
        return;
    auto it = guards().find(h);
    if (it != guards().end())
        it->second->detaching = true;
    try {
        internal::Exec(*this, QStringLiteral("DETACH DATABASE %1").arg(quoted(schema)));
    } catch (...) {
        if (it != guards().end())
            it->second->detaching = false;
        throw;
    }
    if (it != guards().end()) {
        it->second->detaching = false;
        it->second->readOnly.removeAll(name);
        if (it->second->readOnly.isEmpty()) {
            sqlite3_set_authorizer(h, nullptr, nullptr);
            guards().erase(it);
        }
    }
}

void Database::SetInterruptCheck(std::function<bool()> shouldStop, int steps)
{
    sqlite3 *h = internal::Handle(*this);
    if (!shouldStop) {
        sqlite3_progress_handler(h, 0, nullptr, nullptr);
        checks().erase(h);
        return;
    }
    auto &c = checks()[h];
    if (!c)
        c = std::make_unique<Check>();
    c->shouldStop = std::move(shouldStop);
    sqlite3_progress_handler(h, qMax(1, steps), progress, c.get());
}

} // namespace dao
