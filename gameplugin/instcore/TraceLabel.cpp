#include "TraceLabel.h"

#include <cstdio>

namespace TraceLabel
{

void vBuild(char* lpszOut, const char* lpszName, uint32_t dwIdentity)
{
    const char* lpszShown = lpszName && *lpszName ? lpszName : kszNoName;
    // At most 12 + 1 + 8 = 21 characters, then blanks up to 21.
    const int n = std::snprintf(lpszOut, kLabelLength + 1, "%.*s_%.8X", static_cast<int>(kNameMax), lpszShown,
                                static_cast<unsigned>(dwIdentity));
    for (size_t i = n > 0 ? static_cast<size_t>(n) : 0; i < kLabelLength; ++i)
        lpszOut[i] = ' ';
    lpszOut[kLabelLength] = '\0';
}

} // namespace TraceLabel
