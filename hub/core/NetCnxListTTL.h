// A link's list of pending messages, ticked by its own thread
// ("NetCnxListTLL"). Each tick runs under the link's message lock; the
// expiries it finds are reported once that lock is released.
#pragma once

#include <winsock2.h>

#include <cstdint>

#include "ListTTL2.h"
#include "NetCnx.h"
#include "SpawnThread.h"

class CNetCnx::CNetCnxListTTL : public FdMisc::CListTTL2
{
public:
    explicit CNetCnxListTTL(CNetCnx& owner);
    ~CNetCnxListTTL() override;

    // Initialises the list (max delay CNetCnx::kMaxDelayMs, times in ms) and
    // starts the tick thread.
    bool boStart(uint32_t dwTickMs);
    // Stops the tick thread (waiting) and empties the list.
    void vStopTicks();

private:
    class CTickThread : public FdSystem::CSpawnThread
    {
    public:
        CTickThread(CNetCnx& owner, uint32_t dwTickMs) : m_owner(owner), m_dwTickMs(dwTickMs) {}
        ~CTickThread() override { vStop(true); }

    protected:
        DWORD dwThread() override;

    private:
        CNetCnx& m_owner;
        uint32_t m_dwTickMs;
    };

    CNetCnx& m_owner;
    std::unique_ptr<CTickThread> m_thread;
};
