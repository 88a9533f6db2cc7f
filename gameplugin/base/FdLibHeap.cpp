#include "FdLibHeap.h"

#include <windows.h>

namespace FdBase
{
void* lpAlloc(size_t n)
{
    return HeapAlloc(GetProcessHeap(), 0, n);
}

void vFree(void* p)
{
    if (p)
        HeapFree(GetProcessHeap(), 0, p);
}
} // namespace FdBase
