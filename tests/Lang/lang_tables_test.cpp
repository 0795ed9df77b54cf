// The string tables and the libraries built from them: every table holds the
// same numbers, every number the code asks for, and the libraries give back
// exactly what their table says.
#include "TestSupport.h"
#include "core/LangClient.h"
#include "platform/com/ComRegistry.h"
#include "platform/com/ComRegistryFile.h"
#include "platform/files/Causes.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QMap>
#include <QProcess>
#include <QRegularExpression>
#include <QSet>
#include <QSettings>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace {

const QStringList kLocales = {"1033", "1040", "3082", "1031", "1036"};

struct Table {
    bool exists = false;
    QMap<int, QString> texts;
    QStringList problems;
};

QString Unescape(const QString &s)
{
    QString out;
    for (qsizetype i = 0; i < s.size(); ++i) {
        if (s[i] == '\\' && i + 1 < s.size() && (s[i + 1] == 'n' || s[i + 1] == 't' || s[i + 1] == '\\')) {
            out += s[i + 1] == 'n' ? QChar('\n') : s[i + 1] == 't' ? QChar('\t') : QChar('\\');
            ++i;
        } else {
            out += s[i];
        }
    }
    return out;
}

Table ReadTable(const QString &locale)
{
    Table t;
    QFile f(QStringLiteral(VETTARO_LANG_SOURCE_DIR "/%1/strings.tsv").arg(locale));
    if (!f.open(QIODevice::ReadOnly))
        return t;
    t.exists = true;
    const QByteArray bytes = f.readAll();
    const QString text = QString::fromUtf8(bytes);
    if (text.toUtf8() != bytes)
        t.problems << "not valid UTF-8";
    const QStringList lines = text.split('\n');
    static const QRegularExpression line(QStringLiteral("^([0-9]+)\\t(.*)$"));
    for (int i = 0; i < lines.size(); ++i) {
        if (lines[i].isEmpty() && i == lines.size() - 1)
            break;
        const auto m = line.match(lines[i]);
        if (!m.hasMatch()) {
            t.problems << QStringLiteral("line %1 malformed: %2").arg(i + 1).arg(lines[i]);
            continue;
        }
        const int id = m.captured(1).toInt();
        if (t.texts.contains(id))
            t.problems << QStringLiteral("number %1 twice").arg(id);
        if (m.captured(2).trimmed().isEmpty())
            t.problems << QStringLiteral("number %1 has no text").arg(id);
        t.texts.insert(id, Unescape(m.captured(2)));
    }
    return t;
}

QSet<int> Ids(const Table &t)
{
    const QList<int> keys = t.texts.keys();
    return QSet<int>(keys.begin(), keys.end());
}

// The placeholders "%1", "%2" ... a text holds, in order of number.
QStringList Placeholders(const QString &text)
{
    static const QRegularExpression re(QStringLiteral("%[0-9]+"));
    QStringList out;
    for (auto it = re.globalMatch(text); it.hasNext();)
        out << it.next().captured(0);
    out.sort();
    return out;
}

// Every literal number the program's sources ask for.
QMap<int, QString> NumbersAskedFor()
{
    QMap<int, QString> found;
    const QDir root(QStringLiteral(VETTARO_LANG_SOURCE_DIR "/.."));
    static const QRegularExpression call(QStringLiteral("GetLangString\\s*\\(\\s*([0-9]+)\\s*\\)"));
    for (const char *folder : {"app", "core", "platform", "records", "profile", "athletes",
                               "recordings", "tools", "LumoTabPrt"}) {
        QDirIterator it(root.filePath(QString::fromLatin1(folder)), {"*.cpp", "*.h"}, QDir::Files,
                        QDirIterator::Subdirectories);
        while (it.hasNext()) {
            const QString path = it.next();
            QFile f(path);
            if (!f.open(QIODevice::ReadOnly))
                continue;
            const QString source = QString::fromUtf8(f.readAll());
            for (auto m = call.globalMatch(source); m.hasNext();)
                found.insert(m.next().captured(1).toInt(), root.relativeFilePath(path));
        }
    }
    return found;
}

// The blocks of numbers the windows own.
bool InBlocks(int id)
{
    static const QList<QPair<int, int>> blocks = {
        {101, 132}, {134, 169}, {200, 211}, {500, 548}, {1000, 1009}, {1502, 1503}, {1506, 1508},
        {2000, 2039}, {2500, 2517}, {2519, 2519}, {3000, 3033}, {3500, 3513}, {4000, 4003},
        {4500, 4512}, {5000, 5008}, {5500, 5512}, {6000, 6006}, {7000, 7053}, {7500, 7534},
        {8000, 8030}, {8500, 8520}, {9000, 9073}, {9500, 9534}, {10000, 10009}, {10500, 10501},
        {11000, 11001}, {11500, 11507}, {12000, 12014}, {12500, 12518}, {13000, 13071},
        {13500, 13505}, {14000, 14010}, {14500, 14502}, {15000, 15021}, {15500, 15518},
        {15520, 15525}, {16000, 16000}, {17000, 17024}, {17500, 17531}, {18000, 18002},
        {19000, 19012}, {19500, 19502}, {20000, 20012}, {20500, 20502}, {22000, 22003},
        {22500, 22506}, {23000, 23025}, {23500, 23521}, {24000, 24023}, {24500, 24502},
        {25000, 25012}, {25500, 25504}, {26000, 26014}, {26500, 26504}, {27000, 27004},
        {27500, 27501}, {28000, 28028}};
    for (const auto &b : blocks)
        if (id >= b.first && id <= b.second)
            return true;
    return false;
}

} // namespace

TEST(LangTables, EnglishTableCoversEveryBlock)
{
    const Table en = ReadTable("1033");
    ASSERT_TRUE(en.exists);
    EXPECT_TRUE(en.problems.isEmpty()) << qPrintable(en.problems.join('\n'));
    for (int id = 1; id < 30000; ++id) {
        if (InBlocks(id)) {
            EXPECT_TRUE(en.texts.contains(id)) << "missing " << id;
        }
    }
    EXPECT_FALSE(en.texts.contains(170));
    EXPECT_FALSE(en.texts.contains(133));
    EXPECT_EQ(en.texts.value(9500), "All %1 climb data will be deleted.");
    EXPECT_EQ(en.texts.value(28021), "%1. Wait...");
}

TEST(LangTables, TranslationsHoldTheSameNumbersPlaceholdersAndFilterParts)
{
    const Table en = ReadTable("1033");
    int translations = 0;
    for (const QString &locale : kLocales.mid(1)) {
        const Table t = ReadTable(locale);
        if (!t.exists)
            continue;
        ++translations;
        SCOPED_TRACE(locale.toStdString());
        EXPECT_TRUE(t.problems.isEmpty()) << qPrintable(t.problems.join('\n'));
        const QSet<int> missing = Ids(en) - Ids(t), extra = Ids(t) - Ids(en);
        EXPECT_TRUE(missing.isEmpty()) << "missing " << missing.size() << " e.g. "
                                       << (missing.isEmpty() ? 0 : *missing.begin());
        EXPECT_TRUE(extra.isEmpty()) << "extra " << extra.size();
        for (auto it = en.texts.cbegin(); it != en.texts.cend(); ++it) {
            const QString translated = t.texts.value(it.key());
            // The program fills the same values in, and a file-dialog filter
            // keeps its description|pattern pairs.
            EXPECT_EQ(Placeholders(translated), Placeholders(it.value())) << it.key();
            EXPECT_EQ(translated.count('|'), it.value().count('|')) << it.key();
        }
    }
    if (translations == 0)
        GTEST_SKIP() << "no translated table yet";
}

// The sample grids' column captions name the keys under which the column
// widths are stored, so each language keeps the captions other installations
// have stored their widths under.
TEST(LangTables, SampleGridCaptionsKeepTheirStoredKeys)
{
    const struct {
        const char *locale;
        QStringList captions;
    } cases[] = {{"1033", {"Distance", "Altitude", "Notes", "Icon"}},
                 {"1040", {"Distanza", "Altezza", "Note", "Icona"}},
                 {"3082", {"Distancia", "Altitud", "Notas", "Icono"}},
                 {"1031", {"Länge", "Höhe", "Note", "Icon"}},
                 {"1036", {"Longueur", "Hauteur", "Notes", "Icône"}}};
    for (const auto &c : cases) {
        const Table t = ReadTable(QLatin1String(c.locale));
        ASSERT_TRUE(t.exists) << c.locale;
        for (int i = 0; i < 4; ++i) {
            EXPECT_EQ(t.texts.value(9070 + i), c.captions[i]) << c.locale << " climbs column " << i;
            EXPECT_EQ(t.texts.value(7050 + i), c.captions[i]) << c.locale << " routes column " << i;
        }
    }
}

TEST(LangTables, EveryNumberTheCodeAsksForIsInEveryTable)
{
    const QMap<int, QString> asked = NumbersAskedFor();
    for (const QString &locale : kLocales) {
        const Table t = ReadTable(locale);
        if (!t.exists)
            continue;
        for (auto it = asked.cbegin(); it != asked.cend(); ++it)
            EXPECT_TRUE(t.texts.contains(it.key()))
                << "table " << locale.toStdString() << " lacks " << it.key() << " asked for in "
                << it.value().toStdString();
    }
}

// The platform names the causes of a failed write by their text numbers: each
// is in every table, and the English table holds the words the platform uses
// where no language is set.
TEST(LangTables, EveryCauseOfAFailureIsInEveryTable)
{
    int count = 0;
    const files::CauseInfo *causes = files::AllCauses(&count);
    ASSERT_GT(count, 0);
    for (const QString &locale : kLocales) {
        const Table t = ReadTable(locale);
        ASSERT_TRUE(t.exists) << locale.toStdString();
        EXPECT_FALSE(t.texts.value(files::FailureFrameText).isEmpty()) << locale.toStdString();
        for (int i = 0; i < count; ++i) {
            EXPECT_FALSE(t.texts.value(causes[i].text).isEmpty()) << locale.toStdString() << " " << causes[i].text;
            if (locale == QLatin1String("1033")) {
                EXPECT_EQ(t.texts.value(causes[i].text), QString::fromUtf8(causes[i].english));
            }
        }
    }
    EXPECT_EQ(ReadTable("1033").texts.value(files::FailureFrameText), QStringLiteral("Path/File access error: %1: '%2'"));
}

class LangLibraryTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        Com::SetMachineRegistryFile(TestSupport::BinDir() + "/com-registry.ini");
        ResetLanguages();
    }
    void TearDown() override
    {
        ResetLanguages();
        Com::SetMachineRegistryFile(QString());
    }
};

TEST_F(LangLibraryTest, EachBuiltLibraryGivesItsTableAndFailsOutsideIt)
{
    int libraries = 0;
    for (const QString &locale : kLocales) {
        const Table t = ReadTable(locale);
        if (!t.exists)
            continue;
        ++libraries;
        SCOPED_TRACE(locale.toStdString());
        Com::ObjectPtr object;
        ASSERT_NO_THROW(object = Com::CreateObject("VettaroLang" + locale + ".clsResLang"));
        for (auto it = t.texts.cbegin(); it != t.texts.cend(); ++it) {
            QVariantList args{it.key()};
            ASSERT_EQ(object->Invoke("GetResourceString", args).toString(), it.value()) << it.key();
            EXPECT_EQ(args.at(0).toInt(), it.key());
        }
        for (int id : {170, 0, 133, 1010, 29000, -1}) {
            QVariantList args{id};
            try {
                object->Invoke("GetResourceString", args);
                ADD_FAILURE() << "number " << id << " gave a text";
            } catch (const VbError &e) {
                EXPECT_EQ(e.Number(), VT_E_RESOURCE_NAME_NOT_FOUND);
            }
        }
        QVariantList none;
        EXPECT_THROW(object->Invoke("GetResourceString", none), VbError);
        QVariantList one{101};
        EXPECT_THROW(object->Invoke("GetText", one), VbError);
    }
    EXPECT_EQ(libraries, QDir(TestSupport::BinDir() + "/Lang").entryList({"VettaroLang*.so"}).size());
}

TEST_F(LangLibraryTest, ClientReadsTextsThroughTheEnglishLibrary)
{
    LoadLanguages(TestSupport::BinDir());
    ASSERT_TRUE(Languages.Find("1033"));
    LangId = SelectLanguage("1033", "1033");
    ASSERT_EQ(LangId, "1033");
    EXPECT_EQ(GetLangString(101), "Create new Vettaro Database");
    EXPECT_EQ(GetLangString(9500), "All %1 climb data will be deleted.");   // placeholders untouched
    EXPECT_EQ(GetLangString(170), "No170");
    EXPECT_EQ(GetLangString(28020), "Ready.");
    EXPECT_EQ(FormatLangString(GetLangString(519), {"Rossi", "Mario"}), "Rossi Mario Climb Performances");
}

TEST_F(LangLibraryTest, ObjectsOutOfAnUnregisteredOrUnknownClassAreRefused)
{
    try {
        Com::CreateObject("VettaroLang9999.clsResLang");
        ADD_FAILURE() << "created an unregistered class";
    } catch (const VbError &e) {
        EXPECT_EQ(e.Number(), 429);
    }
    // A library asked for a class it does not serve.
    QTemporaryDir dir;
    const QString registry = dir.filePath("registry.ini");
    {
        const QString english =
            QFileInfo(TestSupport::BinDir() + "/Lang/VettaroLang1033.so").absoluteFilePath();
        QSettings ini(registry, QSettings::IniFormat);
        ini.setValue("Classes/Other.clsResLang", english);
        ini.setValue("Classes/VettaroLang1033.clsResLang", english);
    }
    Com::SetMachineRegistryFile(registry);
    EXPECT_THROW(Com::CreateObject("Other.clsResLang"), VbError);
    EXPECT_NO_THROW(Com::CreateObject("vettarolang1033.CLSRESLANG"));   // identifiers ignore case
}

// A build registers the five libraries at once: each registration reads,
// changes and writes the whole registry file, and none may lose another's
// entry.
TEST(LangRegistration, RegistrationsAtOnceKeepEveryEntry)
{
    const QString regsvr = QDir(TestSupport::BinDir()).filePath("../build-tools/vettaro-regsvr");
    ASSERT_TRUE(QFileInfo::exists(regsvr)) << regsvr.toStdString();
    const QStringList locales{"1033", "1040", "3082", "1031", "1036"};
    QTemporaryDir dir;
    for (int round = 0; round < 5; ++round) {
        const QString registry = dir.filePath(QStringLiteral("com-registry-%1.ini").arg(round));
        std::vector<std::unique_ptr<QProcess>> runs;
        for (const QString &locale : locales) {
            runs.push_back(std::make_unique<QProcess>());
            runs.back()->start(regsvr, {"--registry", registry,
                                        TestSupport::BinDir() + "/Lang/VettaroLang" + locale + ".so"});
        }
        for (auto &run : runs) {
            ASSERT_TRUE(run->waitForFinished(30000));
            EXPECT_EQ(run->exitCode(), 0) << run->readAllStandardError().toStdString();
        }
        for (const QString &locale : locales)
            EXPECT_FALSE(ComRegistryFile::Lookup(registry, "VettaroLang" + locale + ".clsResLang").isEmpty())
                << locale.toStdString() << " round " << round;
    }
}
