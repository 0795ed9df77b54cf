// SQLite result codes turned into the errors the layer throws, with their
// Jet numbers and descriptions.
#include "platform/dao/DaoDetail.h"
#include "platform/files/Causes.h"

#include <QFile>
#include <QRegularExpression>

#include <sqlite3.h>

#include <cerrno>
#include <mutex>

namespace dao::detail {

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

[[noreturn]] void raiseWriteFailure(const QString &file, int rc, int systemErrno)
{
    const int code = rc & 0xff;
    const QString cause = code == SQLITE_FULL       ? files::CauseOfErrno(ENOSPC)
                          : code == SQLITE_READONLY ? files::CauseOfErrno(EROFS)
                                                    : files::CauseOfErrno(systemErrno);
    if (cause.isEmpty())
        RaiseError(75, QStringLiteral("Path/File access error: cannot write '%1'.").arg(file));
    RaiseError(75, files::FailureText(file, cause));
}

[[noreturn]] void raiseSqlite(sqlite3 *h, int rc, const QString &sql, Ctx ctx)
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
    case SQLITE_FULL: {
        const QString file = h ? fileOf(h) : sql;
        RaiseError(JetErr::DiskFull, file.isEmpty() ? QStringLiteral("Not enough space on disk.")
                                                    : QStringLiteral("Not enough space on disk: '%1'.").arg(file));
    }
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

} // namespace dao::detail
