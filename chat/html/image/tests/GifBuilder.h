// Writes small GIF files byte by byte for the decoder tests: header,
// blocks, and LZW codes packed least significant bit first.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace FdHtmlTest
{
using Bytes = std::vector<uint8_t>;

struct SCode
{
    int code;
    int width;
};

class CGifBuilder
{
public:
    // Signature, screen descriptor and a global table of 2^(exponent+1)
    // grey entries (none when exponent < 0).
    explicit CGifBuilder(int width, int height, int exponent = 1, const std::string& signature = "GIF89a",
                         uint8_t aspect = 0);
    CGifBuilder& raw(const Bytes& bytes);
    CGifBuilder& graphicControl(bool transparent, uint8_t index, uint16_t delay);
    // An extension whose sub-blocks are the given chunks.
    CGifBuilder& extension(uint8_t label, const std::vector<Bytes>& subBlocks);
    CGifBuilder& descriptor(int width, int height, bool interlaced = false, int localExponent = -1);
    // The minimum code size, then the codes in sub-blocks of at most
    // blockSize bytes and the terminator (unless boTerminate is false).
    CGifBuilder& codes(int minCodeSize, const std::vector<SCode>& codes, std::size_t blockSize = 255,
                       bool boTerminate = true);
    CGifBuilder& trailer();
    Bytes bytes() const { return m_bytes; }

private:
    Bytes m_bytes;
};

// Codes that spell the pixels literally (a clear code before every code
// that would widen), for images with m-bit pixels; ends with the end code.
std::vector<SCode> literalCodes(int minCodeSize, const Bytes& pixels);
} // namespace FdHtmlTest
