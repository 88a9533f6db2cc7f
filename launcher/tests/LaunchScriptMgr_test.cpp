// The manager in this process: its tick animates the tray icon through the
// phases 221, 222, 220 and steps the script; a script's end stops the ticks and
// ends the message loop. The tick period is shortened; waits are bounded.
#include "LaunchScriptMgr.h"

#include "AboutBox.h"
#include "BmpFile.h"
#include "FdUi.h"
#include "Screenshot.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <cstdlib>
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
    const std::vector<HICON> expected = {mgr.FindIcon(221), mgr.FindIcon(222), mgr.FindIcon(220),
                                         mgr.FindIcon(221)};
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
    // The component's side: the launch part's end reaches the page before the
    // launcher leaves it.
    struct CPage : IScriptMgrSink
    {
        void NavigateHostFrame(const CStringExt& url, const CStringExt& frame) override
        {
            seen.push_back(frame + "|" + url);
        }
        int32_t RequestHostDownload(const CStringExt&, const CStringExt&) override { return 0; }
        long LeaveHost() override
        {
            seen.push_back("leave");
            return 0;
        }
        void Notify(int32_t) override {}
        std::vector<std::string> seen;
    } page;
    CLaunchScriptMgr mgr;
    mgr.SetComponent(&page);
    mgr.SetScriptVar("iurl", "http://page/i?id=1");
    mgr.SetScriptVar("ifrm", "info");
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
    EXPECT_EQ((std::vector<std::string>{"info|http://page/i?id=1&Info=0", "info|http://page/i?id=1&Info=4",
                                        "leave"}),
              page.seen);
    DeleteFileA(path.c_str());
}

namespace
{
// What the about box showed while it ran.
struct SAboutSeen
{
    LPCSTR templateId = nullptr;
    HWND owner = nullptr;
    std::string title;
    FdBrowserHost::SPixels pixels;
    RECT box = {};
    RECT text = {};
    int polls = 0;
};
SAboutSeen g_about;
constexpr int kAboutPollLimit = 500; // 20 ms apart: the bound of the wait for the animation

// The window as the screen shows it.
FdBrowserHost::SPixels Capture(HWND hwnd)
{
    return FdBrowserHost::captureWindowOnScreen(hwnd);
}

BOOL CALLBACK FindAbout(HWND hwnd, LPARAM lParam)
{
    if (GetDlgItem(hwnd, 1001))
    {
        *reinterpret_cast<HWND*>(lParam) = hwnd;
        return FALSE;
    }
    return TRUE;
}

// Looks at the box until its title has been animated, takes its picture, closes it.
void CALLBACK WatchAbout(HWND, UINT, UINT_PTR timer, DWORD)
{
    HWND box = nullptr;
    EnumThreadWindows(GetCurrentThreadId(), FindAbout, reinterpret_cast<LPARAM>(&box));
    ++g_about.polls;
    if (!box)
    {
        if (g_about.polls > kAboutPollLimit)
            KillTimer(nullptr, timer);
        return;
    }
    char title[256] = "";
    GetWindowTextA(box, title, sizeof title);
    if (std::string(title) == "Dialog" && g_about.polls <= kAboutPollLimit)
        return;
    KillTimer(nullptr, timer);
    g_about.title = title;
    RedrawWindow(box, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    g_about.pixels = Capture(box);
    GetWindowRect(box, &g_about.box);
    GetWindowRect(GetDlgItem(box, 1001), &g_about.text);
    PostMessageA(box, WM_COMMAND, IDOK, 0);
}

INT_PTR RunAbout(HINSTANCE hinst, LPCSTR templateId, HWND owner, DLGPROC proc, LPARAM lParam)
{
    g_about.templateId = templateId;
    g_about.owner = owner;
    SetTimer(nullptr, 0, 20, WatchAbout);
    return DialogBoxParamA(hinst, templateId, owner, proc, lParam);
}
} // namespace

TEST_F(LaunchScriptMgrTest, TheTrayMenuOpensTheAboutBox)
{
    CLaunchScriptMgr mgr;
    const FdUi::DialogBoxFn previous = FdUi::pfnSetDialogBoxHook(RunAbout);
    mgr.OnCommand(MAKEWPARAM(CLaunchScriptMgr::kMenuAbout, 0), 0);
    FdUi::pfnSetDialogBoxHook(previous);
    EXPECT_EQ(g_about.templateId, MAKEINTRESOURCEA(LudexAbout::kDialogId));
    // The animated title: the service's name, spread apart.
    EXPECT_EQ(g_about.title.find_first_not_of(' '), g_about.title.find('Z')) << g_about.title;
    EXPECT_NE(std::string::npos, g_about.title.find("e")) << g_about.title;
    ASSERT_FALSE(g_about.pixels.bgrx.empty());
    const char* artefact = std::getenv("FD_ABOUT_SCREENSHOT");
    if (artefact)
    {
        const std::vector<uint8_t> bytes = FdBrowserHost::bmpEncode(g_about.pixels);
        std::ofstream(std::string("Z:") + artefact, std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    }
    auto at = [](LONG x, LONG y)
    {
        return FdBrowserHost::dwPixel(g_about.pixels, static_cast<uint32_t>(x - g_about.box.left),
                                      static_cast<uint32_t>(y - g_about.box.top));
    };
    auto rgb = [](COLORREF c)
    { return static_cast<uint32_t>((GetRValue(c) << 16) | (GetGValue(c) << 8) | GetBValue(c)); };
    // The dialog's face beside the group box, and the dark letters of "Zelto Game Launcher".
    EXPECT_EQ(rgb(GetSysColor(COLOR_BTNFACE)), at(g_about.box.left + 4, g_about.box.bottom - 6));
    bool letters = false;
    for (LONG x = g_about.text.left; x < g_about.text.right && !letters; ++x)
        for (LONG y = g_about.text.top; y < g_about.text.bottom && !letters; ++y)
            letters = at(x, y) == rgb(GetSysColor(COLOR_BTNTEXT));
    EXPECT_TRUE(letters);
}
