// Owning wrappers of Winsock. Include this first in a source file: Winsock
// must come before windows.h.
#pragma once

#include <winsock2.h>
#include <windows.h>

namespace FdBrowserHost
{
class CSocket
{
public:
    CSocket() = default;
    CSocket(const CSocket&) = delete;
    CSocket& operator=(const CSocket&) = delete;
    ~CSocket() { vClose(); }

    SOCKET get() const { return m_s; }
    void vAttach(SOCKET s)
    {
        vClose();
        m_s = s;
    }
    void vClose()
    {
        if (m_s != INVALID_SOCKET)
            closesocket(m_s);
        m_s = INVALID_SOCKET;
    }

private:
    SOCKET m_s = INVALID_SOCKET;
};

// WSACleanup only after a WSAStartup that succeeded.
class CWinsockUse
{
public:
    CWinsockUse()
    {
        WSADATA wsa;
        m_boStarted = WSAStartup(MAKEWORD(2, 2), &wsa) == 0;
    }
    CWinsockUse(const CWinsockUse&) = delete;
    CWinsockUse& operator=(const CWinsockUse&) = delete;
    ~CWinsockUse()
    {
        if (m_boStarted)
            WSACleanup();
    }
    bool boStarted() const { return m_boStarted; }

private:
    bool m_boStarted = false;
};

} // namespace FdBrowserHost
