#include "TrayIcon.h"

#include "resource.h"

#include <shellapi.h>

#include <cstring>

namespace FdInstall
{
namespace
{
const char kszTip[] = "FDGame - Installer";
constexpr int kIconSize = 16;
} // namespace

bool CTrayIcon::boShow(HINSTANCE hInstance)
{
    m_hInstance = hInstance;
    HWND hButton = CreateWindowExA(0, "button", kszTip, WS_POPUP | WS_DISABLED, 0, 0, 1, 1, nullptr, nullptr,
                                   hInstance, nullptr);
    if (!hButton)
        return false;
    if (!m_window.boSubclass(hButton))
    {
        DestroyWindow(hButton);
        return false;
    }
    m_hIcon = static_cast<HICON>(LoadImageA(hInstance, MAKEINTRESOURCEA(IDI_TRAY_ICON), IMAGE_ICON, kIconSize,
                                            kIconSize, LR_DEFAULTCOLOR));
    NOTIFYICONDATAA data;
    std::memset(&data, 0, sizeof data);
    data.cbSize = sizeof data;
    data.hWnd = m_window.hWnd();
    data.uID = kIconId;
    data.uFlags = NIF_ICON | NIF_MESSAGE | NIF_TIP;
    data.uCallbackMessage = kCallbackMessage;
    data.hIcon = m_hIcon;
    lstrcpynA(data.szTip, kszTip, sizeof data.szTip);
    m_boShown = Shell_NotifyIconA(NIM_ADD, &data) != FALSE;
    return m_boShown;
}

void CTrayIcon::vHide()
{
    if (m_boShown)
    {
        NOTIFYICONDATAA data;
        std::memset(&data, 0, sizeof data);
        data.cbSize = sizeof data;
        data.hWnd = m_window.hWnd();
        data.uID = kIconId;
        Shell_NotifyIconA(NIM_DELETE, &data);
        m_boShown = false;
    }
    m_window.vDestroy();
    if (m_hIcon)
        DestroyIcon(m_hIcon);
    m_hIcon = nullptr;
}

LRESULT CTrayIcon::lrHandle(UINT uMsg, WPARAM wParam, LPARAM lParam)
{
    if (uMsg == kCallbackMessage)
    {
        if (static_cast<UINT>(lParam) == WM_RBUTTONUP)
            vMenu();
        return 0;
    }
    if (uMsg == WM_COMMAND && LOWORD(wParam) == IDM_TRAY_CLOSE)
    {
        if (m_pfnQuit)
            m_pfnQuit();
        PostQuitMessage(0);
        return 0;
    }
    return m_window.lCallDefault(uMsg, wParam, lParam);
}

void CTrayIcon::vMenu()
{
    HMENU hMenu = LoadMenuA(m_hInstance, MAKEINTRESOURCEA(IDR_TRAY_MENU));
    if (!hMenu)
        return;
    POINT pt = {0, 0};
    GetCursorPos(&pt);
    SetForegroundWindow(m_window.hWnd());
    const int iCommand =
        TrackPopupMenu(GetSubMenu(hMenu, 0), TPM_RIGHTALIGN | TPM_BOTTOMALIGN | TPM_RETURNCMD, pt.x,
                       GetSystemMetrics(SM_CYSCREEN), 0, m_window.hWnd(), nullptr);
    DestroyMenu(hMenu);
    if (iCommand != 0)
    {
        // Any command closes the installer.
        if (m_pfnQuit)
            m_pfnQuit();
        PostQuitMessage(0);
    }
}
} // namespace FdInstall
