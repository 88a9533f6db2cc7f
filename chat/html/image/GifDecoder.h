// GIF decoder: every image of the file becomes a frame of palette indices.
#pragma once

#include "DecodedImage.h"

namespace FdHtml
{
// "GIF87a", "GIF89a", or any 6 bytes whose values add up to 424.
bool boIsGifSignature(const uint8_t* p, std::size_t n);

// Decodes the whole file into *pOut (cleared first). Data that end after an
// image keep the frames read so far (unread rows 0) and succeed, and so does
// an animation of more than kMaxImageFrames frames with its first ones; a missing
// signature, a non-zero pixel aspect byte, a cut header, descriptor or
// colour table, no image at all, or a frame over the pixel budget fail and
// leave *pOut empty.
SImageResult gifDecode(const uint8_t* p, std::size_t n, SDecodedImage* pOut);
} // namespace FdHtml
