// What the hub's COM object asks of the hub core and of the program around
// it. CMgrCore forwards to the manager; tests give fakes.
#pragma once

#include <cstdint>
#include <string>

#include "PageJob.h"
#include "PageParams.h"

namespace Linkwell
{

// ILKWLv2Pilot::Send, ready for a server link.
struct SPilotSend
{
    std::string data;
    uint32_t dwSrcId = 0;
    uint32_t dwDstId = 0;
    uint16_t wFlags = 0;
    uint32_t dwPortType = 0; // 1 TCP, 2 UDP
    uint32_t dwTimeBeforeSend = 0;
    uint32_t dwRepetitions = 0;
    uint32_t dwTimeBetween = 0;
};

class IHubCore
{
public:
    virtual ~IHubCore() = default;
    // IPv4 address in network order; 0 for an unknown name.
    virtual uint32_t dwResolve(const std::string& host) = 0;
    // A connection that the page asked for ("CONX").
    virtual void vConnect(uint32_t dwAddress, uint16_t wPort, uint32_t dwTimeoutMs) = 0;
    // The link to that server, if any, goes with cause 3 ("FONX").
    virtual void vReleaseLink(uint32_t dwAddress, uint16_t wPort) = 0;
    // The job waits for that server's registration, or is posted now; false
    // when it can do neither.
    virtual bool boAddPageJob(const HubRouting::SPageJob& job, uint32_t dwAddress, uint16_t wPort) = 0;
    // False without a link to that server, or when the send failed.
    virtual bool boSend(uint32_t dwAddress, uint16_t wPort, const SPilotSend& send) = 0;
    // A page parameter that the manager keeps (PSDO, LPCD, LKID, MSGC, MSGD,
    // DKAU, DKAT, PXPT) was set.
    virtual void vApplyPageParam(EPageKey key, const SPageParams& params) = 0;
};

class ILinkwellProgram
{
public:
    virtual ~ILinkwellProgram() = default;
    // Posts the quit message to the main thread.
    virtual void vPostQuit() = 0;
    // "LOGT": becomes the trace flags when the registry switched none on.
    virtual void vSetTraceLevel(uint32_t dwLevel) = 0;
};

} // namespace Linkwell
