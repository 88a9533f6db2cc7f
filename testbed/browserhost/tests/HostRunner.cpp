#include "HostRunner.h"

#include <cstdlib>
#include <fstream>
#include <sstream>

#include "WinProcess.h"

namespace FdHostTest
{
namespace
{
// One argument as CommandLineToArgv reads it back.
std::string strQuote(const std::string& arg)
{
    if (!arg.empty() && arg.find_first_of(" \t\"") == std::string::npos)
        return arg;
    std::string out = "\"";
    std::size_t backslashes = 0;
    for (char c : arg)
    {
        if (c == '\\')
        {
            ++backslashes;
            continue;
        }
        if (c == '"')
            out.append(backslashes * 2 + 1, '\\');
        else
            out.append(backslashes, '\\');
        backslashes = 0;
        out += c;
    }
    out.append(backslashes * 2, '\\');
    return out + "\"";
}
} // namespace

std::vector<SLogLine> linesOf(const Log& log, const std::string& kind, const std::string& key,
                              const std::string& value)
{
    std::vector<SLogLine> v;
    for (const SLogLine& l : log)
        if (l.strKind == kind && (key.empty() || l.strGet(key, "\x01") == value))
            v.push_back(l);
    return v;
}

SLogLine lineOf(const Log& log, const std::string& kind, const std::string& key, const std::string& value)
{
    const std::vector<SLogLine> v = linesOf(log, kind, key, value);
    return v.size() == 1 ? v[0] : SLogLine();
}

std::string strWebUrl(const std::string& path)
{
    const char* port = std::getenv("FD_WEB_PORT");
    return "http://127.0.0.1:" + std::string(port ? port : "0") + path;
}

std::string strFreshFolder(const std::string& name)
{
    char sz[MAX_PATH];
    GetTempPathA(MAX_PATH, sz);
    const std::string dir = std::string(sz) + "fdhost-" + name + "-" + std::to_string(GetCurrentProcessId());
    CreateDirectoryA(dir.c_str(), nullptr);
    WIN32_FIND_DATAA fd;
    HANDLE h = FindFirstFileA((dir + "\\*").c_str(), &fd);
    if (h != INVALID_HANDLE_VALUE)
    {
        do
            if (!(fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
                DeleteFileA((dir + "\\" + fd.cFileName).c_str());
        while (FindNextFileA(h, &fd));
        FindClose(h);
    }
    return dir;
}

std::string strInstanceOf(const Log& host, const std::string& name)
{
    for (const SLogLine& l : linesOf(host, "NPP_NEW"))
    {
        const auto names = l.all("argn");
        const auto values = l.all("argv");
        for (size_t i = 0; i < names.size() && i < values.size(); ++i)
            if (names[i] == "name" && values[i] == name)
                return l.strGet("instance");
    }
    return "?";
}

bool boRecordSuite(const std::string& strInstallDir, bool boTraceToFiles)
{
    constexpr DWORD kSuiteVersion = 999999;
    HKEY hKey = nullptr;
    if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, "Software\\FdGame", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &hKey,
                        nullptr) != ERROR_SUCCESS)
        return false;
    bool boOk = RegSetValueExA(hKey, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(strInstallDir.c_str()),
                               static_cast<DWORD>(strInstallDir.size() + 1)) == ERROR_SUCCESS;
    boOk = boOk && RegSetValueExA(hKey, "FdGame", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&kSuiteVersion),
                                  sizeof kSuiteVersion) == ERROR_SUCCESS;
    if (boTraceToFiles)
    {
        const DWORD dwOn = 1;
        boOk = boOk && RegSetValueExA(hKey, "LogToTextFile", 0, REG_DWORD,
                                      reinterpret_cast<const BYTE*>(&dwOn), sizeof dwOn) == ERROR_SUCCESS;
    }
    RegCloseKey(hKey);
    return boOk;
}

HRESULT hrRegisterServerDll(const std::string& file)
{
    HMODULE hDll = LoadLibraryA((strProgramFolder() + file).c_str());
    if (!hDll)
        return HRESULT_FROM_WIN32(GetLastError());
    using RegisterFunc = HRESULT(STDAPICALLTYPE*)();
    auto lpRegister =
        reinterpret_cast<RegisterFunc>(reinterpret_cast<void*>(GetProcAddress(hDll, "DllRegisterServer")));
    const HRESULT hr = lpRegister ? lpRegister() : E_NOINTERFACE;
    FreeLibrary(hDll);
    return hr;
}

std::string strPluginTrace()
{
    std::string strText;
    WIN32_FIND_DATAA found = {};
    HANDLE hFind = FindFirstFileA("C:\\FDGAME*", &found);
    if (hFind == INVALID_HANDLE_VALUE)
        return strText;
    do
        if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
            strText += strReadFile(std::string("C:\\") + found.cFileName);
    while (FindNextFileA(hFind, &found));
    FindClose(hFind);
    return strText;
}

SHostRun runHost(const std::vector<std::string>& args, const std::string& dir, DWORD dwTimeoutMs)
{
    SHostRun run;
    run.strDir = dir;
    const std::string hostLog = dir + "\\host.log";
    const std::string pluginLog = dir + "\\plugin.log";
    const std::string controlLog = dir + "\\control.log";
    DeleteFileA(hostLog.c_str());
    DeleteFileA(pluginLog.c_str());
    DeleteFileA(controlLog.c_str());
    SetEnvironmentVariableA("FD_NPTEST_LOG", pluginLog.c_str());
    SetEnvironmentVariableA("FD_AXTEST_LOG", controlLog.c_str());

    std::string cmd = strQuote(strProgramFolder() + "BrowserHost.exe") + " --log " + strQuote(hostLog);
    for (const std::string& a : args)
        cmd += " " + strQuote(a);
    const FdWin::SProgramRun host = FdWin::runProgram(cmd, dwTimeoutMs);
    if (host.boEnded)
        run.lExit = static_cast<long>(host.dwExitCode);
    run.host = FdBrowserHost::parseLog(strReadFile(hostLog));
    run.plugin = FdBrowserHost::parseLog(strReadFile(pluginLog));
    run.control = FdBrowserHost::parseLog(strReadFile(controlLog));
    return run;
}
} // namespace FdHostTest
