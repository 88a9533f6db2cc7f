#pragma once
// Delta list of time-to-live items: each item keeps the time after the previous item's
// deadline, so a tick only touches the head. The locked, threaded list is CListTTL2.
#include <cstdint>

namespace FdMisc
{

// Embedded in the user's own record. Linked items have a non-null previous pointer: the
// head's points to the tail, so the tail is found in one step; the tail's next is null.
struct CTTLItem
{
    int32_t lDelta = 0; // ms after the previous item's deadline
    CTTLItem* lpPrev = nullptr;
    CTTLItem* lpNext = nullptr;
    uint8_t bFlag = 0;
    uint32_t dwDelay = 0;      // ms, as inserted
    uint64_t ullWalkStamp = 0; // the expiry walk during which it was inserted, 0 outside one

    bool boIsLinked() const { return lpPrev != nullptr; }
};

class CTtlDeltaList
{
public:
    typedef void (*PFN_EXPIRED)(CTTLItem* lpItem);
    typedef void (*PFN_EXPIRED_CTX)(CTTLItem* lpItem, uintptr_t ulContext);

    // The largest delay; -1 (any delay not below it) means this one.
    void vSetMaxDelay(uint32_t dwMaxDelayMs) { m_dwMaxDelay = dwMaxDelayMs; }
    // The function callback wins when both are set.
    void vSetCallback(PFN_EXPIRED pfn) { m_pfn = pfn; }
    void vSetCallback(PFN_EXPIRED_CTX pfn, uintptr_t ulContext)
    {
        m_pfnCtx = pfn;
        m_ulContext = ulContext;
    }

    // Flag 0: before items of equal deadline; flag 1: after them. An item that is still
    // linked is removed first.
    void vInsert(CTTLItem* lpItem, uint32_t dwDelayMs, uint8_t bFlag);
    // Unlinked items are left alone.
    void vRemove(CTTLItem* lpItem);
    // The head (earliest deadline), removed with the flag; null when empty.
    CTTLItem* lpGetFirst(bool boUnlink);
    // Unlinks every item without calling back.
    void vClear();

    // One tick: moves time on by `dwTickMs` and hands every expired item to the callback,
    // which is expected to remove or re-insert it. Items inserted by a callback during this
    // walk wait for the next tick, so a zero-delay re-insert cannot spin.
    void vTick(uint32_t dwTickMs);

    uint32_t ulGetCount() const { return m_ulCount; }
    uint32_t dwGetTailTime() const { return m_dwTailTime; }
    uint32_t dwGetMaxDelay() const { return m_dwMaxDelay; }
    CTTLItem* lpGetHead() const { return m_lpHead; }

private:
    void vExpire(CTTLItem* lpItem);

    CTTLItem* m_lpHead = nullptr;
    CTTLItem* m_lpCursor = nullptr; // next item to examine during a walk
    uint32_t m_ulCount = 0;
    uint32_t m_dwMaxDelay = 0;
    uint32_t m_dwTailTime = 0;
    uint64_t m_ullWalk = 0;  // stamp of the running walk, 0 when none
    uint64_t m_ullWalks = 0; // walks so far
    PFN_EXPIRED m_pfn = nullptr;
    PFN_EXPIRED_CTX m_pfnCtx = nullptr;
    uintptr_t m_ulContext = 0;
};

} // namespace FdMisc
