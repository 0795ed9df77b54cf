#pragma once
// Helpers of the recording tests: the real device files and small
// hand-made recordings.
#include "core/Race.h"

#include <QByteArray>
#include <QDir>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <vector>

namespace RecordingsTest {

// A file of the real device recordings (read where they lie, never copied).
inline QString Device(const QString &name)
{
    return QDir(QStringLiteral(VETTARO_DEVICE_DATA)).filePath(name);
}

// An .hrm text: [Params] with Version, SMode (or Mode for older versions)
// and Interval, any further key lines, then the sample lines after [HRData].
inline QByteArray HrmText(const QString &version, const QString &mode, int interval,
                          const QStringList &sampleLines, const QStringList &moreParams = {},
                          const QString &eol = QStringLiteral("\r\n"))
{
    QStringList lines{QStringLiteral("[Params]"), QStringLiteral("Version=") + version};
    const bool newer = QString::compare(version, QLatin1String("106")) >= 0;
    lines << (newer ? QStringLiteral("SMode=") : QStringLiteral("Mode=")) + mode;
    lines << QStringLiteral("Interval=%1").arg(interval) << moreParams << QString() << QStringLiteral("[HRData]")
          << sampleLines;
    return (lines.join(eol) + eol).toUtf8();
}

// One record of a tour file.
struct TurRecord {
    uint32_t seconds = 0;
    uint32_t hundredths = 0;   // distance in hundredths of a km
    int16_t height = 0;
    uint8_t pulse = 0, cadence = 0;
    int8_t temperature = 0;
};

// A tour file of the given version with the records; header lines can be
// replaced by index (0-based) through overrides.
inline QByteArray TurFile(const QString &major, const QString &minor, const QString &revision,
                          const std::vector<TurRecord> &records,
                          const std::vector<std::pair<int, QByteArray>> &overrides = {},
                          int sampleNumber = -1, const QByteArray &eol = "\n")
{
    QList<QByteArray> h{"HACtronic - Tour", major.toLatin1(), minor.toLatin1(), revision.toLatin1(),
                        "Test ride", "Start", "Finish", "12.05.2002", "10:34", "1", "A note",
                        "4010", "9037", "0095B4BC", "1901", "1277"};
    for (int i = 0; i < 9; ++i)
        h << "0";
    h << "Reserve" << "Reserve" << "Evel" << "Kneavel" << "25.07.1978" << "Club" << "75,5" << "153" << "110"
      << "Steel" << "8.5" << "41" << "0" << "0" << "0" << "Reserve"
      << QByteArray::number(sampleNumber < 0 ? int(records.size()) : sampleNumber);
    for (const auto &[index, text] : overrides)
        h[index] = text;
    QByteArray out;
    for (const QByteArray &line : h)
        out += line + eol;
    const bool newer = QString::compare(major + "." + minor + "." + revision, QLatin1String("3.1.0")) >= 0;
    if (newer)
        out += char(0);
    for (const TurRecord &r : records) {
        if (newer)
            out += QByteArray(3, char(0x12));
        auto le = [&](uint32_t v, int bytes) {
            for (int i = 0; i < bytes; ++i)
                out += char((v >> (8 * i)) & 0xFF);
        };
        le(r.seconds, 4);
        le(r.hundredths, 4);
        le(uint16_t(r.height), 2);
        out += char(r.pulse);
        out += char(r.cadence);
        out += char(r.temperature);
        out += QByteArray(3, char(0));
        if (newer)
            out += char(0x14);
    }
    return out;
}

}
