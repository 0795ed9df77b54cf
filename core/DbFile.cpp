#include "core/DbFile.h"

#include "core/DataGlobals.h"
#include "platform/shell/FileWrite.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>

#include <cerrno>

using namespace dao;

namespace {
const QString SampleTables[] = {QStringLiteral("CampioniSalite"), QStringLiteral("CampioniPercorsi")};
const QString CardTables[] = {QStringLiteral("Dati Salite"), QStringLiteral("Dati Percorsi")};

FieldDef TextField(const QString &name, bool allowZeroLength)
{
    FieldDef f;
    f.name = name;
    f.type = dbText;
    f.size = 250;
    f.allowZeroLength = allowZeroLength;
    return f;
}

QString ProgramFolder()
{
    return AppPath.isEmpty() ? QStringLiteral(".") : AppPath;
}
}

QString TemplatePath()
{
    return QDir(ProgramFolder()).filePath(QStringLiteral("ZidoVodu.dat"));
}

QString IconFolder()
{
    return QDir(ProgramFolder()).filePath(QStringLiteral("Icons"));
}

void CreateFromTemplate(const QString &path)
{
    const QString source = TemplatePath();
    if (!QFileInfo::exists(source))
        throw VbError(VbErr::FileNotFound, QStringLiteral("File not found: %1").arg(source));

    // A database another running copy of the program has open is not
    // replaced under it (its later writes would go to the deleted file): the
    // file is refused as opening it would be. The lock taken by the probe is
    // held until the new file stands in its place.
    DatabasePtr probe;
    if (QFileInfo::exists(path)) {
        try {
            probe = OpenDatabase(path, true, true, DefaultConnect());
        } catch (const VbError &e) {
            if (e.Number() == JetErr::FileInUse)
                throw;
            // Not one of our files, or another password: nobody holds it.
        }
    }

    // The copy is written under a temporary name beside the target and then
    // renamed over it in one step: a failure leaves the old file as it was.
    QFile in(source);
    if (!in.open(QIODevice::ReadOnly))
        throw VbError(75, QStringLiteral("Path/File access error: %1").arg(source));
    FileWrite::SafeFileWriter out(path);
    auto failed = [&] {
        if (out.causeKey() == files::Cause::DiskFull)
            throw VbError(61, QStringLiteral("Disk full: %1").arg(path));
        out.raise();
    };
    if (!out.open())
        failed();
    while (!in.atEnd()) {
        const QByteArray chunk = in.read(1 << 16);
        if (chunk.isEmpty() && in.error() != QFileDevice::NoError)
            throw VbError(57, QStringLiteral("Device I/O error: %1").arg(source));
        if (!out.write(chunk))
            failed();
    }
    if (!out.commit())
        failed();
}

namespace {
// The text of a stored query as SQLite keeps it ("" when there is none).
QString ViewText(Database &db, const QString &name)
{
    auto c = db.openCursor(QStringLiteral("SELECT sql FROM sqlite_master WHERE type = 'view' AND name = ?"), {name});
    return c->next() ? c->value(0).toString() : QString();
}

// Stored queries whose newer form gives the same rows faster: a file made by
// an earlier version takes the template's form, so the per-athlete summary
// opens as fast on it as on a new file. No table changes.
const QString RefreshedViews[] = {QStringLiteral("Riepilogo per Atleta")};

void RefreshViews(Database &db)
{
    if (db.IsReadOnly() || !QFileInfo::exists(TemplatePath()))
        return;
    DatabasePtr model = OpenDatabase(TemplatePath(), false, true, DefaultConnect());
    for (const QString &name : RefreshedViews) {
        const QString wanted = ViewText(*model, name);
        const QString stored = ViewText(db, name);
        if (wanted.isEmpty() || stored.isEmpty() || wanted == stored)
            continue;
        db.BeginTrans();
        try {
            db.ExecuteScript(QStringLiteral("DROP VIEW \"%1\";\n").arg(name) + wanted + QLatin1Char(';'));
        } catch (const VbError &) {
            db.Rollback();
            throw;
        }
        db.CommitTrans();
    }
    model->Close();
}
} // namespace

void UpgradeDatabase(Database &db)
{
    for (const QString &table : SampleTables)
        if (db.TableDefinition(table).FieldCount() == 5)
            db.AppendField(table, TextField(QStringLiteral("image"), true));

    if (!db.TableExists(QStringLiteral("States"))) {
        TableDef states;
        states.name = QStringLiteral("States");
        states.fields << TextField(QStringLiteral("State"), false);
        IndexDef key;
        key.name = QStringLiteral("keyState");
        key.fields << QStringLiteral("State");
        key.primary = true;
        key.unique = true;
        states.indexes << key;
        // The table and both fields come together or not at all: a file left
        // with "States" but without "Stato" would never be upgraded again,
        // since the next opening looks only for the table.
        db.BeginTrans();
        try {
            db.CreateTable(states);
            for (const QString &table : CardTables)
                db.AppendField(table, TextField(QStringLiteral("Stato"), true));
        } catch (...) {
            try {
                db.Rollback();
            } catch (const VbError &) {
                // The upgrade's own error is the one to report; the caller
                // closes the file, which ends the transaction anyway.
            }
            throw;
        }
        db.CommitTrans();
    }
    RefreshViews(db);
}

// Fills the new "Icons" table and ImageList2 from the .ico files of the icon
// folder. An icon that fails (a name the IconName field cannot hold, a
// database refusal) is skipped and the others are loaded.
static void LoadIcons(Database &db)
{
    ImageList2.SetImageSize(16, 16);
    const QDir folder(IconFolder());
    const QStringList files = folder.entryList({QStringLiteral("*.ico")}, QDir::Files, QDir::Name);
    db.BeginTrans();
    try {
        for (const QString &file : files) {
            QImageReader reader(folder.filePath(file));
            const QImage image = reader.read();
            if (image.isNull())
                continue;   // no icon in the file
            const QString key = file.left(file.size() - 4).toLower();
            try {
                db.Execute(QStringLiteral("INSERT INTO [Icons] ([IconName]) VALUES (?)"), 0, {key});
            } catch (const VbError &) {
                continue;
            }
            try {
                ImageList2.Add(key, image);
            } catch (const VbError &e) {
                // A key in use or not usable as a key: the name is in the
                // table, without a picture.
                if (e.Number() != 35602 && e.Number() != 35603)
                    throw;
            }
        }
    } catch (...) {
        // What was added so far is kept; the failure goes on to the caller.
        db.CommitTrans();
        throw;
    }
    db.CommitTrans();
}

void RebuildIcons(Database &db)
{
    if (db.TableExists(QStringLiteral("Icons")))
        db.DeleteTable(QStringLiteral("Icons"));
    TableDef icons;
    icons.name = QStringLiteral("Icons");
    icons.fields << TextField(QStringLiteral("IconName"), true);
    db.CreateTable(icons);
    LoadIcons(db);
}

void OpenDatabaseFile(const QString &path)
{
    DatabasePtr db;
    try {
        const bool exists = QFileInfo::exists(path);
        if (!exists)
            CreateFromTemplate(path);
        db = OpenDatabase(path, true, false, DefaultConnect());
        // A file of the first program version has no climb samples; it is
        // converted by the tool, never here.
        if (exists && !db->TableExists(QStringLiteral("CampioniSalite")))
            throw VbError(JetErr::TableNotFound,
                          QStringLiteral("The Microsoft Jet database engine cannot find the input table or query 'CampioniSalite'."));
        UpgradeDatabase(*db);
        RebuildIcons(*db);
        CurrentDb = db;
    } catch (...) {
        ImageList2.Clear();
        if (db) {
            try {
                db->Close();
            } catch (const VbError &) {
                // The opening's own error is the one to report.
            }
        }
        throw;
    }
}

DatabaseOwner &DatabaseOwner::instance()
{
    static DatabaseOwner owner;
    return owner;
}

void DatabaseOwner::open(const QString &path)
{
    OpenDatabaseFile(path);
    emit opened(path);
}

void CloseDb() { DatabaseOwner::instance().close(); }

void DatabaseOwner::close()
{
    CloseSharedRecordsets();
    if (CurrentDb && CurrentDb->IsOpen()) {
        // A file at rest holds no icon table; it is rebuilt at every opening,
        // so failing to drop it must not keep the file open.
        try {
            if (CurrentDb->TableExists(QStringLiteral("Icons")))
                CurrentDb->DeleteTable(QStringLiteral("Icons"));
        } catch (const VbError &) {
        }
        CurrentDb->Close();
    }
    ImageList2.Clear();
    emit closed();
}

QString FileTitle(const QString &path)
{
    // Only the last extension goes, whatever its length: "team.db" is "team", "club.2026.mdb" is
    // "club.2026"; a name without one (or a dot file) stays whole.
    const QString name = QFileInfo(path).fileName();
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    return dot > 0 ? name.left(dot) : name;
}
