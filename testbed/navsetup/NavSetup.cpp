// What an outside setup program does with navpicker.dll: load it and call its
// exports by their names.
//
//   NavSetup.exe check KEY FOLDER LOG RECIPIENT SUBJECT LANGUAGE
//       _CheckZelto@28 with these texts; prints and exits with its answer.
//   NavSetup.exe --scene
//       lays two fake browsers (an Internet Explorer and a Netscape Navigator
//       under the temporary folder, named by the registry), runs the first,
//       registers testbed's fake mail provider, then as a setup program:
//       chooses the browsers without a dialog, lists their folders, closes
//       the running one after its box (answered OK through FD_UI_ANSWERS),
//       and mails the check report; prints what happened and what the
//       provider recorded.
#include "WinHandle.h"
#include "WinModule.h"
#include "WinRegKey.h"

#include <windows.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>

namespace
{
using FLanguage = int(__stdcall*)(const char*);
using FCount = int(__stdcall*)();
using FReset = void(__stdcall*)();
using FNext = int(__stdcall*)(char*, int, char*);
using FCheck = int(__stdcall*)(const char*, const char*, const char*, const char*, const char*, const char*,
                               const char*);

std::string strOwnFolder()
{
    char sz[MAX_PATH];
    const DWORD n = GetModuleFileNameA(nullptr, sz, MAX_PATH);
    const std::string s(sz, n < MAX_PATH ? n : 0);
    return s.substr(0, s.find_last_of('\\') + 1);
}

std::string strRead(const std::string& strPath)
{
    std::ifstream f(strPath, std::ios::binary);
    std::ostringstream s;
    s << f.rdbuf();
    return s.str();
}

int iCheck(FdWin::CModule& dll, char** argv)
{
    const auto pfn = dll.pfn<FCheck>("_CheckZelto@28");
    if (!pfn)
    {
        std::printf("no _CheckZelto@28\n");
        return 2;
    }
    const int iResult = pfn("", argv[2], argv[3], argv[4], argv[5], argv[6], argv[7]);
    std::printf("_CheckZelto@28 answered %d\n", iResult);
    return iResult;
}

bool boStartBrowser(const std::string& strProgram, const std::string& strLog, PROCESS_INFORMATION& pi)
{
    std::string strCommand = "\"" + strProgram + "\" --class IEFrame --log \"" + strLog + "\"";
    STARTUPINFOA si = {};
    si.cb = sizeof si;
    if (!CreateProcessA(nullptr, &strCommand[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi))
        return false;
    // Ready once its window is up: it logs "READY".
    for (int i = 0; i < 200; ++i)
    {
        if (strRead(strLog).find("|READY") != std::string::npos)
            return true;
        if (WaitForSingleObject(pi.hProcess, 50) == WAIT_OBJECT_0)
            return false;
    }
    return false;
}

void vSetString(HKEY hRoot, const char* lpszKey, const char* lpszName, const std::string& strValue)
{
    FdWin::CRegKey key;
    if (key.lCreate(hRoot, lpszKey, KEY_WRITE) == ERROR_SUCCESS)
        key.lSetString(lpszName, strValue);
}

int iScene(FdWin::CModule& dll, const std::string& strBin)
{
    char szTemp[MAX_PATH];
    GetTempPathA(sizeof szTemp, szTemp);
    const std::string strScene = std::string(szTemp) + "navsetup-scene";
    const std::string strIe = strScene + "\\Internet Explorer";
    const std::string strNetscape = strScene + "\\Netscape";
    CreateDirectoryA(strScene.c_str(), nullptr);
    CreateDirectoryA(strIe.c_str(), nullptr);
    CreateDirectoryA(strNetscape.c_str(), nullptr);
    CreateDirectoryA((strNetscape + "\\Program").c_str(), nullptr);
    const std::string strFake = strBin + "FakeBrowser.exe";
    CopyFileA(strFake.c_str(), (strIe + "\\IExplore.exe").c_str(), FALSE);
    CopyFileA(strFake.c_str(), (strNetscape + "\\Program\\Netscape.exe").c_str(), FALSE);
    const std::string strSetupLog = strScene + "\\setup.log";
    std::ofstream(strSetupLog, std::ios::binary) << "setup log\r\n";
    const std::string strMailLog = strScene + "\\mail.log";
    const std::string strBoxLog = strScene + "\\boxes.log";
    DeleteFileA(strMailLog.c_str());
    DeleteFileA(strBoxLog.c_str());
    DeleteFileA((strScene + "\\ie.log").c_str());

    // The browsers' keys: only the two fake browsers are known.
    for (const char* lpszKey :
         {"SOFTWARE\\MICROSOFT\\IE SETUP", "SOFTWARE\\MICROSOFT\\IE4", "SOFTWARE\\NETSCAPE"})
        RegDeleteTreeA(HKEY_LOCAL_MACHINE, lpszKey);
    vSetString(HKEY_LOCAL_MACHINE, "SOFTWARE\\MICROSOFT\\IE4\\SETUP", "PATH", strIe);
    vSetString(HKEY_LOCAL_MACHINE, "SOFTWARE\\NETSCAPE\\NETSCAPE NAVIGATOR", "CURRENTVERSION", "4.79 (en)");
    vSetString(HKEY_LOCAL_MACHINE, "SOFTWARE\\NETSCAPE\\NETSCAPE NAVIGATOR\\4.79 (en)\\MAIN",
               "INSTALL DIRECTORY", strNetscape);
    // The fake mail provider, as a mail program registers itself.
    vSetString(HKEY_LOCAL_MACHINE, "Software\\Clients\\Mail", nullptr, "FakeMapi");
    vSetString(HKEY_LOCAL_MACHINE, "Software\\Clients\\Mail\\FakeMapi", "DLLPath", strBin + "FakeMapi.dll");
    SetEnvironmentVariableA("FD_FAKEMAPI_LOG", strMailLog.c_str());
    SetEnvironmentVariableA("FD_UI_LOG", strBoxLog.c_str());
    SetEnvironmentVariableA("FD_UI_ANSWERS", "1");

    PROCESS_INFORMATION pi = {};
    if (!boStartBrowser(strIe + "\\IExplore.exe", strScene + "\\ie.log", pi))
    {
        std::printf("the fake browser did not start\n");
        return 2;
    }
    FdWin::CHandle process(pi.hProcess), thread(pi.hThread);
    std::printf("running: %s\\IExplore.exe (window class IEFrame)\n", strIe.c_str());

    const auto pfnAuto = dll.pfn<FLanguage>("_ChooseBrowsersOnlyIfAutoFailed@4");
    const auto pfnCount = dll.pfn<FCount>("_GetNumBrowsersSelected@0");
    const auto pfnReset = dll.pfn<FReset>("_EnumBrowser_Reset@0");
    const auto pfnNext = dll.pfn<FNext>("_GetNextBrowser@12");
    const auto pfnClose = dll.pfn<FLanguage>("_CloseBrowsers@4");
    const auto pfnCheck = dll.pfn<FCheck>("_CheckZelto@28");
    if (!pfnAuto || !pfnCount || !pfnReset || !pfnNext || !pfnClose || !pfnCheck)
    {
        std::printf("navpicker.dll lacks an export\n");
        return 2;
    }
    std::printf("_ChooseBrowsersOnlyIfAutoFailed@4(\"U.S. English\") = %d\n", pfnAuto("U.S. English"));
    const int iCount = pfnCount();
    std::printf("_GetNumBrowsersSelected@0 = %d\n", iCount);
    pfnReset();
    for (int i = 0; i < iCount; ++i)
    {
        char szPath[MAX_PATH] = "";
        char szType[2] = "";
        const int iFits = pfnNext(szPath, sizeof szPath, szType);
        std::printf("_GetNextBrowser@12 = %d, type \"%s\", folder %s\n", iFits, szType, szPath);
    }
    std::printf("_CloseBrowsers@4(\"U.S. English\") = %d\n", pfnClose("U.S. English"));
    std::printf("box: %s", strRead(strBoxLog).c_str());
    const bool boEnded = WaitForSingleObject(process.get(), 10000) == WAIT_OBJECT_0;
    std::printf("the fake browser %s; its log:\n%s", boEnded ? "has ended" : "still runs",
                strRead(strScene + "\\ie.log").c_str());
    const int iMailed = pfnCheck("", "SOFTWARE\\NETSCAPE", strScene.c_str(), strSetupLog.c_str(), "support",
                                 "Zelto installation check", "U.S. English");
    std::printf("_CheckZelto@28 = %d\n", iMailed);
    std::printf("--- what the mail provider recorded\n%s", strRead(strMailLog).c_str());
    return iMailed == 1 && boEnded ? 0 : 1;
}
} // namespace

int main(int argc, char** argv)
{
    const std::string strBin = strOwnFolder();
    FdWin::CModule dll;
    if (const DWORD dw = dll.dwLoad((strBin + "navpicker.dll").c_str()))
    {
        std::printf("navpicker.dll not loaded: %lu\n", static_cast<unsigned long>(dw));
        return 2;
    }
    if (argc == 8 && std::string(argv[1]) == "check")
        return iCheck(dll, argv);
    if (argc == 2 && std::string(argv[1]) == "--scene")
        return iScene(dll, strBin);
    std::printf("usage: NavSetup.exe check KEY FOLDER LOG RECIPIENT SUBJECT LANGUAGE | --scene\n");
    return 2;
}
