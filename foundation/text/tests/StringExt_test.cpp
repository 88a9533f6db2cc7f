#include <gtest/gtest.h>

#include "StringExt.h"

TEST(StringExt, ExtractsParts)
{
    const CStringExt s("abcdef");
    EXPECT_EQ(s.Left(2), "ab");
    EXPECT_EQ(s.Left(10), "abcdef");
    EXPECT_EQ(s.Left(-1), "");
    EXPECT_EQ(s.Mid(4), "ef");
    EXPECT_EQ(s.Mid(6), "");
    EXPECT_EQ(s.Mid(99), "");
    EXPECT_EQ(s.MidN(1, 3), "bcd");
    EXPECT_EQ(s.MidN(1, -1), "bcdef");
    EXPECT_EQ(s.MidN(5, 10), "f");
    EXPECT_EQ(s.Right(2), "ef");
    EXPECT_EQ(s.Right(10), "abcdef");
}

TEST(StringExt, SpanExcludingStopsAtFirstMember)
{
    EXPECT_EQ(CStringExt("key=value;x").SpanExcluding("=;"), "key");
    EXPECT_EQ(CStringExt("plain").SpanExcluding("=;"), "plain");
    EXPECT_EQ(CStringExt("a=b").SpanExcluding(""), "a=b");
}

TEST(StringExt, TrimsAndChangesAsciiCaseOnly)
{
    CStringExt s(" \t\r\n x y \v\f");
    s.TrimLeft();
    EXPECT_EQ(s, "x y \v\f");
    s.TrimRight();
    EXPECT_EQ(s, "x y");

    CStringExt accented("abc\xE9Z");
    accented.MakeUpper();
    EXPECT_EQ(accented, "ABC\xE9Z");
    accented.MakeLower();
    EXPECT_EQ(accented, "abc\xE9z");
}

TEST(StringExt, FindNextSearchesBehindIndex)
{
    const CStringExt s("abab");
    EXPECT_EQ(s.FindNext("ab", 0), 0);
    EXPECT_EQ(s.FindNext("ab", 1), 2); // from position 2
    EXPECT_EQ(s.FindNext("ab", 2), -1);
    EXPECT_EQ(s.FindNext("b", 0), 1);
    EXPECT_EQ(s.FindNext("x", 0), -1);
    EXPECT_EQ(s.FindNext("a", 10), -1);
}
