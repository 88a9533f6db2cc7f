#include "PlugLife.h"

#include "PlugInst.h"
#include "PlugTrace.h"
#include "WinRegKey.h"

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

void vStartLogger()
{
    g_lpLogger = new CPlugLogger();
    g_lpLogger->vSetFolder(FdLib::CLogger::kszPlugInFolder);
    FdWin::CRegKey key;
    if (key.lOpen(HKEY_LOCAL_MACHINE, kszSuiteKey, KEY_READ) == ERROR_SUCCESS)
    {
        DWORD dwValue = 0;
        if (key.lQueryDword("LogToTextFile", &dwValue) == ERROR_SUCCESS)
            g_lpLogger->vEnable(dwValue != 0);
        // Unbuffered unless the key says otherwise.
        g_lpLogger->vSetFlushEachLine(key.lQueryDword("LogNoBuffering", &dwValue) != ERROR_SUCCESS ||
                                      dwValue != 0);
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
