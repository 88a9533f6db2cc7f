// A host for the hub core run inside a benchmark or a test: it ignores what
// the hub asks of its program (page jobs, error pages, the end, the tray).
#pragma once

#include "IHubHost.h"

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
} // namespace HubBench
