// Messages from the hub to client programs: encoders (used by the hub's LPC
// server) and the decoder (used by the hub client library).
#pragma once

#include <cstdint>
#include <vector>

#include "LpcLetters.h"
#include "WireBytes.h"

namespace HubProto
{

constexpr uint32_t kLpcConnSucceededLen = 27;      // with the size limits (extra 1)
constexpr uint32_t kLpcConnSucceededShortLen = 15; // an 'a' without them (extra 0)
constexpr uint32_t kLpcConnFailedLen = 14;
constexpr uint32_t kLpcDstIdRefusedLen = 12;
constexpr uint32_t kLpcRecvMessageFixedLen = 13;
constexpr uint32_t kLpcChannelNoticeLen = 9; // f g h i n o p
constexpr uint32_t kLpcRecvMessageDstIdFixedLen = 17;
constexpr uint32_t kLpcTagNoticeLen = 13; // k l m

// Message id of a 'd' or 'j' that answers no identified message.
constexpr uint32_t kNoMessageId = 0xFFFFFFFF;

// Largest data of an 'S' over UDP, of an 'F' and of a 'Q' on a server link.
struct LpcSizeLimits
{
    uint32_t dwUdpMessage = 0;
    uint32_t dwShort = 0;
    uint32_t dwShortUdp = 0;
};

// Encoders return the whole message; those with data return an empty vector
// when the message would exceed kMaxMessageSize.
std::vector<uint8_t> EncodeLpcConnectionSucceeded(uint32_t serverIp, uint16_t serverPort, uint8_t channel,
                                                  const LpcSizeLimits& limits);
std::vector<uint8_t> EncodeLpcConnectionFailed(uint32_t serverIp, uint16_t serverPort);
std::vector<uint8_t> EncodeLpcDstIdRefused(uint32_t dstId);
std::vector<uint8_t> EncodeLpcRecvMessageHead(uint8_t channel, uint32_t messageId, uint32_t dataLen);
std::vector<uint8_t> EncodeLpcRecvMessage(uint8_t channel, uint32_t messageId, const uint8_t* data,
                                          uint32_t dataLen);
std::vector<uint8_t> EncodeLpcRecvMessageDstIdHead(uint8_t channel, uint32_t dstId, uint32_t messageId,
                                                   uint32_t dataLen);
std::vector<uint8_t> EncodeLpcRecvMessageDstId(uint8_t channel, uint32_t dstId, uint32_t messageId,
                                               const uint8_t* data, uint32_t dataLen);
std::vector<uint8_t> EncodeLpcCnxClosed(uint8_t channel);
std::vector<uint8_t> EncodeLpcChannelClosed(uint8_t channel);
std::vector<uint8_t> EncodeLpcCnxReconnected(uint8_t channel);
std::vector<uint8_t> EncodeLpcCnxLost(uint8_t channel);
std::vector<uint8_t> EncodeLpcBindReceived(uint8_t channel);
std::vector<uint8_t> EncodeLpcBindTimeout(uint8_t channel);
std::vector<uint8_t> EncodeLpcBingReceived(uint8_t channel);
std::vector<uint8_t> EncodeLpcAckableTimeout(uint8_t channel, uint32_t tag);
std::vector<uint8_t> EncodeLpcResponseAck(uint8_t channel, uint32_t tag);
std::vector<uint8_t> EncodeLpcIdentifiedTimeout(uint8_t channel, uint32_t tag);

// One decoded hub message; which fields hold values depends on the letter.
struct LpcHubMessage
{
    uint8_t bMsgId = 0;
    uint32_t dwServerIp = 0;             // a b
    uint16_t wServerPort = 0;            // a b
    uint8_t bChannel = kNoChannel;       // a d f..p
    bool boHasSizeLimits = false;        // a
    LpcSizeLimits limits;                // a, when boHasSizeLimits
    uint32_t dwDstId = 0;                // c j
    uint32_t dwMessageId = kNoMessageId; // d j
    uint32_t dwTag = 0;                  // k l m
    ByteSpan data;                       // d j: borrowed from the message
};

// Decodes one whole message of msgLen bytes (as cut from the stream).
LpcDecodeStatus DecodeLpcHubMessage(const uint8_t* msg, uint32_t msgLen, LpcHubMessage& out);

} // namespace HubProto
