#include "WindowBase.h"

namespace FdWin
{

namespace
{
// The property that ties a subclassed window to its object.
constexpr const char kszObjectProp[] = "FdWin.WindowBase";
// A window of a class registered here holds its object in its extra bytes:
// reading them costs nothing, where reading a property asks the window
// manager (a server round trip under Wine) on every message.
constexpr int kObjectSlot = 0;
constexpr int kWindowExtra = sizeof(LONG_PTR);
} // namespace

bool CWindowBase::boHasObjectSlot(HWND hWnd)
{
    return GetClassLongPtrA(hWnd, GCLP_WNDPROC) == reinterpret_cast<ULONG_PTR>(&WindowProc) &&
           GetClassLongPtrA(hWnd, GCL_CBWNDEXTRA) >= ULONG_PTR(kWindowExtra);
}

CWindowBase* CWindowBase::lpObjectOf(HWND hWnd)
{
    if (boHasObjectSlot(hWnd))
        return reinterpret_cast<CWindowBase*>(GetWindowLongPtrA(hWnd, kObjectSlot));
    return static_cast<CWindowBase*>(GetPropA(hWnd, kszObjectProp));
}

CWindowBase::~CWindowBase()
{
    vDestroy();
}

bool CWindowBase::boRegisterClass(HINSTANCE hInstance, const char* lpszClass, UINT uStyle, HCURSOR hCursor,
                                  HBRUSH hBackground)
{
    WNDCLASSA wc = {};
    if (GetClassInfoA(hInstance, lpszClass, &wc))
    {
        if (wc.lpfnWndProc == WindowProc)
            return true;
        // Left by an earlier load of this module (a DLL's classes outlive
        // it): its procedure is gone, register the class anew.
        if (!UnregisterClassA(lpszClass, hInstance))
            return false;
        wc = {};
    }
    wc.style = uStyle;
    wc.cbWndExtra = kWindowExtra;
    wc.lpfnWndProc = WindowProc;
    wc.hInstance = hInstance;
    wc.hCursor = hCursor;
    wc.hbrBackground = hBackground;
    wc.lpszClassName = lpszClass;
    // Two threads may register at once: the loser sees the class exist.
    return RegisterClassA(&wc) != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

HWND CWindowBase::hCreate(DWORD dwExStyle, const char* lpszClass, const char* lpszTitle, DWORD dwStyle, int x,
                          int y, int cx, int cy, HWND hParent, HMENU hMenu, HINSTANCE hInstance)
{
    if (m_hWnd != nullptr)
    {
        SetLastError(ERROR_ALREADY_EXISTS);
        return nullptr;
    }
    // The window is tied to the object in WM_NCCREATE, before CreateWindowEx returns.
    HWND hWnd = CreateWindowExA(dwExStyle, lpszClass, lpszTitle, dwStyle, x, y, cx, cy, hParent, hMenu,
                                hInstance, this);
    if (hWnd != nullptr && m_hWnd != hWnd)
    {
        // Made, but not tied to the object (no room for the property).
        DestroyWindow(hWnd);
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    return hWnd;
}

bool CWindowBase::boSubclass(HWND hWnd)
{
    if (m_hWnd != nullptr || hWnd == nullptr || lpObjectOf(hWnd) != nullptr)
        return false;
    vTake(hWnd);
    if (m_hWnd == nullptr)
        return false;
    SetLastError(0);
    const LONG_PTR previous = SetWindowLongPtrA(hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(WindowProc));
    if (previous == 0 && GetLastError() != 0)
    {
        vUntie();
        return false;
    }
    m_lpPrevious = reinterpret_cast<WNDPROC>(previous);
    return true;
}

void CWindowBase::vUnsubclass()
{
    if (m_hWnd == nullptr || m_lpPrevious == nullptr)
        return;
    SetWindowLongPtrA(m_hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(m_lpPrevious));
    vUntie();
}

void CWindowBase::vTake(HWND hWnd)
{
    if (boHasObjectSlot(hWnd))
    {
        SetWindowLongPtrA(hWnd, kObjectSlot, reinterpret_cast<LONG_PTR>(this));
        if (GetWindowLongPtrA(hWnd, kObjectSlot) == reinterpret_cast<LONG_PTR>(this))
            m_hWnd = hWnd;
    }
    else if (SetPropA(hWnd, kszObjectProp, this))
        m_hWnd = hWnd;
}

void CWindowBase::vUntie()
{
    if (m_hWnd != nullptr)
    {
        if (boHasObjectSlot(m_hWnd))
            SetWindowLongPtrA(m_hWnd, kObjectSlot, 0);
        else
            RemovePropA(m_hWnd, kszObjectProp);
    }
    m_hWnd = nullptr;
    m_lpPrevious = nullptr;
}

void CWindowBase::vDestroy()
{
    if (m_hWnd == nullptr)
        return;
    // WM_NCDESTROY unties the object; whatever happens, it holds no window after this.
    HWND hWnd = m_hWnd;
    DestroyWindow(hWnd);
    if (m_hWnd == hWnd)
    {
        // Not destroyed (another thread's window): let it go all the same.
        if (m_lpPrevious)
            SetWindowLongPtrA(hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(m_lpPrevious));
        vUntie();
    }
}

CWindowBase* CWindowBase::lpFromWindow(HWND hWnd)
{
    return hWnd != nullptr ? lpObjectOf(hWnd) : nullptr;
}

LRESULT CWindowBase::lDefault(UINT uMsg, WPARAM wParam, LPARAM lParam)
{
    if (m_lpPrevious)
        return CallWindowProcA(m_lpPrevious, m_hWnd, uMsg, wParam, lParam);
    return DefWindowProcA(m_hWnd, uMsg, wParam, lParam);
}

LRESULT CALLBACK CWindowBase::WindowProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam)
{
    if (uMsg == WM_NCCREATE)
    {
        const CREATESTRUCTA* lpCreate = reinterpret_cast<const CREATESTRUCTA*>(lParam);
        if (CWindowBase* lpSelf = static_cast<CWindowBase*>(lpCreate->lpCreateParams))
            lpSelf->vTake(hWnd);
    }
    CWindowBase* lpSelf = lpObjectOf(hWnd);
    // Messages before WM_NCCREATE (WM_GETMINMAXINFO) and after the object let go.
    if (lpSelf == nullptr)
        return DefWindowProcA(hWnd, uMsg, wParam, lParam);
    LRESULT lResult = 0;
    try
    {
        lResult = lpSelf->lOnMessage(uMsg, wParam, lParam);
    }
    catch (...)
    {
        lResult = lpSelf->lOnException(uMsg);
    }
    if (uMsg == WM_NCDESTROY)
    {
        // The last message: give the previous procedure back and untie the object.
        if (lpSelf->m_lpPrevious)
            SetWindowLongPtrA(hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(lpSelf->m_lpPrevious));
        lpSelf->vUntie();
        try
        {
            lpSelf->vOnFinalMessage();
        }
        catch (...)
        {
        }
    }
    return lResult;
}

} // namespace FdWin
