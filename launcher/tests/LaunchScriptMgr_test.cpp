// The manager in this process: its tick animates the tray icon through the
// phases 221, 222, 220 and steps the script; a script's end stops the ticks and
// ends the message loop. The tick period is shortened; waits are bounded.
#include "LaunchScriptMgr.h"

#include "AboutBox.h"
#include "BmpFile.h"
#include "FdUi.h"
#include "Screenshot.h"
#include "TestKit.h"

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
    bool quitSeen = false;
    const auto takeQuit = [&](const MSG& msg)
    {
        if (msg.message != WM_QUIT)
            return false;
        quitSeen = true;
        return true;
    };
    const bool ended = FdTestKit::boPumpUntil([&] { return quitSeen || done(); }, limitMs, takeQuit);
    if (quit && quitSeen)
        *quit = true;
    return ended;
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
        FdTestKit::vDiscardWaiting();
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

namespace
{
// The component's side of the manager: what it shows in the page, the downloads
// it is asked for, whether the launcher left it.
struct CRecordingPage : IScriptMgrSink
{
    void NavigateHostFrame(const CStringExt& url, const CStringExt& frame) override
    {
        seen.push_back(frame + "|" + url);
    }
    int32_t RequestHostDownload(const CStringExt& url, const CStringExt&) override
    {
        downloads.push_back(url);
        return 0;
    }
    long LeaveHost() override
    {
        seen.push_back("leave");
        return 0;
    }
    void Notify(int32_t) override {}
    std::vector<std::string> seen;
    std::vector<std::string> downloads;
};

std::string TempPath(const char* name)
{
    char folder[MAX_PATH] = "";
    GetTempPathA(MAX_PATH, folder);
    return std::string(folder) + name;
}

uint32_t Rgb(COLORREF c)
{
    return static_cast<uint32_t>((GetRValue(c) << 16) | (GetGValue(c) << 8) | GetBValue(c));
}
} // namespace

// The first parse of a launch script shows the notice window (dialog 127 with
// its progress bar 207) until the launch part starts, or until the script's
// download fails; its picture is kept.
TEST_F(LaunchScriptMgrTest, TheProgressWindowShowsWhileTheScriptDownloads)
{
    const std::string url = "http://127.0.0.1:1/launch.xml";
    for (const bool failed : {false, true})
    {
        SCOPED_TRACE(failed ? "download failed" : "downloaded");
        CRecordingPage page;
        CLaunchScriptMgr mgr;
        mgr.SetComponent(&page);
        mgr.SetScriptVar("lscr", url);
        ASSERT_EQ(mgr.GetProgressWindow(), nullptr);
        mgr.Ignition();
        ASSERT_EQ(page.downloads, (std::vector<std::string>{url}));
        const HWND progress = mgr.GetProgressWindow();
        ASSERT_NE(progress, nullptr);
        EXPECT_TRUE(IsWindowVisible(progress));
        EXPECT_TRUE(GetWindowLongPtrA(progress, GWL_EXSTYLE) & WS_EX_TOPMOST);
        char cls[32] = "";
        const HWND bar = GetDlgItem(progress, 207);
        ASSERT_NE(bar, nullptr);
        GetClassNameA(bar, cls, sizeof cls);
        EXPECT_STREQ("msctls_progress32", cls);

        // Its own timer animates it: the bar grows as the letters spread.
        ASSERT_TRUE(PumpUntil([] { return CNoticeDlg::Animation().Spread() >= 4; }, 20000));
        if (!failed)
        {
            RedrawWindow(progress, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
            const FdBrowserHost::SPixels pixels = Capture(progress);
            ASSERT_FALSE(pixels.bgrx.empty());
            if (const char* artefact = std::getenv("FD_PROGRESS_SCREENSHOT"))
            {
                const std::vector<uint8_t> bytes = FdBrowserHost::bmpEncode(pixels);
                std::ofstream(std::string("Z:") + artefact, std::ios::binary)
                    .write(reinterpret_cast<const char*>(bytes.data()),
                           static_cast<std::streamsize>(bytes.size()));
            }
            RECT box = {}, barRect = {};
            GetWindowRect(progress, &box);
            GetWindowRect(bar, &barRect);
            auto at = [&](LONG x, LONG y)
            {
                return FdBrowserHost::dwPixel(pixels, static_cast<uint32_t>(x - box.left),
                                              static_cast<uint32_t>(y - box.top));
            };
            // The dialog's face under the bar, and the bar's filled chunks.
            EXPECT_EQ(Rgb(GetSysColor(COLOR_BTNFACE)), at((box.left + box.right) / 2, box.bottom - 6));
            ASSERT_GT(barRect.right - barRect.left, 8);
            int filled = 0;
            for (LONG x = barRect.left + 1; x < barRect.right - 1; ++x)
                filled += at(x, (barRect.top + barRect.bottom) / 2) == Rgb(GetSysColor(COLOR_HIGHLIGHT));
            EXPECT_GT(filled, (barRect.right - barRect.left) / 3);
        }

        const std::string path = TempPath("ludex-mgr-progress.xml");
        std::ofstream(path) << "<ludexs.launch><subscript type=\"OnStart\"/></ludexs.launch>";
        mgr.OnDownloadEnd(url, path, failed);
        EXPECT_EQ(mgr.GetProgressWindow(), nullptr);
        EXPECT_FALSE(IsWindow(progress));
        ASSERT_NE(mgr.Script().GetLaunchPart(), nullptr);
        EXPECT_EQ(mgr.Script().GetLaunchPart()->IsStarted(), !failed);
        DeleteFileA(path.c_str());
    }
}

// Cleared, the quit-when-ended flag keeps the launcher going after its script
// has ended (the test box): the ticks go on, the page is not left.
TEST_F(LaunchScriptMgrTest, WithoutQuitWhenEndedTheTicksGoOn)
{
    const std::string path = TempPath("ludex-mgr-stay.xml");
    std::ofstream(path) << "<ludexs.launch><subscript type=\"OnStart\"><sscmd name=\"quit\"/></subscript>"
                           "<subscript type=\"OnStop\"><sscmd name=\"pwdgen\"><pwdgen var=\"stopped\" "
                           "nbchars=\"6\"/></sscmd></subscript></ludexs.launch>";
    CRecordingPage page;
    CLaunchScriptMgr mgr;
    mgr.SetComponent(&page);
    mgr.SetQuitWhenEnded(false);
    mgr.SetScriptVar("lscr", path);
    mgr.Ignition();
    bool quit = false;
    ASSERT_TRUE(PumpUntil([&] { return mgr.GetScriptVar("stopped").size() == 6; }, 20000, &quit));
    ASSERT_FALSE(quit);
    // The end has been requested; several ticks later the launcher still runs.
    const size_t icons = g_icons.size();
    EXPECT_TRUE(PumpUntil([&] { return g_icons.size() >= icons + 4; }, 20000, &quit));
    EXPECT_FALSE(quit);
    EXPECT_TRUE(page.seen.empty()) << page.seen.front();
    DeleteFileA(path.c_str());
}

namespace
{
std::vector<std::string> g_boxes;
int g_boxAnswer = IDOK;

int AnswerBox(HWND, const char* text, const char* caption, UINT type)
{
    g_boxes.push_back(std::string("MSGBOX|") + std::to_string(type) + "|" + caption + "|" + text);
    return g_boxAnswer;
}

INT_PTR CancelDialog(HINSTANCE, LPCSTR templateId, HWND, DLGPROC, LPARAM)
{
    g_boxes.push_back("DIALOG|" + std::to_string(reinterpret_cast<uintptr_t>(templateId)));
    return IDCANCEL;
}
} // namespace

// The game dialog ("docf", the tray's game entries): with a current game the end
// of the game is asked first; confirmed, notification 1002 goes out through the
// launch part, so the page (and the game server) hear it, then the dialog opens.
TEST_F(LaunchScriptMgrTest, AConfirmedEndOfGameReachesThePage)
{
    const std::string path = TempPath("ludex-mgr-game.xml");
    std::ofstream(path)
        << "<ludexs.launch><subscript type=\"OnStart\"><sscmd name=\"launchinfo\"><launchinfo>"
           "<launchgame><game xmlns=\"g.launch\" gid=\"tetra\"/></launchgame>"
           "<setlverb verb=\"play\" lmode=\"straight\"/></launchinfo></sscmd></subscript>"
           "</ludexs.launch>";
    const std::string question = "MSGBOX|33|Zelto|Ceci mettra fin a la partie.\nContinuer?";
    const std::string dialog = "DIALOG|202";
    const struct
    {
        const char* what;
        bool game;
        UINT menu;
        int answer;
        std::vector<std::string> boxes;
        std::vector<std::string> seen;
    } cases[] = {
        {"docf, confirmed", true, CLaunchScriptMgr::kMenuAllGames, IDOK, {question, dialog}, {"0", "1002"}},
        {"the tray's game entry, confirmed",
         true,
         CLaunchScriptMgr::kMenuGame,
         IDOK,
         {question, dialog},
         {"0", "1002"}},
        {"docf, cancelled", true, CLaunchScriptMgr::kMenuAllGames, IDCANCEL, {question}, {"0"}},
        {"no game", false, CLaunchScriptMgr::kMenuAllGames, IDOK, {dialog}, {}},
    };
    const FdUi::MessageBoxFn previousBox = FdUi::pfnSetMessageBoxHook(AnswerBox);
    const FdUi::DialogBoxFn previousDialog = FdUi::pfnSetDialogBoxHook(CancelDialog);
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.what);
        g_boxes.clear();
        g_boxAnswer = c.answer;
        CRecordingPage page;
        CLaunchScriptMgr mgr;
        mgr.SetComponent(&page);
        mgr.SetScriptVar("iurl", "http://page/i?id=1");
        mgr.SetScriptVar("ifrm", "info");
        if (c.game)
        {
            mgr.SetScriptVar("lscr", path);
            mgr.Ignition();
            ASSERT_TRUE(PumpUntil(
                [&]
                { return mgr.Script().GetLaunchPart() && mgr.Script().GetLaunchPart()->GetCurrentGame(); },
                20000));
        }
        mgr.OpenGameDialog(c.menu);
        EXPECT_EQ(c.boxes, g_boxes);
        std::vector<std::string> codes;
        for (const std::string& s : page.seen)
            codes.push_back(s.substr(s.find("&Info=") + 6));
        EXPECT_EQ(c.seen, codes);
        EXPECT_FALSE(mgr.IsGameDialogOpen());
    }
    FdUi::pfnSetMessageBoxHook(previousBox);
    FdUi::pfnSetDialogBoxHook(previousDialog);
    DeleteFileA(path.c_str());
}
