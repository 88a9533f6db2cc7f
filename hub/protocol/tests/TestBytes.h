// Byte helpers of the protocol tests.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "WireBytes.h"

namespace HubProtoTest
{

using Bytes = std::vector<uint8_t>;

// "08 43 01" -> {0x08, 0x43, 0x01}; blanks are skipped.
inline Bytes Hex(const std::string& text)
{
    Bytes out;
    int hi = -1;
    for (char c : text)
    {
        int v;
        if (c >= '0' && c <= '9')
            v = c - '0';
        else if (c >= 'A' && c <= 'F')
            v = c - 'A' + 10;
        else if (c >= 'a' && c <= 'f')
            v = c - 'a' + 10;
        else
            continue;
        if (hi < 0)
            hi = v;
        else
        {
            out.push_back(static_cast<uint8_t>(hi * 16 + v));
            hi = -1;
        }
    }
    return out;
}

inline std::string ToHex(const Bytes& b)
{
    std::string s;
    char buf[4];
    for (uint8_t v : b)
    {
        std::snprintf(buf, sizeof buf, "%02X ", v);
        s += buf;
    }
    return s;
}

inline Bytes Text(const std::string& s)
{
    return Bytes(s.begin(), s.end());
}

inline Bytes ToBytes(const HubProto::ByteSpan& s)
{
    return s.ulSize == 0 ? Bytes{} : Bytes(s.lpData, s.lpData + s.ulSize);
}

inline Bytes Concat(std::initializer_list<Bytes> parts)
{
    Bytes out;
    for (const Bytes& p : parts)
        out.insert(out.end(), p.begin(), p.end());
    return out;
}

// An 8-byte LPC header with any length, followed by zero bytes up to `size`.
inline Bytes LpcRaw(uint8_t letter, uint32_t totalLen, uint32_t size, uint8_t extra = 0)
{
    Bytes m(size < 8 ? 8 : size, 0);
    m[0] = 8;
    m[1] = letter;
    m[2] = 1;
    m[3] = extra;
    HubProto::vWriteLe32(&m[4], totalLen);
    m.resize(size);
    return m;
}

} // namespace HubProtoTest
