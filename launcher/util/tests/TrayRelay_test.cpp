#include <windows.h>
#include <shellapi.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "TrayRelay.h"

namespace
{
struct CShellCall
{
    DWORD action;
    NOTIFYICONDATAA data;
};
std::vector<CShellCall> g_calls;

BOOL WINAPI FakeShellNotify(DWORD action, PNOTIFYICONDATAA data)
{
    g_calls.push_back(CShellCall{action, *data});
    return TRUE;
}

class CRecordingTray : public CTrayRelay
{
public:
    void OnCommand(WPARAM wParam, LPARAM) override { events.push_back("command " + std::to_string(wParam)); }
    void OnTrayMenu(HWND) override { events.push_back("menu"); }
    void OnTrayActivate(HWND) override { events.push_back("activate"); }
    std::vector<std::string> events;
};

// The application icon of the system, loadable with a null instance.
constexpr UINT kSystemIcon = 32512;

class TrayRelayTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        g_calls.clear();
        CTrayRelay::SetShellNotify(FakeShellNotify);
    }
    void TearDown() override { CTrayRelay::SetShellNotify(nullptr); }
};
} // namespace

TEST_F(TrayRelayTest, NeedsWindowAndKnownIcon)
{
    CRecordingTray tray;
    EXPECT_FALSE(tray.boTrayAdd(1, kSystemIcon, "tip"));
    ASSERT_TRUE(tray.boCreate(nullptr));
    EXPECT_EQ(FindWindowA("static", "LUDEXRELAYTB"), tray.GetHwnd());
    EXPECT_FALSE(tray.boTrayAdd(1, kSystemIcon, "tip")); // icon never added
    EXPECT_TRUE(g_calls.empty());
    EXPECT_TRUE(tray.boAddIcon(kSystemIcon));
    EXPECT_NE(tray.FindIcon(kSystemIcon), nullptr);
    EXPECT_EQ(tray.FindIcon(1), nullptr);
}

TEST_F(TrayRelayTest, SendsTheIconWithItsTipCut)
{
    CRecordingTray tray;
    ASSERT_TRUE(tray.boCreate(nullptr));
    ASSERT_TRUE(tray.boAddIcon(kSystemIcon));
    const std::string tip(100, 't');
    ASSERT_TRUE(tray.boTrayAdd(7, kSystemIcon, tip.c_str()));
    ASSERT_EQ(g_calls.size(), 1u);
    const CShellCall& add = g_calls[0];
    EXPECT_EQ(add.action, static_cast<DWORD>(NIM_ADD));
    EXPECT_EQ(add.data.cbSize, sizeof(NOTIFYICONDATAA));
    EXPECT_EQ(add.data.hWnd, tray.GetHwnd());
    EXPECT_EQ(add.data.uID, 7u);
    EXPECT_EQ(add.data.uFlags, static_cast<UINT>(NIF_MESSAGE | NIF_ICON | NIF_TIP));
    EXPECT_EQ(add.data.uCallbackMessage, static_cast<UINT>(WM_USER + 100));
    EXPECT_EQ(add.data.hIcon, tray.FindIcon(kSystemIcon));
    EXPECT_EQ(std::string(add.data.szTip), tip.substr(0, 63));

    ASSERT_TRUE(tray.boTrayModify(7, kSystemIcon, nullptr, NIF_ICON));
    EXPECT_EQ(g_calls[1].action, static_cast<DWORD>(NIM_MODIFY));
    EXPECT_EQ(g_calls[1].data.uFlags, static_cast<UINT>(NIF_ICON));
    EXPECT_EQ(std::string(g_calls[1].data.szTip), "");
    ASSERT_TRUE(tray.boTrayDelete(7));
    EXPECT_EQ(g_calls[2].action, static_cast<DWORD>(NIM_DELETE));
}

TEST_F(TrayRelayTest, RelaysMessagesToTheHandlers)
{
    HWND hwnd = nullptr;
    {
        CRecordingTray tray;
        ASSERT_TRUE(tray.boCreate(nullptr));
        hwnd = tray.GetHwnd();
        SendMessageA(hwnd, WM_USER + 100, 7, WM_LBUTTONDBLCLK);
        SendMessageA(hwnd, WM_USER + 100, 7, WM_RBUTTONUP);
        SendMessageA(hwnd, WM_USER + 100, 7, WM_MOUSEMOVE);
        SendMessageA(hwnd, WM_COMMAND, 42, 0);
        const std::vector<std::string> expected = {"activate", "menu", "activate", "command 42"};
        EXPECT_EQ(tray.events, expected);
        // The window's own procedure still runs behind the relay.
        SetWindowTextA(hwnd, "renamed");
        char text[32] = {};
        GetWindowTextA(hwnd, text, sizeof text);
        EXPECT_STREQ(text, "renamed");
    }
    EXPECT_FALSE(IsWindow(hwnd));
}
