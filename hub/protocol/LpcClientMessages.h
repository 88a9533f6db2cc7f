// Requests from client programs to the hub: encoders (used by the hub client
// library) and the decoder (used by the hub's LPC server).
#pragma once

#include <cstdint>
#include <vector>

#include "LpcLetters.h"
#include "WireBytes.h"

namespace HubProto
{

// Whole lengths of the fixed messages; minimum lengths of those with data.
constexpr uint32_t kLpcConnectLen = 18;
constexpr uint32_t kLpcDisconnectLen = 9;
constexpr uint32_t kLpcSendMessageFixedLen = 29;
constexpr uint32_t kLpcSendShortFixedLen = 9;
// 'Q' repeats its first data byte in the datagram's header: one byte is needed.
constexpr uint32_t kLpcSendShortUdpFixedLen = 10;
constexpr uint32_t kLpcAddDstIdLen = 13;
constexpr uint32_t kLpcBindLen = 13;
constexpr uint32_t kLpcUnbindLen = 9;
constexpr uint32_t kLpcSetReconnParamsLen = 24;

// Routing fields of an 'S'.
struct LpcSendParams
{
    uint32_t dwDstId = 0;
    uint8_t bFlags = 0;
    uint8_t bPortType = kLpcPortTcp;
    uint16_t wRepetitions = 0;
    uint32_t dwTimeBeforeSend = 0; // ms
    uint32_t dwTimeBetween = 0;    // ms between repetitions
    uint8_t bChannel = kNoChannel;
    uint32_t dwMessageId = 0xFFFFFFFF;
};

// Encoders return the whole message. Those with data return an empty vector
// when the message would exceed kMaxMessageSize (no peer could receive it).
std::vector<uint8_t> EncodeLpcConnect(uint32_t timeoutMs, uint32_t serverIp, uint16_t serverPort);
std::vector<uint8_t> EncodeLpcDisconnect(uint8_t channel);
// Header and fixed fields of an 'S' whose data (dataLen bytes) is sent behind.
std::vector<uint8_t> EncodeLpcSendMessageHead(const LpcSendParams& params, uint32_t dataLen);
std::vector<uint8_t> EncodeLpcSendMessage(const LpcSendParams& params, const uint8_t* data, uint32_t dataLen);
std::vector<uint8_t> EncodeLpcSendShort(uint8_t channel, const uint8_t* data, uint32_t dataLen);
// Empty also when dataLen is 0.
std::vector<uint8_t> EncodeLpcSendShortUdp(uint8_t channel, const uint8_t* data, uint32_t dataLen);
std::vector<uint8_t> EncodeLpcAddDstId(uint8_t channel, uint32_t dstId);
std::vector<uint8_t> EncodeLpcBind(uint32_t dstId, uint8_t channel);
std::vector<uint8_t> EncodeLpcUnbind(uint8_t channel);
std::vector<uint8_t> EncodeLpcSetReconnParams(uint32_t serverIp, uint16_t serverPort, uint16_t attempts,
                                              uint32_t timeBetweenMs, uint32_t timeoutMs);

// One decoded request; which fields hold values depends on the letter.
struct LpcClientMessage
{
    uint8_t bMsgId = 0;
    uint8_t bChannel = kNoChannel;  // D S F Q I B U
    uint32_t dwTimeoutMs = 0;       // C
    uint32_t dwServerIp = 0;        // C R (network order bytes)
    uint16_t wServerPort = 0;       // C R
    uint32_t dwDstId = 0;           // S I B
    LpcSendParams send;             // S (its bChannel and dwDstId repeat the above)
    uint16_t wAttempts = 0;         // R
    uint32_t dwTimeBetweenMs = 0;   // R
    uint32_t dwReconnTimeoutMs = 0; // R
    ByteSpan data;                  // S F Q: borrowed from the message
};

// Decodes one whole message of msgLen bytes (as cut from the stream).
LpcDecodeStatus DecodeLpcClientMessage(const uint8_t* msg, uint32_t msgLen, LpcClientMessage& out);

} // namespace HubProto
