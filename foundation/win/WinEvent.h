// An owned event object.
#pragma once

#include "WinHandle.h"

namespace FdWin
{

class CEvent
{
public:
    CEvent() = default;
    CEvent(CEvent&&) = default;
    CEvent& operator=(CEvent&&) = default;

    // CreateEventA; 0 or the Win32 error. On failure the owner is empty.
    // An existing named event is opened (ERROR_ALREADY_EXISTS is not a failure).
    DWORD dwCreate(bool boManualReset, bool boSignalled, const char* lpszName = nullptr);
    HANDLE get() const { return m_h.get(); }
    bool boValid() const { return m_h.boValid(); }
    // SetEvent / ResetEvent; false (GetLastError) on failure or when empty.
    bool boSet() const { return SetEvent(m_h.get()) != FALSE; }
    bool boReset() const { return ResetEvent(m_h.get()) != FALSE; }
    // Waits up to dwMs; the WaitForSingleObject result.
    DWORD dwWait(DWORD dwMs) const { return WaitForSingleObject(m_h.get(), dwMs); }
    void vAttach(HANDLE h) { m_h.vAttach(h); }
    HANDLE hDetach() { return m_h.hDetach(); }
    bool boClose() { return m_h.boClose(); }

private:
    CHandle m_h;
};

} // namespace FdWin
