// Windows bitmap files (24 bits per pixel, uncompressed) for the host's
// screenshots, and the reader the tests use to look at their pixels.
#pragma once

#include <cstddef>
#include <cstdint>
#include <utility>
#include <vector>

namespace FdBrowserHost
{
constexpr uint32_t kMaxBmpSide = 16384;

// A picture in memory: rows top-down, 4 bytes per pixel (blue, green, red,
// unused), as a 32-bit top-down DIB holds it.
struct SPixels
{
    uint32_t dwWidth = 0;
    uint32_t dwHeight = 0;
    std::vector<uint8_t> bgrx; // dwWidth * dwHeight * 4 bytes
};

// The file's bytes; empty when a side is 0 or above kMaxBmpSide, or the
// buffer is too small.
std::vector<uint8_t> bmpEncode(const SPixels& pixels);

// Reads a 24- or 32-bit uncompressed bitmap file. False on any other kind,
// a side of 0 or above kMaxBmpSide, or a file shorter than its pixels.
bool boBmpDecode(const uint8_t* pBytes, std::size_t n, SPixels* pPixels);

// The colour of one pixel as 0xRRGGBB (0 outside the picture).
uint32_t dwPixel(const SPixels& pixels, uint32_t x, uint32_t y);
} // namespace FdBrowserHost
