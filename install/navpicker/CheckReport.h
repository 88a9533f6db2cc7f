#pragma once
// The pieces of the installation check report: banner, rules and section
// boxes, registry value lines, error texts and the system's description.
#include <cstddef>
#include <cstdint>
#include <string>

namespace FdNavReport
{
extern const char kszCrLf[];
// 67 '*' and CR LF.
std::string strRule();
// Two rules, the "**" line, the title line, the "**" line and two rules.
std::string strSectionBox(const char* lpszTitleLine);
// The title lines of the four sections, 67 characters each.
extern const char kszTitleSystem[];
extern const char kszTitleRegistry[];
extern const char kszTitleFileSystem[];
extern const char kszTitleMail[];

// The greeting the report starts with, then CR LF CR LF.
std::string strBanner();

// Registry value types as the registry numbers them.
constexpr uint32_t kRegNone = 0, kRegSz = 1, kRegExpandSz = 2, kRegBinary = 3, kRegDword = 4,
                   kRegDwordBigEndian = 5, kRegLink = 6, kRegMultiSz = 7, kRegResourceList = 8,
                   kRegQword = 11;
// indentation + name ("(default)" when empty) + type tag + data + CR LF. Binary
// data as two upper-case hexadecimal digits per byte; both DWORD kinds as the
// 32-bit value in machine order (bytes missing from a short value count as 0)
// with "%ld"; everything else as text up to its first zero byte, never past
// ulSize bytes.
std::string strValueLine(const std::string& strIndent, const std::string& strName, uint32_t dwType,
                         const uint8_t* lpData, size_t ulSize);

// " Erreur <n> - <system message>"; strErrorNumber stops after the number.
std::string strErrorText(int32_t lError, const std::string& strSystemMessage);
std::string strErrorNumber(int32_t lError);

// What the system says of its version.
struct SOsVersion
{
    uint32_t dwPlatformId = 2; // 0 Win32s, 1 Windows 9x, 2 Windows NT
    uint32_t dwMajor = 0;
    uint32_t dwMinor = 0;
    uint32_t dwBuild = 0;
    std::string strService; // the service-pack text (" B" style letters on 9x)
    // The extended record (product type and suites) was available.
    bool boExtended = false;
    uint8_t byProductType = 0; // 1 workstation, 2 domain controller, 3 server
    uint16_t wSuiteMask = 0;
    // Without the extended record: HKLM ProductOptions "ProductType".
    std::string strProductOption;
};
constexpr uint32_t kPlatformWin32s = 0, kPlatformWindows = 1, kPlatformNt = 2;
constexpr uint8_t kProductWorkstation = 1, kProductServer = 3;
constexpr uint16_t kSuiteEnterprise = 0x0002, kSuiteDataCenter = 0x0080, kSuitePersonal = 0x0200;
// The system line(s) of the SYSTEM section.
std::string strSystemDescription(const SOsVersion& version);
} // namespace FdNavReport
