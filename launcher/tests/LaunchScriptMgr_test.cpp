// The manager in this process: its tick animates the tray icon through the
// phases 221, 222, 220 and steps the script; a script's end stops the ticks and
// ends the message loop. The tick period is shortened; waits are bounded.
#include "LaunchScriptMgr.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <fstream>
#include <string>
#include <vector>

namespace
{
std::vector<HICON> g_icons;

BOOL WINAPI RecordShell(DWORD action, PNOTIFYICONDATAA data)
{
    if (action == NIM_MODIFY && (data->uFlags & NIF_ICON))
        g_icons.push_back(data->hIcon);
    return TRUE;
}

// Pumps this thread's messages until done() or WM_QUIT (true) or the bound.
bool PumpUntil(const std::function<bool()>& done, DWORD limitMs, bool* quit = nullptr)
{
    const DWORD start = GetTickCount();
    while (GetTickCount() - start < limitMs)
    {
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE))
        {
            if (msg.message == WM_QUIT)
            {
                if (quit)
                    *quit = true;
                return true;
            }
            DispatchMessageA(&msg);
        }
        if (done())
            return true;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
    }
    return false;
}

class LaunchScriptMgrTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        g_icons.clear();
        CTrayRelay::SetShellNotify(RecordShell);
        CLaunchScriptMgr::SetTickPeriod(10);
    }
    void TearDown() override
    {
        CTrayRelay::SetShellNotify(nullptr);
        CLaunchScriptMgr::SetTickPeriod(200);
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE))
        {
        }
    }
};
} // namespace

TEST_F(LaunchScriptMgrTest, TicksAnimateTheTrayIcon)
{
    CLaunchScriptMgr mgr;
    ASSERT_NE(mgr.GetRelayWindow(), nullptr);
    char name[32] = "";
    GetWindowTextA(mgr.GetRelayWindow(), name, sizeof name);
    EXPECT_STREQ("LUDEXRELAYTICK", name);
    ASSERT_NE(mgr.FindIcon(220), nullptr);
    ASSERT_TRUE(PumpUntil([] { return g_icons.size() >= 4; }, 20000));
    const std::vector<HICON> expected = {mgr.FindIcon(221), mgr.FindIcon(222), mgr.FindIcon(220), mgr.FindIcon(221)};
    EXPECT_EQ(expected, std::vector<HICON>(g_icons.begin(), g_icons.begin() + 4));
}

TEST_F(LaunchScriptMgrTest, AScriptEndsTheLoopOnTheNextTick)
{
    char folder[MAX_PATH] = "";
    GetTempPathA(MAX_PATH, folder);
    const std::string path = std::string(folder) + "ludex-mgr-quit.xml";
    std::ofstream(path) << "<ludexs.launch><subscript type=\"OnStart\"><sscmd name=\"quit\"/></subscript>"
                           "<subscript type=\"OnStop\"><sscmd name=\"pwdgen\"><pwdgen var=\"stopped\" "
                           "nbchars=\"6\"/></sscmd></subscript></ludexs.launch>";
    CLaunchScriptMgr mgr;
    mgr.OnCommand(CStringExt("early"));
    mgr.OnParameter("CUSTOM", "lscr=\"" + path + "\" x=\"1\"");
    EXPECT_EQ(mgr.GetScriptVar("x"), "1");
    mgr.OnParameter("cu", "2");
    EXPECT_EQ(mgr.GetScriptVar("cu"), "2");
    mgr.Ignition();
    ASSERT_NE(mgr.Script().GetLaunchPart(), nullptr);
    bool quit = false;
    EXPECT_TRUE(PumpUntil([] { return false; }, 20000, &quit));
    EXPECT_TRUE(quit);
    EXPECT_EQ(mgr.GetScriptVar("stopped").size(), 6u);
    DeleteFileA(path.c_str());
}
