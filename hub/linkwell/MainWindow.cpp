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
    WNDCLASSA wc = {};
    wc.lpfnWndProc = lWindowProc;
    wc.hInstance = hInstance;
    wc.lpszClassName = kClassName;
    // A second registration (a test that makes two windows) is fine.
    if (!RegisterClassA(&wc) && GetLastError() != ERROR_CLASS_ALREADY_EXISTS)
        return false;
    m_lpHandler = &handler;
    // Top-level but never shown: the end of the session reaches top-level
    // windows only.
    m_hWnd =
        CreateWindowExA(0, kClassName, "Linkwell", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr, hInstance, this);
    if (m_hWnd == nullptr)
        return false;
    COBPPJob::vSetTarget(m_hWnd);
    return true;
}

void CMainWindow::vDestroy()
{
    if (m_hWnd == nullptr)
        return;
    COBPPJob::vSetTarget(nullptr);
    vDiscardPendingJobs();
    DestroyWindow(m_hWnd);
    m_hWnd = nullptr;
}

void CMainWindow::vDiscardPendingJobs()
{
    MSG msg;
    while (m_hWnd != nullptr && PeekMessageA(&msg, m_hWnd, kMsgPageJob, kMsgPageJob, PM_REMOVE))
        COBPPJob::lpFromMessage(msg.wParam); // freed unrun
}

void CMainWindow::vPostQuit()
{
    PostMessageA(m_hWnd, kMsgQuit, 0, 0);
}

void CMainWindow::vPostTrayState(bool boAnyRegistered)
{
    PostMessageA(m_hWnd, kMsgTrayState, boAnyRegistered ? 1 : 0, 0);
}

LRESULT CALLBACK CMainWindow::lWindowProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam)
{
    if (uMsg == WM_NCCREATE)
    {
        const CREATESTRUCTA* create = reinterpret_cast<const CREATESTRUCTA*>(lParam);
        SetWindowLongPtrA(hWnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    CMainWindow* self = reinterpret_cast<CMainWindow*>(GetWindowLongPtrA(hWnd, GWLP_USERDATA));
    if (self == nullptr)
        return DefWindowProcA(hWnd, uMsg, wParam, lParam);
    return self->lOnMessage(hWnd, uMsg, wParam, lParam);
}

LRESULT CMainWindow::lOnMessage(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam)
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
        return DefWindowProcA(hWnd, uMsg, wParam, lParam);
    }
}

} // namespace Linkwell
