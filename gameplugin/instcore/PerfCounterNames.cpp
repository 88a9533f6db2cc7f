#include "PerfCounterNames.h"

#include "AnsiText.h"

#include <cstring>

namespace PerfCounterNames
{
namespace
{
// The text starting at ulPos, bounded by the table's end; ulPos moves past its NUL.
const char* lpszNext(const char* lpText, size_t ulLength, size_t* lpulPos, size_t* lpulSize)
{
    if (*lpulPos >= ulLength)
        return nullptr;
    const char* lpszStart = lpText + *lpulPos;
    const void* lpNul = std::memchr(lpszStart, 0, ulLength - *lpulPos);
    const size_t ulSize =
        lpNul ? static_cast<size_t>(static_cast<const char*>(lpNul) - lpszStart) : ulLength - *lpulPos;
    *lpulPos += ulSize + 1;
    *lpulSize = ulSize;
    return lpszStart;
}

bool boParseIndex(const char* lpText, size_t ulSize, uint32_t* lpdwIndex)
{
    if (ulSize == 0 || ulSize > 10)
        return false;
    uint64_t v = 0;
    for (size_t i = 0; i < ulSize; ++i)
    {
        if (lpText[i] < '0' || lpText[i] > '9')
            return false;
        v = v * 10 + static_cast<uint64_t>(lpText[i] - '0');
    }
    if (v > UINT32_MAX)
        return false;
    *lpdwIndex = static_cast<uint32_t>(v);
    return true;
}
} // namespace

bool boFindIndex(const char* lpText, size_t ulLength, const char* lpszName, uint32_t* lpdwIndex)
{
    if (!lpText || !lpszName)
        return false;
    const size_t ulName = std::strlen(lpszName);
    size_t ulPos = 0;
    for (;;)
    {
        size_t ulIndexSize = 0, ulNameSize = 0;
        const char* lpszIndex = lpszNext(lpText, ulLength, &ulPos, &ulIndexSize);
        const char* lpszCounter = lpszNext(lpText, ulLength, &ulPos, &ulNameSize);
        if (!lpszIndex || !lpszCounter || ulIndexSize == 0)
            return false;
        uint32_t dwIndex = 0;
        if (boParseIndex(lpszIndex, ulIndexSize, &dwIndex) &&
            boAnsiEqualNoCase(lpszCounter, ulNameSize, lpszName, ulName))
        {
            *lpdwIndex = dwIndex;
            return true;
        }
    }
}

} // namespace PerfCounterNames
