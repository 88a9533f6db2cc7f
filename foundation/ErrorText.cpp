#include "ErrorText.h"

#include "ExceptionBase.h"

namespace FdBase
{

void CErrorText::vAttach(const SErrorTextRow* lpRows, size_t ulRows)
{
    m_lpRows = lpRows;
    m_ulRows = lpRows ? ulRows : 0;
    vReset();
}

const char* CErrorText::lpszSelect(uint32_t dwCode)
{
    for (size_t i = 0; i < m_ulRows; ++i)
    {
        if (m_lpRows[i].dwCode == dwCode)
        {
            m_dwCode = dwCode;
            vCopyBounded(m_szText, kTextMax, m_lpRows[i].lpszText);
            return m_szText;
        }
    }
    return nullptr;
}

void CErrorText::vReset()
{
    m_dwCode = 0;
    m_szText[0] = '\0';
}

} // namespace FdBase
