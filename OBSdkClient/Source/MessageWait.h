// How the library's pumped waits sleep and read the time: the system's by
// default. A test puts its own in place to shorten the waits.
#pragma once

#include <windows.h>

#include <cstdint>

#include "PumpedWait.h"

namespace OBSdkClient
{

class IMessageWait
{
public:
    virtual ~IMessageWait() = default;
    // As MsgWaitForMultipleObjects on one handle with QS_ALLINPUT.
    virtual DWORD dwMsgWait(HANDLE hEvent, DWORD dwMs) = 0;
    virtual uint32_t dwTickCount() = 0;
};

IMessageWait& MessageWait();
// Null puts the system's back. Set it while no wait runs.
void vSetMessageWait(IMessageWait* lpWait);

// One event waited for through MessageWait(); WAIT_FAILED counts as a time-out.
EWake WaitForEventOrInput(HANDLE hEvent, uint32_t dwMs);

} // namespace OBSdkClient
