#pragma once
// CLzBuffer: one owned byte buffer converted to or from the SZDD format (the
// format of the classic compress/expand tools: a 14-byte header, then an LZSS
// stream with a 4096-byte window), or copied unchanged.
//
// Header (little-endian): "SZDD", 88 F0 27 33, mode 'A', 0, expanded size (u32).
// Stream: a flag byte, then up to eight items, flag bits from the least
// significant up; bit set = one literal byte, bit clear = a match of two bytes
// b0 b1: window position b0 + (b1 & 0xF0) * 16, length (b1 & 0x0F) + 3.
#include <cstddef>
#include <cstdint>
#include <memory>

namespace Szdd
{
constexpr size_t kHeaderSize = 14;
constexpr uint8_t kSignature[8] = {'S', 'Z', 'D', 'D', 0x88, 0xF0, 0x27, 0x33};
constexpr uint8_t kModeA = 0x41; // byte 8; byte 9 is 0
constexpr size_t kSizeOffset = 10;
constexpr uint32_t kWindowSize = 4096;
constexpr uint32_t kWindowStart = 4080; // first write position
constexpr uint8_t kWindowFill = 0x20;   // the window starts filled with spaces
constexpr uint32_t kMinMatch = 3;
constexpr uint32_t kMaxMatch = 18;
// No stream expands to more than this many bytes per input byte (a flag byte and
// eight 18-byte matches take 17 bytes): a header promising more is refused.
constexpr uint64_t kMaxExpansionRatio = 9;

// True when the data starts with a complete SZDD header of mode 'A'.
bool boHasHeader(const uint8_t* lpData, size_t ulLength);
} // namespace Szdd

class CLzBuffer
{
public:
    CLzBuffer() = default;
    CLzBuffer(const CLzBuffer&) = delete;
    CLzBuffer& operator=(const CLzBuffer&) = delete;

    // SZDD data expands into the buffer: true when the stream filled exactly the
    // size of its header. Any other data (or fewer than 14 bytes) is copied
    // unchanged (true). False for a null source, a truncated or corrupt stream, or
    // a header promising more than the stream can hold.
    bool boExpand(const uint8_t* lpSource, uint32_t dwLength);
    // Encodes the source as SZDD. Without boForce, data that would not shrink is
    // copied plain instead (no header). False when the encoding cannot be made.
    bool boCompress(const uint8_t* lpSource, uint32_t dwLength, bool boForce);
    // Plain copy; false for a null source.
    bool boCopy(const uint8_t* lpSource, uint32_t dwLength);

    const uint8_t* lpGetData() const { return m_lpData.get(); }
    uint32_t dwGetSize() const { return m_dwSize; }
    bool boHasData() const { return m_lpData != nullptr; }

private:
    bool boAllocate(size_t ulSize); // frees the old block first; false on failure
    void vResize(uint32_t dwSize) { m_dwSize = dwSize; }

    std::unique_ptr<uint8_t[]> m_lpData; // null when nothing was converted
    uint32_t m_dwSize = 0;
};
