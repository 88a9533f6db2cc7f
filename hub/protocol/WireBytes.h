// Little-endian fields, four-character ids and borrowed byte ranges shared by
// the LPC and server message formats.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace HubProto
{

// A borrowed range of bytes: valid as long as the buffer it points into.
struct ByteSpan
{
    const uint8_t* lpData = nullptr;
    uint32_t ulSize = 0;
};

inline uint16_t wReadLe16(const uint8_t* p)
{
    return static_cast<uint16_t>(p[0] | (p[1] << 8));
}

inline uint32_t dwReadLe32(const uint8_t* p)
{
    return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
           (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[3]) << 24);
}

inline void vWriteLe16(uint8_t* p, uint16_t v)
{
    p[0] = static_cast<uint8_t>(v);
    p[1] = static_cast<uint8_t>(v >> 8);
}

inline void vWriteLe32(uint8_t* p, uint32_t v)
{
    p[0] = static_cast<uint8_t>(v);
    p[1] = static_cast<uint8_t>(v >> 8);
    p[2] = static_cast<uint8_t>(v >> 16);
    p[3] = static_cast<uint8_t>(v >> 24);
}

// A four-character id ("INIT", "KAKA", a DstId) travels as its 4 bytes in
// order; as a u32 read little-endian it compares with channel numbers (< 255).
constexpr uint32_t dwIdFromText(const char (&text)[5])
{
    return static_cast<uint32_t>(static_cast<uint8_t>(text[0])) |
           (static_cast<uint32_t>(static_cast<uint8_t>(text[1])) << 8) |
           (static_cast<uint32_t>(static_cast<uint8_t>(text[2])) << 16) |
           (static_cast<uint32_t>(static_cast<uint8_t>(text[3])) << 24);
}

inline void vAppendBytes(std::vector<uint8_t>& out, const uint8_t* data, size_t size)
{
    if (size != 0)
        out.insert(out.end(), data, data + size);
}

} // namespace HubProto
