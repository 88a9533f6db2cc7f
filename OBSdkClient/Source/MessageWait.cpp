#include "MessageWait.h"

namespace OBSdkClient
{

namespace
{

class CSystemWait : public IMessageWait
{
public:
    DWORD dwMsgWait(HANDLE hEvent, DWORD dwMs) override
    {
        return MsgWaitForMultipleObjects(1, &hEvent, FALSE, dwMs, QS_ALLINPUT);
    }
    uint32_t dwTickCount() override { return GetTickCount(); }
};

CSystemWait g_systemWait;
IMessageWait* g_lpWait = &g_systemWait;

} // namespace

IMessageWait& MessageWait()
{
    return *g_lpWait;
}

void vSetMessageWait(IMessageWait* lpWait)
{
    g_lpWait = lpWait != nullptr ? lpWait : &g_systemWait;
}

EWake WaitForEventOrInput(HANDLE hEvent, uint32_t dwMs)
{
    switch (MessageWait().dwMsgWait(hEvent, dwMs))
    {
    case WAIT_OBJECT_0:
        return EWake::Signalled;
    case WAIT_OBJECT_0 + 1:
        return EWake::Input;
    default:
        return EWake::Timeout;
    }
}

} // namespace OBSdkClient
