#pragma once
// The library's heap allocation pair.
#include <cstddef>

namespace FdBase
{
// A block of n bytes from the process heap; null when none is left.
void* lpAlloc(size_t n);
// Frees a block of lpAlloc; null is allowed.
void vFree(void* p);
} // namespace FdBase
