#include "tools/DbMaintenance.h"

#include "core/DbFile.h"
#include "platform/dao/Dao.h"
#include "platform/dao/WorkingCopies.h"
#include "platform/files/Causes.h"
#include "platform/files/Walk.h"
#include "platform/shell/FileWrite.h"

#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

#include <optional>
#include <unistd.h>

namespace {

std::function<void(MaintenanceStep)> g_hook;

void Step(MaintenanceStep step)
{
    if (g_hook)
        g_hook(step);
}

// The work is done on the file a link names, by names through the folder's
// handle, and on hidden copies beside the file; the user knows only the file
// chosen, so a reason that names any of those names the chosen file instead.
MaintenanceResult Failed(const VbError &e, const QString &path, const FileWrite::FileSwap &swap)
{
    MaintenanceResult r;
    r.status = MaintenanceResult::Error;
    r.number = e.Number();
    r.description = e.Description();
    if (swap.folderHandle() >= 0) {
        r.description.replace(QRegularExpression(QRegularExpression::escape(files::ThroughHandle(swap.folderHandle()))
                                                 + QStringLiteral("/[^']*")),
                              path);
        r.description.replace(
            QRegularExpression(QStringLiteral(R"(\.\.?%1\.(compact|repair|convert|bak|rebuild)-[0-9a-f]{16}\.tmp)")
                                   .arg(QRegularExpression::escape(swap.name()))),
            QFileInfo(path).fileName());
    }
    if (!swap.targetPath().isEmpty() && swap.targetPath() != path)
        r.description.replace(swap.targetPath(), path);
    return r;
}

// The file path names, found and checked under the file writer's rules
// before anything is read: a link is followed only where the writer would
// follow it, and a file the user cannot write is refused. Every later step
// works in the folder found, through swap's handle of it.
void FindFile(const QString &path, FileWrite::FileSwap &swap)
{
    if (!QFileInfo(path).isFile())
        RaiseError(dao::JetErr::FileNotFound, QStringLiteral("Could not find file '%1'.").arg(path));
    if (!swap.open())
        swap.raise();
    Step(MaintenanceStep::Found);
}

// Opens and locks the file swap found, by its name in the folder found; the
// file opened must be the one found (a file renamed over it since is
// refused, and stays).
dao::DatabasePtr OpenFound(const FileWrite::FileSwap &swap, const std::optional<QString> &connect)
{
    dao::DatabasePtr held = dao::OpenLockedFile(swap.throughHandle(), connect);
    if (!held->NameStillHoldsFile() || !swap.stillFound())
        RaiseError(75, files::FailureText(swap.targetPath(), files::Cause::ReplacedMeanwhile));
    return held;
}

// Removes a working copy through the folder's handle; copy is cleared.
void RemoveCopy(const FileWrite::FileSwap &swap, QString &copy)
{
    QString name;
    if (!copy.isEmpty() && files::HandleOf(copy, &name) == swap.folderHandle() && !name.isEmpty())
        ::unlinkat(swap.folderHandle(), QFile::encodeName(name).constData(), 0);
    copy.clear();
}

// Puts the finished copy temp in the place of the file swap found, keeping
// the file's owner, group and mode; temp is cleared once it is in place.
void Swap(FileWrite::FileSwap &swap, QString &temp)
{
    if (!swap.replaceWith(temp))
        swap.raise();
    temp.clear();
}

// Keeps the file as it was as its backup and puts the finished copy temp in its
// place, while held keeps the file locked. The backup is the file found:
// a second name of it made from its handle, which costs nothing and never
// opens the file (which would drop the engine's locks in this process); a
// copy through the held connection where the file system refuses those. It
// lies beside the file itself (behind a link, the file the link names), and
// an older backup goes only once the copy takes the file's place. temp is
// cleared once it is in place.
MaintenanceResult PutInPlace(dao::Database &held, FileWrite::FileSwap &swap, QString &temp)
{
    FileWrite::FileSwap::Backup backup;
    backup.name = BackupPathFor(swap.name());
    backup.workingName = [&swap] { return dao::WorkingCopyName(swap.name(), QStringLiteral("bak")); };
    backup.copy = [&held](const QString &to) { held.CopyInto(to); };
    if (!swap.replaceWith(temp, backup))
        swap.raise();
    temp.clear();

    MaintenanceResult r;
    r.status = MaintenanceResult::Done;
    r.backup = swap.keptBackup();
    r.backupPath = r.backup ? r.backup->path() : QString();
    return r;
}

} // namespace

void SetMaintenanceHookForTests(std::function<void(MaintenanceStep)> hook) { g_hook = std::move(hook); }

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
    QString temp;
    int removed = 0;
    try {
        FindFile(path, swap);
        // Held from the first read until the compacted copy has taken its
        // place: no other copy of the program can commit anything meanwhile
        // that would stay behind in the backup.
        dao::DatabasePtr held = OpenFound(swap, connect);
        removed = dao::RemoveStaleWorkingCopies(swap.folderHandle(), swap.name());
        temp = dao::MakeWorkingCopy(swap.folderHandle(), swap.name(), QStringLiteral("compact"));
        held->CompactInto(temp);
        // The copy must open with the same password and pass the check.
        dao::OpenDatabase(temp, true, true, connect)->Close();
        dao::RepairDatabase(temp);
        Step(MaintenanceStep::CopyBuilt);

        MaintenanceResult r = PutInPlace(*held, swap, temp);
        held->Close();
        r.leftoversRemoved = removed;
        return r;
    } catch (const VbError &e) {
        RemoveCopy(swap, temp);
        MaintenanceResult r = Failed(e, path, swap);
        if (e.Number() == dao::JetErr::NotValidPassword)
            r.status = MaintenanceResult::WrongPassword;
        r.leftoversRemoved = removed;
        return r;
    }
}

MaintenanceResult repairFile(const QString &path)
{
    FileWrite::FileSwap swap(path);
    QString temp;
    int removed = 0;
    try {
        FindFile(path, swap);
        // Whatever the password, a file held open elsewhere is refused here,
        // and it stays locked until the repaired copy has taken its place:
        // nothing committed meanwhile could be lost with the old file.
        dao::DatabasePtr held = OpenFound(swap, std::nullopt);
        removed = dao::RemoveStaleWorkingCopies(swap.folderHandle(), swap.name());
        temp = dao::MakeWorkingCopy(swap.folderHandle(), swap.name(), QStringLiteral("repair"));
        held->CopyInto(temp);
        MaintenanceResult r;
        r.status = MaintenanceResult::Done;
        r.leftoversRemoved = removed;
        r.changed = dao::RepairDatabase(temp);
        Step(MaintenanceStep::CopyBuilt);
        if (r.changed)
            Swap(swap, temp);
        RemoveCopy(swap, temp);
        held->Close();
        return r;
    } catch (const VbError &e) {
        RemoveCopy(swap, temp);
        MaintenanceResult r = Failed(e, path, swap);
        r.leftoversRemoved = removed;
        return r;
    }
}

MaintenanceResult convertFile(const QString &path)
{
    FileWrite::FileSwap swap(path);
    QString temp;
    int removed = 0;
    try {
        FindFile(path, swap);
        // Held until the converted copy has taken its place.
        dao::DatabasePtr held = OpenFound(swap, dao::DefaultConnect());
        removed = dao::RemoveStaleWorkingCopies(swap.folderHandle(), swap.name());
        const bool firstVersion = !held->TableExists(QStringLiteral("CampioniSalite"))
                                  && held->TableExists(QStringLiteral("Dati Salite"))
                                  && held->TableExists(QStringLiteral("CampioniPercorsi"));
        if (!firstVersion) {
            MaintenanceResult r;
            r.status = MaintenanceResult::NotApplicable;
            r.leftoversRemoved = removed;
            return r;
        }
        temp = dao::MakeWorkingCopy(swap.folderHandle(), swap.name(), QStringLiteral("convert"));
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
        Step(MaintenanceStep::CopyBuilt);
        MaintenanceResult r = PutInPlace(*held, swap, temp);
        held->Close();
        r.leftoversRemoved = removed;
        return r;
    } catch (const VbError &e) {
        RemoveCopy(swap, temp);
        MaintenanceResult r = Failed(e, path, swap);
        r.leftoversRemoved = removed;
        return r;
    }
}
