// Round-trip latency and throughput of small channel messages through the
// hub core (client -> LPC -> hub -> stand-in game server -> hub -> LPC ->
// client), next to the same server messages exchanged directly between a
// plain socket and the stand-in.
//
//   FD_SIDECAR_1="python3 testbed/gameserver/server.py" tools/wine-run build/win64/bin/hub_bench.exe
//   tools/wine-run build/win64/bin/hub_bench.exe <stand-in port> [round trips] [messages]
#include <winsock2.h>
#include <windows.h>

#include <cstdio>

#include "BenchPaths.h"
#include "InProcessHub.h"
#include "LpcClientMessages.h"
#include "LpcHubMessages.h"
#include "WinsockUse.h"

using namespace HubBench;

int main(int argc, char** argv)
{
    SArgs args;
    if (!boReadArgs(argc, argv, "hub_bench", args))
        return 2;
    const uint16_t serverPort = args.wServerPort;
    const uint32_t roundTrips = args.ulRoundTrips;
    const uint32_t messages = args.ulMessages;
    FdNet::CWinsockUse winsock;
    const uint8_t payload[kPayload] = {'b', 'e', 'n', 'c', 'h'};

    // Through the hub core.
    CInProcessHub inProcess;
    if (!inProcess.boStart("hub_bench"))
        return 1;
    CLinkwellMgr& hub = inProcess.Hub();
    CPeer client(HubProto::kLpcFrameLimits);
    if (!client.boConnect(hub.wGetLpcPort()) ||
        !client.boSend(HubProto::EncodeLpcConnect(5000, kLoopback, serverPort)))
        return 1;
    Bytes m;
    do
        if (!client.boNext(m))
        {
            std::fprintf(stderr, "hub_bench: no channel from the hub\n");
            return 1;
        }
    while (m.size() < 15 || (m[1] != 'a' && m[1] != 'b'));
    if (m[1] != 'a')
    {
        std::fprintf(stderr, "hub_bench: the hub could not reach the stand-in on port %u\n",
                     unsigned(serverPort));
        return 1;
    }
    HubProto::LpcSendParams params;
    params.dwDstId = HubProto::dwIdFromText("GAME");
    params.bChannel = m[14];
    SPath viaHub{&client, HubProto::EncodeLpcSendMessage(params, payload, kPayload), 'd', 1};

    // Straight to the stand-in: registered by hand, then the same server
    // messages that the hub sends for the channel.
    CPeer direct(HubProto::kServerFrameLimits);
    if (!direct.boConnect(serverPort) || !boRegisterPlain(direct))
    {
        std::fprintf(stderr, "hub_bench: no INIT reply from the stand-in\n");
        return 1;
    }
    SPath plain{&direct, PlainRequest(), HubProto::kServerHeaderLen, 0};

    // The same through a bare relay: the floor of the hub's two extra hops.
    CBareRelay relay(serverPort);
    CPeer relayed(HubProto::kServerFrameLimits);
    if (relay.wGetPort() == 0 || !relayed.boConnect(relay.wGetPort()) || !boRegisterPlain(relayed))
    {
        std::fprintf(stderr, "hub_bench: no INIT reply through the bare relay\n");
        return 1;
    }
    SPath bare{&relayed, PlainRequest(), HubProto::kServerHeaderLen, 0};

    std::printf("%u-byte messages, %u round trips, %u messages with %u in flight\n", unsigned(kPayload),
                unsigned(roundTrips), unsigned(messages), unsigned(kWindow));
    const SResult a = Measure(viaHub, roundTrips, messages);
    const SResult b = Measure(plain, roundTrips, messages);
    const SResult c = Measure(bare, roundTrips, messages);
    if (!a.boOk || !b.boOk || !c.boOk)
    {
        std::fprintf(stderr, "hub_bench: a run broke off (%s)\n",
                     !a.boOk   ? "through the hub"
                     : !b.boOk ? "direct"
                               : "through the bare relay");
        return 1;
    }
    vPrint("client -> hub -> stand-in -> back", a);
    vPrint("plain socket -> stand-in -> back", b);
    vPrint("bare relay (floor of two more hops)", c);
    vPrintRatios("hub/plain:", a, b);
    vPrintRatios("bare relay/plain:", c, b);
    vPrintRatios("hub/bare relay:", a, c);
    return 0;
}
