#pragma once
// What the files of the database layer share beyond its public interface: the
// connection and its registry, statements, value conversion, error
// translation and the Database's own state. Only files of platform/dao
// include this.
#include "platform/dao/Dao.h"

#include <QHash>
#include <QString>
#include <QVariant>

#include <sqlite3.h>

#include <cctype>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

namespace dao {

// ------------------------------------------------------------------ connection

struct Conn {
    sqlite3 *h = nullptr;
    QString path;
    bool readOnly = false;
    bool exclusive = false;   // locked for this connection: rows may be read lazily
    std::thread::id owner = std::this_thread::get_id();   // the thread that opened it
    int transDepth = 0;
    int lastChanges = 0;
    // Names of the schema holding letters outside ASCII, by case-folded spelling.
    QHash<QString, QString> wideNames;
    bool wideNamesValid = false;
    QString translate(const QString &jet, int paramOffset = 0);
    void schemaChanged() { wideNamesValid = false; }
    ~Conn()
    {
        if (h) sqlite3_close_v2(h);
    }
};

namespace detail {

extern const QString kMeta;
extern const QString kRowid;

QString qi(const QString &name);
QString u8(const char *s);

// ------------------------------------------------------------------ connection registry
// (DaoConnection.cpp; the list is reached only under registryMutex())

std::mutex &registryMutex();
std::vector<std::weak_ptr<Conn>> &registry();
std::vector<std::shared_ptr<Conn>> threadConnections();
void registerConn(const std::shared_ptr<Conn> &c);

// ------------------------------------------------------------------ errors (DaoErrors.cpp)

enum class Ctx { Query, Insert, Update, Delete, Open };

QString fileOf(sqlite3 *h);
[[noreturn]] void raiseDamaged(int number, const QString &file);
// A file that could not be written, with its cause in the words of the
// program's file writer ("Path/File access error: disk full: '<file>'"): rc
// is the SQLite result, systemErrno the errno the engine met (0 when none).
[[noreturn]] void raiseWriteFailure(const QString &file, int rc, int systemErrno);
[[noreturn]] void raiseSqlite(sqlite3 *h, int rc, const QString &sql, Ctx ctx = Ctx::Query);
[[noreturn]] void raiseClosed();
[[noreturn]] void raiseNoCurrent();
[[noreturn]] void raiseTableNotFound(const QString &name);

// Recordsets read their rows from a statement left open on the connection
// while the cursor moves. Anything that could change what those statements
// would still return (a write, a transaction boundary, DDL, closing) first reads
// their remaining rows, so every recordset keeps the rows of its opening time.
// (DaoRows.cpp)
void drainLazy(sqlite3 *h);

// A prepared statement that finalizes itself.
class Stmt {
public:
    Stmt(sqlite3 *h, const QString &sql, Ctx ctx = Ctx::Query, const QString &shownSql = QString())
    {
        const QByteArray b = sql.toUtf8();
        const char *tail = nullptr;
        const int rc = sqlite3_prepare_v2(h, b.constData(), int(b.size()), &m_s, &tail);
        if (rc != SQLITE_OK) raiseSqlite(h, rc, shownSql.isEmpty() ? sql : shownSql, ctx);
        if (!m_s) RaiseError(JetErr::SyntaxErrorInQuery, QStringLiteral("Invalid SQL statement."));
        if (!sqlite3_stmt_readonly(m_s)) drainLazy(h);
        for (; tail && *tail; ++tail) {
            if (*tail != ';' && !isspace(static_cast<unsigned char>(*tail))) {
                sqlite3_finalize(m_s);
                m_s = nullptr;
                RaiseError(3142, QStringLiteral("Characters found after end of SQL statement."));
            }
        }
    }
    ~Stmt() { if (m_s) sqlite3_finalize(m_s); }
    Stmt(const Stmt &) = delete;
    sqlite3_stmt *get() const { return m_s; }
    sqlite3_stmt *release()
    {
        sqlite3_stmt *s = m_s;
        m_s = nullptr;
        return s;
    }
    operator sqlite3_stmt *() const { return m_s; }

private:
    sqlite3_stmt *m_s = nullptr;
};

// ------------------------------------------------------------------ values (DaoValues.cpp)

void bindValue(sqlite3_stmt *s, int idx, const QVariant &v);
void bindAll(sqlite3_stmt *s, const QVariantList &params, int offset = 0);

// How stored values are read back for a column.
enum class VK { Auto, Date, Time, Bool };

FieldType typeFromDecl(const QString &declIn, int *size = nullptr);
QString columnDef(const FieldDef &f, bool notNull);
QVariant readColumn(sqlite3_stmt *s, int i, VK kind);
VK kindFor(FieldType t);
QVariant coerce(const QVariant &v, FieldType t, const QString &fieldName);

// ------------------------------------------------------------------ opening and plain statements
// (DaoConnection.cpp)

// The password of a connect string (";PWD=secret").
QString passwordFromConnect(const QString &connect);
void execRaw(sqlite3 *h, const QString &sql, Ctx ctx = Ctx::Query);
void writePassword(sqlite3 *h, const QString &password);
QString metaValue(sqlite3 *h, const QString &key);
void configure(sqlite3 *h);
std::shared_ptr<Conn> openConn(const QString &path, bool exclusive, bool readOnly, bool create);
void checkPassword(Conn &c, const QString &connect);
void takeWriteLock(Conn &c);
// True when the name the connection was opened by now names another file.
bool fileMoved(sqlite3 *h);

// (HandlePaths.cpp) The name of the engine's file system layer every
// connection of the layer opens with: names through a folder handle
// (files::ThroughHandle) are kept as given, never resolved to the folder's
// path of the moment.
const char *keepHandlePaths();

// (DaoSchema.cpp) The name among names that matches name without regard to case; empty if none.
QString findName(const QStringList &names, const QString &name);

} // namespace detail

// ------------------------------------------------------------------ database

struct Database::Impl {
    std::shared_ptr<Conn> c;
    Conn &conn() const
    {
        if (!c || !c->h) detail::raiseClosed();
        return *c;
    }
};

} // namespace dao
