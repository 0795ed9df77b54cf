#pragma once
// How much memory a piece of work takes at its peak: the process's resident
// high-water mark is reset (Linux: "5" into /proc/self/clear_refs), the work
// runs, and the mark is read back. What the work needs at once shows here
// even when it frees it before returning; a test checks a bound far from both
// what the reader needs and what a reader keeping too much would take, so the
// noise of a few pages does not matter. Not a timing: the same on a busy
// machine.
#include <QByteArray>
#include <QFile>

#include <fcntl.h>
#include <unistd.h>

#include <functional>
#include <optional>

namespace memorypeak {

// A field of /proc/self/status in bytes (VmRSS, VmHWM), or -1.
inline qint64 StatusBytes(const char *field)
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith(field) && line.size() > qsizetype(qstrlen(field)) && line.at(qstrlen(field)) == ':') {
            bool ok = false;
            const qint64 kb = line.mid(qstrlen(field) + 1).trimmed().split(' ').value(0).toLongLong(&ok);
            return ok ? kb * 1024 : -1;
        }
    }
    return -1;
}

// The peak resident memory while work ran beyond what the process held
// before it; nothing where the system cannot reset the mark.
inline std::optional<qint64> PeakGrowth(const std::function<void()> &work)
{
    const int fd = ::open("/proc/self/clear_refs", O_WRONLY);
    if (fd < 0)
        return std::nullopt;
    const bool reset = ::write(fd, "5", 1) == 1;
    ::close(fd);
    const qint64 before = StatusBytes("VmRSS");
    if (!reset || before < 0 || StatusBytes("VmHWM") > before + 4 * 1024 * 1024)
        return std::nullopt;
    work();
    const qint64 peak = StatusBytes("VmHWM");
    if (peak < 0)
        return std::nullopt;
    return peak - before;
}

} // namespace memorypeak
