#include "recordings/Hrm.h"

#include "platform/settings/IniDocument.h"
#include "recordings/RecordingParse.h"

#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

using namespace RecordingParse;

namespace {

const QString kParams = QStringLiteral("Params");

// Kinds of the fields of a sample line.
enum Kind { Pulse = 1, Speed = 2, Cadence = 3, Altitude = 4, Power = 5, Balance = 6 };

// A value between a pair of matching quotes is given without them, as the
// INI reads of the system did.
QString Unquote(const QString &v)
{
    if (v.size() >= 2) {
        const QChar a = v.front(), b = v.back();
        if (a == b && (a == QLatin1Char('"') || a == QLatin1Char('\'')))
            return v.mid(1, v.size() - 2);
    }
    return v;
}

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
    QFile f(HRMFileName);
    if (HRMFileName.isEmpty() || !f.open(QIODevice::ReadOnly)) {
        m_failure = {RecordingText::CannotOpen, {}};
        return 0;
    }
    const QByteArray contents = f.readAll();
    if (f.error() != QFileDevice::NoError) {
        m_failure = {RecordingText::CannotOpen, {}};
        return 0;
    }
    return ReadHRMData(contents, HRMFileName);
}

int16_t Hrm::ReadHRMData(const QByteArray &Contents, const QString &FileName)
{
    // Parse into a copy so that a failure leaves this object as it was.
    Hrm next = *this;
    next.m_failure = {};
    if (!next.parse(Contents, FileName)) {
        m_failure = next.m_failure;
        return 0;
    }
    *this = std::move(next);
    return 1;
}

bool Hrm::parse(const QByteArray &contents, const QString &fileName)
{
    const QString text = IniDocument::Decode(contents);

    // The lines as views into the text (LF, CR LF or CR ends a line).
    struct LineView {
        qsizetype start, length, next;
    };
    std::vector<LineView> lines;
    {
        const QChar *d = text.constData();
        const qsizetype n = text.size();
        qsizetype start = 0;
        for (qsizetype i = 0; i < n; ++i) {
            const char16_t c = d[i].unicode();
            if (c == u'\n' || c == u'\r') {
                qsizetype next = i + 1;
                if (c == u'\r' && next < n && d[next].unicode() == u'\n')
                    ++next;
                lines.push_back({start, i - start, next});
                start = next;
                i = next - 1;
            }
        }
        if (start < n)
            lines.push_back({start, n - start, n});
    }
    auto lineAt = [&](size_t i) { return QStringView(text).mid(lines[i].start, lines[i].length); };

    // The samples: the lines after "[HRData]" (exactly) up to the first empty line.
    size_t first = 0;
    while (first < lines.size() && lineAt(first) != u"[HRData]")
        ++first;
    ++first;
    size_t end = first;
    while (end < lines.size() && lines[end].length > 0)
        ++end;

    // The keys are read from everything but the sample lines, which only
    // ever belong to the section [HRData] that no key is read from.
    IniDocument ini;
    if (first < end) {
        const qsizetype cut = lines[first].start;
        const qsizetype resume = end < lines.size() ? lines[end].start : text.size();
        ini.setText(text.left(cut) + text.mid(resume));
    } else {
        ini.setText(text);
    }

    auto key = [&](const QString &name) { return Unquote(ini.value(kParams, name)).left(126); };
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
    m_Note = ini.sectionLines(QStringLiteral("Note")).join(QLatin1Char(' ')).left(247);
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
    int64_t seconds = -int64_t(m_Interval);
    float distance = 0;
    for (size_t at = first; at < end; ++at) {
        const QStringView view = lineAt(at);
        auto lineNo = [at] { return QString::number(at + 1); };
        int16_t values[6];
        qsizetype start = 0;
        int found = 0;
        for (; found < fields; ++found) {
            if (start > view.size())
                break;
            qsizetype tab = view.indexOf(u'\t', start);
            if (tab < 0)
                tab = view.size();
            const QStringView field = view.mid(start, tab - start);
            const auto v = WholeNumber(field);
            if (!v) {
                m_failure = {RecordingText::NotANumber, {lineNo(), QuoteForReason(field.toString())}};
                return false;
            }
            if (!Fits16(*v)) {
                m_failure = {RecordingText::OutOfRange, {lineNo(), QuoteForReason(field.toString().trimmed())}};
                return false;
            }
            values[found] = int16_t(*v);
            start = tab + 1;
        }
        if (found < fields) {
            m_failure = {RecordingText::TooFewFields,
                         {lineNo(), QString::number(found), QString::number(fields)}};
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
                    m_failure = {RecordingText::OutOfRange, {lineNo(), QString::number(seconds)}};
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
                    m_failure = {RecordingText::OutOfRange, {lineNo(), QString::number(int64_t(h))}};
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
