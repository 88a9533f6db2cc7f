#include "SafeSprintf.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>

namespace FdLib
{

int iSafeSprintf(char* lpszBuffer, size_t n, const char* lpszFormat, ...)
{
    va_list args;
    va_start(args, lpszFormat);
    const int r = std::vsnprintf(lpszBuffer, n + 1, lpszFormat, args);
    va_end(args);
    lpszBuffer[n] = '\0';
    if (r < 0)
    {
        lpszBuffer[0] = '\0';
        return 0;
    }
    return (size_t)r < n ? r : (int)n;
}

} // namespace FdLib
