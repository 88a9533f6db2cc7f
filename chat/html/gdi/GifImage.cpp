#include "GifImage.h"

#include "GifDecoder.h"

using namespace FdHtml;

BOOL CGifImage::boLoadFromMemory(const uint8_t* p, std::size_t n)
{
    SDecodedImage decoded;
    const SImageResult r = gifDecode(p, n, &decoded);
    return boAdopt(r, std::move(decoded));
}
