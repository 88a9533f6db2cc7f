// An owned registry key. Every call gives back the registry's own LONG status
// (ERROR_SUCCESS or a Win32 error). Root keys (HKEY_CURRENT_USER ...) are
// borrowed: pass them as the parent, never attach them.
#pragma once

#include <windows.h>

#include <string>

namespace FdWin
{

class CRegKey
{
public:
    CRegKey() = default;
    CRegKey(CRegKey&& other) noexcept : m_h(other.hDetach()) {}
    CRegKey& operator=(CRegKey&& other) noexcept;
    CRegKey(const CRegKey&) = delete;
    CRegKey& operator=(const CRegKey&) = delete;
    ~CRegKey() { lClose(); }

    // RegOpenKeyExA / RegCreateKeyExA; the key held is closed first. On
    // failure the owner stays empty. lpdwDisposition (when given) receives
    // REG_CREATED_NEW_KEY or REG_OPENED_EXISTING_KEY, and is untouched on failure.
    LONG lOpen(HKEY hParent, const char* lpszSubkey, REGSAM samDesired);
    LONG lCreate(HKEY hParent, const char* lpszSubkey, REGSAM samDesired, DWORD* lpdwDisposition = nullptr);

    HKEY h() const { return m_h; }
    explicit operator bool() const { return m_h != nullptr; }
    // Where an API that opens a key stores it; the key held is closed first.
    HKEY* phOut();
    void vAttach(HKEY h);
    HKEY hDetach();
    // RegCloseKey's status; ERROR_SUCCESS when empty. Empty afterwards either way.
    LONG lClose();

    // A REG_SZ or REG_EXPAND_SZ value (not expanded), without its terminating
    // NUL. On failure *lpstrOut is left as it was; a value of another type
    // gives ERROR_INVALID_DATATYPE.
    LONG lQueryString(const char* lpszName, std::string* lpstrOut) const;
    // A REG_DWORD value. On failure *lpdwOut is left as it was; another type
    // or size gives ERROR_INVALID_DATATYPE.
    LONG lQueryDword(const char* lpszName, DWORD* lpdwOut) const;
    LONG lSetString(const char* lpszName, const std::string& strValue) const;
    LONG lSetDword(const char* lpszName, DWORD dwValue) const;

private:
    HKEY m_h = nullptr;
};

} // namespace FdWin
