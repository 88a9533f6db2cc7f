#pragma once
// CAnsiString: an owned ANSI copy of a wide (BSTR) text, in the current code page.
#include <windows.h>

#include <memory>

class CAnsiString
{
public:
    // A null text stays null; the buffer holds twice the wide length plus one byte.
    explicit CAnsiString(const wchar_t* lpwsz);
    CAnsiString(const CAnsiString&) = delete;
    CAnsiString& operator=(const CAnsiString&) = delete;

    const char* lpsz() const { return m_lpsz.get(); }

private:
    std::unique_ptr<char[]> m_lpsz;
};
