// The 8-byte header that starts every LPC message, in both directions.
#pragma once

#include <cstdint>

#include "MessageLimits.h"

namespace HubProto
{

constexpr uint8_t kLpcHeaderLen = 8;
constexpr uint8_t kLpcVersion = 1;
// Byte 3 of an 'a' message: the three size limits follow the channel id.
constexpr uint8_t kLpcExtraSizeLimits = 1;

// Offsets of the header fields.
constexpr uint32_t kLpcOffHeaderLen = 0;
constexpr uint32_t kLpcOffMsgId = 1;
constexpr uint32_t kLpcOffVersion = 2;
constexpr uint32_t kLpcOffExtra = 3;
constexpr uint32_t kLpcOffTotalLen = 4;

struct LPC_HEADER
{
    uint8_t bHeaderLen = kLpcHeaderLen;
    uint8_t bMsgId = 0;
    uint8_t bVersion = kLpcVersion;
    uint8_t bExtra = 0;
    uint32_t dwTotalLen = 0; // whole message, header included
};

// Writes {8, letter, 1, extra, total} into out[0..7].
void vWriteLpcHeader(uint8_t* out, uint8_t letter, uint8_t extra, uint32_t totalLen);
// Reads the header fields from p[0..7]; the caller guarantees 8 bytes.
LPC_HEADER ReadLpcHeader(const uint8_t* p);

} // namespace HubProto
