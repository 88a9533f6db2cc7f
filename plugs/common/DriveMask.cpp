#include "DriveMask.h"

#include <cstdio>

uint32_t dwDriveNibble(uint32_t dwDriveType)
{
    switch (dwDriveType)
    {
    case kDriveTypeFixed:
        return kDriveNibbleFixed;
    case kDriveTypeNetwork:
        return kDriveNibbleNetwork;
    case kDriveTypeCdrom:
        return kDriveNibbleCdrom;
    case kDriveTypeRemovable:
        return kDriveNibbleRemovable;
    default:
        return 0;
    }
}

bool boNibbleSet(uint32_t dwMask, uint32_t dwNibble)
{
    return dwNibble != 0 && (dwMask & dwNibble) == dwNibble;
}

bool boDriveTypeSelected(uint32_t dwMask, uint32_t dwDriveType)
{
    return boNibbleSet(dwMask, dwDriveNibble(dwDriveType));
}

uint32_t dwMaskAfterCheck(uint32_t dwMask, uint32_t dwNibble, bool boChecked)
{
    if (boChecked)
        return dwMask | dwNibble;
    return boNibbleSet(dwMask, dwNibble) ? dwMask & ~dwNibble : dwMask;
}

uint32_t dwUpdateSearchMask(uint32_t dwStoredMask)
{
    return dwStoredMask | kDriveNibbleFixed;
}

uint32_t dwDriveMaskFromText(const std::string& strText)
{
    size_t i = 0;
    while (i < strText.size() && (strText[i] == ' ' || strText[i] == '\t'))
        ++i;
    bool boNegative = false;
    if (i < strText.size() && (strText[i] == '-' || strText[i] == '+'))
        boNegative = strText[i++] == '-';
    // Wraps like the 32-bit value it was written from; longer texts keep the low bits.
    uint32_t dwValue = 0;
    for (; i < strText.size() && strText[i] >= '0' && strText[i] <= '9'; ++i)
        dwValue = dwValue * 10u + static_cast<uint32_t>(strText[i] - '0');
    return boNegative ? 0u - dwValue : dwValue;
}

std::string strDriveMaskText(uint32_t dwMask)
{
    char szText[16];
    std::snprintf(szText, sizeof szText, "%d", static_cast<int32_t>(dwMask));
    return szText;
}
