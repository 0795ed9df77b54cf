#include "TestSupport.h"
#include "platform/shell/Shell.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QTemporaryDir>
#include <QFile>
#include <QLocale>
#include <QUrl>

#include <limits>

TEST(Shell, FoldersAndTemp)
{
    EXPECT_TRUE(Shell::TempFolder().endsWith('/'));
    EXPECT_FALSE(Shell::DocumentsFolder().isEmpty());
    EXPECT_FALSE(Shell::DocumentsFolder().endsWith('/'));
    EXPECT_EQ(Shell::ConfigFolder(), QString::fromLocal8Bit(qgetenv("XDG_CONFIG_HOME")));
    EXPECT_EQ(Shell::ProgramFolder(), QCoreApplication::applicationDirPath());
    EXPECT_FALSE(Shell::TemplatesFolder().isEmpty());
}

TEST(Shell, LcidTable)
{
    const struct { int lcid; const char *name; } cases[] = {
        {1033, "en_US"}, {1040, "it_IT"}, {3082, "es_ES"}, {1031, "de_DE"}, {1036, "fr_FR"},
        {2057, "en_GB"}, {3084, "fr_CA"}, {2055, "de_CH"}, {2064, "it_CH"}, {4108, "fr_CH"},
        {1043, "nl_NL"}};
    for (const auto &c : cases) {
        EXPECT_EQ(Shell::LocaleNameFromLcid(c.lcid), c.name);
        EXPECT_EQ(Shell::LcidFromLocaleName(QString(c.name).replace('_', '-')), c.lcid) << c.name;
    }
    EXPECT_EQ(Shell::LocaleNameFromLcid(1034), "es_ES");   // traditional sort, same locale
    EXPECT_EQ(Shell::LcidFromLocaleName("it"), 1040);
    EXPECT_EQ(Shell::LcidFromLocaleName("de_DE.UTF-8"), 1031);
    EXPECT_EQ(Shell::LcidFromLocaleName("xx-YY"), 0);
    EXPECT_EQ(Shell::LcidFromLocaleName(""), 0);
    EXPECT_EQ(Shell::LocaleNameFromLcid(99999), "");
}

TEST(Shell, LocaleDependentAnswers)
{
    {
        TestSupport::LocaleScope l(QLocale(QLocale::Italian, QLocale::Italy));
        EXPECT_EQ(Shell::DecimalSeparator(), QChar(','));
        EXPECT_EQ(Shell::UserDefaultLcid(), 1040);
        EXPECT_EQ(Shell::LanguageName(1040), "italiano (Italia)");
    }
    TestSupport::LocaleScope l(QLocale(QLocale::English, QLocale::UnitedStates));
    EXPECT_EQ(Shell::DecimalSeparator(), QChar('.'));
    EXPECT_EQ(Shell::UserDefaultLcid(), 1033);
    EXPECT_EQ(Shell::LanguageName(1040), "Italian (Italy)");
    EXPECT_EQ(Shell::NativeLanguageName(1031), "Deutsch (Deutschland)");
    EXPECT_EQ(Shell::LanguageName(0), "");
}

TEST(Shell, UserAndComputer)
{
    EXPECT_FALSE(Shell::UserName().isEmpty());
    EXPECT_FALSE(Shell::ComputerName().isEmpty());
}

namespace {
class UrlCatcher : public QObject {
    Q_OBJECT
public:
    QList<QUrl> urls;
public slots:
    void open(const QUrl &u) { urls << u; }
};
}

TEST(Shell, OpenDocumentPassesUrlsAsIsAndPathsAsFileUrls)
{
    UrlCatcher catcher;
    for (const char *s : {"https", "mailto", "file"})
        QDesktopServices::setUrlHandler(s, &catcher, "open");
    QTemporaryDir dir;
    const QString path = dir.filePath("a b.pdf");
    QFile(path).open(QIODevice::WriteOnly);
    EXPECT_GT(Shell::OpenDocument("https://example.org/x?a=1"), 32);
    EXPECT_GT(Shell::OpenDocument("mailto:someone@example.org"), 32);
    EXPECT_GT(Shell::OpenDocument(path), 32);
    EXPECT_EQ(Shell::OpenDocument(dir.filePath("missing.pdf")), 2);
    EXPECT_EQ(Shell::OpenDocument(""), 2);
    for (const char *s : {"https", "mailto", "file"})
        QDesktopServices::unsetUrlHandler(s);
    ASSERT_EQ(catcher.urls.size(), 3);
    EXPECT_EQ(catcher.urls[0].toString(), "https://example.org/x?a=1");
    EXPECT_EQ(catcher.urls[1].scheme(), "mailto");
    EXPECT_EQ(catcher.urls[2], QUrl::fromLocalFile(path));
}

TEST(Shell, RunAndWait)
{
    EXPECT_EQ(Shell::RunAndWait("/bin/sh", {"-c", "exit 3"}), 3);
    EXPECT_EQ(Shell::RunAndWait("/no/such/program", {}), -1);
    EXPECT_EQ(Shell::RunAndWait("", {}), -1);
    EXPECT_EQ(Shell::RunAndWait("/bin/sh", {"-c", "sleep 5"}, 200), -1);
}

#include "test_shell.moc"

// A finite negative figure that shows as zero loses its sign, in the digits of
// any locale; every other figure is written as the locale writes it.
TEST(Shell, NoNegativeZero)
{
    const QLocale en(QLocale::English, QLocale::UnitedStates), it(QLocale::Italian, QLocale::Italy);
    const QLocale ar(QLocale::Arabic, QLocale::Egypt);   // digits of its own
    const double inf = std::numeric_limits<double>::infinity();
    struct Case { QLocale locale; double value; char format; int precision; QString shown; };
    const Case cases[] = {
        {en, -0.004, 'f', 2, "0.00"},        {it, -0.004, 'f', 2, "0,00"},
        {en, -0.04, 'f', 1, "0.0"},          {en, -0.06, 'f', 1, "-0.1"},
        {en, -0.0, 'g', 7, "0"},             {en, -0.0, 'f', 0, "0"},
        {en, -0.4, 'f', 0, "0"},             {en, -0.0, 'e', 2, en.toString(0.0, 'e', 2)},
        {en, -1e-9, 'g', 7, en.toString(-1e-9, 'g', 7)},       {en, -3.2, 'f', 2, "-3.20"},
        {en, 0.004, 'f', 2, "0.00"},         {en, 2.5, 'g', 7, "2.5"},
        {en, -inf, 'f', 2, en.toString(-inf, 'f', 2)},
        {ar, -0.004, 'f', 2, ar.toString(0.0, 'f', 2)},
        {ar, -0.5, 'f', 1, ar.toString(-0.5, 'f', 1)},
    };
    for (const Case &c : cases)
        EXPECT_EQ(Shell::NumberText(c.locale, c.value, c.format, c.precision), c.shown)
            << c.value << " " << c.format << c.precision;
    EXPECT_TRUE(Shell::NumberText(en, -inf, 'f', 2).startsWith(en.negativeSign()));
    EXPECT_FALSE(Shell::NumberText(ar, -0.004, 'f', 2).contains(ar.negativeSign()));
    EXPECT_TRUE(Shell::NumberText(ar, -0.5, 'f', 1).contains(ar.negativeSign()));
}
