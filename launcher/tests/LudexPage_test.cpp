// A page in the browser host launches Ludex.exe through the game plug-in
// (LAUNCHAPP with the launcher registered under HKLM "Software\FdGame"): the
// launcher asks the plug-in for its launch script, which the web stand-in
// serves, and leaves by itself once the page is gone.
#include "HostRunner.h"
#include "LudexTestSupport.h"
#include "SampleClient.h" // lRunAndWait

#include <gtest/gtest.h>

#include <windows.h>

#include <string>

using namespace FdHostTest;

namespace
{
const char kLauncherClsid[] = "{E7DCE0A5-863E-4A04-9912-3A893FA1F128}";

bool boSetText(HKEY hKey, const char* name, const std::string& value)
{
    return RegSetValueExA(hKey, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                          static_cast<DWORD>(value.size() + 1)) == ERROR_SUCCESS;
}

TEST(LudexPage, TheLauncherIsLaunchedFromAPageAndAsksForItsScript)
{
    // The suite as installed, with the launcher as application "Ludex".
    ASSERT_TRUE(boRecordSuite(strFreshFolder("ludex-page-install"), true));
    HKEY hKey = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(HKEY_LOCAL_MACHINE, "Software\\FdGame\\Ludex", 0, nullptr, 0,
                                             KEY_ALL_ACCESS, nullptr, &hKey, nullptr));
    EXPECT_TRUE(boSetText(hKey, "CLSID", kLauncherClsid));
    EXPECT_TRUE(boSetText(hKey, "Version", "1.0"));
    RegCloseKey(hKey);
    // The plug-in as installed: its type library, which marshals the
    // component interfaces, is registered with its ActiveX control.
    ASSERT_EQ(S_OK, hrRegisterServerDll("npfdg.dll"));
    ASSERT_EQ(0, lRunAndWait("\"" + FdHostTest::strProgramFolder() + "Ludex.exe\" /RegServer", 60000));

    // The page names the script by its full address, port included.
    const std::string dir = strFreshFolder("ludex-page");
    const std::string script = strWebUrl("/launch.xml");
    const std::string page = dir + "\\ludex.htm";
    ASSERT_TRUE(
        boWriteFile(page, "<html><body>\n<iframe name=\"main\" src=\"about:blank\"></iframe>\n"
                          "<embed type=\"application/x-fd-game\" name=\"game\" width=\"300\" height=\"80\" "
                          "launchapp=\"Ludex\" paramsapp=\"lscr££" +
                              script + "££CMD££dowk££\">\n</body></html>\n"));
    SetEnvironmentVariableA("FD_UI_LOG", (dir + "\\ui.log").c_str());
    const SHostRun run = runHost({"--plugin", FdHostTest::strProgramFolder() + "npfdg.dll",
                                  "--quit-when-idle", "2000", "--page", page},
                                 dir);
    ASSERT_EQ(0, run.lExit) << run.strDir;

    // Started by the plug-in through COM, the launcher asked for its script
    // (DOWNLOAD2 below). The download fails before any launch part exists, so
    // the launcher ends by itself on its next tick: it may be gone already.
    const DWORD pid = dwLudexPid();
    const std::string trace = strPluginTrace();
    EXPECT_NE(std::string::npos, trace.find("bstrName=DOWNLOAD2")) << trace;
    EXPECT_NE(std::string::npos, trace.find(script)) << trace;
    const SLogLine end = lineOf(run.host, "STREAM_END", "url", script);
    EXPECT_EQ("0", end.strGet("reason")) << "served whole by the web stand-in; " << run.strDir;
    // The service sends its files encrypted: this plain one is answered with
    // "DLERR" (the plug-in could not decrypt it), which the launcher takes.
    EXPECT_NE(std::string::npos, trace.find("notification download non ok (userdata=0, dlpath=")) << trace;
    EXPECT_EQ("", strReadFile(dir + "\\ui.log")) << "no box on the way";

    // The launcher leaves by itself.
    if (pid != 0)
    {
        EXPECT_TRUE(boWaitForExit(pid));
    }
}
} // namespace
