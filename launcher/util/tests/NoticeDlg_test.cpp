#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "NoticeDlg.h"

namespace
{
std::string Caption(HWND hwnd)
{
    char text[512] = {};
    GetWindowTextA(hwnd, text, sizeof text);
    return text;
}

RECT ChildRect(HWND parent, HWND child)
{
    RECT r = {};
    GetWindowRect(child, &r);
    MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&r), 2);
    return r;
}
} // namespace

TEST(NoticeDlg, ShowsAnimatesAndGoes)
{
    CNoticeDlg dlg;
    HWND hwnd = dlg.Create(nullptr, 15);
    ASSERT_NE(hwnd, nullptr);
    EXPECT_TRUE(IsWindowVisible(hwnd));
    EXPECT_TRUE(GetWindowLongPtrA(hwnd, GWL_EXSTYLE) & WS_EX_TOPMOST);
    ASSERT_NE(dlg.GetProgressBar(), nullptr);
    RECT client = {};
    GetClientRect(hwnd, &client);
    RECT bar = ChildRect(hwnd, dlg.GetProgressBar());
    EXPECT_EQ(bar.right - bar.left, CNoticeDlg::kBarWidth);
    EXPECT_EQ(bar.bottom - bar.top, client.bottom);

    // Each timer tick advances the process-wide animation.
    CNoticeCaption& animation = CNoticeDlg::Animation();
    const uint32_t before = animation.Counter();
    for (int i = 0; i < 3; ++i)
        SendMessageA(hwnd, WM_TIMER, CNoticeDlg::kTimerId, 0);
    EXPECT_EQ(animation.Counter(), before + 3);
    EXPECT_EQ(Caption(hwnd), animation.Caption());
    const int spread = static_cast<int>(animation.Spread());
    bar = ChildRect(hwnd, dlg.GetProgressBar());
    EXPECT_EQ(bar.right - bar.left, CNoticeDlg::kBarStepWidth * spread);
    EXPECT_EQ(bar.bottom - bar.top, CNoticeDlg::kBarHeight);
    EXPECT_EQ(bar.top, CNoticeDlg::kBarTop);
    EXPECT_EQ(bar.left, (client.right - CNoticeDlg::kBarStepWidth * spread) / 2);

    dlg.Destroy();
    EXPECT_FALSE(IsWindow(hwnd));
}

TEST(NoticeDlg, ShowAndPumpReturnsWithTheDialogGone)
{
    CNoticeDlg dlg;
    EXPECT_EQ(dlg.iShowAndPump(nullptr, 15, 200), 1);
    EXPECT_EQ(dlg.GetHwnd(), nullptr);
}
