// The three size limits that 'a' gives a client program, from the largest
// datagram M of the server link's UDP socket.
#pragma once

#include <cstdint>

#include "LpcHubMessages.h"

namespace HubRouting
{

// M - 34 (data of a full message), M - 2 (of a 0x80 datagram), M - 3 (of a
// 0x81 datagram); 0 where M is too small (or unknown: 0).
HubProto::LpcSizeLimits LimitsFromMaxDatagram(uint32_t ulMaxDatagram);

} // namespace HubRouting
