// Kernel handles (files, threads, processes, events, mappings): an owner that
// closes its handle, and a borrowed view that never does.
#pragma once

#include <windows.h>

namespace FdWin
{

// A handle someone else owns; copying it copies the value, nothing is closed.
class CHandleRef
{
public:
    CHandleRef() = default;
    CHandleRef(HANDLE h) : m_h(h) {}
    HANDLE get() const { return m_h; }
    bool boValid() const { return m_h != nullptr && m_h != INVALID_HANDLE_VALUE; }

private:
    HANDLE m_h = nullptr;
};

// Owns one kernel handle. Null and INVALID_HANDLE_VALUE both mean none, so
// the results of CreateFile and of CreateEvent can be taken alike.
class CHandle
{
public:
    CHandle() = default;
    // Takes ownership of h.
    explicit CHandle(HANDLE h) : m_h(h) {}
    CHandle(CHandle&& other) noexcept : m_h(other.hDetach()) {}
    CHandle& operator=(CHandle&& other) noexcept;
    CHandle(const CHandle&) = delete;
    CHandle& operator=(const CHandle&) = delete;
    ~CHandle() { boClose(); }

    HANDLE get() const { return m_h; }
    bool boValid() const { return m_h != nullptr && m_h != INVALID_HANDLE_VALUE; }
    CHandleRef ref() const { return CHandleRef(m_h); }
    // Closes the handle held, then takes h.
    void vAttach(HANDLE h);
    // Gives up ownership without closing.
    HANDLE hDetach();
    // False when CloseHandle failed (GetLastError tells why). The owner is
    // empty afterwards either way: a handle that failed to close is not
    // closed a second time. True when there was nothing to close.
    bool boClose();

private:
    HANDLE m_h = nullptr;
};

} // namespace FdWin
