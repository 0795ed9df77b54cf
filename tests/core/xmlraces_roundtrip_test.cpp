// Export and import of the races file through a real database.
#include "xmlraces_fixture.h"

#include "FileFaults.h"

#include "core/LangClient.h"
#include "core/XmlRaces.h"
#include "platform/settings/Settings.h"

namespace {

const QString kClimb = QStringLiteral("Colle d'Agnello & <Sud>");
const QString kRoute = QStringLiteral("Giro dell'Oca & \"Co\"");

// The whole file for the climb below, in a locale with a decimal point.
const QByteArray kClimbFileEnglish =
    "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"no\"?>\r\n"
    "<!DOCTYPE races SYSTEM \"https://www.vettaro.example/vettaroxml/vettaro.dtd\">\r\n"
    "<races>\r\n"
    "  <race idName=\"Colle d&apos;Agnello &amp; &lt;Sud&gt;\" type=\"climb\">\r\n"
    "    <name>Colle d&apos;Agnello &amp; &lt;Sud&gt;</name>\r\n"
    "    <lenght>12.5</lenght>\r\n"
    "    <startHeight>1200</startHeight>\r\n"
    "    <endHeight>2744</endHeight>\r\n"
    "    <city>Chianale \xC3\xA0</city>\r\n"
    "    <province>Cuneo</province>\r\n"
    "    <region>Piemonte</region>\r\n"
    "    <state>Italia</state>\r\n"
    "    <web>https://example.org/?a=1&amp;b=2</web>\r\n"
    "<samples sampleNumber=\"4\">\r\n"
    "      <sample number=\"1\">\r\n"
    "        <distance>0</distance>\r\n"
    "        <height>1200</height>\r\n"
    "      <label>Partenza</label>\r\n"
    "      </sample>\r\n"
    "      <sample number=\"2\">\r\n"
    "        <distance>0.1</distance>\r\n"
    "        <height>1210</height>\r\n"
    "      </sample>\r\n"
    "      <sample number=\"3\">\r\n"
    "        <distance>1.25</distance>\r\n"
    "        <height>1300</height>\r\n"
    "      </sample>\r\n"
    "      <sample number=\"4\">\r\n"
    "        <distance>12.5</distance>\r\n"
    "        <height>2744</height>\r\n"
    "      <label>Cima &amp; &quot;top&quot; &lt;1&gt;</label>\r\n"
    "      </sample>\r\n"
    "    </samples>\r\n"
    "  </race>\r\n"
    "</races>\r\n";

class XmlRoundTrip : public ExchangeDbTest, public ::testing::WithParamInterface<const char *> {
protected:
    void addBoth()
    {
        addClimb(kClimb, 12.5, 1200, 2744, QString::fromUtf8("Chianale \xC3\xA0"),
                 {{12.5, 2744, QString::fromUtf8("Cima & \"top\" <1>")},
                  {0.0, 1200, "Partenza"},
                  {0.1, 1210, QVariant()},      // a sample without a note
                  {1.25, 1300, ""}});
        addRoute(kRoute, 42.2, {{0.0, 250, "start"}, {21.1, 300, QVariant()}, {42.2, 250, "end"}});
    }
};

} // namespace

TEST_P(XmlRoundTrip, ClimbAndRouteComeBackAsTheyWere)
{
    TestSupport::LocaleScope locale{QLocale(QString::fromLatin1(GetParam()))};
    const bool comma = QLocale().decimalPoint() == QLatin1String(",");
    addBoth();
    const auto climbCard = rows("SELECT IDPercorso, Lunghezza, Quotainiziale, Quotafinale, Località, Provincia, "
                                "Regione, Stato, Url FROM [Dati Salite]");
    const auto routeCard = rows("SELECT IDPercorso, Lunghezza, Località FROM [Dati Percorsi]");

    TestSupport::Script().files = {outFile("climb.xml"), outFile("route")};
    WriteXmlProfile(kClimb, "climb");
    WriteXmlProfile(kRoute, "tour");
    ASSERT_TRUE(TestSupport::Script().messages().isEmpty()) << TestSupport::Script().messages().join("|").toStdString();

    const QByteArray climbFile = ReadAll(outFile("climb.xml"));
    if (comma) {
        QByteArray expected = kClimbFileEnglish;
        expected.replace("12.5<", "12,5<").replace("0.1<", "0,1<").replace("1.25<", "1,25<");
        EXPECT_EQ(climbFile.toStdString(), expected.toStdString());
    } else {
        EXPECT_EQ(climbFile.toStdString(), kClimbFileEnglish.toStdString());
    }
    const QByteArray routeFile = ReadAll(outFile("route.xml"));
    EXPECT_TRUE(routeFile.contains("  <race idName=\"Giro dell&apos;Oca &amp; &quot;Co&quot;\" type=\"tour\">\r\n"));
    EXPECT_TRUE(routeFile.contains("    <startHeight>0</startHeight>\r\n    <endHeight>0</endHeight>\r\n"));
    EXPECT_TRUE(routeFile.contains(comma ? "<lenght>42,2</lenght>" : "<lenght>42.2</lenght>"));
    EXPECT_FALSE(routeFile.contains("<province>"));   // empty columns are left out

    // Remove both records (the samples go with them) and import the files back.
    CurrentDb->Execute("DELETE FROM [Dati Salite] WHERE IDPercorso=?", 0, {kClimb});
    CurrentDb->Execute("DELETE FROM [Dati Percorsi] WHERE IDPercorso=?", 0, {kRoute});
    ASSERT_EQ(countOf("[CampioniSalite]", kClimb), 0);

    QString name;
    EXPECT_EQ(ImportRaceXml(outFile("climb.xml"), name), 0);
    EXPECT_EQ(name, kClimb);
    EXPECT_EQ(ImportRaceXml(outFile("route.xml"), name), 0);
    EXPECT_EQ(name, kRoute);
    EXPECT_TRUE(TestSupport::Script().messages().isEmpty()) << TestSupport::Script().messages().join("|").toStdString();

    EXPECT_EQ(rows("SELECT IDPercorso, Lunghezza, Quotainiziale, Quotafinale, Località, Provincia, "
                   "Regione, Stato, Url FROM [Dati Salite]"), climbCard);
    EXPECT_EQ(rows("SELECT IDPercorso, Lunghezza, Località FROM [Dati Percorsi]"), routeCard);
    EXPECT_EQ(countOf("[Dati Salite]", kRoute), 0);   // a "tour" is a route
    const auto climbSamples = rows("SELECT DistParz, Altezza, Note FROM [CampioniSalite] ORDER BY DistParz");
    const std::vector<QVariantList> expectedClimbSamples = {
        {0.0, 1200, "Partenza"}, {0.1, 1210, ""}, {1.25, 1300, ""},
        {12.5, 2744, QString::fromUtf8("Cima & \"top\" <1>")}};
    ASSERT_EQ(climbSamples.size(), expectedClimbSamples.size());
    for (size_t i = 0; i < climbSamples.size(); ++i) {
        EXPECT_DOUBLE_EQ(climbSamples[i][0].toDouble(), expectedClimbSamples[i][0].toDouble()) << i;
        EXPECT_EQ(climbSamples[i][1].toInt(), expectedClimbSamples[i][1].toInt()) << i;
        EXPECT_EQ(climbSamples[i][2].toString(), expectedClimbSamples[i][2].toString()) << i;
    }
    const auto routeSamples = rows("SELECT DistParz, Altezza FROM [CampioniPercorsi] ORDER BY DistParz");
    ASSERT_EQ(routeSamples.size(), 3u);
    EXPECT_DOUBLE_EQ(routeSamples[1][0].toDouble(), 21.1);
}

INSTANTIATE_TEST_SUITE_P(Locales, XmlRoundTrip, ::testing::Values("en_US", "it_IT"));

using XmlExport = ExchangeDbTest;

TEST_F(XmlExport, NoSamplesOrAFailureLeavesTheOldFileAndNoPartialFile)
{
    addRoute("Empty", 1.0, {});
    addRoute("Nulls", QVariant(), {{0.0, QVariant(), {}}});
    const QByteArray old = "<old/>";
    WriteAll(outFile("Empty.xml"), old);

    TestSupport::Script().files = {outFile("Empty.xml")};
    WriteXmlProfile("Empty", "tour");
    EXPECT_EQ(TestSupport::Script().messages(), QStringList{GetLangString(28002)});
    EXPECT_EQ(TestSupport::Script().shown.back().style & 0x70, Vb::Critical);
    EXPECT_EQ(ReadAll(outFile("Empty.xml")), old);

    // A folder that cannot be written: the data-error message, and nothing is left behind.
    TestSupport::ResetScript().files = {outFile("missing/Nulls.xml")};
    WriteXmlProfile("Nulls", "tour");
    ASSERT_EQ(TestSupport::Script().messages().size(), 1);
    EXPECT_TRUE(TestSupport::Script().messages().front().startsWith("Error 75"));
    EXPECT_TRUE(TestSupport::Script().messages().front().contains("folder not found"));
    EXPECT_TRUE(TestSupport::Script().messages().front().contains(outFile("missing/Nulls.xml")));

    // Cancel: no message, nothing written.
    TestSupport::ResetScript().files = {std::nullopt};
    WriteXmlProfile("Nulls", "tour");
    EXPECT_TRUE(TestSupport::Script().messages().isEmpty());
    EXPECT_EQ(outFiles(), QStringList{"Empty.xml"});

    // Null length and height give empty elements, which read back as 0.
    TestSupport::ResetScript().files = {outFile("Nulls.XML")};
    WriteXmlProfile("Nulls", "tour");
    EXPECT_EQ(outFiles(), (QStringList{"Empty.xml", "Nulls.XML.xml"}));
    const QByteArray nulls = ReadAll(outFile("Nulls.XML.xml"));
    EXPECT_TRUE(nulls.contains("<lenght></lenght>"));
    EXPECT_TRUE(nulls.contains("<height></height>"));
    Race race;
    race.lenght(5);
    EXPECT_EQ(ReadRaceXml(outFile("Nulls.XML.xml"), race, 5), 0);
    EXPECT_EQ(race.lenght(), 0.0f);
    ASSERT_EQ(race.Samples()->Count(), 1);
    EXPECT_EQ(race.Samples()->Item(1)->Height(), 0);

    const auto &save = TestSupport::Script().shown.front();
    EXPECT_EQ(save.request.fileName, "Nulls.xml");
    EXPECT_EQ(save.request.defaultExt, "xml");
    EXPECT_EQ(save.request.flags, 6);
    EXPECT_EQ(save.request.title, GetLangString(28000));
    EXPECT_EQ(save.request.filter, GetLangString(28001));
    EXPECT_EQ(save.request.initDir, outFile("missing"));   // the folder the last dialog ended in
    EXPECT_EQ(GetSetting(AppName, "XML", "ExportDir"), outDir());
}

// A disk that takes no more bytes: the user hears why, and the file that was
// there is kept whole, with nothing left beside it.
TEST_F(XmlExport, AFullDiskIsReportedAndKeepsTheOldFile)
{
    addRoute("Stelvio", 24.3, {{0.0, 1200, {}}, {1.0, 1350, {}}});
    const QByteArray old = "<races><race idName=\"Stelvio\"/></races>";
    WriteAll(outFile("Stelvio.xml"), old);
    FailingDevice device;
    TestSupport::Script().files = {outFile("Stelvio.xml")};
    WriteXmlProfile("Stelvio", "tour");
    ASSERT_EQ(TestSupport::Script().messages().size(), 1);
    const QString said = TestSupport::Script().messages().front();
    EXPECT_TRUE(said.startsWith("Error 75")) << said.toStdString();
    EXPECT_TRUE(said.contains("disk full")) << said.toStdString();
    EXPECT_TRUE(said.contains(outFile("Stelvio.xml"))) << said.toStdString();
    EXPECT_EQ(ReadAll(outFile("Stelvio.xml")), old);
    EXPECT_EQ(outFiles(), QStringList{"Stelvio.xml"});
}

TEST_F(XmlExport, ReadsFilesOfOlderSingleByteInstallations)
{
    QString name;
    ASSERT_EQ(ImportRaceXml(TestSupport::DataDir() + "/xml/legacy_latin1.xml", name), 0);
    const QString expected = QString::fromUtf8("Passo dell'Erbe \xC3\xA0 Br\xC3\xBC" "ck");
    EXPECT_EQ(name, expected);
    const auto card = rows("SELECT Lunghezza, Quotainiziale, Quotafinale, Località, Stato FROM [Dati Salite] "
                           "WHERE IDPercorso=?", {expected});
    ASSERT_EQ(card.size(), 1u);
    EXPECT_DOUBLE_EQ(card[0][0].toDouble(), 9.75);
    EXPECT_EQ(card[0][1].toInt(), 1020);
    EXPECT_EQ(card[0][2].toInt(), 2006);
    EXPECT_EQ(card[0][3].toString(), QString::fromUtf8("Sankt Martin \xE2\x82\xAC"));
    EXPECT_EQ(card[0][4].toString(), "Italia");
    EXPECT_EQ(rows("SELECT DistParz, Note FROM [CampioniSalite] ORDER BY DistParz"),
              (std::vector<QVariantList>{{0.0, "Partenza"}, {4.5, ""}, {9.75, "Cima"}}));
}
