// An owned loaded module (LoadLibrary / FreeLibrary).
#pragma once

#include <windows.h>

namespace FdWin
{

class CModule
{
public:
    CModule() = default;
    CModule(CModule&& other) noexcept : m_h(other.hDetach()) {}
    CModule& operator=(CModule&& other) noexcept;
    CModule(const CModule&) = delete;
    CModule& operator=(const CModule&) = delete;
    ~CModule() { boFree(); }

    // LoadLibraryA (the module held is freed first); 0 or the Win32 error.
    // On failure the owner is empty.
    DWORD dwLoad(const char* lpszPath);
    HMODULE get() const { return m_h; }
    // GetProcAddress cast to the function type F; null when absent or empty.
    template <class F> F pfn(const char* lpszName) const
    {
        return m_h ? reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(m_h, lpszName))) : nullptr;
    }
    void vAttach(HMODULE h);
    HMODULE hDetach();
    // False when FreeLibrary failed (GetLastError); empty afterwards either way.
    bool boFree();

private:
    HMODULE m_h = nullptr;
};

} // namespace FdWin
