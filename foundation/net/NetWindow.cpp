#include "NetWindow.h"

#include <atomic>
#include <map>
#include <memory>

#include "CriticalSection.h"
#include "NetAsync.h"
#include "WindowBase.h"

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

// The window of one object: socket events and timers go to the object until
// it lets go; the object is deleted with its window.
class CHiddenWindow : public FdWin::CWindowBase
{
public:
    explicit CHiddenWindow(CNetAsync* lpOwner) : m_lpOwner(lpOwner) {}
    // The window is made: from now on it deletes itself with its window.
    void vCreated() { m_boCreated = true; }
    void vLetGo() { m_lpOwner = nullptr; }

protected:
    LRESULT lOnMessage(UINT uMsg, WPARAM wParam, LPARAM lParam) override
    {
        // The object handles socket events and its timers; the rest is the system's.
        CNetAsync* lpOwner = m_lpOwner.load();
        if (lpOwner == nullptr || (uMsg != uSocketMessage() && uMsg != WM_TIMER))
            return lDefault(uMsg, wParam, lParam);
        return lpOwner->lOnWindowMessage(uMsg, wParam, lParam);
    }
    void vOnFinalMessage() override
    {
        // Not while another thread detaches it (vDestroy holds the lock).
        FdSystem::CAutoLock lock(&DestructionLock());
        if (m_boCreated)
            delete this;
    }

private:
    std::atomic<CNetAsync*> m_lpOwner;
    bool m_boCreated = false;
};

bool boRegisterClass(HINSTANCE hInstance)
{
    if (g_boClassRegistered)
        return true;
    if (!FdWin::CWindowBase::boRegisterClass(hInstance, kClassName))
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
    std::unique_ptr<CHiddenWindow> window(new CHiddenWindow(lpOwner));
    HWND hWnd = window->hCreate(0, kClassName, kWindowTitle, WS_OVERLAPPED, CW_USEDEFAULT, CW_USEDEFAULT,
                                CW_USEDEFAULT, CW_USEDEFAULT, HWND_MESSAGE, nullptr, g_hClassInstance);
    if (hWnd == nullptr)
        return nullptr;
    window.release()->vCreated();
    EnableWindow(hWnd, FALSE);
    return hWnd;
}

void vDestroy(HWND hWnd)
{
    if (hWnd == nullptr)
        return;
    FdSystem::CAutoLock lock(&DestructionLock());
    if (CHiddenWindow* lpWindow = static_cast<CHiddenWindow*>(FdWin::CWindowBase::lpFromWindow(hWnd)))
        lpWindow->vLetGo();
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
