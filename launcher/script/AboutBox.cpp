#include "AboutBox.h"

#include "AboutTitle.h"
#include "DialogBase.h"
#include "FdUi.h"

namespace
{
// The animation's counters are the process's: a box opened again goes on
// where the last one stopped.
CAboutTitle g_title;

void CentreOnDesktop(HWND hwnd)
{
    RECT desktop = {};
    RECT box = {};
    GetWindowRect(GetDesktopWindow(), &desktop);
    GetWindowRect(hwnd, &box);
    const int width = box.right - box.left;
    const int height = box.bottom - box.top;
    SetWindowPos(hwnd, nullptr, desktop.left + (desktop.right - desktop.left - width) / 2,
                 desktop.top + (desktop.bottom - desktop.top - height) / 2, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

// The box's handler; its state is the process's animation above.
class CAboutBox : public FdWin::CDialogBase
{
protected:
    INT_PTR iOnMessage(UINT message, WPARAM wParam, LPARAM) override
    {
        const HWND hwnd = hWnd();
        switch (message)
        {
        case WM_INITDIALOG:
            CentreOnDesktop(hwnd);
            SetTimer(hwnd, LudexAbout::kTimerId, CAboutTitle::kServicePeriodMs, nullptr);
            return TRUE;
        case WM_TIMER:
        {
            if (wParam != LudexAbout::kTimerId)
                return FALSE;
            const CAboutTitle::STick tick = g_title.Tick();
            if (tick.restartMs)
                SetTimer(hwnd, LudexAbout::kTimerId, tick.restartMs, nullptr);
            if (tick.setTitle)
                SetWindowTextA(hwnd, tick.title.c_str());
            return TRUE;
        }
        case WM_COMMAND:
            if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL)
            {
                KillTimer(hwnd, LudexAbout::kTimerId);
                EndDialog(hwnd, LOWORD(wParam));
                return TRUE;
            }
            return FALSE;
        default:
            return FALSE;
        }
    }
};
} // namespace

INT_PTR LudexAbout::iShow(HINSTANCE hInstance)
{
    CAboutBox box;
    return box.iRunModal(FdUi::iDialogBoxParam, hInstance, MAKEINTRESOURCEA(kDialogId), GetActiveWindow());
}
