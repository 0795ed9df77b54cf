// Reading races files: result codes and the values read.
#include "xmlraces_fixture.h"
#include "platform/xml_http_server.h"

#include "core/XmlRaces.h"
#include "platform/shell/ReadLimits.h"

#include <QElapsedTimer>
#include <functional>

namespace {

QByteArray RaceFile(const QByteArray &attributes, const QByteArray &body)
{
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n<races>\r\n  <race " + attributes + ">" + body
           + "</race>\r\n</races>\r\n";
}

// n attributes a0="1" a1="1" ...
QByteArray Attributes(int n)
{
    QByteArray out;
    for (int i = 0; i < n; ++i)
        out += " a" + QByteArray::number(i) + "=\"1\"";
    return out;
}

// The text in UTF-16 without a byte order mark, in either byte order.
QByteArray Utf16(const QByteArray &utf8, bool little)
{
    QByteArray out;
    for (const QChar c : QString::fromUtf8(utf8)) {
        const char low = char(c.unicode() & 0xFF), high = char(c.unicode() >> 8);
        out.append(little ? low : high);
        out.append(little ? high : low);
    }
    return out;
}

QByteArray Samples(const QByteArray &samples) { return "<samples sampleNumber=\"9\">" + samples + "</samples>"; }

const QByteArray kValidRace = RaceFile("idName=\"Web climb\" type=\"climb\"",
                                   "<lenght>3,5</lenght><startHeight>100</startHeight><endHeight>400</endHeight>"
                                   + Samples("<sample><distance>0</distance><height>100</height></sample>"
                                             "<sample><distance>3.5</distance><height>400</height></sample>"));

const QByteArray kDeclaration = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n";
// The valid race from its document element on.
const QByteArray kValidRaces = kValidRace.mid(kValidRace.indexOf("<races>"));

} // namespace

using XmlReader = ExchangeDbTest;

TEST_F(XmlReader, ResultCodesAndValuesForEachKindOfInput)
{
    using Check = std::function<void(const ::Race &)>;
    struct Case {
        const char *what;
        QByteArray bytes;
        int code;
        Check check;
    };
    const Case cases[] = {
        {"not well formed", "<races><race idName=\"a\"></races>", 3, {}},
        {"unescaped ampersand", RaceFile("idName=\"A & B\" type=\"climb\"", ""), 3, {}},
        {"empty file", "", 3, {}},
        {"no race element", "<races><route idName=\"x\"/></races>", 5, {}},
        {"another document element", "<routes><race idName=\"x\"/></routes>", 5, {}},
        {"a sample with one child", RaceFile("idName=\"x\"", Samples("<sample><distance>0</distance></sample>")), 5, {}},
        {"a non-numeric height",
         RaceFile("idName=\"x\"", Samples("<sample><distance>0</distance><height>abc</height></sample>")), 5, {}},
        {"a height beyond 16 bits",
         RaceFile("idName=\"x\"", Samples("<sample><distance>0</distance><height>40000</height></sample>")), 5, {}},
        {"a number with two decimal marks", RaceFile("idName=\"x\"", "<lenght>1.234,5</lenght>"), 5, {}},
        // More than a races file holds is refused as it is read, before the
        // tree holds it (the bounds of platform/shell/ReadLimits.h).
        {"a race of more attributes than an element may have",
         RaceFile("idName=\"x\"" + Attributes(readlimits::MaxXmlAttributesPerElement), ""), 5, {}},
        // A text that is no XML at all is a document that did not parse,
        // however long: its first character is where the reader stops. What
        // may stand before the first element (a comment, an instruction, the
        // document type) is still bounded, and the bound still refuses it.
        {"900 KB of plain text", QByteArray("Not a races file at all.\r\n").repeated(900 * 1024 / 26), 3, {}},
        {"900 KB of plain text after a declaration and a comment",
         kDeclaration + "<!-- notes -->\r\n" + QByteArray("Plain words, no markup.\r\n").repeated(900 * 1024 / 25), 3, {}},
        {"a comment past the bound before the first element",
         kDeclaration + "<!--" + QByteArray(readlimits::MaxXmlPrologBytes, 'c') + "-->" + kValidRaces, 5, {}},
        {"an instruction past the bound before the first element",
         kDeclaration + "<?note " + QByteArray(readlimits::MaxXmlPrologBytes, 'i') + "?>" + kValidRaces, 5, {}},
        {"a document type past the bound",
         kDeclaration + "<!DOCTYPE races [" + QByteArray(readlimits::MaxXmlPrologBytes, ' ') + "]>" + kValidRaces, 5, {}},
        {"a label nested deeper than the reader goes",
         RaceFile("idName=\"x\"", Samples("<sample><distance>0</distance><height>1</height><label>"
                                          + QByteArray("<b>").repeated(readlimits::MaxXmlDepth)
                                          + QByteArray("</b>").repeated(readlimits::MaxXmlDepth) + "</label></sample>")),
         5, {}},
        {"exactly climb", RaceFile("idName=\"x\" type=\"climb\"", ""), 0,
         [](const ::Race &r) { EXPECT_EQ(r.raceType(), 0); }},
        {"Climb with a capital", RaceFile("idName=\"x\" type=\"Climb\"", ""), 0,
         [](const ::Race &r) { EXPECT_EQ(r.raceType(), 1); }},
        {"no type at all", RaceFile("idName=\"x\"", ""), 0, [](const ::Race &r) { EXPECT_EQ(r.raceType(), 1); }},
        {"missing elements take their defaults", RaceFile("type=\"tour\"", ""), 0,
         [](const ::Race &r) {
             EXPECT_EQ(r.raceName(), "");
             EXPECT_EQ(r.lenght(), 0.0f);
             EXPECT_EQ(r.City(), " ");   // one blank when there is no city
             EXPECT_EQ(r.province(), "");
             ASSERT_TRUE(r.Samples());
             EXPECT_EQ(r.Samples()->Count(), 0);
         }},
        {"empty values read as 0",
         RaceFile("idName=\"x\"", "<lenght/><startHeight></startHeight><endHeight> </endHeight><city></city>"
                                  + Samples("<sample><distance></distance><height/></sample>")),
         0,
         [](const ::Race &r) {
             EXPECT_EQ(r.lenght(), 0.0f);
             EXPECT_EQ(r.StartHeight(), 0);
             EXPECT_EQ(r.endHeight(), 0);
             EXPECT_EQ(r.City(), "");
             ASSERT_EQ(r.Samples()->Count(), 1);
             EXPECT_EQ(r.Samples()->Item(1)->Distance(), 0.0f);
         }},
        {"either decimal mark, heights rounded half to even",
         RaceFile("idName=\"x\" type=\"climb\"",
              "<lenght>2,25</lenght><startHeight>12.5</startHeight><endHeight>13,5</endHeight>"
                  + Samples("<sample><distance> 0,5 </distance><height>-7.5</height></sample>"
                            "<sample><distance>1.5</distance><height>99</height></sample>")),
         0,
         [](const ::Race &r) {
             EXPECT_EQ(r.lenght(), 2.25f);
             EXPECT_EQ(r.StartHeight(), 12);
             EXPECT_EQ(r.endHeight(), 14);
             ASSERT_EQ(r.Samples()->Count(), 2);
             EXPECT_EQ(r.Samples()->Item(1)->Distance(), 0.5f);
             EXPECT_EQ(r.Samples()->Item(1)->Height(), -8);
             EXPECT_EQ(r.Samples()->Item(2)->Distance(), 1.5f);
         }},
        {"the label is the third of exactly three children",
         RaceFile("idName=\"x\"", Samples("<sample><d>0</d><h>1</h><label>three</label></sample>"
                                      "<sample><d>1</d><h>2</h><x>a</x><label>four</label></sample>"
                                      "<sample><d>2</d><h>3</h></sample>")),
         0,
         [](const ::Race &r) {
             ASSERT_EQ(r.Samples()->Count(), 3);
             EXPECT_EQ(r.Samples()->Item(1)->Label(), "three");
             EXPECT_EQ(r.Samples()->Item(2)->Label(), "");
             EXPECT_EQ(r.Samples()->Item(3)->Label(), "");
             EXPECT_EQ(r.Samples()->Item(3)->Height(), 3);
         }},
        // References to characters are no declared entities, whatever their
        // length; nor is "x%;" in a text.
        {"a city of 1,500 character references",
         RaceFile("idName=\"x\"", "<city>" + QByteArray("&#x00E9;").repeated(1500) + "</city><province>"
                                      + QByteArray("&#8364;x%;").repeated(1500) + "</province>"),
         0,
         [](const ::Race &r) {
             EXPECT_EQ(r.City(), QString(1500, QChar(0xE9)));
             EXPECT_EQ(r.province(), QString::fromUtf8("\xE2\x82\xACx%;").repeated(1500));
         }},
        {"UTF-16 without a byte order mark, little end first",
         Utf16(RaceFile("idName=\"Citt\xC3\xA0 \xE2\x82\xAC\"", "<city>Citt\xC3\xA0 \xE2\x82\xAC</city>")
                   .replace("UTF-8", "UTF-16"), true),
         0,
         [](const ::Race &r) {
             EXPECT_EQ(r.raceName(), QString::fromUtf8("Citt\xC3\xA0 \xE2\x82\xAC"));
             EXPECT_EQ(r.City(), QString::fromUtf8("Citt\xC3\xA0 \xE2\x82\xAC"));
         }},
        {"UTF-16 without a byte order mark, big end first",
         Utf16(RaceFile("idName=\"x\"", "<city>Citt\xC3\xA0 \xE2\x82\xAC</city>").replace("UTF-8", "UTF-16"), false), 0,
         [](const ::Race &r) { EXPECT_EQ(r.City(), QString::fromUtf8("Citt\xC3\xA0 \xE2\x82\xAC")); }},
        {"only the first race is read",
         "<races><race idName=\"first\">" + Samples("<sample><d>0</d><h>1</h></sample>")
             + "</race><race idName=\"second\"><city>Elsewhere</city>"
             + Samples("<sample><d>5</d><h>6</h></sample>") + "</race></races>",
         0,
         [](const ::Race &r) {
             EXPECT_EQ(r.raceName(), "first");
             EXPECT_EQ(r.City(), " ");
             EXPECT_EQ(r.Samples()->Count(), 1);
         }},
    };
    for (const Case &c : cases) {
        const QString path = outFile("case.xml");
        WriteAll(path, c.bytes);
        ::Race race;
        EXPECT_EQ(ReadRaceXml(path, race, 5), c.code) << c.what;
        if (c.check) {
            SCOPED_TRACE(c.what);
            c.check(race);
        }
    }
    ::Race race;
    EXPECT_EQ(ReadRaceXml(outFile("absent.xml"), race, 5), 3);
    EXPECT_EQ(ReadRaceXml("", race, 5), 2);
    EXPECT_EQ(ReadRaceXml("ftp://127.0.0.1/x.xml", race, 5), 2);
}

TEST_F(XmlReader, OnlyWebAddressesNeedTheInternet)
{
    xml::SetInternetConnectedOverride(false);
    WriteAll(outFile("local.xml"), kValidRace);
    QString name;
    EXPECT_EQ(ImportRaceXml(outFile("local.xml"), name), 0);
    EXPECT_EQ(name, "Web climb");
    EXPECT_EQ(countOf("[CampioniSalite]", "Web climb"), 2);

    LoopbackHttpServer server;
    server.route("/race.xml", {200, kValidRace, 0, "text/xml"});
    EXPECT_EQ(ImportRaceXml(server.url("/race.xml"), name), 1);
    EXPECT_EQ(server.requests(), 0);   // off line: not even asked
}

TEST_F(XmlReader, WebAddressesAgainstALoopbackServer)
{
    xml::SetInternetConnectedOverride(true);
    LoopbackHttpServer server;
    ASSERT_TRUE(server.listening());
    server.route("/race.xml", {200, kValidRace, 0, "text/xml"});
    server.route("/page.html", {200, "<html><body><p>Welcome<br></body></html>", 0, "text/html"});
    server.route("/slow.xml", {200, kValidRace, 4000, "text/xml"});

    QString name;
    EXPECT_EQ(ImportRaceXml(server.url("/race.xml"), name), 0);
    EXPECT_EQ(name, "Web climb");
    const auto card = rows("SELECT Lunghezza, Quotainiziale, Quotafinale FROM [Dati Salite] WHERE IDPercorso=?",
                           {"Web climb"});
    ASSERT_EQ(card.size(), 1u);
    EXPECT_EQ(card[0], (QVariantList{3.5, 100, 400}));
    EXPECT_EQ(countOf("[CampioniSalite]", "Web climb"), 2);

    name = "unchanged?";
    EXPECT_EQ(ImportRaceXml(server.url("/missing.xml"), name), 3);
    EXPECT_EQ(name, "");   // the name of what was read, whatever the code
    EXPECT_EQ(ImportRaceXml(server.url("/page.html"), name), 3);

    ::Race race;
    QElapsedTimer clock;
    clock.start();
    EXPECT_EQ(ReadRaceXml(server.url("/slow.xml"), race, 0.3f), 4);
    EXPECT_LT(clock.elapsed(), 3000);

    // The import passes its time-out on: a short one ends the wait early and
    // stores nothing, the default one waits for the slow answer.
    server.route("/slow2.xml", {200, RaceFile("idName=\"Slow climb\" type=\"climb\"", ""), 1200, "text/xml"});
    clock.restart();
    EXPECT_EQ(ImportRaceXml(server.url("/slow2.xml"), name, 0.3), 4);
    EXPECT_LT(clock.elapsed(), 1000);
    EXPECT_EQ(countOf("[Dati Salite]", "Slow climb"), 0);
    EXPECT_EQ(ImportRaceXml(server.url("/slow2.xml"), name), 0);
    EXPECT_EQ(name, "Slow climb");
    EXPECT_EQ(countOf("[Dati Salite]", "Slow climb"), 1);
    EXPECT_TRUE(TestSupport::Script().messages().isEmpty());
}
