// BMP files from outside: any bytes decode or fail; a decoded bitmap holds
// its masks, its whole colour table and its pixel data (every row of an
// uncompressed one), and the header counts them.
#include "BmpDecoder.h"

#include <cstdlib>

namespace
{
uint32_t dwAt(const std::vector<uint8_t>& b, std::size_t at)
{
    return b[at] | (b[at + 1] << 8) | (b[at + 2] << 16) | (uint32_t(b[at + 3]) << 24);
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    FdHtml::SDecodedImage img;
    const FdHtml::SImageResult r = FdHtml::bmpDecode(data, size, &img);
    if (!r.boOk())
    {
        if (!img.frames.empty())
            std::abort();
        return 0;
    }
    const auto& dib = img.frames.at(0);
    if (img.rect.width <= 0 || img.rect.height <= 0)
        std::abort();
    const uint32_t bits = dib[14] | (dib[15] << 8);
    const uint32_t compression = dwAt(dib, 16);
    const uint32_t dataSize = dwAt(dib, 20);
    const uint32_t colours = dwAt(dib, 32);
    const uint64_t masks = compression == 3 ? FdHtml::kBmpMasksSize : 0;
    if (dib.size() != FdHtml::kBmpInfoHeaderSize + masks + uint64_t(colours) * 4 + dataSize)
        std::abort();
    const uint64_t rows = FdHtml::qwBmpStride(uint32_t(img.rect.width), bits) * uint32_t(img.rect.height);
    if ((compression == 0 || compression == 3) && dataSize != rows)
        std::abort();
    return 0;
}
