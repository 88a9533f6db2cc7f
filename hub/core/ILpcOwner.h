// What the LPC server asks of the hub manager that owns it: the client
// programs' requests, and the ends of clients and of its thread.
#pragma once

#include <cstdint>

#include "CriticalSection.h"
#include "DisconnectCause.h"
#include "LpcClientMessages.h"

class CLPCServerClt;

class ILpcOwner
{
public:
    virtual ~ILpcOwner() = default;

    // The manager's lock, taken before a client's (see the lock order in LinkwellMgr.h).
    virtual FdSystem::CCriticalSection& HubLock() = 0;

    // Requests of a client program, one per message letter.
    virtual void vConnectToCnx(uint32_t dwAddress, uint16_t wPort, uint32_t dwTimeoutMs,
                               CLPCServerClt* lpClient) = 0;
    virtual void vDisconnectChannel(uint8_t bChannel, int iCause) = 0; // causes of DisconnectCause.h
    virtual void vSendOnCnx(const HubProto::LpcClientMessage& request) = 0;
    virtual void vAddDstId(uint32_t dwDstId, uint8_t bChannel, CLPCServerClt* lpClient) = 0;
    virtual void vBind(uint8_t bChannel, uint32_t dwDstId) = 0;
    virtual void vUnbind(uint8_t bChannel) = 0;
    virtual void vSetReconnParams(uint32_t dwAddress, uint16_t wPort, uint16_t wAttempts,
                                  uint32_t dwBetweenMs, uint32_t dwTimeoutMs) = 0;

    // A client program is gone (under the hub lock): per channel it owned,
    // then once for the client.
    virtual void vNotifyLPCConnectionClosed(uint8_t bChannel) = 0;
    virtual void vNotifyLPCConnectionClosed(CLPCServerClt* lpClient) = 0;
    // Task 4, and the end of the LPC thread.
    virtual void vRemoveUselessNetCnxes() = 0;
    virtual void vReleaseAllNetCnxes(int iCause) = 0;
};
