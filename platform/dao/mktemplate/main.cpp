// Build-time tool: makes a database file from a schema script, protected by the
// program's fixed database password. Usage: vettaro_mktemplate <schema.sql> <out.dat>
#include "platform/dao/Dao.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>

#include <cstdio>

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() != 3) {
        std::fprintf(stderr, "usage: vettaro_mktemplate <schema.sql> <out.dat>\n");
        return 2;
    }
    QFile sql(args[1]);
    if (!sql.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "cannot read %s\n", qPrintable(args[1]));
        return 1;
    }
    const QString script = QString::fromUtf8(sql.readAll());
    // Build beside the target and rename, so a failed run leaves no half-made file.
    const QString out = args[2];
    const QString tmp = out + QStringLiteral(".tmp");
    QFile::remove(tmp);
    try {
        auto db = dao::CreateDatabase(tmp, dao::DefaultConnect());
        db->BeginTrans();
        db->ExecuteScript(script);
        db->CommitTrans();
        db->Close();
    } catch (const VbError &e) {
        std::fprintf(stderr, "error %d: %s\n", e.Number(), qPrintable(e.Description()));
        QFile::remove(tmp);
        return 1;
    }
    QFile::remove(out);
    if (!QFile::rename(tmp, out)) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(out));
        return 1;
    }
    return 0;
}
