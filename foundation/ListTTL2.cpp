#include "ListTTL2.h"

namespace FdMisc
{

CListTTL2::CListTTL2(ETickMode eMode) : m_eMode(eMode), m_thread(this) {}

CListTTL2::~CListTTL2()
{
    vClose();
}

bool CListTTL2::boStartList(uint32_t dwMaxDelay, uint32_t dwTick, uint8_t bUnitFlag)
{
    vClose();
    const uint32_t scale = bUnitFlag == 1 ? 1 : 1000;
    {
        FdSystem::CAutoLock lock(&m_lock);
        m_list.vClear();
        m_list.vSetMaxDelay(dwMaxDelay * scale);
        m_dwTick = dwTick * scale;
        m_boInit = true;
    }
    if (m_eMode == kManualTick)
        return true;
    if (m_thread.boStart())
        return true;
    m_boInit = false;
    return false;
}

bool CListTTL2::boInit(uint32_t dwMaxDelay, uint32_t dwTick, PFN_EXPIRED pfnCallback, uint8_t bUnitFlag)
{
    {
        FdSystem::CAutoLock lock(&m_lock);
        m_list.vSetCallback(pfnCallback);
        m_list.vSetCallback(nullptr, 0);
    }
    return boStartList(dwMaxDelay, dwTick, bUnitFlag);
}

bool CListTTL2::boInitMethod(uint32_t dwMaxDelay, uint32_t dwTick, PFN_EXPIRED_CTX pfnCallback,
                             uintptr_t ulContext, uint8_t bUnitFlag)
{
    {
        FdSystem::CAutoLock lock(&m_lock);
        m_list.vSetCallback(static_cast<PFN_EXPIRED>(nullptr));
        m_list.vSetCallback(pfnCallback, ulContext);
    }
    return boStartList(dwMaxDelay, dwTick, bUnitFlag);
}

void CListTTL2::vInsert(CTTLItem* lpItem, uint32_t dwDelayMs, uint8_t bFlag)
{
    FdSystem::CAutoLock lock(&m_lock);
    if (m_boInit)
        m_list.vInsert(lpItem, dwDelayMs, bFlag);
}

void CListTTL2::vRemove(CTTLItem* lpItem)
{
    FdSystem::CAutoLock lock(&m_lock);
    if (m_boInit)
        m_list.vRemove(lpItem);
}

CTTLItem* CListTTL2::lpGetFirst(bool boUnlink)
{
    FdSystem::CAutoLock lock(&m_lock);
    return m_boInit ? m_list.lpGetFirst(boUnlink) : nullptr;
}

uint32_t CListTTL2::ulGetCount()
{
    FdSystem::CAutoLock lock(&m_lock);
    return m_list.ulGetCount();
}

void CListTTL2::vClose()
{
    // Outside the lock: the tick thread may need it to finish its walk.
    m_thread.vStop(true);
    FdSystem::CAutoLock lock(&m_lock);
    m_list.vClear();
    m_boInit = false;
}

long CListTTL2::lSuspend(bool boSuspend)
{
    if (boSuspend)
        return InterlockedIncrement(&m_lSuspend);
    for (;;)
    {
        const LONG cur = m_lSuspend;
        if (cur <= 0)
            return 0; // an unmatched resume must not leave the list suspended for ever
        if (InterlockedCompareExchange(&m_lSuspend, cur - 1, cur) == cur)
            return cur - 1;
    }
}

void CListTTL2::vTick()
{
    if (!m_boInit || m_lSuspend != 0)
        return;
    FdSystem::CAutoLock lock(&m_lock);
    if (m_boInit)
        m_list.vTick(m_dwTick);
}

DWORD CListTTL2::CTickThread::dwThread()
{
    m_lpList->vOnTickThreadStart();
    for (;;)
    {
        const DWORD r = WaitForSingleObject(hGetStopEvent(), m_lpList->m_dwTick);
        if (r == WAIT_TIMEOUT)
            m_lpList->vTick();
        else if (r == WAIT_OBJECT_0 || r == WAIT_FAILED)
            break;
    }
    m_lpList->vOnTickThreadEnd();
    return 0;
}

} // namespace FdMisc
