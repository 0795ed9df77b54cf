#include "platform/xml/XmlDocument.h"
#include "platform/shell/ReadLimits.h"
#include "xml_http_server.h"

#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using xml::XmlDocument;

namespace {

QString WriteFile(const QTemporaryDir &dir, const QString &name, const QByteArray &bytes)
{
    const QString path = dir.filePath(name);
    QFile f(path);
    f.open(QIODevice::WriteOnly);
    f.write(bytes);
    return path;
}

const QByteArray kRaces =
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n"
    "<!DOCTYPE races SYSTEM \"http://example.invalid/vettaroxml/vettaro.dtd\">\r\n"
    "<races>\r\n"
    "  <race idName=\"Colle &amp; &lt;Passo&gt; &quot;A&quot;\" type=\"climb\">\r\n"
    "    <name>x</name>\r\n"
    "    <samples sampleNumber=\"2\">\r\n"
    "      <sample number=\"1\"><distance> 0,5 </distance><height>100</height></sample>\r\n"
    "      <sample number=\"2\"><distance>1</distance><height>1<b>2</b>0</height><label>top</label></sample>\r\n"
    "    </samples>\r\n"
    "  </race>\r\n"
    "  <race idName=\"second\"/>\r\n"
    "</races>\r\n";

} // namespace

TEST(XmlDocument, TreeSelectionAttributesAndText)
{
    XmlDocument doc;
    doc.loadXml(kRaces);
    ASSERT_EQ(doc.readyState(), xml::ReadyState::Complete);
    ASSERT_EQ(doc.parseError().errorCode, 0) << doc.parseError().reason.toStdString();
    ASSERT_NE(doc.documentElement(), nullptr);
    EXPECT_EQ(doc.documentElement()->nodeName(), "races");

    // Absolute paths select every match in document order; the first one is the single node.
    const auto races = doc.selectNodes("/races/race");
    ASSERT_EQ(races.size(), 2u);
    EXPECT_EQ(doc.selectSingleNode("/races/race"), races[0]);
    EXPECT_EQ(races[0]->attribute("idName"), "Colle & <Passo> \"A\"");
    EXPECT_EQ(races[0]->attribute("type"), "climb");
    EXPECT_FALSE(races[1]->hasAttribute("type"));
    EXPECT_EQ(races[1]->attribute("type", "dflt"), "dflt");
    EXPECT_EQ(doc.selectSingleNode("/races/nothing"), nullptr);
    EXPECT_EQ(doc.selectSingleNode("/race"), nullptr);

    const auto samples = doc.selectNodes("/races/race/samples/sample");
    ASSERT_EQ(samples.size(), 2u);
    // Child elements count by position; text is trimmed and joins descendants in order.
    EXPECT_EQ(samples[0]->childCount(), 2);
    EXPECT_EQ(samples[0]->child(0)->text(), "0,5");
    EXPECT_EQ(samples[1]->childCount(), 3);
    EXPECT_EQ(samples[1]->child(1)->text(), "120");
    EXPECT_EQ(samples[1]->child(2)->text(), "top");
    EXPECT_EQ(samples[1]->child(3), nullptr);
    EXPECT_EQ(samples[1]->child(-1), nullptr);
    // Relative paths start at the node; an absolute one from a node starts at the document.
    EXPECT_EQ(races[0]->selectSingleNode("samples/sample/height")->text(), "100");
    EXPECT_EQ(samples[0]->selectNodes("/races/race").size(), 2u);
}

TEST(XmlDocument, ParseErrorsAndLocalFiles)
{
    QTemporaryDir dir;
    struct Case { const char *what; QByteArray bytes; bool ok; };
    const Case cases[] = {
        {"well formed", "<a><b>1</b></a>", true},
        {"unclosed element", "<a><b>1</a>", false},
        {"bare ampersand", "<a>x & y</a>", false},
        {"less-than in an attribute", "<a n=\"x<y\"/>", false},
        {"plain text", "this is not xml", false},
        {"html page", "<html><body><p>hi<br></body></html>", false},
        {"empty file", "", false},
        {"two roots", "<a/><b/>", false},
    };
    for (const Case &c : cases) {
        XmlDocument doc;
        ASSERT_TRUE(doc.load(WriteFile(dir, "f.xml", c.bytes))) << c.what;
        EXPECT_EQ(doc.readyState(), xml::ReadyState::Complete) << c.what;
        EXPECT_EQ(doc.parseError().errorCode == 0, c.ok) << c.what;
        EXPECT_EQ(doc.documentElement() != nullptr, c.ok) << c.what;
    }

    // A plain text is told where it goes wrong, however long: the reader has
    // the text whole up to there and past it, so it tells what it met rather
    // than a text cut short. A prolog of every kind, and a byte order mark
    // left at the start after those the decoding drops (which the reader
    // drops too), are no such text, even in a document of more than one
    // piece.
    constexpr int MiB = 1024 * 1024;
    XmlDocument plain;
    ASSERT_TRUE(plain.load(WriteFile(dir, "plain.xml", "<?xml version=\"1.0\"?>\r\n\r\n  Plain words "
                                                          + QByteArray("and more words ").repeated(60000))));
    EXPECT_EQ(plain.parseError().errorCode, xml::ParseErrorCode::NotWellFormed) << plain.parseError().reason.toStdString();
    EXPECT_TRUE(plain.parseError().reason.contains("Start tag expected")) << plain.parseError().reason.toStdString();
    EXPECT_EQ(plain.parseError().line, 3);
    EXPECT_EQ(plain.parseError().column, 3);
    const QByteArray body = "<r>" + QByteArray(2 * MiB, 't') + "</r>";
    for (const QByteArray &prolog :
         {QByteArray("\xEF\xBB\xBF").repeated(3),
          QByteArray("<?xml version='1.0'?>\r\n <!-- a <r> - x -->\t<?pi <r> ?>\n<!DOCTYPE r [<!ENTITY e '<r>'>"
                     "<!-- ]> --><?pi ]> ?>]>\r\n")}) {
        XmlDocument large;
        large.loadXml(prolog + body);
        ASSERT_NE(large.documentElement(), nullptr) << large.parseError().reason.toStdString();
        EXPECT_EQ(large.documentElement()->text().size(), 2 * MiB);
    }

    XmlDocument missing;
    ASSERT_TRUE(missing.load(dir.filePath("absent.xml")));
    EXPECT_EQ(missing.readyState(), xml::ReadyState::Complete);
    EXPECT_EQ(missing.parseError().errorCode, xml::ParseErrorCode::NotFound);

    XmlDocument viaUrl;
    ASSERT_TRUE(viaUrl.load("file://" + WriteFile(dir, "u.xml", "<r/>")));
    EXPECT_EQ(viaUrl.parseError().errorCode, 0);

    XmlDocument unsupported;
    EXPECT_FALSE(unsupported.load("ftp://example.invalid/a.xml"));
    EXPECT_FALSE(unsupported.load(""));
    EXPECT_EQ(unsupported.readyState(), xml::ReadyState::Uninitialized);
    EXPECT_EQ(unsupported.documentElement(), nullptr);
}

// Hostile shapes: deep nesting, text at every level, long runs of entities.
// Each element's text is kept once, and neither reading nor freeing the tree
// recurses, so these end promptly.
TEST(XmlDocument, DeepAndEntityHeavyDocuments)
{
    const int depth = readlimits::MaxXmlDepth;
    {
        XmlDocument doc;
        doc.loadXml(QByteArray("<a>z").repeated(depth) + QByteArray("</a>").repeated(depth));
        ASSERT_EQ(doc.parseError().errorCode, 0) << doc.parseError().reason.toStdString();
        const xml::XmlNode *node = doc.documentElement();
        EXPECT_EQ(node->text(), QString(depth, QLatin1Char('z')));
        for (int level = 1; level < depth - 1; ++level)
            node = node->child(0);
        EXPECT_EQ(node->text(), "zz");
        EXPECT_EQ(node->child(0)->text(), "z");
    }
    {
        XmlDocument unclosed;   // the tree read so far is freed on the error
        unclosed.loadXml("<r>" + QByteArray("<a>z").repeated(100) + QByteArray("<b/>z").repeated(300000));
        EXPECT_EQ(unclosed.parseError().errorCode, xml::ParseErrorCode::NotWellFormed);
        EXPECT_EQ(unclosed.documentElement(), nullptr);
    }
    XmlDocument entities;
    entities.loadXml("<a>" + QByteArray("&amp;").repeated(50000) + "<b>&lt;</b></a>");
    ASSERT_NE(entities.documentElement(), nullptr);
    EXPECT_EQ(entities.documentElement()->text(), QString(50000, QLatin1Char('&')) + "<");
}

// What a document may hold is bounded as it is read: at each bound it reads,
// one past it is refused with OverLimit and no tree. The attributes of an
// element are counted before Qt's reader (whose check of repeated attributes
// grows with their square) sees the tag, and the references to declared
// entities before any is expanded.
TEST(XmlDocument, DocumentsPastTheBoundsAreRefused)
{
    auto attributes = [](int n, const QByteArray &value) {
        QByteArray out;
        for (int i = 0; i < n; ++i)
            out += " a" + QByteArray::number(i) + "='" + value + "'";
        return out;
    };
    auto defaults = [](int n) {
        QByteArray out;
        for (int i = 0; i < n; ++i)
            out += " d" + QByteArray::number(i) + " CDATA 'x'";
        return out;
    };
    const int perElement = readlimits::MaxXmlAttributesPerElement;
    const QByteArray entity = "<!DOCTYPE r [<!ENTITY e 'x'>]>";
    struct Case {
        const char *what;
        QByteArray bytes;
        bool read;
        const char *reason = "";
    };
    const Case cases[] = {
        {"levels at the bound", QByteArray("<a>").repeated(readlimits::MaxXmlDepth)
                                    + QByteArray("</a>").repeated(readlimits::MaxXmlDepth), true},
        {"levels past it, closed", QByteArray("<a>").repeated(readlimits::MaxXmlDepth + 1)
                                       + QByteArray("</a>").repeated(readlimits::MaxXmlDepth + 1), false, "levels"},
        {"millions of levels, never closed", QByteArray("<a>").repeated(3000000), false, "levels"},
        {"attributes at the bound", "<r" + attributes(perElement, "v") + "/>", true},
        // Quoted "=" and ">" are values, not attributes.
        {"attributes at the bound, values holding = and >", "<r" + attributes(perElement, "a=b>c=") + "/>", true},
        {"attributes past it", "<r" + attributes(perElement + 1, "v") + "/>", false, "attributes"},
        // Markup inside a comment, a section of character data or an
        // instruction is text: no tag, no attributes.
        {"a comment, character data and an instruction holding tags of many =",
         "<r><!-- <a" + attributes(perElement + 1, "v") + " --><![CDATA[<a" + attributes(perElement + 1, "v") + ">]]]>"
             + "<?pi <a" + attributes(perElement + 1, "v") + "> ?></r>",
         true},
        {"attributes past it, unclosed tag", "<r" + attributes(120000, "v"), false, "attributes"},
        {"attributes past it, inside", "<r><s/><s" + attributes(perElement + 1, "") + "/></r>", false, "attributes"},
        {"attribute defaults of the document type past it", "<!DOCTYPE r [<!ATTLIST r" + defaults(perElement + 1) + ">]><r/>",
         false, "attributes"},
        {"elements past it", "<r>" + QByteArray("<b/>").repeated(readlimits::MaxXmlElements) + "</r>", false,
         "elements"},
        {"attributes of the document past it",
         "<r>" + QByteArray("<b c='' d=''/>").repeated(readlimits::MaxXmlAttributes / 2) + "<b e=''/></r>", false,
         "attributes"},
        {"references at the bound", entity + "<r>" + QByteArray("&e;").repeated(readlimits::MaxXmlEntityReferences) + "</r>",
         true},
        {"references past it", entity + "<r>" + QByteArray("&e;").repeated(readlimits::MaxXmlEntityReferences + 1) + "</r>",
         false, "entities"},
        {"references past it, in an attribute",
         entity + "<r a='" + QByteArray("&e;").repeated(readlimits::MaxXmlEntityReferences + 1) + "'/>", false, "entities"},
        {"predefined and character references are not counted",
         "<r a='" + QByteArray("&amp;&#65;&lt;").repeated(readlimits::MaxXmlEntityReferences) + "'/>", true},
        {"character references of any length and % in text are not counted",
         "<r a='" + QByteArray("&#x00E9;&#8364;").repeated(readlimits::MaxXmlEntityReferences) + "'>"
             + QByteArray("&#x00E9; x%; 5%;").repeated(readlimits::MaxXmlEntityReferences) + "</r>",
         true},
        {"parameter entities of the document type are counted",
         "<!DOCTYPE r [<!ENTITY % p ''>" + QByteArray("%p;").repeated(readlimits::MaxXmlEntityReferences + 1) + "]><r/>",
         false, "entities"},
        {"references of any kind past their bound, each text within its own",
         "<r>" + ("<b>" + QByteArray("&amp;").repeated(readlimits::MaxXmlReferences / 8) + "</b>").repeated(8) + "<b>&#65;</b></r>",
         false, "references"},
        {"a document type within the bound", "<!DOCTYPE r [" + QByteArray(" ").repeated(50000) + "]><r/>", true},
        {"a document type past it", "<!DOCTYPE r [" + QByteArray(" ").repeated(readlimits::MaxXmlPrologBytes + 20000) + "]><r/>",
         false, "before its first element"},
        // The first element's start tag is not what comes before it.
        {"a long first start tag after a prolog within the bound",
         "<?xml version='1.0'?><!DOCTYPE r [" + QByteArray(" ").repeated(readlimits::MaxXmlPrologBytes - 100) + "]><r a='"
             + QByteArray(readlimits::MaxXmlPrologBytes, 'x') + "'/>",
         true},
        {"a prolog of exactly the bound", QByteArray(readlimits::MaxXmlPrologBytes, ' ') + "<r/>", true},
        {"a prolog one byte past it", QByteArray(readlimits::MaxXmlPrologBytes + 1, ' ') + "<r/>", false, "before its first element"},
        // A tag inside a comment, a literal or the internal subset starts no element.
        {"a document type past it after a comment holding a tag",
         "<!-- <r> --><!DOCTYPE r [<!ENTITY e '<r>'><!-- ]> -->" + QByteArray(readlimits::MaxXmlPrologBytes, ' ') + "]><r/>",
         false, "before its first element"},
        {"an attribute value at its bound", "<r a='" + QByteArray(readlimits::MaxXmlValueChars, 'v') + "'/>", true},
        {"an attribute value past it", "<r a='" + QByteArray(readlimits::MaxXmlValueChars + 1, 'v') + "'/>", false,
         "attribute value"},
        {"an attribute value of =' past it", "<r a=\"" + QByteArray("='").repeated(readlimits::MaxXmlValueChars / 2 + 1) + "\"/>",
         false, "attribute value"},
        {"a text within its bound", "<r>" + QByteArray(readlimits::MaxXmlValueChars - 8, 't') + "</r>", true},
        {"a text past it", "<r>" + QByteArray(readlimits::MaxXmlValueChars + 1, 't') + "</r>", false, "between two tags"},
        // The tag before a text is no part of its run, however long.
        {"a text at its bound after a tag", "<r>" + QByteArray(readlimits::MaxXmlValueChars, 't') + "</r>", true},
        {"a text at its bound after a long tag",
         "<r" + QByteArray(1000, ' ') + "a='v'" + QByteArray(1000, ' ') + ">" + QByteArray(readlimits::MaxXmlValueChars, 't')
             + "<e/></r>",
         true},
        {"a text holding > past it", "<r>" + QByteArray("t>").repeated(readlimits::MaxXmlValueChars / 2 + 1) + "</r>", false,
         "between two tags"},
        {"a comment holding < past it, after the element",
         "<r/><!--" + QByteArray("<c").repeated(readlimits::MaxXmlValueChars / 2 + 1) + "-->", false, "between two tags"},
    };
    for (const Case &c : cases) {
        XmlDocument doc;
        doc.loadXml(c.bytes);
        EXPECT_EQ(doc.readyState(), xml::ReadyState::Complete) << c.what;
        if (c.read) {
            EXPECT_EQ(doc.parseError().errorCode, 0) << c.what << ": " << doc.parseError().reason.toStdString();
            EXPECT_NE(doc.documentElement(), nullptr) << c.what;
        } else {
            EXPECT_EQ(doc.parseError().errorCode, xml::ParseErrorCode::OverLimit)
                << c.what << ": " << doc.parseError().reason.toStdString();
            EXPECT_TRUE(doc.parseError().reason.contains(QLatin1String(c.reason))) << doc.parseError().reason.toStdString();
            EXPECT_EQ(doc.documentElement(), nullptr) << c.what;
        }
    }

    // The attributes of a tag are counted in the text, where the reader would
    // take seconds to collect them: the refusal stands where the first
    // attribute past the bound does, not at the end of the tag.
    XmlDocument wide;
    wide.loadXml("<r>\n<s" + attributes(120000, "v") + "/>\n</r>");
    EXPECT_EQ(wide.parseError().errorCode, xml::ParseErrorCode::OverLimit);
    EXPECT_EQ(wide.parseError().line, 2);
    EXPECT_LT(wide.parseError().column, 20 * perElement) << wide.parseError().reason.toStdString();
}

// The text reaches the reader in pieces of a megabyte: no character is cut
// at a piece's end, whatever its encoding, and a file's encoding is told
// from all of its bytes.
TEST(XmlDocument, CharactersAcrossPiecesStayWhole)
{
    constexpr qsizetype MiB = 1024 * 1024;
    QTemporaryDir dir;
    for (qsizetype shift = 0; shift < 4; ++shift) {
        // The euro sign's three bytes end at, or straddle, the first megabyte.
        const QByteArray head = "<r>" + QByteArray(MiB - 3 - 3 + shift, 'x');
        XmlDocument doc;
        doc.loadXml(head + "\xE2\x82\xAC</r>");
        ASSERT_NE(doc.documentElement(), nullptr) << doc.parseError().reason.toStdString();
        EXPECT_TRUE(doc.documentElement()->text().endsWith(QStringLiteral("x\u20AC"))) << shift;
        EXPECT_EQ(doc.documentElement()->text().size(), head.size() - 3 + 1);
    }
    for (qsizetype shift = 0; shift < 6; ++shift) {
        // UTF-16 with a character of two units starting 8 bytes before the
        // first megabyte's end to 2 bytes after it: the cut falls a few bytes
        // short of the megabyte, where a piece's last whole UTF-8 character ends.
        QString text = "<r>" + QString((MiB - 16 + 2 * shift) / 2, QLatin1Char('y')) + QString::fromUcs4(U"\U0001F6B2") + "</r>";
        QByteArray utf16 = "\xFF\xFE";
        for (const QChar c : text) {
            utf16.append(char(c.unicode() & 0xFF));
            utf16.append(char(c.unicode() >> 8));
        }
        XmlDocument doc;
        doc.loadXml(utf16);
        ASSERT_NE(doc.documentElement(), nullptr) << doc.parseError().reason.toStdString();
        EXPECT_TRUE(doc.documentElement()->text().endsWith(QString::fromUcs4(U"y\U0001F6B2"))) << shift;
    }
    // A file read in pieces: a byte that is not UTF-8 in its second megabyte
    // makes the whole file Windows-1252, its first megabyte included.
    const QByteArray mixed = "<?xml version=\"1.0\" encoding=\"windows-1252\"?><r>\xC3\xA0" + QByteArray(MiB, 'x')
                             + "\xE0</r>";
    XmlDocument file;
    ASSERT_TRUE(file.load(WriteFile(dir, "mixed.xml", mixed)));
    ASSERT_NE(file.documentElement(), nullptr) << file.parseError().reason.toStdString();
    const QString text = file.documentElement()->text();
    EXPECT_TRUE(text.startsWith(QString::fromUtf8("\xC3\x83\xC2\xA0xx"))) << text.left(4).toStdString();
    EXPECT_TRUE(text.endsWith(QString::fromUtf8("x\xC3\xA0")));
    // Two roots, the second a megabyte on, are refused as ever.
    XmlDocument roots;
    ASSERT_TRUE(roots.load(WriteFile(dir, "roots.xml", "<a/>" + QByteArray(MiB, ' ') + "<b/>")));
    EXPECT_EQ(roots.parseError().errorCode, xml::ParseErrorCode::NotWellFormed);
}

// A file past the size cap is refused from its size alone, before it is read.
TEST(XmlDocument, OversizedFileIsRefusedUnread)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("huge.xml");
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    ASSERT_TRUE(f.resize(xml::MaxDocumentBytes + 1));   // sparse: no disk used
    f.close();
    XmlDocument doc;
    ASSERT_TRUE(doc.load(path));
    EXPECT_EQ(doc.readyState(), xml::ReadyState::Complete);
    EXPECT_EQ(doc.parseError().errorCode, xml::ParseErrorCode::TooLarge);
    EXPECT_TRUE(doc.parseError().reason.contains("MB")) << doc.parseError().reason.toStdString();
}

// An answer whose headers announce more than the cap is refused at once, even
// when its sender goes quiet after the first bytes.
TEST(XmlDocument, OversizedAnswerIsRefusedFromItsHeaders)
{
    LoopbackHttpServer server;
    ASSERT_TRUE(server.listening());
    server.route("/huge.xml", {200, "<races><race>", 0, "text/xml", 1024LL * 1024 * 1024});
    XmlDocument doc;
    ASSERT_TRUE(doc.load(server.url("/huge.xml")));
    QElapsedTimer clock;
    clock.start();
    EXPECT_TRUE(doc.waitForComplete(10));
    EXPECT_LT(clock.elapsed(), 5000);
    EXPECT_EQ(doc.parseError().errorCode, xml::ParseErrorCode::TooLarge);
}

TEST(XmlDocument, DecodesUtf8AndOlderSingleByteFiles)
{
    // UTF-8 bytes read as UTF-8 whatever the declaration says; bytes that are not
    // valid UTF-8 are Windows-1252, as files of older installations are.
    XmlDocument utf8;
    utf8.loadXml("<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?><a>Citt\xC3\xA0</a>");
    ASSERT_NE(utf8.documentElement(), nullptr) << utf8.parseError().reason.toStdString();
    EXPECT_EQ(utf8.documentElement()->text(), QString::fromUtf8("Citt\xC3\xA0"));

    // Nor does a name the reader does not know stop it.
    XmlDocument named;
    named.loadXml("<?xml version='1.0' encoding='windows-1252'?><a>Citt\xC3\xA0</a>");
    ASSERT_NE(named.documentElement(), nullptr) << named.parseError().reason.toStdString();
    EXPECT_EQ(named.documentElement()->text(), QString::fromUtf8("Citt\xC3\xA0"));

    XmlDocument legacy;
    legacy.loadXml("<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?><a>Citt\xE0 \x80</a>");
    ASSERT_NE(legacy.documentElement(), nullptr) << legacy.parseError().reason.toStdString();
    EXPECT_EQ(legacy.documentElement()->text(), QString::fromUtf8("Citt\xC3\xA0 \xE2\x82\xAC"));

    // A UTF-8 byte order mark is dropped, whichever encoding the rest is read in.
    XmlDocument marked;
    marked.loadXml("\xEF\xBB\xBF<a>ok</a>");
    ASSERT_NE(marked.documentElement(), nullptr) << marked.parseError().reason.toStdString();
    EXPECT_EQ(marked.documentElement()->text(), "ok");
    XmlDocument markedLegacy;
    markedLegacy.loadXml("\xEF\xBB\xBF<a>Citt\xE0</a>");
    ASSERT_NE(markedLegacy.documentElement(), nullptr) << markedLegacy.parseError().reason.toStdString();
    EXPECT_EQ(markedLegacy.documentElement()->text(), QString::fromUtf8("Citt\xC3\xA0"));

    // UTF-16 without a byte order mark is told by its first character, with
    // a declaration or without one, from memory and from a file, in either
    // byte order.
    const QString declared = QString::fromUtf8("<?xml version=\"1.0\" encoding=\"UTF-16\"?><a>Citt\xC3\xA0 \xE2\x82\xAC</a>");
    const QString plain = QString::fromUtf8("<a>Citt\xC3\xA0 \xE2\x82\xAC</a>");
    const QString blankFirst = QString::fromUtf8("\n<a>Citt\xC3\xA0 \xE2\x82\xAC</a>");
    QTemporaryDir dir;
    for (const QString &text : {declared, plain, blankFirst})
    for (const bool little : {true, false}) {
        QByteArray bytes;
        for (const QChar c : text) {
            const char low = char(c.unicode() & 0xFF), high = char(c.unicode() >> 8);
            bytes.append(little ? low : high);
            bytes.append(little ? high : low);
        }
        XmlDocument memory, file;
        memory.loadXml(bytes);
        ASSERT_TRUE(file.load(WriteFile(dir, "utf16.xml", bytes)));
        for (const XmlDocument *doc : {&memory, &file}) {
            ASSERT_NE(doc->documentElement(), nullptr) << little << text.left(5).toStdString() << doc->parseError().reason.toStdString();
            EXPECT_EQ(doc->documentElement()->text(), QString::fromUtf8("Citt\xC3\xA0 \xE2\x82\xAC")) << little << text.left(5).toStdString();
        }
    }
}

TEST(XmlDocument, WebAddressesLoadAsynchronously)
{
    LoopbackHttpServer server;
    ASSERT_TRUE(server.listening());
    server.route("/ok.xml", {200, "<races><race idName=\"web\"/></races>", 0, "text/xml"});
    server.route("/page.html", {200, "<html><body>hello<br></body></html>", 0, "text/html"});
    server.route("/slow.xml", {200, "<races/>", 3000, "text/xml"});

    XmlDocument ok;
    ASSERT_TRUE(ok.load(server.url("/ok.xml")));
    EXPECT_EQ(ok.readyState(), xml::ReadyState::Loading);   // nothing arrives without the event loop
    ASSERT_TRUE(ok.waitForComplete(10));
    EXPECT_EQ(ok.parseError().errorCode, 0) << ok.parseError().reason.toStdString();
    EXPECT_EQ(ok.selectSingleNode("/races/race")->attribute("idName"), "web");

    XmlDocument notFound;
    notFound.load(server.url("/missing.xml"));
    ASSERT_TRUE(notFound.waitForComplete(10));
    EXPECT_EQ(notFound.parseError().errorCode, xml::ParseErrorCode::NetworkError);
    EXPECT_EQ(notFound.documentElement(), nullptr);

    XmlDocument page;
    page.load(server.url("/page.html"));
    ASSERT_TRUE(page.waitForComplete(10));
    EXPECT_EQ(page.parseError().errorCode, xml::ParseErrorCode::NotWellFormed);

    XmlDocument slow;
    slow.load(server.url("/slow.xml"));
    QElapsedTimer clock;
    clock.start();
    EXPECT_FALSE(slow.waitForComplete(0.3));
    EXPECT_LT(clock.elapsed(), 2500);
    EXPECT_EQ(slow.readyState(), xml::ReadyState::Loading);
    slow.abort();
    EXPECT_EQ(slow.readyState(), xml::ReadyState::Complete);
    EXPECT_EQ(slow.parseError().errorCode, xml::ParseErrorCode::Aborted);

    XmlDocument sync;
    sync.setAsync(false);
    ASSERT_TRUE(sync.load(server.url("/ok.xml")));
    EXPECT_EQ(sync.readyState(), xml::ReadyState::Complete);
    EXPECT_NE(sync.documentElement(), nullptr);
}

TEST(XmlDocument, WebAddressRecognition)
{
    EXPECT_TRUE(XmlDocument::IsWebAddress("http://example.invalid/a.xml"));
    EXPECT_TRUE(XmlDocument::IsWebAddress("HTTPS://example.invalid/a.xml"));
    EXPECT_FALSE(XmlDocument::IsWebAddress("/home/user/http.xml"));
    EXPECT_FALSE(XmlDocument::IsWebAddress("file:///home/user/a.xml"));
    EXPECT_FALSE(XmlDocument::IsWebAddress("C:\\routes\\a.xml"));
}

TEST(XmlDocument, InternetConnectedOverride)
{
    xml::SetInternetConnectedOverride(false);
    EXPECT_FALSE(xml::InternetConnected());
    xml::SetInternetConnectedOverride(true);
    EXPECT_TRUE(xml::InternetConnected());
    xml::SetInternetConnectedOverride(std::nullopt);
    // Whatever the machine's state, asking the system answers without hanging.
    QElapsedTimer clock;
    clock.start();
    (void)xml::InternetConnected();
    EXPECT_LT(clock.elapsed(), 10000);
}
