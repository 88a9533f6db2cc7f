#include "FdLibLogger.h"

#include "TestKit.h"

#include <gtest/gtest.h>

#include <string>

using FdSystem::CManualClock;
using FdSystem::MakeLocalTime;
using namespace FdTestKit;

namespace
{
size_t count(const std::string& s, const std::string& what)
{
    size_t n = 0;
    for (size_t p = s.find(what); p != std::string::npos; p = s.find(what, p + 1))
        ++n;
    return n;
}

std::string read(const std::string& path)
{
    std::string s;
    boReadFile(path, &s);
    return s;
}
} // namespace

TEST(FdLibLogger, PlugInLinesGoToHourlyFilesInTheFolder)
{
    // The plug-in's folder itself, as the plug-in sets it: files C:\FDGAMEYYYYMMDDHH.log.
    const std::string folder = FdLib::CLogger::kszPlugInFolder;
    CManualClock clock(MakeLocalTime(2026, 12, 8, 23, 59, 59, 250));
    {
        FdLib::CLogger log(FdLib::CLogger::kszLibraryPrefix, 60);
        EXPECT_STREQ(log.lpszGetPrefix(), "c:\\FdLib");
        log.vSetFolder(folder.c_str());
        log.vSetClock(clock);
        log.vEnable(true);
        log.vLog("before midnight");
        clock.vAdvance(1000);
        log.vLog("after midnight");
        log.vFlush();
    }
    const std::string first = read(folder + "2026120823.log");
    const std::string second = read(folder + "2026120900.log");
    DeleteFileA((folder + "2026120823.log").c_str());
    DeleteFileA((folder + "2026120900.log").c_str());
    const std::string tid = std::to_string(GetCurrentThreadId());
    const std::string paddedTid = tid.size() < 5 ? std::string(5 - tid.size(), '0') + tid : tid;
    // Unnamed threads are named by their id.
    const std::string name =
        GetCurrentThreadId() < FdMisc::CMyEvtLog::kThreadNames ? tid : "THRDIDOUTOFRANGE";
    EXPECT_EQ(first, "\r\n12/08/26 23:59:59.250 " + paddedTid + " " + name + " - before midnight");
    EXPECT_EQ(second, "\r\n12/09/26 00:00:00.250 " + paddedTid + " " + name + " - after midnight");
}

TEST(FdLibLogger, LinesWithAnErrorCodeShowIt)
{
    CScratchFolder dir;
    const std::string prefix = dir.Path() + "\\log";
    CManualClock clock(MakeLocalTime(2026, 12, 8, 10, 0, 0, 7));
    {
        FdLib::CLogger log(prefix.c_str(), 60);
        log.vSetClock(clock);
        log.vSetThreadName(GetCurrentThreadId() % FdMisc::CMyEvtLog::kThreadNames, "Main");
        log.vEnable(true);
        log.vLog("coded", -1, 0xC8000003, true);
        log.vLog("bare", -1, 0xC8000003, false);
        log.vFlush();
    }
    const std::string text = read(prefix + "2026120810.log");
    const std::string tid = std::to_string(GetCurrentThreadId());
    const std::string paddedTid = tid.size() < 5 ? std::string(5 - tid.size(), '0') + tid : tid;
    const std::string name =
        GetCurrentThreadId() < FdMisc::CMyEvtLog::kThreadNames ? "Main" : "THRDIDOUTOFRANGE";
    EXPECT_EQ(text, "\r\n12/08/26 10:00:00.007 " + paddedTid + " " + name + " C8000003 - coded\r\nbare");
}

TEST(FdLibLogger, ClosingLineOnlyWhenAskedFor)
{
    CScratchFolder dir;
    const std::string prefix = dir.Path() + "\\log";
    CManualClock clock(MakeLocalTime(2026, 12, 8, 10));
    {
        FdLib::CLogger log(prefix.c_str(), 60);
        log.vSetClock(clock);
        log.vEnable(true);
        log.vLog("silent end");
    }
    EXPECT_EQ(count(read(prefix + "2026120810.log"), "###Fin du logging"), 0u);
    {
        FdLib::CLogger log(prefix.c_str(), 60);
        log.vSetClock(clock);
        log.vSetClosingLine(true);
        log.vEnable(true);
        log.vLog("with end");
    }
    const std::string text = read(prefix + "2026120810.log");
    EXPECT_EQ(count(text, "###Fin du logging\r\n"), 1u);
    EXPECT_LT(text.find("with end"), text.find("###Fin du logging"));
}

TEST(FdLibLogger, InitTwiceCloseOnceWritesOneBanner)
{
    CScratchFolder dir;
    const std::string prefix = dir.Path() + "\\log";
    CManualClock clock(MakeLocalTime(2026, 12, 8, 10));
    FdLib::CLogger log(prefix.c_str(), 60);
    log.vSetClock(clock);
    log.vSetFlushEachLine(true);
    log.vEnable(true);

    EXPECT_TRUE(FdLib::Init(&log));
    EXPECT_TRUE(FdLib::Init(nullptr)); // later calls only count
    EXPECT_EQ(FdLib::lpGetLogger(), &log);
    EXPECT_TRUE(FdLib::Close());
    std::string text = read(prefix + "2026120810.log");
    EXPECT_EQ(count(text, "FdLib::Init : initialisation de la librairie Ok"), 1u);
    EXPECT_EQ(count(text, "FdLib::Close : fermeture de la librairie Ok"), 0u);

    EXPECT_TRUE(FdLib::Close());
    text = read(prefix + "2026120810.log");
    EXPECT_EQ(count(text, "FdLib::Close : fermeture de la librairie Ok"), 1u);
    EXPECT_EQ(FdLib::lpGetLogger(), nullptr);
    EXPECT_TRUE(FdLib::Close()); // one too many changes nothing
    EXPECT_EQ(count(read(prefix + "2026120810.log"), "FdLib::Close"), 1u);
}

TEST(FdLibLogger, LongPrefixIsCut)
{
    const std::string prefix(1500, 'p');
    FdLib::CLogger log(prefix.c_str(), 60);
    EXPECT_EQ(std::string(log.lpszGetPrefix()), prefix.substr(0, 1024));
}
