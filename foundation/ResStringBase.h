#pragma once
// A string-table text loaded into an owned buffer, behind an optional prefix.
#include <windows.h>

#include <cstdint>

namespace FdBase
{

class CResStringBase
{
public:
    // Returns the module that holds the string table, given (string id, buffer, room).
    typedef HINSTANCE (*PFN_GETMODULE)(uint32_t dwId, char* lpszBuffer, uint32_t dwRoom);

    // Allocates dwSize+1 characters, copies the prefix to the front (cut to dwSize) and loads
    // string dwId behind it, in the room left. A missing string gives
    // "Could not find the resource string #<id> !" there instead. A null getter (or memory
    // shortage) leaves the object empty.
    CResStringBase(uint32_t dwId, const char* lpszPrefix, uint32_t dwSize, PFN_GETMODULE pfnGetModule);
    virtual ~CResStringBase();
    CResStringBase(const CResStringBase&) = delete;
    CResStringBase& operator=(const CResStringBase&) = delete;

    // The whole text, prefix included; "" when empty.
    const char* lpszGetText() const { return m_lpszText ? m_lpszText : ""; }
    operator const char*() const { return lpszGetText(); }
    // Room that was left for the loaded text, in characters.
    uint32_t dwGetSize() const { return m_dwSize; }

private:
    uint32_t m_dwSize = 0;
    char* m_lpszText = nullptr;
    PFN_GETMODULE m_pfnGetModule;
};

} // namespace FdBase
