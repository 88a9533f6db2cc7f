// Where a message that a server sent on a registered link goes: to a channel,
// to the hub itself (service message), as an acknowledgement to a channel,
// or to the channel that attached its destination id.
#pragma once

#include <cstdint>

#include "WireBytes.h"

namespace HubRouting
{

enum class ERoute
{
    Drop,       // too short for its form, or an acknowledgement to nobody
    Channel,    // 'd' to the channel when it is one of the link's, else by DstId
    Service,    // a service message for the hub
    ChannelAck, // 'l' to the channel
    ByDstId,    // 'j' to the channel that attached the DstId
};

struct SServerRoute
{
    ERoute eRoute = ERoute::Drop;
    bool boShort = false;  // a 0x80/0x81 datagram
    uint8_t bChannel = 0;  // Channel, ChannelAck
    uint32_t dwDstId = 0;  // full messages
    bool boPopTag = false; // it answers an identified message: look its tag up by SeqNum
    uint32_t dwSeqNum = 0;
    HubProto::ByteSpan data; // after the header, borrowed
};

// `msg` is one whole message as cut from the stream or the datagram.
SServerRoute RouteServerMessage(const uint8_t* msg, uint32_t ulSize, uint32_t dwHubId);

} // namespace HubRouting
