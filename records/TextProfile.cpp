#include "records/TextProfile.h"

#include "core/LangClient.h"
#include "platform/error/VbError.h"
#include "platform/settings/TextLines.h"
#include "platform/shell/Cp1252.h"
#include "platform/shell/FileWrite.h"
#include "platform/shell/ReadLimits.h"
#include "records/CardNumbers.h"

#include <QLocale>
#include <QStringList>
#include <cfenv>
#include <cmath>
#include <limits>

namespace {

const char *const Crlf = "\r\n";

QString StripQuotes(const QString &text)
{
    QString out = text;
    out.remove(QLatin1Char('"'));
    return out;
}

// Line breaks inside a value would start a new line of the file.
QString OneLine(const QString &text)
{
    QString out = text;
    out.replace(QLatin1String("\r\n"), QLatin1String(" "));
    out.replace(QLatin1Char('\r'), QLatin1Char(' '));
    out.replace(QLatin1Char('\n'), QLatin1Char(' '));
    return out;
}

// The typed length, read as the card's fields read numbers: the user's decimal
// mark or the other one, never a group separator ("1.500" is 1.5 in German).
float ParseLocaleSingle(const QString &text)
{
    double v = 0;
    try {
        v = CardNumbers::ReadNumber(text);
    } catch (const VbError &) {
        RaiseError(VbErr::TypeMismatch, QStringLiteral("Type mismatch"));
    }
    if (!std::isfinite(v) || std::fabs(v) > 3.4e38)
        RaiseError(VbErr::TypeMismatch, QStringLiteral("Type mismatch"));
    return static_cast<float>(v);
}

// The file has no declaration, and older installations read it as
// Windows-1252: it is written so whenever every character has a byte there,
// else as UTF-8 (which the reader recognises as such).
QByteArray EncodeText(const QString &text)
{
    QByteArray out;
    out.reserve(text.size());
    for (const QChar ch : text) {
        const int byte = Cp1252Byte(ch.unicode());
        if (byte < 0)
            return text.toUtf8();
        out.append(char(byte));
    }
    return out;
}

// Comma-separated values of a sample line; quoted values may hold commas.
QStringList SplitSampleLine(QStringView line)
{
    QStringList values;
    QString current;
    bool quoted = false;
    for (const QChar ch : line) {
        if (ch == QLatin1Char('"')) {
            quoted = !quoted;
        } else if (ch == QLatin1Char(',') && !quoted) {
            values.append(current);
            current.clear();
        } else {
            current.append(ch);
        }
    }
    values.append(current);
    return values;
}

[[noreturn]] void NotAProfile(const QString &why)
{
    RaiseError(VbErr::TypeMismatch, QStringLiteral("Not a text profile file: ") + why);
}

double ParsePointNumber(const QString &text)
{
    bool ok = false;
    const double v = QLocale::c().toDouble(text.trimmed(), &ok);
    // "nan" and "inf" read as numbers, but no count, height or distance is one.
    if (!ok || !std::isfinite(v))
        NotAProfile(QStringLiteral("bad number \"%1\"").arg(text));
    return v;
}

}

QString FormatProfileDistance(float km)
{
    const double v = km;
    if (v == 0 || !std::isfinite(v))
        return QStringLiteral("0");
    // Round to 7 significant digits first, then write without an exponent.
    const QString sci = QString::number(v, 'e', 6);
    const int exponent = sci.mid(sci.indexOf(QLatin1Char('e')) + 1).toInt();
    const double rounded = sci.toDouble();
    QString out = QString::number(rounded, 'f', std::max(0, 6 - exponent));
    if (out.contains(QLatin1Char('.'))) {
        while (out.endsWith(QLatin1Char('0')))
            out.chop(1);
        if (out.endsWith(QLatin1Char('.')))
            out.chop(1);
    }
    if (out == QLatin1String("-0"))
        out = QStringLiteral("0");
    return out;
}

qint64 ProfileLengthMetres(const QString &lengthText)
{
    const float metres = ParseLocaleSingle(lengthText) * 1000.0f;
    const int oldRound = std::fegetround();
    std::fesetround(FE_TONEAREST);
    const double r = std::nearbyint(static_cast<double>(metres));
    std::fesetround(oldRound);
    if (!std::isfinite(r) || std::fabs(r) > 9e15)
        RaiseError(VbErr::Overflow, QStringLiteral("Overflow"));
    return static_cast<qint64>(r);
}

QByteArray BuildTextProfile(const TextProfileCard &card, const QVector<TextProfileSample> &samples,
                            const QString &programVersion)
{
    QString out;
    for (const TextProfileSample &s : samples) {
        out += FormatProfileDistance(s.distParz) + QLatin1Char(',') + QString::number(s.altezza)
             + QLatin1String(",\"") + OneLine(StripQuotes(s.note)) + QLatin1String("\",\"")
             + OneLine(StripQuotes(s.image)) + QLatin1Char('"') + QLatin1String(Crlf);
    }
    auto section = [&out](const char *name) {
        out += QLatin1Char('[') + QLatin1String(name) + QLatin1Char(']') + QLatin1String(Crlf);
    };
    auto key = [&out](const QString &name, const QString &value) {
        out += name + QLatin1Char('=') + OneLine(value) + QLatin1String(Crlf);
    };

    const qint64 metres = ProfileLengthMetres(card.lunghezza);

    section("Author");
    key(QStringLiteral("Name"), QLatin1String(TextProfile::AuthorName));
    key(QStringLiteral("Url"), QLatin1String(TextProfile::AuthorUrl));
    key(QStringLiteral("E-mail"), QLatin1String(TextProfile::AuthorMail));
    section("Prog");
    key(QStringLiteral("Name"), QLatin1String(TextProfile::Signature));
    key(QStringLiteral("Version"), programVersion);
    section("Tab");
    key(QStringLiteral("Name"), card.isClimb ? QStringLiteral("Dati Salite") : QStringLiteral("Dati Percorsi"));
    section("Data");
    key(QStringLiteral("IDPercorso"), card.idPercorso);
    key(QStringLiteral("Lunghezza"), QString::number(metres));
    if (card.isClimb) {
        key(QStringLiteral("Quotainiziale"), card.quotaIniziale);
        key(QStringLiteral("Quotafinale"), card.quotaFinale);
    }
    key(QStringLiteral("Telefono"), card.telefono);
    key(QStringLiteral("Fax"), card.fax);
    key(QStringLiteral("Stato"), card.stato);
    key(QStringLiteral("Regione"), card.regione);
    key(QStringLiteral("Provincia"), card.provincia);
    key(QStringLiteral("Località"), card.localita);
    key(QStringLiteral("E-mail"), card.email);
    key(QStringLiteral("Url"), card.url);
    section("SampleData");
    key(QStringLiteral("Number"), QString::number(samples.size()));
    return EncodeText(out);
}

void WriteTextProfileFile(const QString &path, const QByteArray &bytes)
{
    FileWrite::WriteWhole(path, bytes);
}

namespace {

// The sections and keys a reader of the format reads: what else a file holds
// (other sections, other keys) is passed over and never kept.
const char *const WantedSections[] = {"Prog", "Tab", "Data", "SampleData"};
enum Section { Prog, Tab, Data, SampleData, Other };
struct WantedKey {
    Section section;
    const char *key;
};
// The keys read, in the order of Wanted.
enum Key {
    ProgName, ProgVersion, TabName, DataId, DataLength, DataStart, DataEnd, DataPhone,
    DataFax, DataState, DataRegion, DataProvince, DataPlace, DataEmail, DataUrl, SampleCount,
    KeyCount
};
const WantedKey Wanted[KeyCount] = {
    {Prog, "Name"},        {Prog, "Version"},      {Tab, "Name"},          {Data, "IDPercorso"},
    {Data, "Lunghezza"},   {Data, "Quotainiziale"}, {Data, "Quotafinale"},  {Data, "Telefono"},
    {Data, "Fax"},         {Data, "Stato"},        {Data, "Regione"},      {Data, "Provincia"},
    {Data, "Località"},    {Data, "E-mail"},       {Data, "Url"},          {SampleData, "Number"},
};

} // namespace

TextProfileRecord ReadTextProfile(const QByteArray &bytes)
{
    // A file that is not valid UTF-8 is Windows-1252 (older installations', and
    // ours whenever every character fits there).
    const QString decoded = DecodeOutsideText(bytes);
    const QStringView text(decoded);

    // INI part, in one pass: sections and keys without regard to case, the
    // first match of a key in any section of that name wins. Only the keys
    // read below are kept; the lines are counted, not kept.
    QString values[KeyCount];
    bool found[KeyCount] = {};
    QString wantedKeys[KeyCount];
    for (qsizetype i = 0; i < KeyCount; ++i)
        wantedKeys[i] = QString::fromUtf8(Wanted[i].key);
    Section current = Other;
    bool inSections = false;                // lines before the first section are the samples
    qsizetype lineCount = 0;
    TextLines lines(text);
    for (QStringView raw; lines.next(raw);) {
        ++lineCount;
        const QStringView line = raw.trimmed();
        if (line.startsWith(QLatin1Char('[')) && line.endsWith(QLatin1Char(']'))) {
            const QStringView name = line.sliced(1, line.size() - 2).trimmed();
            inSections = true;
            current = Other;
            for (int i = Prog; i < Other; ++i)
                if (name.compare(QLatin1String(WantedSections[i]), Qt::CaseInsensitive) == 0)
                    current = Section(i);
            continue;
        }
        if (!inSections || current == Other)
            continue;
        const qsizetype eq = line.indexOf(QLatin1Char('='));
        if (eq <= 0 || line.startsWith(QLatin1Char(';')))
            continue;
        const QStringView key = line.first(eq).trimmed();
        for (qsizetype i = 0; i < KeyCount; ++i) {
            if (!found[i] && Wanted[i].section == current && key.size() == wantedKeys[i].size()
                && key.compare(wantedKeys[i], Qt::CaseInsensitive) == 0) {
                found[i] = true;
                values[i] = line.sliced(eq + 1).trimmed().toString();
            }
        }
    }
    TextProfileRecord rec;
    const QString signature = values[ProgName];
    if (signature.compare(QLatin1String(TextProfile::Signature), Qt::CaseInsensitive) == 0)
        rec.fourValues = true;
    else if (signature.compare(QLatin1String(TextProfile::OldSignature), Qt::CaseInsensitive) == 0)
        rec.fourValues = false;
    else
        NotAProfile(QStringLiteral("unknown program signature \"%1\"").arg(signature));
    rec.programVersion = values[ProgVersion];
    rec.isClimb = values[TabName] == QLatin1String("Dati Salite");
    rec.idPercorso = values[DataId];
    const QString metres = values[DataLength];
    rec.lunghezzaKm = metres.isEmpty() ? 0 : ParsePointNumber(metres) / 1000.0;
    rec.quotaIniziale = values[DataStart];
    rec.quotaFinale = values[DataEnd];
    rec.telefono = values[DataPhone];
    rec.fax = values[DataFax];
    rec.stato = values[DataState];
    rec.regione = values[DataRegion];
    rec.provincia = values[DataProvince];
    rec.localita = values[DataPlace];
    rec.email = values[DataEmail];
    rec.url = values[DataUrl];

    const QString numberText = values[SampleCount];
    const double announced = numberText.isEmpty() ? 0 : ParsePointNumber(numberText);
    // A count of zero or less announces no samples (the card still comes in);
    // a count that is not whole, or passes the file's lines, is a damaged file.
    if (announced > 0 && (announced != std::floor(announced) || announced > double(lineCount)))
        NotAProfile(QStringLiteral("%1 sample lines announced").arg(numberText));
    // Far above a real profile's samples: millions of them would hold the
    // window for seconds and take gigabytes.
    if (announced > readlimits::MaxTextProfileSamples)
        RaiseError(VbErr::TypeMismatch,
                   FormatLangString(GetLangString(12519), {InterfaceNumber(qint64(announced)),
                                                           InterfaceNumber(readlimits::MaxTextProfileSamples)}));
    const int number = announced > 0 ? static_cast<int>(announced) : 0;
    const int perLine = rec.fourValues ? 4 : 3;
    // The count is the file's word, checked only against its lines: room is
    // made for a real profile's samples at most, and grows past them as read.
    rec.samples.reserve(qMin(number, 1 << 16));
    TextLines sampleLines(text);
    QStringView sampleLine;
    for (int i = 0; i < number; ++i) {
        sampleLines.next(sampleLine);
        const QStringList v = SplitSampleLine(sampleLine);
        if (v.size() < perLine)
            NotAProfile(QStringLiteral("sample line %1 is short").arg(i + 1));
        TextProfileSample s;
        const double distance = ParsePointNumber(v.at(0));
        if (std::fabs(distance) > double(std::numeric_limits<float>::max()))
            NotAProfile(QStringLiteral("distance out of range on line %1").arg(i + 1));
        s.distParz = static_cast<float>(distance);
        // Halves go to the even neighbour; the range is that of the rounded height.
        const double h = std::nearbyint(ParsePointNumber(v.at(1)));
        if (!(h >= -32768 && h <= 32767))
            NotAProfile(QStringLiteral("height out of range on line %1").arg(i + 1));
        s.altezza = static_cast<qint16>(h);
        s.note = v.at(2);
        if (rec.fourValues)
            s.image = v.at(3);
        rec.samples.append(s);
    }
    return rec;
}
