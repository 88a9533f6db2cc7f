#include "NpFrameName.h"

#include <cstring>

namespace
{
constexpr const char kszBlank[] = "_blank";
constexpr size_t kBlankLength = sizeof kszBlank - 1;

bool boStartsWithBlank(const char* lpsz)
{
    for (size_t i = 0; i < kBlankLength; ++i)
    {
        char c = lpsz[i];
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
        if (c != kszBlank[i])
            return false;
    }
    return true;
}
} // namespace

std::string NpFrameName::strReduce(const char* lpszFrame)
{
    if (!lpszFrame)
        return std::string();
    const size_t ulLength = std::strlen(lpszFrame);
    if (ulLength > kBlankLength && boStartsWithBlank(lpszFrame))
        return std::string(lpszFrame + kBlankLength);
    const char* lpszDot = std::strrchr(lpszFrame, '.');
    return lpszDot ? std::string(lpszDot + 1) : std::string(lpszFrame);
}
