#include "records/TextProfile.h"
#include "platform/shell/ReadLimits.h"
#include "platform/error/VbError.h"
#include "CoreTestSupport.h"
#include "MemoryPeak.h"
#include "core/LangClient.h"
#include "platform/com/ComRegistry.h"
#include "TestSupport.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

namespace {

TextProfileCard ClimbCard(const QString &length)
{
    TextProfileCard c;
    c.isClimb = true;
    c.idPercorso = QStringLiteral("Passo dello Stelvio");
    c.lunghezza = length;
    c.quotaIniziale = QStringLiteral("1205");
    c.quotaFinale = QStringLiteral("2758");
    c.telefono = QStringLiteral("0342 123");
    c.fax = QString();
    c.stato = QStringLiteral("Italia");
    c.regione = QStringLiteral("Lombardia");
    c.provincia = QStringLiteral("SO");
    c.localita = QStringLiteral("Bormio");
    c.email = QStringLiteral("info@stelvio.it");
    c.url = QStringLiteral("www.stelvio.it");
    return c;
}

QVector<TextProfileSample> Samples()
{
    return {{0.0f, 1205, QStringLiteral("Bormio"), QString()},
            {1.5f, 1250, QStringLiteral("Col \"alto\""), QStringLiteral("bar")},
            {10.0f, 1900, QString(), QString()},
            {21.6f, 2758, QStringLiteral("Passo, cima"), QStringLiteral("flag")}};
}

const char *const Golden =
    "0,1205,\"Bormio\",\"\"\r\n"
    "1.5,1250,\"Col alto\",\"bar\"\r\n"
    "10,1900,\"\",\"\"\r\n"
    "21.6,2758,\"Passo, cima\",\"flag\"\r\n"
    "[Author]\r\nName=Vettaro\r\nUrl=https://www.vettaro.example/\r\nE-mail=info@vettaro.example\r\n"
    "[Prog]\r\nName=Vettaro-V4\r\nVersion=1.2.30\r\n"
    "[Tab]\r\nName=Dati Salite\r\n"
    "[Data]\r\nIDPercorso=Passo dello Stelvio\r\nLunghezza=12350\r\nQuotainiziale=1205\r\nQuotafinale=2758\r\n"
    "Telefono=0342 123\r\nFax=\r\nStato=Italia\r\nRegione=Lombardia\r\nProvincia=SO\r\n"
    "Localit\xe0=Bormio\r\nE-mail=info@stelvio.it\r\nUrl=www.stelvio.it\r\n"
    "[SampleData]\r\nNumber=4\r\n";

struct LocaleCase {
    QLocale locale;
    QString length;
};

}

// The same card gives the same bytes under a decimal-point and a decimal-comma
// locale, and reading them back gives the card and its samples again.
TEST(TextProfile, GoldenBytesAndRoundTripInBothLocales)
{
    const LocaleCase cases[] = {{QLocale(QLocale::English, QLocale::UnitedStates), QStringLiteral("12.35")},
                                {QLocale(QLocale::Italian, QLocale::Italy), QStringLiteral("12,35")}};
    for (const LocaleCase &lc : cases) {
        SCOPED_TRACE(lc.locale.name().toStdString());
        TestSupport::LocaleScope scope(lc.locale);
        const QByteArray bytes = BuildTextProfile(ClimbCard(lc.length), Samples(), QStringLiteral("1.2.30"));
        EXPECT_EQ(bytes, QByteArray(Golden));

        const TextProfileRecord r = ReadTextProfile(bytes);
        EXPECT_TRUE(r.isClimb);
        EXPECT_TRUE(r.fourValues);
        EXPECT_EQ(r.idPercorso, QStringLiteral("Passo dello Stelvio"));
        EXPECT_DOUBLE_EQ(r.lunghezzaKm, 12.35);
        EXPECT_EQ(r.quotaIniziale, QStringLiteral("1205"));
        EXPECT_EQ(r.quotaFinale, QStringLiteral("2758"));
        EXPECT_EQ(r.localita, QStringLiteral("Bormio"));
        EXPECT_EQ(r.stato, QStringLiteral("Italia"));
        EXPECT_EQ(r.url, QStringLiteral("www.stelvio.it"));
        const auto expected = Samples();
        ASSERT_EQ(r.samples.size(), expected.size());
        for (int i = 0; i < expected.size(); ++i) {
            EXPECT_FLOAT_EQ(r.samples[i].distParz, expected[i].distParz);
            EXPECT_EQ(r.samples[i].altezza, expected[i].altezza);
            EXPECT_EQ(r.samples[i].note, QString(expected[i].note).remove(QLatin1Char('"')));
            EXPECT_EQ(r.samples[i].image, expected[i].image);
        }
    }
}

TEST(TextProfile, DistancesAndLengths)
{
    const struct { float km; const char *text; } distances[] = {
        {10.0f, "10"}, {1.5f, "1.5"}, {0.25f, "0.25"}, {-0.5f, "-0.5"}, {0.0f, "0"},
        {0.1f, "0.1"}, {123.4567f, "123.4567"}, {1234567.0f, "1234567"}, {0.00001f, "0.00001"}};
    for (const auto &d : distances)
        EXPECT_EQ(FormatProfileDistance(d.km), QLatin1String(d.text)) << d.text;

    TestSupport::LocaleScope scope(QLocale(QLocale::Italian, QLocale::Italy));
    const struct { const char *text; qint64 metres; } lengths[] = {
        {"12,35", 12350}, {"2,0625", 2062}, {"2,1875", 2188}, {"3", 3000}, {"0,0005", 0}};
    for (const auto &l : lengths)
        EXPECT_EQ(ProfileLengthMetres(QString::fromUtf8(l.text)), l.metres) << l.text;
    EXPECT_THROW(ProfileLengthMetres(QStringLiteral("abc")), VbError);
    EXPECT_THROW(ProfileLengthMetres(QStringLiteral("1.500,5")), VbError);

    // Either decimal mark, never a group separator: "1.500" is 1.5 km in German.
    const struct { QLocale locale; const char *text; qint64 metres; } marks[] = {
        {QLocale(QLocale::German, QLocale::Germany), "1.500", 1500},
        {QLocale(QLocale::German, QLocale::Germany), "1,5", 1500},
        {QLocale(QLocale::English, QLocale::UnitedStates), "1,500", 1500},
        {QLocale(QLocale::English, QLocale::UnitedStates), "2.25", 2250}};
    for (const auto &m : marks) {
        TestSupport::LocaleScope inner(m.locale);
        EXPECT_EQ(ProfileLengthMetres(QLatin1String(m.text)), m.metres) << m.text << " " << m.locale.name().toStdString();
    }
    EXPECT_THROW(ProfileLengthMetres(QString()), VbError);
}

// Older installations read the file as Windows-1252: it is written so when
// every character fits, else as UTF-8; the reader takes both back.
TEST(TextProfile, WindowsCodePageWhenEveryCharacterFits)
{
    TestSupport::LocaleScope scope(QLocale(QLocale::Italian, QLocale::Italy));
    const struct { const char *name; const char *expected; } cases[] = {
        {"Col d\u2019Izoard \u20ac", "IDPercorso=Col d\x92Izoard \x80\r\n"},     // both in the code page
        {"Prze\u0142\u0119cz", "IDPercorso=Prze\xc5\x82\xc4\x99" "cz\r\n"},      // Polish: UTF-8
    };
    for (const auto &c : cases) {
        TextProfileCard card = ClimbCard(QStringLiteral("3"));
        card.idPercorso = QString::fromUtf8(c.name);
        const QByteArray bytes = BuildTextProfile(card, Samples(), QStringLiteral("1.2.30"));
        EXPECT_TRUE(bytes.contains(QByteArray(c.expected))) << c.name;
        EXPECT_EQ(ReadTextProfile(bytes).idPercorso, QString::fromUtf8(c.name));
        EXPECT_EQ(ReadTextProfile(bytes).localita, QStringLiteral("Bormio"));
    }
}

TEST(TextProfile, RouteWithoutSamplesHasOnlySections)
{
    TextProfileCard c;
    c.isClimb = false;
    c.idPercorso = QStringLiteral("Giro");
    c.lunghezza = QStringLiteral("80");
    c.quotaIniziale = QStringLiteral("must not be written");
    const QByteArray bytes = BuildTextProfile(c, {}, QStringLiteral("1.0.0"));
    EXPECT_TRUE(bytes.startsWith("[Author]\r\n"));
    EXPECT_TRUE(bytes.contains("[Tab]\r\nName=Dati Percorsi\r\n"));
    EXPECT_TRUE(bytes.contains("[Data]\r\nIDPercorso=Giro\r\nLunghezza=80000\r\nTelefono=\r\n"));
    EXPECT_FALSE(bytes.contains("Quota"));
    EXPECT_TRUE(bytes.endsWith("[SampleData]\r\nNumber=0\r\n"));
    const TextProfileRecord r = ReadTextProfile(bytes);
    EXPECT_FALSE(r.isClimb);
    EXPECT_TRUE(r.samples.isEmpty());
    EXPECT_DOUBLE_EQ(r.lunghezzaKm, 80.0);
}

// Files of older installations: three values per line, Windows-1252 text,
// a distance without a zero before the point, keys in another case.
TEST(TextProfile, ReadsEarlierFormatAndRefusesOthers)
{
    const QByteArray old =
        ".25,300,\"Ca\xe8 d'or\"\r\n1,350,\"\"\r\n\r\n[prog]\r\nname=VETTARO\r\n[TAB]\r\nNAME=Dati Salite\r\n"
        "[data]\r\nidpercorso=Colle\r\nlunghezza=1000\r\nLOCALIT\xc0=Cu\xe8\r\n[SampleData]\r\nnumber=2\r\n";
    // The same behind a UTF-8 byte order mark: the mark is dropped though the
    // rest is Windows-1252.
    for (const QByteArray &bytes : {old, "\xEF\xBB\xBF" + old}) {
        SCOPED_TRACE(bytes.left(3).toHex().toStdString());
        const TextProfileRecord r = ReadTextProfile(bytes);
        EXPECT_FALSE(r.fourValues);
        EXPECT_TRUE(r.isClimb);
        EXPECT_EQ(r.idPercorso, QStringLiteral("Colle"));
        EXPECT_EQ(r.localita, QString::fromUtf8("Cuè"));
        ASSERT_EQ(r.samples.size(), 2);
        EXPECT_FLOAT_EQ(r.samples[0].distParz, 0.25f);
        EXPECT_EQ(r.samples[0].note, QString::fromUtf8("Caè d'or"));
        EXPECT_TRUE(r.samples[0].image.isEmpty());
    }

    EXPECT_THROW(ReadTextProfile("1,2,\"\",\"\"\r\n[Prog]\r\nName=Other\r\n"), VbError);
    EXPECT_THROW(ReadTextProfile("1,2,\"\",\"\"\r\n[Prog]\r\nName=Vettaro-V4\r\n[SampleData]\r\nNumber=3\r\n"),
                 VbError);
}

// The sections are read in one pass: a key is the first of its name in any
// section of that name, sections the format does not have are passed over,
// and the lines are counted without a slot per line.
TEST(TextProfile, SectionsAreReadInOnePass)
{
    const QByteArray file =
        "1,2,\"a\",\"\"\r\n3,4,\"b\",\"\"\r\n[Prog]\r\nName=Vettaro-V4\r\n[Data]\r\nIDPercorso=First\r\n; Fax=comment\r\n"
        "[Other]\r\nFax=other\r\nIDPercorso=other\r\n[Data] x\r\nFax=still other\r\n[DATA]\r\nIDPercorso=Second\r\n"
        "Fax= 0123 \r\n[Tab]\r\nName=Dati Salite\r\n[SampleData]\r\nNumber=2\r\n";
    const TextProfileRecord r = ReadTextProfile(file);
    EXPECT_EQ(r.idPercorso, QStringLiteral("First"));
    EXPECT_EQ(r.fax, QStringLiteral("0123"));   // "[Data] x" is no header: its key stays in [Other]
    EXPECT_TRUE(r.isClimb);
    ASSERT_EQ(r.samples.size(), 2);
    EXPECT_EQ(r.samples[1].note, QStringLiteral("b"));

    // The announced count is checked against the file's lines, the empty one
    // after the last line end included: one line more is a damaged file.
    const QByteArray head = "1,2,\"\",\"\"\r\n[Prog]\r\nName=Vettaro-V4\r\n[SampleData]\r\nNumber=";
    const struct { QByteArray file; const char *why; } counts[] = {
        {head + "6\r\n", "sample line 2 is short"},
        {head + "7\r\n", "7 sample lines announced"},
    };
    for (const auto &[file, why] : counts) {
        try {
            ReadTextProfile(file);
            ADD_FAILURE() << why;
        } catch (const VbError &e) {
            EXPECT_TRUE(e.Description().endsWith(QLatin1String(why))) << e.Description().toStdString();
        }
    }

    // Millions of sections cost a pass over them: none is kept, so the memory
    // stays a small multiple of the file's size, where a list of sections took
    // ten times it.
    constexpr qsizetype Lines = 2 * 1024 * 1024;
    const QByteArray sections = "[Prog]\r\nName=Vettaro-V4\r\n" + QByteArray("[S]\r\n").repeated(Lines)
                                + "[Data]\r\nIDPercorso=Last\r\n";
    TextProfileRecord last;
    const auto peak = memorypeak::PeakGrowth([&] { last = ReadTextProfile(sections); });
    EXPECT_EQ(last.idPercorso, QStringLiteral("Last"));
    if (!peak)
        GTEST_SKIP() << "this system cannot reset the peak of a process's memory";
    EXPECT_LT(*peak, 8 * sections.size()) << *peak / (1024 * 1024) << " MB";
}

// A count past the bound of samples is refused before a sample is read,
// though the file holds that many lines of them; the refusal is worded in the
// interface language, its numbers grouped as that language groups them,
// whatever the user's own locale. A file of exactly the bound's samples is read.
TEST(TextProfile, ASampleCountPastTheBoundIsToldInTheInterfaceLanguage)
{
    const QByteArray sample = "1,2,\"\",\"\"\r\n";
    const QByteArray tail = "[Prog]\r\nName=Vettaro-V4\r\n[SampleData]\r\nNumber=";
    const QByteArray atBound = sample.repeated(readlimits::MaxTextProfileSamples) + tail
                               + QByteArray::number(readlimits::MaxTextProfileSamples) + "\r\n";
    EXPECT_EQ(ReadTextProfile(atBound).samples.size(), readlimits::MaxTextProfileSamples);

    const QByteArray pastBound = sample.repeated(readlimits::MaxTextProfileSamples + 1) + tail
                                 + QByteArray::number(readlimits::MaxTextProfileSamples + 1) + "\r\n";
    const struct {
        const char *lang;
        QLocale user;
        const char *why;
    } cases[] = {
        {"1033", QLocale(QLocale::German, QLocale::Germany),
         "The file announces 1,000,001 samples, more than 1,000,000: it is not read."},
        {"1031", QLocale(QLocale::English, QLocale::UnitedStates),
         "Die Datei kündigt 1.000.001 Messpunkte an, mehr als 1.000.000, und wird nicht gelesen."},
        {"1040", QLocale(QLocale::English, QLocale::UnitedStates),
         "Il file annuncia 1.000.001 campioni, più di 1.000.000: non viene letto."},
    };
    Com::SetMachineRegistryFile(QDir(TestSupport::BinDir()).filePath(QStringLiteral("com-registry.ini")));
    LoadLanguages(TestSupport::BinDir());
    for (const auto &c : cases) {
        SCOPED_TRACE(c.lang);
        TestSupport::LocaleScope user(c.user);
        ASSERT_EQ(SelectLanguage(QLatin1String(c.lang), QStringLiteral("1033")), QLatin1String(c.lang));
        try {
            ReadTextProfile(pastBound);
            ADD_FAILURE() << "read";
        } catch (const VbError &e) {
            EXPECT_EQ(e.Number(), int(VbErr::TypeMismatch));
            EXPECT_EQ(e.Description().toStdString(), std::string(c.why));
        }
    }
    ResetLanguages();
    Com::SetMachineRegistryFile(QString());
}

// Numbers the C locale reads but no count, height or distance can be: each is
// refused as a damaged file, never converted with an undefined result.
TEST(TextProfile, NotANumberAndInfinitiesAreRefused)
{
    const QByteArray head = "[Prog]\r\nName=Vettaro-V4\r\n[Data]\r\nLunghezza=";
    struct Case { QByteArray samples, length, number; };
    const Case cases[] = {
        {"1,2,\"\",\"\"\r\n", "1000", "nan"},      {"1,2,\"\",\"\"\r\n", "1000", "1e10"},
        {"1,2,\"\",\"\"\r\n", "1000", "inf"},      {"1,nan,\"\",\"\"\r\n", "1000", "1"},
        {"1,1e10,\"\",\"\"\r\n", "1000", "1"},     {"inf,2,\"\",\"\"\r\n", "1000", "1"},
        {"1e300,2,\"\",\"\"\r\n", "1000", "1"},    {"1,2,\"\",\"\"\r\n", "nan", "1"},
    };
    for (const Case &c : cases) {
        const QByteArray file = c.samples + head + c.length + "\r\n[SampleData]\r\nNumber=" + c.number + "\r\n";
        try {
            ReadTextProfile(file);
            ADD_FAILURE() << file.toStdString();
        } catch (const VbError &e) {
            EXPECT_EQ(e.Number(), int(VbErr::TypeMismatch)) << file.toStdString();
            EXPECT_TRUE(e.Description().startsWith("Not a text profile file")) << e.Description().toStdString();
        }
    }
    EXPECT_THROW(ProfileLengthMetres(QStringLiteral("3e38")), VbError);
}

// The file appears whole or not at all: a failed write reports an error, leaves
// no temporary file and keeps what the target held.
TEST(TextProfile, WriteIsAllOrNothing)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("p.txt"));
    WriteTextProfileFile(path, "first");
    WriteTextProfileFile(path, "second");
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), QByteArray("second"));

    EXPECT_THROW(WriteTextProfileFile(dir.filePath(QStringLiteral("missing/p.txt")), "x"), VbError);
    const QString asDir = dir.filePath(QStringLiteral("taken.txt"));
    QDir().mkpath(asDir);
    EXPECT_THROW(WriteTextProfileFile(asDir, "x"), VbError);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::NoDotAndDotDot), QStringList{QStringLiteral("p.txt")});
}
