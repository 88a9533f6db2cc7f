#include "BmpFile.h"

namespace FdBrowserHost
{
namespace
{
constexpr std::size_t kFileHeaderBytes = 14;
constexpr std::size_t kInfoHeaderBytes = 40;

void vPut16(std::vector<uint8_t>& v, std::size_t at, uint32_t x)
{
    v[at] = static_cast<uint8_t>(x);
    v[at + 1] = static_cast<uint8_t>(x >> 8);
}

void vPut32(std::vector<uint8_t>& v, std::size_t at, uint32_t x)
{
    for (int k = 0; k < 4; ++k)
        v[at + static_cast<std::size_t>(k)] = static_cast<uint8_t>(x >> (8 * k));
}

uint32_t dwGet16(const uint8_t* p)
{
    return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8;
}

uint32_t dwGet32(const uint8_t* p)
{
    return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 |
           static_cast<uint32_t>(p[2]) << 16 | static_cast<uint32_t>(p[3]) << 24;
}
} // namespace

std::vector<uint8_t> bmpEncode(const SPixels& pixels)
{
    const uint32_t w = pixels.dwWidth;
    const uint32_t h = pixels.dwHeight;
    if (w == 0 || h == 0 || w > kMaxBmpSide || h > kMaxBmpSide ||
        pixels.bgrx.size() < static_cast<std::size_t>(w) * h * 4)
        return {};
    const std::size_t stride = (static_cast<std::size_t>(w) * 3 + 3) & ~static_cast<std::size_t>(3);
    const std::size_t dataBytes = stride * h;
    std::vector<uint8_t> v(kFileHeaderBytes + kInfoHeaderBytes + dataBytes, 0);
    v[0] = 'B';
    v[1] = 'M';
    vPut32(v, 2, static_cast<uint32_t>(v.size()));
    vPut32(v, 10, kFileHeaderBytes + kInfoHeaderBytes);
    vPut32(v, 14, kInfoHeaderBytes);
    vPut32(v, 18, w);
    vPut32(v, 22, h); // positive: rows bottom-up
    vPut16(v, 26, 1);
    vPut16(v, 28, 24);
    vPut32(v, 34, static_cast<uint32_t>(dataBytes));
    vPut32(v, 38, 2835); // 72 dpi
    vPut32(v, 42, 2835);
    for (uint32_t y = 0; y < h; ++y)
    {
        const uint8_t* src = &pixels.bgrx[static_cast<std::size_t>(y) * w * 4];
        uint8_t* dst = &v[kFileHeaderBytes + kInfoHeaderBytes + static_cast<std::size_t>(h - 1 - y) * stride];
        for (uint32_t x = 0; x < w; ++x)
        {
            dst[x * 3] = src[x * 4];
            dst[x * 3 + 1] = src[x * 4 + 1];
            dst[x * 3 + 2] = src[x * 4 + 2];
        }
    }
    return v;
}

bool boBmpDecode(const uint8_t* p, std::size_t n, SPixels* pPixels)
{
    if (n < kFileHeaderBytes + kInfoHeaderBytes || p[0] != 'B' || p[1] != 'M')
        return false;
    const uint32_t offBits = dwGet32(p + 10);
    const uint32_t infoSize = dwGet32(p + 14);
    if (infoSize < kInfoHeaderBytes)
        return false;
    const int32_t iWidth = static_cast<int32_t>(dwGet32(p + 18));
    const int32_t iHeight = static_cast<int32_t>(dwGet32(p + 22));
    const uint32_t bpp = dwGet16(p + 28);
    const uint32_t compression = dwGet32(p + 30);
    if ((bpp != 24 && bpp != 32) || compression != 0 || iWidth <= 0 || iHeight == 0)
        return false;
    const bool boTopDown = iHeight < 0;
    const uint32_t w = static_cast<uint32_t>(iWidth);
    const uint32_t h = boTopDown ? 0u - static_cast<uint32_t>(iHeight) : static_cast<uint32_t>(iHeight);
    if (w > kMaxBmpSide || h > kMaxBmpSide)
        return false;
    const std::size_t bytesPerPixel = bpp / 8;
    const std::size_t stride =
        (static_cast<std::size_t>(w) * bytesPerPixel + 3) & ~static_cast<std::size_t>(3);
    if (offBits > n || n - offBits < stride * h)
        return false;
    SPixels out;
    out.dwWidth = w;
    out.dwHeight = h;
    out.bgrx.assign(static_cast<std::size_t>(w) * h * 4, 0);
    for (uint32_t y = 0; y < h; ++y)
    {
        const uint32_t row = boTopDown ? y : h - 1 - y;
        const uint8_t* src = p + offBits + static_cast<std::size_t>(row) * stride;
        uint8_t* dst = &out.bgrx[static_cast<std::size_t>(y) * w * 4];
        for (uint32_t x = 0; x < w; ++x)
        {
            dst[x * 4] = src[x * bytesPerPixel];
            dst[x * 4 + 1] = src[x * bytesPerPixel + 1];
            dst[x * 4 + 2] = src[x * bytesPerPixel + 2];
        }
    }
    *pPixels = std::move(out);
    return true;
}

uint32_t dwPixel(const SPixels& pixels, uint32_t x, uint32_t y)
{
    if (x >= pixels.dwWidth || y >= pixels.dwHeight)
        return 0;
    const uint8_t* px = &pixels.bgrx[(static_cast<std::size_t>(y) * pixels.dwWidth + x) * 4];
    return static_cast<uint32_t>(px[2]) << 16 | static_cast<uint32_t>(px[1]) << 8 | px[0];
}
} // namespace FdBrowserHost
