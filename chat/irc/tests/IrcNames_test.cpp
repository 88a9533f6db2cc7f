#include "IrcNames.h"

#include <gtest/gtest.h>

using ChatIrc::strIrcxDecode;
using ChatIrc::strIrcxEncode;

TEST(IrcNames, Decode)
{
    struct Case
    {
        std::string in;
        std::string out;
        bool coded;
    } cases[] = {
        {"'Jos\\bD", "Jos D", true},
        {"\xC3\xA9t\xC3\xA9", "\xE9t\xE9", true},
        {"ab\xC3", "ab\xC3", false}, // a trailing C3 is kept
        {"'5", "5", true},           // quote and digit
        {"'a", "'a", false},
        {"plain\\x", "plain\\x", false}, // unknown escape stays
        {"'a\\\\b\\n\\r\\t\\c", "a\\b\n\r\t,", true},
        {"\\", "\\", false},
        {"", "", false},
    };
    for (const Case& c : cases)
    {
        bool coded = !c.coded;
        EXPECT_EQ(strIrcxDecode(c.in, &coded), c.out) << c.in;
        EXPECT_EQ(coded, c.coded) << c.in;
    }
}

TEST(IrcNames, Encode)
{
    EXPECT_EQ(strIrcxEncode("a b,c\\"), "'a\\bb\\cc\\\\");
    EXPECT_EQ(strIrcxEncode("\xE9"), "'\xC3\xA9");
    EXPECT_EQ(strIrcxEncode("#room"), "#room");
    EXPECT_EQ(strIrcxEncode(""), "");
}

TEST(IrcNames, RoundTripOfEveryByte)
{
    std::string all;
    for (int b = 0; b < 256; ++b)
    {
        const std::string one(1, static_cast<char>(b));
        EXPECT_EQ(strIrcxDecode(strIrcxEncode(one)), one) << "byte " << b;
        EXPECT_EQ(strIrcxDecode(strIrcxEncode("n" + one + "k")), "n" + one + "k") << "byte " << b;
        all += one;
    }
    EXPECT_EQ(strIrcxDecode(strIrcxEncode(all)), all);
}
