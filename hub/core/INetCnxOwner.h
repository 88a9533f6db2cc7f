// What a server link asks of the hub manager that owns it.
#pragma once

#include <winsock2.h>

#include <cstdint>

#include "CriticalSection.h"
#include "NetCnxCodes.h"

class CLPC;
class CNetCnx;

class INetCnxOwner
{
public:
    virtual ~INetCnxOwner() = default;

    // The manager's lock: taken first by every link event (see the lock
    // order in LinkwellMgr.h).
    virtual FdSystem::CCriticalSection& HubLock() = 0;
    // The LPC thread, where every socket window lives.
    virtual CLPC& Lpc() = 0;
    // A socket event of the link (codes of NetAsyncEvents.h and NetCnxCodes.h), under the hub lock.
    virtual void vCallbackNetEvent(CNetCnx& link, uint32_t dwCode) = 0;
    // A whole server message (NETCNXCLIENT_NOTIF_MESSAGE), under the hub lock.
    virtual void vOnServerMessage(CNetCnx& link, const uint8_t* lpMessage, uint32_t ulSize) = 0;
    // Expiries of pending messages, from the link's list thread with no lock held.
    virtual void vNotifyTimeoutOnAckableMessage(CNetCnx& link, uint8_t bChannel, uint32_t dwTag) = 0;
    virtual void vNotifyTimeoutOnIdentifiedResponse(CNetCnx& link, uint8_t bChannel, uint32_t dwTag) = 0;
    // The link entered (true) or left (false) the registered state.
    virtual void vOnRegisteredChange(bool boEntered) = 0;
};
