#include "core/RaceXmlFile.h"

#include "core/DataGlobals.h"
#include "core/RecordSamples.h"
#include "platform/error/VbError.h"
#include "platform/shell/Shell.h"
#include "platform/xml/XmlDocument.h"

#include <QLocale>

#include <cfenv>
#include <charconv>
#include <cmath>
#include <limits>

namespace {


// No part of the program fetches the document type; the address only names it.
const char *const kDoctypeAddress = "https://www.vettaro.example/vettaroxml/vettaro.dtd";

// Qt escapes & < > and "; the apostrophe is escaped too, so a value can stand
// between either kind of quote.
QString Escaped(const QString &text)
{
    return text.toHtmlEscaped().replace(QLatin1Char('\''), QLatin1String("&apos;"));
}

// The shortest decimal text that reads back as the value; a value that is a
// single-precision number (the columns are singles) is written as that single.
QString ShortestDecimal(double value)
{
    char buffer[400];
    std::to_chars_result r;
    const float asSingle = static_cast<float>(value);
    if (std::isfinite(asSingle) && static_cast<double>(asSingle) == value)
        r = std::to_chars(buffer, buffer + sizeof buffer, asSingle, std::chars_format::fixed);
    else
        r = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed);
    return QString::fromLatin1(buffer, int(r.ptr - buffer));
}

// A database value as the file shows it: numbers in the user's locale form
// (its decimal separator, no grouping), texts escaped, null as nothing.
QString FileValue(const QVariant &value)
{
    if (!value.isValid() || value.isNull())
        return QString();
    switch (value.typeId()) {
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Short:
    case QMetaType::UShort:
        return QString::number(value.toLongLong());
    case QMetaType::Double:
    case QMetaType::Float: {
        QString text = ShortestDecimal(value.toDouble());
        text.replace(QLatin1Char('.'), Shell::DecimalSeparator());
        return text;
    }
    default:
        return Escaped(value.toString());
    }
}

bool HasText(const QVariant &value)
{
    return value.isValid() && !value.isNull() && !value.toString().isEmpty();
}

// A number of the file: either decimal mark is accepted (files come from
// installations of any locale); an empty text, what a null value leaves, is 0.
bool ParseNumber(const QString &text, double &out)
{
    QString t = text.trimmed();
    if (t.isEmpty()) {
        out = 0.0;
        return true;
    }
    t.replace(QLatin1Char(','), QLatin1Char('.'));
    if (t.count(QLatin1Char('.')) > 1)
        return false;
    bool ok = false;
    const double d = QLocale::c().toDouble(t, &ok);
    if (!ok || !std::isfinite(d))
        return false;
    out = d;
    return true;
}

void RaiseBadNumber(const QString &text)
{
    RaiseError(VbErr::TypeMismatch, QStringLiteral("Type mismatch: \"%1\" is not a number").arg(text));
}

float SingleOf(const QString &text)
{
    double d = 0;
    if (!ParseNumber(text, d))
        RaiseBadNumber(text);
    if (std::fabs(d) > double(std::numeric_limits<float>::max()))
        RaiseError(VbErr::Overflow, QStringLiteral("Overflow"));
    return static_cast<float>(d);
}

// Rounded to the nearest whole number, halves to the even neighbour.
int16_t IntegerOf(const QString &text)
{
    double d = 0;
    if (!ParseNumber(text, d))
        RaiseBadNumber(text);
    const int saved = std::fegetround();
    std::fesetround(FE_TONEAREST);
    const double r = std::nearbyint(d);
    std::fesetround(saved);
    if (r < -32768.0 || r > 32767.0)
        RaiseError(VbErr::Overflow, QStringLiteral("Overflow"));
    return static_cast<int16_t>(r);
}

// The kind of record a race is, as the type attribute and the exports name it.
QString KindOf(bool climb)
{
    return climb ? QStringLiteral("climb") : QStringLiteral("tour");
}

QString CardTableOf(bool climb)
{
    return climb ? QStringLiteral("[Dati Salite]") : QStringLiteral("[Dati Percorsi]");
}

void WriteLine(QByteArray &out, int indent, const QString &text)
{
    out += QByteArray(indent, ' ');
    out += text.toUtf8();
    out += "\r\n";
}

} // namespace

// ---- writer ------------------------------------------------------------------

QByteArray raceXmlData(const QString &Id, const QString &Kind, int sampleCount)
{
    if (!CurrentDb)
        RaiseError(91, QStringLiteral("Object variable or With block variable not set"));
    const bool climb = Kind == QLatin1String("climb");
    const QString samplesTable = SamplesTableOf(Kind);
    dao::RecordsetPtr samples = OpenSamples(samplesTable, Id);
    dao::RecordsetPtr card = CurrentDb->OpenRecordset(
        QStringLiteral("SELECT * FROM ") + CardTableOf(climb) + QStringLiteral(" WHERE [IDPercorso]=?"),
        dao::dbOpenSnapshot, 0, {Id});

    const QString name = Escaped(Id);
    QByteArray out;
    WriteLine(out, 0, QStringLiteral("<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"no\"?>"));
    WriteLine(out, 0, QStringLiteral("<!DOCTYPE races SYSTEM \"%1\">").arg(QLatin1String(kDoctypeAddress)));
    WriteLine(out, 0, QStringLiteral("<races>"));
    WriteLine(out, 2, QStringLiteral("<race idName=\"%1\" type=\"%2\">")
                          .arg(name, KindOf(climb)));
    WriteLine(out, 4, QStringLiteral("<name>%1</name>").arg(name));
    WriteLine(out, 4, QStringLiteral("<lenght>%1</lenght>").arg(FileValue(card->Value(QStringLiteral("Lunghezza")))));
    if (climb) {
        WriteLine(out, 4, QStringLiteral("<startHeight>%1</startHeight>")
                              .arg(FileValue(card->Value(QStringLiteral("QuotaIniziale")))));
        WriteLine(out, 4, QStringLiteral("<endHeight>%1</endHeight>")
                              .arg(FileValue(card->Value(QStringLiteral("QuotaFinale")))));
    } else {
        WriteLine(out, 4, QStringLiteral("<startHeight>0</startHeight>"));
        WriteLine(out, 4, QStringLiteral("<endHeight>0</endHeight>"));
    }
    const struct { const char *element; const char *column; } optional[] = {
        {"city", "località"}, {"province", "Provincia"}, {"region", "Regione"},
        {"state", "Stato"}, {"web", "Url"}};
    for (const auto &o : optional) {
        const QString column = QString::fromUtf8(o.column);
        const QVariant value = card->HasField(column) ? card->Value(column) : QVariant();
        if (HasText(value))
            WriteLine(out, 4, QStringLiteral("<%1>%2</%1>").arg(QLatin1String(o.element), FileValue(value)));
    }
    card->Close();

    WriteLine(out, 0, QStringLiteral("<samples sampleNumber=\"%1\">").arg(sampleCount));
    int number = 0;
    while (!samples->AtEOF()) {
        ++number;
        WriteLine(out, 6, QStringLiteral("<sample number=\"%1\">").arg(number));
        WriteLine(out, 8, QStringLiteral("<distance>%1</distance>").arg(FileValue(samples->Value(QStringLiteral("DistParz")))));
        WriteLine(out, 8, QStringLiteral("<height>%1</height>").arg(FileValue(samples->Value(QStringLiteral("Altezza")))));
        const QVariant note = samples->Value(QStringLiteral("Note"));
        if (HasText(note))
            WriteLine(out, 6, QStringLiteral("<label>%1</label>").arg(FileValue(note)));
        WriteLine(out, 6, QStringLiteral("</sample>"));
        samples->MoveNext();
    }
    samples->Close();
    WriteLine(out, 4, QStringLiteral("</samples>"));
    WriteLine(out, 2, QStringLiteral("</race>"));
    WriteLine(out, 0, QStringLiteral("</races>"));
    return out;
}

// ---- reader ------------------------------------------------------------------

QString GetXmlAttr(const xml::XmlNode *node, const QString &name, const QString &defaultValue)
{
    if (!node || !node->hasAttribute(name))
        return defaultValue;
    return node->attribute(name);
}

QString GetXmlNodeText(const xml::XmlNode *node, const QString &path, const QString &defaultValue)
{
    const xml::XmlNode *found = node ? node->selectSingleNode(path) : nullptr;
    return found ? found->text() : defaultValue;
}

int ReadRaceXml(const QString &Source, Race &Target, float TimeoutSeconds)
{
    try {
        // Only a web address needs the internet; a file on disk reads off line.
        if (xml::XmlDocument::IsWebAddress(Source) && !xml::InternetConnected())
            return RaceXmlResult::NoConnection;

        xml::XmlDocument doc;
        doc.setAsync(true);
        if (!doc.load(Source))
            return RaceXmlResult::NotLoaded;
        if (!doc.waitForComplete(std::max(0.0, double(TimeoutSeconds)))) {
            doc.abort();
            return RaceXmlResult::TimeOut;
        }
        return ReadRaceXmlDocument(doc, Target);
    } catch (const VbError &) {
        // Reported by the caller through the result code. Anything else (no
        // memory left, say) keeps its own reason and goes on to the caller.
        return RaceXmlResult::XmlError;
    }
}

int ReadRaceXmlDocument(const xml::XmlDocument &doc, Race &Target)
{
    try {
        if (doc.parseError().errorCode == xml::ParseErrorCode::TooLarge)
            return RaceXmlResult::TooLarge;
        // More attributes, levels or elements than a races file holds.
        if (doc.parseError().errorCode == xml::ParseErrorCode::OverLimit)
            return RaceXmlResult::XmlError;
        if (doc.parseError().errorCode != 0)
            return RaceXmlResult::Invalid;

        // Everything is read from the first race, so a file of several races
        // never mixes their values or samples.
        const xml::XmlNode *race = doc.selectSingleNode(QStringLiteral("/races/race"));
        if (!race)
            return RaceXmlResult::XmlError;

        Target.raceType(GetXmlAttr(race, QStringLiteral("type"), QString()) == QLatin1String("climb") ? 0 : 1);
        Target.raceName(GetXmlAttr(race, QStringLiteral("idName"), QString()));
        Target.lenght(SingleOf(GetXmlNodeText(race, QStringLiteral("lenght"), QStringLiteral("0"))));
        Target.StartHeight(IntegerOf(GetXmlNodeText(race, QStringLiteral("startHeight"), QStringLiteral("0"))));
        Target.endHeight(IntegerOf(GetXmlNodeText(race, QStringLiteral("endHeight"), QStringLiteral("0"))));
        Target.City(GetXmlNodeText(race, QStringLiteral("city"), QStringLiteral(" ")));
        Target.province(GetXmlNodeText(race, QStringLiteral("province"), QString()));
        Target.region(GetXmlNodeText(race, QStringLiteral("region"), QString()));
        Target.state(GetXmlNodeText(race, QStringLiteral("state"), QString()));
        Target.web(GetXmlNodeText(race, QStringLiteral("web"), QString()));

        auto samples = std::make_shared<ColSample>();
        const std::vector<const xml::XmlNode *> sampleNodes = race->selectNodes(QStringLiteral("samples/sample"));
        samples->Reserve(int(sampleNodes.size()));
        for (const xml::XmlNode *node : sampleNodes) {
            if (node->childCount() < 2)
                RaiseError(VbErr::SubscriptOutOfRange, QStringLiteral("A sample has fewer than two values"));
            auto sample = std::make_shared<Sample>();
            sample->Distance(SingleOf(node->child(0)->text()));
            sample->Height(IntegerOf(node->child(1)->text()));
            sample->Label(node->childCount() == 3 ? node->child(2)->text() : QString());
            samples->Append(sample, QString());
        }
        Target.Samples(samples);
        return RaceXmlResult::Ok;
    } catch (const VbError &) {
        // A bad number or sample: reported by the caller through the result code.
        return RaceXmlResult::XmlError;
    }
}
