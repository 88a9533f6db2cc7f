#include "TrayRelay.h"

#include <cstring>

namespace
{
const char kRelayWindowName[] = "LUDEXRELAYTB";
CTrayRelay::ShellNotifyFn g_pfnShellNotify = Shell_NotifyIconA;
} // namespace

void CTrayRelay::SetShellNotify(ShellNotifyFn fn)
{
    g_pfnShellNotify = fn != nullptr ? fn : Shell_NotifyIconA;
}

CTrayRelay::~CTrayRelay()
{
    if (m_hWnd != nullptr)
    {
        // Detach first: the window's last messages must not reach a half-destroyed object.
        m_relay.vUnsubclass();
        DestroyWindow(m_hWnd);
    }
    // LoadIcon hands out shared icons: they are not destroyed.
}

void CTrayRelay::OnCommand(WPARAM, LPARAM) {}
void CTrayRelay::OnTrayMenu(HWND) {}
void CTrayRelay::OnTrayActivate(HWND) {}

void CTrayRelay::OnTrayNotify(WPARAM, LPARAM lParam)
{
    if (m_hWnd == nullptr)
        return;
    switch (static_cast<UINT>(lParam))
    {
    case WM_LBUTTONDBLCLK:
        OnTrayActivate(m_hWnd);
        break;
    case WM_RBUTTONUP:
        OnTrayMenu(m_hWnd);
        OnTrayActivate(m_hWnd);
        break;
    default:
        break;
    }
}

BOOL CTrayRelay::boCreate(HINSTANCE instance)
{
    m_hInstance = instance;
    if (m_hWnd != nullptr)
        return TRUE;
    m_hWnd = CreateWindowExA(0, "static", kRelayWindowName, WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, instance,
                             nullptr);
    if (m_hWnd == nullptr)
        return FALSE;
    if (!m_relay.boSubclass(m_hWnd))
    {
        DestroyWindow(m_hWnd);
        m_hWnd = nullptr;
        return FALSE;
    }
    return TRUE;
}

LRESULT CTrayRelay::lOnRelayMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_COMMAND)
        OnCommand(wParam, lParam);
    else if (message == kTrayMessage)
        OnTrayNotify(wParam, lParam);
    return m_relay.lCallDefault(message, wParam, lParam);
}

BOOL CTrayRelay::boAddIcon(UINT iconId)
{
    HICON icon = LoadIconA(m_hInstance, MAKEINTRESOURCEA(iconId));
    m_icons.push_back(CIconRecord{iconId, icon});
    return icon != nullptr;
}

HICON CTrayRelay::FindIcon(UINT iconId) const
{
    for (const CIconRecord& record : m_icons)
        if (record.id == iconId)
            return record.icon;
    return nullptr;
}

BOOL CTrayRelay::boNotify(DWORD action, UINT trayId, UINT iconId, const char* tip, UINT flags)
{
    if (m_hWnd == nullptr)
        return FALSE;
    HICON icon = FindIcon(iconId);
    if (icon == nullptr)
        return FALSE;
    NOTIFYICONDATAA data = {};
    data.cbSize = sizeof data;
    data.hWnd = m_hWnd;
    data.uID = trayId;
    data.uFlags = flags;
    data.uCallbackMessage = kTrayMessage;
    data.hIcon = icon;
    if (tip != nullptr)
    {
        const size_t length = strnlen(tip, kMaxTipLength);
        std::memcpy(data.szTip, tip, length);
        data.szTip[length] = '\0';
    }
    return g_pfnShellNotify(action, &data);
}

BOOL CTrayRelay::boTrayAdd(UINT trayId, UINT iconId, const char* tip)
{
    return boNotify(NIM_ADD, trayId, iconId, tip, NIF_MESSAGE | NIF_ICON | NIF_TIP);
}

BOOL CTrayRelay::boTrayModify(UINT trayId, UINT iconId, const char* tip, UINT flags)
{
    return boNotify(NIM_MODIFY, trayId, iconId, tip, flags);
}

BOOL CTrayRelay::boTrayDelete(UINT trayId)
{
    if (m_hWnd == nullptr)
        return FALSE;
    NOTIFYICONDATAA data = {};
    data.cbSize = sizeof data;
    data.hWnd = m_hWnd;
    data.uID = trayId;
    return g_pfnShellNotify(NIM_DELETE, &data);
}
