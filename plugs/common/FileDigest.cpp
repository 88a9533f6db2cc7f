#include "FileDigest.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstring>

namespace
{
std::array<uint32_t, 256> MakeCrcTable()
{
    std::array<uint32_t, 256> table{};
    for (uint32_t i = 0; i < 256; ++i)
    {
        uint32_t c = i;
        for (int k = 0; k < 8; ++k)
            c = (c & 1) != 0 ? 0xEDB88320u ^ (c >> 1) : c >> 1;
        table[i] = c;
    }
    return table;
}

const std::array<uint32_t, 256> kCrcTable = MakeCrcTable();

std::string HexWord(uint32_t value)
{
    char text[9];
    std::snprintf(text, sizeof text, "%08X", static_cast<unsigned>(value));
    return text;
}

uint32_t Rotl(uint32_t x, int n)
{
    return (x << n) | (x >> (32 - n));
}
} // namespace

void CCrc32::vUpdate(const uint8_t* data, size_t size)
{
    uint32_t c = m_nState;
    for (size_t i = 0; i < size; ++i)
        c = kCrcTable[(c ^ data[i]) & 0xFF] ^ (c >> 8);
    m_nState = c;
}

std::string CCrc32::GetText() const
{
    return HexWord(GetValue());
}

CSha1::CSha1() : m_words{0x67452301u, 0xEFCDAB89u, 0x98BADCFEu, 0x10325476u, 0xC3D2E1F0u}, m_block{} {}

void CSha1::vUpdate(const uint8_t* data, size_t size)
{
    if (m_boFinished || size == 0)
        return;
    m_nTotalBytes += size;
    if (m_nBlockUsed > 0)
    {
        const size_t take = std::min(size, sizeof m_block - m_nBlockUsed);
        std::memcpy(m_block + m_nBlockUsed, data, take);
        m_nBlockUsed += take;
        data += take;
        size -= take;
        if (m_nBlockUsed < sizeof m_block)
            return;
        vBlock(m_block);
        m_nBlockUsed = 0;
    }
    for (; size >= 64; data += 64, size -= 64)
        vBlock(data);
    if (size > 0)
    {
        std::memcpy(m_block, data, size);
        m_nBlockUsed = size;
    }
}

void CSha1::vFinish()
{
    if (m_boFinished)
        return;
    const uint64_t bits = m_nTotalBytes * 8;
    m_block[m_nBlockUsed++] = 0x80;
    if (m_nBlockUsed > 56)
    {
        std::memset(m_block + m_nBlockUsed, 0, sizeof m_block - m_nBlockUsed);
        vBlock(m_block);
        m_nBlockUsed = 0;
    }
    std::memset(m_block + m_nBlockUsed, 0, 56 - m_nBlockUsed);
    for (int i = 0; i < 8; ++i)
        m_block[56 + i] = static_cast<uint8_t>(bits >> (56 - 8 * i));
    vBlock(m_block);
    m_nBlockUsed = 0;
    m_boFinished = true;
}

std::string CSha1::GetText()
{
    vFinish();
    std::string text;
    for (uint32_t word : m_words)
        text += HexWord(word);
    return text;
}

void CSha1::vBlock(const uint8_t* block)
{
    uint32_t w[80];
    for (int i = 0; i < 16; ++i)
        w[i] = (uint32_t(block[4 * i]) << 24) | (uint32_t(block[4 * i + 1]) << 16) |
               (uint32_t(block[4 * i + 2]) << 8) | uint32_t(block[4 * i + 3]);
    for (int i = 16; i < 80; ++i)
        w[i] = Rotl(w[i - 3] ^ w[i - 8] ^ w[i - 14] ^ w[i - 16], 1);
    uint32_t a = m_words[0], b = m_words[1], c = m_words[2], d = m_words[3], e = m_words[4];
    for (int i = 0; i < 80; ++i)
    {
        uint32_t f, k;
        if (i < 20)
            f = (b & c) | (~b & d), k = 0x5A827999u;
        else if (i < 40)
            f = b ^ c ^ d, k = 0x6ED9EBA1u;
        else if (i < 60)
            f = (b & c) | (b & d) | (c & d), k = 0x8F1BBCDCu;
        else
            f = b ^ c ^ d, k = 0xCA62C1D6u;
        const uint32_t t = Rotl(a, 5) + f + e + k + w[i];
        e = d;
        d = c;
        c = Rotl(b, 30);
        b = a;
        a = t;
    }
    m_words[0] += a;
    m_words[1] += b;
    m_words[2] += c;
    m_words[3] += d;
    m_words[4] += e;
}
