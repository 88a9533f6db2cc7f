// An owned unnamed auto-reset event, closed with its owner.
#pragma once

#include <windows.h>

namespace OBSdkClient
{

class CEventHandle
{
public:
    // Not signalled at start; get() is null when the event cannot be created.
    CEventHandle() : m_hEvent(CreateEventA(nullptr, FALSE, FALSE, nullptr)) {}
    ~CEventHandle()
    {
        if (m_hEvent != nullptr)
            CloseHandle(m_hEvent);
    }
    CEventHandle(const CEventHandle&) = delete;
    CEventHandle& operator=(const CEventHandle&) = delete;

    HANDLE get() const { return m_hEvent; }

private:
    HANDLE m_hEvent;
};

} // namespace OBSdkClient
