// The browser's decisions without a window: history, typed addresses and the
// message of each import result.
#include "tools/logic/BrowserLogic.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

TEST(BrowserLogic, HistoryKeepsEachAddressOnceNewestFirst)
{
    struct Case {
        const char *what;
        QStringList before;
        QString url;
        QStringList after;
    };
    const Case cases[] = {
        {"first address", {}, "http://a/", {"http://a/"}},
        {"new address goes in front", {"http://a/", "http://b/"}, "http://c/", {"http://c/", "http://a/", "http://b/"}},
        {"known address moves to the front", {"http://a/", "http://b/", "http://c/"}, "http://c/",
         {"http://c/", "http://a/", "http://b/"}},
        {"match is case-sensitive", {"http://a/X"}, "http://a/x", {"http://a/x", "http://a/X"}},
        {"match is on the whole text", {"http://a/x?y"}, "http://a/x", {"http://a/x", "http://a/x?y"}},
        {"only the first match goes", {"u", "v", "u"}, "u", {"u", "v", "u"}},
        {"the typed form stays beside the loaded form", {"abc"}, "http://abc/", {"http://abc/", "abc"}},
    };
    for (const Case &c : cases)
        EXPECT_EQ(CompletedHistory(c.before, c.url), c.after) << c.what;
}

TEST(BrowserLogic, TypedAddressesReadAsTheUserMeansThem)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString file = QDir(dir.path()).filePath(QStringLiteral("climb.xml"));
    {
        QFile f(file);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("<races/>");
    }
    struct Case {
        QString typed;
        QString url;       // empty: nothing to open
        QString source;    // handed to the import
    };
    const QString fileUrl = QUrl::fromLocalFile(file).toString();
    const Case cases[] = {
        {"", "", ""},
        {"   ", "", ""},
        {"abc", "http://abc", "http://abc"},
        {"  www.example.org/races.xml ", "http://www.example.org/races.xml", "http://www.example.org/races.xml"},
        {"https://example.org/a?b=1", "https://example.org/a?b=1", "https://example.org/a?b=1"},
        {"javascript:alert(1)", "", ""},
        {"JavaScript:void(0)", "", ""},
        {file, fileUrl, file},
        {fileUrl, fileUrl, file},
        {"climb.xml", fileUrl, file},   // a file of the current folder
    };
    for (const Case &c : cases) {
        EXPECT_EQ(ReadAddress(c.typed, dir.path()).toString(), c.url) << c.typed.toStdString();
        EXPECT_EQ(ImportSource(c.typed, dir.path()), c.source) << c.typed.toStdString();
    }
}

TEST(BrowserLogic, EachImportResultHasItsMessage)
{
    struct Case {
        int code;
        int textId;   // 0: no message
        int style;
        bool withName;
    };
    const Case cases[] = {
        {0, 11500, 64, true}, {1, 11501, 48, false}, {2, 11502, 48, false}, {3, 11503, 48, false},
        {4, 11504, 48, false}, {5, 11505, 48, false}, {6, 11506, 48, false},
        {7, 0, 0, false},     // already present: the import has told the user
        {-1, 0, 0, false}, {8, 0, 0, false},
    };
    for (const Case &c : cases) {
        const auto m = ImportMessageFor(c.code);
        ASSERT_EQ(m.has_value(), c.textId != 0) << c.code;
        if (!m)
            continue;
        EXPECT_EQ(m->textId, c.textId) << c.code;
        EXPECT_EQ(m->style, c.style) << c.code;
        EXPECT_EQ(m->withName, c.withName) << c.code;
    }
}
