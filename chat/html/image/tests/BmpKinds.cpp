#include "BmpKinds.h"

namespace FdHtmlTest
{
namespace
{
using Bytes = std::vector<uint8_t>;

// Full components only, so that 5- and 6-bit fields widen to exact values.
constexpr uint32_t kPalette[4] = {0xFF0000, 0x00FF00, 0x0000FF, 0xFFFFFF};

int index(int x, int y)
{
    return (x + 2 * y) % 4;
}

void put(Bytes& b, std::size_t at, uint32_t v, int n)
{
    for (int i = 0; i < n; ++i)
        b[at + i] = static_cast<uint8_t>(v >> (8 * i));
}

void append(Bytes& b, uint32_t v, int n)
{
    b.resize(b.size() + n);
    put(b, b.size() - n, v, n);
}

uint32_t channel(uint32_t rgb, int shift, int bits)
{
    return ((rgb >> shift) & 0xFF) >> (8 - bits);
}

// One pixel row as stored (y from the top), padded to 4 bytes.
Bytes plainRow(const SBmpKind& k, int y)
{
    Bytes row;
    for (int x = 0; x < kKindWidth; ++x)
    {
        const uint32_t rgb = kPalette[index(x, y)];
        switch (k.bits)
        {
        case 8:
            row.push_back(static_cast<uint8_t>(index(x, y)));
            break;
        case 16:
            if (k.compression == 3) // 5-6-5
                append(row, (channel(rgb, 16, 5) << 11) | (channel(rgb, 8, 6) << 5) | channel(rgb, 0, 5), 2);
            else // 5-5-5
                append(row, (channel(rgb, 16, 5) << 10) | (channel(rgb, 8, 5) << 5) | channel(rgb, 0, 5), 2);
            break;
        default: // 24 and 32: blue, green, red (and a spare byte)
            append(row, rgb, 3);
            if (k.bits == 32)
                row.push_back(0);
            break;
        }
    }
    while (row.size() % 4 != 0)
        row.push_back(0);
    return row;
}

// RLE8: the bottom row in absolute mode, the others as runs of one or two.
Bytes rle8Rows()
{
    Bytes data;
    for (int y = kKindHeight - 1; y >= 0; --y)
    {
        if (y == kKindHeight - 1)
        {
            data.insert(data.end(), {0, static_cast<uint8_t>(kKindWidth)});
            for (int x = 0; x < kKindWidth; ++x)
                data.push_back(static_cast<uint8_t>(index(x, y)));
            if (kKindWidth % 2 != 0)
                data.push_back(0); // absolute runs end on a word
        }
        else
        {
            for (int x = 0; x < kKindWidth; ++x)
                data.insert(data.end(), {1, static_cast<uint8_t>(index(x, y))});
        }
        data.insert(data.end(), {0, 0}); // end of line
    }
    data.insert(data.end(), {0, 1}); // end of bitmap
    return data;
}

// RLE4: the bottom row's first three pixels in absolute mode, every other
// pixel as a run of one.
Bytes rle4Rows()
{
    Bytes data;
    for (int y = kKindHeight - 1; y >= 0; --y)
    {
        int x = 0;
        if (y == kKindHeight - 1)
        {
            data.insert(data.end(), {0, 3, static_cast<uint8_t>((index(0, y) << 4) | index(1, y)),
                                     static_cast<uint8_t>(index(2, y) << 4)});
            x = 3;
        }
        for (; x < kKindWidth; ++x)
            data.insert(data.end(), {1, static_cast<uint8_t>(index(x, y) << 4)});
        data.insert(data.end(), {0, 0});
    }
    data.insert(data.end(), {0, 1});
    return data;
}
} // namespace

const std::vector<SBmpKind>& bmpKinds()
{
    static const std::vector<SBmpKind> kinds = {
        {"16 bits", 16, 0, false},
        {"16 bits, bit fields 5-6-5", 16, 3, false},
        {"32 bits", 32, 0, false},
        {"32 bits, bit fields", 32, 3, false},
        {"RLE8", 8, 1, false},
        {"RLE4", 4, 2, false},
        {"8 bits top-down", 8, 0, true},
        {"24 bits top-down", 24, 0, true},
        {"32 bits top-down", 32, 0, true},
    };
    return kinds;
}

Bytes makeKindBmp(const SBmpKind& k)
{
    Bytes pixels;
    if (k.compression == 1)
        pixels = rle8Rows();
    else if (k.compression == 2)
        pixels = rle4Rows();
    else
    {
        for (int i = 0; i < kKindHeight; ++i)
        {
            const Bytes row = plainRow(k, k.boTopDown ? i : kKindHeight - 1 - i);
            pixels.insert(pixels.end(), row.begin(), row.end());
        }
    }
    Bytes extra; // masks or colour table
    if (k.compression == 3)
    {
        if (k.bits == 16)
            for (uint32_t m : {0xF800u, 0x07E0u, 0x001Fu})
                append(extra, m, 4);
        else
            for (uint32_t m : {0xFF0000u, 0x00FF00u, 0x0000FFu})
                append(extra, m, 4);
    }
    const uint32_t colours = k.bits <= 8 ? 4 : 0;
    for (uint32_t i = 0; i < colours; ++i)
        append(extra, kPalette[i], 4);
    Bytes b(14 + 40);
    b[0] = 'B';
    b[1] = 'M';
    put(b, 10, static_cast<uint32_t>(14 + 40 + extra.size()), 4);
    put(b, 14, 40, 4);
    put(b, 18, kKindWidth, 4);
    put(b, 22, static_cast<uint32_t>(k.boTopDown ? -kKindHeight : kKindHeight), 4);
    put(b, 26, 1, 2);
    put(b, 28, k.bits, 2);
    put(b, 30, k.compression, 4);
    put(b, 34, k.compression == 1 || k.compression == 2 ? static_cast<uint32_t>(pixels.size()) : 0, 4);
    put(b, 46, colours, 4);
    b.insert(b.end(), extra.begin(), extra.end());
    b.insert(b.end(), pixels.begin(), pixels.end());
    put(b, 2, static_cast<uint32_t>(b.size()), 4);
    return b;
}

uint32_t kindPixel(int x, int y)
{
    return kPalette[index(x, y)];
}
} // namespace FdHtmlTest
