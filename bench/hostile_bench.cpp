// Hostile files within the size caps: each is generated into a temporary
// folder and handed to the program's reader in a process of its own, which
// prints whether the file was read or refused, the time it took and the
// process's peak memory. Goal: every file answered within 5 s and 600 MB.
// Usage: hostile_bench [template]          every case, one process each
//        hostile_bench --case NAME FILE [template]   one case (for /usr/bin/time -v)
//        hostile_bench --make NAME FILE    only writes the case's file
// (default template: the program folder's ZidoVodu.dat, for the states import)
#include "athletes/logic/StatesFile.h"
#include "core/Race.h"
#include "core/RaceXmlFile.h"
#include "platform/dao/Dao.h"
#include "platform/settings/Settings.h"
#include "platform/shell/FileWrite.h"
#include "platform/shell/ReadLimits.h"
#include "platform/xml/XmlDocument.h"
#include "recordings/Hrm.h"
#include "tools/logic/TextImport.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>

#include <sys/resource.h>
#include <unistd.h>

#include <cstdio>
#include <functional>
#include <limits>

namespace {

constexpr qint64 MiB = 1024 * 1024;

// Streams a file of about `size` bytes: head, then unit repeated while it
// fits, then tail.
void WriteRepeated(const QString &path, const QByteArray &head, const QByteArray &unit, qint64 size,
                   const QByteArray &tail = QByteArray())
{
    FileWrite::SafeFileWriter w(path);
    if (!w.open())
        w.raise();
    w.write(head);
    QByteArray block;
    while (block.size() + unit.size() <= 1 * MiB)
        block += unit;
    const qint64 units = (size - head.size() - tail.size()) / unit.size();
    const qint64 perBlock = block.size() / unit.size();
    for (qint64 done = 0; done < units;) {
        const qint64 n = std::min(perBlock, units - done);
        w.write(block.constData(), n * unit.size());
        done += n;
    }
    w.write(tail);
    if (!w.commit())
        w.raise();
}

// Streams a file whose n-th unit is made by fn, until `size` bytes or
// `units` units.
void WriteNumbered(const QString &path, const QByteArray &head, const std::function<QByteArray(qint64)> &fn,
                   qint64 size, const QByteArray &tail, qint64 units = std::numeric_limits<qint64>::max())
{
    FileWrite::SafeFileWriter w(path);
    if (!w.open())
        w.raise();
    w.write(head);
    qint64 written = head.size();
    QByteArray block;
    for (qint64 i = 0; i < units; ++i) {
        const QByteArray unit = fn(i);
        if (written + block.size() + unit.size() + tail.size() > size)
            break;
        block += unit;
        if (block.size() >= MiB) {
            w.write(block);
            written += block.size();
            block.clear();
        }
    }
    w.write(block);
    w.write(tail);
    if (!w.commit())
        w.raise();
}

const QByteArray HrmHead = "[Params]\r\nVersion=106\r\nMonitor=12\r\nSMode=11110000\r\nDate=20260710\r\n"
                           "StartTime=07:00:00.0\r\nInterval=1\r\n\r\n[HRData]\r\n";

QByteArray RaceSample(qint64 i)
{
    return "      <sample number=\"" + QByteArray::number(i + 1) + "\">\r\n        <distance>"
           + QByteArray::number(double(i) / 100, 'f', 2) + "</distance>\r\n        <height>"
           + QByteArray::number(500 + i % 1500) + "</height>\r\n      </sample>\r\n";
}

// A races file of one race with up to `samples` samples, within `size` bytes.
void WriteRacesFile(const QString &path, qint64 samples, qint64 size)
{
    WriteNumbered(path,
                  "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n<races>\r\n  <race idName=\"Big\" type=\"tour\">\r\n"
                  "    <name>Big</name>\r\n    <lenght>1000</lenght>\r\n<samples sampleNumber=\"0\">\r\n",
                  RaceSample, size, "    </samples>\r\n  </race>\r\n</races>\r\n", samples);
}

struct Case {
    const char *name;
    const char *what;
    std::function<void(const QString &)> make;
    // Reads the file; the text says what came of it.
    std::function<QString(const QString &file, const QString &templ)> read;
};

QString ReadHrm(const QString &file, const QString &)
{
    Hrm h;
    if (h.ReadHRM(file))
        return QStringLiteral("read, %1 samples").arg(h.Samples()->Count());
    return QStringLiteral("refused: ") + h.Failure().Text();
}

QString ReadProfile(const QString &file, const QString &)
{
    try {
        const auto rec = TextImport::ReadProfileFile(file);
        return rec ? QStringLiteral("read, %1 samples").arg(rec->samples.size()) : QStringLiteral("not a profile");
    } catch (const VbError &e) {
        return QStringLiteral("refused: ") + e.Description();
    }
}

QString ReadRaces(const QString &file, const QString &)
{
    Race race;
    const int code = ReadRaceXml(file, race, 60);
    if (code == RaceXmlResult::Ok)
        return QStringLiteral("read, %1 samples").arg(race.Samples() ? race.Samples()->Count() : 0);
    return QStringLiteral("refused, code %1").arg(code);
}

// As the program reads its settings at start: the file put where the store
// looks for it, then one value asked for.
QString ReadSettings(const QString &file, const QString &)
{
    QTemporaryDir config;
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(config.path()));
    const QString path = SettingsFilePath(QStringLiteral("Vettaro"));
    const int folder = FileWrite::OpenOrMakeFolder(QFileInfo(path).path());
    if (folder < 0 || !QFile::rename(file, path))
        return QStringLiteral("cannot put the file at ") + path;
    ::close(folder);
    const QString language = GetSetting(QStringLiteral("Vettaro"), QStringLiteral("Settings"), QStringLiteral("Language"),
                                        QStringLiteral("(none)"));
    QFile::rename(path, file);
    return QStringLiteral("read, Language=") + language;
}

QString ImportStates(const QString &file, const QString &templ)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("states.dat"));
    if (!FileWrite::CopyWhole(templ, path))
        return QStringLiteral("cannot copy the template ") + templ;
    QByteArray bytes;
    if (readlimits::ReadWholeFile(file, readlimits::MaxStatesFileBytes, bytes) != readlimits::ReadResult::Ok)
        return QStringLiteral("refused by its size");
    dao::DatabasePtr db = dao::OpenDatabase(path, true, false, dao::DefaultConnect());
    // As the states window reads it: the distinct names, refused past their bound.
    const StatesFile::NameList names = StatesFile::DistinctNames(bytes, readlimits::MaxStatesFileNames);
    bytes.clear();
    if (names.tooMany)
        return QStringLiteral("refused: more than %1 different names").arg(readlimits::MaxStatesFileNames);
    const StatesFile::ImportResult r = StatesFile::Import(db, names.names);
    db->Close();
    return r.ok ? QStringLiteral("read, %1 names added").arg(r.added) : QStringLiteral("refused: ") + r.description;
}

std::vector<Case> Cases()
{
    const qint64 recordCap = readlimits::MaxRecordingBytes, profileCap = readlimits::MaxTextProfileBytes;
    std::vector<Case> cases;
    cases.push_back({"hrm-line-ends", ".hrm: a header, [HRData], then line ends to the 64 MB cap",
                     [=](const QString &f) { WriteRepeated(f, HrmHead, "\n", recordCap); }, ReadHrm});
    cases.push_back({"hrm-blank-keys", ".hrm: a header, then lines of one blank in [Params] to the cap",
                     [=](const QString &f) { WriteRepeated(f, "[Params]\r\nVersion=106\r\n", " \n", recordCap, "[HRData]\r\n"); },
                     ReadHrm});
    cases.push_back({"hrm-valid-64", ".hrm: a valid recording of four values a sample to the 64 MB cap",
                     [=](const QString &f) {
                         WriteRepeated(f, "[Params]\r\nVersion=106\r\nSMode=11100000\r\nInterval=1\r\n\r\n[HRData]\r\n",
                                       "120\t250\t90\t500\r\n", recordCap);
                     },
                     ReadHrm});
    cases.push_back({"hrm-valid-pulse-64", ".hrm: a valid recording of the pulse alone to the 64 MB cap",
                     [=](const QString &f) {
                         WriteRepeated(f, "[Params]\r\nVersion=106\r\nSMode=00000000\r\nInterval=1\r\n\r\n[HRData]\r\n",
                                       "60\n", recordCap);
                     },
                     ReadHrm});
    cases.push_back({"hrm-params-equals", ".hrm: lines of a lone \"=\" in [Params] to the 64 MB cap",
                     [=](const QString &f) { WriteRepeated(f, "[Params]\r\n", "=\n", recordCap, "[HRData]\r\n"); },
                     ReadHrm});
    cases.push_back({"profile-sections-40", "text profile: [Prog] Name=Vettaro-V4, then 8 M lines [S] (40 MB)",
                     [](const QString &f) { WriteRepeated(f, "[Prog]\r\nName=Vettaro-V4\r\n", "[S]\r\n", 40000000); },
                     ReadProfile});
    cases.push_back({"profile-sections-64", "text profile: the same to the 64 MB cap",
                     [=](const QString &f) { WriteRepeated(f, "[Prog]\r\nName=Vettaro-V4\r\n", "[S]\r\n", profileCap); },
                     ReadProfile});
    cases.push_back({"profile-data-keys", "text profile: one [Data] section of keys to the 64 MB cap",
                     [=](const QString &f) { WriteRepeated(f, "[Prog]\r\nName=Vettaro-V4\r\n[Data]\r\n", "k=v\r\n", profileCap); },
                     ReadProfile});
    cases.push_back({"profile-valid-64", "text profile: a valid profile of 16-byte sample lines to the 64 MB cap",
                     [=](const QString &f) {
                         // The count is known before the samples are written: every line has 16 bytes.
                         const QByteArray tailHead = "[Prog]\r\nName=Vettaro-V4\r\n[SampleData]\r\nNumber=";
                         const qint64 samples = (profileCap - tailHead.size() - 12) / 16;
                         WriteNumbered(f, QByteArray(),
                                       [](qint64 i) { return QByteArray::number(i % 10000).rightJustified(4, '0') + ",512,\"\",\"\"\r\n"; },
                                       profileCap, tailHead + QByteArray::number(samples) + "\r\n", samples);
                     },
                     ReadProfile});
    // The settings store has no cap of its own: a file of the size of the
    // other caps, with the line ends a Windows editor leaves.
    cases.push_back({"settings-crlf-64", "settings file: [Settings] and short keys, CR LF ends, 64 MB",
                     [=](const QString &f) {
                         WriteNumbered(f, "[Settings]\r\nLanguage=1040\r\n",
                                       [](qint64 i) { return "Key" + QByteArray::number(i) + "=1\r\n"; }, 64 * MiB,
                                       QByteArray());
                     },
                     ReadSettings});
    cases.push_back({"settings-crlf-bare-64", "settings file: [Settings], then CR LF alone to 64 MB",
                     [=](const QString &f) { WriteRepeated(f, "[Settings]\r\nLanguage=1040\r\n", "\r\n", 64 * MiB); },
                     ReadSettings});
    cases.push_back({"settings-lf-bare-64", "settings file: [Settings], then LF alone to 64 MB",
                     [=](const QString &f) { WriteRepeated(f, "[Settings]\nLanguage=1040\n", "\n", 64 * MiB); },
                     ReadSettings});
    cases.push_back({"states-names", "states file: 64 MB, 6.7 M names",
                     [=](const QString &f) {
                         WriteNumbered(f, QByteArray(), [](qint64 i) { return "S" + QByteArray::number(i).rightJustified(7, '0') + "\r\n"; },
                                       readlimits::MaxStatesFileBytes, QByteArray());
                     },
                     ImportStates});
    cases.push_back({"states-one-name", "states file: one name again and again to the 64 MB cap",
                     [=](const QString &f) { WriteRepeated(f, QByteArray(), "Italia\r\n", readlimits::MaxStatesFileBytes); },
                     ImportStates});
    cases.push_back({"states-at-bound", "states file: as many different names as the bound lets in",
                     [=](const QString &f) {
                         WriteNumbered(f, QByteArray(), [](qint64 i) { return "S" + QByteArray::number(i).rightJustified(7, '0') + "\r\n"; },
                                       10 * qint64(readlimits::MaxStatesFileNames), QByteArray());
                     },
                     ImportStates});
    cases.push_back({"xml-attributes", "races XML: one element with 120,000 attributes (1.3 MB)",
                     [](const QString &f) {
                         WriteNumbered(f, "<races><race", [](qint64 i) { return " a" + QByteArray::number(i) + "=\"1\""; },
                                       1300000, "/></races>");
                     },
                     ReadRaces});
    cases.push_back({"xml-unclosed-3m", "races XML: 3,000,000 unclosed elements (9 MB)",
                     [](const QString &f) { WriteRepeated(f, QByteArray(), "<a>", 9000000); }, ReadRaces});
    cases.push_back({"xml-unclosed-10m", "races XML: 10,000,000 unclosed elements (30 MB)",
                     [](const QString &f) { WriteRepeated(f, QByteArray(), "<a>", 30000000); }, ReadRaces});
    cases.push_back({"xml-flat", "races XML: empty elements side by side to the 96 MB cap",
                     [](const QString &f) { WriteRepeated(f, "<races>", "<a/>", xml::MaxDocumentBytes, "</races>"); },
                     ReadRaces});
    cases.push_back({"xml-attribute-spread", "races XML: elements of 200 attributes each to the 96 MB cap",
                     [](const QString &f) {
                         QByteArray unit = "<a";
                         for (int i = 0; i < 200; ++i)
                             unit += " b" + QByteArray::number(i) + "=''";
                         unit += "/>";
                         WriteRepeated(f, "<races>", unit, xml::MaxDocumentBytes, "</races>");
                     },
                     ReadRaces});
    cases.push_back({"xml-entity-references", "races XML: an entity of 4,000 characters referred to up to the 96 MB cap",
                     [](const QString &f) {
                         WriteRepeated(f, "<!DOCTYPE races [<!ENTITY e '" + QByteArray(4000, 'x') + "'>]><races><race idName='", "&e;",
                                       xml::MaxDocumentBytes, "'/></races>");
                     },
                     ReadRaces});
    cases.push_back({"xml-document-type", "races XML: a document type of attribute defaults to the 96 MB cap",
                     [](const QString &f) {
                         WriteNumbered(f, "<!DOCTYPE races [<!ATTLIST race",
                                       [](qint64 i) { return " a" + QByteArray::number(i) + " CDATA 'x'"; },
                                       xml::MaxDocumentBytes, ">]><races><race/></races>");
                     },
                     ReadRaces});
    cases.push_back({"xml-char-references", "races XML: &#x41; in one attribute to the 96 MB cap",
                     [](const QString &f) { WriteRepeated(f, "<races><race idName=\"", "&#x41;", xml::MaxDocumentBytes, "\"/></races>"); },
                     ReadRaces});
    cases.push_back({"xml-amp-attribute", "races XML: &amp; in one attribute to the 96 MB cap",
                     [](const QString &f) { WriteRepeated(f, "<races><race idName=\"", "&amp;", xml::MaxDocumentBytes, "\"/></races>"); },
                     ReadRaces});
    cases.push_back({"xml-amp-text", "races XML: &amp; in one element's text to the 96 MB cap",
                     [](const QString &f) { WriteRepeated(f, "<races><race><name>", "&amp;", xml::MaxDocumentBytes, "</name></race></races>"); },
                     ReadRaces});
    cases.push_back({"xml-equals-quote", "races XML: =' in one attribute to the 96 MB cap",
                     [](const QString &f) { WriteRepeated(f, "<races><race idName=\"", "='", xml::MaxDocumentBytes, "\"/></races>"); },
                     ReadRaces});
    cases.push_back({"xml-references-spread", "races XML: elements of 100 &#x41; in an attribute to the 96 MB cap",
                     [](const QString &f) {
                         WriteRepeated(f, "<races>", "<a b=\"" + QByteArray("&#x41;").repeated(100) + "\"/>", xml::MaxDocumentBytes,
                                       "</races>");
                     },
                     ReadRaces});
    cases.push_back({"xml-amp-spread", "races XML: elements of 100 &amp; in their text to the 96 MB cap",
                     [](const QString &f) {
                         WriteRepeated(f, "<races>", "<a>" + QByteArray("&amp;").repeated(100) + "</a>", xml::MaxDocumentBytes,
                                       "</races>");
                     },
                     ReadRaces});
    // Five elements around the samples, three to a sample.
    cases.push_back({"xml-valid-at-bound", "races XML: a valid races file of as many samples as the element bound lets in",
                     [](const QString &f) { WriteRacesFile(f, (readlimits::MaxXmlElements - 5) / 3, xml::MaxDocumentBytes); },
                     ReadRaces});
    cases.push_back({"xml-one-text", "races XML: one element of text to the 96 MB cap",
                     [](const QString &f) { WriteRepeated(f, "<races>", "x", xml::MaxDocumentBytes, "</races>"); },
                     ReadRaces});
    cases.push_back({"xml-comment-after", "races XML: a small document, then a comment to the 96 MB cap",
                     [](const QString &f) { WriteRepeated(f, "<races><race/></races><!--", "x", xml::MaxDocumentBytes, "-->"); },
                     ReadRaces});
    cases.push_back({"xml-races-at-cap", "races XML: a races file's shape to the 96 MB cap, past the element bound",
                     [](const QString &f) {
                         WriteRacesFile(f, std::numeric_limits<qint64>::max(), xml::MaxDocumentBytes);
                     },
                     ReadRaces});
    return cases;
}

double PeakMegabytes()
{
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return double(u.ru_maxrss) / 1024.0;   // kilobytes on Linux
}

// Processor time of the process so far (user and system): on a shared
// machine the wall time also counts the waits for a free core.
double CpuMs()
{
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return (u.ru_utime.tv_sec + u.ru_stime.tv_sec) * 1e3 + (u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e3;
}

int RunCase(const QString &name, const QString &file, const QString &templ)
{
    for (const Case &c : Cases()) {
        if (name != QLatin1String(c.name))
            continue;
        QElapsedTimer t;
        t.start();
        const double cpuBefore = CpuMs();
        const QString outcome = c.read(file, templ);
        const double ms = t.nsecsElapsed() / 1e6, cpu = CpuMs() - cpuBefore;
        std::printf("%-22s %7.0f ms (%7.0f ms processor) %5.0f MB peak  %s\n", c.name, ms, cpu, PeakMegabytes(),
                    qPrintable(outcome.left(100)));
        return 0;
    }
    std::fprintf(stderr, "no case %s\n", qPrintable(name));
    return 2;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    const QString defaultTemplate = QStringLiteral(VETTARO_BIN_DIR "/ZidoVodu.dat");
    try {
        if (args.size() >= 4 && args.at(1) == QLatin1String("--case"))
            return RunCase(args.at(2), args.at(3), args.size() > 4 ? args.at(4) : defaultTemplate);
        if (args.size() >= 4 && args.at(1) == QLatin1String("--make")) {
            for (const Case &c : Cases())
                if (args.at(2) == QLatin1String(c.name))
                    c.make(args.at(3));
            return 0;
        }
        const QString templ = args.size() > 1 ? args.at(1) : defaultTemplate;
        QTemporaryDir dir;
        std::printf("each case in a process of its own: time of the read (wall, processor), peak memory of the process\n");
        for (const Case &c : Cases()) {
            const QString file = dir.filePath(QLatin1String(c.name));
            c.make(file);
            std::printf("# %s (%.1f MB)\n", c.what, double(QFile(file).size()) / MiB);
            std::fflush(stdout);
            QProcess p;
            p.setProcessChannelMode(QProcess::ForwardedChannels);
            p.start(app.applicationFilePath(), {QStringLiteral("--case"), QLatin1String(c.name), file, templ});
            p.waitForFinished(-1);
            QFile::remove(file);
        }
    } catch (const VbError &e) {
        std::fprintf(stderr, "%s\n", qPrintable(e.Description()));
        return 1;
    }
    return 0;
}
