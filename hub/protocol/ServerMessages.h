// Full messages of the server protocol that the hub builds, and the checks it
// makes on what servers answer.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "ServerHeader.h"

namespace HubProto
{

// Header + data (+ the member id again behind the data when asked), SeqNum 0
// until sending (vPatchSeqNum). Empty when it would exceed kMaxMessageSize.
std::vector<uint8_t> BuildServerMessage(uint32_t srcId, uint32_t dstId, uint16_t flags,
                                        const IoMemberId& memberId, const uint8_t* data, uint32_t dataLen,
                                        bool appendMemberId);

// Registration: the pseudo, without terminator, to "INIT" with flags 2.
std::vector<uint8_t> BuildInitMessage(uint32_t hubId, const IoMemberId& memberId, const uint8_t* pseudo,
                                      uint32_t pseudoLen);
// Keep-alive: empty, to "KAKA", flags 0.
std::vector<uint8_t> BuildKeepAlive(uint32_t hubId, const IoMemberId& memberId);

// Data of the hub's "BIND" request: the DstId then the channel.
constexpr uint32_t kBindDataLen = 5;
std::array<uint8_t, kBindDataLen> BindData(uint32_t dstId, uint8_t channel);

// A registration reply is refused when it is addressed to another id than the
// hub's and its flags byte is above 127.
bool boIsInitReplyAccepted(const SERVER_HEADER& reply, uint32_t hubId);

} // namespace HubProto
