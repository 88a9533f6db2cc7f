// Vocabulary of the socket layer: port types, event codes passed to the
// notify callback, and the record that comes with them.
#pragma once

#include <winsock2.h>

#include <cstdint>

namespace FdNet
{

class CNetAsync;

constexpr uint32_t kPortTypeTcp = 1;
constexpr uint32_t kPortTypeUdp = 2;

enum ENetAsyncEvent : uint32_t
{
    NETASYNC_CNX_ACCEPTED = 1,  // a server accepted a TCP client, or made one for a new UDP sender
    NETASYNC_CNX_CONNECTED = 2, // a TCP connect completed; a UDP "connect" at once
    NETASYNC_CNX_SOCKETERROR = 3,
    NETASYNC_CNX_CLOSED = 4,  // the peer closed a connected socket
    NETASYNC_CNX_FAILED = 5,  // a connect failed
    NETASYNC_CNX_ABORTED = 6, // aborted or reset, or host down or unreachable
    NETASYNC_CNX_TIMER = 7,   // a timer set on the object fired (once)
    // Users of the layer number their own events above this one.
    NETASYNC_CNX_LAST = NETASYNC_CNX_TIMER,
};

// Passed with every event. Codes 1-6: the object, its socket, port type and
// local address (address length 0 when it has no socket). Code 7: the timer
// id. Code 1 from a server: lpObject is the server, lpNewClient the client.
struct NETASYNC_NOTIFY_INFO
{
    void* lpContext = nullptr; // given with the callback
    CNetAsync* lpObject = nullptr;
    int iAddrLen = 0;
    sockaddr_in localAddr{};
    SOCKET socket = INVALID_SOCKET;
    uint32_t dwPortType = 0;
    UINT_PTR ulTimerId = 0;
    CNetAsync* lpNewClient = nullptr;
};

typedef void (*LPNETASYNCNOTIFY)(uint32_t dwCode, const NETASYNC_NOTIFY_INFO* lpInfo);

} // namespace FdNet
