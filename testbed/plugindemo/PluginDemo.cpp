// Plays testbed/plugindemo/game.htm in the browser host with npfdg.dll: the
// page launches the fake component, which downloads a file through the
// plug-in and answers the page; prints what the page sees.
#include "LogLine.h"

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

namespace
{
std::string strFolder()
{
    char sz[MAX_PATH];
    const DWORD n = GetModuleFileNameA(nullptr, sz, MAX_PATH);
    const std::string s(sz, n < MAX_PATH ? n : 0);
    return s.substr(0, s.find_last_of('\\') + 1);
}

std::string strRead(const std::string& path)
{
    std::ifstream f(path, std::ios::binary);
    std::ostringstream s;
    s << f.rdbuf();
    return s.str();
}

void vSetText(HKEY hKey, const char* lpszName, const std::string& strValue)
{
    RegSetValueExA(hKey, lpszName, 0, REG_SZ, reinterpret_cast<const BYTE*>(strValue.c_str()),
                   static_cast<DWORD>(strValue.size() + 1));
}

// The suite as installed, with the fake in-process component as "FakeDll".
bool boSetup(const std::string& strTemp)
{
    HKEY hKey = nullptr;
    if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, "Software\\FdGame", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &hKey,
                        nullptr) != ERROR_SUCCESS)
        return false;
    const DWORD dwVersion = 999999;
    vSetText(hKey, nullptr, strTemp);
    RegSetValueExA(hKey, "FdGame", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&dwVersion), sizeof dwVersion);
    RegCloseKey(hKey);
    if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, "Software\\FdGame\\FakeDll", 0, nullptr, 0, KEY_ALL_ACCESS,
                        nullptr, &hKey, nullptr) != ERROR_SUCCESS)
        return false;
    vSetText(hKey, "CLSID", "{40C79732-961D-423C-907E-E78BEC0325EF}");
    vSetText(hKey, "Version", "1.0");
    RegCloseKey(hKey);
    HMODULE hDll = LoadLibraryA((strFolder() + "FakeCmptDll.dll").c_str());
    using RegisterFunc = HRESULT(STDAPICALLTYPE*)();
    auto lpRegister = hDll ? reinterpret_cast<RegisterFunc>(
                                 reinterpret_cast<void*>(GetProcAddress(hDll, "DllRegisterServer")))
                           : nullptr;
    const bool boOk = lpRegister && SUCCEEDED(lpRegister());
    if (hDll)
        FreeLibrary(hDll);
    return boOk;
}
} // namespace

int main()
{
    const char* lpszPort = std::getenv("FD_WEB_PORT");
    if (!lpszPort)
    {
        std::puts(
            "FD_WEB_PORT is not set: start testbed/webserver/server.py --root testbed/plugindemo first");
        return 2;
    }
    char szTemp[MAX_PATH];
    GetTempPathA(MAX_PATH, szTemp);
    const std::string strTemp = szTemp;
    const std::string strHostLog = strTemp + "plugindemo-host.log";
    const std::string strCmptLog = strTemp + "plugindemo-cmpt.log";
    DeleteFileA(strHostLog.c_str());
    DeleteFileA(strCmptLog.c_str());
    SetEnvironmentVariableA("FD_FAKECMPT_LOG", strCmptLog.c_str());
    if (!boSetup(strTemp))
    {
        std::puts("cannot register the suite and the fake component");
        return 1;
    }
    const std::string strPage = std::string("http://127.0.0.1:") + lpszPort + "/game.htm";
    std::string cmd = "\"" + strFolder() + "BrowserHost.exe\" --log \"" + strHostLog + "\" --plugin \"" +
                      strFolder() + "npfdg.dll\" --quit-when-idle 1500 " + strPage;
    std::printf("page: %s\n", strPage.c_str());
    STARTUPINFOA si = {};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi = {};
    if (!CreateProcessA(nullptr, &cmd[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi))
    {
        std::puts("cannot start BrowserHost.exe");
        return 1;
    }
    CloseHandle(pi.hThread);
    const bool boEnded = WaitForSingleObject(pi.hProcess, 60000) == WAIT_OBJECT_0;
    if (!boEnded)
        TerminateProcess(pi.hProcess, 99);
    CloseHandle(pi.hProcess);

    std::puts("\nthe fake component (what it was told and what it did):");
    std::istringstream cmpt(strRead(strCmptLog));
    std::string line;
    while (std::getline(cmpt, line))
        std::printf("  %s\n", line.substr(line.find('|') + 1).c_str());
    std::puts("\nthe page (streams and navigations):");
    for (const FdBrowserHost::SLogLine& l : FdBrowserHost::parseLog(strRead(strHostLog)))
    {
        if (l.strKind == "STREAM_END")
            std::printf("  STREAM    %s (reason %s, %s bytes)\n", l.strGet("url").c_str(),
                        l.strGet("reason").c_str(), l.strGet("bytes").c_str());
        else if (l.strKind == "NAVIGATE")
            std::printf("  NAVIGATE  frame %s <- %s\n", l.strGet("frame").c_str(), l.strGet("url").c_str());
    }
    return boEnded ? 0 : 1;
}
