#include "DisconnectCause.h"

#include "LpcLetters.h"

namespace HubRouting
{

uint8_t bCauseLetter(int iCause)
{
    switch (iCause)
    {
    case kCauseClosed:
    case kCauseFresh:
        return HubProto::LPC_CHANNEL_CLOSED;
    case kCauseAborted:
        return HubProto::LPC_CNX_CLOSED;
    case kCauseLost:
        return HubProto::LPC_CNX_LOST;
    default:
        return 0;
    }
}

} // namespace HubRouting
