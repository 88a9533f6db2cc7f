// Round-trip latency and throughput of small channel messages through the
// hub core (client -> LPC -> hub -> stand-in game server -> hub -> LPC ->
// client), next to the same server messages exchanged directly between a
// plain socket and the stand-in.
//
//   FD_SIDECAR_1="python3 testbed/gameserver/server.py" tools/wine-run build/win64/bin/hub_bench.exe
//   tools/wine-run build/win64/bin/hub_bench.exe <stand-in port> [round trips] [messages]
#include <winsock2.h>
#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "IHubHost.h"
#include "LinkwellMgr.h"
#include "LpcClientMessages.h"
#include "LpcHubMessages.h"
#include "ServerMessages.h"
#include "StreamCutter.h"
#include "WinsockUse.h"

namespace
{

using Clock = std::chrono::steady_clock;
using Bytes = std::vector<uint8_t>;

constexpr uint32_t kLoopback = 0x0100007F;
constexpr uint32_t kPayload = 16; // bytes of data per message
constexpr uint32_t kWindow = 64;  // messages in flight in the throughput run
constexpr DWORD kReadBoundMs = 10000;

class CNullHost : public IHubHost
{
public:
    void vPostPageJob(const HubRouting::SPageJob&) override {}
    void vPostErrorJob(int32_t) override {}
    void vQuit() override {}
    void vOnRegisteredLinks(bool) override {}
};

// A blocking TCP socket that cuts what it reads into whole messages (both
// protocols carry the length at offset 4).
class CPeer
{
public:
    explicit CPeer(const HubProto::FrameLimits& limits) : m_cutter(limits) {}
    ~CPeer()
    {
        if (m_s != INVALID_SOCKET)
            closesocket(m_s);
    }
    bool boConnect(uint16_t wPort)
    {
        m_s = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
        const BOOL on = TRUE;
        setsockopt(m_s, IPPROTO_TCP, TCP_NODELAY, reinterpret_cast<const char*>(&on), sizeof on);
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_addr.s_addr = kLoopback;
        a.sin_port = htons(wPort);
        return connect(m_s, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0;
    }
    bool boSend(const Bytes& b)
    {
        return send(m_s, reinterpret_cast<const char*>(b.data()), int(b.size()), 0) == int(b.size());
    }
    // The next whole message; false on a closed connection or at the bound.
    bool boNext(Bytes& out)
    {
        for (;;)
        {
            if (!m_ready.empty())
            {
                out.swap(m_ready.front());
                m_ready.erase(m_ready.begin());
                return true;
            }
            fd_set set;
            FD_ZERO(&set);
            FD_SET(m_s, &set);
            timeval tv{long(kReadBoundMs / 1000), 0};
            if (select(0, &set, nullptr, nullptr, &tv) != 1)
                return false;
            const int n = recv(m_s, m_buffer, sizeof m_buffer, 0);
            if (n <= 0)
                return false;
            m_cutter.vFeed(reinterpret_cast<const uint8_t*>(m_buffer), uint32_t(n));
            HubProto::ByteSpan m;
            while (m_cutter.Next(m) == HubProto::CStreamCutter::ECut::Message)
                m_ready.emplace_back(m.lpData, m.lpData + m.ulSize);
        }
    }

private:
    SOCKET m_s = INVALID_SOCKET;
    HubProto::CStreamCutter m_cutter;
    std::vector<Bytes> m_ready;
    char m_buffer[65536];
};

// One way of making a round trip: a request to send, and whether a message
// read is its answer.
struct SPath
{
    CPeer* lpPeer;
    Bytes request;
    uint8_t bAnswerFirstByte; // LPC 'd' letter at offset 1, or the server header length at 0
    uint32_t ulAnswerOffset;
};

bool boIsAnswer(const SPath& p, const Bytes& m)
{
    return m.size() > p.ulAnswerOffset && m[p.ulAnswerOffset] == p.bAnswerFirstByte;
}

struct SResult
{
    double dMedianUs = 0, dP99Us = 0, dMeanUs = 0, dPerSecond = 0;
    bool boOk = false;
};

SResult Measure(SPath& p, uint32_t ulRoundTrips, uint32_t ulMessages)
{
    SResult r;
    std::vector<double> us;
    Bytes m;
    for (uint32_t i = 0; i < ulRoundTrips; ++i)
    {
        const Clock::time_point t0 = Clock::now();
        if (!p.lpPeer->boSend(p.request))
            return r;
        do
            if (!p.lpPeer->boNext(m))
                return r;
        while (!boIsAnswer(p, m));
        us.push_back(std::chrono::duration<double, std::micro>(Clock::now() - t0).count());
    }
    std::sort(us.begin(), us.end());
    r.dMedianUs = us[us.size() / 2];
    r.dP99Us = us[std::min(us.size() - 1, us.size() * 99 / 100)];
    double sum = 0;
    for (double v : us)
        sum += v;
    r.dMeanUs = sum / us.size();

    const Clock::time_point t0 = Clock::now();
    uint32_t sent = 0, received = 0;
    while (received < ulMessages)
    {
        while (sent < ulMessages && sent - received < kWindow)
        {
            if (!p.lpPeer->boSend(p.request))
                return r;
            ++sent;
        }
        if (!p.lpPeer->boNext(m))
            return r;
        received += boIsAnswer(p, m);
    }
    r.dPerSecond = ulMessages / std::chrono::duration<double>(Clock::now() - t0).count();
    r.boOk = true;
    return r;
}

void vPrint(const char* lpszWhat, const SResult& r)
{
    std::printf("%-34s median %8.1f us   p99 %8.1f us   mean %8.1f us   %9.0f msg/s\n", lpszWhat, r.dMedianUs,
                r.dP99Us, r.dMeanUs, r.dPerSecond);
}

} // namespace

int main(int argc, char** argv)
{
    const char* env = std::getenv("FD_GAMESERVER_PORT");
    const uint16_t serverPort = uint16_t(std::atoi(argc > 1 ? argv[1] : env ? env : "0"));
    const uint32_t roundTrips = argc > 2 ? uint32_t(std::atoi(argv[2])) : 2000;
    const uint32_t messages = argc > 3 ? uint32_t(std::atoi(argv[3])) : 20000;
    if (serverPort == 0 || roundTrips == 0 || messages == 0)
    {
        std::fprintf(stderr, "usage: hub_bench <stand-in port> [round trips] [messages]\n"
                             "(or the port in FD_GAMESERVER_PORT)\n");
        return 2;
    }
    FdNet::CWinsockUse winsock;
    const uint8_t payload[kPayload] = {'b', 'e', 'n', 'c', 'h'};

    // Through the hub core.
    CNullHost host;
    CLinkwellMgr hub(host);
    HubRouting::SHubSettings settings;
    settings.wLpcPort = 0;
    if (!hub.boInit(settings) || !hub.boIsLpcListening())
    {
        std::fprintf(stderr, "hub_bench: the hub core does not listen\n");
        return 1;
    }
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
    const char pseudo[] = "bench";
    if (!direct.boConnect(serverPort) ||
        !direct.boSend(HubProto::BuildInitMessage(HubProto::kDefaultHubId, HubProto::IoMemberId{},
                                                  reinterpret_cast<const uint8_t*>(pseudo), 5)) ||
        !direct.boNext(m))
    {
        std::fprintf(stderr, "hub_bench: no INIT reply from the stand-in\n");
        return 1;
    }
    SPath plain{&direct,
                HubProto::BuildServerMessage(1, HubProto::dwIdFromText("GAME"), 0, HubProto::IoMemberId{},
                                             payload, kPayload, false),
                HubProto::kServerHeaderLen, 0};

    std::printf("%u-byte messages, %u round trips, %u messages with %u in flight\n", unsigned(kPayload),
                unsigned(roundTrips), unsigned(messages), unsigned(kWindow));
    const SResult a = Measure(viaHub, roundTrips, messages);
    const SResult b = Measure(plain, roundTrips, messages);
    if (!a.boOk || !b.boOk)
    {
        std::fprintf(stderr, "hub_bench: a run broke off (%s)\n", a.boOk ? "direct" : "through the hub");
        return 1;
    }
    vPrint("client -> hub -> stand-in -> back", a);
    vPrint("plain socket -> stand-in -> back", b);
    std::printf("ratio hub/plain: latency (median) %.2f, throughput %.2f\n", a.dMedianUs / b.dMedianUs,
                a.dPerSecond / b.dPerSecond);
    return 0;
}
