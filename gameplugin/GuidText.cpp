#include "GuidText.h"

#include <objbase.h>

namespace
{
constexpr int kGuidTextRoom = 40;
}

std::string strGuidText(REFGUID guid)
{
    wchar_t wsz[kGuidTextRoom] = L"";
    const int n = StringFromGUID2(guid, wsz, kGuidTextRoom);
    std::string s;
    for (int i = 0; i + 1 < n; ++i)
        s += static_cast<char>(wsz[i]); // the text is ASCII
    return s;
}
