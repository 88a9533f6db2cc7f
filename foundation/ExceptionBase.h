#pragma once
// Root of the suite's exception family: thrown by value, caught by reference as
// FdBase::CExceptionBase. Building one never allocates.
#include <cstddef>
#include <cstdint>

namespace FdBase
{

// One row of a subclass's error table; a table ends with a row whose code is 0.
struct SErrorTableRow
{
    char szId[65];       // symbolic id, e.g. "NetAsync_CantStartWSA"
    char szMessage[259]; // French message
    uint32_t dwCode;
};

// The row of `dwCode` in a table ended by a zero code; null when absent (or no table).
const SErrorTableRow* lpFindErrorRow(const SErrorTableRow* lpTable, uint32_t dwCode);

// Bounded copy: at most `ulMax` characters, always NUL-terminated, empty for null.
void vCopyBounded(char* lpszDst, size_t ulMax, const char* lpszSrc);

class CExceptionBase
{
public:
    static constexpr size_t kFunctionMax = 64; // characters kept, a NUL follows
    static constexpr size_t kFileMax = 256;
    static constexpr size_t kTextMax = 1024;

    // Null strings leave the field empty; longer ones are cut to the bound above.
    CExceptionBase(uint32_t dwCode, const char* lpszFunction, const char* lpszFile, uint32_t dwLine,
                   const char* lpszText = nullptr, uint32_t dwWin32Error = 0);
    CExceptionBase(const CExceptionBase&) = default; // every field whole, bytes after the NULs included
    CExceptionBase& operator=(const CExceptionBase&) = default;
    virtual ~CExceptionBase() = default;

    virtual const char* lpszGetClassName() const = 0;
    // The subclass's table; its rows end with a zero code.
    virtual const SErrorTableRow* lpGetErrorTable() const = 0;

    uint32_t dwGetCode() const { return m_dwCode; }
    uint32_t dwGetLine() const { return m_dwLine; }
    const char* lpszGetFunction() const { return m_szFunction; }
    const char* lpszGetFile() const { return m_szFile; }
    const char* lpszGetText() const { return m_szText; }
    uint32_t dwGetWin32Error() const { return m_dwWin32Error; }
    // The row of this exception's code in its own table, or null.
    const SErrorTableRow* lpGetErrorRow() const { return lpFindErrorRow(lpGetErrorTable(), m_dwCode); }

protected:
    // For subclasses that describe themselves once built (cut like the constructor's text).
    void vSetText(const char* lpszText) { vCopyBounded(m_szText, kTextMax, lpszText); }

private:
    uint32_t m_dwCode;
    uint32_t m_dwLine;
    char m_szFunction[kFunctionMax + 1];
    char m_szFile[kFileMax + 1];
    char m_szText[kTextMax + 1];
    uint32_t m_dwWin32Error;
};

// The report that traces and boxes show for a caught exception of the family:
// file, line, function, class, code with its table row, extra text and Windows error.
// Writes at most n-1 characters and a NUL (nothing when n is 0); returns the length written.
size_t ulFormatExceptionReport(const CExceptionBase& e, char* lpszOut, size_t n);

} // namespace FdBase
