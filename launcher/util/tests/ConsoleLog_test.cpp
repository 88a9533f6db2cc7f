#include <windows.h>

#include <gtest/gtest.h>

#include <memory>

#include "ConsoleLog.h"

TEST(ConsoleLog, DiscardsUntilOpened)
{
    CConsoleLog log;
    EXPECT_FALSE(log.boHasConsole());
    log << "nobody sees this " << 42 << std::endl;
    EXPECT_TRUE(log.good());
}

TEST(ConsoleLog, OneStreamGoingLeavesTheConsoleToTheOthers)
{
    ASSERT_EQ(CConsoleLog::ConsoleUsers(), 0);
    auto first = std::make_unique<CConsoleLog>();
    CConsoleLog second;
    ASSERT_TRUE(first->boOpenConsole());
    ASSERT_TRUE(second.boOpenConsole());
    EXPECT_TRUE(second.boOpenConsole()); // already open: counted once
    EXPECT_EQ(CConsoleLog::ConsoleUsers(), 2);

    *first << "first stream line" << std::endl;
    EXPECT_TRUE(first->good());
    first.reset();
    EXPECT_EQ(CConsoleLog::ConsoleUsers(), 1);

    // The standard output is still there for the remaining stream.
    HANDLE output = GetStdHandle(STD_OUTPUT_HANDLE);
    EXPECT_NE(output, INVALID_HANDLE_VALUE);
    DWORD written = 0;
    EXPECT_TRUE(WriteFile(output, "direct\r\n", 8, &written, nullptr));
    second << "second stream line" << std::endl;
    EXPECT_TRUE(second.good());
}

TEST(ConsoleLog, LastStreamReleasesTheConsole)
{
    {
        CConsoleLog log;
        ASSERT_TRUE(log.boOpenConsole());
        EXPECT_EQ(CConsoleLog::ConsoleUsers(), 1);
    }
    EXPECT_EQ(CConsoleLog::ConsoleUsers(), 0);
}
