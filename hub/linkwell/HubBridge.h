// The two directions between the hub's program and its core: CMgrCore
// carries the COM object's requests to the manager; CPageJobHost turns the
// core's requests (page jobs, error jobs, the end, the tray state) into
// messages to the main thread.
#pragma once

#include "IHubCore.h"
#include "IHubHost.h"
#include "MainWindow.h"

class CLinkwellMgr;

namespace Linkwell
{

class CMgrCore : public IHubCore
{
public:
    explicit CMgrCore(CLinkwellMgr& manager) : m_manager(manager) {}

    uint32_t dwResolve(const std::string& host) override;
    void vConnect(uint32_t dwAddress, uint16_t wPort, uint32_t dwTimeoutMs) override;
    void vReleaseLink(uint32_t dwAddress, uint16_t wPort) override;
    bool boAddPageJob(const HubRouting::SPageJob& job, uint32_t dwAddress, uint16_t wPort) override;
    bool boSend(uint32_t dwAddress, uint16_t wPort, const SPilotSend& send) override;
    void vApplyPageParam(EPageKey key, const SPageParams& params) override;

private:
    CLinkwellMgr& m_manager;
};

// Called by the core's threads under the core's lock: it only posts.
class CPageJobHost : public IHubHost
{
public:
    explicit CPageJobHost(CMainWindow& window) : m_window(window) {}

    void vPostPageJob(const HubRouting::SPageJob& job) override;
    void vPostErrorJob(int32_t lErrorNumber) override;
    void vQuit() override;
    void vOnRegisteredLinks(bool boAnyRegistered) override;

private:
    CMainWindow& m_window;
};

} // namespace Linkwell
