#include "SpawnThread.h"

#include <process.h>

namespace FdSystem
{

CSpawnThread::~CSpawnThread()
{
    vStop(true);
    if (m_hThread)
    {
        // Still running after the bounded wait: its code may touch this object.
        WaitForSingleObject(m_hThread, INFINITE);
        vCloseIfEnded(0);
    }
}

unsigned __stdcall CSpawnThread::uThreadProc(void* lpThis)
{
    return static_cast<CSpawnThread*>(lpThis)->dwThread();
}

bool CSpawnThread::boStart()
{
    if (m_hThread)
    {
        vCloseIfEnded(0); // a thread stopped without waiting may have ended since
        if (m_hThread)
            return false;
    }
    if (!m_hStopEvent)
        m_hStopEvent = CreateEventA(nullptr, FALSE, FALSE, nullptr);
    if (!m_hStopEvent)
        return false;
    unsigned id = 0;
    const uintptr_t h = _beginthreadex(nullptr, 0, &CSpawnThread::uThreadProc, this, 0, &id);
    if (h == 0)
        return false;
    m_hThread = reinterpret_cast<HANDLE>(h);
    m_dwThreadId = id;
    return true;
}

void CSpawnThread::vCloseIfEnded(DWORD dwWaitMs)
{
    if (m_hThread && WaitForSingleObject(m_hThread, dwWaitMs) != WAIT_OBJECT_0)
        return;
    if (m_hThread)
        CloseHandle(m_hThread);
    m_hThread = nullptr;
    m_dwThreadId = 0;
    if (m_hStopEvent)
        CloseHandle(m_hStopEvent);
    m_hStopEvent = nullptr;
}

void CSpawnThread::vStop(bool boWait)
{
    if (m_hThread)
    {
        SetEvent(m_hStopEvent);
        if (!boWait)
            return; // the thread may still be waiting on the event: both handles stay
    }
    vCloseIfEnded(m_dwStopWaitMs);
}

bool CSpawnThread::boIsRunning()
{
    return m_hThread && WaitForSingleObject(m_hThread, 0) == WAIT_TIMEOUT;
}

bool boStopAndDelete(CSpawnThread* lpThread)
{
    if (!lpThread)
        return true;
    lpThread->vStop(true);
    if (lpThread->boIsRunning())
        return false;
    delete lpThread;
    return true;
}

bool CThreadTimer::boStart(uint32_t dwPeriodSeconds)
{
    return boStartMs(dwPeriodSeconds * 1000);
}

bool CThreadTimer::boStartMs(uint32_t dwPeriodMs)
{
    m_dwPeriodMs = dwPeriodMs;
    return CSpawnThread::boStart();
}

DWORD CThreadTimer::dwRun()
{
    for (;;)
    {
        const DWORD r = WaitForSingleObject(hGetStopEvent(), m_dwPeriodMs);
        if (r == WAIT_TIMEOUT)
            OnTimer();
        else if (r == WAIT_OBJECT_0 || r == WAIT_FAILED)
            return 0;
    }
}

} // namespace FdSystem
