#include "HubTrace.h"

#include <atomic>
#include <cstdarg>
#include <string>

#include "MessageDump.h"

namespace HubTrace
{

namespace
{
std::atomic<CLogger*> g_lpLogger{nullptr};
std::atomic<uint32_t> g_dwFlags{0};
} // namespace

void vSetLogger(CLogger* lpLogger, uint32_t dwLogFlags)
{
    g_dwFlags = dwLogFlags;
    g_lpLogger = lpLogger;
}

CLogger* lpLogger()
{
    return g_lpLogger.load();
}

bool boFlag(uint32_t dwFlag)
{
    return g_lpLogger.load() != nullptr && (g_dwFlags.load() & dwFlag) != 0;
}

void vLog(const char* lpszFormat, ...)
{
    CLogger* logger = g_lpLogger.load();
    if (logger == nullptr)
        return;
    va_list args;
    va_start(args, lpszFormat);
    logger->vPrintfV(0, true, lpszFormat, args);
    va_end(args);
}

void vDump(uint32_t dwFlag, const char* lpszTitle, const void* lpData, uint32_t ulSize)
{
    if (!boFlag(dwFlag))
        return;
    CLogger* logger = g_lpLogger.load();
    logger->vPrintf(0, true, "%s (%u octets)", lpszTitle, unsigned(ulSize));
    for (const std::string& line : HubRouting::DumpLines(static_cast<const uint8_t*>(lpData), ulSize))
        logger->vLog(line.c_str(), int(line.size()), 0, true);
}

void vNameThread(const char* lpszName)
{
    std::string name(lpszName);
    if (name.size() < kThreadNameWidth)
        name.append(kThreadNameWidth - name.size(), ' ');
    if (CLogger* logger = g_lpLogger.load())
        logger->vSetThreadName(GetCurrentThreadId(), name.c_str());
}

} // namespace HubTrace
