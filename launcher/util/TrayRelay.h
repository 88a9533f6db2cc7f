// CTrayRelay: the tray icon and its hidden relay window "LUDEXRELAYTB", whose commands
// and tray notifications reach the object's virtual handlers.
#pragma once

#include <windows.h>
#include <shellapi.h>

#include <vector>

#include "WindowBase.h"

class CTrayRelay
{
public:
    static constexpr UINT kTrayMessage = WM_USER + 100;
    static constexpr size_t kMaxTipLength = 63;

    // The shell call, replaceable so that tests can see what is sent.
    using ShellNotifyFn = BOOL(WINAPI*)(DWORD, PNOTIFYICONDATAA);
    static void SetShellNotify(ShellNotifyFn fn);

    CTrayRelay() = default;
    virtual ~CTrayRelay();
    CTrayRelay(const CTrayRelay&) = delete;
    CTrayRelay& operator=(const CTrayRelay&) = delete;

    virtual void OnCommand(WPARAM wParam, LPARAM lParam);
    // Double click activates; a right-button release asks for the menu, then activates.
    virtual void OnTrayNotify(WPARAM wParam, LPARAM lParam);
    virtual void OnTrayMenu(HWND hwnd);
    virtual void OnTrayActivate(HWND hwnd);

    // Creates the relay window once; icons are loaded from instance.
    BOOL boCreate(HINSTANCE instance);
    BOOL boAddIcon(UINT iconId);
    HICON FindIcon(UINT iconId) const;
    // 0 without relay window or with an icon id never added.
    BOOL boTrayAdd(UINT trayId, UINT iconId, const char* tip);
    BOOL boTrayModify(UINT trayId, UINT iconId, const char* tip, UINT flags);
    BOOL boTrayDelete(UINT trayId);

    HWND GetHwnd() const { return m_hWnd; }

private:
    struct CIconRecord
    {
        UINT id;
        HICON icon;
    };

    LRESULT lOnRelayMessage(UINT message, WPARAM wParam, LPARAM lParam);
    BOOL boNotify(DWORD action, UINT trayId, UINT iconId, const char* tip, UINT flags);

    HWND m_hWnd = nullptr;
    HINSTANCE m_hInstance = nullptr;
    std::vector<CIconRecord> m_icons;
    FdWin::TMemberWindow<CTrayRelay> m_relay{*this, &CTrayRelay::lOnRelayMessage}; // subclasses m_hWnd
};
