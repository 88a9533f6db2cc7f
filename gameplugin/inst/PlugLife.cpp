#include "PlugLife.h"

#include "PlugInst.h"
#include "PlugTrace.h"

#include <windows.h>

#include <mutex>

namespace
{
constexpr const char kszSuiteKey[] = "Software\\FdGame";
// Controls of several apartments start and stop the library on their own threads.
std::mutex g_lifeLock;
int g_iStarts = 0;
bool g_boInitialized = false;
CPlugLogger* g_lpLogger = nullptr;

bool boReadDword(HKEY hKey, const char* lpszName, DWORD* lpdwValue)
{
    DWORD dwType = 0, dwSize = sizeof *lpdwValue;
    return RegQueryValueExA(hKey, lpszName, nullptr, &dwType, reinterpret_cast<BYTE*>(lpdwValue), &dwSize) ==
               ERROR_SUCCESS &&
           dwType == REG_DWORD;
}

void vStartLogger()
{
    g_lpLogger = new CPlugLogger();
    g_lpLogger->vSetFolder(FdLib::CLogger::kszPlugInFolder);
    HKEY hKey = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kszSuiteKey, 0, KEY_READ, &hKey) == ERROR_SUCCESS)
    {
        DWORD dwValue = 0;
        if (boReadDword(hKey, "LogToTextFile", &dwValue))
            g_lpLogger->vEnable(dwValue != 0);
        // Unbuffered unless the key says otherwise.
        g_lpLogger->vSetFlushEachLine(!boReadDword(hKey, "LogNoBuffering", &dwValue) || dwValue != 0);
        RegCloseKey(hKey);
    }
    FdLib::Init(g_lpLogger);
}
} // namespace

void PlugLife::vStart()
{
    std::lock_guard<std::mutex> lock(g_lifeLock);
    if (g_iStarts++ > 0)
        return;
    vStartLogger();
    if (!g_boInitialized)
    {
        g_boInitialized = true;
        CPlugInst::vInitializeOnce(nullptr);
    }
}

void PlugLife::vStop()
{
    std::lock_guard<std::mutex> lock(g_lifeLock);
    if (g_iStarts == 0 || --g_iStarts > 0)
        return;
    FdLib::Close();
    if (g_lpLogger)
        g_lpLogger->vEnable(false);
    delete g_lpLogger;
    g_lpLogger = nullptr;
}
