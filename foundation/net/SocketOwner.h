// An owned Winsock socket, as CHandle owns a kernel handle: moved, never
// copied, closed when the owner goes. Winsock must be started (CWinsockUse)
// for as long as an owner holds a socket.
#pragma once

#include <winsock2.h>

namespace FdNet
{

class CSocket
{
public:
    CSocket() = default;
    // Takes ownership of s.
    explicit CSocket(SOCKET s) : m_s(s) {}
    CSocket(CSocket&& other) noexcept : m_s(other.sDetach()) {}
    CSocket& operator=(CSocket&& other) noexcept;
    CSocket(const CSocket&) = delete;
    CSocket& operator=(const CSocket&) = delete;
    ~CSocket() { iClose(); }

    SOCKET get() const { return m_s; }
    bool boValid() const { return m_s != INVALID_SOCKET; }
    // Closes the socket held, then takes s.
    void vAttach(SOCKET s);
    // Gives up ownership without closing.
    SOCKET sDetach();
    // 0, or the WSA error of a failed closesocket. The owner is empty
    // afterwards either way: a socket that failed to close is not closed a
    // second time. 0 when there was nothing to close.
    int iClose();

private:
    SOCKET m_s = INVALID_SOCKET;
};

} // namespace FdNet
