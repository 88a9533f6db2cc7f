#include "BenchPaths.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>

#include "ServerMessages.h"

namespace HubBench
{

namespace
{

using Clock = std::chrono::steady_clock;
constexpr DWORD kReadBoundMs = 10000;
constexpr UINT kSocketMessage = WM_APP + 7;
const char kRelayClass[] = "HubBenchBareRelay";

bool boIsAnswer(const SPath& p, const Bytes& m)
{
    return m.size() > p.ulAnswerOffset && m[p.ulAnswerOffset] == p.bAnswerFirstByte;
}

void vNoDelay(SOCKET s)
{
    const BOOL on = TRUE;
    setsockopt(s, IPPROTO_TCP, TCP_NODELAY, reinterpret_cast<const char*>(&on), sizeof on);
}

} // namespace

CPeer::~CPeer()
{
    if (m_s != INVALID_SOCKET)
        closesocket(m_s);
}

bool CPeer::boConnect(uint16_t wPort)
{
    m_s = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    vNoDelay(m_s);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = kLoopback;
    a.sin_port = htons(wPort);
    return connect(m_s, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0;
}

bool CPeer::boSend(const Bytes& b)
{
    return send(m_s, reinterpret_cast<const char*>(b.data()), int(b.size()), 0) == int(b.size());
}

bool CPeer::boNext(Bytes& out)
{
    for (;;)
    {
        if (m_ulReadyPos < m_ready.size())
        {
            out.swap(m_ready[m_ulReadyPos++]);
            return true;
        }
        m_ready.clear();
        m_ulReadyPos = 0;
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

bool boReadArgs(int argc, char** argv, const char* lpszProgram, SArgs& out)
{
    const char* env = std::getenv("FD_GAMESERVER_PORT");
    out.wServerPort = uint16_t(std::atoi(argc > 1 ? argv[1] : env ? env : "0"));
    out.ulRoundTrips = argc > 2 ? uint32_t(std::atoi(argv[2])) : SArgs().ulRoundTrips;
    out.ulMessages = argc > 3 ? uint32_t(std::atoi(argv[3])) : SArgs().ulMessages;
    if (out.wServerPort != 0 && out.ulRoundTrips != 0 && out.ulMessages != 0)
        return true;
    std::fprintf(stderr,
                 "usage: %s <stand-in port> [round trips] [messages]\n"
                 "(or the port in FD_GAMESERVER_PORT)\n",
                 lpszProgram);
    return false;
}

SResult FromRoundTrips(std::vector<double> us)
{
    SResult r;
    if (us.empty())
        return r;
    std::sort(us.begin(), us.end());
    r.dMedianUs = us[us.size() / 2];
    r.dP99Us = us[std::min(us.size() - 1, us.size() * 99 / 100)];
    double sum = 0;
    for (double v : us)
        sum += v;
    r.dMeanUs = sum / us.size();
    return r;
}

SResult Measure(SPath& p, uint32_t ulRoundTrips, uint32_t ulMessages)
{
    std::vector<double> us;
    Bytes m;
    for (uint32_t i = 0; i < ulRoundTrips; ++i)
    {
        const Clock::time_point t0 = Clock::now();
        if (!p.lpPeer->boSend(p.request))
            return SResult{};
        do
            if (!p.lpPeer->boNext(m))
                return SResult{};
        while (!boIsAnswer(p, m));
        us.push_back(std::chrono::duration<double, std::micro>(Clock::now() - t0).count());
    }
    SResult r = FromRoundTrips(us);

    const Clock::time_point t0 = Clock::now();
    uint32_t sent = 0, received = 0;
    while (received < ulMessages)
    {
        while (sent < ulMessages && sent - received < kWindow)
        {
            if (!p.lpPeer->boSend(p.request))
                return SResult{};
            ++sent;
        }
        if (!p.lpPeer->boNext(m))
            return SResult{};
        received += boIsAnswer(p, m);
    }
    r.dPerSecond = ulMessages / std::chrono::duration<double>(Clock::now() - t0).count();
    r.boOk = true;
    return r;
}

void vPrint(const char* lpszWhat, const SResult& r)
{
    std::printf("%-36s median %8.1f us   p99 %8.1f us   mean %8.1f us   %9.0f msg/s\n", lpszWhat, r.dMedianUs,
                r.dP99Us, r.dMeanUs, r.dPerSecond);
}

void vPrintRatios(const char* lpszWhat, const SResult& a, const SResult& b)
{
    std::printf("ratio %-18s latency (median) %.2f, p99 %.2f, throughput %.2f\n", lpszWhat,
                a.dMedianUs / b.dMedianUs, a.dP99Us / b.dP99Us, a.dPerSecond / b.dPerSecond);
}

bool boRegisterPlain(CPeer& peer)
{
    const char pseudo[] = "bench";
    Bytes reply;
    return peer.boSend(HubProto::BuildInitMessage(HubProto::kDefaultHubId, HubProto::IoMemberId{},
                                                  reinterpret_cast<const uint8_t*>(pseudo), 5)) &&
           peer.boNext(reply);
}

Bytes PlainRequest()
{
    const uint8_t payload[kPayload] = {'b', 'e', 'n', 'c', 'h'};
    return HubProto::BuildServerMessage(1, HubProto::dwIdFromText("GAME"), 0, HubProto::IoMemberId{}, payload,
                                        kPayload, false);
}

CBareRelay::CBareRelay(uint16_t wServerPort) : m_wServerPort(wServerPort)
{
    m_hStop = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    m_hReady = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    m_listener = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = kLoopback;
    int len = sizeof a;
    if (bind(m_listener, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0 || listen(m_listener, 1) != 0 ||
        getsockname(m_listener, reinterpret_cast<sockaddr*>(&a), &len) != 0)
        return;
    m_thread = std::thread([this] { vRun(); });
    WaitForSingleObject(m_hReady, kReadBoundMs);
    if (m_hWnd != nullptr)
        m_wPort = ntohs(a.sin_port);
}

CBareRelay::~CBareRelay()
{
    SetEvent(m_hStop);
    if (m_thread.joinable())
        m_thread.join();
    for (SOCKET s : {m_listener, m_client, m_server})
        if (s != INVALID_SOCKET)
            closesocket(s);
    CloseHandle(m_hStop);
    CloseHandle(m_hReady);
}

LRESULT CALLBACK CBareRelay::WindowProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam)
{
    if (uMsg != kSocketMessage)
        return DefWindowProcA(hWnd, uMsg, wParam, lParam);
    reinterpret_cast<CBareRelay*>(GetWindowLongPtrA(hWnd, GWLP_USERDATA))->vOnEvent(SOCKET(wParam), lParam);
    return 0;
}

void CBareRelay::vRun()
{
    WNDCLASSA wc{};
    wc.lpfnWndProc = WindowProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = kRelayClass;
    RegisterClassA(&wc);
    m_hWnd = CreateWindowExA(0, kRelayClass, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, wc.hInstance, nullptr);
    if (m_hWnd == nullptr || WSAAsyncSelect(m_listener, m_hWnd, kSocketMessage, FD_ACCEPT) != 0)
    {
        m_hWnd = nullptr;
        SetEvent(m_hReady);
        return;
    }
    SetWindowLongPtrA(m_hWnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    SetEvent(m_hReady);
    // As the hub's thread: wait for a message or the stop, take one, again.
    while (MsgWaitForMultipleObjectsEx(1, &m_hStop, INFINITE, QS_ALLINPUT, MWMO_INPUTAVAILABLE) ==
           WAIT_OBJECT_0 + 1)
    {
        MSG msg;
        if (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE))
            DispatchMessageA(&msg);
    }
    DestroyWindow(m_hWnd);
}

void CBareRelay::vOnEvent(SOCKET s, LPARAM lParam)
{
    switch (WSAGETSELECTEVENT(lParam))
    {
    case FD_ACCEPT:
    {
        if (m_client != INVALID_SOCKET)
            return;
        m_client = accept(m_listener, nullptr, nullptr);
        m_server = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_addr.s_addr = kLoopback;
        a.sin_port = htons(m_wServerPort);
        // Connected before the events are asked for: the relay has nothing to wait for.
        if (m_client == INVALID_SOCKET || connect(m_server, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0)
            return;
        vNoDelay(m_client);
        vNoDelay(m_server);
        WSAAsyncSelect(m_client, m_hWnd, kSocketMessage, FD_READ | FD_CLOSE);
        WSAAsyncSelect(m_server, m_hWnd, kSocketMessage, FD_READ | FD_CLOSE);
        return;
    }
    case FD_READ:
        if (s == m_client)
            vForward(m_client, m_server);
        else if (s == m_server)
            vForward(m_server, m_client);
        return;
    default:
        return;
    }
}

void CBareRelay::vForward(SOCKET from, SOCKET to)
{
    char buffer[32768];
    const int n = recv(from, buffer, sizeof buffer, 0);
    for (int sent = 0; sent < n;)
    {
        const int k = send(to, buffer + sent, n - sent, 0);
        if (k > 0)
            sent += k;
        else if (WSAGetLastError() != WSAEWOULDBLOCK)
            return;
        else
        {
            fd_set set;
            FD_ZERO(&set);
            FD_SET(to, &set);
            select(0, nullptr, &set, nullptr, nullptr);
        }
    }
}

} // namespace HubBench
