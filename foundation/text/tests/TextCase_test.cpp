#include "TextCase.h"

#include <gtest/gtest.h>

#include <string>

using namespace FdText;

namespace
{

int Sign(int v)
{
    return (v > 0) - (v < 0);
}

struct SCompareRow
{
    std::string a;
    std::string b;
    int ascii;        // CompareAsciiNoCase, exactly
    int cp1252;       // sign of CompareCp1252NoCase over the texts up to their first NUL
    bool cp1252Equal; // EqualsCp1252NoCase over the whole bytes
};

std::string Bytes(std::initializer_list<unsigned char> bytes)
{
    return std::string(bytes.begin(), bytes.end());
}

} // namespace

TEST(TextCase, AsciiFoldingChangesOnlyAsciiLetters)
{
    for (int c = 0; c < 256; ++c)
    {
        SCOPED_TRACE(c);
        const char ch = static_cast<char>(c);
        const bool upper = c >= 'A' && c <= 'Z';
        const bool lower = c >= 'a' && c <= 'z';
        EXPECT_EQ(AsciiToLower(ch), upper ? static_cast<char>(c + 32) : ch);
        EXPECT_EQ(AsciiToUpper(ch), lower ? static_cast<char>(c - 32) : ch);
    }
}

TEST(TextCase, Cp1252FoldingTakesTheAccentedCapitals)
{
    for (int c = 0; c < 256; ++c)
    {
        SCOPED_TRACE(c);
        int want = c;
        if ((c >= 'A' && c <= 'Z') || (c >= 0xC0 && c <= 0xDE && c != 0xD7))
            want = c + 0x20;
        else if (c == 0x8A || c == 0x8C || c == 0x8E)
            want = c + 0x10;
        else if (c == 0x9F)
            want = 0xFF;
        EXPECT_EQ(Cp1252ToLower(static_cast<unsigned char>(c)), want);
    }
}

TEST(TextCase, CompareTable)
{
    const SCompareRow rows[] = {
        {"", "", 0, 0, true},
        {"abc", "ABC", 0, 0, true},
        {"I", "i", 0, 0, true},
        {"abc", "abd", 'c' - 'd', -1, false},
        {"ab", "abc", -1, -1, false},
        {"abc", "ab", 1, 1, false},
        // '_' (0x5F) lies between the capitals and the small letters: lower-case
        // folding puts it before the letters.
        {"_", "a", '_' - 'a', -1, false},
        {"_", "A", '_' - 'a', -1, false},
        // Accented capitals: ASCII folding leaves them apart, code page 1252 joins them.
        {"\xC9t\xE9", "\xE9T\xC9", 0xC9 - 0xE9, 0, true},
        {"\x8A", "\x9A", 0x8A - 0x9A, 0, true},
        {"\x9F", "\xFF", 0x9F - 0xFF, 0, true},
        {"\xD7", "\xF7", 0xD7 - 0xF7, -1, false},
        {"\xDF", "\xFF", 0xDF - 0xFF, -1, false},
        {"\x80", "\x7F", 0x80 - 0x7F, 1, false},
        // Embedded NUL: the ASCII compare and the length-counted equality see the
        // bytes behind it; the NUL-terminated compare stops there.
        {Bytes({'a', 0, 'b'}), Bytes({'A', 0, 'B'}), 0, 0, true},
        {Bytes({'a', 0, 'b'}), Bytes({'a', 0, 'c'}), 'b' - 'c', 0, false},
        {Bytes({'a', 0}), "a", 1, 0, false},
    };
    for (const SCompareRow& row : rows)
    {
        SCOPED_TRACE("\"" + row.a + "\" vs \"" + row.b + "\"");
        EXPECT_EQ(CompareAsciiNoCase(row.a, row.b), row.ascii);
        EXPECT_EQ(EqualsAsciiNoCase(row.a, row.b), row.ascii == 0);
        EXPECT_EQ(Sign(CompareAsciiNoCase(row.b, row.a)), -Sign(row.ascii));
        EXPECT_EQ(CompareCp1252NoCase(row.a.c_str(), row.b.c_str()), row.cp1252);
        EXPECT_EQ(CompareCp1252NoCase(row.b.c_str(), row.a.c_str()), -row.cp1252);
        EXPECT_EQ(EqualsCp1252NoCase(row.a, row.b), row.cp1252Equal);
    }
}

TEST(TextCase, Cp1252NullSortsFirst)
{
    EXPECT_EQ(CompareCp1252NoCase(nullptr, nullptr), 0);
    EXPECT_EQ(CompareCp1252NoCase(nullptr, ""), -1);
    EXPECT_EQ(CompareCp1252NoCase("", nullptr), 1);
}

TEST(TextCase, StartsAndEndsTable)
{
    struct SRow
    {
        std::string text;
        std::string part;
        bool starts;
        bool ends;
    };
    const SRow rows[] = {
        {"", "", true, true},
        {"abc", "", true, true},
        {"", "a", false, false},
        {"HTTP://x", "http://", true, false},
        {"file.ZIP", ".zip", false, true},
        {"ab", "abc", false, false},
        {"\xC9t\xE9", "\xE9", false, true},
        {"\xC9t\xE9", "\xC9", true, false},
        {Bytes({'a', 0, 'B'}), Bytes({'A', 0}), true, false},
        {Bytes({'a', 0, 'B'}), Bytes({0, 'b'}), false, true},
    };
    for (const SRow& row : rows)
    {
        SCOPED_TRACE("\"" + row.text + "\" / \"" + row.part + "\"");
        EXPECT_EQ(StartsWithAsciiNoCase(row.text, row.part), row.starts);
        EXPECT_EQ(EndsWithAsciiNoCase(row.text, row.part), row.ends);
    }
}
