#include "BmpDecoder.h"

#include <cstdint>
#include <cstring>

namespace FdHtml
{
namespace
{
constexpr uint32_t kCoreHeaderSize = 12;
constexpr uint32_t kRgbCompression = 0;
constexpr uint32_t kRle8Compression = 1;
constexpr uint32_t kRle4Compression = 2;
constexpr uint32_t kBitfieldsCompression = 3;

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
    const uint32_t headerImageSize = dwLe(info + 20);
    uint32_t colours = dwLe(info + 32);
    if (bitCount != 1 && bitCount != 4 && bitCount != 8 && bitCount != 16 && bitCount != 24 && bitCount != 32)
        return imageFailure(EImageStatus::BadHeader, kBmpFileHeaderSize + 14,
                            "bit count not 1, 4, 8, 16, 24 or 32");
    const bool boRle = compression == kRle8Compression || compression == kRle4Compression;
    if (compression == kRle8Compression && bitCount != 8)
        return imageFailure(EImageStatus::BadHeader, kBmpFileHeaderSize + 16, "RLE8 without 8 bits");
    if (compression == kRle4Compression && bitCount != 4)
        return imageFailure(EImageStatus::BadHeader, kBmpFileHeaderSize + 16, "RLE4 without 4 bits");
    if (compression == kBitfieldsCompression && bitCount != 16 && bitCount != 32)
        return imageFailure(EImageStatus::BadHeader, kBmpFileHeaderSize + 16,
                            "bit fields without 16 or 32 bits");
    if (compression != kRgbCompression && !boRle && compression != kBitfieldsCompression)
        return imageFailure(EImageStatus::BadHeader, kBmpFileHeaderSize + 16, "unknown compression");
    // A negative height is a top-down bitmap; the most negative value has no
    // positive twin and is refused with 0.
    if (width <= 0 || height == 0 || height == INT32_MIN)
        return imageFailure(EImageStatus::BadHeader, kBmpFileHeaderSize + 4,
                            "width or height 0 or out of range");
    if (height < 0 && boRle)
        return imageFailure(EImageStatus::BadHeader, kBmpFileHeaderSize + 8, "top-down run-length bitmap");
    const uint32_t rows = static_cast<uint32_t>(height < 0 ? -height : height);
    if (uint64_t{static_cast<uint32_t>(width)} * rows > kMaxFramePixels)
        return imageFailure(EImageStatus::TooLarge, kBmpFileHeaderSize + 4, "image over the pixel budget");
    // Bitmaps of 16, 24 and 32 bits carry their colours in the pixels: a table
    // only when the header counts one.
    if (colours == 0 && bitCount <= 8)
        colours = 1u << bitCount;
    if (bitCount <= 8 && colours > (1u << bitCount))
        return imageFailure(EImageStatus::BadHeader, kBmpFileHeaderSize + 32,
                            "more colours than the bit count allows");

    // Bit fields: the three masks follow a 40-byte header (a longer header
    // holds them in its own fields at the same place), then the table.
    const uint64_t masksSize = compression == kBitfieldsCompression ? kBmpMasksSize : 0;
    if (n - kBmpFileHeaderSize < kBmpInfoHeaderSize + masksSize)
        return imageFailure(EImageStatus::ShortHeader, n, "short colour masks");
    const uint64_t tableOffset =
        uint64_t{kBmpFileHeaderSize} + headerSize + (headerSize == kBmpInfoHeaderSize ? masksSize : 0);
    const uint64_t tableSize = uint64_t{colours} * 4;
    if (tableOffset + tableSize > n)
        return imageFailure(EImageStatus::ShortHeader, n, "short colour table");
    const uint64_t pixelStart = pixelOffset != 0 ? pixelOffset : tableOffset + tableSize;
    if (pixelStart > n)
        return imageFailure(EImageStatus::ShortHeader, n, "short pixel data");
    // Run-length data are as long as the header says, or the rest of the
    // file; the drawing stops at their end.
    uint64_t imageSize = qwBmpStride(static_cast<uint32_t>(width), bitCount) * rows;
    if (boRle)
        imageSize = headerImageSize != 0 ? headerImageSize : n - pixelStart;
    if (n - pixelStart < imageSize)
        return imageFailure(EImageStatus::ShortHeader, n, "short pixel data");

    SDecodedImage img;
    img.boWholeDib = true;
    img.rect.width = width;
    img.rect.height = static_cast<int32_t>(rows);
    std::vector<uint8_t> dib(kBmpInfoHeaderSize +
                             static_cast<std::size_t>(masksSize + tableSize + imageSize));
    uint8_t* out = dib.data();
    std::memcpy(out, info, kBmpInfoHeaderSize);
    vPutLe(out, kBmpInfoHeaderSize);
    vPutLe(out + 20, static_cast<uint32_t>(imageSize));
    vPutLe(out + 32, colours);
    out += kBmpInfoHeaderSize;
    std::memcpy(out, info + kBmpInfoHeaderSize, static_cast<std::size_t>(masksSize));
    out += masksSize;
    std::memcpy(out, p + tableOffset, static_cast<std::size_t>(tableSize));
    out += tableSize;
    std::memcpy(out, p + pixelStart, static_cast<std::size_t>(imageSize));
    const uint8_t* table = p + tableOffset;
    for (uint32_t i = 0; i < colours && i < 256; ++i)
        img.palette.push_back(SRgb{table[4 * i + 2], table[4 * i + 1], table[4 * i]});
    img.frames.push_back(std::move(dib));
    *pOut = std::move(img);
    return SImageResult();
}
} // namespace FdHtml
