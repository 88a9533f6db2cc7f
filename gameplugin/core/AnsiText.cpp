#include "AnsiText.h"

#include <climits>

#include "TextCase.h"

int iAnsiCompareNoCase(const char* a, const char* b)
{
    return FdText::CompareCp1252NoCase(a, b);
}

bool boAnsiEqualNoCase(const char* a, size_t na, const char* b, size_t nb)
{
    return FdText::EqualsCp1252NoCase(std::string_view(a, na), std::string_view(b, nb));
}

int32_t lParseDecimal(const char* lpszText)
{
    if (!lpszText)
        return 0;
    const char* p = lpszText;
    while (*p == ' ' || (*p >= '\t' && *p <= '\r'))
        ++p;
    bool boNegative = false;
    if (*p == '+' || *p == '-')
        boNegative = (*p++ == '-');
    int64_t llValue = 0;
    const int64_t llLimit = boNegative ? -static_cast<int64_t>(INT32_MIN) : INT32_MAX;
    for (; *p >= '0' && *p <= '9'; ++p)
    {
        llValue = llValue * 10 + (*p - '0');
        if (llValue > llLimit)
            llValue = llLimit;
    }
    return static_cast<int32_t>(boNegative ? -llValue : llValue);
}
