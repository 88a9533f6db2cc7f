#include "WinText.h"

#include <climits>

std::wstring AnsiToWide(const std::string& text)
{
    if (text.empty() || text.size() > static_cast<size_t>(INT_MAX))
        return std::wstring();
    const int length = static_cast<int>(text.size());
    const int needed = MultiByteToWideChar(CP_ACP, 0, text.data(), length, nullptr, 0);
    if (needed <= 0)
        return std::wstring();
    std::wstring wide(static_cast<size_t>(needed), L'\0');
    MultiByteToWideChar(CP_ACP, 0, text.data(), length, &wide[0], needed);
    return wide;
}

CStringExt WideToAnsi(const wchar_t* text, size_t length)
{
    if (text == nullptr || length == 0 || length > static_cast<size_t>(INT_MAX))
        return CStringExt();
    const int wideLength = static_cast<int>(length);
    const int needed = WideCharToMultiByte(CP_ACP, 0, text, wideLength, nullptr, 0, nullptr, nullptr);
    if (needed <= 0)
        return CStringExt();
    CStringExt ansi(static_cast<size_t>(needed), '\0');
    WideCharToMultiByte(CP_ACP, 0, text, wideLength, &ansi[0], needed, nullptr, nullptr);
    return ansi;
}

HMODULE GetExeModuleHandle()
{
    static const HMODULE module = GetModuleHandleA(nullptr);
    return module;
}
