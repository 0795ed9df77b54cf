#include "tools/DbMaintenance.h"

#include "core/DbFile.h"
#include "platform/dao/Dao.h"
#include "platform/dao/WorkingCopies.h"
#include "platform/shell/FileWrite.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <filesystem>
#include <system_error>

namespace {

std::filesystem::path FsPath(const QString &p) { return std::filesystem::path(QFile::encodeName(p).toStdString()); }

// Replaces to with from in one step (rename(2) overwrites the target).
void ReplaceWith(const QString &from, const QString &to)
{
    std::error_code ec;
    std::filesystem::rename(FsPath(from), FsPath(to), ec);
    if (ec)
        RaiseError(75, QStringLiteral("Path/File access error: %1").arg(QString::fromLocal8Bit(ec.message().c_str())));
}

void RemoveQuietly(const QString &path)
{
    if (!path.isEmpty())
        QFile::remove(path);
}

// The work is done on hidden copies beside the file, and on the file a link
// names; the user knows only the file chosen, so a reason that names a copy
// or the file behind the link names the chosen file instead.
MaintenanceResult Failed(const VbError &e, const QString &path, const QString &target, const QStringList &copies)
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
    if (!target.isEmpty() && target != path)
        r.description.replace(target, path);
    return r;
}

// The file path names, found and checked under the file writer's rules
// before anything is read: a link is followed only where the writer would
// follow it, and a file the user cannot write is refused. The work is done
// on swap.targetPath(), beside which the copies are built.
void FindFile(const QString &path, FileWrite::FileSwap &swap)
{
    if (!QFileInfo(path).isFile())
        RaiseError(dao::JetErr::FileNotFound, QStringLiteral("Could not find file '%1'.").arg(path));
    if (!swap.open())
        swap.raise();
}

// Puts the finished copy temp in the place of the file swap found, keeping
// the file's owner, group and mode; temp is cleared once it is in place.
void Swap(FileWrite::FileSwap &swap, QString &temp)
{
    if (!swap.replaceWith(temp))
        swap.raise();
    temp.clear();
}

// Keeps the original as its backup and puts the finished copy temp in its
// place, while held keeps the original locked. The new backup is complete
// before an older one is replaced. A hard link costs nothing and never opens
// the file (which would drop the engine's locks in this process); a copy
// through the held connection where links are refused. The backup lies
// beside the file itself (behind a link, the file the link names). temp and
// newBackup are cleared once they no longer need removing.
MaintenanceResult PutInPlace(dao::Database &held, FileWrite::FileSwap &swap, QString &temp, QString &newBackup)
{
    const QString path = swap.targetPath();
    const QString backup = BackupPathFor(path);
    newBackup = dao::WorkingCopyPath(path, QStringLiteral("bak"));
    std::error_code ec;
    std::filesystem::create_hard_link(FsPath(path), FsPath(newBackup), ec);
    if (ec)
        held.CopyInto(newBackup);
    ReplaceWith(newBackup, backup);
    newBackup.clear();
    Swap(swap, temp);

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
    FileWrite::FileSwap swap(path);
    QString file, temp, newBackup;
    int removed = 0;
    try {
        FindFile(path, swap);
        file = swap.targetPath();
        // Held from the first read until the compacted copy has taken its
        // place: no other copy of the program can commit anything meanwhile
        // that would stay behind in the backup.
        dao::DatabasePtr held = dao::OpenLockedFile(file, connect);
        removed = dao::RemoveStaleWorkingCopies(file);
        temp = dao::WorkingCopyPath(file, QStringLiteral("compact"));
        held->CompactInto(temp);
        // The copy must open with the same password and pass the check.
        dao::OpenDatabase(temp, true, true, connect)->Close();
        dao::RepairDatabase(temp);

        MaintenanceResult r = PutInPlace(*held, swap, temp, newBackup);
        held->Close();
        r.leftoversRemoved = removed;
        return r;
    } catch (const VbError &e) {
        const QStringList copies{temp, newBackup};
        RemoveQuietly(temp);
        RemoveQuietly(newBackup);
        MaintenanceResult r = Failed(e, path, file, copies);
        if (e.Number() == dao::JetErr::NotValidPassword)
            r.status = MaintenanceResult::WrongPassword;
        r.leftoversRemoved = removed;
        return r;
    }
}

MaintenanceResult repairFile(const QString &path)
{
    FileWrite::FileSwap swap(path);
    QString file, temp;
    int removed = 0;
    try {
        FindFile(path, swap);
        file = swap.targetPath();
        // Whatever the password, a file held open elsewhere is refused here,
        // and it stays locked until the repaired copy has taken its place:
        // nothing committed meanwhile could be lost with the old file.
        dao::DatabasePtr held = dao::OpenLockedFile(file);
        removed = dao::RemoveStaleWorkingCopies(file);
        temp = dao::WorkingCopyPath(file, QStringLiteral("repair"));
        held->CopyInto(temp);
        MaintenanceResult r;
        r.status = MaintenanceResult::Done;
        r.leftoversRemoved = removed;
        r.changed = dao::RepairDatabase(temp);
        if (r.changed)
            Swap(swap, temp);
        RemoveQuietly(temp);
        temp.clear();
        held->Close();
        return r;
    } catch (const VbError &e) {
        const QStringList copies{temp};
        RemoveQuietly(temp);
        MaintenanceResult r = Failed(e, path, file, copies);
        r.leftoversRemoved = removed;
        return r;
    }
}

MaintenanceResult convertFile(const QString &path)
{
    FileWrite::FileSwap swap(path);
    QString file, temp, newBackup;
    int removed = 0;
    try {
        FindFile(path, swap);
        file = swap.targetPath();
        // Held until the converted copy has taken its place.
        dao::DatabasePtr held = dao::OpenLockedFile(file, dao::DefaultConnect());
        removed = dao::RemoveStaleWorkingCopies(file);
        const bool firstVersion = !held->TableExists(QStringLiteral("CampioniSalite"))
                                  && held->TableExists(QStringLiteral("Dati Salite"))
                                  && held->TableExists(QStringLiteral("CampioniPercorsi"));
        if (!firstVersion) {
            MaintenanceResult r;
            r.status = MaintenanceResult::NotApplicable;
            r.leftoversRemoved = removed;
            return r;
        }
        temp = dao::WorkingCopyPath(file, QStringLiteral("convert"));
        held->CopyInto(temp);
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
        MaintenanceResult r = PutInPlace(*held, swap, temp, newBackup);
        held->Close();
        r.leftoversRemoved = removed;
        return r;
    } catch (const VbError &e) {
        const QStringList copies{temp, newBackup};
        RemoveQuietly(temp);
        RemoveQuietly(newBackup);
        MaintenanceResult r = Failed(e, path, file, copies);
        r.leftoversRemoved = removed;
        return r;
    }
}
