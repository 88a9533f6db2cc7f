#include <gtest/gtest.h>

#include "Location.h"

TEST(SplitProtocol, Table)
{
    struct Case
    {
        const char* location;
        const char* defaultProtocol;
        const char* protocol;
        const char* rest;
    } cases[] = {
        {"file://c:\\x.xml", "X", "FILE", "c:\\x.xml"},
        {"c:\\x.xml", "FILE", "FILE", "c:\\x.xml"},
        {"c:\\x.xml", nullptr, "", "c:\\x.xml"},
        {"http://host/a", nullptr, "HTTP", "host/a"},
        {"://rest", "STR", "STR", "rest"},
        {"sevenab://x", nullptr, "SEVENAB", "x"},
        {"eightabc://x", "FILE", "FILE", "eightabc://x"},
    };
    for (const Case& c : cases)
    {
        CStringExt location(c.location);
        EXPECT_EQ(SplitProtocol(location, c.defaultProtocol), c.protocol) << c.location;
        EXPECT_EQ(location, c.rest) << c.location;
    }
}

TEST(IsRelativeLocation, Table)
{
    EXPECT_TRUE(IsRelativeLocation("a/b.xml"));
    EXPECT_FALSE(IsRelativeLocation(""));
    EXPECT_FALSE(IsRelativeLocation("/a"));
    EXPECT_FALSE(IsRelativeLocation("\\a"));
    EXPECT_FALSE(IsRelativeLocation("http://a"));
}

TEST(MakeAbsoluteLocalPath, PrefixesRelativePaths)
{
    EXPECT_EQ(MakeAbsoluteLocalPathIn(" sub/x.xml ", "C:\\dir"), "C:\\dir\\sub\\x.xml");
    EXPECT_EQ(MakeAbsoluteLocalPathIn("x.xml", "C:\\"), "C:\\x.xml");
    EXPECT_EQ(MakeAbsoluteLocalPathIn("c:/a/b", "C:\\dir"), "c:\\a\\b");
    EXPECT_EQ(MakeAbsoluteLocalPathIn("/a", "C:\\dir"), "\\a");
    EXPECT_EQ(MakeAbsoluteLocalPathIn("x", "C:\\dir"), "x"); // one character stays
    const CStringExt cwd = GetWorkingDirectory();
    ASSERT_FALSE(cwd.empty());
    EXPECT_EQ(MakeAbsoluteLocalPath("ab"), MakeAbsoluteLocalPathIn("ab", cwd));
}

TEST(NormalizeLocation, ByProtocol)
{
    EXPECT_EQ(NormalizeLocation(" STR://<a/> "), "STR://<a/>");
    EXPECT_EQ(NormalizeLocation("res://#12"), "res://#12");
    EXPECT_EQ(NormalizeLocation("file://c:/a/b.xml"), "file://c:\\a\\b.xml");
    EXPECT_EQ(NormalizeLocation("c:\\a\\b.xml"), "file://c:\\a\\b.xml");
    EXPECT_EQ(NormalizeLocation("http://host\\a\\b.xml"), "http://host/a/b.xml");
}

TEST(JoinLocation, JoinsToTheBaseDirectory)
{
    EXPECT_EQ(JoinLocation("inc/y.xml", "http://host/s/x.xml", "FILE"), "http://host/s/inc/y.xml");
    EXPECT_EQ(JoinLocation("y.xml", "file://c:\\s\\x.xml", "FILE"), "file://c:\\s\\y.xml");
    EXPECT_EQ(JoinLocation("y.xml", "c:\\s\\x.xml", "FILE"), "file://c:\\s\\y.xml");
    EXPECT_EQ(JoinLocation("http://other/z.xml", "http://host/s/x.xml", "FILE"), "http://other/z.xml");
    EXPECT_EQ(JoinLocation("y.xml", "x.xml", "HTTP"), "y.xml"); // a base without '/'
}
