#include "AnsiText.h"

#include <climits>

namespace
{
// Lower-case form of one code page 1252 byte.
unsigned char bFold(unsigned char c)
{
    if (c >= 'A' && c <= 'Z')
        return static_cast<unsigned char>(c + ('a' - 'A'));
    if (c >= 0xC0 && c <= 0xDE && c != 0xD7) // À..Þ except the multiplication sign
        return static_cast<unsigned char>(c + 0x20);
    switch (c)
    {
    case 0x8A: // Š
    case 0x8C: // Œ
    case 0x8E: // Ž
        return static_cast<unsigned char>(c + 0x10);
    case 0x9F: // Ÿ
        return 0xFF;
    default:
        return c;
    }
}
} // namespace

int iAnsiCompareNoCase(const char* a, const char* b)
{
    if (!a || !b)
        return (a ? 1 : 0) - (b ? 1 : 0);
    for (;; ++a, ++b)
    {
        const unsigned char ca = bFold(static_cast<unsigned char>(*a));
        const unsigned char cb = bFold(static_cast<unsigned char>(*b));
        if (ca != cb)
            return ca < cb ? -1 : 1;
        if (ca == 0)
            return 0;
    }
}

bool boAnsiEqualNoCase(const char* a, size_t na, const char* b, size_t nb)
{
    if (na != nb)
        return false;
    for (size_t i = 0; i < na; ++i)
    {
        if (bFold(static_cast<unsigned char>(a[i])) != bFold(static_cast<unsigned char>(b[i])))
            return false;
    }
    return true;
}

int32_t lParseDecimal(const char* lpszText)
{
    if (!lpszText)
        return 0;
    const char* p = lpszText;
    while (*p == ' ' || (*p >= '\t' && *p <= '\r'))
        ++p;
    bool boNegative = false;
    if (*p == '+' || *p == '-')
        boNegative = (*p++ == '-');
    int64_t llValue = 0;
    const int64_t llLimit = boNegative ? -static_cast<int64_t>(INT32_MIN) : INT32_MAX;
    for (; *p >= '0' && *p <= '9'; ++p)
    {
        llValue = llValue * 10 + (*p - '0');
        if (llValue > llLimit)
            llValue = llLimit;
    }
    return static_cast<int32_t>(boNegative ? -llValue : llValue);
}
