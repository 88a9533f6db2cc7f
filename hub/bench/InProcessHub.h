// The hub core run inside a benchmark or a test: a host that ignores what the
// hub asks of its program (page jobs, error pages, the end, the tray), and the
// core on a free LPC port of this process.
#pragma once

#include <winsock2.h>
#include <windows.h>

#include <cstdio>

#include "IHubHost.h"
#include "LinkwellMgr.h"

namespace HubBench
{
class CNullHost : public IHubHost
{
public:
    void vPostPageJob(const HubRouting::SPageJob&) override {}
    void vPostErrorJob(int32_t) override {}
    void vQuit() override {}
    void vOnRegisteredLinks(bool) override {}
};

// The hub core with the default settings.
class CInProcessHub
{
public:
    CInProcessHub() : m_hub(m_host) {}
    CInProcessHub(const CInProcessHub&) = delete;
    CInProcessHub& operator=(const CInProcessHub&) = delete;

    // False, with a line on stderr under the program's name, when it does not listen.
    bool boStart(const char* lpszProgram)
    {
        HubRouting::SHubSettings settings;
        settings.wLpcPort = 0;
        if (m_hub.boInit(settings) && m_hub.boIsLpcListening())
            return true;
        std::fprintf(stderr, "%s: the hub core does not listen\n", lpszProgram);
        return false;
    }
    CLinkwellMgr& Hub() { return m_hub; }

private:
    CNullHost m_host;
    CLinkwellMgr m_hub;
};
} // namespace HubBench
