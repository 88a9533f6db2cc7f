// BMP decoder: the file's bitmap becomes one frame holding a 40-byte info
// header, the colour table and the pixel rows.
#pragma once

#include "DecodedImage.h"

namespace FdHtml
{
constexpr std::size_t kBmpFileHeaderSize = 14;
constexpr std::size_t kBmpInfoHeaderSize = 40;

// Decodes the whole file into *pOut (cleared first). Only uncompressed
// bitmaps of 1, 4, 8 or 24 bits with width and height above 0, at most
// 2^bits colours, and colour table and pixel rows present in full load; a
// header longer than 40 bytes is read as its first 40 and its colour table
// follows it. Anything else fails and leaves *pOut empty.
SImageResult bmpDecode(const uint8_t* p, std::size_t n, SDecodedImage* pOut);

// Bytes per pixel row, padded to 4 (64 bits: the caller checks the range).
uint64_t qwBmpStride(uint32_t width, uint32_t bitCount);
} // namespace FdHtml
