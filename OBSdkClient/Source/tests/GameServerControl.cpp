#include "GameServerControl.h"

#include <cstdlib>

namespace SdkTest
{

namespace
{
const DWORD kReplyWaitMs = 20000;
}

CGameServerControl::CGameServerControl()
{
    WSADATA wsa;
    WSAStartup(MAKEWORD(2, 2), &wsa);
}

CGameServerControl::~CGameServerControl()
{
    if (m_socket != INVALID_SOCKET)
        closesocket(m_socket);
    WSACleanup();
}

bool CGameServerControl::boConnect()
{
    const char* game = std::getenv("FD_GAMESERVER_PORT");
    const char* control = std::getenv("FD_GAMESERVER_CONTROL");
    if (game == nullptr || control == nullptr)
        return false;
    m_wGamePort = uint16_t(std::atoi(game));
    m_socket = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    a.sin_port = htons(uint16_t(std::atoi(control)));
    const DWORD timeout = kReplyWaitMs;
    setsockopt(m_socket, SOL_SOCKET, SO_RCVTIMEO, reinterpret_cast<const char*>(&timeout), sizeof timeout);
    return connect(m_socket, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0;
}

std::string CGameServerControl::Command(const std::string& line)
{
    const std::string out = line + "\n";
    if (send(m_socket, out.data(), int(out.size()), 0) != int(out.size()))
        return "";
    for (;;)
    {
        const size_t end = m_pending.find('\n');
        if (end != std::string::npos)
        {
            std::string reply = m_pending.substr(0, end);
            m_pending.erase(0, end + 1);
            if (!reply.empty() && reply.back() == '\r')
                reply.pop_back();
            return reply;
        }
        char buffer[4096];
        const int n = recv(m_socket, buffer, sizeof buffer, 0);
        if (n <= 0)
            return "";
        m_pending.append(buffer, size_t(n));
    }
}

} // namespace SdkTest
