#include "MyEvtLog.h"

#include <cstdio>

#include "ExceptionBase.h"

namespace FdMisc
{

CMyEvtLog::CMyEvtLog()
{
    for (DWORD i = 0; i < kThreadNames; ++i)
        std::snprintf(m_aszThreadNames[i], sizeof(m_aszThreadNames[i]), "%lu", (unsigned long)i);
}

CMyEvtLog::~CMyEvtLog()
{
    vReleaseEventSource();
}

void CMyEvtLog::vReleaseEventSource()
{
    if (m_hEventSource && !m_boBorrowed)
        DeregisterEventSource(m_hEventSource);
    m_hEventSource = nullptr;
    m_boBorrowed = false;
}

bool CMyEvtLog::boRegisterEventSource(const char* lpszSource)
{
    vReleaseEventSource();
    m_hEventSource = RegisterEventSourceA(nullptr, lpszSource);
    return m_hEventSource != nullptr;
}

void CMyEvtLog::vBorrowEventSource(HANDLE hSource)
{
    vReleaseEventSource();
    m_hEventSource = hSource;
    m_boBorrowed = true;
}

bool CMyEvtLog::boReport(WORD, DWORD, const char*)
{
    return true;
}

void CMyEvtLog::vSetThreadName(DWORD dwThreadId, const char* lpszName)
{
    if (dwThreadId < kThreadNames)
        FdBase::vCopyBounded(m_aszThreadNames[dwThreadId], kThreadNameMax, lpszName);
}

const char* CMyEvtLog::lpszGetThreadName(DWORD dwThreadId) const
{
    return dwThreadId < kThreadNames ? m_aszThreadNames[dwThreadId] : "THRDIDOUTOFRANGE";
}

} // namespace FdMisc
