#include "NetCnxListTTL.h"

#include "HubTrace.h"

CNetCnx::CNetCnxListTTL::CNetCnxListTTL(CNetCnx& owner) : FdMisc::CListTTL2(kManualTick), m_owner(owner) {}

CNetCnx::CNetCnxListTTL::~CNetCnxListTTL()
{
    vStopTicks();
}

bool CNetCnx::CNetCnxListTTL::boStart(uint32_t dwTickMs)
{
    if (!boInitMethod(kMaxDelayMs, dwTickMs, &CNetCnx::vExpiredThunk, reinterpret_cast<uintptr_t>(&m_owner),
                      1))
        return false;
    m_thread.reset(new CTickThread(m_owner, dwTickMs));
    return m_thread->boStart();
}

void CNetCnx::CNetCnxListTTL::vStopTicks()
{
    // Outside the message lock: a tick in progress needs it to finish.
    if (m_thread)
        m_thread->vStop(true);
    vClose();
}

DWORD CNetCnx::CNetCnxListTTL::CTickThread::dwThread()
{
    HubTrace::vNameThread("NetCnxListTLL");
    for (;;)
    {
        const DWORD r = WaitForSingleObject(hGetStopEvent(), m_dwTickMs);
        if (r != WAIT_TIMEOUT)
            return 0;
        m_owner.vTickMessages();
    }
}
