// The members of CStringExt that convert through the Windows API.
#include <windows.h>
#include <oleauto.h>

#include "StringExt.h"

#include <cwchar>
#include <stdexcept>

#include "WinText.h"

namespace
{
// Strings of a string table come in blocks of 16 ids.
constexpr uint32_t kStringsPerBlock = 16;
// A pointer value below 64K is a resource id, as IS_INTRESOURCE tests it.
bool IsResourceId(const void* p)
{
    return (reinterpret_cast<uintptr_t>(p) >> 16) == 0;
}
} // namespace

CStringExt::CStringExt(const wchar_t* wide)
{
    if (wide == nullptr)
        return;
    if (IsResourceId(wide))
    {
        LoadString(static_cast<uint32_t>(reinterpret_cast<uintptr_t>(wide)));
        return;
    }
    assign(WideToAnsi(wide, std::wcslen(wide)));
}

#pragma push_macro("LoadString")
#undef LoadString
bool CStringExt::LoadString(uint32_t id)
#pragma pop_macro("LoadString")
{
    clear();
    const HMODULE module = GetExeModuleHandle();
    const uint32_t block = id / kStringsPerBlock + 1;
    if (FindResourceA(module, MAKEINTRESOURCEA(block), MAKEINTRESOURCEA(6)) == nullptr)
        return false;
    // With a zero buffer size LoadStringW hands out the resource's own text and its
    // length, so texts of any length come out whole.
    const wchar_t* text = nullptr;
    const int length = LoadStringW(module, id, reinterpret_cast<LPWSTR>(&text), 0);
    if (length > 0 && text != nullptr)
        assign(WideToAnsi(text, static_cast<size_t>(length)));
    return true;
}

wchar_t* CStringExt::SetSysString(wchar_t** out) const
{
    const std::wstring wide = AnsiToWide(*this);
    if (!SysReAllocStringLen(out, wide.c_str(), static_cast<UINT>(wide.size())))
        throw std::runtime_error("out of memory");
    return *out;
}
