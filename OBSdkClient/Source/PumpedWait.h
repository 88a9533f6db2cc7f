// The library's blocking waits (connect to the hub, channel open) pump the
// calling thread's messages while they wait, so the reader runs nested in
// them. Their time-out is a budget counted down across wake-ups: messages
// that keep arriving (a 200 ms tick) cannot make the wait last for ever.
#pragma once

#include <cstdint>

namespace OBSdkClient
{

enum class EWake
{
    Signalled, // the awaited event
    Input,     // a message arrived for the thread
    Timeout,
};

class IPumpedWaitHost
{
public:
    virtual ~IPumpedWaitHost() = default;
    // Dispatches the messages waiting for the thread.
    virtual void vPump() = 0;
    // True once what the wait is for has happened.
    virtual bool boDone() = 0;
    // Sleeps until the event, a message or the time-out.
    virtual EWake Wait(uint32_t dwMs) = 0;
    // Milliseconds, wrapping like the system tick count.
    virtual uint32_t dwTickCount() = 0;
};

// True when it ended done or signalled, false when `dwBudgetMs` ran out.
// Each wake-up by a message costs its elapsed time, at least 1 ms.
bool boPumpedWait(IPumpedWaitHost& host, uint32_t dwBudgetMs);

} // namespace OBSdkClient
