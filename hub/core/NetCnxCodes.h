// Events of a server link beyond those of the socket layer: they reach the
// manager with the socket events (NetAsyncEvents.h), numbered above them.
#pragma once

#include <cstdint>

#include "NetAsyncEvents.h"

enum ENetCnxEvent : uint32_t
{
    NETCNXCLIENT_NOTIF_CONNECTTIMEOUT = 8,
    NETCNXCLIENT_NOTIF_SOCKETERROR = 9,
    NETCNXCLIENT_NOTIF_MESSAGE = 10,
    NETCNX_NOTIF_RECONNECTFAILED = 11,
};
static_assert(uint32_t(NETCNXCLIENT_NOTIF_CONNECTTIMEOUT) > uint32_t(FdNet::NETASYNC_CNX_LAST),
              "link events never collide with socket events");
