#include "WinHandle.h"
#include "WinEvent.h"
#include "WinModule.h"

#include <utility>

namespace FdWin
{

CHandle& CHandle::operator=(CHandle&& other) noexcept
{
    if (this != &other)
        vAttach(other.hDetach());
    return *this;
}

void CHandle::vAttach(HANDLE h)
{
    if (h != m_h)
        boClose();
    m_h = h;
}

HANDLE CHandle::hDetach()
{
    return std::exchange(m_h, nullptr);
}

bool CHandle::boClose()
{
    const HANDLE h = std::exchange(m_h, nullptr);
    if (h == nullptr || h == INVALID_HANDLE_VALUE)
        return true;
    return CloseHandle(h) != FALSE;
}

DWORD CEvent::dwCreate(bool boManualReset, bool boSignalled, const char* lpszName)
{
    m_h.boClose();
    HANDLE h = CreateEventA(nullptr, boManualReset ? TRUE : FALSE, boSignalled ? TRUE : FALSE, lpszName);
    if (h == nullptr)
        return GetLastError();
    m_h.vAttach(h);
    return 0;
}

CModule& CModule::operator=(CModule&& other) noexcept
{
    if (this != &other)
        vAttach(other.hDetach());
    return *this;
}

DWORD CModule::dwLoad(const char* lpszPath)
{
    boFree();
    m_h = LoadLibraryA(lpszPath);
    return m_h != nullptr ? 0 : GetLastError();
}

void CModule::vAttach(HMODULE h)
{
    if (h != m_h)
        boFree();
    m_h = h;
}

HMODULE CModule::hDetach()
{
    return std::exchange(m_h, nullptr);
}

bool CModule::boFree()
{
    const HMODULE h = std::exchange(m_h, nullptr);
    return h == nullptr || FreeLibrary(h) != FALSE;
}

} // namespace FdWin
