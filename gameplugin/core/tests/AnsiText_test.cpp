#include "AnsiText.h"

#include <gtest/gtest.h>

TEST(AnsiText, ComparesWithoutCaseIncludingAccentedLetters)
{
    EXPECT_TRUE(boAnsiEqualNoCase("ACTION", "action"));
    EXPECT_TRUE(boAnsiEqualNoCase("Clé", "CLÉ"));
    EXPECT_FALSE(boAnsiEqualNoCase("cle", "clé"));
    EXPECT_FALSE(boAnsiEqualNoCase("url", "urls"));
    EXPECT_FALSE(boAnsiEqualNoCase(nullptr, ""));
    EXPECT_TRUE(boAnsiEqualNoCase(nullptr, nullptr));
    EXPECT_LT(iAnsiCompareNoCase("abc", "ABD"), 0);
}

TEST(AnsiText, ParsesDecimalLikeAtolWithoutOverflow)
{
    const struct
    {
        const char* text;
        int32_t expected;
    } cases[] = {
        {"42", 42},
        {"  -17xyz", -17},
        {"+5", 5},
        {"abc", 0},
        {"", 0},
        {nullptr, 0},
        {"99999999999", INT32_MAX},
        {"-99999999999", INT32_MIN},
        {"-2147483648", INT32_MIN},
    };
    for (const auto& c : cases)
        EXPECT_EQ(lParseDecimal(c.text), c.expected) << (c.text ? c.text : "(null)");
}
