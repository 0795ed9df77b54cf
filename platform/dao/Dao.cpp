#include "platform/dao/Dao.h"
#include "platform/dao/JetSql.h"
#include "platform/dao/DaoInternal.h"
#include "platform/dao/WorkingCopies.h"

#include <QCryptographicHash>
#include <QDate>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QLocale>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QTime>

#include <sqlite3.h>

#include <climits>
#include <cstdio>
#include <filesystem>
#include <deque>
#include <unordered_map>
#include <cmath>
#include <mutex>
#include <thread>
#include <atomic>
#include <vector>

namespace dao {

const QString DatabasePassword = QStringLiteral("K#T7740P\u00A3%%W");

QString DefaultConnect() { return QStringLiteral(";PWD=") + DatabasePassword; }

QString SqlLiteral(const QString &text)
{
    QString s = text;
    s.replace(QLatin1Char('\''), QStringLiteral("''"));
    return QLatin1Char('\'') + s + QLatin1Char('\'');
}

namespace {

const QString kMeta = QStringLiteral("__VettaroDb");
const QString kRowid = QStringLiteral("__rowid__");

QString qi(const QString &name)
{
    QString s = name;
    s.replace(QLatin1Char('"'), QStringLiteral("\"\""));
    return QLatin1Char('"') + s + QLatin1Char('"');
}

QString u8(const char *s) { return QString::fromUtf8(s ? s : ""); }

} // namespace

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

namespace {

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

enum class Ctx { Query, Insert, Update, Delete, Open };

// The file a connection reads, by the name it was opened with: a damaged file
// is reported by that name, whatever statement met the damage.
QString fileOf(sqlite3 *h)
{
    {
        const std::lock_guard<std::mutex> lock(registryMutex());
        for (const auto &w : registry())
            if (const auto c = w.lock(); c && c->h == h)
                return c->path;
    }
    const char *name = sqlite3_db_filename(h, "main");
    return name && *name ? QFile::decodeName(name) : QString();
}

// A file that is damaged (CannotOpen) or not a database (UnrecognizedFormat).
[[noreturn]] void raiseDamaged(int number, const QString &file)
{
    if (number == JetErr::UnrecognizedFormat)
        RaiseError(number, QStringLiteral("Unrecognized database format '%1'.").arg(file));
    RaiseError(JetErr::CannotOpen, QStringLiteral("Cannot open database '%1'. It may not be a database that your "
                                                  "application recognizes, or the file may be corrupt.").arg(file));
}

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

[[noreturn]] void raiseSqlite(sqlite3 *h, int rc, const QString &sql, Ctx ctx = Ctx::Query)
{
    const int ext = h ? sqlite3_extended_errcode(h) : rc;
    const QString msg = h ? u8(sqlite3_errmsg(h)) : u8(sqlite3_errstr(rc));
    // Errors raised by our own functions carry "#number#description".
    static const QRegularExpression own(QStringLiteral(R"(^#(\d+)#(.*)$)"));
    if (auto m = own.match(msg); m.hasMatch()) RaiseError(m.captured(1).toInt(), m.captured(2));

    if (msg.startsWith(QLatin1String("no such table: ")) || msg.startsWith(QLatin1String("no such view: "))) {
        QString name = msg.section(QLatin1String(": "), 1);
        if (name.startsWith(QLatin1String("main."))) name = name.mid(5);
        RaiseError(JetErr::TableNotFound,
                   QStringLiteral("The database engine cannot find the input table or query '%1'. "
                                  "Make sure it exists and that its name is spelled correctly.").arg(name));
    }
    if (msg.startsWith(QLatin1String("no such column: ")))
        RaiseError(JetErr::TooFewParameters, QStringLiteral("Too few parameters. Expected 1."));
    if (msg.startsWith(QLatin1String("no such function: ")))
        RaiseError(3085, QStringLiteral("Undefined function '%1' in expression.").arg(msg.section(QLatin1String(": "), 1)));
    if (msg.startsWith(QLatin1String("table ")) && msg.endsWith(QLatin1String(" already exists")))
        RaiseError(JetErr::TableExists, QStringLiteral("Table '%1' already exists.").arg(msg.mid(6, msg.size() - 21).remove(QLatin1Char('"'))));

    switch (ext) {
    case SQLITE_CONSTRAINT_UNIQUE:
    case SQLITE_CONSTRAINT_PRIMARYKEY:
        RaiseError(JetErr::DuplicateKey,
                   QStringLiteral("The changes you requested to the table were not successful because they would "
                                  "create duplicate values in the index, primary key, or relationship. Change the "
                                  "data in the field or fields that contain duplicate data, remove the index, or "
                                  "redefine the index to permit duplicate entries and try again."));
    case SQLITE_CONSTRAINT_FOREIGNKEY:
        if (ctx == Ctx::Delete)
            RaiseError(JetErr::RecordHasRelated,
                       QStringLiteral("The record cannot be deleted or changed because a related table includes related records."));
        RaiseError(JetErr::RelatedRecordRequired,
                   QStringLiteral("You cannot add or change a record because a related record is required in another table."));
    case SQLITE_CONSTRAINT_NOTNULL: {
        const QString f = msg.section(QLatin1String(": "), 1);
        RaiseError(JetErr::FieldIsRequired,
                   QStringLiteral("The field '%1' cannot contain a Null value because the Required property for "
                                  "this field is set to True. Enter a value in this field.").arg(f));
    }
    case SQLITE_CONSTRAINT_CHECK: {
        const QString c = msg.section(QLatin1String(": "), 1);
        const QString f = c.section(QLatin1Char(':'), 1);
        if (c.startsWith(QLatin1String("zls:")))
            RaiseError(JetErr::ZeroLengthString, QStringLiteral("Field '%1' cannot be a zero-length string.").arg(f));
        if (c.startsWith(QLatin1String("len:")))
            RaiseError(JetErr::FieldTooSmall,
                       QStringLiteral("The field is too small to accept the amount of data you attempted to add. "
                                      "Try inserting or pasting less data."));
        if (c.startsWith(QLatin1String("type:")))
            RaiseError(3421, QStringLiteral("Data type conversion error."));
        RaiseError(3317, QStringLiteral("One or more values are prohibited by the validation rule set for '%1'.").arg(c));
    }
    default:
        break;
    }
    switch (rc & 0xff) {
    case SQLITE_INTERRUPT:
        RaiseError(JetErr::Canceled, QStringLiteral("Operation canceled by user."));
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
        if (ctx == Ctx::Open)
            RaiseError(JetErr::FileInUse, QStringLiteral("Could not use '%1'; file already in use.").arg(sql));
        RaiseError(3260, QStringLiteral("Couldn't update; currently locked."));
    case SQLITE_READONLY:
    case SQLITE_AUTH:     // refused when prepared: a change to a file attached read-only
        RaiseError(JetErr::ReadOnly, QStringLiteral("Cannot update. Database or object is read-only."));
    case SQLITE_NOTADB:   // without a connection, sql is the path being opened
        raiseDamaged(JetErr::UnrecognizedFormat, h ? fileOf(h) : sql);
    case SQLITE_CORRUPT:
        raiseDamaged(JetErr::CannotOpen, h ? fileOf(h) : sql);
    case SQLITE_CANTOPEN:
        RaiseError(3044, QStringLiteral("'%1' isn't a valid path.").arg(sql));
    case SQLITE_ERROR:
        if (msg.contains(QLatin1String("syntax error")) || msg.contains(QLatin1String("incomplete input"))
            || msg.contains(QLatin1String("unrecognized token")))
            RaiseError(JetErr::SyntaxErrorInQuery,
                       QStringLiteral("Syntax error (missing operator) in query expression '%1'.").arg(sql));
        break;
    default:
        break;
    }
    RaiseError(JetErr::GenericEngine, QStringLiteral("Database engine error: %1").arg(msg));
}

[[noreturn]] void raiseClosed()
{
    RaiseError(JetErr::ObjectClosed, QStringLiteral("Object invalid or no longer set."));
}

[[noreturn]] void raiseNoCurrent()
{
    RaiseError(JetErr::NoCurrentRecord, QStringLiteral("No current record."));
}

[[noreturn]] void raiseTableNotFound(const QString &name)
{
    RaiseError(JetErr::TableNotFound,
               QStringLiteral("The database engine cannot find the input table or query '%1'. "
                              "Make sure it exists and that its name is spelled correctly.").arg(name));
}

// Recordsets read their rows from a statement left open on the connection
// while the cursor moves. Anything that could change what those statements
// would still return (a write, a transaction boundary, DDL, closing) first reads
// their remaining rows, so every recordset keeps the rows of its opening time.
void drainLazy(sqlite3 *h);

// A prepared statement that finalizes itself.
class Stmt {
public:
    Stmt(sqlite3 *h, const QString &sql, Ctx ctx = Ctx::Query, const QString &shownSql = QString())
        : m_h(h)
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
    sqlite3 *m_h;
    sqlite3_stmt *m_s = nullptr;
};

void bindValue(sqlite3_stmt *s, int idx, const QVariant &v)
{
    if (!v.isValid() || v.isNull()) { sqlite3_bind_null(s, idx); return; }
    auto text = [&](const QString &t) {
        const QByteArray b = t.toUtf8();
        sqlite3_bind_text(s, idx, b.constData(), int(b.size()), SQLITE_TRANSIENT);
    };
    switch (v.typeId()) {
    case QMetaType::Bool: sqlite3_bind_int(s, idx, v.toBool() ? 1 : 0); break;
    case QMetaType::Int: case QMetaType::UInt: case QMetaType::LongLong: case QMetaType::ULongLong:
    case QMetaType::Short: case QMetaType::UShort: case QMetaType::Long: case QMetaType::ULong:
    case QMetaType::Char: case QMetaType::SChar: case QMetaType::UChar:
        sqlite3_bind_int64(s, idx, v.toLongLong());
        break;
    case QMetaType::Double: case QMetaType::Float:
        sqlite3_bind_double(s, idx, v.toDouble());
        break;
    case QMetaType::QDate: text(v.toDate().toString(QStringLiteral("yyyy-MM-dd"))); break;
    case QMetaType::QTime: text(v.toTime().toString(QStringLiteral("hh:mm:ss"))); break;
    case QMetaType::QDateTime: text(v.toDateTime().toString(QStringLiteral("yyyy-MM-dd hh:mm:ss"))); break;
    case QMetaType::QByteArray: {
        const QByteArray b = v.toByteArray();
        sqlite3_bind_blob(s, idx, b.constData(), int(b.size()), SQLITE_TRANSIENT);
        break;
    }
    default: text(v.toString()); break;
    }
}

void bindAll(sqlite3_stmt *s, const QVariantList &params, int offset = 0)
{
    const int n = sqlite3_bind_parameter_count(s);
    for (int i = 0; i < params.size() && offset + i < n; ++i) bindValue(s, offset + i + 1, params[i]);
}

// How stored values are read back for a column.
enum class VK { Auto, Date, Time, Bool };

FieldType typeFromDecl(const QString &declIn, int *size = nullptr)
{
    const QString decl = declIn.trimmed().toUpper();
    static const QRegularExpression re(QStringLiteral(R"(^([A-Z_ ]+?)\s*(?:\(\s*(\d+)\s*\))?$)"));
    const auto m = re.match(decl);
    const QString base = m.hasMatch() ? m.captured(1).trimmed() : decl;
    const int n = m.hasMatch() && !m.captured(2).isEmpty() ? m.captured(2).toInt() : 0;
    if (size) *size = 0;
    if (base == QLatin1String("BIT") || base == QLatin1String("BOOLEAN") || base == QLatin1String("YESNO")) return dbBoolean;
    if (base == QLatin1String("TINYINT") || base == QLatin1String("BYTE")) return dbByte;
    if (base == QLatin1String("SMALLINT") || base == QLatin1String("SHORT")) return dbInteger;
    if (base == QLatin1String("INTEGER") || base == QLatin1String("INT") || base == QLatin1String("LONG")
        || base == QLatin1String("BIGINT")) return dbLong;
    if (base == QLatin1String("CURRENCY") || base == QLatin1String("MONEY")) return dbCurrency;
    if (base == QLatin1String("FLOAT") || base == QLatin1String("SINGLE") || base == QLatin1String("REAL")) return dbSingle;
    if (base == QLatin1String("DOUBLE") || base == QLatin1String("NUMERIC") || base == QLatin1String("DECIMAL")) return dbDouble;
    if (base == QLatin1String("DATE") || base == QLatin1String("DATETIME") || base == QLatin1String("TIMESTAMP")) return dbDate;
    if (base == QLatin1String("TIME")) return dbTime;
    if ((base == QLatin1String("TEXT") || base == QLatin1String("VARCHAR") || base == QLatin1String("CHAR")) && n > 0) {
        if (size) *size = n;
        return dbText;
    }
    if (base.contains(QLatin1String("TEXT")) || base == QLatin1String("MEMO") || base == QLatin1String("CLOB")) return dbMemo;
    return dbText;
}

QString declFor(const FieldDef &f)
{
    switch (f.type) {
    case dbBoolean: return QStringLiteral("BIT");
    case dbByte: return QStringLiteral("TINYINT");
    case dbInteger: return QStringLiteral("SMALLINT");
    case dbLong: return QStringLiteral("INTEGER");
    case dbCurrency: return QStringLiteral("CURRENCY");
    case dbSingle: return QStringLiteral("FLOAT");
    case dbDouble: return QStringLiteral("DOUBLE");
    case dbDate: return QStringLiteral("DATETIME");
    case dbTime: return QStringLiteral("TIME");
    case dbMemo: return QStringLiteral("LONGTEXT");
    case dbText: default: return QStringLiteral("TEXT(%1)").arg(f.size > 0 ? f.size : 255);
    }
}

bool isNumericType(FieldType t)
{
    return t == dbBoolean || t == dbByte || t == dbInteger || t == dbLong || t == dbCurrency || t == dbSingle
        || t == dbDouble;
}

bool isTextType(FieldType t) { return t == dbText || t == dbMemo; }

QString columnDef(const FieldDef &f, bool notNull)
{
    QString s = qi(f.name) + QLatin1Char(' ') + declFor(f);
    if (isTextType(f.type)) s += QStringLiteral(" COLLATE NOCASE");
    if (notNull || f.required) s += QStringLiteral(" NOT NULL");
    if (f.defaultValue.isValid() && !f.defaultValue.isNull()) {
        const QVariant &d = f.defaultValue;
        if (d.typeId() == QMetaType::QString) s += QStringLiteral(" DEFAULT ") + SqlLiteral(d.toString());
        else if (d.typeId() == QMetaType::Bool) s += d.toBool() ? QStringLiteral(" DEFAULT 1") : QStringLiteral(" DEFAULT 0");
        else s += QStringLiteral(" DEFAULT ") + d.toString();
    }
    if (isTextType(f.type) && !f.allowZeroLength)
        s += QStringLiteral(" CONSTRAINT %1 CHECK (%2 <> '')").arg(qi(QStringLiteral("zls:") + f.name), qi(f.name));
    if (f.type == dbText)
        s += QStringLiteral(" CONSTRAINT %1 CHECK (length(%2) <= %3)")
                 .arg(qi(QStringLiteral("len:") + f.name), qi(f.name)).arg(f.size > 0 ? f.size : 255);
    // typeof() gives one of five names, so refusing 'text' and 'blob' accepts
    // exactly integer, real and null. Files made before hold the three-name
    // form "IN ('integer','real','null')", which accepts the same values; a
    // three-entry IN list builds a lookup table on every execution of a
    // statement and made bulk inserts several times slower, where two entries
    // are tested by plain comparisons.
    if (isNumericType(f.type))
        s += QStringLiteral(" CONSTRAINT %1 CHECK (typeof(%2) NOT IN ('text','blob'))")
                 .arg(qi(QStringLiteral("type:") + f.name), qi(f.name));
    return s;
}

QVariant readColumn(sqlite3_stmt *s, int i, VK kind)
{
    switch (sqlite3_column_type(s, i)) {
    case SQLITE_NULL: return QVariant();
    case SQLITE_INTEGER: {
        const qint64 v = sqlite3_column_int64(s, i);
        if (kind == VK::Bool) return QVariant(v != 0);
        if (v >= INT_MIN && v <= INT_MAX) return QVariant(int(v));
        return QVariant(qlonglong(v));
    }
    case SQLITE_FLOAT: return QVariant(sqlite3_column_double(s, i));
    case SQLITE_BLOB:
        return QByteArray(static_cast<const char *>(sqlite3_column_blob(s, i)), sqlite3_column_bytes(s, i));
    default: {
        const QString t = QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(s, i)),
                                            sqlite3_column_bytes(s, i));
        if (kind == VK::Date || kind == VK::Time) {
            // Fast paths for the stored forms; anything else goes through the parsers below.
            const char *p = reinterpret_cast<const char *>(sqlite3_column_text(s, i));
            const int n = sqlite3_column_bytes(s, i);
            auto dig = [p](int k) { return p[k] >= '0' && p[k] <= '9'; };
            auto num2 = [p](int k) { return (p[k] - '0') * 10 + (p[k + 1] - '0'); };
            auto isTime = [&](int o) {
                return dig(o) && dig(o + 1) && p[o + 2] == ':' && dig(o + 3) && dig(o + 4) && p[o + 5] == ':'
                    && dig(o + 6) && dig(o + 7);
            };
            auto isDate = [&]() {
                return dig(0) && dig(1) && dig(2) && dig(3) && p[4] == '-' && dig(5) && dig(6) && p[7] == '-'
                    && dig(8) && dig(9);
            };
            if (kind == VK::Time && n == 8 && isTime(0)) {
                const QTime q(num2(0), num2(3), num2(6));
                if (q.isValid()) return q;
            } else if (kind == VK::Date && n == 10 && isDate()) {
                const QDate d(num2(0) * 100 + num2(2), num2(5), num2(8));
                if (d.isValid()) return d;
            } else if (kind == VK::Date && n == 19 && p[10] == ' ' && isDate() && isTime(11)) {
                const QDateTime dt(QDate(num2(0) * 100 + num2(2), num2(5), num2(8)),
                                   QTime(num2(11), num2(14), num2(17)));
                if (dt.isValid()) return dt;
            }
        }
        if (kind == VK::Date) {
            if (t.size() == 10) {
                const QDate d = QDate::fromString(t, Qt::ISODate);
                if (d.isValid()) return d;
            } else if (t.size() >= 16) {
                QDateTime dt = QDateTime::fromString(t.left(19), QStringLiteral("yyyy-MM-dd hh:mm:ss"));
                if (!dt.isValid()) dt = QDateTime::fromString(t.left(16), QStringLiteral("yyyy-MM-dd hh:mm"));
                if (dt.isValid()) return dt;
            }
        } else if (kind == VK::Time) {
            const QString tt = t.size() > 10 && t[10] == QLatin1Char(' ') ? t.mid(11) : t;
            QTime q = QTime::fromString(tt, QStringLiteral("hh:mm:ss"));
            if (!q.isValid()) q = QTime::fromString(tt, QStringLiteral("h:mm:ss"));
            if (!q.isValid()) q = QTime::fromString(tt, QStringLiteral("hh:mm"));
            if (q.isValid()) return q;
        }
        return t;
    }
    }
}

VK kindFor(FieldType t)
{
    switch (t) {
    case dbDate: return VK::Date;
    case dbTime: return VK::Time;
    case dbBoolean: return VK::Bool;
    default: return VK::Auto;
    }
}

// Jet-like conversion of a value assigned to a field of a given type: texts
// typed into bound controls become numbers or dates; an empty text in a
// non-text field is Null.
QVariant coerce(const QVariant &v, FieldType t, const QString &fieldName)
{
    if (!v.isValid() || v.isNull()) return QVariant();
    auto fail = [&]() -> QVariant {
        RaiseError(3421, QStringLiteral("Data type conversion error."));
    };
    const bool isText = v.typeId() == QMetaType::QString;
    if (isTextType(t)) {
        if (v.typeId() == QMetaType::QDate) return v.toDate().toString(QStringLiteral("yyyy-MM-dd"));
        if (v.typeId() == QMetaType::QTime) return v.toTime().toString(QStringLiteral("hh:mm:ss"));
        if (v.typeId() == QMetaType::QDateTime) return v.toDateTime().toString(QStringLiteral("yyyy-MM-dd hh:mm:ss"));
        if (v.typeId() == QMetaType::Double) return QString::number(v.toDouble(), 'g', 15);
        return v.toString();
    }
    if (isText && v.toString().trimmed().isEmpty()) return QVariant();
    if (isNumericType(t)) {
        double d = 0;
        bool ok = false;
        if (isText) {
            const QString s = v.toString().trimmed();
            d = QLocale().toDouble(s, &ok);
            if (!ok) d = QLocale::c().toDouble(s, &ok);
            if (!ok && t == dbBoolean) {
                if (s.compare(QLatin1String("true"), Qt::CaseInsensitive) == 0) { d = 1; ok = true; }
                else if (s.compare(QLatin1String("false"), Qt::CaseInsensitive) == 0) { d = 0; ok = true; }
            }
        } else if (v.typeId() == QMetaType::Bool) {
            d = v.toBool() ? 1 : 0;
            ok = true;
        } else {
            d = v.toDouble(&ok);
        }
        if (!ok || !std::isfinite(d)) fail();
        switch (t) {
        case dbBoolean: return QVariant(d != 0);
        case dbByte:
        case dbInteger:
        case dbLong: {
            const double r = std::nearbyint(d);
            const double lo = t == dbByte ? 0 : t == dbInteger ? -32768 : -2147483648.0;
            const double hi = t == dbByte ? 255 : t == dbInteger ? 32767 : 2147483647.0;
            if (r < lo || r > hi) RaiseError(VbErr::Overflow, QStringLiteral("Overflow"));
            return QVariant(int(r));
        }
        default: return QVariant(d);   // singles too: kept as typed, so 12.3 reads back as 12.3
        }
    }
    if (t == dbDate) {
        if (v.typeId() == QMetaType::QDate) return v;
        if (v.typeId() == QMetaType::QDateTime) {
            const QDateTime dt = v.toDateTime();
            return dt.time() == QTime(0, 0) ? QVariant(dt.date()) : QVariant(dt);
        }
        if (isText) {
            const QString s = v.toString().trimmed();
            QDate d = QDate::fromString(s, Qt::ISODate);
            if (!d.isValid()) d = QLocale().toDate(s, QLocale::ShortFormat);
            if (!d.isValid()) d = QLocale().toDate(s, QStringLiteral("d/M/yyyy"));
            if (d.isValid()) return d;
            QDateTime dt = QDateTime::fromString(s, Qt::ISODate);
            if (!dt.isValid()) dt = QLocale().toDateTime(s, QLocale::ShortFormat);
            if (dt.isValid()) return dt.time() == QTime(0, 0) ? QVariant(dt.date()) : QVariant(dt);
            const QString iso = jetsql::DateLiteralToIso(s);
            if (iso.size() == 10) return QDate::fromString(iso, Qt::ISODate);
            if (iso.size() > 10) return QDateTime::fromString(iso, QStringLiteral("yyyy-MM-dd hh:mm:ss"));
        }
        fail();
    }
    if (t == dbTime) {
        if (v.typeId() == QMetaType::QTime) return v;
        if (v.typeId() == QMetaType::QDateTime) return v.toDateTime().time();
        if (isText) {
            const QString s = v.toString().trimmed();
            for (const char *f : {"hh:mm:ss", "h:mm:ss", "hh:mm", "h:mm", "hh.mm.ss", "h.mm.ss"}) {
                const QTime q = QTime::fromString(s, QLatin1String(f));
                if (q.isValid()) return q;
            }
        }
        fail();
    }
    Q_UNUSED(fieldName);
    return v;
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

QString hashPassword(const QString &salt, const QString &password)
{
    return QString::fromLatin1(
        QCryptographicHash::hash((salt + password).toUtf8(), QCryptographicHash::Sha256).toHex());
}

void execRaw(sqlite3 *h, const QString &sql, Ctx ctx = Ctx::Query)
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
    const int rc = sqlite3_open_v2(QFile::encodeName(path).constData(), &c->h, flags | SQLITE_OPEN_NOMUTEX | SQLITE_OPEN_URI, nullptr);
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

// True when the name the connection was opened by now names another file: a
// tool put a rebuilt copy in its place between the opening and the lock.
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

} // namespace

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

namespace {

void registerConn(const std::shared_ptr<Conn> &c)
{
    const std::lock_guard<std::mutex> lock(registryMutex());
    auto &r = registry();
    r.erase(std::remove_if(r.begin(), r.end(), [](const std::weak_ptr<Conn> &w) { return w.expired(); }), r.end());
    r.push_back(c);
}

} // namespace

// ------------------------------------------------------------------ database

struct Database::Impl {
    std::shared_ptr<Conn> c;
    Conn &conn() const
    {
        if (!c || !c->h) raiseClosed();
        return *c;
    }
};

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

void Database::CompactInto(const QString &destination)
{
    if (QFileInfo::exists(destination)) RaiseError(3204, QStringLiteral("Database already exists."));
    execRaw(d->conn().h, QStringLiteral("VACUUM INTO ") + SqlLiteral(destination));
}

void Database::CopyInto(const QString &destination)
{
    Conn &c = d->conn();
    if (QFileInfo::exists(destination)) RaiseError(3204, QStringLiteral("Database already exists."));
    sqlite3 *to = nullptr;
    int rc = sqlite3_open_v2(QFile::encodeName(destination).constData(), &to,
                             SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_EXCLUSIVE | SQLITE_OPEN_NOMUTEX, nullptr);
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
    if (rc == SQLITE_OK) rc = sqlite3_close(to);
    else sqlite3_close_v2(to);
    if (rc != SQLITE_OK) {
        QFile::remove(destination);
        RaiseError(75, QStringLiteral("Path/File access error: cannot write '%1'.").arg(destination));
    }
}

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
// Rows that cannot all be read fail the whole rebuild, so a file is never
// kept with rows missing; on failure path is left as it was.
void rebuildFromTables(const QString &path)
{
    const QString fresh = WorkingCopyPath(path, QStringLiteral("rebuild"));
    sqlite3 *h = nullptr;
    auto discard = [&] {
        if (h) sqlite3_close_v2(h);
        h = nullptr;
        QFile::remove(fresh);
    };
    try {
        if (sqlite3_open_v2(QFile::encodeName(fresh).constData(), &h,
                            SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_EXCLUSIVE | SQLITE_OPEN_NOMUTEX,
                            nullptr) != SQLITE_OK)
            RaiseError(JetErr::CannotOpen, QString());
        configure(h);
        // Children may be copied before their parents.
        execRaw(h, QStringLiteral("PRAGMA foreign_keys = OFF"));
        {
            Stmt attach(h, QStringLiteral("ATTACH ?1 AS old"));
            bindValue(attach, 1, path);
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
        std::error_code ec;
        std::filesystem::permissions(QFile::encodeName(fresh).toStdString(),
                                     std::filesystem::status(QFile::encodeName(path).toStdString(), ec).permissions(), ec);
        if (::rename(QFile::encodeName(fresh).constData(), QFile::encodeName(path).constData()) != 0)
            RaiseError(75, QStringLiteral("Path/File access error: cannot replace '%1'.").arg(path));
    } catch (const VbError &) {
        discard();
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

QString findName(const QStringList &names, const QString &name)
{
    for (const QString &n : names)
        if (n.compare(name, Qt::CaseInsensitive) == 0) return n;
    return {};
}

} // namespace

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

void Database::BeginTrans()
{
    Conn &c = d->conn();
    execRaw(c.h, c.transDepth == 0 ? QStringLiteral("BEGIN") : QStringLiteral("SAVEPOINT t%1").arg(c.transDepth));
    ++c.transDepth;
}

namespace {
// Ends the innermost transaction level. A COMMIT can fail and leave the
// transaction open (a deferred constraint): the level is then kept, so the
// caller's Rollback still ends it instead of finding no transaction and
// leaving every later change uncommitted.
void commitLevel(Conn &c)
{
    --c.transDepth;
    try {
        execRaw(c.h, c.transDepth == 0 ? QStringLiteral("COMMIT") : QStringLiteral("RELEASE t%1").arg(c.transDepth));
    } catch (...) {
        if (!sqlite3_get_autocommit(c.h)) ++c.transDepth;
        throw;
    }
}
} // namespace

void Database::CommitTrans()
{
    Conn &c = d->conn();
    if (c.transDepth == 0)
        RaiseError(3034, QStringLiteral("You tried to commit or rollback a transaction without first beginning a transaction."));
    commitLevel(c);
}

void Database::Rollback()
{
    Conn &c = d->conn();
    if (c.transDepth == 0)
        RaiseError(3034, QStringLiteral("You tried to commit or rollback a transaction without first beginning a transaction."));
    --c.transDepth;
    // An interrupted statement, or one that ran out of memory or disk, may
    // have rolled the whole transaction back already: nothing is left to end.
    if (sqlite3_get_autocommit(c.h)) {
        c.transDepth = 0;
        return;
    }
    if (c.transDepth == 0) execRaw(c.h, QStringLiteral("ROLLBACK"));
    else execRaw(c.h, QStringLiteral("ROLLBACK TO t%1; RELEASE t%1").arg(c.transDepth));
}

bool Database::InTransaction() const { return d->conn().transDepth > 0; }

// ------------------------------------------------------------------ workspace

namespace {
// A workspace transaction spans the connections of the thread that begins it:
// a worker's connections are its own.
std::vector<std::weak_ptr<Conn>> &workspaceTrans()
{
    thread_local std::vector<std::weak_ptr<Conn>> t;
    return t;
}
void forEachOpen(const std::function<void(Conn &)> &fn)
{
    for (const auto &c : threadConnections())
        if (c->h) fn(*c);
}
} // namespace

Workspace &Workspace::Default()
{
    static Workspace w;
    return w;
}

void Workspace::BeginTrans()
{
    forEachOpen([](Conn &c) {
        execRaw(c.h, c.transDepth == 0 ? QStringLiteral("BEGIN") : QStringLiteral("SAVEPOINT t%1").arg(c.transDepth));
        ++c.transDepth;
    });
    workspaceTrans().clear();
    for (const auto &c : threadConnections())
        workspaceTrans().push_back(c);
}

void Workspace::CommitTrans()
{
    bool any = false;
    for (auto &w : workspaceTrans())
        if (auto c = w.lock(); c && c->h && c->transDepth > 0) {
            any = true;
            commitLevel(*c);
        }
    workspaceTrans().clear();
    if (!any) RaiseError(3034, QStringLiteral("You tried to commit or rollback a transaction without first beginning a transaction."));
}

void Workspace::Rollback()
{
    bool any = false;
    for (auto &w : workspaceTrans())
        if (auto c = w.lock(); c && c->h && c->transDepth > 0) {
            any = true;
            --c->transDepth;
            if (c->transDepth == 0) execRaw(c->h, QStringLiteral("ROLLBACK"));
            else execRaw(c->h, QStringLiteral("ROLLBACK TO t%1; RELEASE t%1").arg(c->transDepth));
        }
    workspaceTrans().clear();
    if (!any) RaiseError(3034, QStringLiteral("You tried to commit or rollback a transaction without first beginning a transaction."));
}

// ------------------------------------------------------------------ recordset

namespace {

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

// Recordsets still reading, by connection; reached from every thread that
// has connections, so only under its mutex, and never while one drains.
std::mutex &lazyMutex()
{
    static std::mutex m;
    return m;
}

std::unordered_map<sqlite3 *, std::vector<std::weak_ptr<Storage>>> &lazyCursors()
{
    static std::unordered_map<sqlite3 *, std::vector<std::weak_ptr<Storage>>> m;
    return m;
}

void registerLazy(const std::shared_ptr<Storage> &st)
{
    const std::lock_guard<std::mutex> lock(lazyMutex());
    auto &v = lazyCursors()[st->h];
    v.erase(std::remove_if(v.begin(), v.end(), [](const std::weak_ptr<Storage> &w) {
                auto p = w.lock();
                return !p || p->done;
            }), v.end());
    v.push_back(st);
}

void drainLazy(sqlite3 *h)
{
    std::vector<std::weak_ptr<Storage>> list;
    {
        const std::lock_guard<std::mutex> lock(lazyMutex());
        auto &m = lazyCursors();
        const auto it = m.find(h);
        if (it == m.end()) return;
        list = std::move(it->second);
        m.erase(it);
    }
    for (const auto &w : list)
        if (auto p = w.lock()) p->drain();
}

quint32 nextStorageId()
{
    static std::atomic<quint32> n{0};
    return ++n;
}

constexpr int kBOF = -1;
constexpr int kEOF = INT_MAX;
constexpr int kNone = -2;  // a fresh clone: no current row, neither BOF nor EOF

} // namespace

struct Recordset::Impl {
    std::shared_ptr<Conn> conn;
    QString name;        // source as given
    QString sql;         // SQLite text that is run
    QVariantList params;
    int type = dbOpenDynaset;
    bool updatable = false;
    QString table;       // base table when updatable
    QList<FieldInfo> fields;
    QVector<VK> kinds;
    QVector<FieldType> types;
    QHash<QString, int> byName;  // case-folded name -> index
    std::shared_ptr<Storage> st;
    int cur = kBOF;
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
        if (!open || !conn || !conn->h) raiseClosed();
        return *conn;
    }
    void checkOpen() const
    {
        if (!open) raiseClosed();
    }
    // Every row, those not read yet included.
    int count() const
    {
        st->fetchAll();
        return st->size();
    }
    bool valid(int i) const { return i >= 0 && i != kEOF && st->ensure(i); }
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
        if (!valid(cur)) raiseNoCurrent();
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
        f.type = decl ? typeFromDecl(u8(decl)) : dbText;
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

namespace dao {

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

// ------------------------------------------------------------------ internal access

namespace dao::internal {

sqlite3 *Handle(const Database &db) { return db.impl()->conn().h; }

void Exec(const Database &db, const QString &sqliteSql) { execRaw(Handle(db), sqliteSql); }

[[noreturn]] void RaiseSqlite(const Database &db, int rc, const QString &sql) { raiseSqlite(Handle(db), rc, sql); }

} // namespace dao::internal
