#include "ExceptionBase.h"

#include <cstdio>
#include <cstring>

namespace FdBase
{

void vCopyBounded(char* lpszDst, size_t ulMax, const char* lpszSrc)
{
    size_t n = 0;
    if (lpszSrc)
    {
        while (n < ulMax && lpszSrc[n] != '\0')
            ++n;
        std::memcpy(lpszDst, lpszSrc, n);
    }
    lpszDst[n] = '\0';
}

const SErrorTableRow* lpFindErrorRow(const SErrorTableRow* lpTable, uint32_t dwCode)
{
    if (!lpTable || dwCode == 0)
        return nullptr;
    for (const SErrorTableRow* r = lpTable; r->dwCode != 0; ++r)
    {
        if (r->dwCode == dwCode)
            return r;
    }
    return nullptr;
}

CExceptionBase::CExceptionBase(uint32_t dwCode, const char* lpszFunction, const char* lpszFile,
                               uint32_t dwLine, const char* lpszText, uint32_t dwWin32Error)
    : m_dwCode(dwCode), m_dwLine(dwLine), m_szFunction(), m_szFile(), m_szText(), m_dwWin32Error(dwWin32Error)
{
    vCopyBounded(m_szFunction, kFunctionMax, lpszFunction);
    vCopyBounded(m_szFile, kFileMax, lpszFile);
    vCopyBounded(m_szText, kTextMax, lpszText);
}

size_t ulFormatExceptionReport(const CExceptionBase& e, char* lpszOut, size_t n)
{
    if (n == 0)
        return 0;
    const SErrorTableRow* row = e.lpGetErrorRow();
    int len;
    if (row)
        len = std::snprintf(lpszOut, n,
                            "Fichier:%s\nLigne:%ld\nFonction:%s\nClasse d'exception:%s\nCode:%ld (%s)\n"
                            "Description:%s\nExtra infos:%s\nWin32ErrCode:%ld",
                            e.lpszGetFile(), (long)e.dwGetLine(), e.lpszGetFunction(), e.lpszGetClassName(),
                            (long)e.dwGetCode(), row->szId, row->szMessage, e.lpszGetText(),
                            (long)e.dwGetWin32Error());
    else
        len = std::snprintf(lpszOut, n,
                            "Fichier:%s\nLigne:%ld\nFonction:%s\nClasse d'exception:%s\nCode:%ld\n"
                            "Description:pas de description disponible\nExtra infos:%s\nWin32ErrCode:%ld",
                            e.lpszGetFile(), (long)e.dwGetLine(), e.lpszGetFunction(), e.lpszGetClassName(),
                            (long)e.dwGetCode(), e.lpszGetText(), (long)e.dwGetWin32Error());
    if (len < 0)
    {
        lpszOut[0] = '\0';
        return 0;
    }
    return (size_t)len < n ? (size_t)len : n - 1;
}

} // namespace FdBase
