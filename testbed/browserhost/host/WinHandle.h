// Owning wrappers of the handles the browser host keeps.
#pragma once

#include <windows.h>
#include <ole2.h>

namespace FdBrowserHost
{
// A kernel handle (file, thread, event); INVALID_HANDLE_VALUE and null both
// mean none.
class CHandle
{
public:
    CHandle() = default;
    explicit CHandle(HANDLE h) : m_h(h) {}
    CHandle(const CHandle&) = delete;
    CHandle& operator=(const CHandle&) = delete;
    ~CHandle() { vClose(); }

    bool boValid() const { return m_h && m_h != INVALID_HANDLE_VALUE; }
    HANDLE get() const { return m_h; }
    void vAttach(HANDLE h)
    {
        vClose();
        m_h = h;
    }
    // False when CloseHandle failed.
    bool vClose()
    {
        bool boOk = true;
        if (boValid())
            boOk = CloseHandle(m_h) != FALSE;
        m_h = nullptr;
        return boOk;
    }

private:
    HANDLE m_h = nullptr;
};

class CModuleHandle
{
public:
    CModuleHandle() = default;
    CModuleHandle(const CModuleHandle&) = delete;
    CModuleHandle& operator=(const CModuleHandle&) = delete;
    ~CModuleHandle() { vFree(); }

    HMODULE get() const { return m_h; }
    void vAttach(HMODULE h)
    {
        vFree();
        m_h = h;
    }
    void vFree()
    {
        if (m_h)
            FreeLibrary(m_h);
        m_h = nullptr;
    }

private:
    HMODULE m_h = nullptr;
};

// OleUninitialize only after an OleInitialize that succeeded.
class COleUse
{
public:
    COleUse() { m_boStarted = SUCCEEDED(OleInitialize(nullptr)); }
    COleUse(const COleUse&) = delete;
    COleUse& operator=(const COleUse&) = delete;
    ~COleUse()
    {
        if (m_boStarted)
            OleUninitialize();
    }
    bool boStarted() const { return m_boStarted; }

private:
    bool m_boStarted = false;
};
} // namespace FdBrowserHost
