#include "PathRules.h"

#include <cstring>
#include <cwchar>
#include <vector>

namespace PathRules
{
namespace
{
constexpr const char* kaszReservedNames[] = {"CON",  "PRN",  "AUX",  "CLOCK$", "NUL",  "COM1", "COM2", "COM3",
                                             "COM4", "COM5", "COM6", "COM7",   "COM8", "COM9", "LPT1", "LPT2",
                                             "LPT3", "LPT4", "LPT5", "LPT6",   "LPT7", "LPT8", "LPT9"};
constexpr wchar_t kFirstPrintable = 0x20;
constexpr const wchar_t* kszRefusedChars = L"/*?\"<>|";

wchar_t wcUpper(wchar_t c)
{
    return c >= L'a' && c <= L'z' ? static_cast<wchar_t>(c - L'a' + L'A') : c;
}

bool boIsReservedName(const std::wstring& strPart)
{
    const size_t ulDot = strPart.find(L'.');
    const std::wstring strName = strPart.substr(0, ulDot);
    for (const char* lpszReserved : kaszReservedNames)
    {
        const size_t n = std::strlen(lpszReserved);
        if (strName.size() != n)
            continue;
        size_t i = 0;
        while (i < n && wcUpper(strName[i]) == static_cast<wchar_t>(lpszReserved[i]))
            ++i;
        if (i == n)
            return true;
    }
    return false;
}

bool boHasRefusedCharacter(const std::wstring& strPath)
{
    for (size_t i = 0; i < strPath.size(); ++i)
    {
        const wchar_t c = strPath[i];
        if (c < kFirstPrintable || std::wcschr(kszRefusedChars, c))
            return true;
        // A drive letter's colon only.
        if (c == L':' && !(i == 1 && ((wcUpper(strPath[0]) >= L'A' && wcUpper(strPath[0]) <= L'Z'))))
            return true;
    }
    return false;
}
} // namespace

bool bValidatePathName(const wchar_t* lpwszPath)
{
    if (!lpwszPath)
        return false;
    const size_t ulLength = std::wcslen(lpwszPath);
    if (ulLength == 0 || ulLength > kPathMax)
        return false;
    std::wstring strPath(lpwszPath, ulLength);
    if (boHasRefusedCharacter(strPath))
        return false;
    size_t ulBegin = strPath[0] == L'\\' ? 1 : 0;
    size_t ulEnd = strPath.size();
    if (ulEnd > ulBegin && strPath[ulEnd - 1] == L'\\')
        --ulEnd;
    std::vector<std::wstring> parts;
    if (ulEnd > ulBegin)
    {
        size_t ulStart = ulBegin;
        for (;;)
        {
            const size_t ulSlash = strPath.find(L'\\', ulStart);
            if (ulSlash == std::wstring::npos || ulSlash >= ulEnd)
            {
                parts.push_back(strPath.substr(ulStart, ulEnd - ulStart));
                break;
            }
            parts.push_back(strPath.substr(ulStart, ulSlash - ulStart));
            ulStart = ulSlash + 1;
        }
    }
    if (parts.size() > kPartsMax)
        return false;
    for (const std::wstring& strPart : parts)
    {
        if (strPart.find(L'.') != std::wstring::npos && strPart.find_first_not_of(L'.') == std::wstring::npos)
            return false;
        if (boIsReservedName(strPart))
            return false;
    }
    return true;
}

bool boIsSafeRelativePath(const char* lpszPath)
{
    if (!lpszPath || !*lpszPath)
        return false;
    if (lpszPath[0] == '\\' || lpszPath[0] == '/')
        return false;
    return std::strchr(lpszPath, ':') == nullptr && std::strstr(lpszPath, "..") == nullptr;
}

std::string strFileNamePart(const std::string& strPath)
{
    const size_t ulSlash = strPath.find_last_of("\\/");
    return ulSlash == std::string::npos ? strPath : strPath.substr(ulSlash + 1);
}

} // namespace PathRules
