// GIF files from outside: any bytes decode or fail, within the pixel budget.
#include "GifDecoder.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    FdHtml::SDecodedImage img;
    const FdHtml::SImageResult r = FdHtml::gifDecode(data, size, &img);
    if (r.boOk())
    {
        const uint64_t area = uint64_t(img.rect.width) * uint64_t(img.rect.height);
        for (const auto& frame : img.frames)
        {
            if (frame.size() != area)
                std::abort();
        }
        if (img.frames.empty() || area * img.frames.size() > FdHtml::kMaxImagePixels)
            std::abort();
    }
    else if (!img.frames.empty())
        std::abort();
    return 0;
}
