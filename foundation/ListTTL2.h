#pragma once
// Time-to-live list: a delta list aged by its own tick thread. Expired items go to the
// callback on the tick thread, under the list's lock; the callback removes or re-inserts
// them and may call the list's operations (the lock is re-entrant on one thread), but must
// not wait for another thread that needs the list.
#include <windows.h>

#include <atomic>
#include <cstdint>

#include "CriticalSection.h"
#include "SpawnThread.h"
#include "TtlDeltaList.h"

namespace FdMisc
{

class CListTTL2
{
public:
    typedef CTtlDeltaList::PFN_EXPIRED PFN_EXPIRED;
    typedef CTtlDeltaList::PFN_EXPIRED_CTX PFN_EXPIRED_CTX;
    enum ETickMode
    {
        kTickThread, // boInit starts the tick thread
        kManualTick  // no thread: the owner calls vTick (tests, or an owner with its own timer)
    };

    explicit CListTTL2(ETickMode eMode = kTickThread);
    // Closes the list. A subclass with its own thread hooks calls vClose in its destructor.
    virtual ~CListTTL2();
    CListTTL2(const CListTTL2&) = delete;
    CListTTL2& operator=(const CListTTL2&) = delete;

    // Times are milliseconds with the unit flag 1, else seconds. False when the tick thread
    // cannot start.
    bool boInit(uint32_t dwMaxDelay, uint32_t dwTick, PFN_EXPIRED pfnCallback, uint8_t bUnitFlag);
    bool boInitMethod(uint32_t dwMaxDelay, uint32_t dwTick, PFN_EXPIRED_CTX pfnCallback, uintptr_t ulContext,
                      uint8_t bUnitFlag);

    // Every operation below does nothing while the list is not initialised.
    // Delay in ms; -1 (or any delay not below the max) means the max delay.
    void vInsert(CTTLItem* lpItem, uint32_t dwDelayMs, uint8_t bFlag);
    void vRemove(CTTLItem* lpItem);
    CTTLItem* lpGetFirst(bool boUnlink);
    // Stops the tick thread (bounded wait), unlinks every item, clears initialised and count.
    void vClose();
    // True suspends, false resumes; the tick does nothing while the count is above 0.
    // Returns the new count (never below 0).
    long lSuspend(bool boSuspend);
    // One tick now: what the tick thread does every tick ms.
    void vTick();

    uint32_t ulGetCount();
    bool boIsInitialised() const { return m_boInit; }
    uint32_t dwGetTickMs() const { return m_dwTick; }
    // The bounded wait for the tick thread in vClose (8000 ms unless changed).
    void vSetStopWait(DWORD dwMs) { m_thread.vSetStopWait(dwMs); }

protected:
    // Called once on the tick thread when it starts, and once when it ends.
    virtual void vOnTickThreadStart() {}
    virtual void vOnTickThreadEnd() {}

private:
    class CTickThread : public FdSystem::CSpawnThread
    {
    public:
        explicit CTickThread(CListTTL2* lpList) : m_lpList(lpList) {}

    protected:
        DWORD dwThread() override;

    private:
        CListTTL2* m_lpList;
    };

    bool boStartList(uint32_t dwMaxDelay, uint32_t dwTick, uint8_t bUnitFlag);

    ETickMode m_eMode;
    FdSystem::CCriticalSection m_lock;
    CTtlDeltaList m_list;
    volatile LONG m_lSuspend = 0;
    std::atomic<bool> m_boInit{false};
    uint32_t m_dwTick = 0;
    CTickThread m_thread;
};

} // namespace FdMisc
