// Test doubles and message pumping for the socket tests. Every socket object
// lives on the test's thread, so both ends progress while the test pumps.
#pragma once

#include <winsock2.h>
#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "NetAsyncException.h"
#include "NetServer.h"
#include "TestKit.h"

namespace NetTest
{

using namespace FdNet;

const uint32_t kLoopback = 0x0100007F; // 127.0.0.1 in network order
using FdTestKit::kWaitBoundMs;

using FdTestKit::boPumpUntil;

// Every event an object raised, in order.
struct CEvents
{
    struct SEvent
    {
        uint32_t dwCode;
        NETASYNC_NOTIFY_INFO info;
    };
    std::vector<SEvent> events;

    static void Callback(uint32_t dwCode, const NETASYNC_NOTIFY_INFO* lpInfo)
    {
        static_cast<CEvents*>(lpInfo->lpContext)->events.push_back(SEvent{dwCode, *lpInfo});
    }
    void vWatch(CNetAsync& object) { object.vSetNotifyCallback(&CEvents::Callback, this); }
    size_t ulCount(uint32_t dwCode) const
    {
        size_t n = 0;
        for (const SEvent& e : events)
            n += e.dwCode == dwCode;
        return n;
    }
    bool boHas(uint32_t dwCode) const { return ulCount(dwCode) != 0; }
    std::vector<uint32_t> Codes() const
    {
        std::vector<uint32_t> c;
        for (const SEvent& e : events)
            c.push_back(e.dwCode);
        return c;
    }
};

class CTestClient : public CNetClient
{
public:
    static inline int s_iLive = 0; // live test clients, to see deletions
    CTestClient() { ++s_iLive; }
    ~CTestClient() override { --s_iLive; }

    HINSTANCE hGetModuleInstance() override { return GetModuleHandleA(nullptr); }
    bool boOnReceive(const uint8_t* lpData, uint32_t dwLength) override
    {
        received.append(reinterpret_cast<const char*>(lpData), dwLength);
        datagrams.emplace_back(reinterpret_cast<const char*>(lpData), dwLength);
        return true;
    }

    std::string received;               // every byte, in order
    std::vector<std::string> datagrams; // one entry per receive
    CEvents events;
};

class CTestServer : public CNetServer
{
public:
    HINSTANCE hGetModuleInstance() override { return GetModuleHandleA(nullptr); }
    CNetClient* lpGetNewClient(SOCKET, uint32_t) override
    {
        CTestClient* client = new CTestClient;
        client->events.vWatch(*client);
        made.push_back(client);
        return client;
    }

    std::vector<CTestClient*> made; // owned by the server until removed
    CEvents events;
};

// A TCP server on 127.0.0.1 and a client connected to it, both watched.
struct CTcpPair
{
    CTestServer server;
    CTestClient client;

    bool boOpen()
    {
        server.events.vWatch(server);
        client.events.vWatch(client);
        if (!server.boInitListenSocket(0, kPortTypeTcp, kLoopback))
            return false;
        if (!client.boConnect(kLoopback, server.wGetListenPort(), kPortTypeTcp))
            return false;
        return boPumpUntil([&] { return client.boIsConnected() && server.made.size() == 1; });
    }
    CTestClient& Accepted() { return *server.made.at(0); }
};

} // namespace NetTest
