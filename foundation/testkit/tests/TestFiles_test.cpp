// The portable half of the test kit: whole files and golden files.
#include "TestFiles.h"

#include <gtest/gtest-spi.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "TestHelper.h"

using namespace FdTestKit;

namespace
{

// A file name of this test in the working folder, removed when the object goes.
struct STempName
{
    std::string str;
    explicit STempName(const char* lpszName) : str(std::string("testkit-") + lpszName)
    {
        std::remove(str.c_str());
    }
    ~STempName() { std::remove(str.c_str()); }
};

void vExpectOne(int iValue)
{
    ASSERT_EQ(iValue, 1);
}

} // namespace

TEST(TestFiles, ReadGivesBackEveryByteWritten)
{
    const STempName name("bytes.bin");
    const std::string strBytes("a\0b\r\n\x1A\xFF"
                               "end",
                               10);
    for (const std::string& strData : {std::string(), std::string("x"), strBytes, std::string(70000, '\xE9')})
    {
        SCOPED_TRACE(strData.size());
        ASSERT_TRUE(boWriteFile(name.str, strData));
        std::string strRead = "sentinel";
        ASSERT_TRUE(boReadFile(name.str, &strRead));
        EXPECT_EQ(strRead, strData);
        EXPECT_EQ(strReadFile(name.str), strData);
    }
}

TEST(TestFiles, AMissingFileReadsAsNothing)
{
    const STempName name("missing.txt");
    std::string strRead = "sentinel";
    EXPECT_FALSE(boReadFile(name.str, &strRead));
    EXPECT_EQ(strRead, "sentinel");
    EXPECT_EQ(strReadFile(name.str), "");
    EXPECT_FALSE(boWriteFile("no-such-folder-of-the-kit/x.txt", "x"));
}

TEST(TestFiles, GoldenMatchWritesNothing)
{
    const STempName golden("match.golden"), actual("match.actual");
    ASSERT_TRUE(boWriteFile(golden.str, "line 1\nline 2\n"));
    EXPECT_TRUE(MatchesGolden("line 1\nline 2\n", golden.str, actual.str));
    std::string strLeft;
    EXPECT_FALSE(boReadFile(actual.str, &strLeft));
}

TEST(TestFiles, GoldenMismatchWritesTheActualBesideAndShowsBoth)
{
    struct Case
    {
        const char* lpszName;
        bool boGolden;
        const char* lpszGolden;
        const char* lpszActual;
    };
    const Case cases[] = {
        {"one line differs", true, "line 1\nline 2\n", "line 1\nline two\n"},
        {"one byte more", true, "abc", "abcd"},
        {"empty actual", true, "abc", ""},
        {"no golden file", false, "", "abc"},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.lpszName);
        const STempName golden("mismatch.golden"), actual("mismatch.actual");
        if (c.boGolden)
        {
            ASSERT_TRUE(boWriteFile(golden.str, c.lpszGolden));
        }
        const testing::AssertionResult result = MatchesGolden(c.lpszActual, golden.str, actual.str);
        EXPECT_FALSE(result);
        EXPECT_EQ(strReadFile(actual.str), c.lpszActual);
        const std::string strMessage = result.message();
        EXPECT_NE(strMessage.find("written to " + actual.str), std::string::npos) << strMessage;
        EXPECT_EQ(strMessage.find("cannot read the golden file") != std::string::npos, !c.boGolden)
            << strMessage;
    }
}

// A void helper's fatal failure stops the caller, and the failure names the
// caller's line and the call as the caller wrote it.
bool g_boRanOn = false;
int g_iCallLine = 0;

void vCallerOfAFailingHelper()
{
    g_iCallLine = __LINE__ + 1;
    FD_HELPER(vExpectOne(2));
    g_boRanOn = true;
}

TEST(TestHelper, AFatalFailureInAHelperStopsTheCaller)
{
    g_boRanOn = false;
    testing::TestPartResultArray results;
    {
        testing::ScopedFakeTestPartResultReporter reporter(
            testing::ScopedFakeTestPartResultReporter::INTERCEPT_ONLY_CURRENT_THREAD, &results);
        vCallerOfAFailingHelper();
    }
    EXPECT_FALSE(g_boRanOn);
    ASSERT_GT(results.size(), 0);
    const std::string strMessage = results.GetTestPartResult(0).message();
    EXPECT_TRUE(results.GetTestPartResult(0).fatally_failed());
    EXPECT_NE(strMessage.find(":" + std::to_string(g_iCallLine) + ": vExpectOne(2)"), std::string::npos)
        << strMessage;
    FD_HELPER(vExpectOne(1));
}
