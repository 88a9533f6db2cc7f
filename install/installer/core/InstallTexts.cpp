#include "InstallTexts.h"

#include "AnsiText.h"
#include "VersionText.h"

#include <cstring>

namespace FdInstall
{
namespace
{
constexpr size_t kDateTextLength = 19;
constexpr size_t kDateFields[6][2] = {{0, 2}, {3, 2}, {6, 4}, {11, 2}, {14, 2}, {17, 2}};
constexpr int64_t kTicksPerSecond = 10000000;
constexpr int64_t kSecondsPerDay = 86400;
constexpr int kFirstYear = 1601, kLastYear = 30827;
constexpr int kFileVersionParts = 4;
constexpr int kVersionTextDepth = 19; // 20 parts

bool boIsDigit(char c)
{
    return c >= '0' && c <= '9';
}

bool boLeapYear(int y)
{
    return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
}

int iDaysInMonth(int y, int m)
{
    static const int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return m == 2 && boLeapYear(y) ? 29 : kDays[m - 1];
}

// Days from 1601-01-01 to the given date (a proleptic Gregorian count).
int64_t llDaysFrom1601(int y, int m, int d)
{
    const int64_t yy = y - kFirstYear;
    int64_t days = yy * 365 + yy / 4 - yy / 100 + yy / 400;
    for (int i = 1; i < m; ++i)
        days += iDaysInMonth(y, i);
    return days + (d - 1);
}

struct SRoot
{
    const char* lpszName;
    ERegRoot eRoot;
};
const SRoot kRoots[] = {
    {"HKEY_CLASSES_ROOT", ERegRoot::ClassesRoot},
    {"HKEY_CURRENT_USER", ERegRoot::CurrentUser},
    {"HKEY_LOCAL_MACHINE", ERegRoot::LocalMachine},
    {"HKEY_USERS", ERegRoot::Users},
};

// Up to four numbers of a file version.
void vFileVersionParts(const std::string& str, uint64_t (&parts)[kFileVersionParts])
{
    for (uint64_t& p : parts)
        p = 0;
    int i = 0;
    for (char c : str)
    {
        if (c == ',' || c == '.')
        {
            if (++i == kFileVersionParts)
                return;
        }
        else if (boIsDigit(c) && parts[i] < UINT64_MAX / 20)
        {
            parts[i] = parts[i] * 10 + static_cast<uint64_t>(c - '0');
        }
    }
}
} // namespace

FileTime ftFromCalendar(int iYear, int iMonth, int iDay, int iHour, int iMinute, int iSecond)
{
    if (iYear < kFirstYear || iYear > kLastYear || iMonth < 1 || iMonth > 12 || iDay < 1 ||
        iDay > iDaysInMonth(iYear, iMonth) || iHour < 0 || iHour > 23 || iMinute < 0 || iMinute > 59 ||
        iSecond < 0 || iSecond > 59)
        return 0;
    const int64_t llSeconds =
        llDaysFrom1601(iYear, iMonth, iDay) * kSecondsPerDay + iHour * 3600 + iMinute * 60 + iSecond;
    return static_cast<FileTime>(llSeconds) * kTicksPerSecond;
}

FileTime ftParseDateText(const std::string& strText)
{
    if (strText.size() < kDateTextLength)
        return 0;
    int aiValues[6];
    for (int i = 0; i < 6; ++i)
    {
        int iValue = 0;
        for (size_t k = 0; k < kDateFields[i][1]; ++k)
        {
            const char c = strText[kDateFields[i][0] + k];
            if (!boIsDigit(c))
                return 0;
            iValue = iValue * 10 + (c - '0');
        }
        aiValues[i] = iValue;
    }
    // The hour is written one higher than meant, except hour 0, which stays: the
    // day never changes, so 00:30 and 01:30 both become 00:30.
    if (aiValues[3] > 23)
        return 0;
    const int iHour = aiValues[3] > 0 ? aiValues[3] - 1 : 0;
    return ftFromCalendar(aiValues[2], aiValues[1], aiValues[0], iHour, aiValues[4], aiValues[5]);
}

bool boSplitRegistryPath(const std::string& strPath, SRegPath& path)
{
    for (const SRoot& r : kRoots)
    {
        const size_t ulAt = strPath.find(r.lpszName);
        if (ulAt == std::string::npos)
            continue;
        const size_t ulAfter = ulAt + std::string(r.lpszName).size();
        path.eRoot = r.eRoot;
        // One separator character after the root's name, whatever it is.
        path.strSubKey = ulAfter < strPath.size() ? strPath.substr(ulAfter + 1) : std::string();
        return true;
    }
    return false;
}

int iCompareFileVersions(const std::string& a, const std::string& b)
{
    uint64_t pa[kFileVersionParts], pb[kFileVersionParts];
    vFileVersionParts(a, pa);
    vFileVersionParts(b, pb);
    for (int i = 0; i < kFileVersionParts; ++i)
    {
        if (pa[i] != pb[i])
            return pa[i] < pb[i] ? -1 : 1;
    }
    return 0;
}

int iCompareVersionTexts(const std::string& a, const std::string& b)
{
    return iCompareVersions(a.c_str(), b.c_str(), kVersionTextDepth);
}

std::vector<std::string> fieldsOf(const std::string& strLine)
{
    return fieldsOf(strLine, std::string::npos);
}

std::vector<std::string> fieldsOf(const std::string& strLine, size_t ulCount)
{
    std::vector<std::string> fields;
    size_t ulStart = 0;
    while (fields.size() + 1 < ulCount)
    {
        const size_t ulSemi = strLine.find(';', ulStart);
        if (ulSemi == std::string::npos)
            break;
        fields.push_back(strLine.substr(ulStart, ulSemi - ulStart));
        ulStart = ulSemi + 1;
    }
    fields.push_back(strLine.substr(ulStart));
    return fields;
}

bool boParseActionLine(const std::string& strLine, SActionLine& action)
{
    const size_t ulColon = strLine.find(':');
    if (ulColon == std::string::npos)
        return false;
    action.strVerb = strLine.substr(0, ulColon);
    action.strAfter = strLine.substr(ulColon + 1);
    action.lSlot = lParseDecimal(action.strAfter.c_str());
    const size_t ulSemi = strLine.find(';', ulColon + 1);
    action.boHasArgs = ulSemi != std::string::npos;
    action.strArgs = action.boHasArgs ? strLine.substr(ulSemi + 1) : std::string();
    return true;
}

std::string strDecimal(int64_t llValue)
{
    return std::to_string(llValue);
}
std::string strProgressLine(size_t ulFolder)
{
    static const char kMarkers[] = {'-', '\\', '|', '/'};
    const size_t ulStep = ulFolder / kProgressStep;
    std::string strLine(kProgressWidth, '.');
    strLine[ulStep % kProgressWidth] = kMarkers[ulStep % sizeof kMarkers];
    return strLine;
}

std::string strJoinPath(const std::string& strFolder, const std::string& strName)
{
    if (!strFolder.empty() && (strFolder.back() == '\\' || strFolder.back() == '/'))
        return strFolder + strName;
    return strFolder + "\\" + strName;
}

std::string strFileName(const std::string& strPath)
{
    const size_t ulAt = strPath.find_last_of("\\/");
    return ulAt == std::string::npos ? strPath : strPath.substr(ulAt + 1);
}

bool boIsWebAddress(const std::string& strText)
{
    for (const char* lpszScheme : {"http://", "https://"})
    {
        const size_t ulLength = std::strlen(lpszScheme);
        if (strText.size() > ulLength && boAnsiEqualNoCase(strText.substr(0, ulLength).c_str(), lpszScheme))
            return true;
    }
    return false;
}
} // namespace FdInstall
