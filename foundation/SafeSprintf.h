#pragma once
#include <cstddef>

namespace FdLib
{

// Formats at most n characters into a buffer of n+1 and always writes a NUL at index n.
// Returns the length stored.
int iSafeSprintf(char* lpszBuffer, size_t n, const char* lpszFormat, ...);

} // namespace FdLib
