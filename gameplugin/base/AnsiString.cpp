#include "AnsiString.h"

#include <cwchar>

CAnsiString::CAnsiString(const wchar_t* lpwsz)
{
    if (!lpwsz)
        return;
    const size_t ulWide = std::wcslen(lpwsz);
    const size_t ulRoom = ulWide * 2 + 1;
    m_lpsz.reset(new char[ulRoom]);
    m_lpsz[0] = 0;
    if (ulWide == 0)
        return;
    const int n = WideCharToMultiByte(CP_ACP, 0, lpwsz, static_cast<int>(ulWide), m_lpsz.get(),
                                      static_cast<int>(ulRoom - 1), nullptr, nullptr);
    m_lpsz[n > 0 ? n : 0] = 0;
}
