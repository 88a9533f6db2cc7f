#include "PumpedWait.h"

namespace OBSdkClient
{

bool boPumpedWait(IPumpedWaitHost& host, uint32_t dwBudgetMs)
{
    uint32_t remaining = dwBudgetMs;
    for (;;)
    {
        host.vPump();
        if (host.boDone())
            return true;
        if (remaining == 0)
            return false;
        const uint32_t start = host.dwTickCount();
        switch (host.Wait(remaining))
        {
        case EWake::Signalled:
            return true;
        case EWake::Timeout:
            // What arrived with the last messages still counts.
            host.vPump();
            return host.boDone();
        case EWake::Input:
            break;
        }
        uint32_t elapsed = host.dwTickCount() - start;
        if (elapsed == 0)
            elapsed = 1;
        remaining = elapsed >= remaining ? 0 : remaining - elapsed;
    }
}

} // namespace OBSdkClient
