// Small BMP files of every kind the renderer draws, all showing one 5 x 3
// picture of four colours, for the decoder and drawing tests.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace FdHtmlTest
{
struct SBmpKind
{
    const char* name;
    uint16_t bits;
    uint32_t compression; // 0 plain, 1 RLE8, 2 RLE4, 3 bit fields
    bool boTopDown;       // written with a negative height
};

constexpr int kKindWidth = 5;
constexpr int kKindHeight = 3;

// 16- and 32-bit plain and with bit fields, RLE8, RLE4 (with encoded and
// absolute runs), and top-down 8, 24 and 32 bits.
const std::vector<SBmpKind>& bmpKinds();

// The whole file of one kind.
std::vector<uint8_t> makeKindBmp(const SBmpKind& kind);

// The picture's colour at (x, y), y from the top, as 0xRRGGBB.
uint32_t kindPixel(int x, int y);
} // namespace FdHtmlTest
