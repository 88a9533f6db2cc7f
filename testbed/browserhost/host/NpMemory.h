// NPN_MemAlloc and NPN_MemFree: the process heap, with every live block
// known so that a leak or a free of a foreign pointer shows in the log.
#pragma once

#include <cstddef>
#include <cstdint>
#include <mutex>
#include <unordered_set>

namespace FdBrowserHost
{
class CNpMemory
{
public:
    static CNpMemory& Get();

    // Null when the heap has no room; a size of 0 gives a block of 1 byte.
    void* pvAlloc(uint32_t size);
    // False (and nothing freed) for a pointer this allocator did not give or
    // already took back; null is accepted.
    bool boFree(void* p);
    std::size_t nLive() const;

private:
    CNpMemory() = default;
    mutable std::mutex m_mutex;
    std::unordered_set<void*> m_live;
};
} // namespace FdBrowserHost
