// The stand-in game server's control port (a sidecar that tools/wine-run
// starts; FD_GAMESERVER_PORT and FD_GAMESERVER_CONTROL name its ports).
#pragma once

#include <winsock2.h>
#include <windows.h>

#include <cstdint>
#include <string>

namespace SdkTest
{

class CGameServerControl
{
public:
    CGameServerControl();
    ~CGameServerControl();
    CGameServerControl(const CGameServerControl&) = delete;
    CGameServerControl& operator=(const CGameServerControl&) = delete;

    // False without the sidecar's ports.
    bool boConnect();
    uint16_t wGamePort() const { return m_wGamePort; }
    // One command, its reply line ("" when none came).
    std::string Command(const std::string& line);
    bool boOk(const std::string& line) { return Command(line).compare(0, 2, "OK") == 0; }

private:
    SOCKET m_socket = INVALID_SOCKET;
    uint16_t m_wGamePort = 0;
    std::string m_pending;
};

} // namespace SdkTest
