#include "NumberText.h"

#include <cstdlib>

#include "TextUtil.h"

bool IsNumberText(const std::string& text)
{
    bool seenDot = false;
    for (size_t i = 0; i < text.size(); ++i)
    {
        const char c = text[i];
        if (c >= '0' && c <= '9')
            continue;
        if ((c == '+' || c == '-') && i == 0)
            continue;
        if (c == '.' && !seenDot)
        {
            seenDot = true;
            continue;
        }
        return false;
    }
    return true;
}

bool IsValueInRange(const std::string& value, const std::string& lower, bool lowerInclusive,
                    const std::string& upper, bool upperInclusive, bool forceNumeric, bool forceText)
{
    const CStringExt v = TrimmedCopy(value);
    const CStringExt lo = TrimmedCopy(lower);
    const CStringExt hi = TrimmedCopy(upper);
    const bool numeric = !forceText && (forceNumeric || (IsNumberText(lo) && IsNumberText(hi)));

    // cmp(a, b) < 0 when a sorts before b.
    auto cmp = [numeric](const std::string& a, const std::string& b)
    {
        if (!numeric)
            return CompareNoCase(a, b);
        const double x = TextToDouble(a.c_str());
        const double y = TextToDouble(b.c_str());
        return x < y ? -1 : (x > y ? 1 : 0);
    };

    if (!lo.empty())
    {
        const int c = cmp(v, lo);
        if (lowerInclusive ? c < 0 : c <= 0)
            return false;
    }
    if (!hi.empty())
    {
        const int c = cmp(v, hi);
        if (upperInclusive ? c > 0 : c >= 0)
            return false;
    }
    return true;
}

int32_t TextToInt32(const char* text)
{
    if (text == nullptr)
        return 0;
    const char* p = text;
    while (IsSpaceChar(*p))
        ++p;
    bool negative = false;
    if (*p == '+' || *p == '-')
        negative = (*p++ == '-');
    int64_t value = 0;
    while (*p >= '0' && *p <= '9')
    {
        value = value * 10 + (*p++ - '0');
        if (value > static_cast<int64_t>(INT32_MAX) + 1)
            value = static_cast<int64_t>(INT32_MAX) + 1;
    }
    if (negative)
        value = -value;
    if (value > INT32_MAX)
        value = INT32_MAX;
    return static_cast<int32_t>(value);
}

double TextToDouble(const char* text)
{
    return text == nullptr ? 0.0 : std::strtod(text, nullptr);
}
