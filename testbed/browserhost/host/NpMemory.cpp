#include "NpMemory.h"

#include <windows.h>

namespace FdBrowserHost
{
CNpMemory& CNpMemory::Get()
{
    static CNpMemory s_memory;
    return s_memory;
}

void* CNpMemory::pvAlloc(uint32_t size)
{
    void* p = HeapAlloc(GetProcessHeap(), 0, size ? size : 1);
    if (p)
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_live.insert(p);
    }
    return p;
}

bool CNpMemory::boFree(void* p)
{
    if (!p)
        return true;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        if (m_live.erase(p) == 0)
            return false;
    }
    HeapFree(GetProcessHeap(), 0, p);
    return true;
}

std::size_t CNpMemory::nLive() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_live.size();
}
} // namespace FdBrowserHost
