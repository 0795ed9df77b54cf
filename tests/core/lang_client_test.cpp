// The language client without any library loaded: placeholders, the "No"
// fallback, reading the library folder, the collection and the refusals of
// adding a library.
#include "TestSupport.h"
#include "core/LangClient.h"
#include "core/LanguageMenu.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QMenu>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

void Touch(const QString &path)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly)) << qPrintable(path);
    f.write("not a library");
}

class LangClientTest : public ::testing::Test {
protected:
    void SetUp() override { ResetLanguages(); }
    void TearDown() override { ResetLanguages(); }
};

} // namespace

TEST(LangFormat, ReplacesPlaceholdersInOnePass)
{
    struct Case {
        const char *text;
        QStringList args;
        const char *expected;
    };
    const QStringList ten = {"a", "b", "c", "d", "e", "f", "g", "h", "i", "J"};
    const Case cases[] = {
        {"%1 %2 Climb Performances", {"Rossi", "Mario"}, "Rossi Mario Climb Performances"},
        {"Ready.", {"x"}, "Ready."},
        {"%1. Wait...", {}, "%1. Wait..."},
        {"%2 before %1", {"one", "two"}, "two before one"},
        {"%1 and %3", {"x"}, "x and %3"},
        // The tenth value is the tenth placeholder, not the first plus "0".
        {"%10|%1", ten, "J|a"},
        {"%10", {"only"}, "%10"},
        // A value's own placeholder is not filled again.
        {"%1 %2", {"%2", "b"}, "%2 b"},
        {"100% sure, %1%", {"x"}, "100% sure, x%"},
        {"%1%1", {"ab"}, "abab"},
    };
    for (const Case &c : cases)
        EXPECT_EQ(FormatLangString(QString::fromUtf8(c.text), c.args), QString::fromUtf8(c.expected))
            << c.text;
}

TEST_F(LangClientTest, WithoutALanguageEveryTextReadsNoAndItsNumber)
{
    EXPECT_EQ(GetLangString(104), "No104");
    EXPECT_EQ(GetLangString(28021), "No28021");
    EXPECT_EQ(GetLangString(-5), "No-5");
}

TEST_F(LangClientTest, LoadLanguagesListsLibrariesByNameAndSkipsStrayFiles)
{
    QTemporaryDir app;
    ASSERT_TRUE(QDir(app.path()).mkpath("Lang"));
    const QString lang = app.path() + "/Lang/";
    for (const char *name : {"VettaroLang1040.so", "VettaroLang1033.so", "VettaroLang.so",
                             "VettaroLang99999.so", "VettaroLangXY.so", "VettaroLang01033.so",
                             "vettarolang1031.so", "VettaroLang1036.dll", "VettaroLang1031.so",
                             "readme.txt"})
        Touch(lang + name);

    LoadLanguages(app.path());

    // Sorted by file name; no number, an unknown locale, a number with a
    // leading zero, the wrong case of the mark and another extension are
    // passed over without hiding the files after them.
    QStringList ids, names, classes;
    for (const SuppLangPtr &l : Languages) {
        ids << l->LocaleID();
        names << l->DllName();
        classes << l->ExportDllName();
    }
    EXPECT_EQ(ids, QStringList({"1031", "1033", "1040"}));
    EXPECT_EQ(names.at(2), "VettaroLang1040.so");
    EXPECT_EQ(classes.at(1), "VettaroLang1033.clsResLang");
    EXPECT_FALSE(Languages.Item("1040")->EnglishName().isEmpty());
    EXPECT_TRUE(Languages.Find("1031"));
    EXPECT_FALSE(Languages.Find("1036"));
}

TEST_F(LangClientTest, MissingFolderLeavesNoLanguageAndSelectionFails)
{
    QTemporaryDir app;
    LoadLanguages(app.path());
    EXPECT_EQ(Languages.Count(), 0);
    EXPECT_EQ(SelectLanguage("1040", "1033"), "");
    EXPECT_EQ(LangStrings, nullptr);
    EXPECT_EQ(GetLangString(101), "No101");
}

TEST(LangCollection, KeysIndexesAndFind)
{
    ColSuppLang col;
    col.Add("1040", "Italian", "VettaroLang1040.so", "VettaroLang1040.clsResLang", "1040");
    col.Add("1033", "English", "VettaroLang1033.so", "VettaroLang1033.clsResLang");
    EXPECT_EQ(col.Count(), 2);
    EXPECT_EQ(col.Item(2)->LocaleID(), "1033");
    EXPECT_EQ(col.Item("1040")->EnglishName(), "Italian");
    EXPECT_TRUE(col.Find("1033"));     // found by its LocaleID, key or not
    EXPECT_FALSE(col.Find("1033 "));   // exact text only
    EXPECT_THROW(col.Item("1033"), VbError);   // added without a key
    EXPECT_THROW(col.Item(3), VbError);
    EXPECT_THROW(col.Add("1040", "x", "y", "z", "1040"), VbError);
    col.Remove("1040");
    EXPECT_EQ(col.Count(), 1);
    EXPECT_EQ(col.Item(1)->LocaleID(), "1033");
}

TEST_F(LangClientTest, AddingRefusesNamesWithoutTheMarkAndFilesAlreadyThere)
{
    QTemporaryDir app, source;
    ASSERT_TRUE(QDir(app.path()).mkpath("Lang"));
    Touch(app.path() + "/Lang/VettaroLang1040.so");
    Touch(source.path() + "/VettaroLang1040.so");
    Touch(source.path() + "/Language1036.so");
    ASSERT_TRUE(QDir(source.path()).mkpath("VettaroLang"));
    Touch(source.path() + "/VettaroLang/French.so");
    LoadLanguages(app.path());

    QMenu menu;
    LanguageMenu langMenu(&menu, nullptr);
    langMenu.Build();
    const int items = langMenu.ItemCount();

    EXPECT_EQ(langMenu.AddLanguageDll(source.path() + "/Language1036.so", app.path()), 0);
    // The mark counts in the file's name, not in the folder it lies in.
    EXPECT_EQ(langMenu.AddLanguageDll(source.path() + "/VettaroLang/French.so", app.path()), 0);
    EXPECT_EQ(langMenu.AddLanguageDll(source.path() + "/VettaroLang1040.so", app.path()), 0);

    EXPECT_EQ(QDir(app.path() + "/Lang").entryList(QDir::Files), QStringList({"VettaroLang1040.so"}));
    EXPECT_EQ(Languages.Count(), 1);
    EXPECT_EQ(langMenu.ItemCount(), items);
    EXPECT_TRUE(TestSupport::Script().messages().isEmpty());
}

TEST_F(LangClientTest, MenuListsLanguagesAfterAHiddenSeparatorAndChecksTheCurrentOne)
{
    QTemporaryDir app;
    ASSERT_TRUE(QDir(app.path()).mkpath("Lang"));
    Touch(app.path() + "/Lang/VettaroLang1040.so");
    Touch(app.path() + "/Lang/VettaroLang1033.so");
    LoadLanguages(app.path());
    LangId = "1040";

    QMenu menu;
    menu.addAction("Add Language...")->setObjectName("mnuAddLang");
    LanguageMenu langMenu(&menu, nullptr);
    ASSERT_NE(langMenu.Item(0), nullptr);
    EXPECT_TRUE(langMenu.Item(0)->isSeparator());
    EXPECT_FALSE(langMenu.Item(0)->isVisible());

    langMenu.Build();
    EXPECT_TRUE(langMenu.Item(0)->isVisible());
    ASSERT_EQ(langMenu.ItemCount(), 3);
    EXPECT_EQ(langMenu.Item(1)->data().toString(), "1033");
    EXPECT_EQ(langMenu.Item(2)->data().toString(), "1040");
    EXPECT_EQ(langMenu.Item(2)->objectName(), "mnuLanguages(2)");
    EXPECT_EQ(langMenu.Item(2)->text(), Languages.Item("1040")->EnglishName());
    EXPECT_FALSE(langMenu.Item(1)->isChecked());
    EXPECT_TRUE(langMenu.Item(2)->isChecked());
    EXPECT_EQ(menu.actions().first()->objectName(), "mnuAddLang");
}

// A language whose library cannot be loaded is told with the reason; the
// current language and the stored choice stay.
TEST_F(LangClientTest, ALanguageThatCannotBeLoadedIsTold)
{
    QTemporaryDir app;
    ASSERT_TRUE(QDir(app.path()).mkpath("Lang"));
    Touch(app.path() + "/Lang/VettaroLang1040.so");
    LoadLanguages(app.path());
    LangId = "1033";

    QMenu menu;
    LanguageMenu langMenu(&menu, nullptr);
    langMenu.Build();
    ASSERT_EQ(langMenu.ItemCount(), 2);
    auto &script = TestSupport::Script();
    langMenu.ChangeLanguage(1);
    ASSERT_EQ(script.messages().size(), 1);
    EXPECT_TRUE(script.messages().front().startsWith("Error ")) << script.messages().front().toStdString();
    EXPECT_EQ(LangId, "1033");

    std::optional<VbError> failure;
    EXPECT_EQ(SelectLanguage("1040", "1033", &failure), "");
    ASSERT_TRUE(failure.has_value());
    EXPECT_NE(failure->Number(), 0);
}
