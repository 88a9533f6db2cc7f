#include "InstallScene.h"

#include "ScenePieces.h"

#include "EnvelopeSealer.h"
#include "WinProcess.h"

#include <windows.h>

#include <algorithm>
#include <fstream>
#include <sstream>

namespace FdInstallScene
{
namespace
{
const char kInstallerClsid[] = "{7B6BF370-EEB1-11d3-BCAB-0050044976E7}";
const char kFakeClsid[] = "{D0C4FE1E-7319-4C08-8E2A-B6D70E44ABDA}";
const char kHubClsid[] = "{1184B9F3-D14D-4181-A509-7D2ADFE452AF}";
using namespace FdScene;
constexpr DWORD kSessionTimeoutMs = 120000;
constexpr DWORD kProcessEndMs = 30000;
// A session ends once the page has been quiet this long with no transfer open;
// the installer's registrations start programs, each taking about a second here.
const char kQuietMs[] = "6000";

std::string strPage(const std::string& strName, const std::string& strSrc)
{
    return "<html><body>\n<iframe name=\"main\" src=\"about:blank\"></iframe>\n"
           "<embed type=\"application/x-fd-game\" name=\"" +
           strName +
           "\" width=\"400\" height=\"120\" bgcolor=\"#003366\" textcolor=\"#FFFFFF\" hidedialog=\"yes\" "
           "src=\"" +
           strSrc + "\">\n</body></html>\n";
}

void vSetText(HKEY hKey, const char* lpszName, const std::string& strValue)
{
    RegSetValueExA(hKey, lpszName, 0, REG_SZ, reinterpret_cast<const BYTE*>(strValue.c_str()),
                   static_cast<DWORD>(strValue.size() + 1));
}

std::string strRegText(HKEY hRoot, const std::string& strKey, const char* lpszName)
{
    char sz[1024] = {};
    DWORD dw = sizeof sz - 1;
    if (RegGetValueA(hRoot, strKey.c_str(), lpszName, RRF_RT_REG_SZ, nullptr, sz, &dw) != ERROR_SUCCESS)
        return "(none)";
    return sz;
}

void vListFiles(const std::string& strRoot, const std::string& strRelative, std::vector<std::string>& out)
{
    WIN32_FIND_DATAA fd = {};
    HANDLE h = FindFirstFileA((strRoot + strRelative + "*").c_str(), &fd);
    if (h == INVALID_HANDLE_VALUE)
        return;
    do
    {
        const std::string name = fd.cFileName;
        if (name == "." || name == "..")
            continue;
        if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
            vListFiles(strRoot, strRelative + name + "\\", out);
        else
            out.push_back(strRelative + name + " " + std::to_string(fd.nFileSizeLow));
    } while (FindNextFileA(h, &fd));
    FindClose(h);
    std::sort(out.begin(), out.end());
}

// A fake browser started from a copy named like a browser; false when it did
// not come up.
bool boStartBrowser(const std::string& strProgram, const std::string& strLog, const std::string& strArgs,
                    PROCESS_INFORMATION& pi)
{
    DeleteFileA(strLog.c_str());
    std::string cmd = strQuote(strProgram) + " --log " + strQuote(strLog) + " " + strArgs;
    STARTUPINFOA si = {};
    si.cb = sizeof si;
    if (!CreateProcessA(nullptr, &cmd[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi))
        return false;
    for (int i = 0; i < 400 && strRead(strLog).find("|READY") == std::string::npos; ++i)
        if (WaitForSingleObject(pi.hProcess, 50) == WAIT_OBJECT_0)
            break;
    return strRead(strLog).find("|READY") != std::string::npos;
}

const char kHttpCommandKey[] = "http\\shell\\open\\command";
} // namespace

// The plug-in's update: the browsers' folders stand for the drives, a fake
// browser named iexplore.exe runs, Linux's browser is replaced by the fake
// browser for http addresses; sessions 5 and 6.
template <class FRun> bool boRunUpdate(const SOptions& o, SReport& report, FRun& runSession)
{
    const std::string strBrowsers = o.strWorkFolder + "browsers";
    const std::string strFake = o.strBinFolder + "FakeBrowser.exe";
    for (const char* d : {"", "\\A", "\\A\\Plugins", "\\B", "\\B\\Plugins"})
        CreateDirectoryA((strBrowsers + d).c_str(), nullptr);
    std::vector<std::string> old;
    vListFiles(strBrowsers + "\\", "", old);
    for (const std::string& f : old)
        if (f.find("Plugins\\") != std::string::npos)
            DeleteFileA((strBrowsers + "\\" + f.substr(0, f.rfind(' '))).c_str());
    if (!CopyFileA(strFake.c_str(), (strBrowsers + "\\A\\iexplore.exe").c_str(), FALSE) ||
        !CopyFileA(strFake.c_str(), (strBrowsers + "\\B\\NETSCAPE.EXE").c_str(), FALSE))
    {
        report.strError = "cannot copy " + strFake;
        return false;
    }
    SetEnvironmentVariableA("FD_INSTALL_ROOTS", strBrowsers.c_str());
    const std::string strBoxes = o.strWorkFolder + "boxes-update.log";
    DeleteFileA(strBoxes.c_str());
    SetEnvironmentVariableA("FD_UI_LOG", strBoxes.c_str());
    const std::string strNewLog = o.strWorkFolder + "newbrowser.log";
    DeleteFileA(strNewLog.c_str());
    // What opens http addresses, kept to be put back.
    const std::string strOldCommand = strRegText(HKEY_CLASSES_ROOT, kHttpCommandKey, nullptr);
    HKEY hKey = nullptr;
    if (RegCreateKeyExA(HKEY_CLASSES_ROOT, kHttpCommandKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &hKey,
                        nullptr) != ERROR_SUCCESS)
    {
        report.strError = "cannot write HKCR\\http\\shell\\open\\command";
        return false;
    }
    vSetText(hKey, nullptr, strQuote(strFake) + " --log " + strQuote(strNewLog) + " --no-window \"%1\"");

    const struct
    {
        const char* name;
        const char* log;
    } updates[] = {
        {"the plug-in's update: the installer closes the running browser, copies the plug-in into both "
         "browsers' folders and opens the result in a new browser",
         "running-1.log"},
        {"the update again: every browser has the plug-in, nothing is closed", "running-2.log"},
    };
    bool boOk = true;
    for (int i = 0; i < 2 && boOk; ++i)
    {
        PROCESS_INFORMATION pi = {};
        const std::string strLog = o.strWorkFolder + updates[i].log;
        if (!boStartBrowser(strBrowsers + "\\A\\iexplore.exe", strLog, "--class IEFrame", pi))
        {
            report.strError = "the fake browser did not start";
            boOk = false;
        }
        else
        {
            runSession(updates[i].name, "update.htm", false);
        }
        if (pi.hProcess)
        {
            report.boRunningAlive[i] = WaitForSingleObject(pi.hProcess, 0) == WAIT_TIMEOUT;
            TerminateProcess(pi.hProcess, 0);
            WaitForSingleObject(pi.hProcess, kProcessEndMs);
            CloseHandle(pi.hProcess);
            CloseHandle(pi.hThread);
        }
        report.runningLog[i] = logLines(strLog);
    }
    boWaitGone("FakeBrowser.exe");
    if (strOldCommand == "(none)")
        RegDeleteValueA(hKey, nullptr);
    else
        vSetText(hKey, nullptr, strOldCommand);
    RegCloseKey(hKey);
    SetEnvironmentVariableA("FD_INSTALL_ROOTS", nullptr);

    vListFiles(strBrowsers + "\\", "", report.browserFiles);
    report.newBrowser = logLines(strNewLog);
    report.updateBoxes = logLines(strBoxes, false);
    return boOk;
}

std::string strScript()
{
    return "// Orbelle: the hub and the fake component\r\n"
           "[INSTALL]\r\n"
           "[TEST]\r\n"
           "[REGISTRY]\r\n"
           "HKEY_LOCAL_MACHINE\\Software\\FdGame\\FakeCmpt;Version;V>=;1.0.0.1\r\n"
           "[DL]\r\n"
           "Linkwell.exe_;01/01/2002 10:30:00\r\n"
           "FakeCmpt.exe_;01/01/2002 10:30:00\r\n"
           "[TEXT]\r\n"
           "2;Installation d'Orbelle...\r\n"
           "[ACTIONS]\r\n"
           "MD:0;bin\r\n"
           "COPY:1;bin\\Linkwell.exe\r\n"
           "COPYDATE:2;bin\\FakeCmpt.exe\r\n"
           "REGISTER:1\r\n"
           "REGISTER:2\r\n"
           "REGISTRY:0;HKEY_LOCAL_MACHINE\\Software\\FdGame\\LinkwellV2;CLSID;S;" +
           std::string(kHubClsid) +
           "\r\n"
           "REGISTRY:0;HKEY_LOCAL_MACHINE\\Software\\FdGame\\LinkwellV2;Version;S;2.0.0.0\r\n"
           "REGISTRY:0;HKEY_LOCAL_MACHINE\\Software\\FdGame\\FakeCmpt;CLSID;S;" +
           kFakeClsid +
           "\r\n"
           "REGISTRY:0;HKEY_LOCAL_MACHINE\\Software\\FdGame\\FakeCmpt;Version;S;1.0.0.1\r\n"
           "[TEXT]\r\n"
           "2;Orbelle est install\xE9\r\n"
           "[END]\r\n";
}

std::string strPluginScript()
{
    return "// Orbelle: the game plug-in in every browser's folder\r\n"
           "[INSTALL]\r\n"
           "[TEST]\r\n"
           "[PLUGIN]\r\n"
           "npfdg.dll;;;1,0,0,1\r\n"
           "[DL]\r\n"
           "npfdg.dll_;01/01/2002 10:30:00\r\n"
           "readme.txt\r\n"
           "[ACTIONS]\r\n"
           "COPYPLUGIN:1;;;;;2\r\n"
           "[END]\r\n";
}

bool boRunScene(const SOptions& o, SReport& report)
{
    const std::string strInstall = o.strWorkFolder + "inst";
    CreateDirectoryA(strInstall.c_str(), nullptr);
    HKEY hKey = nullptr;
    if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, "Software\\FdGame", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &hKey,
                        nullptr) != ERROR_SUCCESS)
    {
        report.strError = "cannot write HKLM\\Software\\FdGame";
        return false;
    }
    const DWORD dwVersion = 999999, dwOn = 1;
    vSetText(hKey, nullptr, strInstall);
    RegSetValueExA(hKey, "FdGame", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&dwVersion), sizeof dwVersion);
    RegSetValueExA(hKey, "LogToTextFile", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&dwOn), sizeof dwOn);
    RegCloseKey(hKey);

    FdCrypto::CKeyRecord key;
    try
    {
        key = EnvelopeSealer::keyFromText(o.strKeyText);
    }
    catch (const std::exception&)
    {
        report.strError = "the files key text is not a key";
        return false;
    }
    auto seal = [&](const std::string& plain, uint32_t seed)
    { return EnvelopeSealer::strSeal(plain, key, false, seed); };

    // What the service serves.
    const std::string strInstaller = strRead(o.strBinFolder + "installer.exe");
    const std::string strHub = strRead(o.strBinFolder + "Linkwell.exe");
    const std::string strFake = strRead(o.strBinFolder + "FakeCmpt.exe");
    const std::string strPlugin = strRead(o.strBinFolder + "npfdg.dll");
    if (strInstaller.empty() || strHub.empty() || strFake.empty() || strPlugin.empty())
    {
        report.strError =
            "installer.exe, Linkwell.exe, FakeCmpt.exe or npfdg.dll is missing in " + o.strBinFolder;
        return false;
    }
    const std::string& b = o.strWebBase;
    const std::string strParams = strList({{"FILE", b + "script.fdg"},
                                           {"JOBID", "3"},
                                           {"APPID", "12"},
                                           {"RESURL1", b + "installed.htm"},
                                           {"RESFRM1", "main"},
                                           {"RESURL2", b + "uptodate.htm"},
                                           {"RESFRM2", "main"},
                                           {"ERRURL", b + "failed.htm"},
                                           {"ERRFRM", "main"},
                                           {"DL_BASE", b},
                                           {"CMD", "INSTALL"}});
    const std::string strUpdateParams = strList({{"FILE", b + "plugin.fdg"},
                                                 {"JOBID", "4"},
                                                 {"APPID", "12"},
                                                 {"RESURL1", b + "plugin-updated.htm"},
                                                 {"RESFRM1", "main"},
                                                 {"RESURL2", b + "plugin-uptodate.htm"},
                                                 {"RESFRM2", "main"},
                                                 {"ERRURL", b + "failed.htm"},
                                                 {"ERRFRM", "main"},
                                                 {"DL_BASE", b},
                                                 {"CMD", "INSTALL"}});
    const struct
    {
        const char* name;
        std::string data;
    } files[] = {
        {"install.htm", strPage("install", "keys-install.fdg")},
        {"installed.htm", strPage("game", "keys-game.fdg")},
        {"uptodate.htm", "<html><body>Orbelle est \xE0 jour.</body></html>\n"},
        {"failed.htm", "<html><body>L'installation a \xE9"
                       "chou\xE9.</body></html>\n"},
        {"keys-install.fdg",
         strAction("", {{"privatekeyfile", o.strKeyText}, {"URL", "launch-installer.fdg"}}, 6)},
        {"keys-game.fdg", strAction("", {{"privatekeyfile", o.strKeyText}, {"URL", "launch-fake.fdg"}}, 6)},
        {"launch-installer.fdg", strAction("",
                                           {{"launchapp", "Installer"},
                                            {"urldata", b + "installer.pkg"},
                                            {"thispage", strList({{"URL", b + "install.htm"}})},
                                            {"paramsapp", strParams}},
                                           3)},
        {"launch-fake.fdg",
         strAction("", {{"launchapp", "FakeCmpt"}, {"paramsapp", strList({{"JOBID", "3"}, {"CMD", "PLAY"}})}},
                   3)},
        {"installer.pkg", strAction(seal(strCompressed(strInstaller), 21),
                                    {{"regpath", "Installer"},
                                     {"physpath", "Installer\\installer.exe"},
                                     {"clsid", kInstallerClsid},
                                     {"version", "1000"}},
                                    2)},
        {"script.fdg", seal(strScript(), 22)},
        {"update.htm", strPage("update", "keys-update.fdg")},
        {"plugin-updated.htm",
         "<html><body>Le plug-in est install\xE9 dans vos navigateurs.</body></html>\n"},
        {"plugin-uptodate.htm", "<html><body>Vos navigateurs ont le plug-in.</body></html>\n"},
        {"keys-update.fdg",
         strAction("", {{"privatekeyfile", o.strKeyText}, {"URL", "launch-update.fdg"}}, 6)},
        {"launch-update.fdg", strAction("",
                                        {{"launchapp", "Installer"},
                                         {"urldata", b + "installer.pkg"},
                                         {"thispage", strList({{"URL", b + "update.htm"}})},
                                         {"paramsapp", strUpdateParams}},
                                        3)},
        {"plugin.fdg", seal(strPluginScript(), 25)},
        {"npfdg.dll_", seal(strCompressed(strPlugin), 26)},
        {"readme.txt", seal("Orbelle: the game plug-in of the Zelto service.\r\n", 27)},
        {"Linkwell.exe_", seal(strCompressed(strHub), 23)},
        {"FakeCmpt.exe_", seal(strCompressed(strFake), 24)},
    };
    for (const auto& f : files)
    {
        if (!boWrite(o.strWebFolder + f.name, f.data))
        {
            report.strError = std::string("cannot write ") + o.strWebFolder + f.name;
            return false;
        }
    }
    SetEnvironmentVariableA("FD_FAKECMPT_LOG", (o.strWorkFolder + "fakecmpt.log").c_str());
    SetEnvironmentVariableA("FD_UI_LOG", (o.strWorkFolder + "boxes.log").c_str());

    const struct
    {
        const char* name;
        const char* page;
        bool screenshot;
    } sessions[] = {
        {"the page finds no installer: its package is installed, the page is opened again", "install.htm",
         false},
        {"the page again: the installer runs the script", "install.htm", true},
        {"the result page launches the fake component", "installed.htm", false},
        {"the page a third time: everything is there", "install.htm", false},
    };
    size_t ulTraceSeen = strPluginTrace().size();
    auto runSession = [&](const char* lpszName, const char* lpszPage, bool boScreenshot)
    {
        SSession session;
        session.strName = lpszName;
        session.strPage = b + lpszPage;
        const std::string strLog =
            o.strWorkFolder + "host-" + std::to_string(report.sessions.size() + 1) + ".log";
        DeleteFileA(strLog.c_str());
        std::string cmd = strQuote(o.strBinFolder + "BrowserHost.exe") + " --log " + strQuote(strLog) +
                          " --plugin " + strQuote(o.strBinFolder + "npfdg.dll") + " --quit-when-idle " +
                          kQuietMs;
        if (boScreenshot && !o.strScreenshot.empty())
            cmd += " --screenshot " + strQuote(o.strScreenshot);
        cmd += " " + strQuote(session.strPage);
        const FdWin::SProgramRun host = FdWin::runProgram(cmd, kSessionTimeoutMs);
        if (host.boEnded)
            session.lExit = static_cast<long>(host.dwExitCode);
        // The components the session started end on their own (the installer
        // after its run, the fake component when released).
        session.boInstallerGone = boWaitGone("installer.exe");
        boWaitGone("FakeCmpt.exe");
        session.host = FdBrowserHost::parseLog(strRead(strLog));
        const std::string strTrace = strPluginTrace();
        const std::string strNew = strTrace.substr(std::min(ulTraceSeen, strTrace.size()));
        session.statusLines = statusLinesOf(strNew);
        std::istringstream traceLines(strNew);
        // Each error with the lines of its exception text.
        int iFollow = 0;
        for (std::string l; std::getline(traceLines, l);)
        {
            if (l.find("!ERREUR!") != std::string::npos)
                iFollow = 9;
            if (iFollow > 0)
            {
                --iFollow;
                session.pluginErrors.push_back(l);
            }
        }
        ulTraceSeen = strTrace.size();
        report.sessions.push_back(session);
    };
    for (const auto& s : sessions)
        runSession(s.name, s.page, s.screenshot);

    vListFiles(strInstall + "\\", "", report.files);
    for (const char* k :
         {"Software\\FdGame\\Installer", "Software\\FdGame\\LinkwellV2", "Software\\FdGame\\FakeCmpt"})
        for (const char* v : {"CLSID", "Version"})
            report.registry.push_back(std::string("HKLM\\") + k + "|" + v + "|" +
                                      strRegText(HKEY_LOCAL_MACHINE, k, v));
    for (const char* clsid : {kInstallerClsid, kHubClsid, kFakeClsid})
    {
        const std::string k = std::string("CLSID\\") + clsid + "\\LocalServer32";
        std::string v = strRegText(HKEY_CLASSES_ROOT, k, nullptr);
        if (v.rfind(strInstall, 0) == 0)
            v = "<install folder>" + v.substr(strInstall.size());
        report.registry.push_back("HKCR\\" + k + "||" + v);
    }
    std::istringstream cmpt(strRead(o.strWorkFolder + "fakecmpt.log"));
    std::string line;
    while (std::getline(cmpt, line))
        report.fakeCmpt.push_back(line.substr(line.find('|') + 1));

    if (!boRunUpdate(o, report, runSession))
        return false;

    // The transcript.
    auto& t = report.transcript;
    int i = 0;
    for (const SSession& s : report.sessions)
    {
        t.push_back("session " + std::to_string(++i) + ": " + s.strName);
        t.push_back("  page " + s.strPage + " (host exit " + std::to_string(s.lExit) + ")");
        for (const auto& l : s.host)
        {
            if (l.strKind == "STREAM_END")
                t.push_back("  STREAM    " + l.strGet("url") + " (reason " + l.strGet("reason") + ", " +
                            l.strGet("bytes") + " bytes)");
            else if (l.strKind == "NAVIGATE")
                t.push_back("  NAVIGATE  frame " + l.strGet("frame") + " <- " + l.strGet("url"));
        }
        for (const std::string& m : s.statusLines)
            t.push_back("  SETMSG    " + m);
        for (const std::string& m : s.pluginErrors)
            if (m.find("!ERREUR!") != std::string::npos || m.rfind("Code:", 0) == 0)
                t.push_back("  PLUG-IN   " + m.substr(m.find("Code:") == 0 ? 0 : m.find("!ERREUR!")));
    }
    t.push_back("files in the install folder:");
    for (const std::string& f : report.files)
        t.push_back("  " + f);
    t.push_back("registry:");
    for (const std::string& r : report.registry)
        t.push_back("  " + r);
    t.push_back("the fake component (what it was told):");
    for (const std::string& c : report.fakeCmpt)
        t.push_back("  " + c);
    for (int i = 0; i < 2; ++i)
    {
        t.push_back("the browser running during session " + std::to_string(5 + i) + " (" +
                    (report.boRunningAlive[i] ? "still running" : "ended") + "):");
        for (const std::string& l : report.runningLog[i])
            if (l.rfind("ICON", 0) != 0)
                t.push_back("  " + l);
    }
    t.push_back("message boxes of the update:");
    for (const std::string& l : report.updateBoxes)
        t.push_back("  " + l);
    t.push_back("files in the browsers' folders:");
    for (const std::string& f : report.browserFiles)
        t.push_back("  " + f);
    t.push_back("the new browser received:");
    for (const std::string& l : report.newBrowser)
        if (l.rfind("URL ", 0) == 0)
            t.push_back("  " + l.substr(4));
    return true;
}
} // namespace FdInstallScene
