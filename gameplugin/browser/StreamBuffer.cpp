#include "StreamBuffer.h"

#include <cstring>

CStreamBuffer::~CStreamBuffer()
{
    if (m_lpBuffer)
        m_allocator.pfnFree(m_lpBuffer);
}

bool CStreamBuffer::boStart()
{
    if (m_lpBuffer)
        return true;
    m_lpBuffer = static_cast<char*>(m_allocator.pfnAlloc(kStep + kSlack));
    if (!m_lpBuffer)
        return false;
    m_ulCapacity = kStep;
    m_ulHeld = 0;
    return true;
}

bool CStreamBuffer::boAppend(const void* lpBytes, uint32_t ulLength)
{
    if (!m_lpBuffer || (ulLength && !lpBytes))
        return false;
    if (ulLength > kHeldMax - m_ulHeld)
        return false;
    const uint32_t ulTotal = m_ulHeld + ulLength;
    if (ulTotal > m_ulCapacity)
    {
        // The capacity stays kSlack below what is allocated, so the NUL always fits.
        const uint32_t ulCapacity = (ulTotal / kStep) * kStep + kStep;
        char* lpNew = static_cast<char*>(m_allocator.pfnAlloc(ulCapacity + kSlack));
        if (!lpNew)
            return false;
        std::memcpy(lpNew, m_lpBuffer, m_ulHeld);
        m_allocator.pfnFree(m_lpBuffer);
        m_lpBuffer = lpNew;
        m_ulCapacity = ulCapacity;
    }
    if (ulLength)
        std::memcpy(m_lpBuffer + m_ulHeld, lpBytes, ulLength);
    m_ulHeld = ulTotal;
    return true;
}

const char* CStreamBuffer::lpszTerminate()
{
    if (!m_lpBuffer)
        return nullptr;
    m_lpBuffer[m_ulHeld] = '\0';
    return m_lpBuffer;
}
