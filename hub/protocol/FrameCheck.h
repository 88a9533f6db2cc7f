// Where one message ends in a byte stream: both protocols carry the whole
// message length as a u32 at offset 4, so 8 bytes are needed to read it.
#pragma once

#include <cstdint>

#include "LpcHeader.h"
#include "ServerHeader.h"

namespace HubProto
{

constexpr uint32_t kLengthFieldEnd = 8; // bytes needed to read the total length

// Accepted whole lengths: below the minimum the stream cannot advance (or the
// header is cut short); above the maximum no reassembly FIFO can hold it.
struct FrameLimits
{
    uint32_t ulMinTotal;
    uint32_t ulMaxTotal;
};

constexpr FrameLimits kLpcFrameLimits{kLpcHeaderLen, kMaxMessageSize};
constexpr FrameLimits kServerFrameLimits{kServerHeaderLen, kMaxMessageSize};

enum class FrameStatus
{
    Complete,  // `total` bytes starting at p form one message
    NeedMore,  // fewer than 8 bytes, or fewer than the total length
    Malformed, // the total length (given in `total`) is outside the limits
};

FrameStatus CheckFrame(const uint8_t* p, uint32_t available, const FrameLimits& limits, uint32_t& total);

} // namespace HubProto
