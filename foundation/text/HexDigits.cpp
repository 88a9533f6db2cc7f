#include "HexDigits.h"

namespace FdText
{

int HexDigitValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

char LowerHexDigit(unsigned nibble)
{
    return "0123456789abcdef"[nibble & 0x0F];
}

char UpperHexDigit(unsigned nibble)
{
    return "0123456789ABCDEF"[nibble & 0x0F];
}

void AppendHexByte(std::string& text, uint8_t byte, HexCase letters)
{
    const bool upper = letters == HexCase::kUpper;
    text += upper ? UpperHexDigit(byte >> 4) : LowerHexDigit(byte >> 4);
    text += upper ? UpperHexDigit(byte) : LowerHexDigit(byte);
}

void AppendHexBytes(std::string& text, const uint8_t* data, size_t size, HexCase letters)
{
    text.reserve(text.size() + size * 2);
    for (size_t i = 0; i < size; ++i)
        AppendHexByte(text, data[i], letters);
}

std::string HexText(const void* data, size_t size, HexCase letters)
{
    std::string text;
    AppendHexBytes(text, static_cast<const uint8_t*>(data), size, letters);
    return text;
}

} // namespace FdText
