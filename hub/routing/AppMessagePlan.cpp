#include "AppMessagePlan.h"

namespace HubRouting
{

EAfterSend NextAfterSend(uint32_t& dwSendsLeft, bool boWaitForAnswer)
{
    if (dwSendsLeft == kEndlessSends)
        return EAfterSend::Repeat;
    if (dwSendsLeft > 1)
    {
        --dwSendsLeft;
        return EAfterSend::Repeat;
    }
    dwSendsLeft = 0;
    return boWaitForAnswer ? EAfterSend::Await : EAfterSend::Drop;
}

} // namespace HubRouting
