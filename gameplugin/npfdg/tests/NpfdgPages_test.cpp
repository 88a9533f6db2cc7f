// npfdg.dll through the browser host with the pages of testbed/plugindemo
// served by the web stand-in: entry points and browser versions, the install
// check of an EMBED, and a page that launches the fake component, which
// downloads a file and answers the page.
#include "BmpFile.h"
#include "HostRunner.h"
#include "NpApi.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <cstdlib>
#include <fstream>
#include <map>
#include <sstream>

using namespace FdHostTest;

namespace
{
// What the installer left as "FdGame": the plug-in replaces it with its own
// version when a browser first initialises it.
constexpr DWORD kSuiteVersion = 999999;
// npfdg.dll's file version 1.0.0.1 as pages compare it; install.htm asks for
// exactly this (instance "current") and for one more (instance "old").
constexpr DWORD kPluginVersion = 1001;
const char kFakeDllClsid[] = "{40C79732-961D-423C-907E-E78BEC0325EF}";
// What testbed/plugindemo/data.bin holds once opened with the files key.
const char kDataPlain[] = "Param\xE8tres B, enveloppe n\xB0"
                          "4: xxxx";

void vSetText(HKEY hKey, const char* lpszName, const std::string& strValue)
{
    RegSetValueExA(hKey, lpszName, 0, REG_SZ, reinterpret_cast<const BYTE*>(strValue.c_str()),
                   static_cast<DWORD>(strValue.size() + 1));
}

HKEY hCreate(const char* lpszKey)
{
    HKEY hKey = nullptr;
    RegCreateKeyExA(HKEY_LOCAL_MACHINE, lpszKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &hKey, nullptr);
    return hKey;
}

// Registers an in-process server of the test program's folder.
HRESULT hrRegisterDll(const char* lpszFile)
{
    HMODULE hDll = LoadLibraryA((strProgramFolder() + lpszFile).c_str());
    if (!hDll)
        return HRESULT_FROM_WIN32(GetLastError());
    using RegisterFunc = HRESULT(STDAPICALLTYPE*)();
    auto lpRegister =
        reinterpret_cast<RegisterFunc>(reinterpret_cast<void*>(GetProcAddress(hDll, "DllRegisterServer")));
    const HRESULT hr = lpRegister ? lpRegister() : E_NOINTERFACE;
    FreeLibrary(hDll);
    return hr;
}

// The suite as installed, and the fake in-process component as "FakeDll"
// (once per program); callers assert the result.
::testing::AssertionResult SetupSuite()
{
    static bool s_boDone = false;
    if (s_boDone)
        return ::testing::AssertionSuccess();
    HKEY hKey = hCreate("Software\\FdGame");
    if (!hKey)
        return ::testing::AssertionFailure() << "cannot create HKLM\\Software\\FdGame";
    vSetText(hKey, nullptr, strFreshFolder("npfdg-pages-install"));
    RegSetValueExA(hKey, "FdGame", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&kSuiteVersion),
                   sizeof kSuiteVersion);
    RegCloseKey(hKey);
    hKey = hCreate("Software\\FdGame\\FakeDll");
    if (!hKey)
        return ::testing::AssertionFailure() << "cannot create HKLM\\Software\\FdGame\\FakeDll";
    vSetText(hKey, "CLSID", kFakeDllClsid);
    vSetText(hKey, "Version", "1.0");
    vSetText(hKey, "VersionEx", "1.0.0.0");
    RegCloseKey(hKey);
    const HRESULT hr = hrRegisterDll("FakeCmptDll.dll");
    if (hr != S_OK)
        return ::testing::AssertionFailure() << "FakeCmptDll.dll did not register: 0x" << std::hex << hr;
    s_boDone = true;
    return ::testing::AssertionSuccess();
}

DWORD dwInstalledVersion()
{
    DWORD dwValue = 0, dwSize = sizeof dwValue;
    RegGetValueA(HKEY_LOCAL_MACHINE, "Software\\FdGame", "FdGame", RRF_RT_REG_DWORD, nullptr, &dwValue,
                 &dwSize);
    return dwValue;
}

// ((a*10 + b)*10 + c)*10 + d of npfdg.dll's file version a.b.c.d.
DWORD dwPluginFileVersion()
{
    const std::string strDll = strProgramFolder() + "npfdg.dll";
    DWORD dwHandle = 0;
    std::vector<char> info(GetFileVersionInfoSizeA(strDll.c_str(), &dwHandle));
    VS_FIXEDFILEINFO* lpFixed = nullptr;
    UINT uLength = 0;
    if (info.empty() ||
        !GetFileVersionInfoA(strDll.c_str(), 0, static_cast<DWORD>(info.size()), info.data()) ||
        !VerQueryValueA(info.data(), "\\", reinterpret_cast<void**>(&lpFixed), &uLength) || !lpFixed)
        return 0;
    const DWORD a = HIWORD(lpFixed->dwFileVersionMS) & 0xFF, b = LOWORD(lpFixed->dwFileVersionMS) & 0xFF;
    const DWORD c = HIWORD(lpFixed->dwFileVersionLS) & 0xFF, d = LOWORD(lpFixed->dwFileVersionLS) & 0xFF;
    return ((a * 10 + b) * 10 + c) * 10 + d;
}

// A host session of its own: the fake component logs to <dir>\cmpt.log.
SHostRun runPage(const std::string& name, std::vector<std::string> args)
{
    const std::string dir = strFreshFolder("npfdg-pages-" + name);
    SetEnvironmentVariableA("FD_FAKECMPT_LOG", (dir + "\\cmpt.log").c_str());
    SetEnvironmentVariableA("FD_UI_LOG", (dir + "\\ui.log").c_str());
    args.insert(args.end(), {"--plugin", strProgramFolder() + "npfdg.dll", "--quit-when-idle", "1500"});
    return runHost(args, dir);
}

// The fake component's log lines, without their process id.
std::vector<std::string> cmptLines(const SHostRun& run)
{
    std::vector<std::string> lines;
    std::istringstream in(strReadFile(run.strDir + "\\cmpt.log"));
    std::string line;
    while (std::getline(in, line))
        lines.push_back(line.substr(line.find('|') + 1));
    return lines;
}

// One command the fake component was given, with the parameters set before it.
struct SCmptCommand
{
    std::string strName;
    std::map<std::string, std::string> params;
};

std::vector<SCmptCommand> cmptCommands(const std::vector<std::string>& lines)
{
    const std::string kSet = "dll|SetParameter|", kRun = "dll|ExecuteCmd|";
    std::vector<SCmptCommand> commands;
    SCmptCommand pending;
    for (const std::string& l : lines)
        if (l.rfind(kSet, 0) == 0)
        {
            const size_t ulBar = l.find('|', kSet.size());
            pending.params[l.substr(kSet.size(), ulBar - kSet.size())] =
                ulBar == std::string::npos ? std::string() : l.substr(ulBar + 1);
        }
        else if (l.rfind(kRun, 0) == 0)
        {
            pending.strName = l.substr(kRun.size());
            commands.push_back(pending);
            pending = SCmptCommand();
        }
    return commands;
}

// The answers (DLDONE or DLERR) given for one download's user data.
std::vector<SCmptCommand> downloadAnswers(const SHostRun& run, const std::string& strUserData)
{
    std::vector<SCmptCommand> answers;
    for (const SCmptCommand& c : cmptCommands(cmptLines(run)))
        if ((c.strName == "DLDONE" || c.strName == "DLERR") && c.params.count("DLUSRD") &&
            c.params.at("DLUSRD") == strUserData)
            answers.push_back(c);
    return answers;
}

bool boHas(const std::vector<std::string>& lines, const std::string& line)
{
    for (const std::string& l : lines)
        if (l == line)
            return true;
    return false;
}

// ---- The exports called directly, as no browser would.
TEST(NpfdgExports, NullTablesAreRefusedAndTheVersionIsNine)
{
    HMODULE hDll = LoadLibraryA((strProgramFolder() + "npfdg.dll").c_str());
    ASSERT_NE(nullptr, hDll);
    auto lpGetEntryPoints = reinterpret_cast<NP_GetEntryPointsFunc>(
        reinterpret_cast<void*>(GetProcAddress(hDll, "NP_GetEntryPoints")));
    auto lpInitialize =
        reinterpret_cast<NP_InitializeFunc>(reinterpret_cast<void*>(GetProcAddress(hDll, "NP_Initialize")));
    ASSERT_NE(nullptr, lpGetEntryPoints);
    ASSERT_NE(nullptr, lpInitialize);
    EXPECT_EQ(3, lpGetEntryPoints(nullptr));
    EXPECT_EQ(3, lpInitialize(nullptr));
    NPPluginFuncs funcs = {};
    funcs.size = 1234; // left as the browser gave it
    EXPECT_EQ(0, lpGetEntryPoints(&funcs));
    EXPECT_EQ(9, funcs.version);
    EXPECT_EQ(1234, funcs.size);
    EXPECT_NE(nullptr, reinterpret_cast<void*>(funcs.newp));
    EXPECT_EQ(nullptr, reinterpret_cast<void*>(funcs.event));
    EXPECT_EQ(nullptr, reinterpret_cast<void*>(funcs.urlnotify)) << "filled by NP_Initialize only";
    FreeLibrary(hDll);
}

// ---- Browser versions through the host.
TEST(NpfdgVersions, MajorOneIsRefusedAndUrlNotifyComesFromMinorNine)
{
    ASSERT_TRUE(SetupSuite());
    struct
    {
        const char* version;
        const char* init;
        const char* urlnotify; // "" when the host logs no table
        bool instances;
    } const cases[] = {
        {"1.0", "8", "", false},
        {"0.8", "0", "0", true},
        {"0.9", "0", "1", true},
        {"0.11", "0", "1", true},
    };
    for (const auto& c : cases)
    {
        const SHostRun run =
            runPage("version", {"--np-version", c.version, "--page", strWebUrl("/install.htm")});
        ASSERT_EQ(0, run.lExit) << c.version;
        EXPECT_EQ(c.init, lineOf(run.host, "NP_INITIALIZE").strGet("result")) << c.version;
        if (*c.urlnotify)
        {
            EXPECT_EQ(c.urlnotify, lineOf(run.host, "NP_FUNCS").strGet("urlnotify")) << c.version;
        }
        EXPECT_EQ(c.instances, !linesOf(run.host, "NPP_NEW").empty()) << c.version;
        EXPECT_EQ(c.instances, !linesOf(run.host, "NP_SHUTDOWN").empty()) << c.version;
    }
}

// ---- An EMBED that asks for a newer suite opens the installer page and
// applies no attribute read after the version; one that asks for exactly the
// installed version applies them all. The installed version is the one the
// plug-in writes when it starts, not the installer's value: a page written
// against the installer's value (999999) sent both instances to the installer.
TEST(NpfdgInstallCheck, OldSuiteOpensTheInstallPageAndStops)
{
    ASSERT_TRUE(SetupSuite());
    ASSERT_EQ(kPluginVersion, dwPluginFileVersion()) << "install.htm asks for versions around this one";
    const SHostRun run = runPage("install", {"--page", strWebUrl("/install.htm")});
    ASSERT_EQ(0, run.lExit) << run.strDir;
    EXPECT_EQ(kPluginVersion, dwInstalledVersion()) << "written by the plug-in at its start";
    const std::string old = strInstanceOf(run.host, "old");
    const std::string current = strInstanceOf(run.host, "current");
    EXPECT_EQ("0", lineOf(run.host, "NPP_NEW", "instance", old).strGet("result"));
    EXPECT_EQ("0", lineOf(run.host, "NPP_NEW", "instance", current).strGet("result"));

    const auto installs = linesOf(run.host, "NAVIGATE", "url", strWebUrl("/install-suite.htm"));
    std::string strBy;
    for (const SLogLine& l : installs)
        strBy += " " + l.strGet("instance");
    ASSERT_EQ(1u, installs.size()) << "only the instance that needs a newer suite; old " << old
                                   << ", current " << current << ", opened by" << strBy;
    EXPECT_EQ(old, installs[0].strGet("instance"));
    EXPECT_EQ("main", installs[0].strGet("frame"));

    EXPECT_TRUE(linesOf(run.host, "GETURL", "url", "dialog-old.fdg").empty()) << "calldiagpage not applied";
    EXPECT_TRUE(cmptLines(run).empty()) << "launchapp not applied";
    const SLogLine dialog = lineOf(run.host, "GETURL", "url", "dialog-current.fdg");
    EXPECT_EQ(current, dialog.strGet("instance")) << "the same attributes apply with a recent suite";
}

// ---- The game page: keys, then LAUNCHAPP of the fake component, which
// downloads data.bin (DOWNLOAD2), answers the page twice (SEND), writes two
// status lines (SETMSG), hides and shows the bar and starts held.bin, which the
// web stand-in sends in two parts 10 s apart: the session ends once the page
// is quiet with held.bin half-way (and the screenshot is taken then).
class NpfdgGamePage : public ::testing::Test
{
protected:
    static void SetUpTestSuite()
    {
        ASSERT_TRUE(SetupSuite());
        const char* lpszShot = std::getenv("FD_NPFDG_SCREENSHOT");
        s_strShot = lpszShot ? std::string("Z:") + lpszShot : strFreshFolder("npfdg-shot") + "\\host.bmp";
        for (char& c : s_strShot)
            if (c == '/')
                c = '\\';
        DeleteFileA(s_strShot.c_str());
        s_run = new SHostRun(runPage("game", {"--page", strWebUrl("/game.htm"), "--steps", "same,new",
                                              "--screenshot", s_strShot, "--idle-despite-transfers"}));
    }
    static void TearDownTestSuite()
    {
        delete s_run;
        s_run = nullptr;
    }
    const SHostRun& run() const { return *s_run; }
    static SHostRun* s_run;
    static std::string s_strShot;
};
SHostRun* NpfdgGamePage::s_run = nullptr;
std::string NpfdgGamePage::s_strShot;

TEST_F(NpfdgGamePage, TheComponentIsLaunchedWithItsParameters)
{
    ASSERT_EQ(0, run().lExit) << run().strDir;
    const auto lines = cmptLines(run());
    ASSERT_FALSE(lines.empty()) << run().strDir;
    EXPECT_EQ("dll|Create", lines[0]);
    EXPECT_TRUE(boHas(lines, "dll|SetParameter|VERSION|2000"));
    EXPECT_TRUE(boHas(lines, "dll|SetParameter|CBCMD|DOWNLOAD2"));
    EXPECT_EQ("0", lineOf(run().host, "NP_SHUTDOWN").strGet("memalloc_live"));
}

TEST_F(NpfdgGamePage, TheDownloadIsServedAndAnswered)
{
    const SLogLine end = lineOf(run().host, "STREAM_END", "url", strWebUrl("/data.bin"));
    EXPECT_EQ("0", end.strGet("reason")) << "served whole by the web stand-in";
    const auto answers = downloadAnswers(run(), "7");
    ASSERT_EQ(1u, answers.size()) << run().strDir;
    EXPECT_EQ("DLDONE", answers[0].strName);
    ASSERT_TRUE(answers[0].params.count("DLPATH"));
    EXPECT_EQ(kDataPlain, strReadFile(answers[0].params.at("DLPATH"))) << "opened with the files key";

    // held.bin is still arriving when the session ends: its transfer is cut.
    const auto held = downloadAnswers(run(), "8");
    ASSERT_EQ(1u, held.size()) << run().strDir;
    EXPECT_EQ("DLERR", held[0].strName);
}

TEST_F(NpfdgGamePage, SendsOpenTheAnswerPagesInTheirFrames)
{
    const std::string inst = strInstanceOf(run().host, "game");
    struct
    {
        const char* url;
        const char* target;
    } const sends[] = {
        {"/answer.htm?params=APPID%A3%A312%A3%A3JOBID%A3%A33%A3%A3", "game"},
        {"/result.htm?x=1&params=NUMERR%A3%A30%A3%A3", "main"},
    };
    for (const auto& s : sends)
    {
        const SLogLine nav = lineOf(run().host, "NAVIGATE", "url", strWebUrl(s.url));
        EXPECT_EQ(inst, nav.strGet("instance")) << s.url;
        EXPECT_EQ(s.target, nav.strGet("target")) << s.url;
        EXPECT_EQ(s.target, nav.strGet("frame")) << s.url;
        EXPECT_EQ("1", nav.strGet("known")) << s.url;
    }
    EXPECT_EQ(2u, linesOf(run().host, "NAVIGATE").size());
}

TEST_F(NpfdgGamePage, WindowChangesAndTheScreenshot)
{
    const std::string inst = strInstanceOf(run().host, "game");
    std::vector<std::string> whys;
    for (const SLogLine& l : linesOf(run().host, "NPP_SETWINDOW", "instance", inst))
    {
        whys.push_back(l.strGet("why"));
        EXPECT_EQ("0", l.strGet("result")) << whys.back();
    }
    EXPECT_EQ((std::vector<std::string>{"create", "same", "new"}), whys);

    EXPECT_EQ("0", lineOf(run().host, "SCREENSHOT").strGet("error"));
    const std::string bytes = strReadFile(s_strShot);
    FdBrowserHost::SPixels pixels;
    ASSERT_TRUE(
        FdBrowserHost::boBmpDecode(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), &pixels))
        << s_strShot;
    EXPECT_EQ(800u, pixels.dwWidth);
    EXPECT_EQ(600u, pixels.dwHeight);
}

// The plug-in area in the screenshot: the page's background colour, the two
// status lines the component set (text colour), the progress bar's cells in
// the highlight colour. data.bin (170 bytes) has arrived and held.bin (170
// bytes announced) has sent its first 100: (40 - 1) * 270 / 340 = 30 cells.
TEST_F(NpfdgGamePage, ThePluginAreaShowsBackgroundLinesAndCells)
{
    const SLogLine shot = lineOf(run().host, "SCREENSHOT");
    ASSERT_EQ("0", shot.strGet("error")) << run().strDir;
    const std::string bytes = strReadFile(s_strShot);
    FdBrowserHost::SPixels pixels;
    ASSERT_TRUE(
        FdBrowserHost::boBmpDecode(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), &pixels));
    const auto windows = linesOf(run().host, "NPP_SETWINDOW", "instance", strInstanceOf(run().host, "game"));
    ASSERT_FALSE(windows.empty());
    const int x0 = std::atoi(windows.back().strGet("x").c_str());
    const int y0 = std::atoi(windows.back().strGet("y").c_str());
    const int w = std::atoi(windows.back().strGet("width").c_str());
    const int h = std::atoi(windows.back().strGet("height").c_str());
    ASSERT_EQ(400, w);
    ASSERT_EQ(120, h);
    ASSERT_LE(static_cast<uint32_t>(x0 + w), pixels.dwWidth);
    ASSERT_LE(static_cast<uint32_t>(y0 + h), pixels.dwHeight);
    auto at = [&](int x, int y)
    {
        const uint8_t* p = &pixels.bgrx[(static_cast<size_t>(y0 + y) * pixels.dwWidth + (x0 + x)) * 4];
        return RGB(p[2], p[1], p[0]);
    };
    auto count = [&](int left, int top, int right, int bottom, COLORREF cr)
    {
        int n = 0;
        for (int y = top; y < bottom; ++y)
            for (int x = left; x < right; ++x)
                n += at(x, y) == cr;
        return n;
    };
    const COLORREF crBack = RGB(0x00, 0x33, 0x66), crText = RGB(0xFF, 0xFF, 0xFF);
    const COLORREF crCell = GetSysColor(COLOR_HIGHLIGHT);

    // Status lines are one text height apart, measured as the plug-in does.
    int iLine = 0;
    if (HDC hdc = GetDC(nullptr))
    {
        TEXTMETRICA tm = {};
        GetTextMetricsA(hdc, &tm);
        iLine = tm.tmHeight;
        ReleaseDC(nullptr, hdc);
    }
    ASSERT_GT(iLine, 0);
    const int iBarTop = h - 11;
    ASSERT_LT(2 * iLine, iBarTop);
    EXPECT_GT(count(0, 0, w, iLine, crText), 20) << "line 0";
    EXPECT_GT(count(0, iLine, w, 2 * iLine, crText), 20) << "line 1";
    const int iMiddle = w * (iBarTop - 2 * iLine);
    EXPECT_EQ(iMiddle, count(0, 2 * iLine, w, iBarTop, crBack)) << "below the lines: only the background";
    EXPECT_EQ(w, count(0, h - 1, w, h, crBack)) << "under the bar";

    std::string strCells;
    int iLit = 0;
    for (int i = 0; i < w / 10; ++i)
    {
        const bool boLit = count(10 * i, iBarTop, 10 * i + 8, h - 1, crCell) == 8 * 10;
        iLit += boLit;
        strCells += boLit ? '#' : (count(10 * i, iBarTop, 10 * i + 10, h - 1, crBack) == 10 * 10 ? '.' : '?');
        if (boLit)
        {
            EXPECT_EQ(2 * 10, count(10 * i + 8, iBarTop, 10 * i + 10, h - 1, crBack))
                << "gap after cell " << i;
        }
    }
    EXPECT_EQ(std::string(30, '#') + std::string(10, '.'), strCells) << s_strShot;
    EXPECT_EQ(30, iLit);
}

// The same game as an ActiveX control: its PARAMs make it fetch keys.fdg with
// a URL moniker, relative to the page; the launched component's downloads go
// through monikers too, and its SEND answers open through the container.
TEST(NpfdgActiveXGamePage, TheControlRunsTheGameThroughMonikers)
{
    ASSERT_TRUE(SetupSuite());
    ASSERT_EQ(S_OK, hrRegisterDll("npfdg.dll"));

    const SHostRun run = runPage("axgame", {"--page", strWebUrl("/axgame.htm")});
    ASSERT_EQ(0, run.lExit) << run.strDir;
    EXPECT_EQ("0x00000000", lineOf(run.host, "AX_CREATE").strGet("result")) << run.strDir;
    const auto lines = cmptLines(run);
    ASSERT_FALSE(lines.empty()) << run.strDir;
    EXPECT_EQ("dll|Create", lines[0]);

    const auto answers = downloadAnswers(run, "7");
    ASSERT_EQ(1u, answers.size()) << run.strDir;
    EXPECT_EQ("DLDONE", answers[0].strName);
    ASSERT_TRUE(answers[0].params.count("DLPATH"));
    EXPECT_EQ(kDataPlain, strReadFile(answers[0].params.at("DLPATH"))) << "opened with the files key";

    // The control hands frame names to the container as the answers give them
    // (only the browser plug-in reduces "_blankX" and "a.b" names).
    for (const auto& send :
         {std::make_pair("/answer.htm?params=APPID%A3%A312%A3%A3JOBID%A3%A33%A3%A3", "_blankgame"),
          std::make_pair("/result.htm?x=1&params=NUMERR%A3%A30%A3%A3", "parent.main")})
    {
        const SLogLine nav = lineOf(run.host, "NAVIGATE", "url", strWebUrl(send.first));
        EXPECT_EQ(send.second, nav.strGet("target")) << send.first << " " << run.strDir;
    }
}
} // namespace
