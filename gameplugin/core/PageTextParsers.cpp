#include "PageTextParsers.h"

#include "AnsiText.h"

#include <cstring>

#include "HexDigits.h"

namespace
{
constexpr size_t kColourDigits = 6;
constexpr int kFontSeparators = 3;

// Bytes before the first NUL, reading no further than ulMax bytes.
size_t ulBoundedLength(const char* p, size_t ulMax)
{
    size_t n = 0;
    while (n < ulMax && p[n] != 0)
        ++n;
    return n;
}

} // namespace

uint32_t dwParseHex(const char* lpszText, size_t ulLength)
{
    if (!lpszText)
        return 0;
    const size_t n = ulBoundedLength(lpszText, ulLength);
    uint32_t dwValue = 0;
    uint32_t dwWeight = 1;
    for (size_t i = n; i-- > 0;)
    {
        // A byte that is no hex digit counts as 0.
        const int iDigit = FdText::HexDigitValue(lpszText[i]);
        dwValue += static_cast<uint32_t>(iDigit < 0 ? 0 : iDigit) * dwWeight;
        dwWeight *= 16;
    }
    return dwValue;
}

uint32_t dwParseColour(const char* lpszText)
{
    if (!lpszText)
        return 0;
    if (lpszText[0] != '#')
        return static_cast<uint32_t>(lParseDecimal(lpszText));
    char szRgb[kColourDigits];
    std::memset(szRgb, '0', sizeof szRgb);
    const size_t n = ulBoundedLength(lpszText + 1, kColourDigits);
    std::memcpy(szRgb, lpszText + 1, n);
    // RRGGBB becomes BBGGRR so that red lands in the low byte.
    const char szBgr[kColourDigits] = {szRgb[4], szRgb[5], szRgb[2], szRgb[3], szRgb[0], szRgb[1]};
    return dwParseHex(szBgr, sizeof szBgr);
}

void vParseFontText(const char* lpszText, CFontTextRecord* lpRecord)
{
    if (!lpszText || !lpRecord)
        return;
    const char* apSep[kFontSeparators];
    const char* p = lpszText;
    for (int i = 0; i < kFontSeparators; ++i)
    {
        apSep[i] = std::strchr(p, ';');
        if (!apSep[i])
            return;
        p = apSep[i] + 1;
    }
    size_t ulFace = static_cast<size_t>(apSep[0] - lpszText);
    if (ulFace > CFontTextRecord::kFaceMax)
        ulFace = CFontTextRecord::kFaceMax;
    std::memcpy(lpRecord->szFace, lpszText, ulFace);
    lpRecord->szFace[ulFace] = 0;
    // Each number ends at its ";" (or the text's end), where atol stops anyway.
    lpRecord->lFirst = lParseDecimal(apSep[0] + 1);
    lpRecord->lSecond = lParseDecimal(apSep[1] + 1);
    lpRecord->lThird = lParseDecimal(apSep[2] + 1);
}
