// The hub's tray icon: a hidden owner window (class "button", subclassed)
// that receives the icon's notifications, and the icon with its tooltip.
// A right click opens the first popup of the menu resource; a chosen
// command goes to OnClose, a double click to OnDoubleClick.
#pragma once

#include <windows.h>

#include "WindowBase.h"

namespace Linkwell
{

class CTraybarMgr
{
public:
    static constexpr size_t kTipShown = 63;

    // Quit messages go to hQuitWindow (the main thread's window).
    CTraybarMgr(HINSTANCE hInstance, HWND hQuitWindow);
    virtual ~CTraybarMgr();
    CTraybarMgr(const CTraybarMgr&) = delete;
    CTraybarMgr& operator=(const CTraybarMgr&) = delete;

    virtual void OnDoubleClick() {}
    // Posts the quit message.
    virtual void OnClose();

    // Creates the owner window (once) and adds the icon; a shown icon is
    // deleted first, so the same call updates it. False when the owner
    // window or the icon could not be made.
    bool boShow(UINT uMenuId, UINT uIconId, const char* lpszTip, UINT uNotifyId);
    void vHide();
    HWND hGetOwner() const { return m_owner.hWnd(); }
    bool boIsShown() const { return m_boShown; }

private:
    LRESULT lOnMessage(UINT uMsg, WPARAM wParam, LPARAM lParam);
    void vOnRightButtonUp();
    void vPostQuit();

    HINSTANCE m_hInstance;
    HWND m_hQuitWindow;
    FdWin::TMemberWindow<CTraybarMgr> m_owner{*this, &CTraybarMgr::lOnMessage};
    UINT m_uNotifyId = 0;
    UINT m_uMenuId = 0;
    HICON m_hIcon = nullptr;
    bool m_boShown = false;
};

} // namespace Linkwell
