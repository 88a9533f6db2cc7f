// BMP decoder: the file's bitmap becomes one frame holding a 40-byte info
// header, the colour table and the pixel rows.
#pragma once

#include "DecodedImage.h"

namespace FdHtml
{
constexpr std::size_t kBmpFileHeaderSize = 14;
constexpr std::size_t kBmpInfoHeaderSize = 40;
constexpr std::size_t kBmpMasksSize = 12; // red, green and blue masks of a bit-field bitmap

// Decodes the whole file into *pOut (cleared first). The 12-byte core header
// is refused; a header longer than 40 bytes is read as its first 40 and its
// colour table follows it. Bitmaps of 1, 4, 8, 16, 24 or 32 bits load:
// uncompressed, RLE8 (8 bits), RLE4 (4 bits) or with bit fields (16 and 32
// bits), bottom-up or top-down (a negative height; never run-length), with
// the width above 0, at most 2^bits colours up to 8 bits, and colour table and
// pixel data present in full. Anything else fails and leaves *pOut empty.
// The frame's header keeps the file's height sign; rect.height is positive.
SImageResult bmpDecode(const uint8_t* p, std::size_t n, SDecodedImage* pOut);

// Bytes per pixel row, padded to 4 (64 bits: the caller checks the range).
uint64_t qwBmpStride(uint32_t width, uint32_t bitCount);
} // namespace FdHtml
