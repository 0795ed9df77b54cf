#include "recordings/Hrm.h"

#include "core/LangClient.h"
#include "platform/settings/IniDocument.h"
#include "platform/settings/IniIndex.h"
#include "platform/shell/Cp1252.h"
#include "platform/shell/ReadLimits.h"
#include "recordings/RecordingParse.h"

#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <vector>

using namespace RecordingParse;

namespace {

const QString kParams = QStringLiteral("Params");

// Kinds of the fields of a sample line.
enum Kind { Pulse = 1, Speed = 2, Cadence = 3, Altitude = 4, Power = 5, Balance = 6 };

bool Fits16(int64_t v) { return v >= -32768 && v <= 32767; }

} // namespace

QString RecordingNameFromFile(const QString &fileName)
{
    const QFileInfo fi(fileName);
    const QString base = fi.completeBaseName();
    return base.isEmpty() ? fi.fileName() : base;
}

QDate Hrm::ParseHrmDate(const QString &text)
{
    const QString t = text.trimmed();
    if (t.size() >= 8) {
        bool okY = false, okM = false, okD = false;
        const int y = t.left(4).toInt(&okY), m = t.mid(4, 2).toInt(&okM), d = t.mid(6, 2).toInt(&okD);
        const QDate date(y, m, d);
        if (okY && okM && okD && date.isValid())
            return date;
    }
    return QDate::currentDate();
}

QTime Hrm::ParseHrmTime(const QString &text)
{
    QString t = text.trimmed();
    const qsizetype dot = t.indexOf(QLatin1Char('.'));
    if (dot >= 0)
        t = t.left(dot);
    const QStringList parts = t.split(QLatin1Char(':'));
    if (parts.size() >= 2 && parts.size() <= 3) {
        int v[3] = {0, 0, 0};
        bool ok = true;
        for (int i = 0; i < parts.size() && ok; ++i) {
            const auto n = WholeNumber(parts.at(i));
            ok = n && *n >= 0 && parts.at(i).trimmed().size() <= 2;
            if (ok)
                v[i] = int(*n);
        }
        if (ok && v[0] < 24 && v[1] < 60 && v[2] < 60)
            return QTime(v[0], v[1], v[2]);
    }
    return QTime(1, 0, 0);
}

int16_t Hrm::ReadHRM(const QString &HRMFileName)
{
    QByteArray contents;
    if (!ReadRecordingFile(HRMFileName, contents, m_failure))
        return 0;
    return ReadHRMData(contents, HRMFileName);
}

int16_t Hrm::ReadHRMData(const QByteArray &Contents, const QString &FileName)
{
    // Parse into a copy so that a failure leaves this object as it was.
    return ParseIntoCopy(*this, m_failure, Contents, FileName);
}

bool Hrm::parse(const QByteArray &contents, const QString &fileName)
{
    // The sample lines are read straight from the bytes (digits, signs and
    // tabs read the same in every encoding); only the rest is decoded.
    const char *d = contents.constData();
    const qsizetype n = contents.size();
    // One line from pos: its length; next gets where the following one starts
    // (LF, CR LF or CR ends a line).
    auto lineFrom = [&](qsizetype pos, qsizetype &next) {
        qsizetype i = pos;
        while (i < n && d[i] != '\n' && d[i] != '\r')
            ++i;
        next = i < n ? i + 1 : n;
        if (i < n && d[i] == '\r' && next < n && d[next] == '\n')
            ++next;
        return i - pos;
    };
    // The samples: the lines after "[HRData]" (exactly) up to the first empty line.
    qsizetype pos = contents.size() - WithoutUtf8Mark(contents).size();
    qsizetype lineNumber = 0;
    bool hasData = false;
    while (pos < n && !hasData) {
        qsizetype next = 0;
        const qsizetype len = lineFrom(pos, next);
        ++lineNumber;
        hasData = QByteArrayView(d + pos, len) == QByteArrayView("[HRData]");
        pos = next;
    }
    const qsizetype first = hasData ? pos : n;
    const qsizetype firstLine = lineNumber + 1;
    qsizetype end = first;
    while (end < n) {
        qsizetype next = 0;
        if (lineFrom(end, next) == 0)
            break;
        end = next;
    }

    // The keys are read from everything but the sample lines, which only
    // ever belong to the section [HRData] that no key is read from. One pass
    // over the text keeps the keys of [Params] read below and the start of
    // [Note], and nothing per line.
    static const QStringList paramsKeys{
        QStringLiteral("Version"),  QStringLiteral("Monitor"),     QStringLiteral("Mode"),
        QStringLiteral("SMode"),    QStringLiteral("Date"),        QStringLiteral("StartTime"),
        QStringLiteral("Length"),   QStringLiteral("Interval"),    QStringLiteral("Upper1"),
        QStringLiteral("Upper2"),   QStringLiteral("Upper3"),      QStringLiteral("Lower1"),
        QStringLiteral("Lower2"),   QStringLiteral("Lower3"),      QStringLiteral("Timer1"),
        QStringLiteral("Timer2"),   QStringLiteral("Timer3"),      QStringLiteral("ActiveLimit"),
        QStringLiteral("MaxHR"),    QStringLiteral("RestHR"),      QStringLiteral("StartDelay"),
        QStringLiteral("VO2max"),   QStringLiteral("Weight")};
    constexpr int NoteChars = 247;
    const IniIndex ini(IniDocument::Decode(first < end ? contents.left(first) + contents.mid(end) : contents),
                       {{kParams, paramsKeys, 0}, {QStringLiteral("Note"), {}, NoteChars}});
    auto key = [&](const QString &name) {
        Q_ASSERT(paramsKeys.contains(name));
        return IniDocument::Unquote(ini.value(kParams, name)).left(126);
    };
    // An integer key; false (with the reason) when it does not fit 16 bits.
    auto int16Key = [&](const char *name, int16_t &target) {
        const QString raw = key(QLatin1String(name));
        const int64_t v = LeadingNumber(raw);
        if (!Fits16(v)) {
            m_failure = {RecordingText::KeyOutOfRange, {QLatin1String(name), QuoteForReason(raw)}};
            return false;
        }
        target = int16_t(v);
        return true;
    };
    auto setUnits = [&](bool us) {
        m_swUnit = us;
        m_DistConst = us ? float(1609.344 / 1000) : 1.0f;
        m_HeightConv = us ? float(1 / 3.281) : 1.0f;
    };

    m_Version = key(QStringLiteral("Version"));
    m_HeightFactor = m_Version == QLatin1String("102") ? 10 : 1;
    {
        const int64_t monitor = LeadingNumber(key(QStringLiteral("Monitor")));
        m_Monitor = int32_t(std::clamp<int64_t>(monitor, INT32_MIN, INT32_MAX));
    }
    // Versions compare as texts: "1000" and "" count as older than "105".
    if (QString::compare(m_Version, QLatin1String("105")) <= 0) {
        m_Mode = key(QStringLiteral("Mode"));
        m_swSpeed = true;
        const QChar c1 = m_Mode.size() > 0 ? m_Mode.at(0) : QChar();
        if (c1 == QLatin1Char('0')) {
            m_swCadence = true;
            m_swAlt = false;
        } else if (c1 == QLatin1Char('1')) {
            m_swCadence = false;
            m_swAlt = true;
        } else if (c1 == QLatin1Char('3')) {
            m_swCadence = false;
            m_swAlt = false;
        }
        m_swCC = m_Mode.size() > 1 && m_Mode.at(1) == QLatin1Char('1');
        setUnits(m_Mode.size() > 2 && m_Mode.at(2) == QLatin1Char('1'));
        m_swPower = m_swPLR = m_swPI = false;
    } else if (QString::compare(m_Version, QLatin1String("106")) >= 0) {
        m_SMode = key(QStringLiteral("SMode"));
        auto flag = [&](int i) { return m_SMode.size() > i && m_SMode.at(i) == QLatin1Char('1'); };
        m_swSpeed = flag(0);
        m_swCadence = flag(1);
        m_swAlt = flag(2);
        m_swPower = flag(3);
        m_swPLR = flag(4);
        m_swPI = flag(5);
        m_swCC = flag(6);
        setUnits(flag(7));
    }

    m_HrmDate = ParseHrmDate(key(QStringLiteral("Date")));
    m_StartTime = ParseHrmTime(key(QStringLiteral("StartTime")));
    m_LengthTime = ParseHrmTime(key(QStringLiteral("Length")));
    if (!int16Key("Interval", m_Interval) || !int16Key("Upper1", m_Upper1) || !int16Key("Upper2", m_Upper2)
        || !int16Key("Upper3", m_Upper3) || !int16Key("Lower1", m_Lower1) || !int16Key("Lower2", m_Lower2)
        || !int16Key("Lower3", m_Lower3))
        return false;
    m_Timer1 = ParseHrmTime(key(QStringLiteral("Timer1")));
    m_Timer2 = ParseHrmTime(key(QStringLiteral("Timer2")));
    m_Timer3 = ParseHrmTime(key(QStringLiteral("Timer3")));
    if (!int16Key("ActiveLimit", m_ActiveLimit) || !int16Key("MaxHR", m_MaxHR) || !int16Key("RestHR", m_RestHR)
        || !int16Key("StartDelay", m_StartDelay) || !int16Key("VO2max", m_VO2max) || !int16Key("Weight", m_Weight))
        return false;

    // The note's lines joined by a blank, at most 247 characters.
    m_Note = ini.sectionLines(QStringLiteral("Note")).join(QLatin1Char(' ')).left(NoteChars);
    if (m_Note.isEmpty())
        m_Note = RecordingNameFromFile(fileName);

    // Field kinds in the order the sample lines hold them.
    int kinds[6];
    int fields = 0;
    kinds[fields++] = Pulse;
    if (m_swSpeed)
        kinds[fields++] = Speed;
    if (m_swCadence)
        kinds[fields++] = Cadence;
    if (m_swAlt)
        kinds[fields++] = Altitude;
    if (m_swPower)
        kinds[fields++] = Power;
    if (m_swPLR)
        kinds[fields++] = Balance;
    m_Fields_Count = int16_t(fields);

    auto samples = std::make_shared<ColSample>();
    // One sample a line: the lines are counted, as a byte count would ask
    // for many times the room the samples take.
    {
        const qsizetype lf = std::count(d + first, d + end, '\n');
        const qsizetype cr = std::count(d + first, d + end, '\r');
        // Far more samples than any real recording has (at least one a line
        // but the last) are refused before one is made: they would take
        // gigabytes.
        const qsizetype lines = std::max(lf, cr) + 1;
        if (lines - 1 > readlimits::MaxRecordingSamples) {
            m_failure = {RecordingText::TooManySamples, {InterfaceNumber(readlimits::MaxRecordingSamples)}};
            return false;
        }
        samples->Reserve(int(std::min<qsizetype>(lines, readlimits::MaxRecordingSamples)));
    }
    int64_t seconds = -int64_t(m_Interval);
    float distance = 0;
    qsizetype lineNo = firstLine - 1;
    for (qsizetype at = first; at < end;) {
        qsizetype next = 0;
        const QByteArrayView view(d + at, lineFrom(at, next));
        at = next;
        ++lineNo;
        auto lineText = [lineNo] { return InterfaceNumber(lineNo); };
        int16_t values[6];
        qsizetype start = 0;
        int found = 0;
        for (; found < fields; ++found) {
            if (start > view.size())
                break;
            const void *tabAt = std::memchr(view.data() + start, '\t', size_t(view.size() - start));
            const qsizetype tab = tabAt ? static_cast<const char *>(tabAt) - view.data() : view.size();
            const QByteArrayView field = view.sliced(start, tab - start);
            const auto v = WholeNumber(field);
            if (!v) {
                m_failure = {RecordingText::NotANumber, {lineText(), QuoteForReason(IniDocument::Decode(field.toByteArray()))}};
                return false;
            }
            if (!Fits16(*v)) {
                m_failure = {RecordingText::OutOfRange,
                             {lineText(), QuoteForReason(IniDocument::Decode(field.toByteArray()).trimmed())}};
                return false;
            }
            values[found] = int16_t(*v);
            start = tab + 1;
        }
        if (found < fields) {
            m_failure = {RecordingText::TooFewFields,
                         {lineText(), QString::number(found), QString::number(fields)}};
            return false;
        }

        if (samples->Count() >= readlimits::MaxRecordingSamples) {
            m_failure = {RecordingText::TooManySamples, {InterfaceNumber(readlimits::MaxRecordingSamples)}};
            return false;
        }
        auto s = std::make_shared<Sample>();
        for (int k = 0; k < fields; ++k) {
            const int16_t v = values[k];
            switch (kinds[k]) {
            case Pulse:
                s->Pulse(v);
                break;
            case Speed: {
                seconds += m_Interval;
                if (seconds > INT32_MAX || seconds < INT32_MIN) {
                    m_failure = {RecordingText::OutOfRange, {lineText(), QString::number(seconds)}};
                    return false;
                }
                s->Seconds(int32_t(seconds));
                const float speed = float(double(v) / 10 * double(m_DistConst));
                s->Speed(speed);
                distance += speed / 3600.0f * float(m_Interval);
                s->Distance(distance);
                break;
            }
            case Cadence:
                s->Cadence(v);
                break;
            case Altitude: {
                const double h = std::nearbyint(float(v) * m_HeightConv * float(m_HeightFactor));
                if (!Fits16(int64_t(h))) {
                    m_failure = {RecordingText::OutOfRange, {lineText(), QString::number(int64_t(h))}};
                    return false;
                }
                s->Height(int16_t(h));
                break;
            }
            case Power:
                s->Power(v);
                break;
            case Balance:
                s->PowerBalance(int16_t(std::nearbyint((v & 0x7F80) / 256.0)));
                s->PedalingIndex(int16_t(v & 0x7F));
                break;
            }
        }
        samples->Append(s);
    }
    m_Samples = samples;
    return true;
}
