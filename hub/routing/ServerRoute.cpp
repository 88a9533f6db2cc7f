#include "ServerRoute.h"

#include "ServerHeader.h"
#include "ServerShortForms.h"

namespace HubRouting
{

using namespace HubProto;

namespace
{

bool boIsForHub(uint32_t dwDstId, uint32_t dwHubId)
{
    return dwDstId == kServiceChannelId || dwDstId == dwHubId;
}

} // namespace

SServerRoute RouteServerMessage(const uint8_t* msg, uint32_t ulSize, uint32_t dwHubId)
{
    SServerRoute route;
    if (msg == nullptr || ulSize == 0)
        return route;
    if (boIsShortForm(msg[0]))
    {
        ShortDatagram d;
        if (!boDecodeShortDatagram(msg, ulSize, d))
            return route;
        route.boShort = true;
        route.bChannel = d.bChannel;
        route.data = d.data;
        route.eRoute = d.bChannel == kServiceChannelId ? ERoute::Service : ERoute::Channel;
        return route;
    }
    if (ulSize < kServerHeaderLen)
        return route;
    const SERVER_HEADER h = ReadServerHeader(msg);
    route.dwDstId = h.DstId;
    route.dwSeqNum = h.SeqNum;
    route.data = ByteSpan{msg + kServerHeaderLen, ulSize - kServerHeaderLen};
    const uint8_t flags = bFlagsByte(h);
    if (flags & kFlagAnswer)
    {
        route.boPopTag = true;
        if (flags & kFlagAckOnly)
        {
            if (h.DstId < kServiceChannelId)
            {
                route.eRoute = ERoute::ChannelAck;
                route.bChannel = uint8_t(h.DstId);
            }
            else if (boIsForHub(h.DstId, dwHubId))
                route.eRoute = ERoute::Service;
            return route;
        }
    }
    if (boIsForHub(h.DstId, dwHubId))
        route.eRoute = ERoute::Service;
    else if (h.DstId < kServiceChannelId)
    {
        route.eRoute = ERoute::Channel;
        route.bChannel = uint8_t(h.DstId);
    }
    else
        route.eRoute = ERoute::ByDstId;
    return route;
}

} // namespace HubRouting
