// Owning BSTR and the conversions between BSTR (UTF-16) and the programs'
// 8-bit ANSI text.
#pragma once

#include <windows.h>
#include <oleauto.h>
#include <string>

namespace FdCom
{
class CBstr
{
public:
    CBstr() = default;
    explicit CBstr(const char* psz);        // copy of ANSI text
    explicit CBstr(const std::string& str); // copy of ANSI text, embedded NULs kept
    CBstr(const CBstr&) = delete;
    CBstr& operator=(const CBstr&) = delete;
    ~CBstr() { SysFreeString(m_bstr); }

    BSTR bstr() const { return m_bstr; }
    // Gives up ownership.
    BSTR bstrDetach();
    // Frees the current string and returns where a callee may store one.
    BSTR* pbstrOut();

private:
    BSTR m_bstr = nullptr;
};

// ANSI copy of a BSTR (null gives ""); characters with no ANSI form become '?'.
std::string strFromBstr(BSTR bstr);

// ANSI copy of a NUL-terminated wide text (null gives "").
std::string strFromWide(const wchar_t* lpwsz);
// Wide copy of ANSI text (embedded NULs kept).
std::wstring wstrFromAnsi(const std::string& str);

// The braced text form of a GUID, as registry keys name it:
// "{74E53A84-0EDA-11D4-84F9-00500448008D}".
std::string strGuidText(REFGUID guid);
} // namespace FdCom
