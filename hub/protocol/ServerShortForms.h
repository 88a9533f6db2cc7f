// Short datagram headers of the server protocol (UDP only): 0x80 then the
// channel, or 0x81, the channel and one byte chosen by the client program.
#pragma once

#include <cstdint>
#include <vector>

#include "WireBytes.h"

namespace HubProto
{

constexpr uint8_t kShortFormMark = 0x80;    // any first byte from here up is a short form
constexpr uint8_t kShortFormUdpMark = 0x81; // the form with a third header byte
constexpr uint32_t kShortHeaderLen = 2;
constexpr uint32_t kShortUdpHeaderLen = 3;
// Where the data handed to the channel begins, in every short form (for
// 0x81 the third header byte is part of it).
constexpr uint32_t kShortDataOffset = 2;

inline bool boIsShortForm(uint8_t firstByte)
{
    return firstByte >= kShortFormMark;
}

inline uint32_t ulShortHeaderLen(uint8_t firstByte)
{
    return firstByte == kShortFormUdpMark ? kShortUdpHeaderLen : kShortHeaderLen;
}

// {0x80, channel} then the data ('F'). Empty when it would exceed kMaxMessageSize.
std::vector<uint8_t> BuildShortDatagram(uint8_t channel, const uint8_t* data, uint32_t dataLen);
// {0x81, channel, data[0]} then the whole data ('Q'). Empty when dataLen is 0
// or the datagram would exceed kMaxMessageSize.
std::vector<uint8_t> BuildShortUdpDatagram(uint8_t channel, const uint8_t* data, uint32_t dataLen);

struct ShortDatagram
{
    uint8_t bMark = 0;
    uint8_t bChannel = 0;
    ByteSpan data; // from offset 2, borrowed
};

// False when the datagram is not a short form or is too short for its form.
bool boDecodeShortDatagram(const uint8_t* datagram, uint32_t size, ShortDatagram& out);

} // namespace HubProto
