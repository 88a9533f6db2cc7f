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

} // namespace FdText
