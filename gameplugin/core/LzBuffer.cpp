#include "LzBuffer.h"

#include <cstring>
#include <new>

namespace Szdd
{
bool boHasHeader(const uint8_t* lpData, size_t ulLength)
{
    return lpData && ulLength >= kHeaderSize && std::memcmp(lpData, kSignature, sizeof kSignature) == 0 &&
           lpData[8] == kModeA && lpData[9] == 0;
}
} // namespace Szdd

namespace
{
uint32_t dwReadLe32(const uint8_t* p)
{
    return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 |
           static_cast<uint32_t>(p[2]) << 16 | static_cast<uint32_t>(p[3]) << 24;
}

void vWriteLe32(uint8_t* p, uint32_t v)
{
    p[0] = static_cast<uint8_t>(v);
    p[1] = static_cast<uint8_t>(v >> 8);
    p[2] = static_cast<uint8_t>(v >> 16);
    p[3] = static_cast<uint8_t>(v >> 24);
}

// LZSS decoding of `in` into exactly `dwOut` bytes; false when the stream ends
// early or a match runs past the expected size.
bool boDecode(const uint8_t* in, size_t ulIn, uint8_t* out, uint32_t dwOut)
{
    uint8_t window[Szdd::kWindowSize];
    std::memset(window, Szdd::kWindowFill, sizeof window);
    uint32_t dwWrite = Szdd::kWindowStart;
    size_t ulInLeft = ulIn;
    int64_t llOutLeft = dwOut;
    while (ulInLeft > 0 && llOutLeft > 0)
    {
        const uint8_t bFlags = *in++;
        --ulInLeft;
        for (int bit = 0; bit < 8 && ulInLeft > 0 && llOutLeft > 0; ++bit)
        {
            if (bFlags & (1u << bit))
            {
                const uint8_t c = *in++;
                --ulInLeft;
                *out++ = c;
                window[dwWrite] = c;
                dwWrite = (dwWrite + 1) & (Szdd::kWindowSize - 1);
                --llOutLeft;
                continue;
            }
            if (ulInLeft < 2) // a match needs both of its bytes
                return false;
            const uint32_t b0 = in[0], b1 = in[1];
            in += 2;
            ulInLeft -= 2;
            uint32_t dwPos = b0 | (b1 & 0xF0) << 4;
            const uint32_t dwLen = (b1 & 0x0F) + Szdd::kMinMatch;
            llOutLeft -= dwLen;
            if (llOutLeft < 0)
                return false;
            for (uint32_t i = 0; i < dwLen; ++i) // byte by byte: the source may overlap the output
            {
                const uint8_t c = window[dwPos];
                dwPos = (dwPos + 1) & (Szdd::kWindowSize - 1);
                *out++ = c;
                window[dwWrite] = c;
                dwWrite = (dwWrite + 1) & (Szdd::kWindowSize - 1);
            }
        }
    }
    return llOutLeft == 0;
}

// Hash of a 3-byte prefix; always below 4096.
inline uint32_t dwHash(const uint8_t* p)
{
    return ((static_cast<uint32_t>(p[0]) << 2 ^ p[1]) << 2 ^ p[2]) & (Szdd::kWindowSize - 1);
}

// LZSS encoding of `in` into `out` (room `ulRoom`); returns the stream size, or
// -1 when the room runs out. Hash chains over 3-byte prefixes are walked from
// the most recent occurrence back; only a strictly longer match replaces the
// best, so the most recent of equal matches wins.
int64_t llEncode(const uint8_t* in, uint32_t dwIn, uint8_t* out, size_t ulRoom)
{
    constexpr int32_t kNone = -1;
    // The search structures are their own allocation: heads per hash, and per
    // window slot the previous position of the same hash.
    std::unique_ptr<int32_t[]> lpHead(new (std::nothrow) int32_t[Szdd::kWindowSize]);
    std::unique_ptr<int32_t[]> lpPrev(new (std::nothrow) int32_t[Szdd::kWindowSize]);
    if (!lpHead || !lpPrev)
        return -1;
    for (uint32_t i = 0; i < Szdd::kWindowSize; ++i)
        lpHead[i] = lpPrev[i] = kNone;

    auto vInsert = [&](uint32_t dwPos)
    {
        if (static_cast<uint64_t>(dwPos) + Szdd::kMinMatch > dwIn)
            return;
        const uint32_t h = dwHash(in + dwPos);
        lpPrev[dwPos & (Szdd::kWindowSize - 1)] = lpHead[h];
        lpHead[h] = static_cast<int32_t>(dwPos);
    };

    size_t ulOut = 0;
    size_t ulFlagAt = 0;
    int iItems = 8; // items in the current group; 8 = start a new one
    uint32_t dwPos = 0;
    while (dwPos < dwIn)
    {
        if (iItems == 8)
        {
            if (ulOut + 1 > ulRoom)
                return -1;
            ulFlagAt = ulOut++;
            out[ulFlagAt] = 0;
            iItems = 0;
        }
        const uint32_t dwLeft = dwIn - dwPos;
        const uint32_t dwMaxLen = dwLeft < Szdd::kMaxMatch ? dwLeft : Szdd::kMaxMatch;
        uint32_t dwBest = 0;
        uint32_t dwBestPos = 0;
        if (dwLeft >= Szdd::kMinMatch)
        {
            for (int32_t p = lpHead[dwHash(in + dwPos)]; p != kNone;
                 p = lpPrev[static_cast<uint32_t>(p) & (Szdd::kWindowSize - 1)])
            {
                const uint32_t dwCand = static_cast<uint32_t>(p);
                if (dwPos - dwCand > Szdd::kWindowSize)
                    break;
                uint32_t n = 0;
                while (n < dwMaxLen && in[dwCand + n] == in[dwPos + n])
                    ++n;
                if (n > dwBest)
                {
                    dwBest = n;
                    dwBestPos = dwCand;
                    if (n == dwMaxLen)
                        break;
                }
            }
        }
        if (dwBest >= Szdd::kMinMatch)
        {
            if (ulOut + 2 > ulRoom)
                return -1;
            const uint32_t dwWin = (Szdd::kWindowStart + dwBestPos) & (Szdd::kWindowSize - 1);
            out[ulOut++] = static_cast<uint8_t>(dwWin);
            out[ulOut++] = static_cast<uint8_t>((dwWin >> 4 & 0xF0) | (dwBest - Szdd::kMinMatch));
            for (uint32_t i = 0; i < dwBest; ++i)
                vInsert(dwPos + i);
            dwPos += dwBest;
        }
        else
        {
            if (ulOut + 1 > ulRoom)
                return -1;
            out[ulFlagAt] = static_cast<uint8_t>(out[ulFlagAt] | 1u << iItems);
            out[ulOut++] = in[dwPos];
            vInsert(dwPos);
            ++dwPos;
        }
        ++iItems;
    }
    return static_cast<int64_t>(ulOut);
}
} // namespace

bool CLzBuffer::boAllocate(size_t ulSize)
{
    m_lpData.reset();
    m_dwSize = 0;
    // One byte at least, so that an empty result still counts as converted data.
    m_lpData.reset(new (std::nothrow) uint8_t[ulSize > 0 ? ulSize : 1]);
    if (!m_lpData)
        return false;
    m_dwSize = static_cast<uint32_t>(ulSize);
    return true;
}

bool CLzBuffer::boCopy(const uint8_t* lpSource, uint32_t dwLength)
{
    if (!lpSource || !boAllocate(dwLength))
        return false;
    if (dwLength > 0)
        std::memcpy(m_lpData.get(), lpSource, dwLength);
    return true;
}

bool CLzBuffer::boExpand(const uint8_t* lpSource, uint32_t dwLength)
{
    if (!lpSource)
        return false;
    if (!Szdd::boHasHeader(lpSource, dwLength))
        return boCopy(lpSource, dwLength);
    const uint32_t dwExpanded = dwReadLe32(lpSource + Szdd::kSizeOffset);
    const uint64_t ullStream = dwLength - Szdd::kHeaderSize;
    if (dwExpanded > ullStream * Szdd::kMaxExpansionRatio)
    {
        m_lpData.reset();
        m_dwSize = 0;
        return false;
    }
    if (!boAllocate(dwExpanded))
        return false;
    if (!boDecode(lpSource + Szdd::kHeaderSize, static_cast<size_t>(ullStream), m_lpData.get(), dwExpanded))
    {
        m_lpData.reset();
        m_dwSize = 0;
        return false;
    }
    return true;
}

bool CLzBuffer::boCompress(const uint8_t* lpSource, uint32_t dwLength, bool boForce)
{
    if (!lpSource)
        return false;
    // Worst case: one flag byte per eight literals, plus the header and slack.
    const uint64_t ullRoom = static_cast<uint64_t>(dwLength) + dwLength / 8 + 15;
    if (ullRoom > UINT32_MAX || !boAllocate(static_cast<size_t>(ullRoom)))
        return false;
    const int64_t llStream = llEncode(lpSource, dwLength, m_lpData.get() + Szdd::kHeaderSize,
                                      static_cast<size_t>(ullRoom) - Szdd::kHeaderSize);
    if (llStream < 0)
    {
        m_lpData.reset();
        m_dwSize = 0;
        return false;
    }
    const uint64_t ullTotal = static_cast<uint64_t>(llStream) + Szdd::kHeaderSize;
    if (!boForce && ullTotal > dwLength)
        return boCopy(lpSource, dwLength);
    std::memcpy(m_lpData.get(), Szdd::kSignature, sizeof Szdd::kSignature);
    m_lpData[8] = Szdd::kModeA;
    m_lpData[9] = 0;
    vWriteLe32(m_lpData.get() + Szdd::kSizeOffset, dwLength);
    vResize(static_cast<uint32_t>(ullTotal));
    return true;
}
