#include "VersionText.h"

#include <climits>
#include <cstdio>
#include <cstring>
#include <string>

namespace
{
constexpr size_t kNormalisedRoom = 128; // dotted form inside the comparison code
constexpr size_t kCompareRoom = 64;     // dotted form inside a comparison (63 characters)
constexpr size_t kComponentMax = 63;    // characters of one component
constexpr int kCodeComponents = 4;
constexpr int kCodeComponentMax = 99;

bool boIsDigit(char c)
{
    return c >= '0' && c <= '9';
}
bool boIsBlank(char c)
{
    return c == ' ' || c == '\t';
}
bool boIsSeparator(char c)
{
    return c == '.' || c == ',';
}

bool boAllDigits(const char* p, size_t n)
{
    for (size_t i = 0; i < n; ++i)
    {
        if (!boIsDigit(p[i]))
            return false;
    }
    return true;
}

void vCopyCut(char* lpszOut, size_t ulOutSize, const std::string& str)
{
    if (ulOutSize == 0)
        return;
    const size_t n = str.size() < ulOutSize - 1 ? str.size() : ulOutSize - 1;
    std::memcpy(lpszOut, str.data(), n);
    lpszOut[n] = 0;
}

std::string strDotted(const char* lpszIn)
{
    if (!lpszIn)
        return std::string();
    const size_t n = std::strlen(lpszIn);
    char sz[32];
    if (n == 4 && boAllDigits(lpszIn, 4))
    {
        std::snprintf(sz, sizeof sz, "%01i.%01i.0.%02i", lpszIn[0] - '0', lpszIn[1] - '0',
                      (lpszIn[2] - '0') * 10 + (lpszIn[3] - '0'));
        return sz;
    }
    if (n == 8 && boAllDigits(lpszIn, 8))
    {
        std::snprintf(sz, sizeof sz, "%c%c.%c%c.%c%c.%c%c", lpszIn[0], lpszIn[1], lpszIn[2], lpszIn[3],
                      lpszIn[4], lpszIn[5], lpszIn[6], lpszIn[7]);
        return sz;
    }
    std::string str;
    for (const char* p = lpszIn; *p; ++p)
    {
        if (!boIsBlank(*p))
            str += *p;
    }
    return str;
}

// Value of the leading digits of a component, capped at 99.
int iCodeComponent(const char* p, const char* lpEnd)
{
    int iValue = 0;
    for (; p < lpEnd && boIsDigit(*p); ++p)
    {
        iValue = iValue * 10 + (*p - '0');
        if (iValue > kCodeComponentMax)
            return kCodeComponentMax;
    }
    return iValue;
}

// A component's number as its leading digits without leading zeros, so that
// numbers of any length compare by value.
struct SComponent
{
    std::string strDigits;
};

// Reads the component at `p` (blanks skipped, at most 63 characters kept) and
// moves past its separator.
SComponent readComponent(const char*& p)
{
    std::string strText;
    for (; *p && !boIsSeparator(*p); ++p)
    {
        if (!boIsBlank(*p) && strText.size() < kComponentMax)
            strText += *p;
    }
    if (*p)
        ++p; // the separator
    SComponent c;
    size_t i = 0;
    while (i < strText.size() && strText[i] == '0')
        ++i;
    for (; i < strText.size() && boIsDigit(strText[i]); ++i)
        c.strDigits += strText[i];
    return c;
}

int iCompareComponents(const SComponent& a, const SComponent& b)
{
    constexpr size_t kExactDigits = 18; // both fit a 64-bit difference
    if (a.strDigits.size() <= kExactDigits && b.strDigits.size() <= kExactDigits)
    {
        const long long llA = a.strDigits.empty() ? 0 : std::stoll(a.strDigits);
        const long long llB = b.strDigits.empty() ? 0 : std::stoll(b.strDigits);
        const long long llDiff = llA - llB;
        if (llDiff > INT_MAX)
            return INT_MAX;
        if (llDiff < -INT_MAX)
            return -INT_MAX;
        return static_cast<int>(llDiff);
    }
    if (a.strDigits.size() != b.strDigits.size())
        return a.strDigits.size() > b.strDigits.size() ? 1 : -1;
    const int iCmp = a.strDigits.compare(b.strDigits);
    return iCmp == 0 ? 0 : (iCmp > 0 ? 1 : -1);
}

// The dotted form as a comparison sees it: cut to 63 characters; an empty result
// falls back to the text as given.
std::string strForCompare(const char* lpsz)
{
    char sz[kCompareRoom];
    vCopyCut(sz, sizeof sz, strDotted(lpsz));
    return sz[0] ? std::string(sz) : std::string(lpsz);
}
} // namespace

void vNormaliseVersion(char* lpszOut, size_t ulOutSize, const char* lpszIn, int iMode)
{
    if (!lpszOut || ulOutSize == 0)
        return;
    if (iMode != kVersionModeCode)
    {
        vCopyCut(lpszOut, ulOutSize, strDotted(lpszIn));
        return;
    }
    char szDotted[kNormalisedRoom];
    vCopyCut(szDotted, sizeof szDotted, strDotted(lpszIn));
    int aiComponents[kCodeComponents] = {0, 0, 0, 0};
    const char* p = szDotted;
    for (int i = 0; i < kCodeComponents && *p; ++i)
    {
        const char* lpEnd = p;
        while (*lpEnd && !boIsSeparator(*lpEnd))
            ++lpEnd;
        aiComponents[i] = iCodeComponent(p, lpEnd);
        p = *lpEnd ? lpEnd + 1 : lpEnd;
    }
    char szCode[16];
    std::snprintf(szCode, sizeof szCode, "%02i%02i%02i%02i", aiComponents[0], aiComponents[1],
                  aiComponents[2], aiComponents[3]);
    vCopyCut(lpszOut, ulOutSize, szCode);
}

int iCompareVersions(const char* a, const char* b, int iDepth)
{
    if (iDepth < 0)
        return 0;
    if (!a || !b)
        return -1;
    const std::string strA = strForCompare(a);
    const std::string strB = strForCompare(b);
    const char* pa = strA.c_str();
    const char* pb = strB.c_str();
    for (; iDepth >= 0; --iDepth)
    {
        if (!*pa)
            return *pb ? -1 : 0;
        if (!*pb)
            return 1;
        const int iCmp = iCompareComponents(readComponent(pa), readComponent(pb));
        if (iCmp != 0)
            return iCmp;
    }
    return 0;
}
