// Send queue of a datagram socket: each queued datagram keeps its bounds, so
// datagrams that wait for the socket leave one by one, never merged.
#pragma once

#include <cstdint>

#include "ByteFifo.h"

namespace FdNet
{

class CDatagramFifo
{
public:
    // Every queued datagram costs its length plus this prefix.
    static constexpr uint32_t kRecordPrefix = 4;

    CDatagramFifo(uint32_t dwGrowthStep, uint32_t dwMaxSize);
    CDatagramFifo(const CDatagramFifo&) = delete;
    CDatagramFifo& operator=(const CDatagramFifo&) = delete;

    // Queues one datagram made of the first bytes then the second ones (either
    // may be empty). False, with nothing queued, when the queue would exceed
    // its maximum or memory is short.
    bool boPush(const void* lpFirst, uint32_t dwFirst, const void* lpSecond = nullptr, uint32_t dwSecond = 0);
    bool boIsEmpty() const { return m_fifo.ulGetSize() == 0; }
    // The oldest datagram (borrowed until the next push or pop); nothing when empty.
    const uint8_t* lpFront(uint32_t* lpdwSize) const;
    void vPop();
    void vClear();
    // Bytes in use, prefixes included.
    uint32_t ulGetSize() const { return m_fifo.ulGetSize(); }
    uint32_t ulGetCount() const { return m_dwCount; }
    uint32_t ulGetMaxSize() const { return m_fifo.ulGetMaxSize(); }

private:
    FdMisc::CByteFifo m_fifo;
    uint32_t m_dwCount = 0;
};

} // namespace FdNet
