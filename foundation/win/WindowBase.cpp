#include "WindowBase.h"

namespace FdWin
{

CWindowBase::~CWindowBase()
{
    vDestroy();
}

bool CWindowBase::boRegisterClass(HINSTANCE hInstance, const char* lpszClass, UINT uStyle, HCURSOR hCursor,
                                  HBRUSH hBackground)
{
    WNDCLASSA wc = {};
    if (GetClassInfoA(hInstance, lpszClass, &wc))
        return wc.lpfnWndProc == WindowProc;
    wc.style = uStyle;
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
    HWND hWnd =
        CreateWindowExA(dwExStyle, lpszClass, lpszTitle, dwStyle, x, y, cx, cy, hParent, hMenu, hInstance, this);
    if (hWnd == nullptr)
        m_hWnd = nullptr;
    return hWnd;
}

bool CWindowBase::boSubclass(HWND hWnd)
{
    if (m_hWnd != nullptr || hWnd == nullptr || GetWindowLongPtrA(hWnd, GWLP_USERDATA) != 0)
        return false;
    vTake(hWnd);
    SetLastError(0);
    const LONG_PTR previous = SetWindowLongPtrA(hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(WindowProc));
    if (previous == 0 && GetLastError() != 0)
    {
        SetWindowLongPtrA(hWnd, GWLP_USERDATA, 0);
        m_hWnd = nullptr;
        return false;
    }
    m_lpPrevious = reinterpret_cast<WNDPROC>(previous);
    return true;
}

void CWindowBase::vTake(HWND hWnd)
{
    m_hWnd = hWnd;
    SetWindowLongPtrA(hWnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
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
        SetWindowLongPtrA(hWnd, GWLP_USERDATA, 0);
        if (m_lpPrevious)
            SetWindowLongPtrA(hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(m_lpPrevious));
        m_lpPrevious = nullptr;
        m_hWnd = nullptr;
    }
}

CWindowBase* CWindowBase::lpFromWindow(HWND hWnd)
{
    if (hWnd == nullptr || reinterpret_cast<WNDPROC>(GetWindowLongPtrA(hWnd, GWLP_WNDPROC)) != WindowProc)
        return nullptr;
    return reinterpret_cast<CWindowBase*>(GetWindowLongPtrA(hWnd, GWLP_USERDATA));
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
    CWindowBase* lpSelf = reinterpret_cast<CWindowBase*>(GetWindowLongPtrA(hWnd, GWLP_USERDATA));
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
        SetWindowLongPtrA(hWnd, GWLP_USERDATA, 0);
        lpSelf->m_lpPrevious = nullptr;
        lpSelf->m_hWnd = nullptr;
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
