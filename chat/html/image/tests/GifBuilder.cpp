#include "GifBuilder.h"

namespace FdHtmlTest
{
namespace
{
void put16(Bytes& b, int v)
{
    b.push_back(static_cast<uint8_t>(v & 0xFF));
    b.push_back(static_cast<uint8_t>((v >> 8) & 0xFF));
}
} // namespace

CGifBuilder::CGifBuilder(int width, int height, int exponent, const std::string& signature, uint8_t aspect)
{
    m_bytes.assign(signature.begin(), signature.end());
    put16(m_bytes, width);
    put16(m_bytes, height);
    m_bytes.push_back(exponent >= 0 ? static_cast<uint8_t>(0x80 | 0x70 | exponent) : 0x70);
    m_bytes.push_back(0);
    m_bytes.push_back(aspect);
    if (exponent >= 0)
    {
        const int n = 1 << (exponent + 1);
        for (int i = 0; i < n; ++i)
        {
            const uint8_t grey = static_cast<uint8_t>(i * 255 / (n - 1));
            m_bytes.insert(m_bytes.end(), {grey, grey, grey});
        }
    }
}

CGifBuilder& CGifBuilder::raw(const Bytes& bytes)
{
    m_bytes.insert(m_bytes.end(), bytes.begin(), bytes.end());
    return *this;
}

CGifBuilder& CGifBuilder::graphicControl(bool transparent, uint8_t index, uint16_t delay)
{
    Bytes data = {static_cast<uint8_t>(transparent ? 1 : 0), static_cast<uint8_t>(delay & 0xFF),
                  static_cast<uint8_t>(delay >> 8), index};
    return extension(0xF9, {data});
}

CGifBuilder& CGifBuilder::extension(uint8_t label, const std::vector<Bytes>& subBlocks)
{
    m_bytes.push_back(0x21);
    m_bytes.push_back(label);
    for (const Bytes& block : subBlocks)
    {
        m_bytes.push_back(static_cast<uint8_t>(block.size()));
        raw(block);
    }
    m_bytes.push_back(0);
    return *this;
}

CGifBuilder& CGifBuilder::descriptor(int width, int height, bool interlaced, int localExponent)
{
    m_bytes.push_back(0x2C);
    put16(m_bytes, 0);
    put16(m_bytes, 0);
    put16(m_bytes, width);
    put16(m_bytes, height);
    uint8_t flags = interlaced ? 0x40 : 0;
    if (localExponent >= 0)
        flags |= static_cast<uint8_t>(0x80 | localExponent);
    m_bytes.push_back(flags);
    if (localExponent >= 0)
    {
        for (int i = 0; i < (1 << (localExponent + 1)); ++i)
            m_bytes.insert(m_bytes.end(), {static_cast<uint8_t>(i), 0, 0});
    }
    return *this;
}

CGifBuilder& CGifBuilder::codes(int minCodeSize, const std::vector<SCode>& codes, std::size_t blockSize,
                                bool boTerminate)
{
    m_bytes.push_back(static_cast<uint8_t>(minCodeSize));
    Bytes packed;
    uint32_t acc = 0;
    int bits = 0;
    for (const SCode& c : codes)
    {
        acc |= static_cast<uint32_t>(c.code) << bits;
        bits += c.width;
        while (bits >= 8)
        {
            packed.push_back(static_cast<uint8_t>(acc & 0xFF));
            acc >>= 8;
            bits -= 8;
        }
    }
    if (bits > 0)
        packed.push_back(static_cast<uint8_t>(acc & 0xFF));
    for (std::size_t i = 0; i < packed.size(); i += blockSize)
    {
        const std::size_t n = std::min(blockSize, packed.size() - i);
        m_bytes.push_back(static_cast<uint8_t>(n));
        m_bytes.insert(m_bytes.end(), packed.begin() + static_cast<long>(i),
                       packed.begin() + static_cast<long>(i + n));
    }
    if (boTerminate)
        m_bytes.push_back(0);
    return *this;
}

CGifBuilder& CGifBuilder::trailer()
{
    m_bytes.push_back(0x3B);
    return *this;
}

std::vector<SCode> literalCodes(int minCodeSize, const Bytes& pixels)
{
    const int clear = 1 << minCodeSize;
    const int width = minCodeSize + 1;
    std::vector<SCode> out{{clear, width}};
    // Each literal after the first adds a table entry; clearing before the
    // table reaches the next width keeps every code at m + 1 bits.
    int next = clear + 2;
    bool boFirst = true;
    for (uint8_t p : pixels)
    {
        if (!boFirst && next + 1 >= (1 << width))
        {
            out.push_back({clear, width});
            next = clear + 2;
            boFirst = true;
        }
        out.push_back({p, width});
        if (!boFirst)
            ++next;
        boFirst = false;
    }
    out.push_back({clear + 1, width});
    return out;
}
} // namespace FdHtmlTest
