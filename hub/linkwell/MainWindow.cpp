#include "MainWindow.h"

#include "LinkwellMessages.h"
#include "OBPPJob.h"

namespace Linkwell
{

CMainWindow::~CMainWindow()
{
    vDestroy();
}

bool CMainWindow::boCreate(HINSTANCE hInstance, IHandler& handler)
{
    // A second registration (a test that makes two windows) is fine.
    if (!FdWin::CWindowBase::boRegisterClass(hInstance, kClassName))
        return false;
    m_lpHandler = &handler;
    // Top-level but never shown: the end of the session reaches top-level
    // windows only.
    HWND hWnd =
        m_window.hCreate(0, kClassName, "Linkwell", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr, hInstance);
    if (hWnd == nullptr)
        return false;
    COBPPJob::vSetTarget(hWnd);
    return true;
}

void CMainWindow::vDestroy()
{
    if (m_window.hWnd() == nullptr)
        return;
    COBPPJob::vSetTarget(nullptr);
    vDiscardPendingJobs();
    m_window.vDestroy();
}

void CMainWindow::vDiscardPendingJobs()
{
    MSG msg;
    while (m_window.hWnd() != nullptr &&
           PeekMessageA(&msg, m_window.hWnd(), kMsgPageJob, kMsgPageJob, PM_REMOVE))
        COBPPJob::lpFromMessage(msg.wParam); // freed unrun
}

void CMainWindow::vPostQuit()
{
    PostMessageA(m_window.hWnd(), kMsgQuit, 0, 0);
}

void CMainWindow::vPostTrayState(bool boAnyRegistered)
{
    PostMessageA(m_window.hWnd(), kMsgTrayState, boAnyRegistered ? 1 : 0, 0);
}

LRESULT CMainWindow::lOnMessage(UINT uMsg, WPARAM wParam, LPARAM lParam)
{
    switch (uMsg)
    {
    case kMsgPageJob:
    {
        COBPPJob::vRunAndFree(COBPPJob::lpFromMessage(wParam));
        return 0;
    }
    case kMsgQuit:
    case WM_CLOSE:
        m_lpHandler->vOnQuit();
        return 0;
    case WM_QUERYENDSESSION:
        m_lpHandler->vOnQuit();
        return TRUE;
    case kMsgTrayState:
        m_lpHandler->vOnTrayState(wParam != 0);
        return 0;
    default:
        return m_window.lCallDefault(uMsg, wParam, lParam);
    }
}

} // namespace Linkwell
