#pragma once
// Growable byte queue: socket send buffers and stream reassembly.
#include <cstdint>
#include <memory>

namespace FdMisc
{

class CByteFifo
{
public:
    // Starts with a block of one growth step; the unread content never exceeds `dwMaxSize`.
    CByteFifo(uint32_t dwGrowthStep, uint32_t dwMaxSize);
    CByteFifo(const CByteFifo&) = delete;
    CByteFifo& operator=(const CByteFifo&) = delete;

    // Copies n bytes behind the unread ones. False, with nothing changed, when the unread
    // content would exceed the max size or memory is short.
    bool boPush(const void* lpBytes, uint32_t n);
    // First unread byte (valid until the next push or consume).
    const uint8_t* lpGetData() const { return m_lpData.get() + m_dwRead; }
    uint32_t ulGetSize() const { return m_dwWrite - m_dwRead; }
    // Drops n unread bytes (at most all of them); once all are read both indexes go back to 0.
    void vConsume(uint32_t n);
    uint32_t ulGetMaxSize() const { return m_dwMaxSize; }
    uint32_t ulGetCapacity() const { return m_dwCapacity; }

private:
    std::unique_ptr<uint8_t[]> m_lpData;
    uint32_t m_dwCapacity = 0;
    uint32_t m_dwRead = 0;
    uint32_t m_dwWrite = 0;
    uint32_t m_dwGrowthStep;
    uint32_t m_dwMaxSize;
};

} // namespace FdMisc
