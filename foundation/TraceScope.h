#pragma once
// Start and end lines of a traced method, indented per thread and per logger.
#include <cstdint>

#include "TxtFileLogger.h"

namespace FdLib
{

class CTraceScope
{
public:
    static constexpr size_t kLineMax = 4096;
    static constexpr int kIndentStep = 4;

    // A null logger (tracing off) makes every call a no-op.
    explicit CTraceScope(FdMisc::CTxtFileLogger* lpLogger, uint32_t dwLevel = 0, bool boHeader = true);
    // Takes back the indentation it added (if any), then logs the end line.
    ~CTraceScope();
    CTraceScope(const CTraceScope&) = delete;
    CTraceScope& operator=(const CTraceScope&) = delete;

    // At-end 0: logs the line now and, the first time, indents this thread's later lines by 4.
    // At-end 1: keeps the line for the end of the scope.
    void vTrace(bool boAtEnd, const char* lpszFormat, ...);

private:
    FdMisc::CTxtFileLogger* m_lpLogger;
    uint32_t m_dwLevel;
    bool m_boHeader;
    bool m_boIndentPending = true;
    bool m_boIndented = false;
    char m_szEndLine[kLineMax + 1] = {};
};

} // namespace FdLib
