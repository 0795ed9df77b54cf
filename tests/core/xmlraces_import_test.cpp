// Storing races and the main window's import command.
#include "xmlraces_fixture.h"

#include "core/LangClient.h"
#include "core/XmlRaces.h"
#include "platform/settings/Settings.h"

#include <functional>
#include <new>
#include <utility>

namespace {

RacePtr MakeRace(const QString &name, int type, std::vector<std::pair<float, int16_t>> points)
{
    auto race = std::make_shared<Race>();
    race->raceName(name);
    race->raceType(type);
    race->lenght(points.empty() ? 0.0f : points.back().first);
    race->info(QStringLiteral("it's \"fine\""));
    auto samples = std::make_shared<ColSample>();
    for (const auto &p : points) {
        auto s = std::make_shared<Sample>();
        s->Distance(p.first);
        s->Height(p.second);
        s->Label(QStringLiteral("O'Neil"));
        samples->Append(s);
    }
    race->Samples(samples);
    return race;
}

const QByteArray kImportFile =
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n<races>\r\n"
    "  <race idName=\"Mortirolo\" type=\"climb\"><lenght>12,4</lenght>"
    "<samples sampleNumber=\"2\"><sample number=\"1\"><distance>0</distance><height>550</height></sample>"
    "<sample number=\"2\"><distance>12.4</distance><height>1852</height></sample></samples></race>\r\n"
    "</races>\r\n";

} // namespace

using SaveRaces = ExchangeDbTest;

TEST_F(SaveRaces, ANameAlreadyPresentIsNotStoredAndTheUserIsTold)
{
    addClimb("Stelvio", 21.5, 1200, 2758, "Bormio", {{0.0, 1200, {}}});
    ColRace races;
    races.Append(MakeRace("STELVIO", 0, {{0.0f, 1}, {1.0f, 2}}));   // names match without regard to case
    races.Append(MakeRace("Gavia", 0, {{0.0f, 1300}, {17.3f, 2621}}));
    races.Append(MakeRace("Stelvio", 1, {{0.0f, 1}}));             // a route of that name is another table

    EXPECT_EQ(SaveRacesToDb(races), RaceXmlResult::AlreadyPresent);
    EXPECT_EQ(TestSupport::Script().messages(),
              QStringList{FormatLangString(GetLangString(549), {"STELVIO"})});
    EXPECT_EQ(TestSupport::Script().shown.front().style & 0x70, Vb::Exclamation);
    EXPECT_EQ(countOf("[CampioniSalite]", "Stelvio"), 1);
    EXPECT_EQ(rows("SELECT Lunghezza FROM [Dati Salite] WHERE IDPercorso='Stelvio'").front().front().toDouble(), 21.5);
    EXPECT_EQ(countOf("[CampioniSalite]", "Gavia"), 2);
    EXPECT_EQ(countOf("[Dati Percorsi]", "Stelvio"), 1);
    // Values are bound: quotes in texts are stored as they are.
    EXPECT_EQ(rows("SELECT Descrizione FROM [Dati Salite] WHERE IDPercorso='Gavia'").front().front().toString(),
              "it's \"fine\"");
    EXPECT_EQ(rows("SELECT DistParz, Note FROM [CampioniSalite] WHERE IDPercorso='Gavia' ORDER BY DistParz").back(),
              (QVariantList{17.3, "O'Neil"}));
}

TEST_F(SaveRaces, ADatabaseErrorLeavesNothingOfThatRace)
{
    ColRace races;
    races.Append(MakeRace("First", 1, {{0.0f, 10}, {1.0f, 20}}));
    races.Append(MakeRace("Twice at 1 km", 1, {{0.0f, 10}, {1.0f, 20}, {1.0f, 30}}));
    races.Append(MakeRace("Never reached", 1, {{0.0f, 10}}));

    EXPECT_EQ(SaveRacesToDb(races), RaceXmlResult::DatabaseError);
    ASSERT_EQ(TestSupport::Script().messages().size(), 1);
    EXPECT_TRUE(TestSupport::Script().messages().front().startsWith("Error 3022"))
        << TestSupport::Script().messages().front().toStdString();
    EXPECT_EQ(countOf("[Dati Percorsi]", "First"), 1);
    EXPECT_EQ(countOf("[CampioniPercorsi]", "First"), 2);
    EXPECT_EQ(countOf("[Dati Percorsi]", "Twice at 1 km"), 0);
    EXPECT_EQ(countOf("[CampioniPercorsi]", "Twice at 1 km"), 0);
    EXPECT_EQ(countOf("[Dati Percorsi]", "Never reached"), 0);
    EXPECT_FALSE(CurrentDb->InTransaction());
    // The database goes on working after the failure.
    ColRace again;
    again.Append(MakeRace("Never reached", 1, {{0.0f, 10}}));
    EXPECT_EQ(SaveRacesToDb(again), 0);
    EXPECT_EQ(countOf("[CampioniPercorsi]", "Never reached"), 1);
}

TEST_F(SaveRaces, ImportCommandReportsEachOutcome)
{
    WriteAll(outFile("race.xml"), kImportFile);
    WriteAll(outFile("broken.xml"), "<races><race>");
    WriteAll(outFile("nosamples.xml"), "<races><race idName=\"Zoncolan\" type=\"climb\"><samples><sample>"
                                       "<distance>1</distance></sample></samples></race></races>");

    auto &script = TestSupport::Script();
    script.files = {outFile("race.xml"), outFile("race.xml"), outFile("broken.xml"), outFile("nosamples.xml"),
                    std::nullopt};
    for (int i = 0; i < 5; ++i)
        RunXmlImport();

    const QStringList expected = {
        FormatLangString(GetLangString(527), {"Mortirolo"}),   // imported
        FormatLangString(GetLangString(549), {"Mortirolo"}),   // the second time: already there, and no success
        GetLangString(530),                                    // not well formed
        GetLangString(532),                                    // a sample of one child
    };
    EXPECT_EQ(script.messages(), expected);
    std::vector<int> styles;
    for (const auto &s : script.shown)
        if (s.kind == "msgbox")
            styles.push_back(s.style & 0x70);
    EXPECT_EQ(styles, (std::vector<int>{Vb::Information, Vb::Exclamation, Vb::Exclamation, Vb::Exclamation}));
    EXPECT_EQ(countOf("[CampioniSalite]", "Mortirolo"), 2);
    EXPECT_EQ(countOf("[Dati Salite]", "Zoncolan"), 0);

    const auto &open = script.shown.front();
    EXPECT_EQ(open.kind, "open");
    EXPECT_EQ(open.request.title, GetLangString(525));
    EXPECT_EQ(open.request.filter, GetLangString(526));
    EXPECT_EQ(open.request.defaultExt, "txt");
    EXPECT_EQ(open.request.flags, 0x81404);
    EXPECT_EQ(open.request.fileName, "");
    EXPECT_EQ(script.shown.back().kind, "open");   // the cancel: nothing after it
    EXPECT_EQ(script.shown.back().request.initDir, outDir());
    EXPECT_EQ(GetSetting(AppName, "MDIfrmBike", "XmlDir"), outDir());
}

namespace {

// Answers like the scripted provider, but the first message box raises the
// error given instead, as a failure deep in the import would.
class FailingOnceProvider : public ScriptedPromptProvider {
public:
    std::function<void()> raise;
    int messageBox(const QString &text, int style, const QString &title) override
    {
        if (auto r = std::exchange(raise, nullptr))
            r();
        return ScriptedPromptProvider::messageBox(text, style, title);
    }
};

} // namespace

// An error on the way is never told as a missing internet connection: one the
// program raises is shown with its own reason, anything else goes on to the
// application's safety net.
TEST_F(SaveRaces, AnErrorDuringALocalImportKeepsItsReason)
{
    WriteAll(outFile("race.xml"), kImportFile);
    QString name;
    ASSERT_EQ(ImportRaceXml(outFile("race.xml"), name), RaceXmlResult::Ok);

    auto provider = std::make_shared<FailingOnceProvider>();
    SetPromptProvider(provider);
    // The second import asks about the name already there, and that fails.
    provider->raise = [] { throw VbError(5, QStringLiteral("The question could not be asked")); };
    EXPECT_EQ(ImportRaceXml(outFile("race.xml"), name), RaceXmlResult::Reported);
    EXPECT_EQ(provider->messages(), QStringList{QStringLiteral("Error 5: The question could not be asked")});

    provider->raise = [] { throw std::bad_alloc(); };
    EXPECT_THROW(ImportRaceXml(outFile("race.xml"), name), std::bad_alloc);
    TestSupport::ResetScript();
}

// A file past the cap of a races file is refused before it is read, and the
// user is told it is too large (not that it is not a valid document).
TEST_F(SaveRaces, AFileOverTheCapIsToldTooLarge)
{
    const QString huge = outFile("huge.xml");
    WriteAll(huge, kImportFile);
    ASSERT_TRUE(QFile(huge).resize(xml::MaxDocumentBytes + 1));   // sparse: no bytes on the disk
    Race race;
    EXPECT_EQ(ReadRaceXml(huge, race, 5), RaceXmlResult::TooLarge);

    auto &script = TestSupport::Script();
    script.files = {huge};
    RunXmlImport();
    EXPECT_EQ(script.messages(), QStringList{FormatLangString(GetLangString(171), {QStringLiteral("96")})});
    EXPECT_EQ(countOf("[Dati Salite]", "Mortirolo"), 0);
}
