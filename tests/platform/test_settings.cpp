#include "FileFaults.h"
#include "TestSupport.h"
#include "platform/settings/IniDocument.h"
#include "platform/settings/IniFile.h"
#include "platform/settings/IniIndex.h"
#include "platform/settings/Settings.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <functional>
#include <optional>

namespace {
QString Write(const QTemporaryDir &dir, const QByteArray &bytes, const QString &name = "p.ini")
{
    const QString path = dir.filePath(name);
    QFile f(path);
    f.open(QIODevice::WriteOnly);
    f.write(bytes);
    return path;
}
QByteArray Read(const QString &path)
{
    QFile f(path);
    f.open(QIODevice::ReadOnly);
    return f.readAll();
}
}

TEST(IniFile, WindowsLookupRules)
{
    QTemporaryDir dir;
    const QString p = Write(dir,
        "top=before\r\n"
        "; comment\r\n"
        "[Data]\r\n"
        "  IDPercorso =  Stelvio  \r\n"
        "idpercorso=second\r\n"
        "Empty=\r\n"
        "Quoted=\"  spaced  \"\r\n"
        "Num= -42abc\r\n"
        "Word=abc\r\n"
        "[data]\r\n"
        "Other=x\r\n"
        "[ Spaced ]\r\n"
        "k=v\r\n");
    EXPECT_EQ(ProfileGetString(p, "DATA", "idPERCORSO", "d"), "Stelvio");   // trimmed, first match
    EXPECT_EQ(ProfileGetString(p, "Data", "Other", "d"), "d");             // second [data] not searched
    EXPECT_EQ(ProfileGetString(p, "Data", "Empty", "d"), "d");
    EXPECT_EQ(ProfileGetString(p, "Data", "Missing", "d"), "d");
    EXPECT_EQ(ProfileGetString(p, "Nope", "k", "d"), "d");
    EXPECT_EQ(ProfileGetString(p, "Data", "Quoted"), "  spaced  ");
    EXPECT_EQ(ProfileGetString(p, "Spaced", "k"), "v");
    EXPECT_EQ(ProfileGetString(dir.filePath("missing.ini"), "Data", "k", "d"), "d");
    EXPECT_EQ(ProfileGetString("", "Data", "k", "d"), "d");
    EXPECT_EQ(ProfileGetInt(p, "Data", "Num", 7), -42);
    EXPECT_EQ(ProfileGetInt(p, "Data", "Word", 7), 0);
    EXPECT_EQ(ProfileGetInt(p, "Data", "Missing", 7), 7);
    EXPECT_EQ(ProfileGetSection(p, "data"),
              QStringList({"IDPercorso =  Stelvio", "idpercorso=second", "Empty=", "Quoted=\"  spaced  \"",
                           "Num= -42abc", "Word=abc"}));
    EXPECT_TRUE(ProfileGetSection(p, "none").isEmpty());
}

// The one-pass index of a file from outside answers as the document does,
// keeping only the keys and lines asked for.
TEST(IniIndex, AnswersAsTheDocumentDoes)
{
    const QString texts[] = {
        "top=before\r\n; comment\r\n[Data]\r\n  IDPercorso =  Stelvio  \r\nidpercorso=second\r\nEmpty=\r\n"
        "NoValue\r\n;Hidden=1\r\n[data]\r\nOther=x\r\n[ Spaced ]\r\nk=v\r\n",
        "[Broken\nk=v\n=novalue\n[]\nx=y\r\r\n[Note]\n\n  first line  \n;c\nsecond\n[Data] trailing\nOther=1\n",
        "\n\n[NOTE]\r" + QString(300, QLatin1Char('n')) + "\r" + QString(10, QLatin1Char('m')) + "\r[data]\rk = = v\r",
        "k=v",
        "",
    };
    const QStringList keys{"IDPercorso", "Empty", "NoValue", "Hidden", "Other", "k", "x", "Missing", ""};
    for (const QString &text : texts) {
        SCOPED_TRACE(text.left(40).toStdString());
        IniDocument doc;
        doc.setText(text);
        for (qsizetype chars : {0, 1, 12, 247, 100000}) {
            const IniIndex index(text, {{"DATA", keys, 0}, {"Spaced", {"k"}, 0}, {"", keys, 0}, {"note", {}, chars}});
            for (const QString section : {"Data", "spaced", "", "None"}) {
                for (const QString &key : keys) {
                    bool inDoc = false, inIndex = false;
                    const QString fromDoc = doc.value(section, key, &inDoc);
                    const QString fromIndex = index.value(section, key, &inIndex);
                    if (section == "None" || (section == "spaced" && key != "k")) {
                        EXPECT_FALSE(inIndex);   // not asked for: nothing kept
                        continue;
                    }
                    EXPECT_EQ(inIndex, inDoc) << section.toStdString() << "/" << key.toStdString();
                    EXPECT_EQ(fromIndex, fromDoc) << section.toStdString() << "/" << key.toStdString();
                }
            }
            EXPECT_EQ(index.sectionLines("Note").join(' ').left(chars), doc.sectionLines("Note").join(' ').left(chars));
            EXPECT_LE(index.sectionLines("Note").join(' ').size(), chars);
            EXPECT_TRUE(index.sectionLines("Data").isEmpty());   // no lines asked for
        }
    }
}

// LF, CR LF and a lone CR each end a line; a text ending in a line end has
// no empty line after it; the text is written back with CR LF where it held
// one, else with LF. Lines changed, added and removed keep the rest as read.
TEST(IniDocument, LineEndsOfEveryKind)
{
    struct Case {
        QString text;
        QStringList keys;     // of [S]
        QString written;      // the text as read, written back
        QString edited;       // after setting S/k=2 and S/new=3, removing S/gone and [T]
    };
    const Case cases[] = {
        {QString(), {}, "", "[S]\nk=2\nnew=3\n"},
        {"", {}, "", "[S]\nk=2\nnew=3\n"},
        {"[S]", {}, "[S]\n", "[S]\nk=2\nnew=3\n"},
        {"[S]\nk=1", {"k"}, "[S]\nk=1\n", "[S]\nk=2\nnew=3\n"},
        {"[S]\r\nk=1\r\n", {"k"}, "[S]\r\nk=1\r\n", "[S]\r\nk=2\r\nnew=3\r\n"},
        {"[S]\rk=1\rgone=x\r", {"k", "gone"}, "[S]\nk=1\ngone=x\n", "[S]\nk=2\nnew=3\n"},
        {"[S]\r\n k = 1 \n\n[T]\rt=1\r\r\n", {"k"}, "[S]\r\n k = 1 \r\n\r\n[T]\r\nt=1\r\n\r\n",
         "[S]\r\nk=2\r\nnew=3\r\n\r\n"},
        {"\n\n[S]\n\ngone=1\n\n", {"gone"}, "\n\n[S]\n\ngone=1\n\n", "\n\n[S]\n\nk=2\nnew=3\n\n"},
        {"\r\r\n[s]\r\n\r\n", {}, "\r\n\r\n[s]\r\n\r\n", "\r\n\r\n[s]\r\nk=2\r\nnew=3\r\n\r\n"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(QString(c.text).replace("\r", "<CR>").replace("\n", "<LF>").toStdString());
        IniDocument doc;
        doc.setText(c.text);
        EXPECT_EQ(doc.keys("S"), c.keys);
        EXPECT_EQ(doc.text(), c.written);
        doc.setValue("S", "k", "2");
        doc.setValue("s", "new", "3");
        doc.setValue("S", "NEW", "3");
        doc.removeKey("S", "gone");
        doc.removeSection("T");
        EXPECT_EQ(doc.text(), c.edited);
        EXPECT_EQ(doc.value("S", "k"), "2");
        IniDocument again;
        again.setText(doc.text());
        EXPECT_EQ(again.text(), c.edited);
        // Lines set earlier, then removed in turn: the others keep their text.
        doc.setValue("U", "a", "1");
        doc.setValue("U", "b", "2");
        doc.setValue("U", "c", "3");
        doc.removeKey("U", "a");
        doc.removeKey("S", "k");
        doc.setValue("U", "b", "4");
        EXPECT_EQ(doc.sectionLines("U"), QStringList({"b=4", "c=3"}));
        doc.removeSection("U");
        EXPECT_EQ(doc.value("S", "new"), "3");
        const QString eol = c.edited.contains("\r\n") ? "\r\n" : "\n";
        EXPECT_EQ(doc.text(), QString(c.edited).remove("k=2" + eol));
    }
}

TEST(IniFile, SectionLinesWithoutKeysAsInRecordings)
{
    QTemporaryDir dir;
    const QString p = Write(dir, "[Params]\nVersion=106\n[HRData]\n100\t0\t0\n\n101\t5\t3\n");
    EXPECT_EQ(ProfileGetSection(p, "HRData"), QStringList({"100\t0\t0", "101\t5\t3"}));
    EXPECT_EQ(ProfileGetInt(p, "Params", "Version", 0), 106);
}

TEST(IniFile, MalformedLinesAreReadWithoutHarm)
{
    QTemporaryDir dir;
    const QString p = Write(dir, QByteArray("[Broken\nk=v\n=novalue\n[]\nx=y\n") + QByteArray(1, '\0')
                                     + QByteArray("\xFF garbage ]]] ===\n[Last]\nlen=99999999999\n"));
    EXPECT_EQ(ProfileGetString(p, "Broken", "k"), "v");
    EXPECT_EQ(ProfileGetString(p, "", "x"), "y");
    EXPECT_EQ(ProfileGetInt(p, "Last", "len", 0), 2147483647);
    EXPECT_EQ(ProfileGetString(p, "Last", "missing", "d"), "d");
    ASSERT_TRUE(ProfileWriteString(p, "Last", "k", "v"));
    EXPECT_EQ(ProfileGetString(p, "Broken", "k"), "v");
    EXPECT_EQ(ProfileGetString(p, "Last", "k"), "v");
}

TEST(IniFile, WriteKeepsOtherLinesAndAppendsWhereNeeded)
{
    QTemporaryDir dir;
    const QString p = Write(dir, "0.0\t300\r\n1.5\t350\r\n\r\n[Author]\r\nName=Old\r\n\r\n[Tab]\r\nName=T\r\n");
    ASSERT_TRUE(ProfileWriteString(p, "AUTHOR", "name", "New"));
    ASSERT_TRUE(ProfileWriteString(p, "Author", "Mail", "a@b"));
    ASSERT_TRUE(ProfileWriteString(p, "Data", "Url", "http://x"));
    EXPECT_EQ(Read(p), QByteArray("0.0\t300\r\n1.5\t350\r\n\r\n[Author]\r\nName=New\r\nMail=a@b\r\n\r\n"
                                  "[Tab]\r\nName=T\r\n[Data]\r\nUrl=http://x\r\n"));
    // A new file is created.
    const QString q = dir.filePath("new.txt");
    ASSERT_TRUE(ProfileWriteString(q, "S", "K", "V"));
    EXPECT_EQ(ProfileGetString(q, "s", "k"), "V");
}

TEST(IniFile, LongValuesAndLineBreaksSurvive)
{
    QTemporaryDir dir;
    const QString p = dir.filePath("l.txt");
    const QString big = QString(5000, QChar('x')) + QString::fromUtf8("é");
    ASSERT_TRUE(ProfileWriteString(p, "Data", "Descrizione", big));
    EXPECT_EQ(ProfileGetString(p, "Data", "Descrizione"), big);
    ASSERT_TRUE(ProfileWriteString(p, "Data", "Note", "line1\nline2"));
    EXPECT_EQ(ProfileGetString(p, "Data", "Note"), "line1 line2");
    EXPECT_EQ(ProfileGetSection(p, "Data").size(), 2);
    EXPECT_FALSE(ProfileWriteString(p, "", "k", "v"));
    EXPECT_FALSE(ProfileWriteString(p, "s", "", "v"));
}

TEST(IniFile, EncodingUtf8ElseWindows1252)
{
    QTemporaryDir dir;
    const QString u = Write(dir, "\xEF\xBB\xBF[S]\nCitt\xC3\xA0=Forl\xC3\xAC\n", "u.ini");
    EXPECT_EQ(ProfileGetString(u, "S", QString::fromUtf8("Città")), QString::fromUtf8("Forlì"));
    const QString w = Write(dir, "[S]\nLocalit\xE0=Forl\xEC \x80\x96\n", "w.ini");
    EXPECT_EQ(ProfileGetString(w, "S", QString::fromUtf8("Località")), QString::fromUtf8("Forlì €–"));
    // Rewriting an old file turns it into UTF-8 without losing its text.
    ASSERT_TRUE(ProfileWriteString(w, "S", "k", "v"));
    EXPECT_EQ(Read(w), QByteArray("[S]\nLocalit\xC3\xA0=Forl\xC3\xAC \xE2\x82\xAC\xE2\x80\x93\nk=v\n"));
}

TEST(IniFile, UnwritableTargetReportsFailureAndKeepsNothingHalfWritten)
{
    QTemporaryDir dir;
    EXPECT_FALSE(ProfileWriteString(dir.filePath("no/such/folder/x.ini"), "S", "k", "v"));
    EXPECT_FALSE(QFileInfo::exists(dir.filePath("no/such/folder/x.ini")));
}

TEST(Settings, RoundTripWithoutRegardToCase)
{
    EXPECT_EQ(GetSetting("VtApp", "Settings", "Language", "1040"), "1040");
    SaveSetting("VtApp", "Settings", "Language", "1033");
    EXPECT_EQ(GetSetting("VtApp", "SETTINGS", "language", "1040"), "1033");
    SaveSetting("VtApp", "settings", "LANGUAGE", "1031");
    EXPECT_EQ(GetSetting("VtApp", "Settings", "Language"), "1031");
    EXPECT_EQ(GetSettingKeys("VtApp", "Settings"), QStringList({"Language"}));
    EXPECT_TRUE(SettingsFilePath("VtApp").startsWith(QString::fromLocal8Bit(qgetenv("XDG_CONFIG_HOME"))));
    EXPECT_TRUE(QFileInfo::exists(SettingsFilePath("VtApp")));
    // Apps are apart.
    EXPECT_EQ(GetSetting("OtherApp", "Settings", "Language", "none"), "none");
}

TEST(Settings, AnyTextSurvivesAsSectionKeyOrValue)
{
    const QStringList texts = {"", " lead", "trail ", "a=b", "[x]", ";c", "50%", "l1\nl2\r\n",
                               "\"q\"", "back\\slash", "tab\there", QString::fromUtf8("Velocità €"),
                               QString(4000, QChar('z'))};
    int i = 0;
    for (const QString &t : texts) {
        const QString key = QStringLiteral("K%1").arg(i++);
        SaveSetting("VtAny", "Values", key, t);
        EXPECT_EQ(GetSetting("VtAny", "Values", key, "default"), t) << t.toStdString();
        if (!t.isEmpty()) {
            SaveSetting("VtAny", t, t, "v");
            EXPECT_EQ(GetSetting("VtAny", t, t, "default"), "v") << t.toStdString();
        }
    }
    EXPECT_EQ(GetSettingKeys("VtAny", "[x]"), QStringList({"[x]"}));
}

TEST(Settings, DeleteKeyAndSection)
{
    SaveSetting("VtDel", "Recent", "File1", "a");
    SaveSetting("VtDel", "Recent", "File2", "b");
    SaveSetting("VtDel", "Other", "k", "c");
    DeleteSetting("VtDel", "recent", "file1");
    EXPECT_EQ(GetSetting("VtDel", "Recent", "File1", "gone"), "gone");
    EXPECT_EQ(GetSetting("VtDel", "Recent", "File2"), "b");
    DeleteSetting("VtDel", "RECENT");
    EXPECT_TRUE(GetSettingKeys("VtDel", "Recent").isEmpty());
    EXPECT_EQ(GetSetting("VtDel", "Other", "k"), "c");
    DeleteSetting("VtDel", "Missing", "x");   // nothing to do, no failure
}

TEST(Settings, ChangesMadeOnDiskAreSeen)
{
    SaveSetting("VtDisk", "S", "k", "1");
    EXPECT_EQ(GetSetting("VtDisk", "S", "k"), "1");
    QFile f(SettingsFilePath("VtDisk"));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("[S]\nk=changed-by-hand\n");
    f.close();
    EXPECT_EQ(GetSetting("VtDisk", "S", "k"), "changed-by-hand");
}

TEST(Settings, AChangeThatCannotBeStoredIsNotReadBack)
{
    // A folder where the settings file should be: nothing can be written there.
    ASSERT_TRUE(QDir().mkpath(SettingsFilePath("VtBlocked")));
    SaveSetting("VtBlocked", "S", "k", "lost");
    EXPECT_EQ(GetSetting("VtBlocked", "S", "k", "default"), "default");
    EXPECT_TRUE(GetSettingKeys("VtBlocked", "S").isEmpty());
}

// Names with blanks at either end, ordinary or not, are found again by the
// readers under the same text the writer was given.
TEST(IniFile, NamesWithBlanksAtTheEndsRoundTrip)
{
    QTemporaryDir dir;
    const QString p = dir.filePath("blanks.ini");
    const QString nb = QString(QChar(0x00A0));
    const QString section = nb + "Data" + nb, key = " Name" + nb;
    ASSERT_TRUE(ProfileWriteString(p, section, key, "42"));
    EXPECT_EQ(ProfileGetString(p, section, key, "missing"), "42");
    EXPECT_EQ(ProfileGetInt(p, section, key, -1), 42);
    EXPECT_EQ(ProfileGetSection(p, section), QStringList({"Name=42"}));
    EXPECT_EQ(ProfileGetString(p, "Data", "Name", "missing"), "42");
}

TEST(Settings, NamesWithUnicodeBlanksAtTheEndsRoundTrip)
{
    for (const QString &name : {QString(QChar(0x00A0)) + "a", "b" + QString(QChar(0x3000)),
                                QString(QChar(0x2003)) + "c" + QString(QChar(0x00A0))}) {
        SaveSetting("VtBlanks", name, name, "v");
        EXPECT_EQ(GetSetting("VtBlanks", name, name, "default"), "v");
        EXPECT_EQ(GetSettingKeys("VtBlanks", name), QStringList({name}));
    }
}

// A settings file edited by hand may hold anything after a "%": only a real
// two-digit (or %u four-digit) escape of a character is decoded.
TEST(Settings, HandEditedEscapesInNamesAreKeptAsTheyStand)
{
    QFile f(SettingsFilePath("VtEscapes"));
    QDir().mkpath(QFileInfo(f).absolutePath());
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("[S]\n%-1=a\n% 1=b\n%+4=c\n%4=d\n%zz=e\n%41=f\n%uD800=g\n%u00e9=h\n%=i\n");
    f.close();
    EXPECT_EQ(GetSettingKeys("VtEscapes", "S"),
              QStringList({"%-1", "% 1", "%+4", "%4", "%zz", "A", "%uD800", QString::fromUtf8("é"), "%"}));
}

// A settings file that cannot be written (a full disk, really or through a
// device failing its writes): SaveSetting says so, the file keeps every
// earlier setting, and the handler hears it once per run of failures.
TEST(Settings, AFullDiskKeepsTheFileAndIsReportedOnce)
{
    QStringList reasons;
    SetSettingsFailureHandler([&](const QString &why) { reasons << why; });
    QTemporaryDir dir;
    const QByteArray oldConfig = qgetenv("XDG_CONFIG_HOME");
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(dir.filePath("config")));
    const QString folder = dir.filePath("config/Vettaro");
    ASSERT_TRUE(QDir().mkpath(folder));

    auto fillAndBreak = [&](const QString &app, const std::function<void()> &breakDisk) {
        for (int i = 0; i < 100; ++i)
            ASSERT_TRUE(SaveSetting(app, "Recent", QStringLiteral("File%1").arg(i),
                                    QStringLiteral("/home/rider/Documents/Rides/Season %1/route.mdb").arg(i)));
        const QByteArray before = Read(SettingsFilePath(app));
        ASSERT_GT(before.size(), 5000);
        reasons.clear();
        breakDisk();
        EXPECT_FALSE(SaveSetting(app, "Recent", "File0", "new"));
        EXPECT_FALSE(SaveSetting(app, "Recent", "File1", "new"));
        EXPECT_FALSE(DeleteSetting(app, "Recent", "File2"));
        EXPECT_EQ(Read(SettingsFilePath(app)), before);
        EXPECT_EQ(GetSetting(app, "Recent", "File1"), "/home/rider/Documents/Rides/Season 1/route.mdb");
        ASSERT_EQ(reasons.size(), 1);
        EXPECT_TRUE(reasons[0].contains("disk full")) << reasons[0].toStdString();
        EXPECT_TRUE(reasons[0].contains(SettingsFilePath(app))) << reasons[0].toStdString();
    };

    std::optional<FailingDevice> device;
    fillAndBreak("VtFailing", [&] { device.emplace(); });
    device.reset();
    EXPECT_TRUE(SaveSetting("VtFailing", "Recent", "File0", "new"));
    EXPECT_EQ(GetSetting("VtFailing", "Recent", "File0"), "new");

    SmallFileSystem disk(folder, 0, "size=64k");
    if (disk.ok())
        fillAndBreak("VtFull", [&] { disk.fill(); });
    SetSettingsFailureHandler(nullptr);
    qputenv("XDG_CONFIG_HOME", oldConfig);
    if (!disk.ok())
        GTEST_SKIP() << "this process may not mount a file system: only the failing device was tried";
}
