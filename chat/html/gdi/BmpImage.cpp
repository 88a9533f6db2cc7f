#include "BmpImage.h"

#include "BmpDecoder.h"

using namespace FdHtml;

BOOL CBmpImage::boLoadFromMemory(const uint8_t* p, std::size_t n)
{
    SDecodedImage decoded;
    const SImageResult r = bmpDecode(p, n, &decoded);
    return boAdopt(r, std::move(decoded));
}
