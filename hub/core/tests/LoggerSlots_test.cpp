#include "Logger.h"
#include "TraceScope.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "TestKit.h"

TEST(LoggerSlots, The51stLoggerDoesNotIndent)
{
    std::vector<std::unique_ptr<CLogger>> loggers;
    for (int i = 0; i < FdMisc::CTxtFileLogger::kIndentSlots; ++i)
    {
        loggers.emplace_back(new CLogger);
        ASSERT_EQ(loggers.back()->iGetIndentSlot(), i);
    }
    CLogger last;
    EXPECT_EQ(last.iGetIndentSlot(), -1);

    const FdTestKit::CScratchFolder scratch;
    const std::string folder = scratch.Path() + "\\";
    FdSystem::CManualClock clock(FdSystem::MakeLocalTime(2026, 12, 8, 12));
    for (CLogger* log : {loggers.front().get(), loggers.back().get(), &last})
    {
        log->vSetClock(clock);
        log->vSetFolder(folder.c_str());
        log->vEnable(true);
        log->vSetThreadName(GetCurrentThreadId(), "T");
        FdLib::CTraceScope scope(log);
        scope.vTrace(false, "outer");
        FdLib::CTraceScope inner(log);
        inner.vTrace(false, "inner");
    }
    const std::string all = FdTestKit::strReadFile(folder + "20261208.log");
    ASSERT_NE(all.find("T - inner"), std::string::npos) << all;
    EXPECT_EQ(all.find("T - inner"), all.rfind("T - inner")) << "only the last logger writes it flush left:\n"
                                                             << all;
    size_t indented = 0;
    for (size_t p = all.find("T -     inner"); p != std::string::npos; p = all.find("T -     inner", p + 1))
        ++indented;
    EXPECT_EQ(indented, 2u);
    for (CLogger* log : {loggers.front().get(), loggers.back().get(), &last})
        log->vEnable(false);
}
