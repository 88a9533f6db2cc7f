#include "ByteFifo.h"

#include <cstring>
#include <new>

namespace FdMisc
{

CByteFifo::CByteFifo(uint32_t dwGrowthStep, uint32_t dwMaxSize)
    : m_dwGrowthStep(dwGrowthStep ? dwGrowthStep : 1), m_dwMaxSize(dwMaxSize)
{
    m_lpData.reset(new (std::nothrow) uint8_t[m_dwGrowthStep]);
    if (m_lpData)
        m_dwCapacity = m_dwGrowthStep;
}

bool CByteFifo::boPush(const void* lpBytes, uint32_t n)
{
    if (n == 0)
        return true;
    const uint64_t content = ulGetSize();
    const uint64_t needed = content + n;
    // The bound holds on every path, also when the block has room behind the write index.
    if (needed > m_dwMaxSize)
        return false;
    if ((uint64_t)m_dwWrite + n <= m_dwCapacity)
    {
        std::memcpy(m_lpData.get() + m_dwWrite, lpBytes, n);
        m_dwWrite += n;
        return true;
    }
    if (m_dwCapacity < needed)
    {
        uint64_t capacity = m_dwCapacity;
        while (capacity < needed)
            capacity += m_dwGrowthStep;
        if (capacity > UINT32_MAX)
            return false;
        std::unique_ptr<uint8_t[]> block(new (std::nothrow) uint8_t[capacity]);
        if (!block)
            return false;
        if (content)
            std::memcpy(block.get(), m_lpData.get() + m_dwRead, content);
        m_lpData = std::move(block);
        m_dwCapacity = (uint32_t)capacity;
    }
    else if (content)
    {
        std::memmove(m_lpData.get(), m_lpData.get() + m_dwRead, content);
    }
    m_dwRead = 0;
    m_dwWrite = (uint32_t)content;
    std::memcpy(m_lpData.get() + m_dwWrite, lpBytes, n);
    m_dwWrite += n;
    return true;
}

void CByteFifo::vConsume(uint32_t n)
{
    const uint32_t size = ulGetSize();
    m_dwRead += n < size ? n : size;
    if (m_dwRead == m_dwWrite)
        m_dwRead = m_dwWrite = 0;
}

} // namespace FdMisc
