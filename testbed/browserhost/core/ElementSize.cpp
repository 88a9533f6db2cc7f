#include "ElementSize.h"

namespace FdBrowserHost
{
uint32_t dwElementLength(const std::string* pValue, uint32_t dwDefault, uint32_t dwAvailable)
{
    if (!pValue)
        return dwDefault;
    const std::string& s = *pValue;
    std::size_t i = 0;
    while (i < s.size() && (s[i] == ' ' || s[i] == '\t'))
        ++i;
    uint64_t n = 0;
    const std::size_t start = i;
    while (i < s.size() && s[i] >= '0' && s[i] <= '9' && n <= kMaxElementSide * 100ull)
        n = n * 10 + static_cast<uint64_t>(s[i++] - '0');
    if (i == start)
        return dwDefault;
    if (i < s.size() && s[i] == '%')
        n = n * dwAvailable / 100;
    return n > kMaxElementSide ? kMaxElementSide : static_cast<uint32_t>(n);
}
} // namespace FdBrowserHost
