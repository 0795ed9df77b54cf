#pragma once
// A small data-access layer over SQLite with the object model the program's
// windows are written against (DAO-like): databases opened exclusively with a
// password, recordsets that move, find and edit, table definitions, stored
// queries (views) and transactions. Jet SQL texts are translated before SQLite
// sees them (see JetSql.h). Every failure throws VbError with the Jet number.
#include "platform/error/VbError.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <QVariantList>

#include <functional>
#include <memory>
#include <optional>

namespace dao {

// ---- constants (numbers as DAO had them) -----------------------------------
enum RecordsetType {
    dbOpenDefault = 0,      // table for a table name, dynaset otherwise
    dbOpenTable = 1,        // one whole table, rowid order, updatable
    dbOpenDynaset = 2,      // updatable when the source is a single table
    dbOpenSnapshot = 4,     // read-only copy
    dbOpenForwardOnly = 8,  // read-only (treated as a snapshot)
    // On a file opened exclusively, a read-only result is read as the cursor
    // reaches its rows (RecordCount counts without reading them all); elsewhere
    // rows are read in full when a recordset opens.
};

enum RecordsetOption {
    dbReadOnly = 4,         // OpenRecordset option: no editing
    dbAppendOnly = 8,       // accepted, no effect on what is read
    dbFailOnError = 128,    // Execute option; every statement fails atomically anyway
};

enum FieldType {
    dbBoolean = 1, dbByte = 2, dbInteger = 3, dbLong = 4, dbCurrency = 5,
    dbSingle = 6, dbDouble = 7, dbDate = 8, dbText = 10, dbMemo = 12,
    dbTime = 22,            // a time of day / duration stored as "hh:mm:ss" (read back as QTime)
};

enum EditMode { dbEditNone = 0, dbEditInProgress = 1, dbEditAdd = 2 };

// Jet error numbers thrown by this layer (VbError::Number()).
namespace JetErr {
constexpr int UpdateWithoutEdit = 3020;    // "Update or CancelUpdate without AddNew or Edit."
constexpr int NoCurrentRecord = 3021;      // "No current record."
constexpr int DuplicateKey = 3022;         // duplicate value in index/primary key
constexpr int FileNotFound = 3024;         // "Could not find file '...'."
constexpr int DiskFull = 3026;             // "Not enough space on disk."
constexpr int ReadOnly = 3027;             // "Cannot update. Database or object is read-only."
constexpr int NotValidPassword = 3031;     // "Not a valid password."
constexpr int FileInUse = 3045;            // "Could not use '...'; file already in use."
constexpr int Canceled = 3059;             // "Operation canceled by user." (an interrupted statement)
constexpr int CannotOpen = 3049;           // file damaged / cannot be opened
constexpr int TooFewParameters = 3061;     // an unknown column name in a query
constexpr int SyntaxErrorInQuery = 3075;   // syntax error in a query expression
constexpr int SyntaxErrorInCriteria = 3077; // syntax error in a FindFirst criteria text
constexpr int TableNotFound = 3078;        // "... cannot find the input table or query '...'."
constexpr int TableExists = 3010;          // "Table '...' already exists."
constexpr int InvalidBookmark = 3159;      // "Not a valid bookmark."
constexpr int FieldTooSmall = 3163;        // text longer than the field size
constexpr int RecordDeleted = 3167;        // "Record is deleted."
constexpr int FieldDefinedTwice = 3191;    // "Cannot define field more than once."
constexpr int RelatedRecordRequired = 3201; // foreign key: no parent row
constexpr int RecordHasRelated = 3200;     // restricted delete (not used by the template)
constexpr int OperationNotSupported = 3251; // e.g. editing a read-only recordset type
constexpr int ItemNotFound = 3265;         // "Item not found in this collection." (field name)
constexpr int FieldIsRequired = 3314;      // Null in a required field
constexpr int ZeroLengthString = 3315;     // "" in a field that does not allow it
constexpr int UnrecognizedFormat = 3343;   // "Unrecognized database format '...'."
constexpr int ObjectClosed = 3420;         // "Object invalid or no longer set."
constexpr int TypeMismatch = 3464;         // "Data type mismatch in criteria expression."
constexpr int GenericEngine = 3000;        // anything the engine reports without a closer match
}

// The fixed password of the program's database files and the connect text
// used to open them (";PWD=" followed by the password).
extern const QString DatabasePassword;     // "K#T7740P£%%W"
QString DefaultConnect();                  // ";PWD=" + DatabasePassword

class Database;
class Recordset;
class PreparedStatement;
class ReadCursor;
using DatabasePtr = std::shared_ptr<Database>;
using RecordsetPtr = std::shared_ptr<Recordset>;
using PreparedStatementPtr = std::unique_ptr<PreparedStatement>;
using ReadCursorPtr = std::unique_ptr<ReadCursor>;

// ---- table definitions -------------------------------------------------------
struct FieldDef {
    QString name;
    FieldType type = dbText;
    int size = 0;                 // text: maximum characters (0 = 255); ignored for others
    bool allowZeroLength = true;  // text: "" accepted
    bool required = false;        // NOT NULL
    QVariant defaultValue{};      // invalid = none
};

struct IndexDef {
    QString name;
    QStringList fields;
    bool primary = false;
    bool unique = false;
};

// What a table holds (read back with Database::TableDefinition) or what to create.
struct TableDef {
    QString name;
    QList<FieldDef> fields;
    QList<IndexDef> indexes;
    int FieldCount() const { return int(fields.size()); }
};

// Description of one column of an open recordset.
struct FieldInfo {
    QString name;           // as the source names it
    FieldType type = dbText; // from the declared type where known, else from the first value
    QString sourceTable;    // base table for updatable columns, else empty
    QString sourceField;    // base column for updatable columns, else empty
    // A text field's declared size in characters, as the database counts them
    // (a character outside the Basic Multilingual Plane is one): the most it
    // takes. 0 for any other field, and where the source declares none.
    int size = 0;
};

// ---- engine-level functions ---------------------------------------------------
// Opens a file. exclusive: the file is locked for this connection until Close
// (a second opening, here or in another process, fails with FileInUse).
// While a file is open, do not open it by other means (QFile, copy): closing any
// other descriptor of the file drops this process's locks on it.
// connect: ";PWD=..." (case-insensitive key). Errors: FileNotFound, NotValidPassword,
// UnrecognizedFormat, FileInUse. A database is used by the thread that opened it;
// other threads may open and use their own at the same time.
// An opening that meets a file just replaced (by a compaction) opens its replacement.
DatabasePtr OpenDatabase(const QString &path, bool exclusive = true, bool readOnly = false,
                         const QString &connect = QString());

// Creates an empty database file protected by the password in connect (";PWD=...").
DatabasePtr CreateDatabase(const QString &path, const QString &connect = QString());

// Opens a file for work on the whole file (compaction, repair, conversion):
// locked as an exclusive opening is (FileInUse while it is open elsewhere),
// to be read and copied (CompactInto, CopyInto) but not written, until a
// finished copy has been renamed over it and it is closed. Without connect
// any password will do. Errors as OpenDatabase.
DatabasePtr OpenLockedFile(const QString &path, const std::optional<QString> &connect = std::nullopt);

// Copies source to destination squeezing free space out (VACUUM INTO); the source
// password comes from srcConnect, the copy keeps it. Errors as OpenDatabase.
void CompactDatabase(const QString &source, const QString &destination,
                     const QString &srcConnect = QString());
// Checks the file and, when the check fails, rebuilds its indexes, or the
// whole file from the rows of its tables when an index cannot be rebuilt in
// place. True when the file was changed. Error 3049 when rows cannot all be
// read: the file is then left as it was. Through a link, the file the link
// names is repaired and the link stays (links followed as the file writer
// follows them; a name through a folder handle stays in that folder). Meant
// for the tools' own working copies: a whole rebuild renames its copy over
// the file without the file writer's rules (owner, group), which a user's
// file gets from FileWrite::FileSwap. The rebuilt copy is private (mode 0600)
// until it takes the file's mode.
bool RepairDatabase(const QString &path, const QString &connect = QString());

// Quote a text as an SQL literal with single quotes doubled ("O'Neil" -> 'O''Neil').
// Prefer bound parameters; this is the one sanctioned literal helper.
QString SqlLiteral(const QString &text);

// ---- database -------------------------------------------------------------
class Database : public std::enable_shared_from_this<Database> {
public:
    ~Database();
    Database(const Database &) = delete;
    Database &operator=(const Database &) = delete;

    QString Name() const;          // the file path
    bool IsOpen() const;
    bool IsReadOnly() const;
    void Close();                  // closes in place; open recordsets become invalid (3420)

    // Runs an action statement (INSERT/UPDATE/DELETE/DDL) in Jet SQL.
    // params bind to "?" placeholders in order. Returns RecordsAffected.
    int Execute(const QString &sql, int options = 0, const QVariantList &params = {});
    int RecordsAffected() const;

    // Prepares an action statement (Jet SQL, "?" placeholders) once, to be run
    // many times with new values: an import storing thousands of rows pays for
    // translating and compiling the text only once. Errors as Execute.
    PreparedStatementPtr prepare(const QString &sql);

    // Opens a forward-only, read-only cursor over a query (Jet SQL, or the name
    // of a table or stored query). A statement SQLite does not report as
    // read-only is refused with error 3027 before it runs.
    ReadCursorPtr openCursor(const QString &source, const QVariantList &params = {});

    // Opens a table name, stored-query name or SQL text (Jet SQL).
    // dbOpenDefault: table type for a table name, dynaset otherwise.
    RecordsetPtr OpenRecordset(const QString &source, int type = dbOpenDefault, int options = 0,
                               const QVariantList &params = {});

    // Table definitions.
    QStringList TableNames() const;                 // user tables, names as stored (no views)
    bool TableExists(const QString &name) const;    // case-insensitive
    TableDef TableDefinition(const QString &name) const; // throws TableNotFound
    void CreateTable(const TableDef &def);          // fields + indexes; TableExists -> 3010
    void AppendField(const QString &table, const FieldDef &field); // ALTER TABLE ADD COLUMN
    void CreateIndex(const QString &table, const IndexDef &index);
    void DeleteTable(const QString &name);          // TableNotFound when absent

    // Stored queries (SQLite views).
    QStringList QueryNames() const;
    bool QueryExists(const QString &name) const;
    void CreateQuery(const QString &name, const QString &jetSql);
    void DeleteQuery(const QString &name);

    // Transactions on this database (nesting is not supported: 3034-like error).
    void BeginTrans();
    void CommitTrans();
    void Rollback();
    bool InTransaction() const;

    // Changes the password stored in the file (the connect text of later openings).
    void SetPassword(const QString &newPassword);

    // Runs a script of plain SQLite statements (no Jet translation): used to build
    // the template and test fixtures from .sql files.
    void ExecuteScript(const QString &sqliteSql);

    // Reads another open database from this one's statements, its tables named
    // "schema.[table]": a copy between two files then runs inside SQLite as
    // INSERT ... SELECT. The other file is attached in SQLite's read-only mode,
    // and any statement that would change it (write, create, drop, alter, a
    // pragma that sets) is refused when it is prepared, with error 3027. The
    // other database keeps its file locked for this program while it is open,
    // so the attachment takes no locks of its own; keep it open until Detach.
    // Refused with 3000-range errors: the same file as this one, either
    // database in a transaction, a schema name already in use.
    void AttachReadOnly(const Database &other, const QString &schema);
    // Ends an attachment (outside a transaction). Unknown names are ignored.
    void Detach(const QString &schema);

    // While set, a statement that runs long calls shouldStop about every
    // `steps` steps of SQLite's machine; true ends it with error 3059 (a
    // write inside a transaction may then have rolled the transaction back:
    // Rollback still ends it). An empty function removes the check.
    void SetInterruptCheck(std::function<bool()> shouldStop, int steps = 4000);

    // Copies of the whole file into destination, which must not exist or be
    // an empty file (3204 otherwise): a working copy made private beforehand
    // (MakeWorkingCopy) keeps its mode. They are made through this connection,
    // so an exclusive opening keeps the file locked while a tool copies it and
    // puts the finished copy in its place. CompactInto squeezes free space out
    // (the copy keeps the password); CopyInto copies every page as it is,
    // damage included (error 75 when the copy cannot be written).
    void CompactInto(const QString &destination);
    void CopyInto(const QString &destination);
    // Whether the name the file was opened by still names the file this
    // connection holds (false once another file took that name).
    bool NameStillHoldsFile() const;

    struct Impl;
    Impl *impl() const { return d.get(); }

private:
    friend DatabasePtr OpenDatabase(const QString &, bool, bool, const QString &);
    friend DatabasePtr CreateDatabase(const QString &, const QString &);
    friend DatabasePtr OpenLockedFile(const QString &, const std::optional<QString> &);
    Database();
    std::unique_ptr<Impl> d;
};

// An action statement compiled once (Database::prepare). Each execute binds
// new values; a failure leaves the statement ready for the next values.
class PreparedStatement {
public:
    ~PreparedStatement();
    PreparedStatement(const PreparedStatement &) = delete;
    PreparedStatement &operator=(const PreparedStatement &) = delete;

    // Binds params to the placeholders in order (missing ones are Null), runs
    // the statement and returns the number of rows it changed. Throws VbError
    // with the Jet number (3022 duplicate, 3201 no parent row ...); 3420 once
    // the database is closed.
    int execute(const QVariantList &params = {});

    struct Impl;

private:
    friend class Database;
    PreparedStatement();
    std::unique_ptr<Impl> d;
};

// A forward-only pass over the rows of a read-only query (Database::openCursor),
// for readers that go through a result once, such as a table printout. Column
// names and types are known when it opens; values come as QVariant, Null as an
// invalid QVariant, with the types Recordset::Value gives. Rows are those of
// the opening time: a write to the database while the cursor is open first
// reads the rest of its rows. An error met while reading is thrown by next().
class ReadCursor {
public:
    ~ReadCursor();
    ReadCursor(const ReadCursor &) = delete;
    ReadCursor &operator=(const ReadCursor &) = delete;

    int columnCount() const;
    QString columnName(int column) const;   // the name or alias the query gives
    // The declared type of a column read from a table; for a computed column
    // the type of its first row's value (dbText when that is Null or there are
    // no rows).
    FieldType columnType(int column) const;

    // Moves to the next row (the first row on the first call). False once the
    // rows are over; the cursor then has no current row.
    bool next();
    // A value of the current row; 3021 without a current row, 3265 for a
    // column that does not exist.
    QVariant value(int column) const;
    QVariant value(const QString &name) const;   // name without regard to case
    // Ends the pass and releases the statement; next() then returns false.
    void close();

    struct Impl;

private:
    friend class Database;
    ReadCursor();
    std::unique_ptr<Impl> d;
};

// The default workspace: transactions over every database opened while it is
// in force (like DBEngine.Workspaces(0)). BeginTrans starts a transaction on each
// database the calling thread has open (a worker's connections are its own);
// CommitTrans/Rollback end them all.
class Workspace {
public:
    static Workspace &Default();
    void BeginTrans();
    void CommitTrans();
    void Rollback();
};

// ---- recordset ----------------------------------------------------------------
// A recordset holds the rows of its opening time (with their rowid where the
// source is updatable): on a file opened exclusively they are read as the cursor
// reaches them, and anything that writes to the file, begins or ends a
// transaction or closes it first reads the rest. An error in a row is raised by
// the move that reaches it. Clones share rows and bookmarks with the original; a
// recordset sees its own additions (appended at the end), edits and deletions.
class Recordset : public std::enable_shared_from_this<Recordset> {
public:
    ~Recordset();
    Recordset(const Recordset &) = delete;
    Recordset &operator=(const Recordset &) = delete;

    QString Name() const;          // the source text as given to OpenRecordset
    int Type() const;              // dbOpenTable / dbOpenDynaset / dbOpenSnapshot
    bool Updatable() const;
    bool IsOpen() const;
    void Close();

    // Position.
    bool EOF_() const;             // "EOF" is a C macro; also available as AtEOF()
    bool AtEOF() const { return EOF_(); }
    bool BOF() const;
    void MoveFirst();              // 3021 when empty
    void MoveLast();
    void MoveNext();               // 3021 when already at EOF
    void MovePrevious();           // 3021 when already at BOF
    void Move(int rows);
    int RecordCount() const;       // rows not deleted
    int AbsolutePosition() const;  // 0-based, -1 when no current row
    void SetAbsolutePosition(int pos);
    double PercentPosition() const; // AbsolutePosition / RecordCount * 100 (0 when empty)
    void SetPercentPosition(double pct);
    QByteArray Bookmark() const;   // 3021 without a current row
    void SetBookmark(const QByteArray &bm); // 3159 when not valid for this recordset or its clones
    QByteArray LastModified() const;        // bookmark of the row last added or changed
    RecordsetPtr Clone() const;    // positioned on no row (BOF/EOF until moved), shares rows

    // Find with a Jet criteria text ("[IDPercorso] = ""Stelvio""", "[DistParz]>1.5",
    // "[Note] Like ""*top*"""); params bind to "?" placeholders in the criteria.
    // On no match NoMatch() is true and the position does not change.
    void FindFirst(const QString &criteria, const QVariantList &params = {});
    void FindLast(const QString &criteria, const QVariantList &params = {});
    void FindNext(const QString &criteria, const QVariantList &params = {});
    void FindPrevious(const QString &criteria, const QVariantList &params = {});
    bool NoMatch() const;

    // Fields. Names match without regard to case; an unknown name is 3265.
    // Values: null is a null QVariant; text QString; whole numbers int/qlonglong;
    // numbers double; dbDate QDate or QDateTime; dbTime QTime; dbBoolean bool.
    int FieldCount() const;
    QList<FieldInfo> Fields() const;
    QString FieldName(int index) const;
    int FieldIndex(const QString &name) const;    // -1 when absent
    bool HasField(const QString &name) const;
    QVariant Value(const QString &name) const;    // 3021 without a current row
    QVariant Value(int index) const;
    QVariant operator[](const QString &name) const { return Value(name); }
    void SetValue(const QString &name, const QVariant &value); // only between AddNew/Edit and Update
    void SetValue(int index, const QVariant &value);

    // Editing.
    void AddNew();
    void Edit();                   // 3021 without a current row
    void Update();                 // writes with bound parameters; refreshes the row
    void CancelUpdate();
    void Delete();                 // current row stays current but is deleted (3167) until moved
    int EditMode() const;
    void Requery();                // reads the source again, positioned on the first row

    // Listeners (data controls use them): called before the current row changes
    // (a move, find, bookmark or position assignment) and after it changed.
    // Setting Bookmark calls both even when the row is the same one.
    int AddMoveListener(std::function<void()> before, std::function<void()> after);
    void RemoveMoveListener(int id);

    struct Impl;
    Impl *impl() const { return d.get(); }

private:
    friend class Database;
    Recordset();
    std::unique_ptr<Impl> d;
};

} // namespace dao
