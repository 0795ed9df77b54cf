// The text profile export of the card windows and the export refusals.
#include "window_fixture.h"

#include "FileFaults.h"
#include "core/ProfileExport.h"
#include "core/Race.h"
#include "core/XmlRaces.h"
#include "records/TextProfile.h"

#include <QFile>
#include <QFileInfo>

using TestFiles::ReadAll;

// The card as shown and its samples make the file; it reads back the same,
// under a decimal-comma locale too.
TEST_P(BothWindows, ExportWritesTheTextProfile)
{
    const bool climb = GetParam();
    TestSupport::LocaleScope scope(QLocale(QLocale::Italian, QLocale::Italy));
    AddCard(climb, QStringLiteral("O\"Neil"), 12.35, 1205, 2758);
    AddSample(climb, QStringLiteral("O\"Neil"), 10, 2000);
    AddSample(climb, QStringLiteral("O\"Neil"), 0, 1205, QStringLiteral("Start \"here\""));
    AddSample(climb, QStringLiteral("O\"Neil"), 1.5, 1250);
    CardWindow &w = Open(climb);
    ASSERT_EQ(Txt(1)->text(), QStringLiteral("12,35"));

    const QString chosen = Path(QStringLiteral("out.TXT"));
    TestSupport::Script().files.push_back(chosen);
    w.Export();
    ASSERT_EQ(TestSupport::Script().shown.size(), 1u) << TestSupport::Script().messages().join('|').toStdString();
    const FileDialogRequest &req = TestSupport::Script().shown[0].request;
    EXPECT_EQ(req.title, GetLangString(climb ? 9531 : 7507));
    EXPECT_EQ(req.filter, GetLangString(climb ? 9532 : 7508));
    EXPECT_EQ(req.flags, 6);
    EXPECT_EQ(req.fileName, QStringLiteral("O_Neil.txt"));   // the name inside stays exact

    // The test for the extension is exact: ".TXT" gets ".txt" after it.
    EXPECT_FALSE(QFile::exists(chosen));
    const QByteArray bytes = ReadAll(chosen + QStringLiteral(".txt"));
    ASSERT_FALSE(bytes.isEmpty());
    EXPECT_TRUE(bytes.startsWith("0,1205,\"Start here\",\"\"\r\n1.5,1250,\"\",\"\"\r\n10,2000,\"\",\"\"\r\n"));
    EXPECT_TRUE(bytes.contains("Lunghezza=12350\r\n"));
    EXPECT_EQ(bytes.contains("Quotainiziale=1205\r\n"), climb);
    const TextProfileRecord r = ReadTextProfile(bytes);
    EXPECT_EQ(r.isClimb, climb);
    EXPECT_EQ(r.idPercorso, QStringLiteral("O\"Neil"));
    EXPECT_DOUBLE_EQ(r.lunghezzaKm, 12.35);
    ASSERT_EQ(r.samples.size(), 3);
    EXPECT_FLOAT_EQ(r.samples[1].distParz, 1.5f);
    EXPECT_EQ(GetSetting(AppName, w.config().formName, QStringLiteral("ExportDir")), m_root.path());
}

TEST_P(BothWindows, ExportsAreRefusedWhileAddingOrWithoutCards)
{
    const bool climb = GetParam();
    CardWindow &w = Open(climb);
    w.Export();
    w.ExportXml();
    w.ExportCrs();
    const QString refused = GetLangString(climb ? 9533 : 7509);
    const QString refusedXml = GetLangString(climb ? 9533 : 7501);
    EXPECT_EQ(TestSupport::Script().messages(), (QStringList{refused, refusedXml, refusedXml}));
    EXPECT_EQ(TestSupport::Script().shown[0].style, Vb::Critical);

    AddCard(climb, QStringLiteral("A"));
    TestSupport::ResetScript();
    CardWindow &again = Open(climb);
    again.cmdAdd_Click();
    again.Export();
    again.ExportXml();
    EXPECT_EQ(TestSupport::Script().messages(), (QStringList{refused, refusedXml}));
    for (const auto &s : TestSupport::Script().shown)
        EXPECT_EQ(s.kind, QStringLiteral("msgbox"));
}

// A cancelled dialog writes nothing and says nothing; a file that cannot be
// written is reported and leaves no file behind.
TEST_F(CardWindowTest, ExportCancelAndFailure)
{
    AddCard(true, QStringLiteral("A"));
    CardWindow &w = Open(true);
    TestSupport::Script().files.push_back(std::nullopt);
    w.Export();
    EXPECT_TRUE(TestSupport::Script().messages().isEmpty());

    const QString bad = Path(QStringLiteral("missing/dir/a.txt"));
    TestSupport::Script().files.push_back(bad);
    w.Export();
    ASSERT_EQ(TestSupport::Script().messages().size(), 1);
    EXPECT_TRUE(TestSupport::Script().messages().first().startsWith(QStringLiteral("Error 75")));
    // The message says why and where.
    EXPECT_TRUE(TestSupport::Script().messages().first().contains(QStringLiteral("folder not found")));
    EXPECT_TRUE(TestSupport::Script().messages().first().contains(bad));
    EXPECT_FALSE(QFile::exists(bad));
}

// The proposed file name of an export is safe for a file dialog and a file
// system; the record's name inside the file stays exact.
TEST(ProposedFileName, Names)
{
    const struct { const char *name, *proposed; } cases[] = {
        {"Stelvio", "Stelvio"},
        {"Col d'Izoard & \"Casse D\u00e9serte\"", "Col d'Izoard & _Casse D\u00e9serte_"},
        {"A/B\\C:D*E?F<G>H|I", "A_B_C_D_E_F_G_H_I"},
        {"tab\there\nline", "tab_here_line"},
        {" ..hidden. ", "hidden"},
        {"\"\"", "__"},
        {"..", "_"},
        {"", "_"},
    };
    for (const auto &c : cases)
        EXPECT_EQ(ProposedFileName(QString::fromUtf8(c.name)), QString::fromUtf8(c.proposed)) << c.name;
}

TEST_P(BothWindows, ExportsProposeASafeName)
{
    const bool climb = GetParam();
    const QString name = QString::fromUtf8("Col d'Izoard & \"Casse D\u00e9serte\"");
    AddCard(climb, name, 20, 1000, 2300);
    AddSample(climb, name, 0, 1000);
    AddSample(climb, name, 20, 2300);
    CardWindow &w = Open(climb);
    const QString chosen = Path(QStringLiteral("izoard.xml"));
    TestSupport::Script().files = {chosen, std::nullopt, std::nullopt};
    w.ExportXml();
    w.ExportCrs();
    w.Export();
    const auto &shown = TestSupport::Script().shown;
    ASSERT_EQ(shown.size(), 3u) << TestSupport::Script().messages().join('|').toStdString();
    const QString stem = QString::fromUtf8("Col d'Izoard & _Casse D\u00e9serte_");
    EXPECT_EQ(QFileInfo(shown[0].request.fileName).fileName(), stem + QStringLiteral(".xml"));
    EXPECT_EQ(QFileInfo(shown[1].request.fileName).fileName(), stem + QStringLiteral(".crs"));
    EXPECT_EQ(shown[2].request.fileName, stem + QStringLiteral(".txt"));
    Race race;
    ReadRaceXml(chosen, race, 1);
    EXPECT_EQ(race.raceName(), name);
}
