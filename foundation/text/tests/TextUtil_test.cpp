#include <gtest/gtest.h>

#include "TextUtil.h"

TEST(StrMatchesPattern, Table)
{
    struct Case
    {
        const char* value;
        const char* pattern;
        bool fits;
    } cases[] = {
        {"Game.EXE", "*.exe", true},
        {"  abc  ", "ABC", true},
        {"anything", "", true},
        {"", "abc", true},
        {"abc", "*", true},
        {"abc", "a*d", false},
        {"ab", "abc*", false},
        {"abc", "ab*", true},
        {"abcd", "a*d", true},
        {"ad", "a*d", true},
        // Prefix and suffix may not overlap.
        {"ab", "ab*b", false},
        {"abb", "ab*b", true},
        {"abc", "abd", false},
        {"x*y", "x*y", true}, // only the first '*' is special
    };
    for (const Case& c : cases)
        EXPECT_EQ(StrMatchesPattern(c.value, c.pattern), c.fits) << c.value << " / " << c.pattern;
}

TEST(UrlEncode, KeepsAlnumAndEscapesTheRest)
{
    EXPECT_EQ(UrlEncode("a b/\xE9"), "a+b%2f%e9");
    EXPECT_EQ(UrlEncode("AZaz09"), "AZaz09");
    EXPECT_EQ(UrlEncode(std::string("\0-", 2)), "%00%2d");
}

TEST(Slashes, ConvertBothWays)
{
    EXPECT_EQ(SlashesToBackslashes("a/b\\c/"), "a\\b\\c\\");
    EXPECT_EQ(BackslashesToSlashes("a/b\\c\\"), "a/b/c/");
}

TEST(ReplaceAll, ReplacesEveryOccurrenceOnce)
{
    CStringExt s("a.b.c");
    ReplaceAll(s, ".", "..");
    EXPECT_EQ(s, "a..b..c");
    ReplaceAll(s, "..", "");
    EXPECT_EQ(s, "abc");
    ReplaceAll(s, "x", "y");
    EXPECT_EQ(s, "abc");
    ReplaceAll(s, nullptr, "y");
    ReplaceAll(s, "a", nullptr);
    ReplaceAll(s, "", "y"); // an empty search would never end
    EXPECT_EQ(s, "abc");
}

TEST(Substring, Bounds)
{
    EXPECT_EQ(Substring("hello", 1, 3), "ell");
    EXPECT_EQ(Substring("hello", 1, -1), "ello");
    EXPECT_EQ(Substring("hello", 4, 10), "o");
    EXPECT_EQ(Substring("hello", 5, 1), "");
    EXPECT_EQ(Substring("hello", -1, 1), "");
}

TEST(CompareNoCase, OrdersLikeStricmp)
{
    EXPECT_EQ(CompareNoCase("ABC", "abc"), 0);
    EXPECT_LT(CompareNoCase("abc", "abd"), 0);
    EXPECT_LT(CompareNoCase("ab", "abc"), 0);
    EXPECT_GT(CompareNoCase("b", "A"), 0);
    EXPECT_GT(CompareNoCase("\xE9", "z"), 0); // bytes compare unsigned
}
