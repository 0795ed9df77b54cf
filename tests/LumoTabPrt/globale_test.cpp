#include "LumoTabPrt/src/Globale.h"

#include <QCursor>
#include <QGuiApplication>
#include <gtest/gtest.h>

using namespace Globale;

TEST(Globale, HourglassNestsAndNeverGoesBelowZero)
{
    ResetHourglass();
    HourglassOn();
    HourglassOn();
    EXPECT_EQ(QGuiApplication::overrideCursor()->shape(), Qt::WaitCursor);
    HourglassOff();
    ASSERT_NE(QGuiApplication::overrideCursor(), nullptr) << "the outer user still waits";
    HourglassOff();
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
    HourglassOff();
    EXPECT_EQ(HourglassCount(), 0);
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
    HourglassOn();
    EXPECT_EQ(HourglassCount(), 1);
    HourglassOff();
}

TEST(Globale, HourglassLeavesTheHostsOwnCursorAlone)
{
    QGuiApplication::setOverrideCursor(Qt::CrossCursor);
    HourglassOn();
    HourglassOff();
    HourglassOff();
    ASSERT_NE(QGuiApplication::overrideCursor(), nullptr);
    EXPECT_EQ(QGuiApplication::overrideCursor()->shape(), Qt::CrossCursor);
    QGuiApplication::restoreOverrideCursor();
}

TEST(Globale, StrSplitToken)
{
    struct Case {
        QString source, sep, head, rest;
    } cases[] = {
        {"a|b|c", "|", "a", "b|c"},
        {"abc", "|", "abc", ""},
        {"|abc", "|", "", "abc"},
        {"a<>b", "<>", "a", "b"},
        {"", "|", "", ""},
    };
    for (const Case &c : cases) {
        QString source = c.source;
        EXPECT_EQ(StrSplitToken(source, c.sep), c.head) << c.source.toStdString();
        EXPECT_EQ(source, c.rest) << c.source.toStdString();
    }
}

TEST(Globale, StrReplace)
{
    EXPECT_EQ(StrReplace("a\nb\n\nc\n", "\n", ""), "abc");
    // A replacement may form a new occurrence; it is replaced too.
    EXPECT_EQ(StrReplace("aaab", "ab", "b"), "b");
    // An empty find, or a replacement holding find, returns the text instead of looping.
    EXPECT_EQ(StrReplace("abc", "", "x"), "abc");
    EXPECT_EQ(StrReplace("abc", "b", "bb"), "abc");
}
