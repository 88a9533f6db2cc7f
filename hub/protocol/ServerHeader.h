// The 34-byte header of messages between the hub and the service's servers.
#pragma once

#include <array>
#include <cstdint>

#include "MessageLimits.h"
#include "WireBytes.h"

namespace HubProto
{

constexpr uint8_t kServerHeaderLen = 34;
constexpr uint8_t kServerVersion = 1;
constexpr uint32_t kIoMemberIdLen = 12;

// Offsets of the header fields.
constexpr uint32_t kSrvOffHeaderLen = 0;
constexpr uint32_t kSrvOffVersion = 2;
constexpr uint32_t kSrvOffTotalLen = 4;
constexpr uint32_t kSrvOffFlags = 8;
constexpr uint32_t kSrvOffSrcId = 10;
constexpr uint32_t kSrvOffDstId = 14;
constexpr uint32_t kSrvOffSeqNum = 18;
constexpr uint32_t kSrvOffIoMemberId = 22;

// wFlags: bit 0 marks an acknowledged message (sender side). In the flags
// byte at offset 8, bit 7 marks an answer to an identified message (its
// SeqNum is repeated) and bit 6, with bit 7, a bare acknowledgement.
constexpr uint16_t kFlagAckable = 0x0001;
constexpr uint8_t kFlagAnswer = 0x80;
constexpr uint8_t kFlagAckOnly = 0x40;
constexpr uint16_t kFlagsInit = 2;
constexpr uint16_t kFlagsKeepAlive = 0;

// Ids on the server side. A DstId below 255 read as a u32 is a channel; 255
// is the hub's service channel.
constexpr uint32_t kServiceChannelId = 255;
constexpr uint32_t kIdInit = dwIdFromText("INIT");
constexpr uint32_t kIdKeepAlive = dwIdFromText("KAKA");
constexpr uint32_t kIdBind = dwIdFromText("BIND");
constexpr uint32_t kIdUnbind = dwIdFromText("UNBD");
constexpr uint32_t kDefaultHubId = dwIdFromText("LKWE");

using IoMemberId = std::array<uint8_t, kIoMemberIdLen>;

struct SERVER_HEADER
{
    uint8_t bHeaderLen = kServerHeaderLen;
    uint8_t bVersion = kServerVersion;
    uint32_t dwTotalLen = 0; // header + data (+ the appended member id)
    uint16_t wFlags = 0;
    uint32_t SrcId = 0;
    uint32_t DstId = 0;
    uint32_t SeqNum = 0;
    IoMemberId IOMemberId{};
};

// Writes the 34 header bytes (reserved bytes 0) into out[0..33].
void vWriteServerHeader(uint8_t* out, const SERVER_HEADER& header);
// Reads the fields from p[0..33]; the caller guarantees 34 bytes.
SERVER_HEADER ReadServerHeader(const uint8_t* p);
// The flags byte at offset 8, where the answer bits live.
inline uint8_t bFlagsByte(const SERVER_HEADER& header)
{
    return static_cast<uint8_t>(header.wFlags & 0xFF);
}
// Sets the SeqNum of a built message (at least 34 bytes), at sending time.
void vPatchSeqNum(uint8_t* message, uint32_t seqNum);

} // namespace HubProto
