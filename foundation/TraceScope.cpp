#include "TraceScope.h"

#include <cstdarg>
#include <cstdio>

namespace FdLib
{

CTraceScope::CTraceScope(FdMisc::CTxtFileLogger* lpLogger, uint32_t dwLevel, bool boHeader)
    : m_lpLogger(lpLogger), m_dwLevel(dwLevel), m_boHeader(boHeader)
{
}

CTraceScope::~CTraceScope()
{
    if (!m_lpLogger)
        return;
    if (m_boIndented)
        m_lpLogger->vAddIndent(-kIndentStep);
    m_lpLogger->vLog(m_szEndLine, -1, m_dwLevel, m_boHeader);
}

void CTraceScope::vTrace(bool boAtEnd, const char* lpszFormat, ...)
{
    if (!m_lpLogger || !lpszFormat)
        return;
    char line[kLineMax + 1];
    va_list args;
    va_start(args, lpszFormat);
    const int r = std::vsnprintf(line, sizeof(line), lpszFormat, args);
    va_end(args);
    if (r < 0)
        line[0] = '\0';
    if (boAtEnd)
    {
        std::snprintf(m_szEndLine, sizeof(m_szEndLine), "%s", line);
    }
    else
    {
        m_lpLogger->vLog(line, -1, m_dwLevel, m_boHeader);
        if (m_boIndentPending)
        {
            m_lpLogger->vAddIndent(kIndentStep);
            m_boIndented = true;
        }
    }
    m_boIndentPending = false;
}

} // namespace FdLib
