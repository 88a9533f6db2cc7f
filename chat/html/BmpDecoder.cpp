#include "BmpDecoder.h"

#include <cstring>

namespace FdHtml
{
namespace
{
constexpr uint32_t kCoreHeaderSize = 12;
constexpr uint32_t kRgbCompression = 0;

uint32_t dwLe(const uint8_t* p)
{
    return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
           (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[3]) << 24);
}
uint16_t wLe(const uint8_t* p)
{
    return static_cast<uint16_t>(p[0] | (p[1] << 8));
}
void vPutLe(uint8_t* p, uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        p[i] = static_cast<uint8_t>(v >> (8 * i));
}
} // namespace

uint64_t qwBmpStride(uint32_t width, uint32_t bitCount)
{
    return ((uint64_t{bitCount} * width + 31) / 32) * 4;
}

SImageResult bmpDecode(const uint8_t* p, std::size_t n, SDecodedImage* pOut)
{
    *pOut = SDecodedImage();
    if (n < 2 || p[0] != 'B' || p[1] != 'M')
        return imageFailure(EImageStatus::NotThisKind, 0, "no BMP signature");
    if (n < kBmpFileHeaderSize + 4)
        return imageFailure(EImageStatus::ShortHeader, n, "short file header");
    const uint32_t pixelOffset = dwLe(p + 10);
    const uint8_t* info = p + kBmpFileHeaderSize;
    const uint32_t headerSize = dwLe(info);
    if (headerSize == kCoreHeaderSize)
        return imageFailure(EImageStatus::BadHeader, kBmpFileHeaderSize, "core header");
    if (headerSize < kBmpInfoHeaderSize)
        return imageFailure(EImageStatus::BadHeader, kBmpFileHeaderSize, "header shorter than 40 bytes");
    if (n - kBmpFileHeaderSize < headerSize)
        return imageFailure(EImageStatus::ShortHeader, n, "short info header");

    const int32_t width = static_cast<int32_t>(dwLe(info + 4));
    const int32_t height = static_cast<int32_t>(dwLe(info + 8));
    const uint16_t bitCount = wLe(info + 14);
    const uint32_t compression = dwLe(info + 16);
    uint32_t colours = dwLe(info + 32);
    if (bitCount != 1 && bitCount != 4 && bitCount != 8 && bitCount != 24)
        return imageFailure(EImageStatus::BadHeader, kBmpFileHeaderSize + 14, "bit count not 1, 4, 8 or 24");
    if (compression != kRgbCompression)
        return imageFailure(EImageStatus::BadHeader, kBmpFileHeaderSize + 16, "compressed");
    if (width <= 0 || height <= 0)
        return imageFailure(EImageStatus::BadHeader, kBmpFileHeaderSize + 4, "width or height not above 0");
    if (uint64_t{static_cast<uint32_t>(width)} * static_cast<uint32_t>(height) > kMaxFramePixels)
        return imageFailure(EImageStatus::TooLarge, kBmpFileHeaderSize + 4, "image over the pixel budget");
    if (colours == 0 && bitCount != 24)
        colours = 1u << bitCount;
    if (bitCount != 24 && colours > (1u << bitCount))
        return imageFailure(EImageStatus::BadHeader, kBmpFileHeaderSize + 32,
                            "more colours than the bit count allows");

    const uint64_t tableOffset = uint64_t{kBmpFileHeaderSize} + headerSize;
    const uint64_t tableSize = uint64_t{colours} * 4;
    if (tableOffset + tableSize > n)
        return imageFailure(EImageStatus::ShortHeader, n, "short colour table");
    const uint64_t imageSize =
        qwBmpStride(static_cast<uint32_t>(width), bitCount) * static_cast<uint32_t>(height);
    const uint64_t pixelStart = pixelOffset != 0 ? pixelOffset : tableOffset + tableSize;
    if (pixelStart > n || n - pixelStart < imageSize)
        return imageFailure(EImageStatus::ShortHeader, n, "short pixel data");

    SDecodedImage img;
    img.boWholeDib = true;
    img.rect.width = width;
    img.rect.height = height;
    std::vector<uint8_t> dib(kBmpInfoHeaderSize + static_cast<std::size_t>(tableSize) +
                             static_cast<std::size_t>(imageSize));
    std::memcpy(dib.data(), info, kBmpInfoHeaderSize);
    vPutLe(dib.data(), kBmpInfoHeaderSize);
    vPutLe(dib.data() + 20, static_cast<uint32_t>(imageSize));
    vPutLe(dib.data() + 32, colours);
    std::memcpy(dib.data() + kBmpInfoHeaderSize, p + tableOffset, static_cast<std::size_t>(tableSize));
    std::memcpy(dib.data() + kBmpInfoHeaderSize + tableSize, p + pixelStart,
                static_cast<std::size_t>(imageSize));
    const uint8_t* table = p + tableOffset;
    for (uint32_t i = 0; i < colours && i < 256; ++i)
        img.palette.push_back(SRgb{table[4 * i + 2], table[4 * i + 1], table[4 * i]});
    img.frames.push_back(std::move(dib));
    *pOut = std::move(img);
    return SImageResult();
}
} // namespace FdHtml
