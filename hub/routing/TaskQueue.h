// Tasks that other threads hand to the LPC thread, each due at a tick count
// (0: as soon as possible). Times are the system's wrapping millisecond ticks.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace HubRouting
{

struct STask
{
    uint32_t dwId = 0;
    void* lpData = nullptr;
    uint32_t dwDue = 0; // 0: at once
    uint32_t dwDelay = 0;
    bool boRepeat = false;
};

class CTaskQueue
{
public:
    // Queues a task, first removing a queued one of the same id, data and
    // repeat flag. Delay 0 makes it due at once (true returned: wake the
    // thread). A due time that falls on 0 is moved to 1.
    bool boQueue(uint32_t dwId, void* lpData, uint32_t dwDelay, bool boRepeat, uint32_t dwNow);
    // The tasks to run now: every one due at once, then every one whose due
    // time has passed, in queue order. Repeating tasks are moved on by their
    // delay and stay; the others leave the queue.
    std::vector<STask> TakeDue(uint32_t dwNow);
    // Every queued task, in queue order; the queue is left empty.
    std::vector<STask> TakeAll();
    // Milliseconds until the earliest task is due (0 when one is due now),
    // capped at `dwCap`.
    uint32_t dwTimeToNext(uint32_t dwNow, uint32_t dwCap) const;
    size_t ulSize() const { return m_tasks.size(); }

private:
    std::vector<STask> m_tasks;
};

} // namespace HubRouting
