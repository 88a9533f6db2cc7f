#pragma once
// The memory an address is fetched into (an action buffer): grows by steps of
// 4096 bytes and always keeps room for the NUL written after the bytes held.
#include <cstddef>
#include <cstdint>

class CStreamBuffer
{
public:
    static constexpr uint32_t kStep = 4096;          // first capacity, and growth step
    static constexpr uint32_t kSlack = 2;            // bytes allocated beyond the capacity
    static constexpr uint32_t kHeldMax = 0x7FFF0000; // a bigger answer is refused

    // The host's allocator (the browser's memory under the plug-in host).
    struct SAllocator
    {
        void* (*pfnAlloc)(uint32_t ulSize);
        void (*pfnFree)(void* lp);
    };

    explicit CStreamBuffer(const SAllocator& allocator) : m_allocator(allocator) {}
    ~CStreamBuffer();
    CStreamBuffer(const CStreamBuffer&) = delete;
    CStreamBuffer& operator=(const CStreamBuffer&) = delete;

    // Allocates the first kStep + kSlack bytes; false when the allocator fails.
    bool boStart();
    // Appends the bytes, growing to ((held + length) rounded down to kStep) +
    // kStep + kSlack allocated bytes when they do not fit; false (nothing kept) when the
    // allocator fails or the total would pass kHeldMax.
    bool boAppend(const void* lpBytes, uint32_t ulLength);
    // Writes the NUL after the bytes held and returns the buffer (null before boStart).
    const char* lpszTerminate();

    uint32_t ulHeld() const { return m_ulHeld; }
    uint32_t ulCapacity() const { return m_ulCapacity; }
    uint32_t ulAllocated() const { return m_lpBuffer ? m_ulCapacity + kSlack : 0; }

private:
    SAllocator m_allocator;
    char* m_lpBuffer = nullptr;
    uint32_t m_ulCapacity = 0;
    uint32_t m_ulHeld = 0;
};
