// The manager's side of the launch parts' links to the game server: the hub
// client library's start and stop, and the links themselves.
#include "LaunchScriptMgr.h"

#include "OBSdkClient.h"
#include "ServerLink.h"

namespace
{
uint16_t g_hubPort = OBSdkClient::kDefaultHubPort;
} // namespace

void CLaunchScriptMgr::SetHubPort(uint16_t port)
{
    g_hubPort = port;
}

bool CLaunchScriptMgr::StartHubLibrary()
{
    return OBSdkClient::Init(GetModuleHandleA(nullptr), g_hubPort);
}

void CLaunchScriptMgr::StopHubLibrary()
{
    OBSdkClient::Term();
}

std::unique_ptr<IServerLink> CLaunchScriptMgr::OpenServerLink(const std::string& address,
                                                              const std::string& port,
                                                              const std::string& msgd, CServerLinkSink* sink)
{
    std::unique_ptr<CServerLink> link(new CServerLink());
    link->SetSink(sink);
    if (link->Open(address, port, msgd) != 1)
        return nullptr;
    return link;
}
