#include "FormText.h"

#include <gtest/gtest.h>

#include <string>

using namespace FdText;

TEST(FormText, UrlEncodeTable)
{
    struct SRow
    {
        std::string text;
        std::string encoded;
    };
    const SRow rows[] = {
        {"", ""},
        {"azAZ09", "azAZ09"},
        {"a b", "a+b"},
        {"a+b&c=d", "a%2bb%26c%3dd"},
        {"-_.~/", "%2d%5f%2e%7e%2f"},
        {"\xE9t\xE9", "%e9t%e9"},
        {"\x80\xFF\x7F", "%80%ff%7f"},
        {std::string("a\0b", 3), "a%00b"},
    };
    for (const SRow& row : rows)
    {
        SCOPED_TRACE(row.text);
        EXPECT_EQ(UrlEncodeForm(row.text), row.encoded);
    }
}

TEST(FormText, OneStarTable)
{
    struct SRow
    {
        std::string text;
        std::string pattern;
        bool fits;
    };
    const SRow rows[] = {
        {"", "abc", true},
        {"abc", "", true},
        {"abc", "*", true},
        {"abc", "ABC", true},
        {"abc", "abcd", false},
        {"Istanbul", "i*", true},
        {"abc", "a*", true},
        {"abc", "*C", true},
        {"abc", "a*c", true},
        {"ac", "a*c", true},
        {"aba", "ab*ba", false},
        {"abba", "ab*ba", true},
        {"abc", "b*", false},
        // Later stars are plain bytes.
        {"a*b*c", "a*b*c", true},
        {"axbyc", "a*b*c", false},
        // Accented letters do not fold.
        {"\xC9t\xE9", "\xE9*", false},
        {"\xC9t\xE9", "\xC9*\xE9", true},
        {" abc", "a*", false},
        {std::string("a\0c", 3), std::string("A\0*", 3), true},
    };
    for (const SRow& row : rows)
    {
        SCOPED_TRACE("\"" + row.text + "\" ~ \"" + row.pattern + "\"");
        EXPECT_EQ(MatchesOneStarAsciiNoCase(row.text, row.pattern), row.fits);
    }
}
