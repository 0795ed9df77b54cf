#include "tools/logic/ImportFiles.h"

#include "core/DbFile.h"
#include "platform/error/VbError.h"

#include <QFileInfo>

namespace ImportFiles {
namespace {

Opened Failure(const VbError &e, Texts texts)
{
    Opened o;
    const bool db = texts == Texts::DatabaseImport;
    switch (e.Number()) {
    case dao::JetErr::NotValidPassword:
        o.message = db ? 17503 : 12500;
        o.title = db ? 17504 : 12501;
        break;
    case dao::JetErr::UnrecognizedFormat:
        o.message = db ? 17505 : 12502;
        o.title = db ? 17506 : 12503;
        break;
    case dao::JetErr::TableNotFound:   // a first-version file lacks the sample tables
        o.message = db ? 17503 : 12504;
        o.secondMessage = db ? 17507 : 12505;
        o.title = db ? 17506 : 12506;
        break;
    default:
        o.errorNumber = e.Number();
        o.errorText = e.Description();
        break;
    }
    return o;
}

Opened Open(const QString &path, Texts texts, bool destination)
{
    if (path.isEmpty() || !QFileInfo(path).isFile()) {
        Opened o;
        if (texts == Texts::DatabaseImport)
            o.message = 17508;
        return o;
    }
    dao::DatabasePtr db;
    try {
        db = dao::OpenDatabase(path, true, !destination, dao::DefaultConnect());
        // Probe: every file of the current generation has the climb samples.
        db->openCursor(QStringLiteral("SELECT COUNT(*) FROM [CampioniSalite]"))->close();
        if (destination)
            UpgradeDatabase(*db);
    } catch (const VbError &e) {
        if (db)
            db->Close();
        return Failure(e, texts);
    }
    Opened o;
    o.db = db;
    return o;
}

} // namespace

Opened OpenOrigin(const QString &path, Texts texts) { return Open(path, texts, false); }
Opened OpenDest(const QString &path, Texts texts) { return Open(path, texts, true); }

bool SameFile(const QString &a, const QString &b)
{
    const QFileInfo fa(a), fb(b);
    const QString ca = fa.canonicalFilePath(), cb = fb.canonicalFilePath();
    if (!ca.isEmpty() && !cb.isEmpty())
        return ca == cb;
    return fa.absoluteFilePath() == fb.absoluteFilePath();
}

} // namespace ImportFiles
