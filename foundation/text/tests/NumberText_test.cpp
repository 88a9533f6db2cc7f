#include <gtest/gtest.h>

#include "NumberText.h"

TEST(IsNumberText, Table)
{
    struct Case
    {
        const char* text;
        bool number;
    } cases[] = {
        {"-1.5", true},   {"", true},     {"+", true},    {"-", true},   {".", true},    {"12", true},
        {"1.2.3", false}, {"1e5", false}, {"1-2", false}, {" 1", false}, {"+-1", false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(IsNumberText(c.text), c.number) << "'" << c.text << "'";
}

TEST(IsValueInRange, Table)
{
    struct Case
    {
        const char* value;
        const char* lower;
        bool lowerIncl;
        const char* upper;
        bool upperIncl;
        bool forceNum;
        bool forceText;
        bool in;
    } cases[] = {
        // Numeric although "10" sorts before "9" as text.
        {"10", "9", true, "", false, false, false, true},
        {"10", "9", true, "", false, false, true, false},
        {"9", "9", true, "", false, false, false, true},
        {"9", "9", false, "", false, false, false, false},
        {"20", "", false, "20", true, false, false, true},
        {"20", "", false, "20", false, false, false, false},
        {" 1.5 ", "1", true, "2", true, false, false, true},
        {"abc", "ABB", true, "abd", false, false, false, true},
        {"ABD", "abb", true, "abd", false, false, false, false},
        {"x", "", false, "", false, false, false, true},
        // Bounds that are no numbers make it a text comparison, unless forced.
        {"b", "a", true, "c", true, false, false, true},
        {"5", "a", true, "", false, true, false, true}, // atof("a") = 0
    };
    for (const Case& c : cases)
        EXPECT_EQ(
            IsValueInRange(c.value, c.lower, c.lowerIncl, c.upper, c.upperIncl, c.forceNum, c.forceText),
            c.in)
            << c.value << " in [" << c.lower << ", " << c.upper << "]";
}

TEST(TextToInt32, ReadsLikeAtoiAndSaturates)
{
    EXPECT_EQ(TextToInt32("12abc"), 12);
    EXPECT_EQ(TextToInt32("  -42"), -42);
    EXPECT_EQ(TextToInt32("abc"), 0);
    EXPECT_EQ(TextToInt32(""), 0);
    EXPECT_EQ(TextToInt32("2147483647"), 2147483647);
    EXPECT_EQ(TextToInt32("-2147483648"), INT32_MIN);
    EXPECT_EQ(TextToInt32("99999999999999999999"), INT32_MAX);
    EXPECT_EQ(TextToInt32("-99999999999999999999"), INT32_MIN);
}
