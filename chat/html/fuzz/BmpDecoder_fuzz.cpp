// BMP files from outside: any bytes decode or fail; a decoded bitmap holds
// its whole colour table and every pixel row.
#include "BmpDecoder.h"

#include <cstdlib>

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
    const uint32_t bits = dib[14] | (dib[15] << 8);
    const uint32_t colours = dib[32] | (dib[33] << 8) | (dib[34] << 16) | (uint32_t(dib[35]) << 24);
    const uint64_t rows = FdHtml::qwBmpStride(uint32_t(img.rect.width), bits) * uint32_t(img.rect.height);
    if (dib.size() != FdHtml::kBmpInfoHeaderSize + uint64_t(colours) * 4 + rows)
        std::abort();
    return 0;
}
