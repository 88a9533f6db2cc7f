// CNoticeDlg: the transient notice window (dialog 127) whose caption animates the
// service name while the launcher starts or works.
#pragma once

#include <windows.h>

#include <cstdint>

#include "DialogBase.h"
#include "NoticeCaption.h"
#include "NoticeDlgRes.h"

class CNoticeDlg : private FdWin::CDialogBase
{
public:
    static constexpr UINT_PTR kTimerId = 666;
    static constexpr int kBarWidth = 10;    // the bar before the first tick
    static constexpr int kBarStepWidth = 6; // animated width per unit of spread
    static constexpr int kBarHeight = 7;
    static constexpr int kBarTop = 4;

    CNoticeDlg() = default;
    ~CNoticeDlg() override;
    CNoticeDlg(const CNoticeDlg&) = delete;
    CNoticeDlg& operator=(const CNoticeDlg&) = delete;

    // Creates, shows, centres and raises the dialog and starts its timer; null on failure.
    HWND Create(HWND parent, UINT periodMs);
    // Create, then passes times a non-waiting PeekMessage/DispatchMessage, then destroy.
    // 1 when the dialog could be shown, 0 otherwise.
    int32_t iShowAndPump(HWND parent, UINT periodMs, int32_t passes);
    void Destroy();
    HWND GetHwnd() const { return hWnd(); }
    HWND GetProgressBar() const { return m_hProgress; }

    // The animation state shared by every notice dialog of the process.
    static CNoticeCaption& Animation();

private:
    INT_PTR iOnMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    static void vAnimate(HWND hwnd);

    HWND m_hProgress = nullptr;
};
