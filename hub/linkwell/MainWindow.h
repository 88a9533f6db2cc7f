// The main thread's hidden window: it receives the page jobs and the quit
// message, so that modal loops on the main thread dispatch them, and it
// treats WM_CLOSE and WM_QUERYENDSESSION (a top-level window hears the end
// of the session) as the quit message.
#pragma once

#include <windows.h>

#include "WindowBase.h"

namespace Linkwell
{

class CMainWindow
{
public:
    class IHandler
    {
    public:
        virtual ~IHandler() = default;
        virtual void vOnQuit() = 0;
        virtual void vOnTrayState(bool boAnyRegistered) = 0;
    };
    static constexpr const char* kClassName = "LinkwellV2 Main";

    CMainWindow() = default;
    ~CMainWindow();
    CMainWindow(const CMainWindow&) = delete;
    CMainWindow& operator=(const CMainWindow&) = delete;

    // On the main thread; page jobs go to this window from now on.
    bool boCreate(HINSTANCE hInstance, IHandler& handler);
    // Frees the page jobs still queued, then the window goes; jobs posted
    // afterwards are freed at once.
    void vDestroy();
    HWND hGetWindow() const { return m_window.hWnd(); }
    // Any thread: the quit message to the main thread.
    void vPostQuit();
    void vPostTrayState(bool boAnyRegistered);
    // Frees the page jobs waiting in the queue without running them.
    void vDiscardPendingJobs();

private:
    LRESULT lOnMessage(UINT uMsg, WPARAM wParam, LPARAM lParam);

    FdWin::TMemberWindow<CMainWindow> m_window{*this, &CMainWindow::lOnMessage};
    IHandler* m_lpHandler = nullptr;
};

} // namespace Linkwell
