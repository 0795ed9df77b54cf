// Opening files, their password and lock, the registry of connections and the
// translation of statements for a connection.
#include "platform/dao/DaoDetail.h"
#include "platform/dao/DaoInternal.h"
#include "platform/dao/JetSql.h"

#include <QCryptographicHash>
#include <QFile>
#include <QRandomGenerator>

#include <sqlite3.h>

#include <algorithm>
#include <mutex>
#include <thread>
#include <vector>

namespace dao {

using namespace detail;

const QString DatabasePassword = QStringLiteral("K#T7740P\u00A3%%W");

QString DefaultConnect() { return QStringLiteral(";PWD=") + DatabasePassword; }

QString SqlLiteral(const QString &text)
{
    QString s = text;
    s.replace(QLatin1Char('\''), QStringLiteral("''"));
    return QLatin1Char('\'') + s + QLatin1Char('\'');
}

namespace detail {

const QString kMeta = QStringLiteral("__VettaroDb");
const QString kRowid = QStringLiteral("__rowid__");

QString qi(const QString &name)
{
    QString s = name;
    s.replace(QLatin1Char('"'), QStringLiteral("\"\""));
    return QLatin1Char('"') + s + QLatin1Char('"');
}

QString u8(const char *s) { return QString::fromUtf8(s ? s : ""); }

// Every open connection. Tools work on a worker thread while the main thread
// opens and closes its own connections, so the list is only reached under its
// mutex, and never while a statement runs (an error of that statement looks
// the list up again).
std::mutex &registryMutex()
{
    static std::mutex m;
    return m;
}

std::vector<std::weak_ptr<Conn>> &registry()
{
    static std::vector<std::weak_ptr<Conn>> r;
    return r;
}

// The open connections of the calling thread: a connection is only ever used
// by the thread that opened it.
std::vector<std::shared_ptr<Conn>> threadConnections()
{
    const std::lock_guard<std::mutex> lock(registryMutex());
    std::vector<std::shared_ptr<Conn>> out;
    for (const auto &w : registry())
        if (auto c = w.lock(); c && c->h && c->owner == std::this_thread::get_id()) out.push_back(std::move(c));
    return out;
}

QString passwordFromConnect(const QString &connect)
{
    // ";PWD=secret" (key without regard to case; the value runs to the next ';').
    const QStringList parts = connect.split(QLatin1Char(';'));
    for (const QString &p : parts) {
        const int eq = p.indexOf(QLatin1Char('='));
        if (eq > 0 && p.left(eq).trimmed().compare(QLatin1String("PWD"), Qt::CaseInsensitive) == 0)
            return p.mid(eq + 1);
    }
    return {};
}

} // namespace detail

namespace {

QString hashPassword(const QString &salt, const QString &password)
{
    return QString::fromLatin1(
        QCryptographicHash::hash((salt + password).toUtf8(), QCryptographicHash::Sha256).toHex());
}

} // namespace

namespace detail {

void execRaw(sqlite3 *h, const QString &sql, Ctx ctx)
{
    drainLazy(h);
    char *err = nullptr;
    const int rc = sqlite3_exec(h, sql.toUtf8().constData(), nullptr, nullptr, &err);
    if (err) sqlite3_free(err);
    if (rc != SQLITE_OK) raiseSqlite(h, rc, sql, ctx);
}

void writePassword(sqlite3 *h, const QString &password)
{
    QByteArray saltBytes(16, Qt::Uninitialized);
    for (auto &c : saltBytes) c = char(QRandomGenerator::global()->bounded(256));
    const QString salt = QString::fromLatin1(saltBytes.toHex());
    Stmt s(h, QStringLiteral("INSERT OR REPLACE INTO \"%1\" (\"Key\", \"Value\") VALUES (?1, ?2)").arg(kMeta));
    for (const auto &kv : {std::pair{QStringLiteral("salt"), salt},
                           std::pair{QStringLiteral("pwd"), hashPassword(salt, password)}}) {
        sqlite3_reset(s);
        bindValue(s, 1, kv.first);
        bindValue(s, 2, kv.second);
        const int rc = sqlite3_step(s);
        if (rc != SQLITE_DONE) raiseSqlite(h, rc, QString());
    }
}

QString metaValue(sqlite3 *h, const QString &key)
{
    Stmt s(h, QStringLiteral("SELECT \"Value\" FROM \"%1\" WHERE \"Key\" = ?1").arg(kMeta));
    bindValue(s, 1, key);
    const int rc = sqlite3_step(s);
    if (rc == SQLITE_ROW) return u8(reinterpret_cast<const char *>(sqlite3_column_text(s, 0)));
    if (rc != SQLITE_DONE) raiseSqlite(h, rc, QString());
    return {};
}

void configure(sqlite3 *h)
{
    sqlite3_extended_result_codes(h, 1);
    sqlite3_db_config(h, SQLITE_DBCONFIG_DQS_DML, 0, nullptr);
    sqlite3_db_config(h, SQLITE_DBCONFIG_DQS_DDL, 0, nullptr);
    sqlite3_busy_timeout(h, 0);
    jetsql::RegisterFunctions(h);
    execRaw(h, QStringLiteral("PRAGMA foreign_keys = ON"));
    // A page cache that holds a whole program file (64 MB; the default holds 2 MB):
    // summaries of 50,000 times read the times in athlete order, all over the file.
    // The file is not memory-mapped: a read error on a mapped file (a removed
    // stick) would end the program instead of reaching the caller as an error.
    // Setting the cache reads the schema; a file in use fails that, and is
    // reported as such by what follows.
    sqlite3_exec(h, "PRAGMA cache_size = -65536", nullptr, nullptr, nullptr);
}

} // namespace detail

namespace {

std::shared_ptr<Conn> openConnOnce(const QString &path, bool exclusive, bool readOnly, bool create)
{
    auto c = std::make_shared<Conn>();
    c->path = path;
    c->readOnly = readOnly;
    c->exclusive = exclusive;
    int flags = readOnly ? SQLITE_OPEN_READONLY : SQLITE_OPEN_READWRITE;
    if (create) flags |= SQLITE_OPEN_CREATE;
    // URI names are read so that a second file can be attached read-only
    // ("file:...?mode=ro"); the program's own paths are absolute.
    const int rc = sqlite3_open_v2(QFile::encodeName(path).constData(), &c->h, flags | SQLITE_OPEN_NOMUTEX | SQLITE_OPEN_URI,
                                   keepHandlePaths());
    if (rc != SQLITE_OK) {
        const int r = rc;
        sqlite3_close_v2(c->h);
        c->h = nullptr;
        raiseSqlite(nullptr, r, path, Ctx::Open);
    }
    configure(c->h);
    if (exclusive) {
        execRaw(c->h, QStringLiteral("PRAGMA locking_mode = EXCLUSIVE"));
        // Take the lock now: in exclusive locking mode it is kept until the file closes
        // (a shared lock for reading; for writing, the lock of a first write).
        try {
            execRaw(c->h, QStringLiteral("BEGIN; SELECT count(*) FROM sqlite_master; COMMIT"), Ctx::Open);
        } catch (const VbError &e) {
            if (e.Number() == JetErr::FileInUse)
                RaiseError(JetErr::FileInUse, QStringLiteral("Could not use '%1'; file already in use.").arg(path));
            if (e.Number() == JetErr::UnrecognizedFormat || e.Number() == JetErr::GenericEngine)
                RaiseError(JetErr::UnrecognizedFormat, QStringLiteral("Unrecognized database format '%1'.").arg(path));
            throw;
        }
    }
    return c;
}

} // namespace

namespace detail {

// A tool put a rebuilt copy in the file's place between the opening and the
// lock, or anything else took its name.
bool fileMoved(sqlite3 *h)
{
    int moved = 0;
    return sqlite3_file_control(h, "main", SQLITE_FCNTL_HAS_MOVED, &moved) == SQLITE_OK && moved;
}

// Compaction and repair hold the file locked until their copy has replaced
// it, so a lock taken on a file that is still named by path is a lock on what
// path holds. A lock won on a file replaced meanwhile is dropped and the file
// that now has the name is opened instead.
std::shared_ptr<Conn> openConn(const QString &path, bool exclusive, bool readOnly, bool create)
{
    for (int attempt = 0;; ++attempt) {
        auto c = openConnOnce(path, exclusive, readOnly, create);
        if (!exclusive || !fileMoved(c->h)) return c;
        if (attempt == 2)
            RaiseError(JetErr::FileInUse, QStringLiteral("Could not use '%1'; file already in use.").arg(path));
    }
}

void checkPassword(Conn &c, const QString &connect)
{
    QString salt, pwd;
    try {
        salt = metaValue(c.h, QStringLiteral("salt"));
        pwd = metaValue(c.h, QStringLiteral("pwd"));
    } catch (const VbError &e) {
        if (e.Number() == JetErr::FileInUse || e.Number() == 3260)
            RaiseError(JetErr::FileInUse, QStringLiteral("Could not use '%1'; file already in use.").arg(c.path));
        // Not one of our files (no metadata table) or not an SQLite file at all.
        RaiseError(JetErr::UnrecognizedFormat, QStringLiteral("Unrecognized database format '%1'.").arg(c.path));
    }
    if (pwd.isEmpty()) RaiseError(JetErr::UnrecognizedFormat, QStringLiteral("Unrecognized database format '%1'.").arg(c.path));
    if (hashPassword(salt, passwordFromConnect(connect)) != pwd)
        RaiseError(JetErr::NotValidPassword, QStringLiteral("Not a valid password."));
}

// A write in exclusive locking mode leaves the file locked against every other
// connection, in this process or another, until it is closed.
void takeWriteLock(Conn &c)
{
    try {
        execRaw(c.h, QStringLiteral("BEGIN EXCLUSIVE; UPDATE \"%1\" SET \"Value\" = \"Value\" WHERE \"Key\" = 'salt'; COMMIT")
                         .arg(kMeta), Ctx::Open);
    } catch (const VbError &e) {
        sqlite3_exec(c.h, "ROLLBACK", nullptr, nullptr, nullptr);
        if (e.Number() == JetErr::FileInUse || e.Number() == 3260)
            RaiseError(JetErr::FileInUse, QStringLiteral("Could not use '%1'; file already in use.").arg(c.path));
        throw;
    }
}

} // namespace detail

QString Conn::translate(const QString &jet, int paramOffset)
{
    if (!wideNamesValid && h) {
        wideNames.clear();
        Stmt s(h, QStringLiteral("SELECT m.name, p.name FROM sqlite_master AS m, pragma_table_info(m.name) AS p "
                                 "WHERE m.type IN ('table', 'view')"));
        auto add = [&](const QString &n) {
            for (QChar ch : n)
                if (ch.unicode() > 127) { wideNames.insert(n.toCaseFolded(), n); return; }
        };
        QString lastTable;
        while (sqlite3_step(s) == SQLITE_ROW) {
            const QString table = u8(reinterpret_cast<const char *>(sqlite3_column_text(s, 0)));
            if (table != lastTable) { add(table); lastTable = table; }
            add(u8(reinterpret_cast<const char *>(sqlite3_column_text(s, 1))));
        }
        wideNamesValid = true;
    }
    if (wideNames.isEmpty()) return jetsql::Translate(jet, paramOffset);
    return jetsql::Translate(jet, paramOffset, [this](const QString &n) { return wideNames.value(n.toCaseFolded()); });
}

namespace detail {

void registerConn(const std::shared_ptr<Conn> &c)
{
    const std::lock_guard<std::mutex> lock(registryMutex());
    auto &r = registry();
    r.erase(std::remove_if(r.begin(), r.end(), [](const std::weak_ptr<Conn> &w) { return w.expired(); }), r.end());
    r.push_back(c);
}

} // namespace detail

} // namespace dao

// ------------------------------------------------------------------ internal access

namespace dao::internal {

sqlite3 *Handle(const Database &db) { return db.impl()->conn().h; }

void Exec(const Database &db, const QString &sqliteSql) { execRaw(Handle(db), sqliteSql); }

[[noreturn]] void RaiseSqlite(const Database &db, int rc, const QString &sql) { raiseSqlite(Handle(db), rc, sql); }

} // namespace dao::internal
