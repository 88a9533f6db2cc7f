#include "NetWindow.h"

#include <map>

#include "CriticalSection.h"
#include "NetAsync.h"

namespace FdNet
{
namespace NetWindow
{

namespace
{

const char kClassName[] = "NetAsync";
const char kWindowTitle[] = "NetAsyncHiddenWindow";
const char kMessageName[] = "NetAsync Message";
constexpr UINT kFallbackSocketMessage = 1690;

FdSystem::CCriticalSection& CreationLock()
{
    static FdSystem::CCriticalSection lock;
    return lock;
}

FdSystem::CCriticalSection& DestructionLock()
{
    static FdSystem::CCriticalSection lock;
    return lock;
}

FdSystem::CCriticalSection& SocketMapLock()
{
    static FdSystem::CCriticalSection lock;
    return lock;
}

std::map<SOCKET, HWND>& SocketMap()
{
    static std::map<SOCKET, HWND> map;
    return map;
}

// Instance the class was registered with; windows are created with it.
HINSTANCE g_hClassInstance = nullptr;
bool g_boClassRegistered = false;

LRESULT CALLBACK WindowProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam)
{
    if (uMsg == WM_NCCREATE)
    {
        const CREATESTRUCTA* cs = reinterpret_cast<const CREATESTRUCTA*>(lParam);
        SetWindowLongPtrA(hWnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(cs->lpCreateParams));
    }
    // The object handles socket events and its timers; the rest is the system's.
    CNetAsync* owner = reinterpret_cast<CNetAsync*>(GetWindowLongPtrA(hWnd, GWLP_USERDATA));
    if (owner == nullptr || (uMsg != uSocketMessage() && uMsg != WM_TIMER))
        return DefWindowProcA(hWnd, uMsg, wParam, lParam);
    // No exception may unwind through the system's dispatching frames.
    try
    {
        return owner->lOnWindowMessage(uMsg, wParam, lParam);
    }
    catch (...)
    {
        return 0;
    }
}

bool boRegisterClass(HINSTANCE hInstance)
{
    if (g_boClassRegistered)
        return true;
    WNDCLASSA wc{};
    wc.lpfnWndProc = WindowProc;
    wc.hInstance = hInstance;
    wc.lpszClassName = kClassName;
    if (RegisterClassA(&wc) == 0 && GetLastError() != ERROR_CLASS_ALREADY_EXISTS)
        return false;
    g_hClassInstance = hInstance;
    g_boClassRegistered = true;
    return true;
}

} // namespace

UINT uSocketMessage()
{
    static const UINT message = []
    {
        const UINT m = RegisterWindowMessageA(kMessageName);
        return m != 0 ? m : kFallbackSocketMessage;
    }();
    return message;
}

HWND hCreate(CNetAsync* lpOwner, HINSTANCE hInstance)
{
    FdSystem::CAutoLock lock(&CreationLock());
    if (!boRegisterClass(hInstance != nullptr ? hInstance : GetModuleHandleA(nullptr)))
        return nullptr;
    HWND hWnd =
        CreateWindowExA(0, kClassName, kWindowTitle, WS_OVERLAPPED, CW_USEDEFAULT, CW_USEDEFAULT,
                        CW_USEDEFAULT, CW_USEDEFAULT, HWND_MESSAGE, nullptr, g_hClassInstance, lpOwner);
    if (hWnd != nullptr)
        EnableWindow(hWnd, FALSE);
    return hWnd;
}

void vDestroy(HWND hWnd)
{
    if (hWnd == nullptr)
        return;
    FdSystem::CAutoLock lock(&DestructionLock());
    SetWindowLongPtrA(hWnd, GWLP_USERDATA, 0);
    if (GetWindowThreadProcessId(hWnd, nullptr) != GetCurrentThreadId())
    {
        // Only the owning thread may destroy it; detached, it now just closes.
        PostMessageA(hWnd, WM_CLOSE, 0, 0);
        return;
    }
    // Events still queued for it are discarded when dispatched. The queue is
    // not touched here: the thread's other messages, a quit included, stay.
    DestroyWindow(hWnd);
}

void vMapSocket(SOCKET s, HWND hWnd)
{
    FdSystem::CAutoLock lock(&SocketMapLock());
    SocketMap()[s] = hWnd;
}

void vUnmapSocket(SOCKET s)
{
    FdSystem::CAutoLock lock(&SocketMapLock());
    SocketMap().erase(s);
}

std::vector<SOCKET> SocketsOf(HWND hWnd)
{
    FdSystem::CAutoLock lock(&SocketMapLock());
    std::vector<SOCKET> out;
    for (const auto& entry : SocketMap())
        if (entry.second == hWnd)
            out.push_back(entry.first);
    return out;
}

} // namespace NetWindow
} // namespace FdNet
