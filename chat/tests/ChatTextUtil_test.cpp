#include "ChatTextUtil.h"

#include <gtest/gtest.h>

using namespace ChatText;

TEST(ChatTextUtil, SubstringAndFind)
{
    EXPECT_EQ(strSubstring("abcdef", 2, 3), "cde");
    EXPECT_EQ(strSubstring("abcdef", 2, -1), "cdef");
    EXPECT_EQ(strSubstring("abcdef", 4, 10), "ef");
    EXPECT_EQ(strSubstring("abcdef", -1, 2), "");
    EXPECT_EQ(strSubstring("abcdef", 6, 2), "");
    EXPECT_EQ(lFindAfter("abcabc", "abc", 0), 0);
    EXPECT_EQ(lFindAfter("abcabc", "abc", 1), 3);
    EXPECT_EQ(lFindAfter("abcabc", "abc", 3), -1);
    EXPECT_EQ(lFindAfter("abcabc", "abc", -1), -1);
    EXPECT_EQ(lFindAfter("abc", "c", 40), -1);
}

TEST(ChatTextUtil, UrlDomain)
{
    struct Case
    {
        const char* url;
        bool whole;
        const char* domain;
    } cases[] = {
        {"http://a.b.d/x", false, "B.D"},
        {"http://a.b.d/x", true, "A.B.D"},
        {"http://h/x", false, "H"},
        {"file://a.b.d/x", false, ""},
        {"http://a.b.d", false, ""},
        {"HTTP://10.1.2.3:80/p", false, "10.1.2.3:80"},
        {"www.zelto.example.com/", false, "EXAMPLE.COM"},
        {"/rel/a.b", false, ""},
        {"", false, ""},
        {"ftp/x", false, ""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(strUrlDomain(c.url, c.whole), c.domain) << c.url << " whole " << c.whole;
}

TEST(ChatTextUtil, UrlEncode)
{
    EXPECT_EQ(strUrlEncode("a b&c"), "a+b%26c");
    EXPECT_EQ(strUrlEncode("\xE9"), "%e9");
    EXPECT_EQ(strUrlEncode("Az09"), "Az09");
}

TEST(ChatTextUtil, Wildcard)
{
    struct Case
    {
        const char* text;
        const char* pattern;
        bool match;
    } cases[] = {
        {"ABCDEF", "abc*", true}, {"abcdef", "*def", true}, {"abcdef", "a*f", true}, {"ABC", "abc", true},
        {"ABCD", "abc", false},   {"x", "*", true},         {"", "abc", true},       {"abc", "", true},
        {"aba", "ab*ba", false},  {"abba", "ab*ba", true},  {"ab", "abc*", false},   {"xdef", "*DEF", true},
        {"abx", "a*f", false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(boWildcardMatch(c.text, c.pattern), c.match) << c.text << " ~ " << c.pattern;
}

TEST(ChatTextUtil, Scramble)
{
    EXPECT_EQ(strScramble("abc", "key"), "lnl");
    EXPECT_EQ(strScramble("Hello World 42", "Zk"), "Chgad Wbyao 42");
    EXPECT_EQ(strScramble("abc", ""), "abc");
    std::string all;
    for (int b = 0; b < 256; ++b)
        all += static_cast<char>(b);
    for (const char* key : {"key", "\xE9\x80z", "Zk"})
        EXPECT_EQ(strScramble(strScramble(all, key), key), all) << key;
    EXPECT_EQ(strDerivedKey().size(), 10u);
    EXPECT_EQ(strSevenConstant().size(), 7u);
}

TEST(ChatTextUtil, ShiftMirrorChecksums)
{
    std::string s = "\xF0";
    vShift(s, 32);
    EXPECT_EQ(s, "0");
    s = "(";
    vShift(s, -64);
    EXPECT_EQ(static_cast<unsigned char>(s[0]), 200);
    s = "\x1F";
    vShift(s, 100);
    EXPECT_EQ(s, "\x1F");

    std::string m = "A a 0";
    vMirror(m);
    EXPECT_EQ(m, "^?~?/");
    vMirror(m);
    EXPECT_EQ(m, "A a 0");

    EXPECT_EQ(strChecksum16("hello"), "0214");
    EXPECT_EQ(strChecksum8("hello"), "14");
    EXPECT_EQ(strChecksum16(""), "0000");
}

TEST(ChatTextUtil, NumberText)
{
    EXPECT_EQ(strNumberText(-1.0), "-1.0");
    EXPECT_EQ(strNumberText(4.5), "4.50");
    EXPECT_EQ(strNumberText(4.38), "4.38");
    EXPECT_EQ(strNumberText(10), "10.0");
}

TEST(ChatTextUtil, Protected16RoundTripAndTamper)
{
    const char* values[] = {"", "irc.example.net:6667", "Zelto \xE9t\xE9 #42", "\x01\x1F\x7F\xFF"};
    for (const char* key : {"", "Secret9"})
        for (const char* v : values)
        {
            std::string value = v;
            vProtect16(value, "SERVER", key);
            EXPECT_NE(value, v);
            std::string decoded = value;
            ASSERT_TRUE(boUnprotect16(decoded, "SERVER", key)) << v << " key " << key;
            EXPECT_EQ(decoded, v);
            // Another name, or one byte changed, fails and leaves the value as it was.
            std::string other = value;
            EXPECT_FALSE(boUnprotect16(other, "ROOM", key));
            EXPECT_EQ(other, value);
            std::string tampered = value;
            tampered[0] = static_cast<char>(tampered[0] ^ 0x01);
            EXPECT_FALSE(boUnprotect16(tampered, "SERVER", key));
            tampered[0] = static_cast<char>(tampered[0] ^ 0x01);
            EXPECT_EQ(tampered, value);
        }
    std::string shortValue = "abc";
    EXPECT_FALSE(boUnprotect16(shortValue, "N", ""));
    EXPECT_EQ(shortValue, "abc");
}

TEST(ChatTextUtil, Protected8RoundTripAndTamper)
{
    struct Case
    {
        const char* text;
        double number;
    } cases[] = {{"ann", 4.38}, {"Jo[2ee", -1.0}, {"", 9.87}, {"#room", 4.5}, {"a b\xE9", 1}};
    for (const char* key : {"", "kEy42"})
        for (const Case& c : cases)
        {
            const std::string coded = strProtect8(c.text, key, c.number);
            std::string value = coded;
            double number = 123;
            ASSERT_TRUE(boUnprotect8(value, key, number)) << c.text;
            EXPECT_EQ(value, c.text);
            EXPECT_DOUBLE_EQ(number, std::stod(strNumberText(c.number)));

            std::string tampered = coded;
            tampered[4] = tampered[4] == '0' ? '1' : '0';
            number = 123;
            const std::string before = tampered;
            EXPECT_FALSE(boUnprotect8(tampered, key, number));
            EXPECT_EQ(tampered, before);
            EXPECT_EQ(number, 123);
        }
    std::string shortValue = "abcde";
    double n = 7;
    EXPECT_FALSE(boUnprotect8(shortValue, "", n));
    EXPECT_EQ(shortValue, "abcde");
    EXPECT_EQ(n, 7);
    // A number that writes to more than 4 characters cannot be read back.
    std::string big = strProtect8("x", "", 123.25);
    EXPECT_FALSE(boUnprotect8(big, "", n));
}
