// Opening, creating, copying, compacting and repairing database files; closing
// them and running statements on them.
#include "platform/dao/DaoDetail.h"
#include "platform/dao/JetSql.h"
#include "platform/dao/WorkingCopies.h"
#include "platform/files/Causes.h"
#include "platform/files/Walk.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

#include <sqlite3.h>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace dao {

using namespace detail;

namespace {

// Runs the steps of opening a file; damage met by any of them is reported by
// the name the caller gave, not by the name SQLite resolved nor a statement.
template <typename Steps>
auto opening(const QString &path, Steps steps)
{
    try {
        return steps();
    } catch (const VbError &e) {
        if (e.Number() == JetErr::CannotOpen || e.Number() == JetErr::UnrecognizedFormat)
            raiseDamaged(e.Number(), path);
        throw;
    }
}

} // namespace

Database::Database() : d(std::make_unique<Impl>()) {}
Database::~Database()
{
    // Nothing may leave a destructor; what Close could not end is rolled
    // back by SQLite when the connection goes.
    try { Close(); } catch (const VbError &) {}
}

DatabasePtr OpenDatabase(const QString &path, bool exclusive, bool readOnly, const QString &connect)
{
    const QFileInfo fi(path);
    if (!fi.exists() || fi.isDir())
        RaiseError(JetErr::FileNotFound, QStringLiteral("Could not find file '%1'.").arg(path));
    // The file is not read here by other means: closing any other descriptor of
    // it would drop this process's locks on it. SQLite tells a foreign file.
    auto c = opening(path, [&] {
        auto conn = openConn(path, exclusive, readOnly, false);
        checkPassword(*conn, connect);
        if (exclusive && !readOnly) takeWriteLock(*conn);
        return conn;
    });
    registerConn(c);
    DatabasePtr db(new Database());
    db->d->c = c;
    return db;
}

DatabasePtr CreateDatabase(const QString &path, const QString &connect)
{
    if (QFileInfo::exists(path)) RaiseError(3204, QStringLiteral("Database already exists."));
    auto c = openConn(path, true, false, true);
    execRaw(c->h, QStringLiteral("CREATE TABLE \"%1\" (\"Key\" TEXT PRIMARY KEY, \"Value\" TEXT)").arg(kMeta));
    writePassword(c->h, passwordFromConnect(connect));
    registerConn(c);
    DatabasePtr db(new Database());
    db->d->c = c;
    return db;
}

DatabasePtr OpenLockedFile(const QString &path, const std::optional<QString> &connect)
{
    const QFileInfo fi(path);
    if (!fi.exists() || fi.isDir())
        RaiseError(JetErr::FileNotFound, QStringLiteral("Could not find file '%1'.").arg(path));
    auto c = opening(path, [&] {
        auto conn = openConn(path, true, false, false);
        try {
            checkPassword(*conn, connect.value_or(QString()));
        } catch (const VbError &e) {
            if (connect || e.Number() != JetErr::NotValidPassword) throw;
        }
        // No journal file: the connection writes nothing but the lock, and
        // closing it after another file has taken the name must not remove a
        // journal that by then is the new file's.
        execRaw(conn->h, QStringLiteral("PRAGMA journal_mode = MEMORY"));
        takeWriteLock(*conn);
        return conn;
    });
    registerConn(c);
    DatabasePtr db(new Database());
    db->d->c = c;
    return db;
}

namespace {

// A whole copy goes where nothing stands, or into an empty file made for it.
void checkDestination(const QString &destination)
{
    const QFileInfo fi(destination);
    if (fi.exists() && (!fi.isFile() || fi.size() != 0))
        RaiseError(3204, QStringLiteral("Database already exists."));
}

} // namespace

void Database::CompactInto(const QString &destination)
{
    checkDestination(destination);
    execRaw(d->conn().h, QStringLiteral("VACUUM INTO ") + SqlLiteral(destination));
}

void Database::CopyInto(const QString &destination)
{
    Conn &c = d->conn();
    checkDestination(destination);
    sqlite3 *to = nullptr;
    int rc = sqlite3_open_v2(QFile::encodeName(destination).constData(), &to,
                             SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOMUTEX, keepHandlePaths());
    if (rc == SQLITE_OK) {
        // Pages are copied as they are, without reading the tables they hold:
        // a damaged file copies whole, for the repair to work on.
        sqlite3_backup *b = sqlite3_backup_init(to, "main", c.h, "main");
        if (b) {
            rc = sqlite3_backup_step(b, -1);
            const int end = sqlite3_backup_finish(b);
            if (rc == SQLITE_DONE) rc = end;
        } else {
            rc = sqlite3_errcode(to);
        }
    }
    const int systemErrno = to ? sqlite3_system_errno(to) : 0;
    if (rc == SQLITE_OK) rc = sqlite3_close(to);
    else sqlite3_close_v2(to);
    if (rc != SQLITE_OK) {
        QFile::remove(destination);
        raiseWriteFailure(destination, rc, systemErrno);
    }
}

bool Database::NameStillHoldsFile() const { return IsOpen() && !fileMoved(d->c->h); }

void CompactDatabase(const QString &source, const QString &destination, const QString &srcConnect)
{
    if (QFileInfo::exists(destination)) RaiseError(3204, QStringLiteral("Database already exists."));
    DatabasePtr db = OpenDatabase(source, true, false, srcConnect);
    db->CompactInto(destination);
    db->Close();
}

namespace {

// Builds a new file beside path from the rows of every table of path, read
// straight from the tables and never through an index (an index may be what
// is damaged), with the indexes, views and triggers made afresh; once the new
// file passes the check it takes path's place, keeping path's permissions.
// path is found as the file writer finds files: through a link, the file the
// link names is rebuilt and the link stays; through a folder handle, in the
// folder the handle holds. The new file is made private beside it and
// everything is done through that folder's handle.
// Rows that cannot all be read fail the whole rebuild, so a file is never
// kept with rows missing; on failure path is left as it was.
void rebuildFromTables(const QString &path)
{
    files::Place place;
    const QString absolute = QDir::isAbsolutePath(path) ? path : QDir::currentPath() + QLatin1Char('/') + path;
    if (!files::Walk(absolute, true, &place)) {
        if (!place.refusedLink.isEmpty())
            RaiseError(75, files::FailureText(place.refusedLink, files::Cause::LinkOfAnotherUser));
        RaiseError(75, files::FailureText(path, files::CauseOfAnyErrno(place.error)));
    }
    struct Folder {
        int fd;
        ~Folder() { ::close(fd); }
    } folder{place.dir};
    const QByteArray name = QFile::encodeName(place.name);
    const QString file = files::ThroughHandle(folder.fd, place.name);
    QString fresh;
    sqlite3 *h = nullptr;
    auto discard = [&] {
        if (h) sqlite3_close_v2(h);
        h = nullptr;
        if (!fresh.isEmpty())
            ::unlinkat(folder.fd, QFile::encodeName(QFileInfo(fresh).fileName()).constData(), 0);
    };
    try {
        fresh = MakeWorkingCopy(folder.fd, place.name, QStringLiteral("rebuild"));
        if (sqlite3_open_v2(QFile::encodeName(fresh).constData(), &h, SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX,
                            keepHandlePaths()) != SQLITE_OK)
            RaiseError(JetErr::CannotOpen, QString());
        configure(h);
        // Children may be copied before their parents.
        execRaw(h, QStringLiteral("PRAGMA foreign_keys = OFF"));
        {
            Stmt attach(h, QStringLiteral("ATTACH ?1 AS old"));
            bindValue(attach, 1, file);
            if (sqlite3_step(attach) != SQLITE_DONE) raiseSqlite(h, sqlite3_errcode(h), path);
        }
        struct Item { QString type, name, sql; };
        std::vector<Item> items;
        {
            Stmt s(h, QStringLiteral("SELECT type, name, sql FROM old.sqlite_master "
                                     "WHERE sql IS NOT NULL AND name NOT LIKE 'sqlite\\_%' ESCAPE '\\' ORDER BY rowid"));
            int rc;
            while ((rc = sqlite3_step(s)) == SQLITE_ROW)
                items.push_back({u8(reinterpret_cast<const char *>(sqlite3_column_text(s, 0))),
                                 u8(reinterpret_cast<const char *>(sqlite3_column_text(s, 1))),
                                 u8(reinterpret_cast<const char *>(sqlite3_column_text(s, 2)))});
            if (rc != SQLITE_DONE) raiseSqlite(h, rc, QString());
        }
        bool sequence = false;
        {
            Stmt s(h, QStringLiteral("SELECT 1 FROM old.sqlite_master WHERE name = 'sqlite_sequence'"));
            sequence = sqlite3_step(s) == SQLITE_ROW;
        }
        execRaw(h, QStringLiteral("BEGIN"));
        for (const Item &it : items) {
            if (it.type != QLatin1String("table"))
                continue;
            execRaw(h, it.sql);
            // NOT INDEXED and the WHERE keep SQLite from copying the old
            // indexes page by page along with the rows.
            execRaw(h, QStringLiteral("INSERT INTO main.%1 SELECT * FROM old.%1 NOT INDEXED WHERE 1").arg(qi(it.name)));
        }
        if (sequence)
            execRaw(h, QStringLiteral("INSERT INTO main.sqlite_sequence SELECT * FROM old.sqlite_sequence WHERE 1"));
        // Indexes are built from the copied rows; triggers come last so the
        // copy fires none.
        for (const QString &type : {QStringLiteral("index"), QStringLiteral("view"), QStringLiteral("trigger")})
            for (const Item &it : items)
                if (it.type == type)
                    execRaw(h, it.sql);
        execRaw(h, QStringLiteral("COMMIT"));
        execRaw(h, QStringLiteral("DETACH old"));
        {
            Stmt s(h, QStringLiteral("PRAGMA main.integrity_check"));
            if (sqlite3_step(s) != SQLITE_ROW || u8(reinterpret_cast<const char *>(sqlite3_column_text(s, 0))) != QLatin1String("ok"))
                RaiseError(JetErr::CannotOpen, QString());
        }
        if (sqlite3_close(h) != SQLITE_OK)
            RaiseError(JetErr::CannotOpen, QString());
        h = nullptr;
        // The rebuilt file takes the file's mode, then its place.
        const QByteArray freshName = QFile::encodeName(QFileInfo(fresh).fileName());
        struct stat st {};
        const int fd = ::openat(folder.fd, freshName.constData(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
        const bool moded = fd >= 0 && ::fstatat(folder.fd, name.constData(), &st, AT_SYMLINK_NOFOLLOW) == 0
                           && ::fchmod(fd, st.st_mode & 07777) == 0;
        if (fd >= 0)
            ::close(fd);
        if (!moded || ::renameat(folder.fd, freshName.constData(), folder.fd, name.constData()) != 0)
            RaiseError(75, QStringLiteral("Path/File access error: cannot replace '%1'.").arg(path));
    } catch (const VbError &e) {
        discard();
        // A disk that filled, or a file that could not be written or
        // replaced, is told as such: the file itself may be sound. It is told
        // by the name the caller gave, never by the folder's handle.
        if (e.Number() == JetErr::DiskFull)
            raiseWriteFailure(path, SQLITE_FULL, 0);
        if (e.Number() == 75) {
            QString description = e.Description();
            description.replace(QRegularExpression(QRegularExpression::escape(files::ThroughHandle(folder.fd))
                                                   + QStringLiteral("/[^']*")),
                                path);
            RaiseError(75, description);
        }
        raiseDamaged(JetErr::CannotOpen, path);
    }
}

} // namespace

bool RepairDatabase(const QString &path, const QString &connect)
{
    Q_UNUSED(connect);
    const QFileInfo fi(path);
    if (!fi.exists()) RaiseError(JetErr::FileNotFound, QStringLiteral("Could not find file '%1'.").arg(path));
    return opening(path, [&] {
        auto c = openConn(path, true, false, false);
        auto ok = [&]() {
            Stmt s(c->h, QStringLiteral("PRAGMA integrity_check"));
            return sqlite3_step(s) == SQLITE_ROW && u8(reinterpret_cast<const char *>(sqlite3_column_text(s, 0))) == QLatin1String("ok");
        };
        if (ok()) return false;
        try {
            execRaw(c->h, QStringLiteral("REINDEX"));
            if (ok()) return true;
        } catch (const VbError &) {
            // An index too damaged to be dropped: rebuilt below.
        }
        c.reset();
        rebuildFromTables(path);
        return true;
    });
}

QString Database::Name() const { return d->c ? d->c->path : QString(); }
bool Database::IsOpen() const { return d->c && d->c->h; }
bool Database::IsReadOnly() const { return d->conn().readOnly; }

void Database::Close()
{
    if (!d->c || !d->c->h) return;
    drainLazy(d->c->h);
    if (d->c->transDepth > 0) sqlite3_exec(d->c->h, "ROLLBACK", nullptr, nullptr, nullptr);
    d->c->transDepth = 0;
    sqlite3_close_v2(d->c->h);
    d->c->h = nullptr;
}

int Database::Execute(const QString &sql, int options, const QVariantList &params)
{
    Q_UNUSED(options);
    Conn &c = d->conn();
    const QString tr = c.translate(sql);
    const QString kw = jetsql::FirstKeyword(tr);
    if (kw == QLatin1String("SELECT")) RaiseError(3065, QStringLiteral("Cannot execute a select query."));
    const Ctx ctx = kw == QLatin1String("DELETE") ? Ctx::Delete
                  : kw == QLatin1String("INSERT") ? Ctx::Insert
                  : kw == QLatin1String("UPDATE") ? Ctx::Update : Ctx::Query;
    Stmt s(c.h, tr, ctx, sql);
    bindAll(s, params);
    const int rc = sqlite3_step(s);
    if (rc != SQLITE_DONE && rc != SQLITE_ROW) raiseSqlite(c.h, rc, sql, ctx);
    c.lastChanges = sqlite3_changes(c.h);
    if (kw == QLatin1String("CREATE") || kw == QLatin1String("ALTER") || kw == QLatin1String("DROP")) c.schemaChanged();
    return c.lastChanges;
}

int Database::RecordsAffected() const { return d->conn().lastChanges; }

void Database::ExecuteScript(const QString &sqliteSql)
{
    d->conn().schemaChanged();
    execRaw(d->conn().h, sqliteSql);
}

void Database::SetPassword(const QString &newPassword) { writePassword(d->conn().h, newPassword); }

} // namespace dao
