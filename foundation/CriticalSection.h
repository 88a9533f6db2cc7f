#pragma once
// The suite's lock: a re-entrant Windows critical section and its scoped guard.
#include <windows.h>

namespace FdSystem
{

class CCriticalSection
{
public:
    CCriticalSection() { InitializeCriticalSection(&m_cs); }
    ~CCriticalSection() { DeleteCriticalSection(&m_cs); }
    CCriticalSection(const CCriticalSection&) = delete;
    CCriticalSection& operator=(const CCriticalSection&) = delete;

    void vEnter() { EnterCriticalSection(&m_cs); }
    void vLeave() { LeaveCriticalSection(&m_cs); }

private:
    CRITICAL_SECTION m_cs;
};

class CAutoLock
{
public:
    explicit CAutoLock(CCriticalSection* lpLock) : m_lpLock(lpLock) { m_lpLock->vEnter(); }
    ~CAutoLock() { m_lpLock->vLeave(); }
    CAutoLock(const CAutoLock&) = delete;
    CAutoLock& operator=(const CAutoLock&) = delete;

private:
    CCriticalSection* m_lpLock;
};

} // namespace FdSystem
