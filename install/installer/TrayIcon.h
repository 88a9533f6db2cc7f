#pragma once
// The installer's tray icon: a hidden, disabled 1 x 1 "button" popup,
// subclassed, that owns the icon and its menu ("Fermer FDGame - Installer").
#include <windows.h>

#include "WindowBase.h"

namespace FdInstall
{
class CTrayIcon
{
public:
    static constexpr UINT kCallbackMessage = 32782;
    static constexpr UINT kIconId = 214;

    // pfnQuit runs when the user closes the installer from the icon.
    explicit CTrayIcon(void (*pfnQuit)()) : m_pfnQuit(pfnQuit) {}
    ~CTrayIcon() { vHide(); }
    CTrayIcon(const CTrayIcon&) = delete;
    CTrayIcon& operator=(const CTrayIcon&) = delete;

    bool boShow(HINSTANCE hInstance);
    void vHide();
    HWND hWnd() const { return m_window.hWnd(); }

private:
    LRESULT lrHandle(UINT uMsg, WPARAM wParam, LPARAM lParam);
    void vMenu();

    void (*m_pfnQuit)();
    HINSTANCE m_hInstance = nullptr;
    FdWin::TMemberWindow<CTrayIcon> m_window{*this, &CTrayIcon::lrHandle};
    HICON m_hIcon = nullptr;
    bool m_boShown = false;
};
} // namespace FdInstall
