#include "PageTextParsers.h"

#include "TestBuffer.h"

#include <gtest/gtest.h>

TEST(PageTextParsers, ColourTable)
{
    const struct
    {
        std::string text;
        uint32_t expected;
    } cases[] = {
        {"#FF0000", 255},
        {"#00FF00", 0xFF00},
        {"#0000FF", 0xFF0000},
        {"#123456", 0x563412},
        {"#abcdef", 0xEFCDAB},
        {"16711680", 16711680},
        {"0", 0},
        {"", 0},
        {"#FF", 0xFF},
        {"#", 0},
        {"#FF00001234", 255},
        {"blue", 0},
    };
    for (const auto& c : cases)
    {
        CTestBuffer buf(c.text + '\0'); // exactly the text and its NUL
        EXPECT_EQ(dwParseColour(buf.c()), c.expected) << c.text;
    }
    EXPECT_EQ(dwParseColour(nullptr), 0u);
}

TEST(PageTextParsers, HexTable)
{
    const struct
    {
        const char* text;
        size_t length;
        uint32_t expected;
    } cases[] = {
        {"FF", 2, 255},
        {"1a2B", 4, 0x1A2B},
        {"", 0, 0},
        {"FFFF", 2, 255},
        {"1G", 2, 0x10}, // a stray byte counts as 0
        {"123456789", 9, 0x23456789},
    };
    for (const auto& c : cases)
        EXPECT_EQ(dwParseHex(c.text, c.length), c.expected) << c.text;
    EXPECT_EQ(dwParseHex(nullptr, 4), 0u);
    EXPECT_EQ(dwParseHex("AB\0CD", 5), 0xABu); // stops at the NUL
}

TEST(PageTextParsers, FontText)
{
    CFontTextRecord rec{};
    vParseFontText("Arial;120;0;3", &rec);
    EXPECT_STREQ(rec.szFace, "Arial");
    EXPECT_EQ(rec.lFirst, 120);
    EXPECT_EQ(rec.lSecond, 0);
    EXPECT_EQ(rec.lThird, 3);

    const std::string longFace(200, 'F');
    vParseFontText((longFace + ";-1;x;7").c_str(), &rec);
    EXPECT_EQ(std::string(rec.szFace), longFace.substr(0, 128));
    EXPECT_EQ(rec.lFirst, -1);
    EXPECT_EQ(rec.lSecond, 0);
    EXPECT_EQ(rec.lThird, 7);
}

TEST(PageTextParsers, FontTextWithFewerThanThreeSeparatorsChangesNothing)
{
    CFontTextRecord rec{};
    vParseFontText("Arial;120;0;3", &rec);
    vParseFontText("Courier;100;2", &rec);
    EXPECT_STREQ(rec.szFace, "Arial");
    EXPECT_EQ(rec.lFirst, 120);
}
