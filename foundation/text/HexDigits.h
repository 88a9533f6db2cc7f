// Hexadecimal digits, both ways.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace FdText
{

// 0-15 for '0'-'9', 'a'-'f' and 'A'-'F'; -1 for any other byte.
int HexDigitValue(char c);
// The digit of the low four bits of nibble.
char LowerHexDigit(unsigned nibble);
char UpperHexDigit(unsigned nibble);

enum class HexCase
{
    kLower,
    kUpper,
};
// Two digits per byte, high nibble first, appended to text.
void AppendHexByte(std::string& text, uint8_t byte, HexCase letters);
void AppendHexBytes(std::string& text, const uint8_t* data, size_t size, HexCase letters);
// The bytes as one digit pair each.
std::string HexText(const void* data, size_t size, HexCase letters);

} // namespace FdText
