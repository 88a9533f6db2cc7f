#include "WinRegKey.h"

#include <utility>
#include <vector>

namespace FdWin
{

CRegKey& CRegKey::operator=(CRegKey&& other) noexcept
{
    if (this != &other)
        vAttach(other.hDetach());
    return *this;
}

LONG CRegKey::lOpen(HKEY hParent, const char* lpszSubkey, REGSAM samDesired)
{
    lClose();
    HKEY h = nullptr;
    const LONG lResult = RegOpenKeyExA(hParent, lpszSubkey, 0, samDesired, &h);
    if (lResult == ERROR_SUCCESS)
        m_h = h;
    return lResult;
}

LONG CRegKey::lCreate(HKEY hParent, const char* lpszSubkey, REGSAM samDesired, DWORD* lpdwDisposition)
{
    lClose();
    HKEY h = nullptr;
    DWORD dwDisposition = 0;
    const LONG lResult =
        RegCreateKeyExA(hParent, lpszSubkey, 0, nullptr, 0, samDesired, nullptr, &h, &dwDisposition);
    if (lResult != ERROR_SUCCESS)
        return lResult;
    m_h = h;
    if (lpdwDisposition)
        *lpdwDisposition = dwDisposition;
    return lResult;
}

HKEY* CRegKey::phOut()
{
    lClose();
    return &m_h;
}

void CRegKey::vAttach(HKEY h)
{
    if (h != m_h)
        lClose();
    m_h = h;
}

HKEY CRegKey::hDetach()
{
    return std::exchange(m_h, nullptr);
}

LONG CRegKey::lClose()
{
    const HKEY h = std::exchange(m_h, nullptr);
    return h != nullptr ? RegCloseKey(h) : ERROR_SUCCESS;
}

LONG CRegKey::lQueryString(const char* lpszName, std::string* lpstrOut) const
{
    // The value may grow between the size query and the read: ask again then.
    for (;;)
    {
        DWORD dwType = 0;
        DWORD dwSize = 0;
        LONG lResult = RegQueryValueExA(m_h, lpszName, nullptr, &dwType, nullptr, &dwSize);
        if (lResult != ERROR_SUCCESS)
            return lResult;
        if (dwType != REG_SZ && dwType != REG_EXPAND_SZ)
            return ERROR_INVALID_DATATYPE;
        std::vector<char> buffer(dwSize + 1, '\0');
        lResult = RegQueryValueExA(m_h, lpszName, nullptr, &dwType, reinterpret_cast<BYTE*>(buffer.data()),
                                   &dwSize);
        if (lResult == ERROR_MORE_DATA)
            continue;
        if (lResult != ERROR_SUCCESS)
            return lResult;
        if (dwType != REG_SZ && dwType != REG_EXPAND_SZ)
            return ERROR_INVALID_DATATYPE;
        // Stored strings may or may not carry their NUL: stop at the first one.
        buffer[dwSize] = '\0';
        *lpstrOut = buffer.data();
        return ERROR_SUCCESS;
    }
}

LONG CRegKey::lQueryDword(const char* lpszName, DWORD* lpdwOut) const
{
    DWORD dwType = 0;
    DWORD dwValue = 0;
    DWORD dwSize = sizeof dwValue;
    const LONG lResult =
        RegQueryValueExA(m_h, lpszName, nullptr, &dwType, reinterpret_cast<BYTE*>(&dwValue), &dwSize);
    if (lResult == ERROR_MORE_DATA)
        return ERROR_INVALID_DATATYPE;
    if (lResult != ERROR_SUCCESS)
        return lResult;
    if (dwType != REG_DWORD || dwSize != sizeof dwValue)
        return ERROR_INVALID_DATATYPE;
    *lpdwOut = dwValue;
    return ERROR_SUCCESS;
}

LONG CRegKey::lSetString(const char* lpszName, const std::string& strValue) const
{
    return RegSetValueExA(m_h, lpszName, 0, REG_SZ, reinterpret_cast<const BYTE*>(strValue.c_str()),
                          static_cast<DWORD>(strValue.size() + 1));
}

LONG CRegKey::lSetDword(const char* lpszName, DWORD dwValue) const
{
    return RegSetValueExA(m_h, lpszName, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&dwValue),
                          sizeof dwValue);
}

} // namespace FdWin
