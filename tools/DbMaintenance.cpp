#include "tools/DbMaintenance.h"

#include "core/DbFile.h"
#include "platform/dao/Dao.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QUuid>

#include <filesystem>
#include <system_error>

namespace {

QString UniqueSibling(const QString &path, const QString &tag)
{
    const QFileInfo fi(path);
    return fi.absoluteDir().filePath(QStringLiteral(".%1.%2-%3.tmp")
                                         .arg(fi.fileName(), tag,
                                              QUuid::createUuid().toString(QUuid::Id128).left(12)));
}

std::filesystem::path FsPath(const QString &p) { return std::filesystem::path(QFile::encodeName(p).toStdString()); }

// Replaces to with from in one step (rename(2) overwrites the target).
void ReplaceWith(const QString &from, const QString &to)
{
    std::error_code ec;
    std::filesystem::rename(FsPath(from), FsPath(to), ec);
    if (ec)
        RaiseError(75, QStringLiteral("Path/File access error: %1").arg(QString::fromLocal8Bit(ec.message().c_str())));
}

// A working copy the tools may write, whatever the original allows.
void MakeWritable(const QString &path)
{
    std::error_code ec;
    std::filesystem::permissions(FsPath(path), std::filesystem::perms::owner_read | std::filesystem::perms::owner_write,
                                 std::filesystem::perm_options::add, ec);
}

// The file to gets the mode bits of from: a private file stays private, a
// read-only one read-only.
void KeepMode(const QString &from, const QString &to)
{
    std::error_code ec;
    const auto mode = std::filesystem::status(FsPath(from), ec).permissions();
    if (!ec)
        std::filesystem::permissions(FsPath(to), mode, ec);
}

void RemoveQuietly(const QString &path)
{
    if (!path.isEmpty())
        QFile::remove(path);
}

// The work is done on hidden copies beside the file; the user knows only the
// file, so a reason that names a copy names the file instead.
MaintenanceResult Failed(const VbError &e, const QString &path, const QStringList &copies)
{
    MaintenanceResult r;
    r.status = MaintenanceResult::Error;
    r.number = e.Number();
    r.description = e.Description();
    for (const QString &copy : copies) {
        if (copy.isEmpty())
            continue;
        r.description.replace(copy, path);
        r.description.replace(QFileInfo(copy).fileName(), QFileInfo(path).fileName());
    }
    return r;
}

// Refuses a file somebody holds open (3045) and anything that is not one of
// our databases, before the file is read by other means.
void CheckClosed(const QString &path, const QString &connect)
{
    dao::DatabasePtr db = dao::OpenDatabase(path, true, false, connect);
    db->Close();
}

// Keeps the original as its backup and puts the finished copy temp in its
// place. The new backup is complete before an older one is replaced. A hard
// link costs nothing and never opens the file (which would drop the engine's
// locks in this process); a copy where links are refused. temp and newBackup
// are cleared once they no longer need removing.
MaintenanceResult PutInPlace(const QString &path, QString &temp, QString &newBackup)
{
    const QString backup = BackupPathFor(path);
    newBackup = UniqueSibling(path, QStringLiteral("bak"));
    std::error_code ec;
    std::filesystem::create_hard_link(FsPath(path), FsPath(newBackup), ec);
    if (ec && !QFile::copy(path, newBackup))
        RaiseError(75, QStringLiteral("Path/File access error: cannot write '%1'.").arg(newBackup));
    ReplaceWith(newBackup, backup);
    newBackup.clear();
    KeepMode(path, temp);
    ReplaceWith(temp, path);
    temp.clear();

    MaintenanceResult r;
    r.status = MaintenanceResult::Done;
    r.backupPath = backup;
    return r;
}

} // namespace

QString BackupPathFor(const QString &path)
{
    // A name without a three-letter extension, or one that ends in .bak
    // already, gains ".bak" whole: cutting four characters off it would name
    // another file's backup, or the file itself.
    const QString name = QFileInfo(path).fileName();
    if (name.size() > 4 && name.at(name.size() - 4) == QLatin1Char('.')
        && !name.endsWith(QLatin1String(".bak"), Qt::CaseInsensitive))
        return path.left(path.size() - 4) + QStringLiteral(".bak");
    return path + QStringLiteral(".bak");
}

MaintenanceResult compactFile(const QString &path, const QString &connect)
{
    QString temp, newBackup;
    try {
        if (!QFileInfo(path).isFile())
            RaiseError(dao::JetErr::FileNotFound, QStringLiteral("Could not find file '%1'.").arg(path));
        temp = UniqueSibling(path, QStringLiteral("compact"));
        dao::CompactDatabase(path, temp, connect);
        // The copy must open with the same password and pass the check.
        dao::OpenDatabase(temp, true, true, connect)->Close();
        dao::RepairDatabase(temp);

        return PutInPlace(path, temp, newBackup);
    } catch (const VbError &e) {
        const QStringList copies{temp, newBackup};
        RemoveQuietly(temp);
        RemoveQuietly(newBackup);
        MaintenanceResult r = Failed(e, path, copies);
        if (e.Number() == dao::JetErr::NotValidPassword)
            r.status = MaintenanceResult::WrongPassword;
        return r;
    }
}

MaintenanceResult repairFile(const QString &path)
{
    QString temp;
    try {
        if (!QFileInfo(path).isFile())
            RaiseError(dao::JetErr::FileNotFound, QStringLiteral("Could not find file '%1'.").arg(path));
        // Whatever the password, a file held open elsewhere is refused here.
        try {
            CheckClosed(path, QString());
        } catch (const VbError &e) {
            if (e.Number() != dao::JetErr::NotValidPassword)
                throw;
        }
        temp = UniqueSibling(path, QStringLiteral("repair"));
        if (!QFile::copy(path, temp))
            RaiseError(75, QStringLiteral("Path/File access error: cannot write '%1'.").arg(temp));
        MakeWritable(temp);
        MaintenanceResult r;
        r.status = MaintenanceResult::Done;
        r.changed = dao::RepairDatabase(temp);
        if (r.changed) {
            KeepMode(path, temp);
            ReplaceWith(temp, path);
        } else {
            RemoveQuietly(temp);
        }
        temp.clear();
        return r;
    } catch (const VbError &e) {
        const QStringList copies{temp};
        RemoveQuietly(temp);
        return Failed(e, path, copies);
    }
}

MaintenanceResult convertFile(const QString &path)
{
    QString temp, newBackup;
    try {
        if (!QFileInfo(path).isFile())
            RaiseError(dao::JetErr::FileNotFound, QStringLiteral("Could not find file '%1'.").arg(path));
        {
            dao::DatabasePtr db = dao::OpenDatabase(path, true, true, dao::DefaultConnect());
            const bool firstVersion = !db->TableExists(QStringLiteral("CampioniSalite"))
                                      && db->TableExists(QStringLiteral("Dati Salite"))
                                      && db->TableExists(QStringLiteral("CampioniPercorsi"));
            db->Close();
            if (!firstVersion) {
                MaintenanceResult r;
                r.status = MaintenanceResult::NotApplicable;
                return r;
            }
        }
        temp = UniqueSibling(path, QStringLiteral("convert"));
        if (!QFile::copy(path, temp))
            RaiseError(75, QStringLiteral("Path/File access error: cannot write '%1'.").arg(temp));
        MakeWritable(temp);
        {
            dao::DatabasePtr db = dao::OpenDatabase(temp, true, false, dao::DefaultConnect());
            // The climbs' samples as the current format has them: the routes'
            // sample fields and the picture name, bound to their climb.
            db->ExecuteScript(QStringLiteral(
                "CREATE TABLE \"CampioniSalite\" ("
                "\"IDPercorso\" TEXT(255) COLLATE NOCASE NOT NULL REFERENCES \"Dati Salite\" (\"IDPercorso\") "
                "ON DELETE CASCADE ON UPDATE CASCADE CONSTRAINT \"len:IDPercorso\" CHECK (length(\"IDPercorso\") <= 255),"
                "\"DistParz\" FLOAT CONSTRAINT \"type:DistParz\" CHECK (typeof(\"DistParz\") NOT IN ('text','blob')),"
                "\"Altezza\" SMALLINT CONSTRAINT \"type:Altezza\" CHECK (typeof(\"Altezza\") NOT IN ('text','blob')),"
                "\"Note\" TEXT(255) COLLATE NOCASE CONSTRAINT \"len:Note\" CHECK (length(\"Note\") <= 255),"
                "\"Contatore\" INTEGER CONSTRAINT \"type:Contatore\" CHECK (typeof(\"Contatore\") NOT IN ('text','blob')),"
                "\"image\" TEXT(250) COLLATE NOCASE CONSTRAINT \"len:image\" CHECK (length(\"image\") <= 250));"));
            UpgradeDatabase(*db);
            db->Close();
        }
        dao::RepairDatabase(temp);
        return PutInPlace(path, temp, newBackup);
    } catch (const VbError &e) {
        const QStringList copies{temp, newBackup};
        RemoveQuietly(temp);
        RemoveQuietly(newBackup);
        return Failed(e, path, copies);
    }
}
