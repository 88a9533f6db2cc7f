#pragma once
// An owned registry key handle.
#include <windows.h>

class CRegKey
{
public:
    CRegKey() = default;
    ~CRegKey() { vClose(); }
    CRegKey(const CRegKey&) = delete;
    CRegKey& operator=(const CRegKey&) = delete;

    // RegOpenKeyExA / RegCreateKeyExA; the Win32 result. On failure the handle stays null.
    LONG lOpen(HKEY hRoot, const char* lpszSubkey, REGSAM samDesired)
    {
        vClose();
        return RegOpenKeyExA(hRoot, lpszSubkey, 0, samDesired, &m_h);
    }
    LONG lCreate(HKEY hRoot, const char* lpszSubkey, REGSAM samDesired)
    {
        vClose();
        return RegCreateKeyExA(hRoot, lpszSubkey, 0, nullptr, 0, samDesired, nullptr, &m_h, nullptr);
    }
    HKEY h() const { return m_h; }
    void vClose()
    {
        if (m_h)
            RegCloseKey(m_h);
        m_h = nullptr;
    }

private:
    HKEY m_h = nullptr;
};
