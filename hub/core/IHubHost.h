// What the hub core asks of the program around it: page jobs for the
// plug-in, the end of the hub, and the tray state. Called from any thread of
// the core, under the core's lock: an implementation posts to its own thread
// and never waits for the core.
#pragma once

#include <cstdint>

#include "PageJob.h"

class IHubHost
{
public:
    virtual ~IHubHost() = default;

    // A job for the page: a service message "SEND", or a job that waited for
    // a link's registration. Posted when the page's callback is there.
    virtual void vPostPageJob(const HubRouting::SPageJob& job) = 0;
    // An error job (HubRouting::kErrNoInitReply ...), posted when the page set
    // an error address.
    virtual void vPostErrorJob(int32_t lErrorNumber) = 0;
    // A server sent "CLOS": the hub ends.
    virtual void vQuit() = 0;
    // The first link became registered (true), or the last one left that
    // state (false).
    virtual void vOnRegisteredLinks(bool boAnyRegistered) = 0;
};
