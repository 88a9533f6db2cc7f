#include "WinErrorText.h"

#include "FdLibErrorText.h"

namespace
{
constexpr size_t kErrorTextRoom = 512;
}

std::string strErrorText(uint32_t dwCode)
{
    char sz[kErrorTextRoom];
    vGetErrorText(dwCode, sz, sizeof sz, nullptr);
    std::string s = sz;
    // System texts end with a line break.
    while (!s.empty() && (s.back() == '\n' || s.back() == '\r'))
        s.pop_back();
    return s;
}
