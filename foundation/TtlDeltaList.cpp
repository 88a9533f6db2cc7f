#include "TtlDeltaList.h"

namespace FdMisc
{

void CTtlDeltaList::vInsert(CTTLItem* lpItem, uint32_t dwDelayMs, uint8_t bFlag)
{
    if (!lpItem)
        return;
    if (lpItem->boIsLinked())
        vRemove(lpItem);
    const uint32_t delay = dwDelayMs >= m_dwMaxDelay ? m_dwMaxDelay : dwDelayMs;
    lpItem->bFlag = bFlag;
    lpItem->dwDelay = delay;
    lpItem->ullWalkStamp = m_ullWalk;
    ++m_ulCount;

    if (!m_lpHead)
    {
        lpItem->lDelta = (int32_t)delay;
        lpItem->lpPrev = lpItem;
        lpItem->lpNext = nullptr;
        m_lpHead = lpItem;
        m_dwTailTime = delay;
        return;
    }

    // Deadlines can be negative while expired items wait for the walk; keep the sums wide.
    int64_t acc = 0;
    for (CTTLItem* x = m_lpHead; x; x = x->lpNext)
    {
        const int64_t deadline = acc + x->lDelta;
        const bool before = bFlag == 1 ? deadline > (int64_t)delay : deadline >= (int64_t)delay;
        if (before)
        {
            lpItem->lDelta = (int32_t)((int64_t)delay - acc);
            x->lDelta -= lpItem->lDelta;
            lpItem->lpNext = x;
            lpItem->lpPrev = x->lpPrev;
            if (x == m_lpHead)
                m_lpHead = lpItem;
            else
                x->lpPrev->lpNext = lpItem;
            x->lpPrev = lpItem;
            if (x == m_lpCursor)
                m_lpCursor = lpItem;
            return;
        }
        acc = deadline;
    }

    CTTLItem* tail = m_lpHead->lpPrev;
    lpItem->lDelta = (int32_t)((int64_t)delay - acc);
    lpItem->lpPrev = tail;
    lpItem->lpNext = nullptr;
    tail->lpNext = lpItem;
    m_lpHead->lpPrev = lpItem;
    m_dwTailTime = delay;
}

void CTtlDeltaList::vRemove(CTTLItem* lpItem)
{
    if (!lpItem)
        return;
    if (lpItem == m_lpCursor)
        m_lpCursor = lpItem->lpNext;
    if (!lpItem->boIsLinked())
        return;

    CTTLItem* next = lpItem->lpNext;
    if (next)
    {
        next->lDelta += lpItem->lDelta;
        next->lpPrev = lpItem->lpPrev; // the head's previous stays on the tail
    }
    else
    {
        const int64_t tail = (int64_t)m_dwTailTime - lpItem->lDelta;
        m_dwTailTime = tail > 0 ? (uint32_t)tail : 0;
    }
    if (lpItem == m_lpHead)
    {
        m_lpHead = next;
    }
    else
    {
        lpItem->lpPrev->lpNext = next;
        if (!next)
            m_lpHead->lpPrev = lpItem->lpPrev; // removed the tail
    }
    lpItem->lpPrev = lpItem->lpNext = nullptr;
    --m_ulCount;
}

CTTLItem* CTtlDeltaList::lpGetFirst(bool boUnlink)
{
    CTTLItem* head = m_lpHead;
    if (head && boUnlink)
        vRemove(head);
    return head;
}

void CTtlDeltaList::vClear()
{
    for (CTTLItem* x = m_lpHead; x;)
    {
        CTTLItem* next = x->lpNext;
        x->lpPrev = x->lpNext = nullptr;
        x = next;
    }
    m_lpHead = m_lpCursor = nullptr;
    m_ulCount = 0;
    m_dwTailTime = 0;
}

void CTtlDeltaList::vExpire(CTTLItem* lpItem)
{
    if (m_pfn)
        m_pfn(lpItem);
    else if (m_pfnCtx)
        m_pfnCtx(lpItem, m_ulContext);
}

void CTtlDeltaList::vTick(uint32_t dwTickMs)
{
    if (!m_lpHead || m_ullWalk != 0)
        return; // nothing to age; a callback's own tick never nests a walk
    m_lpHead->lDelta -= (int32_t)dwTickMs;
    m_dwTailTime = m_dwTailTime > dwTickMs ? m_dwTailTime - dwTickMs : 0;

    m_ullWalk = ++m_ullWalks;
    // Every item the walk reaches has a deadline no later than the one before it, so a
    // delta of 0 or less means expired (a removed item's negative delta passes to its successor).
    CTTLItem* x = m_lpHead;
    while (x && x->lDelta <= 0)
    {
        m_lpCursor = x->lpNext;
        if (x->ullWalkStamp != m_ullWalk)
            vExpire(x);
        x = m_lpCursor;
    }
    m_lpCursor = nullptr;
    m_ullWalk = 0;
}

} // namespace FdMisc
