#include "TxtFileLogger.h"

#include <gtest/gtest.h>

#include <string>

#include "TestKit.h"

using FdMisc::CTxtFileLogger;
using FdSystem::CManualClock;
using FdSystem::MakeLocalTime;

namespace
{

struct LoggerFixture : ::testing::Test
{
    FdTestKit::CScratchFolder scratch;
    std::string folder = scratch.Path() + "\\";
    CManualClock clock{MakeLocalTime(2026, 12, 8, 23, 59, 59, 500)};

    void Setup(CTxtFileLogger& log, bool hourly, bool eachLine)
    {
        log.vSetClock(clock);
        log.vSetFolder(folder.c_str());
        log.vSetHourly(hourly);
        log.vSetFlushEachLine(eachLine);
        log.vEnable(true);
    }
    std::string File(const char* name) { return FdTestKit::strReadFile(folder + name); }
};

size_t Count(const std::string& s, const std::string& what)
{
    size_t n = 0;
    for (size_t p = s.find(what); p != std::string::npos; p = s.find(what, p + 1))
        ++n;
    return n;
}

} // namespace

TEST_F(LoggerFixture, DayChangeSplitsLinesBetweenFiles)
{
    CTxtFileLogger log(4096);
    Setup(log, false, false);
    log.vLog("first");
    clock.vAdvance(1000); // 2026-12-09 00:00:00.500
    log.vLog("second");
    log.vFlush();
    const DWORD tid = GetCurrentThreadId();
    EXPECT_EQ(File("20261208.log"), "\r\n12/08/26 23:59:59 " + std::to_string(tid) + " first");
    EXPECT_EQ(File("20261209.log"), "\r\n12/09/26 00:00:00 " + std::to_string(tid) + " second");
    char name[1200];
    ASSERT_TRUE(log.boGetFileName(name, sizeof(name)));
    EXPECT_EQ(std::string(name), folder + "20261209.log");
}

TEST_F(LoggerFixture, PeriodFilesRollOnEveryChange)
{
    struct Case
    {
        bool hourly;
        FdSystem::SLocalTime a, b;
        const char *fileA, *fileB; // fileB null: same file
    };
    const Case cases[] = {
        {true, MakeLocalTime(2026, 12, 8, 10, 59, 59), MakeLocalTime(2026, 12, 8, 11), "2026120810.log",
         "2026120811.log"},
        {true, MakeLocalTime(2026, 12, 8, 10), MakeLocalTime(2026, 12, 9, 10), "2026120810.log",
         "2026120910.log"},
        {true, MakeLocalTime(2026, 12, 8, 10), MakeLocalTime(2026, 12, 8, 10, 30), "2026120810.log", nullptr},
        {false, MakeLocalTime(2026, 1, 8, 10), MakeLocalTime(2026, 2, 8, 10), "20260108.log", "20260208.log"},
        {false, MakeLocalTime(2026, 12, 8, 1), MakeLocalTime(2026, 12, 8, 23), "20261208.log", nullptr},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(std::string(c.fileA) + " -> " + (c.fileB ? c.fileB : "same"));
        const FdTestKit::CScratchFolder roll;
        folder = roll.Path() + "\\";
        clock.vSetLocalTime(c.a);
        {
            CTxtFileLogger log(4096);
            Setup(log, c.hourly, false);
            log.vLog("A");
            clock.vSetLocalTime(c.b);
            log.vLog("B");
        } // the destructor flushes
        const std::string a = File(c.fileA);
        EXPECT_EQ(Count(a, " A"), 1u);
        if (c.fileB)
        {
            EXPECT_EQ(Count(a, " B"), 0u);
            EXPECT_EQ(Count(File(c.fileB), " B"), 1u);
        }
        else
        {
            EXPECT_EQ(Count(a, " B"), 1u);
        }
    }
}

TEST_F(LoggerFixture, BuffersUntilFullOrFlushEachLine)
{
    CTxtFileLogger log(64);
    Setup(log, false, false);
    log.vLog("0123456789"); // prefix of ~30 + 10
    EXPECT_FALSE(FdTestKit::boFileExists(folder + "20261208.log"));
    EXPECT_GT(log.ulGetPending(), 0u);
    log.vLog("abcdefghij"); // does not fit behind: the first line is written first
    EXPECT_EQ(Count(File("20261208.log"), "0123456789"), 1u);
    EXPECT_EQ(Count(File("20261208.log"), "abcdefghij"), 0u);
    log.vSetFlushEachLine(true);
    log.vLog("third");
    EXPECT_EQ(log.ulGetPending(), 0u);
    const std::string all = File("20261208.log");
    EXPECT_LT(all.find("abcdefghij"), all.find("third"));
}

TEST_F(LoggerFixture, LineLongerThanTheBufferGoesStraightToTheFile)
{
    CTxtFileLogger log(64);
    Setup(log, false, false);
    log.vLog("before");
    const std::string big(500, 'x');
    log.vLog(big.c_str());
    log.vLog("after");
    log.vFlush();
    const std::string all = File("20261208.log");
    ASSERT_NE(all.find(big), std::string::npos);
    EXPECT_LT(all.find("before"), all.find(big));
    EXPECT_LT(all.find(big), all.find("after"));
}

TEST_F(LoggerFixture, TextIsKeptWhenTheFileCannotBeOpened)
{
    CTxtFileLogger log(4096);
    Setup(log, false, false);
    const std::string good = folder;
    log.vSetFolder((folder + "missing\\sub\\").c_str());
    log.vLog("kept");
    log.vFlush();
    const uint32_t pending = log.ulGetPending();
    EXPECT_GT(pending, 0u);
    log.vSetFolder(good.c_str());
    log.vFlush();
    EXPECT_EQ(log.ulGetPending(), 0u);
    EXPECT_EQ(Count(File("20261208.log"), " kept"), 1u);
}

TEST_F(LoggerFixture, AppendsWhileAnotherProcessHoldsTheFileOpen)
{
    CTxtFileLogger a(4096), b(4096);
    Setup(a, false, true);
    Setup(b, false, true);
    a.vLog("one");
    // Another writer holding the day's file open, as a second program of the suite would.
    const std::string path = folder + "20261208.log";
    const HANDLE other =
        CreateFileA(path.c_str(), FILE_APPEND_DATA | SYNCHRONIZE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                    OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(other, INVALID_HANDLE_VALUE);
    b.vLog("two");
    DWORD written = 0;
    WriteFile(other, "|other|", 7, &written, nullptr);
    a.vLog("three");
    CloseHandle(other);
    const std::string all = File("20261208.log");
    EXPECT_EQ(a.ulGetPending() + b.ulGetPending(), 0u);
    const size_t p1 = all.find(" one"), p2 = all.find(" two"), p3 = all.find("|other|"),
                 p4 = all.find(" three");
    ASSERT_NE(p4, std::string::npos) << all;
    EXPECT_TRUE(p1 < p2 && p2 < p3 && p3 < p4) << all;
}

TEST_F(LoggerFixture, TimerFlushesAndDisabledLoggerWritesNothing)
{
    CTxtFileLogger log(4096);
    log.vSetFlushPeriodMs(10);
    log.vLog("ignored"); // disabled
    EXPECT_EQ(log.ulGetPending(), 0u);
    Setup(log, false, false);
    log.vLog("timed");
    for (int i = 0; i < 500 && log.ulGetPending() != 0; ++i)
        Sleep(10);
    EXPECT_EQ(log.ulGetPending(), 0u);
    EXPECT_EQ(Count(File("20261208.log"), " timed"), 1u);
    EXPECT_EQ(Count(File("20261208.log"), "ignored"), 0u);
    log.vEnable(false);
    log.vLog("off");
    EXPECT_EQ(log.ulGetPending(), 0u);
}

TEST_F(LoggerFixture, PrintfCutsAt4096AndHeaderlessLines)
{
    CTxtFileLogger log(16384);
    Setup(log, false, false);
    const std::string big(5000, 'y');
    log.vPrintf(0, true, "%s", big.c_str());
    log.vPrintf(0, false, "n=%d", 7);
    log.vFlush();
    const std::string all = File("20261208.log");
    EXPECT_EQ(Count(all, std::string(4096, 'y')), 1u);
    EXPECT_EQ(Count(all, std::string(4097, 'y')), 0u);
    EXPECT_EQ(all.substr(all.size() - 5), "\r\nn=7");
}
