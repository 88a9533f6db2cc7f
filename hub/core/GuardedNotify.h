// Every message that the manager sends to a client program may meet a
// socket-layer exception: it is logged and the work goes on.
#pragma once

#include <winsock2.h>

#include "HubTrace.h"
#include "NetAsyncException.h"

template <class F> void vGuardedNotify(const char* lpszFailureText, F notify)
{
    try
    {
        notify();
    }
    catch (const FdNet::CNetAsyncException& e)
    {
        HubTrace::vLog("!ERREUR! %s (%u)", lpszFailureText, unsigned(e.dwGetCode()));
    }
}
