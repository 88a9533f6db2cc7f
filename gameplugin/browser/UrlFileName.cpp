#include "UrlFileName.h"

#include <cstring>

namespace
{
bool boForbidden(unsigned char c)
{
    return c < 0x20 || c == 0x7F || std::strchr("\\/:*?\"<>|%", c) != nullptr;
}

char cUpper(char c)
{
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

// CON, PRN, AUX, NUL, COM1-9, LPT1-9, alone or before an extension.
bool boDeviceName(const std::string& str)
{
    std::string strBase = str.substr(0, str.find('.'));
    for (char& c : strBase)
        c = cUpper(c);
    static const char* const kaszDevices[] = {"CON", "PRN", "AUX", "NUL", "CONIN$", "CONOUT$"};
    for (const char* lpsz : kaszDevices)
        if (strBase == lpsz)
            return true;
    return strBase.size() == 4 && (strBase.compare(0, 3, "COM") == 0 || strBase.compare(0, 3, "LPT") == 0) &&
           strBase[3] >= '0' && strBase[3] <= '9';
}
} // namespace

std::string UrlFileName::strFromUrl(const char* lpszUrl)
{
    if (!lpszUrl)
        return std::string();
    const size_t ulEnd = std::strcspn(lpszUrl, "?#");
    std::string strPath(lpszUrl, ulEnd);
    const size_t ulSlash = strPath.find_last_of('/');
    std::string strName = ulSlash == std::string::npos ? strPath : strPath.substr(ulSlash + 1);
    if (strName.empty() || strName.size() > kNameMax || strName == "." || strName == "..")
        return std::string();
    for (char c : strName)
        if (boForbidden(static_cast<unsigned char>(c)))
            return std::string();
    if (strName.back() == '.' || strName.back() == ' ' || boDeviceName(strName))
        return std::string();
    return strName;
}
