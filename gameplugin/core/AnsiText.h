#pragma once
// Small text helpers shared by the plug-in's parsers. Texts are the programs'
// 8-bit ANSI bytes (code page 1252).
#include <cstddef>
#include <cstdint>

// Case-insensitive comparison of two NUL-terminated texts: ASCII letters and the
// accented letters of code page 1252 fold to one case. Null sorts before any text.
int iAnsiCompareNoCase(const char* a, const char* b);
inline bool boAnsiEqualNoCase(const char* a, const char* b)
{
    return iAnsiCompareNoCase(a, b) == 0;
}
// The same over two byte ranges of known length.
bool boAnsiEqualNoCase(const char* a, size_t na, const char* b, size_t nb);

// Decimal number as the C library's atol reads it (leading blanks, optional sign,
// digits up to the first other byte); a null or non-numeric text gives 0. Values
// beyond the 32-bit range saturate instead of overflowing.
int32_t lParseDecimal(const char* lpszText);
