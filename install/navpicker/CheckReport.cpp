#include "CheckReport.h"

#include "AnsiText.h"
#include "HexDigits.h"

#include <cstdio>
#include <cstring>

namespace FdNavReport
{
const char kszCrLf[] = "\r\n";
const char kszTitleSystem[] = "**                       SYSTEM                                  **";
const char kszTitleRegistry[] = "**                      REGISTRY                                 **";
const char kszTitleFileSystem[] = "**                     FILE SYSTEM                               **";
const char kszTitleMail[] = "**                        MAIL                                   **";

namespace
{
constexpr size_t kRuleWidth = 67;

std::string strFormatLong(const char* lpszFormat, long lValue)
{
    char sz[32];
    std::snprintf(sz, sizeof sz, lpszFormat, lValue);
    return sz;
}

// The letter of a Windows 9x service text (" B", " C", " A").
char cServiceLetter(const std::string& strService)
{
    for (char c : strService)
    {
        if (c != ' ')
            return c;
    }
    return '\0';
}
} // namespace

std::string strRule()
{
    return std::string(kRuleWidth, '*') + kszCrLf;
}

std::string strSectionBox(const char* lpszTitleLine)
{
    const std::string strStars = "**" + std::string(kRuleWidth - 4, ' ') + "**" + kszCrLf;
    return strRule() + strRule() + strStars + lpszTitleLine + kszCrLf + strStars + strRule() + strRule();
}

std::string strBanner()
{
    std::string s;
    s += ">>>>>>> Résultats de la vérification de l'installation de Zelto <<<<<<<<\r\n";
    s += ">>>>>>>>>>>>>>> Results of the check of Zelto <<<<<<<<<<<<<<<<<\r\n\r\n";
    s += "Merci d'insérer ici la description, aussi précise que possible, de votre\r\n";
    s += "problème.\r\n\r\n";
    s += "Thank you to insert here any comments that could help us to find out what is\r\n";
    s += "going wrong with Zelto on your computer.\r\n\r\n";
    s += std::string(26, '>') + std::string(29, '<') + kszCrLf;
    s += "\r\n\r\n";
    return s;
}

std::string strValueLine(const std::string& strIndent, const std::string& strName, uint32_t dwType,
                         const uint8_t* lpData, size_t ulSize)
{
    if (!lpData)
        ulSize = 0;
    std::string s = strIndent + (strName.empty() ? std::string("(default)") : strName);
    switch (dwType)
    {
    case kRegNone:
        s += ":NONE=";
        break;
    case kRegSz:
        s += ":SZ=";
        break;
    case kRegExpandSz:
        s += ":EXPAND_SZ=";
        break;
    case kRegBinary:
        s += ":BINARY=";
        break;
    case kRegDword:
        s += ":DWORD=";
        break;
    case kRegDwordBigEndian:
        s += ":DWORD_BIG_ENDIAN=";
        break;
    case kRegLink:
        s += ":LINK=";
        break;
    case kRegMultiSz:
        s += ":MULTI_SZ=";
        break;
    case kRegResourceList:
        s += ":RESOURCE_LIST=";
        break;
    case kRegQword:
        s += ":QWORD=";
        break;
    default:
        s += ":?#";
        break;
    }
    if (dwType == kRegBinary)
    {
        FdText::AppendHexBytes(s, lpData, ulSize, FdText::HexCase::kUpper);
    }
    else if (dwType == kRegDword || dwType == kRegDwordBigEndian)
    {
        uint8_t aBytes[4] = {0, 0, 0, 0};
        std::memcpy(aBytes, lpData ? lpData : aBytes, ulSize < 4 ? ulSize : 4);
        const uint32_t dw = static_cast<uint32_t>(aBytes[0]) | (static_cast<uint32_t>(aBytes[1]) << 8) |
                            (static_cast<uint32_t>(aBytes[2]) << 16) |
                            (static_cast<uint32_t>(aBytes[3]) << 24);
        s += strFormatLong("%ld", static_cast<long>(static_cast<int32_t>(dw)));
    }
    else if (ulSize > 0)
    {
        const void* lpZero = std::memchr(lpData, 0, ulSize);
        const size_t ulText =
            lpZero ? static_cast<size_t>(static_cast<const uint8_t*>(lpZero) - lpData) : ulSize;
        s.append(reinterpret_cast<const char*>(lpData), ulText);
    }
    return s + kszCrLf;
}

std::string strErrorNumber(int32_t lError)
{
    return " Erreur " + strFormatLong("%ld", static_cast<long>(lError));
}

std::string strErrorText(int32_t lError, const std::string& strSystemMessage)
{
    return strErrorNumber(lError) + " - " + strSystemMessage;
}

std::string strSystemDescription(const SOsVersion& v)
{
    std::string s;
    if (v.dwPlatformId == kPlatformWin32s)
        return "Microsoft Win32s ";
    if (v.dwPlatformId == kPlatformWindows)
    {
        const char c = cServiceLetter(v.strService);
        if (v.dwMajor == 4 && v.dwMinor == 0)
        {
            s = "Microsoft Windows 95 ";
            if (c == 'B' || c == 'C')
                s += "OSR2 ";
        }
        else if (v.dwMajor == 4 && v.dwMinor == 10)
        {
            s = "Microsoft Windows 98 ";
            if (c == 'A')
                s += "SE ";
        }
        else if (v.dwMajor == 4 && v.dwMinor == 90)
        {
            s = "Microsoft Windows Me ";
        }
        return s;
    }
    if (v.dwPlatformId != kPlatformNt)
        return s;
    if (v.dwMajor <= 4)
        s = "Microsoft Windows NT ";
    else if (v.dwMajor == 5 && v.dwMinor == 0)
        s = "Microsoft Windows 2000 ";
    else if (v.dwMajor == 5 && v.dwMinor == 1)
        s = "Microsoft Windows XP ";
    if (v.boExtended)
    {
        if (v.byProductType == kProductWorkstation)
            s += (v.wSuiteMask & kSuitePersonal) ? "Personal " : "Professional ";
        else if (v.byProductType == kProductServer)
            s += (v.wSuiteMask & kSuiteDataCenter)   ? "DataCenter Server "
                 : (v.wSuiteMask & kSuiteEnterprise) ? "Advanced Server "
                                                     : "Server ";
    }
    else
    {
        const char* lpsz = v.strProductOption.c_str();
        if (boAnsiEqualNoCase(lpsz, "WINNT"))
            s += "Professional ";
        else if (boAnsiEqualNoCase(lpsz, "LANMANNT"))
            s += "Server ";
        else if (boAnsiEqualNoCase(lpsz, "SERVERNT"))
            s += "Advanced Server ";
    }
    char sz[512];
    const int iBuild = static_cast<int>(v.dwBuild & 0xFFFF);
    if (v.dwMajor > 4)
        std::snprintf(sz, sizeof sz, "%s (Build %d)\n", v.strService.c_str(), iBuild);
    else
        std::snprintf(sz, sizeof sz, "version %d.%d %s (Build %d)\n", static_cast<int>(v.dwMajor),
                      static_cast<int>(v.dwMinor), v.strService.c_str(), iBuild);
    return s + sz;
}
} // namespace FdNavReport
