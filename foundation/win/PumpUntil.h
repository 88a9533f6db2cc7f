// Message pumping of the calling thread.
#pragma once

#include <windows.h>

#include <functional>

namespace FdWin
{

// How often a pump that waits looks at its condition when no message comes:
// the condition may change on another thread without a message.
constexpr DWORD kPumpPollMs = 10;

// Dispatches the messages waiting for the calling thread (for hFilter and
// its children only when given), without waiting.
void vPumpWaiting(HWND hFilter = nullptr);

// Dispatches the next waiting message of the calling thread, if any; true
// when there was one.
bool boDispatchOne();

// Dispatches the calling thread's messages until `done` holds or dwBoundMs
// passes; true when it held (it is looked at before each message, and once
// more after the messages waiting at the bound). Sleeps between messages,
// waking for each one and every dwPollMs. Under Wine a look at an empty
// queue costs a round trip to the server and a yield, so the queue is only
// read when the wait says a message is there.
bool boPumpUntil(const std::function<bool()>& done, DWORD dwBoundMs, DWORD dwPollMs = kPumpPollMs);

// Dispatches the calling thread's messages for dwMs.
void vPumpFor(DWORD dwMs);

} // namespace FdWin
