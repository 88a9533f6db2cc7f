#include "FileDigest.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstring>

namespace
{
// Row 0 is the byte-at-a-time table; row k gives the effect of a byte followed by k
// zero bytes, so eight bytes are folded per step ("slicing by 8").
using CrcTables = std::array<std::array<uint32_t, 256>, 8>;

CrcTables MakeCrcTables()
{
    CrcTables tables{};
    for (uint32_t i = 0; i < 256; ++i)
    {
        uint32_t c = i;
        for (int k = 0; k < 8; ++k)
            c = (c & 1) != 0 ? 0xEDB88320u ^ (c >> 1) : c >> 1;
        tables[0][i] = c;
    }
    for (size_t row = 1; row < tables.size(); ++row)
        for (uint32_t i = 0; i < 256; ++i)
            tables[row][i] = tables[0][tables[row - 1][i] & 0xFF] ^ (tables[row - 1][i] >> 8);
    return tables;
}

const CrcTables kCrcTables = MakeCrcTables();

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
    const auto& t = kCrcTables;
    uint32_t c = m_nState;
    for (; size >= 8; data += 8, size -= 8)
    {
        const uint32_t low = c ^ (uint32_t(data[0]) | (uint32_t(data[1]) << 8) | (uint32_t(data[2]) << 16) |
                                  (uint32_t(data[3]) << 24));
        c = t[7][low & 0xFF] ^ t[6][(low >> 8) & 0xFF] ^ t[5][(low >> 16) & 0xFF] ^ t[4][low >> 24] ^
            t[3][data[4]] ^ t[2][data[5]] ^ t[1][data[6]] ^ t[0][data[7]];
    }
    for (; size > 0; ++data, --size)
        c = t[0][(c ^ *data) & 0xFF] ^ (c >> 8);
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
    // Four loops of twenty rounds, so no round picks its function at run time.
    const auto round = [&](uint32_t f, uint32_t k, uint32_t word)
    {
        const uint32_t t = Rotl(a, 5) + f + e + k + word;
        e = d;
        d = c;
        c = Rotl(b, 30);
        b = a;
        a = t;
    };
    for (int i = 0; i < 20; ++i)
        round(d ^ (b & (c ^ d)), 0x5A827999u, w[i]);
    for (int i = 20; i < 40; ++i)
        round(b ^ c ^ d, 0x6ED9EBA1u, w[i]);
    for (int i = 40; i < 60; ++i)
        round((b & c) | (d & (b | c)), 0x8F1BBCDCu, w[i]);
    for (int i = 60; i < 80; ++i)
        round(b ^ c ^ d, 0xCA62C1D6u, w[i]);
    m_words[0] += a;
    m_words[1] += b;
    m_words[2] += c;
    m_words[3] += d;
    m_words[4] += e;
}
