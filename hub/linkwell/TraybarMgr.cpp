#include <winsock2.h> // the hub core's headers need it before windows.h
#include "TraybarMgr.h"

#include <shellapi.h>

#include <cstring>

#include "HubTrace.h"
#include "LinkwellMessages.h"

namespace Linkwell
{

namespace
{
constexpr int kIconSize = 16;
constexpr WPARAM kCmdCloseFromSystem = 2;
} // namespace

CTraybarMgr::CTraybarMgr(HINSTANCE hInstance, HWND hQuitWindow)
    : m_hInstance(hInstance), m_hQuitWindow(hQuitWindow)
{
}

CTraybarMgr::~CTraybarMgr()
{
    vHide();
    // The button's own procedure comes back before it goes.
    m_owner.vDestroy();
    if (m_hIcon != nullptr)
        DestroyIcon(m_hIcon);
}

void CTraybarMgr::OnClose()
{
    vPostQuit();
}

void CTraybarMgr::vPostQuit()
{
    PostMessageA(m_hQuitWindow, kMsgQuit, 0, 0);
}

bool CTraybarMgr::boShow(UINT uMenuId, UINT uIconId, const char* lpszTip, UINT uNotifyId)
{
    if (m_owner.hWnd() == nullptr)
    {
        HWND hOwner = CreateWindowExA(0, "button", "", WS_POPUP | WS_DISABLED, 0, 0, 1, 1, nullptr, nullptr,
                                      m_hInstance, nullptr);
        if (hOwner == nullptr)
            return false;
        if (!m_owner.boSubclass(hOwner))
        {
            DestroyWindow(hOwner);
            return false;
        }
    }
    vHide();
    m_uMenuId = uMenuId;
    m_uNotifyId = uNotifyId;
    HICON hIcon = static_cast<HICON>(
        LoadImageA(m_hInstance, MAKEINTRESOURCEA(uIconId), IMAGE_ICON, kIconSize, kIconSize, 0));
    if (m_hIcon != nullptr)
        DestroyIcon(m_hIcon);
    m_hIcon = hIcon;

    NOTIFYICONDATAA data = {};
    data.cbSize = sizeof(data);
    data.hWnd = m_owner.hWnd();
    data.uID = uNotifyId;
    data.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    data.uCallbackMessage = kTrayCallbackMessage;
    data.hIcon = m_hIcon;
    const size_t n = lpszTip != nullptr ? strnlen(lpszTip, kTipShown) : 0;
    std::memcpy(data.szTip, lpszTip, n);
    data.szTip[n] = '\0';
    m_boShown = Shell_NotifyIconA(NIM_ADD, &data) != FALSE;
    if (!m_boShown)
        HubTrace::vLog("!Warning! CTraybarMgr::boShow -> Shell_NotifyIcon en échec (%lu)",
                       static_cast<unsigned long>(GetLastError()));
    return m_boShown;
}

void CTraybarMgr::vHide()
{
    if (!m_boShown)
        return;
    NOTIFYICONDATAA data = {};
    data.cbSize = sizeof(data);
    data.hWnd = m_owner.hWnd();
    data.uID = m_uNotifyId;
    Shell_NotifyIconA(NIM_DELETE, &data);
    m_boShown = false;
}

LRESULT CTraybarMgr::lOnMessage(UINT uMsg, WPARAM wParam, LPARAM lParam)
{
    if (uMsg == kTrayCallbackMessage && wParam == m_uNotifyId)
    {
        if (lParam == WM_LBUTTONDBLCLK)
            OnDoubleClick();
        else if (lParam == WM_RBUTTONUP)
            vOnRightButtonUp();
        return 0;
    }
    if (uMsg == WM_COMMAND && LOWORD(wParam) == kCmdCloseFromSystem)
    {
        vPostQuit();
        return 0;
    }
    // A hidden top-level window: closing it or ending the session ends the hub.
    if (uMsg == WM_CLOSE)
    {
        vPostQuit();
        return 0;
    }
    if (uMsg == WM_QUERYENDSESSION)
    {
        vPostQuit();
        return TRUE;
    }
    return m_owner.lCallDefault(uMsg, wParam, lParam);
}

void CTraybarMgr::vOnRightButtonUp()
{
    if (m_uMenuId == 0)
        return;
    HMENU hMenu = LoadMenuA(m_hInstance, MAKEINTRESOURCEA(m_uMenuId));
    if (hMenu == nullptr)
        return;
    POINT pt = {};
    GetCursorPos(&pt);
    // The menu closes when the user clicks elsewhere only if the owner is in
    // front; WM_USER afterwards lets the menu go away at once.
    SetForegroundWindow(m_owner.hWnd());
    const UINT uCmd =
        static_cast<UINT>(TrackPopupMenu(GetSubMenu(hMenu, 0), TPM_RIGHTBUTTON | TPM_NONOTIFY | TPM_RETURNCMD,
                                         pt.x, pt.y, 0, m_owner.hWnd(), nullptr));
    PostMessageA(m_owner.hWnd(), WM_USER, 0, 0);
    DestroyMenu(hMenu);
    if (uCmd != 0)
        OnClose();
}

} // namespace Linkwell
