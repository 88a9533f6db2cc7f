// What the image decoders produce: frames of 8-bit palette indices (GIF) or
// one whole device-independent bitmap (BMP), with the palette, rectangle,
// delay and transparency. Platform-free.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace FdHtml
{
// A frame above this many pixels fails the load, as a failed allocation
// would: a few bytes of header must not claim gigabytes.
constexpr uint64_t kMaxFramePixels = 4096u * 4096u;
// All frames of one image together.
constexpr uint64_t kMaxImagePixels = 4 * kMaxFramePixels;
// Frames of one image: an animation of more keeps its first ones (a file of
// tiny frames must not claim memory for millions of them).
constexpr std::size_t kMaxImageFrames = 1024;

struct SRgb
{
    uint8_t r = 0;
    uint8_t g = 0;
    uint8_t b = 0;
};

struct SImageRect
{
    int32_t left = 0;
    int32_t top = 0;
    int32_t width = 0;
    int32_t height = 0;
};

enum class EImageStatus
{
    Ok,
    NotThisKind, // missing signature
    ShortHeader, // a header, descriptor or colour table cut short
    BadHeader,   // a header field outside what the decoder takes
    NoImage,     // a GIF whose blocks end before any image
    TooLarge,    // over kMaxFramePixels or kMaxImagePixels
};

struct SImageResult
{
    EImageStatus status = EImageStatus::Ok;
    std::size_t offset = 0; // where in the input the decoder stopped on failure
    const char* text = "";  // short reason, for traces and tests
    bool boOk() const { return status == EImageStatus::Ok; }
};

inline SImageResult imageFailure(EImageStatus status, std::size_t offset, const char* text)
{
    SImageResult r;
    r.status = status;
    r.offset = offset;
    r.text = text;
    return r;
}

struct SDecodedImage
{
    // GIF: one block of width * height palette indices per image, top row
    // first. BMP: one block holding a 40-byte info header, the colour table
    // and the pixel rows as the file stores them.
    std::vector<std::vector<uint8_t>> frames;
    bool boWholeDib = false; // the BMP layout above
    std::vector<SRgb> palette;
    SImageRect rect;
    uint32_t dwDelayMs = 0;
    bool boTransparent = false;
    uint8_t bTransparentIndex = 0;
};
} // namespace FdHtml
