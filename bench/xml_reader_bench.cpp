// The XML reader beside an older one, on documents that are mostly text and
// on a races file: each document is read by each reader in processes of
// their own, in turns. Printed side by side: the processor time of one read
// (the fastest of a process's reads, then the median over the processes:
// on a shared machine a read's time also grows with what else runs), the
// growth of the process's peak memory over what it held before, and with
// --instructions the instructions one read takes, counted by callgrind
// (valgrind), which the machine's load does not change.
//
// Built on request only (cmake --build build --target xml_reader_bench): the
// older reader is compiled from the files of the commit
// VETTARO_XML_BENCH_BEFORE (a CMake setting), taken from git when CMake
// configures the build, as program xml_reader_bench_before beside this one.
//
// Usage: xml_reader_bench [rounds]                every document, both readers (7 rounds)
//        xml_reader_bench --instructions          the same, instructions of one read
//        xml_reader_bench --read FILE [times]     this program's reader alone: reads FILE
//                                                 `times` times, prints processor time and peak memory
//        xml_reader_bench --make NAME FILE        writes the named document
#include "platform/xml/XmlDocument.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>

#include <sys/resource.h>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <functional>
#include <vector>

#ifndef VETTARO_XML_BENCH_BEFORE_LABEL
#define VETTARO_XML_BENCH_BEFORE_LABEL "none"
#endif

namespace {

struct Document {
    const char *name;
    const char *what;
    std::function<QByteArray()> make;
};

// A text of `bytes` bytes made of `unit` repeated.
QByteArray Repeated(const QByteArray &unit, qsizetype bytes)
{
    QByteArray out = unit.repeated(bytes / unit.size() + 1);
    out.truncate(bytes);
    return out;
}

QByteArray RacesFile(int samples)
{
    QByteArray text = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n<races>\r\n"
                      "  <race idName=\"Long\" type=\"tour\">\r\n    <name>Long</name>\r\n"
                      "    <lenght>150</lenght>\r\n    <startHeight>0</startHeight>\r\n    <endHeight>0</endHeight>\r\n"
                      "    <samples sampleNumber=\""
                      + QByteArray::number(samples) + "\">\r\n";
    for (int i = 0; i < samples; ++i)
        text += "      <sample number=\"" + QByteArray::number(i + 1) + "\">\r\n        <distance>"
                + QByteArray::number(i * 0.005, 'f', 3) + "</distance>\r\n        <height>"
                + QByteArray::number(200 + i % 700) + "</height>\r\n      </sample>\r\n";
    text += "    </samples>\r\n  </race>\r\n</races>\r\n";
    return text;
}

const std::vector<Document> &Documents()
{
    static const std::vector<Document> documents = {
        // The reader refuses it at its 257th level; until then, and in the
        // pre-check before, it is all short texts between tags.
        {"nested", "120,000 nested texts",
         [] { return QByteArray("<a>z").repeated(120000) + QByteArray("</a>").repeated(120000); }},
        {"text", "3 MB of text",
         [] { return "<r>" + Repeated("A climb of twelve kilometres, steady at seven per cent.\r\n", 3000000) + "</r>"; }},
        // On an element inside the first: the older reader bounded what came
        // before the first element up to the end of its start tag.
        {"attribute", "one 3 MB attribute",
         [] {
             return "<r><e a=\"" + Repeated("A climb of twelve kilometres, steady at seven per cent. ", 3000000)
                    + "\"/></r>";
         }},
        {"races", "races file of 30,000 samples", [] { return RacesFile(30000); }},
    };
    return documents;
}

double ProcessorMs()
{
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return double(t.tv_sec) * 1e3 + double(t.tv_nsec) / 1e6;
}

double PeakMegabytes()
{
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return double(u.ru_maxrss) / 1024.0;   // kilobytes on Linux
}

// What the reader answered: the elements of the tree, or the error.
[[gnu::noinline]] QString ReadOnce(const QString &file)
{
    xml::XmlDocument doc;
    doc.load(file);
    if (doc.parseError().errorCode != 0)
        return QStringLiteral("error %1: %2").arg(doc.parseError().errorCode).arg(doc.parseError().reason);
    qint64 elements = 0;
    std::vector<const xml::XmlNode *> open{doc.documentElement()};
    while (!open.empty()) {
        const xml::XmlNode *node = open.back();
        open.pop_back();
        ++elements;
        for (int i = 0; i < node->childCount(); ++i)
            open.push_back(node->child(i));
    }
    return QStringLiteral("%1 elements").arg(elements);
}

// Prints the fastest read's processor time, the growth of peak memory and
// the answer.
int Read(const QString &file, int times)
{
    const double peakBefore = PeakMegabytes();
    double fastest = 0;
    QString answer;
    for (int i = 0; i < times; ++i) {
        const double start = ProcessorMs();
        answer = ReadOnce(file);
        const double ms = ProcessorMs() - start;
        fastest = i == 0 ? ms : std::min(fastest, ms);
    }
    std::printf("%.3f %.1f %s\n", fastest, PeakMegabytes() - peakBefore, qPrintable(answer));
    return 0;
}

struct Figures {
    std::vector<double> values;   // processor ms, or instructions
    double peak = 0;
    QString answer;
};

// Runs one reader's program on the file and adds its figures.
bool Measure(const QString &program, const QString &file, Figures &figures)
{
    QProcess p;
    p.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    p.start(program, {QStringLiteral("--read"), file, QStringLiteral("5")});
    if (!p.waitForFinished(-1) || p.exitCode() != 0)
        return false;
    const QString line = QString::fromLocal8Bit(p.readAllStandardOutput()).trimmed();
    const QStringList parts = line.split(QLatin1Char(' '));
    if (parts.size() < 3)
        return false;
    figures.values.push_back(parts.at(0).toDouble());
    figures.peak = std::max(figures.peak, parts.at(1).toDouble());
    figures.answer = QStringList(parts.mid(2)).join(QLatin1Char(' ')).left(60);
    return true;
}

// Counts the instructions of one read under callgrind.
bool CountInstructions(const QString &program, const QString &file, const QTemporaryDir &dir, Figures &figures)
{
    const QString out = dir.filePath(QStringLiteral("callgrind.out"));
    QProcess p;
    p.setProcessChannelMode(QProcess::MergedChannels);
    p.start(QStringLiteral("valgrind"),
            {QStringLiteral("--tool=callgrind"), QStringLiteral("--callgrind-out-file=") + out,
             QStringLiteral("--collect-atstart=no"), QStringLiteral("--toggle-collect=*ReadOnce*"), program,
             QStringLiteral("--read"), file, QStringLiteral("1")});
    if (!p.waitForFinished(-1) || p.exitCode() != 0)
        return false;
    QFile f(out);
    if (!f.open(QIODevice::ReadOnly))
        return false;
    while (!f.atEnd()) {
        const QByteArray line = f.readLine().trimmed();
        if (line.startsWith("summary:")) {
            figures.values.push_back(line.mid(8).trimmed().toDouble());
            return true;
        }
    }
    return false;
}

double Median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() >= 3 && args.at(1) == QLatin1String("--read"))
        return Read(args.at(2), args.size() > 3 ? std::max(1, args.at(3).toInt()) : 5);
    if (args.size() >= 4 && args.at(1) == QLatin1String("--make")) {
        for (const Document &d : Documents()) {
            if (args.at(2) != QLatin1String(d.name))
                continue;
            QFile f(args.at(3));
            const QByteArray bytes = d.make();
            return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size() ? 0 : 1;
        }
        std::fprintf(stderr, "no document %s\n", qPrintable(args.at(2)));
        return 2;
    }

    const bool instructions = args.size() > 1 && args.at(1) == QLatin1String("--instructions");
    const int rounds = instructions ? 1 : args.size() > 1 ? std::max(1, args.at(1).toInt()) : 7;
    const QString today = app.applicationFilePath();
    const QString before = QFileInfo(today).dir().filePath(QStringLiteral("xml_reader_bench_before"));
    const bool haveBefore = QFileInfo(before).isExecutable();
    if (!haveBefore)
        std::printf("no older reader beside this program (%s): today's figures alone\n", qPrintable(before));
    if (instructions)
        std::printf("instructions of one read, counted by callgrind; older reader: %s\n\n", VETTARO_XML_BENCH_BEFORE_LABEL);
    else
        std::printf("processor time of one read (the fastest of 5 in a process, median of %d processes)\n"
                    "and growth of peak memory; older reader: %s\n\n",
                    rounds, VETTARO_XML_BENCH_BEFORE_LABEL);
    const QString unit = instructions ? QStringLiteral("M instr.") : QStringLiteral("ms");
    std::printf("%-30s %16s %16s %6s %9s %9s  %s\n", "document", qPrintable(QStringLiteral("older ") + unit),
                qPrintable(QStringLiteral("today ") + unit), "ratio", "older MB", "today MB", "answer (today)");
    QTemporaryDir dir;
    for (const Document &d : Documents()) {
        const QString file = dir.filePath(QLatin1String(d.name) + QStringLiteral(".xml"));
        {
            QFile f(file);
            const QByteArray bytes = d.make();
            if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size()) {
                std::fprintf(stderr, "cannot write %s\n", qPrintable(file));
                return 1;
            }
        }
        Figures older, now;
        for (int r = 0; r < rounds; ++r) {
            // Memory and answers always come from plain runs.
            if ((haveBefore && !Measure(before, file, older)) || !Measure(today, file, now)) {
                std::fprintf(stderr, "a reader failed on %s\n", d.name);
                return 1;
            }
        }
        if (instructions) {
            older.values.clear();
            now.values.clear();
            if ((haveBefore && !CountInstructions(before, file, dir, older)) || !CountInstructions(today, file, dir, now)) {
                std::fprintf(stderr, "callgrind (valgrind) failed on %s\n", d.name);
                return 1;
            }
        }
        const double scale = instructions ? 1e-6 : 1.0;
        const double o = Median(older.values) * scale, n = Median(now.values) * scale;
        std::printf("%-30s %16.2f %16.2f %5.2fx %9.1f %9.1f  %s\n", d.what, o, n, o > 0 ? n / o : 0.0, older.peak,
                    now.peak, qPrintable(now.answer));
        if (haveBefore && older.answer != now.answer)
            std::printf("%-30s older answer: %s\n", "", qPrintable(older.answer));
        std::fflush(stdout);
        QFile::remove(file);
    }
    return 0;
}
