#include "SocketOwner.h"

#include <utility>

namespace FdNet
{

CSocket& CSocket::operator=(CSocket&& other) noexcept
{
    if (this != &other)
        vAttach(other.sDetach());
    return *this;
}

void CSocket::vAttach(SOCKET s)
{
    if (s != m_s)
        iClose();
    m_s = s;
}

SOCKET CSocket::sDetach()
{
    return std::exchange(m_s, INVALID_SOCKET);
}

int CSocket::iClose()
{
    const SOCKET s = std::exchange(m_s, INVALID_SOCKET);
    if (s == INVALID_SOCKET)
        return 0;
    return closesocket(s) == 0 ? 0 : WSAGetLastError();
}

} // namespace FdNet
