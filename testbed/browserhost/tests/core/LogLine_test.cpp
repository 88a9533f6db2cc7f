#include "LogLine.h"

#include <algorithm>

#include <gtest/gtest.h>

using namespace FdBrowserHost;

TEST(LogLine, EveryByteSurvivesTheRoundTrip)
{
    std::string all;
    for (int b = 0; b < 256; ++b)
        all += static_cast<char>(b);
    SLogLine line("STREAM_END");
    line.add("data", all).add("empty", "").addInt("n", -42).addHex("hr", 0x80004005u);
    const std::string text = strFormatLogLine(line);
    for (char c : strEscapeLogValue(all))
    {
        const unsigned char b = static_cast<unsigned char>(c);
        EXPECT_TRUE(b >= 0x20 && b != 0x7F) << "control byte " << int(b) << " left in a value";
    }
    EXPECT_EQ(4, std::count(text.begin(), text.end(), '\t')) << "tabs only between the fields";
    SLogLine back;
    ASSERT_TRUE(boParseLogLine(text, &back));
    EXPECT_EQ("STREAM_END", back.strKind);
    EXPECT_EQ(all, back.strGet("data"));
    EXPECT_EQ("", back.strGet("empty", "absent"));
    EXPECT_EQ("-42", back.strGet("n"));
    EXPECT_EQ("0x80004005", back.strGet("hr"));
    EXPECT_EQ(nullptr, back.pFind("missing"));
}

TEST(LogLine, RepeatedKeysKeepTheirOrder)
{
    SLogLine line("NPP_NEW");
    line.add("argn", "b").add("argv", "2").add("argn", "a").add("argv", "1");
    SLogLine back;
    ASSERT_TRUE(boParseLogLine(strFormatLogLine(line) + "\r", &back));
    EXPECT_EQ((std::vector<std::string>{"b", "a"}), back.all("argn"));
    EXPECT_EQ((std::vector<std::string>{"2", "1"}), back.all("argv"));
    EXPECT_EQ("b", back.strGet("argn"));
}

TEST(LogLine, ValuesMayHoldEqualSigns)
{
    SLogLine back;
    ASSERT_TRUE(boParseLogLine("NAVIGATE\turl=http://h/p?a=b&c=d", &back));
    EXPECT_EQ("http://h/p?a=b&c=d", back.strGet("url"));
}

TEST(LogLine, MalformedLinesAreRefused)
{
    const char* const bad[] = {
        "",               // no kind
        "\tk=v",          // empty kind
        "KIND\tnoequals", // field without '='
        "KIND\t=v",       // empty key
        "KIND\tk-y=v",    // bad key character
        "KIND\tk=\\",     // dangling backslash
        "KIND\tk=\\q",    // unknown escape
        "KIND\tk=\\x4",   // short hex escape
        "KIND\tk=\\xZZ",  // bad hex digits
    };
    for (const char* p : bad)
    {
        SLogLine line;
        line.strKind = "untouched";
        EXPECT_FALSE(boParseLogLine(p, &line)) << p;
        EXPECT_EQ("untouched", line.strKind) << p;
    }
}

TEST(LogLine, ParseLogSkipsAndCountsBadLines)
{
    std::size_t nBad = 99;
    const auto lines = parseLog("A\tk=1\r\n\nB\tbad\nC\n", &nBad);
    ASSERT_EQ(2u, lines.size());
    EXPECT_EQ("A", lines[0].strKind);
    EXPECT_EQ("C", lines[1].strKind);
    EXPECT_EQ(1u, nBad);
}
