// What the primitives of a relay cost a Windows program under Wine: the calls
// one thread makes (peek, wait, send, recv, post) and the wake-ups between
// threads (event, thread message, blocking socket, socket event delivered as
// a window message, which is how the hub's sockets receive). Each figure is
// the median of many runs; a wake-up is half a ping-pong. Not a test.
//
//   tools/wine-run build/win64/bin/hub_wine_costs.exe [runs]
#include <winsock2.h>
#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <thread>
#include <vector>

#include "WinsockUse.h"

namespace
{

using Clock = std::chrono::steady_clock;
constexpr int kPayload = 16;
constexpr UINT kSocketMessage = WM_APP + 1;

double dNow()
{
    return std::chrono::duration<double, std::micro>(Clock::now().time_since_epoch()).count();
}

double dMedian(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}

// Median time of one call of `step`, timed in batches of 20.
double dPerCall(uint32_t ulRuns, const std::function<void()>& step)
{
    std::vector<double> per;
    for (uint32_t i = 0; i < ulRuns / 20; ++i)
    {
        const double t0 = dNow();
        for (int k = 0; k < 20; ++k)
            step();
        per.push_back((dNow() - t0) / 20);
    }
    return dMedian(per);
}

void vRow(const char* lpszWhat, double dUs)
{
    std::printf("  %-58s %8.1f us\n", lpszWhat, dUs);
}

// A connected loopback TCP pair, TCP_NODELAY on both ends.
bool boTcpPair(SOCKET& a, SOCKET& b)
{
    SOCKET l = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    int len = sizeof addr;
    if (bind(l, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 || listen(l, 1) != 0 ||
        getsockname(l, reinterpret_cast<sockaddr*>(&addr), &len) != 0)
        return false;
    a = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    if (connect(a, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0)
        return false;
    b = accept(l, nullptr, nullptr);
    closesocket(l);
    const BOOL on = TRUE;
    for (SOCKET s : {a, b})
        setsockopt(s, IPPROTO_TCP, TCP_NODELAY, reinterpret_cast<const char*>(&on), sizeof on);
    return b != INVALID_SOCKET;
}

bool boRecvAll(SOCKET s, char* lpBuffer, int iSize)
{
    for (int got = 0; got < iSize;)
    {
        const int n = recv(s, lpBuffer + got, iSize - got, 0);
        if (n <= 0)
            return false;
        got += n;
    }
    return true;
}

// Half the median round trip of `ping` against a peer thread running `pong`
// until `stop`; the pings start once the peer set hReady (when given).
double dHalfRoundTrip(uint32_t ulRuns, const std::function<void()>& ping, const std::function<void()>& pong,
                      const std::function<void()>& stop, HANDLE hReady = nullptr)
{
    std::thread peer(pong);
    if (hReady != nullptr)
        WaitForSingleObject(hReady, INFINITE);
    for (int i = 0; i < 50; ++i) // warm-up
        ping();
    std::vector<double> rt;
    for (uint32_t i = 0; i < ulRuns; ++i)
    {
        const double t0 = dNow();
        ping();
        rt.push_back(dNow() - t0);
    }
    stop();
    peer.join();
    return dMedian(rt) / 2;
}

LRESULT CALLBACK EchoProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam)
{
    if (uMsg == kSocketMessage && WSAGETSELECTEVENT(lParam) == FD_READ)
    {
        char buffer[4096];
        const int n = recv(SOCKET(wParam), buffer, sizeof buffer, 0);
        if (n > 0)
            send(SOCKET(wParam), buffer, n, 0);
        return 0;
    }
    return DefWindowProcA(hWnd, uMsg, wParam, lParam);
}

HWND hEchoWindow()
{
    static bool registered = false;
    if (!registered)
    {
        WNDCLASSA wc{};
        wc.lpfnWndProc = EchoProc;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.lpszClassName = "WineCostsEcho";
        registered = RegisterClassA(&wc) != 0;
    }
    return CreateWindowExA(0, "WineCostsEcho", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                           GetModuleHandleA(nullptr), nullptr);
}

} // namespace

int main(int argc, char** argv)
{
    const uint32_t runs = argc > 1 ? uint32_t(std::atoi(argv[1])) : 2000;
    FdNet::CWinsockUse winsock;
    char buffer[4096] = {};

    std::printf("One thread, per call:\n");
    MSG msg;
    vRow("PeekMessage, queue empty", dPerCall(runs, [&] { PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE); }));
    vRow("PeekMessage PM_NOYIELD, queue empty",
         dPerCall(runs, [&] { PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE | PM_NOYIELD); }));
    vRow("GetQueueStatus", dPerCall(runs, [&] { GetQueueStatus(QS_ALLINPUT); }));
    HANDLE unset = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    vRow(
        "MsgWaitForMultipleObjectsEx, one event, input available flag, no wait",
        dPerCall(runs, [&] { MsgWaitForMultipleObjectsEx(1, &unset, 0, QS_ALLINPUT, MWMO_INPUTAVAILABLE); }));
    vRow("MsgWaitForMultipleObjects, nothing to wait for",
         dPerCall(runs, [&] { MsgWaitForMultipleObjects(0, nullptr, FALSE, 0, QS_ALLINPUT); }));
    HWND own = hEchoWindow();
    vRow("PostMessage to an own window, then PeekMessage + Dispatch",
         dPerCall(runs,
                  [&]
                  {
                      PostMessageA(own, WM_USER, 0, 0);
                      while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE))
                          DispatchMessageA(&msg);
                  }));
    SetPropA(own, "WineCosts", own);
    vRow("GetPropA (a window property)", dPerCall(runs, [&] { GetPropA(own, "WineCosts"); }));
    vRow("GetWindowLongPtrA (user data)", dPerCall(runs, [&] { GetWindowLongPtrA(own, GWLP_USERDATA); }));
    vRow("GetClassLongPtrA (class procedure)", dPerCall(runs, [&] { GetClassLongPtrA(own, GCLP_WNDPROC); }));
    RemovePropA(own, "WineCosts");
    DestroyWindow(own);
    HANDLE event = CreateEventA(nullptr, FALSE, FALSE, nullptr);
    vRow("SetEvent", dPerCall(runs, [&] { SetEvent(event); }));
    CRITICAL_SECTION cs;
    InitializeCriticalSection(&cs);
    vRow("EnterCriticalSection + LeaveCriticalSection", dPerCall(runs,
                                                                 [&]
                                                                 {
                                                                     EnterCriticalSection(&cs);
                                                                     LeaveCriticalSection(&cs);
                                                                 }));
    DeleteCriticalSection(&cs);

    SOCKET a = INVALID_SOCKET, b = INVALID_SOCKET;
    if (!boTcpPair(a, b))
    {
        std::fprintf(stderr, "hub_wine_costs: no loopback pair\n");
        return 1;
    }
    u_long nonBlocking = 1;
    ioctlsocket(b, FIONBIO, &nonBlocking);
    // The sends below stay far under the socket buffers; recv then reads them back.
    const uint32_t batch = std::min<uint32_t>(runs, 2000);
    vRow("send, 16 bytes (TCP)", dPerCall(batch, [&] { send(a, buffer, kPayload, 0); }));
    vRow("recv, 16 bytes waiting (TCP)", dPerCall(batch, [&] { recv(b, buffer, kPayload, 0); }));
    while (recv(b, buffer, sizeof buffer, 0) > 0)
    {
    }
    vRow("recv, nothing waiting (would block)", dPerCall(runs, [&] { recv(b, buffer, kPayload, 0); }));
    fd_set set;
    vRow("select on one socket, nothing waiting, no wait", dPerCall(runs,
                                                                    [&]
                                                                    {
                                                                        FD_ZERO(&set);
                                                                        FD_SET(b, &set);
                                                                        timeval tv{0, 0};
                                                                        select(0, &set, nullptr, nullptr,
                                                                               &tv);
                                                                    }));
    nonBlocking = 0;
    ioctlsocket(b, FIONBIO, &nonBlocking);

    std::printf("Wake-ups between two threads (half a ping-pong):\n");
    HANDLE ping = CreateEventA(nullptr, FALSE, FALSE, nullptr),
           pong = CreateEventA(nullptr, FALSE, FALSE, nullptr);
    bool stopEvents = false;
    vRow("event: SetEvent -> WaitForSingleObject",
         dHalfRoundTrip(
             runs, [&] { SignalObjectAndWait(ping, pong, INFINITE, FALSE); },
             [&]
             {
                 for (;;)
                 {
                     WaitForSingleObject(ping, INFINITE);
                     if (stopEvents)
                         return;
                     SetEvent(pong);
                 }
             },
             [&]
             {
                 stopEvents = true;
                 SetEvent(ping);
             }));

    DWORD peerThread = 0;
    HANDLE ready = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    const DWORD self = GetCurrentThreadId();
    vRow("thread message: PostThreadMessage -> GetMessage",
         dHalfRoundTrip(
             runs,
             [&]
             {
                 PostThreadMessageA(peerThread, WM_USER, 0, 0);
                 GetMessageA(&msg, nullptr, 0, 0);
             },
             [&]
             {
                 MSG m;
                 PeekMessageA(&m, nullptr, 0, 0, PM_NOREMOVE); // makes the queue
                 peerThread = GetCurrentThreadId();
                 SetEvent(ready);
                 while (GetMessageA(&m, nullptr, 0, 0) > 0)
                     PostThreadMessageA(self, WM_USER, 0, 0);
             },
             [&] { PostThreadMessageA(peerThread, WM_QUIT, 0, 0); }, ready));

    vRow("socket: send -> blocking recv (16 bytes)",
         dHalfRoundTrip(
             runs,
             [&]
             {
                 send(a, buffer, kPayload, 0);
                 boRecvAll(a, buffer, kPayload);
             },
             [&]
             {
                 char echo[kPayload];
                 while (boRecvAll(b, echo, kPayload) && echo[0] == 0)
                     send(b, echo, kPayload, 0);
             },
             [&]
             {
                 char end[kPayload] = {1};
                 send(a, end, kPayload, 0);
             }));

    vRow("socket: send -> select + recv (as the bench client reads)",
         dHalfRoundTrip(
             runs,
             [&]
             {
                 send(a, buffer, kPayload, 0);
                 FD_ZERO(&set);
                 FD_SET(a, &set);
                 select(0, &set, nullptr, nullptr, nullptr);
                 boRecvAll(a, buffer, kPayload);
             },
             [&]
             {
                 char echo[kPayload];
                 for (;;)
                 {
                     fd_set s;
                     FD_ZERO(&s);
                     FD_SET(b, &s);
                     select(0, &s, nullptr, nullptr, nullptr);
                     if (!boRecvAll(b, echo, kPayload) || echo[0] != 0)
                         return;
                     send(b, echo, kPayload, 0);
                 }
             },
             [&]
             {
                 char end[kPayload] = {1};
                 send(a, end, kPayload, 0);
             }));

    // The hub's way: the peer's socket events arrive as window messages on
    // a thread that waits in MsgWaitForMultipleObjects and pumps.
    HANDLE stopPump = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    ResetEvent(ready);
    vRow("socket: send -> window message (WSAAsyncSelect) + recv",
         dHalfRoundTrip(
             runs,
             [&]
             {
                 send(a, buffer, kPayload, 0);
                 boRecvAll(a, buffer, kPayload);
             },
             [&]
             {
                 HWND w = hEchoWindow();
                 WSAAsyncSelect(b, w, kSocketMessage, FD_READ | FD_CLOSE);
                 SetEvent(ready);
                 for (;;)
                 {
                     MSG m;
                     while (PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE))
                         DispatchMessageA(&m);
                     if (MsgWaitForMultipleObjects(1, &stopPump, FALSE, INFINITE, QS_ALLINPUT) ==
                         WAIT_OBJECT_0)
                         break;
                 }
                 WSAAsyncSelect(b, w, 0, 0);
                 DestroyWindow(w);
             },
             [&] { SetEvent(stopPump); }, ready));
    closesocket(a);
    closesocket(b);
    CloseHandle(event);
    CloseHandle(ping);
    CloseHandle(pong);
    CloseHandle(ready);
    CloseHandle(stopPump);
    return 0;
}
