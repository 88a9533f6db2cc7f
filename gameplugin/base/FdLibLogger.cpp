#include "FdLibLogger.h"

#include "ExceptionBase.h"
#include "LogFormat.h"

#include <cstdio>
#include <mutex>
#include <string>

namespace FdLib
{
namespace
{
constexpr char kszClosingLine[] = "###Fin du logging\r\n";
constexpr char kszInitLine[] = "FdLib::Init : initialisation de la librairie Ok";
constexpr char kszCloseLine[] = "FdLib::Close : fermeture de la librairie Ok";

std::mutex g_libraryLock;
CLogger* g_lpLibraryLogger = nullptr;
long g_lUsers = 0;
} // namespace

CLogger::CLogger(const char* lpszPrefix, uint32_t dwFlushPeriodSeconds) : CTxtFileLogger(kBufferSize)
{
    FdBase::vCopyBounded(m_szFilePrefix, kPrefixMax, lpszPrefix);
    vSetFolder(m_szFilePrefix);
    vSetHourly(true);
    vSetFlushPeriodMs(dwFlushPeriodSeconds * 1000);
}

CLogger::~CLogger()
{
    if (m_boClosingLine)
    {
        vLog(kszClosingLine, -1, 0, true);
        vFlush();
        vEnable(false);
    }
}

const char* CLogger::lpszBuildPrefix(uint32_t dwLevel, bool boHeader)
{
    const DWORD dwThreadId = GetCurrentThreadId();
    const FdSystem::SLocalTime now = Clock().GetLocalTime();
    if (!boHeader || dwLevel == 0)
    {
        FdMisc::vFormatNamedPrefix(m_szPrefix, sizeof m_szPrefix, boHeader, now, dwThreadId,
                                   lpszGetThreadName(dwThreadId), iGetIndent());
        return m_szPrefix;
    }
    char szDate[16], szTime[16];
    FdMisc::vFormatLogDate(szDate, now);
    FdMisc::vFormatLogTimeMs(szTime, now);
    static const std::string s_strBlanks(FdMisc::kLogIndentMax, ' ');
    int iIndent = iGetIndent();
    if (iIndent > FdMisc::kLogIndentMax)
        iIndent = FdMisc::kLogIndentMax;
    std::snprintf(m_szPrefix, sizeof m_szPrefix, "\r\n%s %s %.5d %s %.8X - %.*s", szDate, szTime,
                  static_cast<int>(dwThreadId), lpszGetThreadName(dwThreadId), static_cast<unsigned>(dwLevel),
                  iIndent < 0 ? 0 : iIndent, s_strBlanks.c_str());
    return m_szPrefix;
}

bool Init(CLogger* lpLogger)
{
    std::lock_guard<std::mutex> lock(g_libraryLock);
    if (g_lUsers++ == 0)
    {
        g_lpLibraryLogger = lpLogger;
        if (lpLogger)
            lpLogger->vLog(kszInitLine, -1, 0, true);
    }
    return true;
}

bool Close()
{
    std::lock_guard<std::mutex> lock(g_libraryLock);
    if (g_lUsers == 0)
        return true;
    if (--g_lUsers == 0)
    {
        if (g_lpLibraryLogger)
            g_lpLibraryLogger->vLog(kszCloseLine, -1, 0, true);
        g_lpLibraryLogger = nullptr;
    }
    return true;
}

CLogger* lpGetLogger()
{
    std::lock_guard<std::mutex> lock(g_libraryLock);
    return g_lpLibraryLogger;
}

} // namespace FdLib
