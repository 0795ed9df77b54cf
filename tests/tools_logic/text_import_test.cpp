// Importing text profile files: which files count, what lands in the cards and
// samples, the overwrite choice, and a broken file or an abort keeping nothing.
#include "destination_fixture.h"
#include "core/LangClient.h"
#include "platform/shell/ReadLimits.h"
#include "tools/logic/TextImport.h"

#include <QFile>
#include <QTemporaryDir>

namespace {

class TextImportTest : public DestinationDbTest {
protected:
    QString file(const QString &name, const QByteArray &bytes)
    {
        const QString path = m_dir.filePath(name);
        QFile f(path);
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
        return path;
    }

    static QByteArray profile(const char *signature, const char *table, const QByteArray &name,
                              const QByteArray &sampleLines, const char *number, const QByteArray &extra = {})
    {
        QByteArray b = sampleLines;
        b += "[Prog]\r\nName=" + QByteArray(signature) + "\r\nVersion=4.0.1\r\n[Tab]\r\nName=" + table
             + "\r\n[Data]\r\nIDPercorso=" + name + "\r\nLunghezza=12345\r\nQuotainiziale=800\r\nQuotafinale=1500\r\n" + extra
             + "[SampleData]\r\n";
        if (number)
            b += "Number=" + QByteArray(number) + "\r\n";
        return b;
    }

    QVariant value(const QString &sql, const QString &name)
    {
        auto c = db->openCursor(sql, {name});
        return c->next() ? c->value(0) : QVariant();
    }
    int samples(const char *table, const QString &name)
    {
        return value(QStringLiteral("SELECT COUNT(*) FROM %1 WHERE IDPercorso = ?").arg(QLatin1String(table)), name).toInt();
    }
};

} // namespace

TEST_F(TextImportTest, FilesAndWhatTheyStore)
{
    const QStringList files{
        file("a.txt", profile("Vettaro", "Dati Salite", "Old climb", "0,800,\"start\"\r\n1.5,950,\"\"\r\n", "2")),
        file("b.txt", profile("VETTARO-V4", "Dati Percorsi", "Giro \"Q'x\"", "0,10,\"a\",\"summit\"\r\n", "1")),
        file("c.txt", profile("OtherProg", "Dati Salite", "Foreign", "0,1,\"\"\r\n", "1")),
        file("d.txt", profile("Vettaro-V4", "Dati Salite", "No samples", "", "0")),
        file("e.txt", profile("Vettaro-V4", "Dati Percorsi", "Missing number", "", nullptr)),
        file("n.txt", profile("Vettaro-V4", "Dati Percorsi", "Negative number", "0,1,\"\",\"\"\r\n", "-1")),
        file("f.txt", profile("vettaro-v4", "Dati Salite", "Cp1252", "0,1,\"Localit\xe0\",\"\"\r", "1",
                              "Regione=Localit\xe0\r\n").replace("\r\n", "\r")),   // CR-only ends, Windows-1252
    };
    const TextImport::Result r = TextImport::Import(*db, files, false, TextImport::ReadProfileFile, {});
    ASSERT_EQ(r.status, TextImport::Result::Completed) << r.errorText.toStdString();
    EXPECT_EQ(r.climbs, (QStringList{"Old climb", "No samples", "Cp1252"}));
    EXPECT_EQ(r.routes, (QStringList{"Giro \"Q'x\"", "Missing number", "Negative number"}));
    EXPECT_EQ(samples("CampioniPercorsi", "Negative number"), 0);
    EXPECT_EQ(samples("CampioniSalite", "Old climb"), 2);
    EXPECT_EQ(value("SELECT image FROM CampioniSalite WHERE IDPercorso = ?", "Old climb").toString(), QString());
    EXPECT_EQ(value("SELECT image FROM CampioniPercorsi WHERE IDPercorso = ?", "Giro \"Q'x\"").toString(), "summit");
    EXPECT_NEAR(value("SELECT Lunghezza FROM [Dati Percorsi] WHERE IDPercorso = ?", "Giro \"Q'x\"").toDouble(), 12.345, 1e-4);
    EXPECT_EQ(value("SELECT Quotafinale FROM [Dati Salite] WHERE IDPercorso = ?", "Old climb").toInt(), 1500);
    EXPECT_FALSE(value("SELECT COUNT(*) FROM [Dati Salite] WHERE IDPercorso = ?", "Foreign").toInt());
    EXPECT_EQ(samples("CampioniSalite", "No samples"), 0);
    EXPECT_EQ(value("SELECT Regione FROM [Dati Salite] WHERE IDPercorso = ?", "Cp1252").toString(), QString::fromUtf8("Località"));
    EXPECT_EQ(value("SELECT Note FROM CampioniSalite WHERE IDPercorso = ?", "Cp1252").toString(), QString::fromUtf8("Località"));
}

// The overwrite box against an existing card with or without samples: the
// file's samples replace the card's own only when asked, go in freely when the
// card has none, and the card itself never changes.
TEST_F(TextImportTest, OverwriteChoiceKeepsTheCard)
{
    const struct {
        bool cardHasSamples, overwrite;
        int samplesAfter;
        int firstHeight;
    } cases[] = {
        {true, false, 1, 7},
        {true, true, 2, 100},
        {false, false, 2, 100},
        {false, true, 2, 100},
    };
    const QString f = file("m.txt", profile("Vettaro-V4", "Dati Salite", "Mortirolo",
                                            "0,100,\"\",\"\"\r\n1,200,\"\",\"\"\r\n", "2", "Regione=file\r\n"));
    for (const auto &c : cases) {
        SCOPED_TRACE(testing::Message() << "samples " << c.cardHasSamples << " overwrite " << c.overwrite);
        db->Execute("DELETE FROM CampioniSalite");
        db->Execute("DELETE FROM [Dati Salite]");
        db->Execute("INSERT INTO [Dati Salite] (IDPercorso, Lunghezza, Regione) VALUES ('Mortirolo', 9.9, 'own')");
        if (c.cardHasSamples)
            db->Execute("INSERT INTO CampioniSalite (IDPercorso, DistParz, Altezza) VALUES ('Mortirolo', 0, 7)");
        const TextImport::Result r = TextImport::Import(*db, {f}, c.overwrite, TextImport::ReadProfileFile, {});
        ASSERT_EQ(r.status, TextImport::Result::Completed);
        EXPECT_TRUE(r.climbs.isEmpty());   // an existing card is not counted
        EXPECT_EQ(samples("CampioniSalite", "Mortirolo"), c.samplesAfter);
        EXPECT_EQ(value("SELECT MIN(Altezza) FROM CampioniSalite WHERE IDPercorso = ?", "Mortirolo").toInt(), c.firstHeight);
        EXPECT_EQ(value("SELECT Regione FROM [Dati Salite] WHERE IDPercorso = ?", "Mortirolo").toString(), "own");
        EXPECT_NEAR(value("SELECT Lunghezza FROM [Dati Salite] WHERE IDPercorso = ?", "Mortirolo").toDouble(), 9.9, 1e-4);
    }
}

// More than 32,767 sample lines are all read and stored; start and end
// heights are whole metres, halves going to the even neighbour as the
// heights of the samples do.
TEST_F(TextImportTest, LongFilesAndRoundedHeights)
{
    QByteArray lines;
    for (int i = 0; i < 40000; ++i)
        lines += QByteArray::number(i * 0.01, 'f', 2) + "," + QByteArray::number(i % 3000) + ",\"\",\"\"\r\n";
    const QString f = file("long.txt", profile("Vettaro-V4", "Dati Salite", "Long", lines, "40000")
                                           .replace("Quotainiziale=800", "Quotainiziale=800.5")
                                           .replace("Quotafinale=1500", "Quotafinale=1501.5"));
    const TextImport::Result r = TextImport::Import(*db, {f}, false, TextImport::ReadProfileFile, {});
    ASSERT_EQ(r.status, TextImport::Result::Completed) << r.errorText.toStdString();
    EXPECT_EQ(samples("CampioniSalite", "Long"), 40000);
    EXPECT_EQ(value("SELECT Quotainiziale FROM [Dati Salite] WHERE IDPercorso = ?", "Long").toInt(), 800);
    EXPECT_EQ(value("SELECT Quotafinale FROM [Dati Salite] WHERE IDPercorso = ?", "Long").toInt(), 1502);
}

// Values are read whole, not cut short: a name of 200 characters arrives as it
// is; one longer than the card's field fails the run rather than being cut.
TEST_F(TextImportTest, LongValuesAreKeptWholeOrRefused)
{
    const QByteArray name200(200, 'n'), name300(300, 'm');
    const QString fits = file("fits.txt", profile("Vettaro-V4", "Dati Percorsi", name200, "", "0"));
    TextImport::Result r = TextImport::Import(*db, {fits}, false, TextImport::ReadProfileFile, {});
    ASSERT_EQ(r.status, TextImport::Result::Completed) << r.errorText.toStdString();
    EXPECT_EQ(r.routes, QStringList{QString::fromLatin1(name200)});

    const QString tooLong = file("long.txt", profile("Vettaro-V4", "Dati Percorsi", name300, "", "0"));
    r = TextImport::Import(*db, {tooLong}, false, TextImport::ReadProfileFile, {});
    EXPECT_EQ(r.status, TextImport::Result::Failed);
    EXPECT_EQ(r.failedFile, tooLong);
    EXPECT_FALSE(value("SELECT COUNT(*) FROM [Dati Percorsi] WHERE IDPercorso = ?", QString::fromLatin1(name300)).toInt());
}

// A file past the size cap is refused before it is read (a sparse file: its
// size is there, its bytes are not), and the run keeps nothing.
TEST_F(TextImportTest, AFileOverTheCapIsRefused)
{
    const QString good = file("g.txt", profile("Vettaro-V4", "Dati Salite", "Good", "0,1,\"\",\"\"\r\n", "1"));
    const QString huge = file("huge.txt", profile("Vettaro-V4", "Dati Salite", "Huge", "0,1,\"\",\"\"\r\n", "1"));
    ASSERT_TRUE(QFile(huge).resize(readlimits::MaxTextProfileBytes + 1));
    const TextImport::Result r = TextImport::Import(*db, {good, huge}, true, TextImport::ReadProfileFile, {});
    EXPECT_EQ(r.status, TextImport::Result::Failed);
    EXPECT_EQ(r.failedFile, huge);
    EXPECT_EQ(r.errorNumber, VbErr::OutOfMemory);
    EXPECT_EQ(r.errorText, FormatLangString(GetLangString(171), {QStringLiteral("64")}));
    EXPECT_FALSE(value("SELECT COUNT(*) FROM [Dati Salite] WHERE IDPercorso = ?", "Good").toInt());
}

// The signature is looked for in [Prog] Name, sections and keys in any case,
// the first Name of the section deciding; any line end.
TEST(TextProfileSignature, Cases)
{
    const struct {
        QByteArray bytes;
        bool found;
    } cases[] = {
        {"[Prog]\r\nName=Vettaro-V4\r\n", true},
        {"0,1\n[ prog ]\n name = VETTARO \n", true},
        {"[PROG]\rNAME=vettaro-v4\r", true},
        {"[Prog]\nName=Other\nName=Vettaro\n", false},
        {"[Tab]\nName=Vettaro\n", false},
        {"[Prog]\nVersion=4\n[Tab]\nName=Vettaro\n", false},
        {"[Prog]\nName=Vettaro-V5\n", false},
        {"[Prog]\nName=Vettaro", true},
        {"", false},
        {"[Prog", false},
    };
    for (const auto &c : cases)
        EXPECT_EQ(TextImport::HasProfileSignature(c.bytes), c.found) << c.bytes.toStdString();
}

TEST_F(TextImportTest, BrokenFileOrAbortKeepsNothing)
{
    const QString good = file("g.txt", profile("Vettaro-V4", "Dati Salite", "Good", "0,1,\"\",\"\"\r\n", "1"));
    const struct {
        const char *what;
        QByteArray bytes;
    } broken[] = {
        {"short file", profile("Vettaro-V4", "Dati Salite", "Short", "0,1,\"\",\"\"\r\n", "40")},
        {"short line", profile("Vettaro-V4", "Dati Salite", "Short", "0,1\r\n", "1")},
        {"fractional number", profile("Vettaro-V4", "Dati Salite", "Short", "0,1,\"\",\"\"\r\n1,2,\"\",\"\"\r\n", "2.7")},
        {"height out of range", profile("Vettaro-V4", "Dati Salite", "Short", "0,99999,\"\",\"\"\r\n", "1")},
        {"height rounding out of range", profile("Vettaro-V4", "Dati Salite", "Short", "0,32767.5,\"\",\"\"\r\n", "1")},
        {"start height rounding out of range", profile("Vettaro-V4", "Dati Salite", "Short", "", "0")
                                                   .replace("Quotainiziale=800", "Quotainiziale=32767.5")},
        {"bad distance", profile("Vettaro-V4", "Dati Salite", "Short", "x,1,\"\",\"\"\r\n", "1")},
        {"bad start height", profile("Vettaro-V4", "Dati Percorsi", "Short", "", "0").replace("Quotainiziale=800", "")
                                 .replace("[Tab]\r\nName=Dati Percorsi", "[Tab]\r\nName=Dati Salite")
                                 .replace("Quotafinale=1500", "Quotafinale=abc")},
    };
    for (const auto &b : broken) {
        SCOPED_TRACE(b.what);
        const QString bad = file("bad.txt", b.bytes);
        const TextImport::Result r = TextImport::Import(*db, {good, bad}, true, TextImport::ReadProfileFile, {});
        EXPECT_EQ(r.status, TextImport::Result::Failed);
        EXPECT_EQ(r.failedFile, bad);
        EXPECT_TRUE(r.climbs.isEmpty());
        EXPECT_FALSE(value("SELECT COUNT(*) FROM [Dati Salite] WHERE IDPercorso = ?", "Good").toInt());
        EXPECT_FALSE(db->InTransaction());
    }

    // An abort after the first file takes back that file too.
    int polls = 0;
    ImportEngine::Callbacks cb;
    cb.shouldAbort = [&] { return ++polls > 3; };
    const TextImport::Result r = TextImport::Import(*db, {good, good, good}, true, TextImport::ReadProfileFile, cb);
    EXPECT_EQ(r.status, TextImport::Result::Aborted);
    EXPECT_FALSE(value("SELECT COUNT(*) FROM [Dati Salite] WHERE IDPercorso = ?", "Good").toInt());
}
