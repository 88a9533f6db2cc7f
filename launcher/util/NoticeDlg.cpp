#include "NoticeDlg.h"

#include <commctrl.h>

#include "WinText.h"

namespace
{
constexpr int kProgressMax = 100;
} // namespace

CNoticeCaption& CNoticeDlg::Animation()
{
    static CNoticeCaption animation;
    return animation;
}

CNoticeDlg::~CNoticeDlg()
{
    Destroy();
}

HWND CNoticeDlg::Create(HWND parent, UINT periodMs)
{
    Destroy();
    INITCOMMONCONTROLSEX controls = {sizeof(INITCOMMONCONTROLSEX), ICC_PROGRESS_CLASS};
    InitCommonControlsEx(&controls);

    const HWND hwnd = hCreate(GetExeModuleHandle(), MAKEINTRESOURCEA(IDD_NOTICE), parent);
    if (hwnd == nullptr)
        return nullptr;
    ShowWindow(hwnd, SW_SHOW);

    RECT desktop = {};
    RECT dialog = {};
    GetWindowRect(GetDesktopWindow(), &desktop);
    GetWindowRect(hwnd, &dialog);
    const int width = dialog.right - dialog.left;
    const int height = dialog.bottom - dialog.top;
    SetWindowPos(hwnd, HWND_TOPMOST, desktop.left + (desktop.right - desktop.left - width) / 2,
                 desktop.top + (desktop.bottom - desktop.top - height) / 2, 0, 0,
                 SWP_NOSIZE | SWP_SHOWWINDOW);
    SetTimer(hwnd, kTimerId, periodMs, nullptr);

    m_hProgress = GetDlgItem(hwnd, IDC_NOTICE_PROGRESS);
    if (m_hProgress != nullptr)
    {
        SendMessageA(m_hProgress, PBM_SETRANGE, 0, MAKELPARAM(0, kProgressMax));
        SendMessageA(m_hProgress, PBM_SETSTEP, 1, 0);
        SendMessageA(m_hProgress, PBM_SETPOS, kProgressMax, 0);
        RECT client = {};
        GetClientRect(hwnd, &client);
        MoveWindow(m_hProgress, (client.right - kBarWidth) / 2, 0, kBarWidth, client.bottom, TRUE);
    }
    return hwnd;
}

int32_t CNoticeDlg::iShowAndPump(HWND parent, UINT periodMs, int32_t passes)
{
    if (Create(parent, periodMs) == nullptr)
        return 0;
    for (int32_t i = 0; i < passes; ++i)
    {
        MSG msg;
        if (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE))
            DispatchMessageA(&msg);
    }
    Destroy();
    return 1;
}

void CNoticeDlg::Destroy()
{
    if (const HWND hwnd = hWnd())
        KillTimer(hwnd, kTimerId);
    vDestroy();
    m_hProgress = nullptr;
}

void CNoticeDlg::vAnimate(HWND hwnd)
{
    CNoticeCaption& animation = Animation();
    const int spread = static_cast<int>(animation.Tick());
    SetWindowTextA(hwnd, animation.Caption().c_str());

    HWND bar = GetDlgItem(hwnd, IDC_NOTICE_PROGRESS);
    if (bar != nullptr)
    {
        RECT client = {};
        GetClientRect(hwnd, &client);
        const int width = kBarStepWidth * spread;
        MoveWindow(bar, (client.right - width) / 2, kBarTop, width, kBarHeight, TRUE);
    }
}

INT_PTR CNoticeDlg::iOnMessage(UINT message, WPARAM wParam, LPARAM)
{
    const HWND hwnd = hWnd();
    switch (message)
    {
    case WM_INITDIALOG:
        return TRUE;
    case WM_TIMER:
        if (wParam == kTimerId && IsWindow(hwnd))
            vAnimate(hwnd);
        return TRUE;
    case WM_COMMAND:
        if (LOWORD(wParam) == IDOK)
            EndDialog(hwnd, 1);
        else if (LOWORD(wParam) == IDCANCEL)
            EndDialog(hwnd, 2);
        return TRUE;
    default:
        return FALSE;
    }
}
