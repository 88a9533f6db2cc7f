#include "ResStringBase.h"

#include <cstdio>
#include <cstring>
#include <new>

namespace FdBase
{

CResStringBase::CResStringBase(uint32_t dwId, const char* lpszPrefix, uint32_t dwSize,
                               PFN_GETMODULE pfnGetModule)
    : m_pfnGetModule(pfnGetModule)
{
    if (!pfnGetModule)
        return;
    m_lpszText = new (std::nothrow) char[(size_t)dwSize + 1];
    if (!m_lpszText)
        return;
    size_t prefix = lpszPrefix ? std::strlen(lpszPrefix) : 0;
    if (prefix > dwSize)
        prefix = dwSize; // a long prefix is cut, never run past the buffer
    if (prefix)
        std::memcpy(m_lpszText, lpszPrefix, prefix);
    m_lpszText[prefix] = '\0';
    m_dwSize = dwSize - (uint32_t)prefix;
    if (m_dwSize == 0)
        return;

    char* rest = m_lpszText + prefix;
    const HINSTANCE module = pfnGetModule(dwId, rest, m_dwSize);
    // LoadStringA counts the NUL in its room and answers 0 for a missing string.
    if (LoadStringA(module, dwId, rest, (int)m_dwSize + 1) <= 0)
        std::snprintf(rest, (size_t)m_dwSize + 1, "Could not find the resource string #%ld !", (long)dwId);
}

CResStringBase::~CResStringBase()
{
    delete[] m_lpszText;
    m_lpszText = nullptr;
    m_dwSize = 0;
}

} // namespace FdBase
