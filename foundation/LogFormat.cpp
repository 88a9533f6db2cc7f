#include "LogFormat.h"

#include <cstdio>

namespace FdMisc
{

bool CLogPeriod::boRolls(const FdSystem::SLocalTime& now, bool boHourly) const
{
    if (!boIsSet())
        return false;
    if (now.wYear != m_iYear || now.wMonth != m_iMonth || now.wDay != m_iDay)
        return true;
    return boHourly && now.wHour != m_iHour;
}

void CLogPeriod::vSet(const FdSystem::SLocalTime& now)
{
    m_iYear = now.wYear;
    m_iMonth = now.wMonth;
    m_iDay = now.wDay;
    m_iHour = now.wHour;
}

bool boFormatLogFileName(char* lpszOut, size_t n, const char* lpszFolder, const CLogPeriod& period,
                         bool boHourly)
{
    if (n == 0)
        return false;
    int len;
    if (boHourly)
        len = std::snprintf(lpszOut, n, "%s%.4d%.2d%.2d%.2d.log", lpszFolder ? lpszFolder : "",
                            period.iYear(), period.iMonth(), period.iDay(), period.iHour());
    else
        len = std::snprintf(lpszOut, n, "%s%.4d%.2d%.2d.log", lpszFolder ? lpszFolder : "", period.iYear(),
                            period.iMonth(), period.iDay());
    return len >= 0 && (size_t)len < n;
}

void vFormatLogDate(char* lpszOut, const FdSystem::SLocalTime& t)
{
    std::snprintf(lpszOut, 9, "%02d/%02d/%02d", t.wMonth % 100, t.wDay % 100, t.wYear % 100);
}

void vFormatLogTime(char* lpszOut, const FdSystem::SLocalTime& t)
{
    std::snprintf(lpszOut, 9, "%02d:%02d:%02d", t.wHour % 100, t.wMinute % 100, t.wSecond % 100);
}

void vFormatLogTimeMs(char* lpszOut, const FdSystem::SLocalTime& t)
{
    std::snprintf(lpszOut, 13, "%02d:%02d:%02d.%03d", t.wHour % 100, t.wMinute % 100, t.wSecond % 100,
                  t.wMilliseconds % 1000);
}

void vFormatBasePrefix(char* lpszOut, size_t n, bool boHeader, const FdSystem::SLocalTime& t,
                       uint32_t dwThreadId)
{
    if (n == 0)
        return;
    if (!boHeader)
    {
        std::snprintf(lpszOut, n, "\r\n");
        return;
    }
    char date[9], time[9];
    vFormatLogDate(date, t);
    vFormatLogTime(time, t);
    std::snprintf(lpszOut, n, "\r\n%s %s %ld ", date, time, (long)dwThreadId);
}

void vFormatNamedPrefix(char* lpszOut, size_t n, bool boHeader, const FdSystem::SLocalTime& t,
                        uint32_t dwThreadId, const char* lpszThreadName, int iIndent)
{
    if (n == 0)
        return;
    if (!boHeader)
    {
        std::snprintf(lpszOut, n, "\r\n");
        return;
    }
    static const char kSpaces[kLogIndentMax + 1] =
        "                                                                                                    "
        "                                                                                                    "
        "                                                        ";
    static_assert(sizeof(kSpaces) == kLogIndentMax + 1, "256 spaces");
    const int indent = iIndent < 0 ? 0 : (iIndent > kLogIndentMax ? kLogIndentMax : iIndent);
    char date[9], time[13];
    vFormatLogDate(date, t);
    vFormatLogTimeMs(time, t);
    std::snprintf(lpszOut, n, "\r\n%s %s %.5d %s - %.*s", date, time, (int)dwThreadId,
                  lpszThreadName ? lpszThreadName : "", indent, kSpaces);
}

} // namespace FdMisc
