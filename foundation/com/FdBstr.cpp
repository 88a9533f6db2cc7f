#include "FdBstr.h"

namespace FdCom
{
CBstr::CBstr(const char* psz) : CBstr(std::string(psz ? psz : "")) {}

CBstr::CBstr(const std::string& str)
{
    int n = str.empty()
                ? 0
                : MultiByteToWideChar(CP_ACP, 0, str.data(), static_cast<int>(str.size()), nullptr, 0);
    m_bstr = SysAllocStringLen(nullptr, static_cast<UINT>(n));
    if (m_bstr && n)
        MultiByteToWideChar(CP_ACP, 0, str.data(), static_cast<int>(str.size()), m_bstr, n);
}

BSTR CBstr::bstrDetach()
{
    BSTR b = m_bstr;
    m_bstr = nullptr;
    return b;
}

BSTR* CBstr::pbstrOut()
{
    SysFreeString(m_bstr);
    m_bstr = nullptr;
    return &m_bstr;
}

std::string strGuidText(REFGUID guid)
{
    wchar_t wsz[40] = L"";
    const int n = StringFromGUID2(guid, wsz, 40);
    std::string s;
    for (int i = 0; i + 1 < n; ++i)
        s += static_cast<char>(wsz[i]); // the text is ASCII
    return s;
}

std::string strFromWide(const wchar_t* lpwsz)
{
    if (!lpwsz)
        return std::string();
    const int n = WideCharToMultiByte(CP_ACP, 0, lpwsz, -1, nullptr, 0, nullptr, nullptr);
    if (n <= 1)
        return std::string();
    std::string str(static_cast<std::size_t>(n - 1), '\0');
    WideCharToMultiByte(CP_ACP, 0, lpwsz, -1, &str[0], n - 1, nullptr, nullptr);
    return str;
}

std::wstring wstrFromAnsi(const std::string& str)
{
    if (str.empty())
        return std::wstring();
    const int n = MultiByteToWideChar(CP_ACP, 0, str.data(), static_cast<int>(str.size()), nullptr, 0);
    std::wstring w(static_cast<std::size_t>(n > 0 ? n : 0), L'\0');
    if (n > 0)
        MultiByteToWideChar(CP_ACP, 0, str.data(), static_cast<int>(str.size()), &w[0], n);
    return w;
}

std::string strFromBstr(BSTR bstr)
{
    UINT len = SysStringLen(bstr);
    if (!len)
        return std::string();
    int n = WideCharToMultiByte(CP_ACP, 0, bstr, static_cast<int>(len), nullptr, 0, nullptr, nullptr);
    std::string str(static_cast<std::size_t>(n), '\0');
    WideCharToMultiByte(CP_ACP, 0, bstr, static_cast<int>(len), &str[0], n, nullptr, nullptr);
    return str;
}
} // namespace FdCom
