#include "DatagramFifo.h"

#include <cstring>
#include <new>
#include <vector>

namespace FdNet
{

namespace
{
uint32_t dwReadLe32(const uint8_t* p)
{
    return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
           (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[3]) << 24);
}
} // namespace

CDatagramFifo::CDatagramFifo(uint32_t dwGrowthStep, uint32_t dwMaxSize) : m_fifo(dwGrowthStep, dwMaxSize) {}

bool CDatagramFifo::boPush(const void* lpFirst, uint32_t dwFirst, const void* lpSecond, uint32_t dwSecond)
{
    const uint64_t record = uint64_t(kRecordPrefix) + dwFirst + dwSecond;
    if (uint64_t(m_fifo.ulGetSize()) + record > m_fifo.ulGetMaxSize())
        return false;
    // One push of the whole record, so that a failure leaves nothing behind.
    std::vector<uint8_t> bytes;
    try
    {
        bytes.resize(static_cast<size_t>(record));
    }
    catch (const std::bad_alloc&)
    {
        return false;
    }
    const uint32_t size = dwFirst + dwSecond;
    bytes[0] = static_cast<uint8_t>(size);
    bytes[1] = static_cast<uint8_t>(size >> 8);
    bytes[2] = static_cast<uint8_t>(size >> 16);
    bytes[3] = static_cast<uint8_t>(size >> 24);
    if (dwFirst != 0)
        std::memcpy(&bytes[kRecordPrefix], lpFirst, dwFirst);
    if (dwSecond != 0)
        std::memcpy(&bytes[kRecordPrefix + dwFirst], lpSecond, dwSecond);
    if (!m_fifo.boPush(bytes.data(), static_cast<uint32_t>(record)))
        return false;
    ++m_dwCount;
    return true;
}

const uint8_t* CDatagramFifo::lpFront(uint32_t* lpdwSize) const
{
    *lpdwSize = 0;
    if (boIsEmpty())
        return nullptr;
    *lpdwSize = dwReadLe32(m_fifo.lpGetData());
    return m_fifo.lpGetData() + kRecordPrefix;
}

void CDatagramFifo::vPop()
{
    uint32_t size = 0;
    if (lpFront(&size) == nullptr)
        return;
    m_fifo.vConsume(kRecordPrefix + size);
    --m_dwCount;
}

void CDatagramFifo::vClear()
{
    m_fifo.vConsume(m_fifo.ulGetSize());
    m_dwCount = 0;
}

} // namespace FdNet
