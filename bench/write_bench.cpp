// The file writer against the size of the folder it writes in: 200 writes of
// a small settings file in a folder of a few files and in one of 20,000,
// with the processor time and the elapsed time of each run. A write looks
// for the leftovers of killed writes by their names, so both should cost
// about the same.
#include "platform/shell/FileWrite.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include <cstdio>
#include <fcntl.h>
#include <sys/resource.h>
#include <unistd.h>

namespace {

double ProcessorSeconds()
{
    rusage usage {};
    ::getrusage(RUSAGE_SELF, &usage);
    return double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec)
           + double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

// Fills folder with count empty files, some named like the writer's own.
void Fill(const QString &folder, int count)
{
    for (int i = 0; i < count; ++i) {
        const QByteArray name = QFile::encodeName(folder)
                                + (i % 2 ? QByteArray("/route-") + QByteArray::number(i) + ".xml"
                                         : QByteArray("/.route-") + QByteArray::number(i) + ".xml.0badc0de.tmp");
        const int fd = ::open(name.constData(), O_WRONLY | O_CREAT | O_CLOEXEC, 0644);
        if (fd >= 0)
            ::close(fd);
    }
}

// 200 writes of one settings file, or of 200 different files (exports).
void Run(const char *label, const QString &folder, bool differentFiles = false)
{
    const QString target = folder + QStringLiteral("/vettaro.ini");
    const QByteArray data = "[Settings]\nLanguage=1040\nFont=Arial\n";
    const double cpu = ProcessorSeconds();
    QElapsedTimer elapsed;
    elapsed.start();
    int failed = 0;
    for (int i = 0; i < 200; ++i) {
        QString why;
        const QString path = differentFiles ? folder + QStringLiteral("/export-%1.xml").arg(i) : target;
        if (!FileWrite::WriteFileAtomically(path, data, &why))
            ++failed;
    }
    std::printf("%-28s 200 writes: %.3f s processor, %.3f s elapsed%s\n", label, ProcessorSeconds() - cpu,
                elapsed.elapsed() / 1000.0, failed ? " (some failed)" : "");
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QTemporaryDir small, large;
    Fill(small.path(), 10);
    Fill(large.path(), 20000);
    Run("folder of 10 files:", small.path());
    Run("folder of 20,000 files:", large.path());
    Run("10 files, 200 targets:", small.path(), true);
    Run("20,000 files, 200 targets:", large.path(), true);
    return 0;
}
