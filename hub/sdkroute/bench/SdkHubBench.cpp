// The hub benchmark's round trip made through the hub client library: a channel
// (CChannelStd) -> LPC -> hub core -> stand-in game server -> hub core ->
// LPC -> the channel's OnMessage, on one thread that pumps its messages as
// the launcher does. Same messages and measures as hub_bench (16 bytes of
// data; latency of single round trips, then throughput with 64 in flight),
// next to the plain socket and the bare relay measured in the same run.
//
//   FD_SIDECAR_1="python3 testbed/gameserver/server.py" tools/wine-run
//   build/win64/bin/obsdkclient_hub_bench.exe tools/wine-run build/win64/bin/obsdkclient_hub_bench.exe
//   <stand-in port> [round trips] [messages]
#include <winsock2.h>
#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <vector>

#include "BenchPaths.h"
#include "ChannelStd.h"
#include "ExceptionBase.h"
#include "InProcessHub.h"
#include "OBSdkClient.h"
#include "PumpUntil.h"
#include "WinsockUse.h"

namespace
{

using Clock = std::chrono::steady_clock;

using HubBench::kPayload;
using HubBench::kWindow;
constexpr DWORD kAnswerBoundMs = 10000;

class CBenchChannel : public OBSdkClient::CChannelStd
{
public:
    using CChannelStd::CChannelStd;
    void OnMessage(const uint8_t*, uint32_t, uint32_t) override { ++m_ulReceived; }
    uint32_t m_ulReceived = 0;
};

// Pumps this thread's messages until the channel has received `target`; false at the bound.
bool boPumpUntil(CBenchChannel& c, uint32_t target)
{
    return FdWin::boPumpUntil([&] { return c.m_ulReceived >= target; }, kAnswerBoundMs);
}

} // namespace

int main(int argc, char** argv)
{
    HubBench::SArgs args;
    if (!HubBench::boReadArgs(argc, argv, "obsdkclient_hub_bench", args))
        return 2;
    const uint16_t serverPort = args.wServerPort;
    const uint32_t roundTrips = args.ulRoundTrips;
    const uint32_t messages = args.ulMessages;
    FdNet::CWinsockUse winsock;
    HubBench::CInProcessHub inProcess;
    if (!inProcess.boStart("obsdkclient_hub_bench"))
        return 1;
    CLinkwellMgr& hub = inProcess.Hub();
    OBSdkClient::Init(GetModuleHandleA(nullptr), hub.wGetLpcPort());
    int rc = 0;
    try
    {
        const OBSdkClient::CChannelConfig config(
            HubProto::dwIdFromText("GAME"), OBSdkClient::CChannelConfig::kKeepHubReconnParams,
            OBSdkClient::CChannelConfig::kTimeNotSet, OBSdkClient::CChannelConfig::kTimeNotSet, 0);
        CBenchChannel channel(OBSdkClient::CHostRecord("127.0.0.1", serverPort), config);
        const uint8_t payload[kPayload] = {'b', 'e', 'n', 'c', 'h'};
        auto send = [&] {
            return channel.boSend(payload, kPayload, OBSdkClient::CChannelBase::kNoMessageId, 0, 0, 0, 0,
                                  false);
        };

        std::vector<double> us;
        for (uint32_t i = 0; i < roundTrips && rc == 0; ++i)
        {
            const Clock::time_point t0 = Clock::now();
            const uint32_t target = channel.m_ulReceived + 1;
            if (!send() || !boPumpUntil(channel, target))
                rc = 1;
            us.push_back(std::chrono::duration<double, std::micro>(Clock::now() - t0).count());
        }
        HubBench::SResult viaChannel = HubBench::FromRoundTrips(us);
        const uint32_t base = channel.m_ulReceived;
        const Clock::time_point t0 = Clock::now();
        uint32_t sent = 0;
        while (rc == 0 && channel.m_ulReceived - base < messages)
        {
            while (sent < messages && sent - (channel.m_ulReceived - base) < kWindow)
            {
                if (!send())
                    rc = 1;
                ++sent;
            }
            if (!boPumpUntil(channel, std::min(base + sent, channel.m_ulReceived + 1)))
                rc = 1;
        }
        viaChannel.dPerSecond = messages / std::chrono::duration<double>(Clock::now() - t0).count();

        // The plain socket and the bare relay, as in hub_bench.
        HubBench::CPeer direct(HubProto::kServerFrameLimits);
        HubBench::CBareRelay relay(serverPort);
        HubBench::CPeer relayed(HubProto::kServerFrameLimits);
        HubBench::SResult plain, bare;
        if (rc == 0 && direct.boConnect(serverPort) && HubBench::boRegisterPlain(direct) &&
            relay.wGetPort() != 0 && relayed.boConnect(relay.wGetPort()) &&
            HubBench::boRegisterPlain(relayed))
        {
            HubBench::SPath plainPath{&direct, HubBench::PlainRequest(), HubProto::kServerHeaderLen, 0};
            HubBench::SPath barePath{&relayed, HubBench::PlainRequest(), HubProto::kServerHeaderLen, 0};
            plain = HubBench::Measure(plainPath, roundTrips, messages);
            bare = HubBench::Measure(barePath, roundTrips, messages);
        }
        if (rc != 0 || !plain.boOk || !bare.boOk)
        {
            std::fprintf(stderr, "obsdkclient_hub_bench: a run broke off\n");
            rc = 1;
        }
        else
        {
            std::printf("%u-byte messages, %u round trips, %u messages with %u in flight\n",
                        unsigned(kPayload), unsigned(roundTrips), unsigned(messages), unsigned(kWindow));
            HubBench::vPrint("channel -> hub -> stand-in -> back", viaChannel);
            HubBench::vPrint("plain socket -> stand-in -> back", plain);
            HubBench::vPrint("bare relay (floor of two more hops)", bare);
            HubBench::vPrintRatios("channel/plain:", viaChannel, plain);
            HubBench::vPrintRatios("channel/bare relay:", viaChannel, bare);
        }
    }
    catch (const FdBase::CExceptionBase& e)
    {
        std::fprintf(stderr, "obsdkclient_hub_bench: %s %u from %s\n", e.lpszGetClassName(),
                     unsigned(e.dwGetCode()), e.lpszGetFunction());
        rc = 1;
    }
    OBSdkClient::Term();
    hub.vClose();
    return rc;
}
