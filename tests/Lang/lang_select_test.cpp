// Choosing, switching and adding languages with real libraries: a fixture
// program folder holds VettaroLang1033, 1031 and 1040 (all with the English
// table) registered in the fixture's own registry; tests copy the ones a case
// needs into a program folder of their own.
#include "TestSupport.h"
#include "core/Globals.h"
#include "core/LangClient.h"
#include "core/LanguageMenu.h"
#include "platform/com/ComRegistry.h"
#include "platform/settings/Settings.h"

#include <QAction>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMenu>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

const QString kFixtures = QStringLiteral(VETTARO_LANG_FIXTURE_DIR);

QString FixtureLibrary(const QString &locale)
{
    return kFixtures + "/Lang/VettaroLang" + locale + ".so";
}

QString SettingsApp()
{
    return AppName.isEmpty() ? QCoreApplication::applicationName() : AppName;
}

class LangSelectTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        Com::SetMachineRegistryFile(kFixtures + "/com-registry.ini");
        QFile::remove(Com::UserRegistryFile());
        ResetLanguages();
        savedAppPath = AppPath;
        ASSERT_TRUE(QDir(app.path()).mkpath("Lang"));
    }
    void TearDown() override
    {
        AppPath = savedAppPath;   // restored even when a test stops half-way
        ResetLanguages();
        QFile::remove(Com::UserRegistryFile());
        Com::SetMachineRegistryFile(QString());
    }

    // Puts the libraries of these locales into the test's program folder; a
    // locale with a trailing "u" gets a library that is not registered.
    void Install(const QStringList &locales)
    {
        for (QString locale : locales) {
            const bool unregistered = locale.endsWith('u');
            locale.remove('u');
            const QString source = FixtureLibrary(unregistered ? "1033" : locale);
            ASSERT_TRUE(QFile::copy(source, app.path() + "/Lang/VettaroLang" + locale + ".so"))
                << qPrintable(source);
        }
    }

    // Installs these libraries in the test's program folder, runs from there
    // and chooses English.
    void RunFromProgramFolderIn1033(const QStringList &locales)
    {
        Install(locales);
        LoadLanguages(app.path());
        LangId = SelectLanguage("1033", "1033");
        AppPath = app.path();
    }

    QString CurrentClass() const { return LangStrings ? LangStrings->ClassId() : QString(); }

    QTemporaryDir app;
    QString savedAppPath;
};

} // namespace

TEST_F(LangSelectTest, ChoiceRules)
{
    struct Case {
        const char *what;
        const char *userLocale;
        const char *stored;
        QStringList present;
        const char *chosen;
    };
    const Case cases[] = {
        {"no setting, user's language present", "de_DE", "", {"1033", "1031", "1040"}, "1031"},
        {"no setting, no library of the user's locale", "en_GB", "", {"1033", "1031"}, "1033"},
        {"no matching by language: en_GB is not 1033", "en_GB", "", {"1031", "1040"}, ""},
        {"stored language wins", "de_DE", "1040", {"1033", "1031", "1040"}, "1040"},
        {"stored library deleted, user's locale next", "de_DE", "1040", {"1033", "1031"}, "1031"},
        {"stored library deleted, then 1033", "en_GB", "1040", {"1033", "1031"}, "1033"},
        {"stored library present but not registered", "de_DE", "1043", {"1033", "1031", "1043u"}, ""},
        {"user's library present but not registered", "fr_FR", "", {"1033", "1036u"}, ""},
        {"no library at all", "de_DE", "", {}, ""},
    };
    // An object the failed cases must leave in place.
    const Com::ObjectPtr previous = Com::CreateObject("VettaroLang1040.clsResLang");
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        for (const QString &f : QDir(app.path() + "/Lang").entryList(QDir::Files))
            QFile::remove(app.path() + "/Lang/" + f);
        Install(c.present);
        TestSupport::LocaleScope locale{QLocale(QString::fromLatin1(c.userLocale))};
        LangStrings = previous;
        LoadLanguages(app.path());

        const QString chosen = SelectLanguage(QString::fromLatin1(c.stored), "1033");

        EXPECT_EQ(chosen, QString::fromLatin1(c.chosen));
        if (chosen.isEmpty())
            EXPECT_EQ(LangStrings, previous);
        else
            EXPECT_EQ(CurrentClass(), "VettaroLang" + chosen + ".clsResLang");
    }
}

TEST_F(LangSelectTest, EverySelectionMakesANewObject)
{
    Install({"1033"});
    LoadLanguages(app.path());
    ASSERT_EQ(SelectLanguage("1033", "1033"), "1033");
    const Com::ObjectPtr first = LangStrings;
    ASSERT_EQ(SelectLanguage("1033", "1033"), "1033");
    EXPECT_NE(LangStrings, first);
    EXPECT_EQ(GetLangString(502), "Language module (*.so)|*.so");
}

TEST_F(LangSelectTest, MenuSwitchesLanguageStoresItAndKeepsItWhenASwitchFails)
{
    Install({"1033", "1040", "1043u"});
    TestSupport::LocaleScope locale{QLocale("en_US")};
    LoadLanguages(app.path());
    LangId = SelectLanguage("", "1033");
    ASSERT_EQ(LangId, "1033");

    int updates = 0;
    QMenu menu;
    LanguageMenu langMenu(&menu, [&] { ++updates; });
    langMenu.Build();
    ASSERT_EQ(langMenu.ItemCount(), 4);   // separator, 1033, 1040, 1043
    EXPECT_TRUE(langMenu.Item(1)->isChecked());

    langMenu.Item(2)->trigger();   // 1040
    EXPECT_EQ(LangId, "1040");
    EXPECT_EQ(CurrentClass(), "VettaroLang1040.clsResLang");
    EXPECT_EQ(GetSetting(SettingsApp(), "Settings", "Language"), "1040");
    EXPECT_FALSE(langMenu.Item(1)->isChecked());
    EXPECT_TRUE(langMenu.Item(2)->isChecked());
    EXPECT_EQ(updates, 1);

    // A library that is listed but not registered: the current language, its
    // check mark and the stored choice all stay.
    langMenu.Item(3)->trigger();
    EXPECT_EQ(LangId, "1040");
    EXPECT_EQ(CurrentClass(), "VettaroLang1040.clsResLang");
    EXPECT_EQ(GetSetting(SettingsApp(), "Settings", "Language"), "1040");
    EXPECT_TRUE(langMenu.Item(2)->isChecked());
    EXPECT_FALSE(langMenu.Item(3)->isChecked());
    EXPECT_EQ(updates, 2);
}

TEST_F(LangSelectTest, AddedLibraryIsCopiedRegisteredForTheUserListedAndChosen)
{
    RunFromProgramFolderIn1033({"1033"});
    int updates = 0;
    QMenu menu;
    LanguageMenu langMenu(&menu, [&] { ++updates; });
    langMenu.Build();

    TestSupport::Script().files.push_back(FixtureLibrary("1040"));
    langMenu.AddLanguageClicked();

    const QString copy = app.path() + "/Lang/VettaroLang1040.so";
    EXPECT_TRUE(QFileInfo::exists(copy));
    EXPECT_EQ(QFileInfo(Com::RegisteredLibrary("VettaroLang1040.clsResLang")), QFileInfo(copy));
    ASSERT_EQ(langMenu.ItemCount(), 3);
    EXPECT_EQ(langMenu.Item(2)->data().toString(), "1040");
    EXPECT_TRUE(Languages.Find("1040"));
    EXPECT_EQ(LangId, "1040");
    EXPECT_TRUE(langMenu.Item(2)->isChecked());
    EXPECT_EQ(updates, 1);
    EXPECT_TRUE(TestSupport::Script().messages().isEmpty());
    EXPECT_EQ(QFileInfo(GetSetting(SettingsApp(), "MDIfrmBike", "AddLangMod")),
              QFileInfo(kFixtures + "/Lang"));
    // The dialog was asked for a library file, titled from the language.
    ASSERT_FALSE(TestSupport::Script().shown.empty());
    const auto &dialog = TestSupport::Script().shown.front();
    EXPECT_EQ(dialog.kind, "open");
    EXPECT_EQ(dialog.request.title, "Add Language module...");
    EXPECT_EQ(dialog.request.filter, "Language module (*.so)|*.so");
    EXPECT_EQ(dialog.request.flags, 0x81404);
}

TEST_F(LangSelectTest, FailedAdditionsShowTheErrorAndChangeNothing)
{
    RunFromProgramFolderIn1033({"1033", "1040"});
    int updates = 0;
    QMenu menu;
    LanguageMenu langMenu(&menu, [&] { ++updates; });
    langMenu.Build();
    const QStringList before = QDir(app.path() + "/Lang").entryList(QDir::Files);

    struct Case {
        const char *what;
        QString source;
    };
    const Case cases[] = {
        {"registration fails", kFixtures + "/broken/VettaroLang1049.so"},
        {"file already in the folder", FixtureLibrary("1040")},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        ScriptedPromptProvider &script = TestSupport::ResetScript();
        script.files.push_back(c.source);
        langMenu.AddLanguageClicked();
        ASSERT_EQ(script.messages(), QStringList({"Error. Unable to add language module."}));
        EXPECT_EQ(script.shown.back().style, 16);
        EXPECT_EQ(QDir(app.path() + "/Lang").entryList(QDir::Files), before);
        EXPECT_EQ(langMenu.ItemCount(), 3);
        EXPECT_EQ(Languages.Count(), 2);
        EXPECT_EQ(LangId, "1033");
    }
    EXPECT_EQ(Com::RegisteredLibrary("VettaroLang1049.clsResLang"), "");

    // A cancelled dialog ends the command quietly.
    ScriptedPromptProvider &script = TestSupport::ResetScript();
    script.files.push_back(std::nullopt);
    langMenu.AddLanguageClicked();
    EXPECT_TRUE(script.messages().isEmpty());
    EXPECT_EQ(updates, 0);
}

TEST_F(LangSelectTest, RegisterLangDllReportsTheEntrysResult)
{
    const QString copy = app.path() + "/Lang/VettaroLang1040.so";
    ASSERT_TRUE(QFile::copy(FixtureLibrary("1040"), copy));
    EXPECT_TRUE(RegisterLangDll(copy, true));
    EXPECT_EQ(QFileInfo(Com::RegisteredLibrary("VettaroLang1040.clsResLang")), QFileInfo(copy));
    EXPECT_TRUE(RegisterLangDll(copy, false));
    // Back to the fixture's machine registration.
    EXPECT_EQ(QFileInfo(Com::RegisteredLibrary("VettaroLang1040.clsResLang")),
              QFileInfo(FixtureLibrary("1040")));
    EXPECT_FALSE(RegisterLangDll(kFixtures + "/broken/VettaroLang1049.so", true));
    EXPECT_FALSE(RegisterLangDll(app.path() + "/Lang/missing.so", true));
    const QString notALibrary = app.path() + "/Lang/VettaroLang1036.so";
    QFile f(notALibrary);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("text");
    f.close();
    EXPECT_FALSE(RegisterLangDll(notALibrary, true));
}
