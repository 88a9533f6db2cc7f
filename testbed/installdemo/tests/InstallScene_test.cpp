// The install scene end to end in the browser host with npfdg.dll, the web
// stand-in serving sealed files, installer.exe, the hub and the fake component.
#include "BmpFile.h"
#include "InstallScene.h"
#include "TestKit.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <cstdlib>
#include <fstream>
#include <sstream>

namespace
{
std::string strLinuxFolder(const char* lpszVar)
{
    const char* p = std::getenv(lpszVar);
    std::string s = std::string("Z:") + (p ? p : "");
    for (char& c : s)
        if (c == '/')
            c = '\\';
    return s.back() == '\\' ? s : s + "\\";
}

bool boHas(const std::vector<std::string>& lines, const std::string& line)
{
    for (const std::string& l : lines)
        if (l == line)
            return true;
    return false;
}

std::vector<std::string> navigations(const FdInstallScene::SSession& s)
{
    std::vector<std::string> out;
    for (const auto& l : s.host)
        if (l.strKind == "NAVIGATE")
            out.push_back(l.strGet("frame") + " " + l.strGet("url"));
    return out;
}

class InstallScene : public ::testing::Test
{
protected:
    static void SetUpTestSuite()
    {
        std::ifstream keyFile(strLinuxFolder("FD_SOURCE_DIR") + "testbed\\crypto-fixtures\\key1.txt");
        std::string key;
        std::getline(keyFile, key);
        char szTemp[MAX_PATH];
        GetTempPathA(MAX_PATH, szTemp);
        s_options.strWebFolder = strLinuxFolder("FD_INSTALLDEMO_WEB");
        s_options.strWebBase = std::string("http://127.0.0.1:") + std::getenv("FD_WEB_PORT") + "/";
        s_options.strKeyText = key;
        s_options.strBinFolder = FdTestKit::strProgramFolder();
        s_options.strWorkFolder = std::string(szTemp) + "install-scene\\";
        CreateDirectoryA(s_options.strWorkFolder.c_str(), nullptr);
        const char* lpszShot = std::getenv("FD_INSTALLDEMO_SCREENSHOT");
        s_options.strScreenshot = std::string("Z:") + (lpszShot ? lpszShot : "/tmp/install-scene.bmp");
        for (char& c : s_options.strScreenshot)
            if (c == '/')
                c = '\\';
        s_report = new FdInstallScene::SReport;
        s_boRan = FdInstallScene::boRunScene(s_options, *s_report);
    }
    static void TearDownTestSuite()
    {
        delete s_report;
        s_report = nullptr;
    }
    const FdInstallScene::SReport& report() const { return *s_report; }
    std::string strTranscript() const
    {
        std::string s;
        for (const std::string& l : report().transcript)
            s += l + "\n";
        return s;
    }
    static FdInstallScene::SOptions s_options;
    static FdInstallScene::SReport* s_report;
    static bool s_boRan;
};
FdInstallScene::SOptions InstallScene::s_options;
FdInstallScene::SReport* InstallScene::s_report = nullptr;
bool InstallScene::s_boRan = false;

TEST_F(InstallScene, EverySessionRan)
{
    ASSERT_TRUE(s_boRan) << report().strError;
    ASSERT_EQ(6u, report().sessions.size());
    for (const auto& s : report().sessions)
        EXPECT_EQ(0, s.lExit) << s.strName;
    EXPECT_FALSE(std::ifstream(s_options.strWorkFolder + "boxes.log").good()) << "no message box";
}

TEST_F(InstallScene, ThePackageInstallsTheInstallerAndReopensThePage)
{
    ASSERT_EQ(6u, report().sessions.size());
    const auto& s = report().sessions[0];
    // The return page opens in the plug-in's own frame (the host's top).
    EXPECT_TRUE(boHas(navigations(s), "_top " + s_options.strWebBase + "install.htm")) << strTranscript();
    ASSERT_FALSE(s.pluginErrors.empty());
    EXPECT_NE(std::string::npos, strTranscript().find("Code:5051 (AppNotInstalled)")) << "the first launch";
    EXPECT_TRUE(boHas(report().registry,
                      "HKLM\\Software\\FdGame\\Installer|CLSID|{7B6BF370-EEB1-11d3-BCAB-0050044976E7}"));
    EXPECT_TRUE(boHas(report().registry,
                      "HKCR\\CLSID\\{7B6BF370-EEB1-11d3-BCAB-0050044976E7}\\LocalServer32||"
                      "<install folder>\\Installer\\installer.exe"))
        << strTranscript();
}

TEST_F(InstallScene, TheInstallerRunsTheScriptAndAnswersResUrl1)
{
    ASSERT_EQ(6u, report().sessions.size());
    const auto& s = report().sessions[1];
    EXPECT_EQ(
        (std::vector<std::string>{"2|Installation d'Orbelle...", "2|Orbelle est install\xE9", "0|", "1|"}),
        s.statusLines)
        << strTranscript();
    const auto navs = navigations(s);
    ASSERT_EQ(1u, navs.size()) << strTranscript();
    EXPECT_EQ(0u, navs[0].find("main " + s_options.strWebBase + "installed.htm?params=")) << navs[0];
    EXPECT_NE(std::string::npos, navs[0].find("APPID%A3%A312%A3%A3")) << navs[0];
    EXPECT_NE(std::string::npos, navs[0].find("JOBID%A3%A33%A3%A3")) << navs[0];

    for (const char* f : {"Installer\\installer.exe ", "bin\\Linkwell.exe ", "bin\\FakeCmpt.exe "})
    {
        bool boFound = false;
        for (const std::string& l : report().files)
            boFound = boFound || l.rfind(f, 0) == 0;
        EXPECT_TRUE(boFound) << f << "\n" << strTranscript();
    }
    for (const char* r : {"HKLM\\Software\\FdGame\\FakeCmpt|CLSID|{D0C4FE1E-7319-4C08-8E2A-B6D70E44ABDA}",
                          "HKLM\\Software\\FdGame\\FakeCmpt|Version|1.0.0.1",
                          "HKLM\\Software\\FdGame\\LinkwellV2|CLSID|{1184B9F3-D14D-4181-A509-7D2ADFE452AF}",
                          "HKCR\\CLSID\\{D0C4FE1E-7319-4C08-8E2A-B6D70E44ABDA}\\LocalServer32||<install "
                          "folder>\\bin\\FakeCmpt.exe",
                          "HKCR\\CLSID\\{1184B9F3-D14D-4181-A509-7D2ADFE452AF}\\LocalServer32||<install "
                          "folder>\\bin\\Linkwell.exe"})
        EXPECT_TRUE(boHas(report().registry, r)) << r << "\n" << strTranscript();
}

// The screenshot of the second session: the plug-in's area in the page's
// colour with the status line the script left (white text).
TEST_F(InstallScene, TheScreenshotShowsTheStatusLine)
{
    ASSERT_EQ(6u, report().sessions.size());
    std::ifstream shot(s_options.strScreenshot, std::ios::binary);
    std::ostringstream stream;
    stream << shot.rdbuf();
    const std::string bytes = stream.str();
    FdBrowserHost::SPixels pixels;
    ASSERT_TRUE(
        FdBrowserHost::boBmpDecode(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), &pixels))
        << s_options.strScreenshot;
    const FdBrowserHost::SLogLine* lpWindow = nullptr;
    for (const auto& l : report().sessions[1].host)
        if (l.strKind == "NPP_SETWINDOW")
            lpWindow = &l;
    ASSERT_NE(nullptr, lpWindow);
    const uint32_t x0 = std::atoi(lpWindow->strGet("x").c_str()),
                   y0 = std::atoi(lpWindow->strGet("y").c_str());
    const uint32_t w = std::atoi(lpWindow->strGet("width").c_str()),
                   h = std::atoi(lpWindow->strGet("height").c_str());
    ASSERT_EQ(400u, w);
    ASSERT_EQ(120u, h);
    int iBack = 0, iText = 0;
    for (uint32_t y = y0; y < y0 + h; ++y)
        for (uint32_t x = x0; x < x0 + w; ++x)
        {
            const uint32_t c = FdBrowserHost::dwPixel(pixels, x, y);
            iBack += c == 0x003366;
            iText += c == 0xFFFFFF;
        }
    EXPECT_GT(iBack, static_cast<int>(w * h / 2)) << "the page's background colour";
    EXPECT_GT(iText, 20) << "the status line";
}

TEST_F(InstallScene, TheResultPageLaunchesTheInstalledComponent)
{
    ASSERT_EQ(6u, report().sessions.size());
    EXPECT_TRUE(boHas(report().fakeCmpt, "exe|Create")) << strTranscript();
    EXPECT_TRUE(boHas(report().fakeCmpt, "exe|SetParameter|VERSION|2000")) << strTranscript();
    EXPECT_TRUE(boHas(report().fakeCmpt, "exe|ExecuteCmd|PLAY")) << strTranscript();
}

TEST_F(InstallScene, RunAgainEverythingIsThereAndResUrl2)
{
    ASSERT_EQ(6u, report().sessions.size());
    const auto& s = report().sessions[3];
    const auto navs = navigations(s);
    ASSERT_EQ(1u, navs.size()) << strTranscript();
    EXPECT_EQ(0u, navs[0].find("main " + s_options.strWebBase + "uptodate.htm?params=")) << navs[0];
    EXPECT_EQ((std::vector<std::string>{"0|", "1|"}), s.statusLines);
    for (const auto& l : s.host)
        if (l.strKind == "STREAM_END")
        {
            EXPECT_EQ(std::string::npos, l.strGet("url").find(".exe_")) << "nothing is downloaded";
        }
}
// The plug-in's update: the script's [PLUGIN] search finds both browsers'
// folders without the plug-in; COPYPLUGIN lets the plug-in go, shows its box,
// closes the running browser, copies the plug-in and the extra file into both
// folders, and the end of the run opens RESURL1 in a new browser.
TEST_F(InstallScene, ThePluginUpdateClosesTheBrowserAndCopiesIntoBothFolders)
{
    ASSERT_EQ(6u, report().sessions.size());
    const auto& s = report().sessions[4];
    EXPECT_EQ(
        (std::vector<std::string>{"MSGBOX|0|FDGame - Installer|Votre browser va être fermé puis relancé afin "
                                  "de terminer l'installation (cette opération peut prendre quelques "
                                  "secondes)."}),
        report().updateBoxes);
    EXPECT_FALSE(report().boRunningAlive[0]) << strTranscript();
    ASSERT_FALSE(s.statusLines.empty()) << strTranscript();
    EXPECT_EQ("1|Veuillez patienter pendant l'installation...", s.statusLines[0]);
    for (size_t i = 1; i < s.statusLines.size(); ++i)
        EXPECT_EQ("2|-...............................", s.statusLines[i]) << "a progress line per folder";
    EXPECT_TRUE(navigations(s).empty()) << "nothing goes through the released plug-in";

    std::ifstream plugin(s_options.strBinFolder + "npfdg.dll", std::ios::binary | std::ios::ate);
    const std::string strSize = std::to_string(static_cast<long long>(plugin.tellg()));
    EXPECT_TRUE(boHas(report().browserFiles, "A\\Plugins\\npfdg.dll " + strSize)) << strTranscript();
    EXPECT_TRUE(boHas(report().browserFiles, "B\\Plugins\\npfdg.dll " + strSize)) << strTranscript();
    for (const char* lpszFolder : {"A\\Plugins\\", "B\\Plugins\\"})
    {
        int iExtra = 0;
        for (const std::string& f : report().browserFiles)
            iExtra += f.rfind(lpszFolder, 0) == 0 && f.find("npfdg.dll") == std::string::npos &&
                      f.substr(f.rfind(' ') + 1) == "49";
        EXPECT_EQ(1, iExtra) << lpszFolder << " holds the extra file\n" << strTranscript();
    }
    EXPECT_TRUE(boHas(report().newBrowser, "URL " + s_options.strWebBase + "plugin-updated.htm"))
        << strTranscript();
    EXPECT_TRUE(s.boInstallerGone);
}

TEST_F(InstallScene, TheUpdateAgainClosesNothingAndAnswersResUrl2)
{
    ASSERT_EQ(6u, report().sessions.size());
    const auto& s = report().sessions[5];
    EXPECT_TRUE(report().boRunningAlive[1]) << strTranscript();
    EXPECT_FALSE(boHas(report().runningLog[1], "WM_CLOSE"));
    const auto navs = navigations(s);
    ASSERT_EQ(1u, navs.size()) << strTranscript();
    EXPECT_EQ(0u, navs[0].find("main " + s_options.strWebBase + "plugin-uptodate.htm?params=")) << navs[0];
    EXPECT_EQ(1u, report().updateBoxes.size());
    int iUrls = 0;
    for (const std::string& l : report().newBrowser)
        iUrls += l.rfind("URL ", 0) == 0;
    EXPECT_EQ(1, iUrls) << "no new browser the second time";
    EXPECT_TRUE(s.boInstallerGone);
}
} // namespace
