#include "TaskQueue.h"

#include <algorithm>

namespace HubRouting
{

namespace
{

// Tick counts wrap: compare by the signed distance.
bool boHasPassed(uint32_t dwDue, uint32_t dwNow)
{
    return int32_t(dwNow - dwDue) >= 0;
}

uint32_t dwDueAfter(uint32_t dwNow, uint32_t dwDelay)
{
    const uint32_t due = dwNow + dwDelay;
    return due == 0 ? 1 : due;
}

} // namespace

bool CTaskQueue::boQueue(uint32_t dwId, void* lpData, uint32_t dwDelay, bool boRepeat, uint32_t dwNow)
{
    m_tasks.erase(std::remove_if(m_tasks.begin(), m_tasks.end(),
                                 [&](const STask& t)
                                 { return t.dwId == dwId && t.lpData == lpData && t.boRepeat == boRepeat; }),
                  m_tasks.end());
    STask task;
    task.dwId = dwId;
    task.lpData = lpData;
    task.dwDelay = dwDelay;
    task.boRepeat = boRepeat;
    task.dwDue = dwDelay == 0 ? 0 : dwDueAfter(dwNow, dwDelay);
    m_tasks.push_back(task);
    return dwDelay == 0;
}

std::vector<STask> CTaskQueue::TakeDue(uint32_t dwNow)
{
    std::vector<STask> out;
    for (int pass = 0; pass < 2; ++pass)
    {
        const bool atOnce = pass == 0;
        for (auto it = m_tasks.begin(); it != m_tasks.end();)
        {
            const bool due = atOnce ? it->dwDue == 0 : it->dwDue != 0 && boHasPassed(it->dwDue, dwNow);
            if (!due)
            {
                ++it;
                continue;
            }
            out.push_back(*it);
            if (it->boRepeat && it->dwDelay != 0)
            {
                it->dwDue = dwDueAfter(dwNow, it->dwDelay);
                ++it;
            }
            else
                it = m_tasks.erase(it);
        }
    }
    return out;
}

std::vector<STask> CTaskQueue::TakeAll()
{
    std::vector<STask> out;
    out.swap(m_tasks);
    return out;
}

uint32_t CTaskQueue::dwTimeToNext(uint32_t dwNow, uint32_t dwCap) const
{
    uint32_t wait = dwCap;
    for (const STask& t : m_tasks)
    {
        if (t.dwDue == 0 || boHasPassed(t.dwDue, dwNow))
            return 0;
        wait = std::min(wait, t.dwDue - dwNow);
    }
    return wait;
}

} // namespace HubRouting
