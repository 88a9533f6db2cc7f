#include "IrcWineKit.h"

#include <algorithm>
#include <cstdlib>

namespace ChatIrcTest
{

unsigned short uSidecarPort(const char* lpName)
{
    const char* value = std::getenv(lpName);
    return value ? static_cast<unsigned short>(std::atoi(value)) : 0;
}

std::string strControl(const std::string& line)
{
    SOCKET s = socket(AF_INET, SOCK_STREAM, 0);
    if (s == INVALID_SOCKET)
        return "no socket";
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_port = htons(uSidecarPort("FD_IRC_CTL_PORT"));
    addr.sin_addr.s_addr = inet_addr("127.0.0.1");
    std::string answer;
    if (connect(s, reinterpret_cast<sockaddr*>(&addr), sizeof addr) == 0)
    {
        const std::string text = line + "\n";
        send(s, text.data(), static_cast<int>(text.size()), 0);
        char buf[4096];
        int n;
        while ((n = recv(s, buf, sizeof buf, 0)) > 0)
            answer.append(buf, static_cast<size_t>(n));
    }
    else
        answer = "no control port";
    closesocket(s);
    return answer;
}

bool CThreadLog::boHas(const std::string& e) const
{
    return std::find(events.begin(), events.end(), e) != events.end();
}

std::vector<std::string> CThreadLog::From(const std::string& first) const
{
    const auto it = std::find(events.begin(), events.end(), first);
    return std::vector<std::string>(it, events.end());
}

} // namespace ChatIrcTest
