// Registers class-server libraries, as the build does for the shipped ones:
//   vettaro-regsvr [-u] [--registry FILE] LIBRARY...
// Calls each library's DllRegisterServer (DllUnregisterServer with -u) with
// FILE named as the registry to write; without --registry the library writes
// the per-user registry. Exit status 0 when every library succeeded.
#include "platform/com/ComAbi.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QLibrary>
#include <QStringList>
#include <cstdio>

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QStringList args = app.arguments().mid(1);
    bool unregister = false;
    QString registry;
    QStringList libraries;
    for (int i = 0; i < args.size(); ++i) {
        if (args[i] == QLatin1String("-u"))
            unregister = true;
        else if (args[i] == QLatin1String("--registry") && i + 1 < args.size())
            registry = args[++i];
        else
            libraries << args[i];
    }
    if (libraries.isEmpty()) {
        std::fprintf(stderr, "usage: vettaro-regsvr [-u] [--registry FILE] LIBRARY...\n");
        return 2;
    }
    if (!registry.isEmpty())
        qputenv(VT_COM_REGISTRY_ENV, QFileInfo(registry).absoluteFilePath().toLocal8Bit());

    int failures = 0;
    for (const QString &path : libraries) {
        QLibrary library(QFileInfo(path).absoluteFilePath());
        if (!library.load()) {
            std::fprintf(stderr, "%s: %s\n", qPrintable(path), qPrintable(library.errorString()));
            ++failures;
            continue;
        }
        const char *entryName = unregister ? "DllUnregisterServer" : "DllRegisterServer";
        auto entry = reinterpret_cast<VtDllRegisterServerFn>(library.resolve(entryName));
        const int32_t status = entry ? entry() : VT_E_FAIL;
        if (status != VT_S_OK) {
            std::fprintf(stderr, "%s: %s failed (0x%08x)\n", qPrintable(path), entryName,
                         unsigned(status));
            ++failures;
        }
        library.unload();
    }
    return failures == 0 ? 0 : 1;
}
