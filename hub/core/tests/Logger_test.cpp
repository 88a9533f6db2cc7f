#include "TraceScope.h"

#include <gtest/gtest.h>

#include <process.h>

#include <string>
#include <vector>

#include "Logger.h"
#include "TestKit.h"

using FdLib::CTraceScope;
using FdSystem::CManualClock;
using FdSystem::MakeLocalTime;

namespace
{

struct HubLogger : ::testing::Test
{
    FdTestKit::CScratchFolder scratch;
    std::string folder = scratch.Path() + "\\";
    static CManualClock clock;
    // One logger for every test: a process has only 50 indenting loggers.
    CLogger& log = Shared();

    static CLogger& Shared()
    {
        static CLogger shared;
        return shared;
    }
    void SetUp() override
    {
        log.vSetClock(clock);
        log.vSetFolder(folder.c_str());
        log.vEnable(true);
        ASSERT_GE(log.iGetIndentSlot(), 0);
        ASSERT_EQ(log.iGetIndent(), 0);
    }
    std::string Text() { return FdTestKit::strReadFile(folder + "20261208.log"); }
};

// (indentation, text) of every line with a header.
std::vector<std::pair<size_t, std::string>> Lines(const std::string& all)
{
    std::vector<std::pair<size_t, std::string>> out;
    size_t p = 0;
    while ((p = all.find("\r\n", p)) != std::string::npos)
    {
        p += 2;
        const size_t end = all.find("\r\n", p);
        const std::string line = all.substr(p, end == std::string::npos ? std::string::npos : end - p);
        const size_t dash = line.find(" - ");
        if (dash == std::string::npos)
            continue;
        const std::string rest = line.substr(dash + 3);
        const size_t indent = rest.find_first_not_of(' ');
        out.push_back({indent, rest.substr(indent == std::string::npos ? rest.size() : indent)});
    }
    return out;
}

void Nested(CLogger* log, int depth)
{
    CTraceScope scope(log);
    scope.vTrace(false, "level%d start", depth);
    scope.vTrace(true, "level%d end", depth);
    if (depth < 3)
        Nested(log, depth + 1);
}

unsigned __stdcall OtherThread(void* p)
{
    CTraceScope scope(static_cast<CLogger*>(p));
    scope.vTrace(false, "other thread");
    return 0;
}

CManualClock HubLogger::clock{MakeLocalTime(2026, 12, 8, 9, 5, 7, 42)};

} // namespace

TEST_F(HubLogger, DefaultsOfTheHubLogger)
{
    CLogger fresh;
    EXPECT_FALSE(fresh.boIsEnabled());
    EXPECT_STREQ(CLogger::kFolder, "c:\\Linkwell");
    fresh.vSetClock(clock);
    fresh.vEnable(true);
    fresh.vLog("x");
    char name[256];
    ASSERT_TRUE(fresh.boGetFileName(name, sizeof(name)));
    EXPECT_STREQ(name, "c:\\Linkwell20261208.log"); // daily, no separator added
    fresh.vEnable(false);
}

TEST_F(HubLogger, LinePrefixNamesTheThread)
{
    const DWORD tid = GetCurrentThreadId();
    ASSERT_LT(tid, FdMisc::CMyEvtLog::kThreadNames);
    log.vSetThreadName(tid, "Main            ");
    log.vLog("hello");
    char want[128];
    snprintf(want, sizeof(want), "\r\n12/08/26 09:05:07.042 %.5d Main             - hello", (int)tid);
    EXPECT_EQ(Text(), want); // flush each line
    log.vLog("raw", -1, 0, false);
    EXPECT_EQ(Text(), std::string(want) + "\r\nraw");
}

TEST_F(HubLogger, ThreeNestedScopesIndent0_4_8AndBack)
{
    Nested(&log, 1);
    const auto lines = Lines(Text());
    const std::vector<std::pair<size_t, std::string>> want = {{0, "level1 start"}, {4, "level2 start"},
                                                              {8, "level3 start"}, {8, "level3 end"},
                                                              {4, "level2 end"},   {0, "level1 end"}};
    EXPECT_EQ(lines, want);
    EXPECT_EQ(log.iGetIndent(), 0);
}

TEST_F(HubLogger, IndentationIsPerThread)
{
    CTraceScope outer(&log);
    outer.vTrace(false, "main start");
    const uintptr_t h = _beginthreadex(nullptr, 0, &OtherThread, &log, 0, nullptr);
    ASSERT_NE(h, 0u);
    WaitForSingleObject(reinterpret_cast<HANDLE>(h), 5000);
    CloseHandle(reinterpret_cast<HANDLE>(h));
    log.vLog("main inside");
    const auto lines = Lines(Text());
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[1], (std::pair<size_t, std::string>{0, "other thread"}));
    EXPECT_EQ(lines[2], (std::pair<size_t, std::string>{4, "main inside"}));
}

TEST_F(HubLogger, ScopeLowersOnlyWhatItRaised)
{
    CTraceScope outer(&log);
    outer.vTrace(false, "outer");
    EXPECT_EQ(log.iGetIndent(), 4);
    {
        CTraceScope inner(&log);
        inner.vTrace(true, "inner end"); // clears the pending indentation
        inner.vTrace(false, "inner start");
        EXPECT_EQ(log.iGetIndent(), 4);
    }
    EXPECT_EQ(log.iGetIndent(), 4) << "the inner scope never indented, so it must not unindent";
    {
        CTraceScope nothing(nullptr); // tracing off
        nothing.vTrace(false, "never");
    }
    EXPECT_EQ(Lines(Text()).size(), 3u);
}

TEST_F(HubLogger, DestructorWritesTheUnloadLine)
{
    {
        CLogger other;
        other.vSetClock(clock);
        other.vSetFolder(folder.c_str());
        other.vEnable(true);
    }
    const std::string all = Text();
    EXPECT_NE(all.find(" - ###Déchargement du processus\r\n"), std::string::npos) << all;
}
