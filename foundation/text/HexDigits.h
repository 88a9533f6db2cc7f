// Hexadecimal digits, both ways.
#pragma once

namespace FdText
{

// 0-15 for '0'-'9', 'a'-'f' and 'A'-'F'; -1 for any other byte.
int HexDigitValue(char c);
// The digit of the low four bits of nibble.
char LowerHexDigit(unsigned nibble);
char UpperHexDigit(unsigned nibble);

} // namespace FdText
