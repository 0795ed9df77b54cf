#include "recordings/Tur.h"

#include "core/LangClient.h"
#include "platform/settings/IniDocument.h"
#include "recordings/Hrm.h"
#include "recordings/RecordingParse.h"
#include "platform/shell/ReadLimits.h"

#include <QFile>
#include <QRegularExpression>
#include <cmath>

using namespace RecordingParse;

namespace {

// Walks the header lines of a tour file: a line ends at LF (not part of it)
// or after a NUL (kept as its last character). A CR before the LF is dropped,
// so files whose header was written with CR LF read the same.
class HeaderReader {
public:
    explicit HeaderReader(const QByteArray &data) : m_data(data) {}

    // False at the end of the file (nothing left to read as a line).
    bool next(QString &line)
    {
        if (m_pos >= m_data.size())
            return false;
        const char *d = m_data.constData();
        qsizetype end = m_pos;
        qsizetype after = -1;
        while (end < m_data.size()) {
            if (d[end] == '\n') {
                after = end + 1;
                break;
            }
            if (d[end] == '\0') {
                ++end;
                after = end;
                break;
            }
            ++end;
        }
        if (after < 0)
            after = end;
        qsizetype len = end - m_pos;
        if (len > 0 && d[m_pos + len - 1] == '\r')
            --len;
        line = IniDocument::Decode(QByteArray::fromRawData(d + m_pos, len));
        m_pos = after;
        ++m_line;
        return true;
    }
    int lineNumber() const { return m_line; }
    qsizetype position() const { return m_pos; }

private:
    const QByteArray &m_data;
    qsizetype m_pos = 0;
    int m_line = 0;
};

// day.month.year; a two-digit year lies in 1930..2029.
QDate ParseDayMonthYear(const QString &text)
{
    const QStringList parts = text.trimmed().split(QRegularExpression(QStringLiteral("[./-]")));
    if (parts.size() != 3)
        return {};
    const auto d = WholeNumber(parts.at(0)), m = WholeNumber(parts.at(1)), y = WholeNumber(parts.at(2));
    if (!d || !m || !y || *y < 0 || *y > 9999)
        return {};
    int year = int(*y);
    if (parts.at(2).trimmed().size() <= 2)
        year += year < 30 ? 2000 : 1900;
    return QDate(year, int(*m), int(*d));
}

QTime ParseTimeOfDay(const QString &text)
{
    const QStringList parts = text.trimmed().split(QLatin1Char(':'));
    if (parts.size() < 2 || parts.size() > 3)
        return {};
    int v[3] = {0, 0, 0};
    for (int i = 0; i < parts.size(); ++i) {
        const auto n = WholeNumber(parts.at(i));
        if (!n || *n < 0 || *n > 59 || parts.at(i).trimmed().isEmpty())
            return {};
        v[i] = int(*n);
    }
    return v[0] < 24 ? QTime(v[0], v[1], v[2]) : QTime();
}

} // namespace

int16_t Tur::ReadTur(const QString &Path)
{
    QByteArray contents;
    if (!ReadRecordingFile(Path, contents, m_failure))
        return 0;
    return ReadTurData(contents, Path);
}

int16_t Tur::ReadTurData(const QByteArray &Contents, const QString &FileName)
{
    // Parse into a copy so that a failure leaves this object as it was.
    return ParseIntoCopy(*this, m_failure, Contents, FileName);
}

bool Tur::parse(const QByteArray &contents, const QString &fileName)
{
    HeaderReader header(contents);
    QString line;
    auto read = [&]() {
        if (header.next(line))
            return true;
        m_failure = {RecordingText::HeaderCut, {InterfaceNumber(header.lineNumber() + 1)}};
        return false;
    };
    auto skip = [&](int count) {
        for (int i = 0; i < count; ++i)
            if (!read())
                return false;
        return true;
    };
    auto skipReserve = [&]() {
        do {
            if (!read())
                return false;
        } while (line == QLatin1String("Reserve"));
        return true;
    };
    auto lineNo = [&]() { return InterfaceNumber(header.lineNumber()); };
    auto decimal = [&](double &target) {
        const auto v = DecimalNumber(line);
        if (!v) {
            m_failure = {RecordingText::NotANumber, {lineNo(), QuoteForReason(line)}};
            return false;
        }
        target = *v;
        return true;
    };
    auto whole = [&](int64_t &target, int64_t lo, int64_t hi) {
        double v = 0;
        if (!decimal(v))
            return false;
        const double r = std::nearbyint(v);
        if (r < double(lo) || r > double(hi)) {
            m_failure = {RecordingText::OutOfRange, {lineNo(), QuoteForReason(line.trimmed())}};
            return false;
        }
        target = int64_t(r);
        return true;
    };
    double number = 0;
    int64_t integer = 0;

    if (!read())
        return false;
    m_Monitor = line;
    if (!read())
        return false;
    m_Version_Major = line;
    if (!read())
        return false;
    m_Version_Minor = line;
    if (!read())
        return false;
    m_Version_Revision = line;
    m_Version = m_Version_Major + QLatin1Char('.') + m_Version_Minor + QLatin1Char('.') + m_Version_Revision;
    if (!read())
        return false;
    m_TurName = line.trimmed().isEmpty() ? RecordingNameFromFile(fileName) : line;
    if (!read())
        return false;
    m_StartPlace = line;
    if (!read())
        return false;
    m_FinishPlace = line;
    if (!read())
        return false;
    m_TurDate = ParseDayMonthYear(line);
    if (!m_TurDate.isValid()) {
        m_failure = {RecordingText::NotADate, {lineNo(), QuoteForReason(line)}};
        return false;
    }
    if (!read())
        return false;
    m_StartTime = ParseTimeOfDay(line);
    if (!m_StartTime.isValid()) {
        m_failure = {RecordingText::NotATime, {lineNo(), QuoteForReason(line)}};
        return false;
    }
    if (!read())
        return false;
    m_Mode = line;
    m_Note.clear();
    if (m_Mode == QLatin1String("1")) {
        if (!read())
            return false;
        m_Note = line;
    }
    if (!read() || !decimal(number))
        return false;
    m_TotalDistance = float(number / 100);
    if (!skip(2) || !read() || !whole(integer, -32768, 32767))
        return false;
    m_StartHeight = int16_t(integer);
    if (!skip(1 + 9) || !skipReserve())
        return false;
    m_FirstName = line;
    if (!read())
        return false;
    m_LastName = line;
    if (!read())
        return false;
    m_BornDay = line;
    if (!read())
        return false;
    m_Club = line;
    if (!read() || !decimal(number))
        return false;
    m_Weight = float(number);
    if (!read() || !whole(integer, -32768, 32767))
        return false;
    m_MaxHR = int16_t(integer);
    if (!read() || !whole(integer, -32768, 32767))
        return false;
    m_MinHR = int16_t(integer);
    if (!read())
        return false;
    m_Material = line;
    if (!read() || !decimal(number))
        return false;
    m_BikeWeight = float(number);
    if (!skip(4) || !skipReserve() || !whole(integer, 0, INT32_MAX))
        return false;
    m_SampleNumber = int32_t(integer);

    // Versions compare as texts, character by character: 3.2 and 4 are
    // newer than 3.1.0, 10.0.0 is older.
    const bool newer = QString::compare(m_Version, QLatin1String("3.1.0")) >= 0;
    qsizetype pos = header.position();
    if (newer && m_SampleNumber > 0)
        ++pos;
    const qsizetype before = newer ? 3 : 0, after = newer ? 1 : 0;
    const auto *d = reinterpret_cast<const unsigned char *>(contents.constData());
    const qsizetype size = contents.size();

    // Far more records than any real recording has: refused before a sample
    // is made, as they would take gigabytes (a count the file does not hold
    // is a cut file, told where the records end).
    if (m_SampleNumber > readlimits::MaxRecordingSamples
        && (size - pos + after) / (16 + before + after) > readlimits::MaxRecordingSamples) {
        m_failure = {RecordingText::TooManySamples, {InterfaceNumber(readlimits::MaxRecordingSamples)}};
        return false;
    }
    auto samples = std::make_shared<ColSample>();
    // Room for the records the file can hold, whatever count its header claims.
    samples->Reserve(int(std::min<int64_t>(m_SampleNumber, (size - pos) / (16 + before + after) + 1)));
    int64_t prevSeconds = 0;
    double prevDistance = 0;
    for (int32_t k = 0; k < m_SampleNumber; ++k) {
        const qsizetype at = pos + before;
        if (at + 16 > size) {
            m_failure = {RecordingText::RecordsCut, {InterfaceNumber(k), InterfaceNumber(m_SampleNumber)}};
            return false;
        }
        const unsigned char *b = d + at;
        const uint32_t seconds = b[0] | (uint32_t(b[1]) << 8) | (uint32_t(b[2]) << 16) | (uint32_t(b[3]) << 24);
        const uint32_t hundredths = b[4] | (uint32_t(b[5]) << 8) | (uint32_t(b[6]) << 16) | (uint32_t(b[7]) << 24);
        if (seconds >= 0x80000000u) {
            m_failure = {RecordingText::RecordOutOfRange, {InterfaceNumber(k + 1), QString::number(seconds)}};
            return false;
        }
        if (hundredths >= 0x80000000u) {
            m_failure = {RecordingText::RecordOutOfRange, {InterfaceNumber(k + 1), QString::number(hundredths)}};
            return false;
        }
        auto s = std::make_shared<Sample>();
        const double km = double(hundredths) / 100;
        s->Distance(float(km));
        s->Height(int16_t(uint16_t(b[8] | (b[9] << 8))));
        s->Seconds(int32_t(seconds));
        // Distance gained over the time elapsed since the previous record.
        const int64_t elapsed = int64_t(seconds) - prevSeconds;
        s->Speed(k > 0 && elapsed > 0 ? float((km - prevDistance) / double(elapsed) * 3600) : 0.0f);
        prevSeconds = seconds;
        prevDistance = km;
        s->Temperature(float(int8_t(b[12])));
        s->Cadence(int16_t(b[11]));
        s->Pulse(int16_t(b[10]));
        samples->Append(s);
        pos = at + 16 + after;
    }
    m_Samples = samples;
    return true;
}
