#include "PlugTrace.h"

#include "LogFormat.h"
#include "TraceLabel.h"

#include <cstdarg>
#include <cstdio>
#include <string>

namespace
{
constexpr size_t kLineMax = FdLib::CTraceScope::kLineMax;
constexpr uint32_t kFlushPeriodSeconds = 60;

thread_local const char* t_labels[PlugTrace::kDepthMax];
thread_local int t_depth = 0;

FdMisc::CTxtFileLogger* lpLogger()
{
    return FdLib::lpGetLogger();
}
} // namespace

CPlugLogger::CPlugLogger() : FdLib::CLogger(FdLib::CLogger::kszLibraryPrefix, kFlushPeriodSeconds)
{
    vSetFolder(FdLib::CLogger::kszPlugInFolder);
}

const char* CPlugLogger::lpszBuildPrefix(uint32_t /*dwLevel*/, bool boHeader)
{
    if (!boHeader)
    {
        std::snprintf(m_szPrefix, sizeof m_szPrefix, "\r\n");
        return m_szPrefix;
    }
    const DWORD dwThreadId = GetCurrentThreadId();
    const FdSystem::SLocalTime now = Clock().GetLocalTime();
    char szDate[16], szTime[16];
    FdMisc::vFormatLogDate(szDate, now);
    FdMisc::vFormatLogTimeMs(szTime, now);
    static const std::string s_strBlanks(FdMisc::kLogIndentMax, ' ');
    int iIndent = iGetIndent();
    if (iIndent > FdMisc::kLogIndentMax)
        iIndent = FdMisc::kLogIndentMax;
    const char* lpszLabel = lpszCurrentTraceLabel();
    std::snprintf(m_szPrefix, sizeof m_szPrefix, "\r\n%s %s %.5d %s [%-*.*s] - %.*s", szDate, szTime,
                  static_cast<int>(dwThreadId), lpszGetThreadName(dwThreadId),
                  static_cast<int>(TraceLabel::kLabelLength), static_cast<int>(TraceLabel::kLabelLength),
                  lpszLabel ? lpszLabel : "", iIndent < 0 ? 0 : iIndent, s_strBlanks.c_str());
    return m_szPrefix;
}

CPlugTrace::CLabelPush::CLabelPush(const char* lpszLabel)
{
    if (t_depth < PlugTrace::kDepthMax)
        t_labels[t_depth] = lpszLabel;
    ++t_depth;
}

CPlugTrace::CLabelPush::~CLabelPush()
{
    --t_depth;
    if (t_depth < PlugTrace::kDepthMax)
        t_labels[t_depth] = nullptr;
}

CPlugTrace::CPlugTrace(const char* lpszLabel, const char* lpszMethod, const char* lpszArgsFormat, ...)
    : m_label(lpszLabel), m_scope(lpLogger())
{
    char szArgs[kLineMax + 1] = "";
    if (lpszArgsFormat)
    {
        va_list args;
        va_start(args, lpszArgsFormat);
        std::vsnprintf(szArgs, sizeof szArgs, lpszArgsFormat, args);
        va_end(args);
    }
    m_scope.vTrace(false, "%s start%s%s", lpszMethod, lpszArgsFormat ? " " : "", szArgs);
    m_scope.vTrace(true, "%s end", lpszMethod);
}

CPlugTrace::~CPlugTrace() = default;

void vPlugTrace(const char* lpszFormat, ...)
{
    FdMisc::CTxtFileLogger* lpLog = lpLogger();
    if (!lpLog || !lpLog->boIsEnabled())
        return;
    char szLine[kLineMax + 1];
    va_list args;
    va_start(args, lpszFormat);
    std::vsnprintf(szLine, sizeof szLine, lpszFormat, args);
    va_end(args);
    lpLog->vLog(szLine, -1, 0, true);
}

const char* lpszCurrentTraceLabel()
{
    for (int i = (t_depth < PlugTrace::kDepthMax ? t_depth : PlugTrace::kDepthMax) - 1; i >= 0; --i)
    {
        if (t_labels[i])
            return t_labels[i];
    }
    return nullptr;
}
