#include "platform/dao/WorkingCopies.h"

#include "platform/files/Leftovers.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QRegularExpression>

namespace dao {

namespace {

// Tags of the tools that build working copies.
const char *const kTags = "compact|repair|convert|bak|rebuild";

} // namespace

QString WorkingCopyPath(const QString &path, const QString &tag)
{
    const QFileInfo fi(path);
    for (;;) {
        const QString name = QStringLiteral(".%1.%2-%3.tmp")
                                 .arg(fi.fileName(), tag)
                                 .arg(QRandomGenerator::global()->generate64(), 16, 16, QLatin1Char('0'));
        const QString candidate = fi.absoluteDir().filePath(name);
        if (!QFileInfo::exists(candidate))
            return candidate;
    }
}

int RemoveStaleWorkingCopies(const QString &path)
{
    // The copies lie beside the file itself: behind a link, the file it names.
    const QString file = QFileInfo(path).canonicalFilePath();
    const QFileInfo fi(file.isEmpty() ? path : file);
    // A copy of the file, or the copy a repair rebuilds from a copy of it,
    // with the journal SQLite may have left beside either.
    const QRegularExpression name(
        QStringLiteral(R"(^\.\.?%1\.(%2)-[0-9a-f]{12,16}\.tmp(\.rebuild-[0-9a-f]{16}\.tmp)?(-journal|-wal|-shm)?$)")
            .arg(QRegularExpression::escape(fi.fileName()), QLatin1String(kTags)));
    return leftovers::RemoveUnheld(fi.absolutePath(), QStringLiteral("."), name);
}

} // namespace dao
