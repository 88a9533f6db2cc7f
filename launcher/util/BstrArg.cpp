#include "BstrArg.h"

#include "WinText.h"

CBstrArg::CBstrArg(const CBstrArg& other) : m_sText(other.m_sText)
{
    if (other.m_bstr != nullptr)
        m_bstr = SysAllocStringLen(other.m_bstr, SysStringLen(other.m_bstr));
}

CBstrArg& CBstrArg::operator=(const CBstrArg& other)
{
    if (this != &other)
    {
        BSTR copy =
            other.m_bstr != nullptr ? SysAllocStringLen(other.m_bstr, SysStringLen(other.m_bstr)) : nullptr;
        vFree();
        m_sText = other.m_sText;
        m_bstr = copy;
    }
    return *this;
}

CBstrArg::~CBstrArg()
{
    vFree();
}

void CBstrArg::vFree()
{
    if (m_bstr != nullptr)
        SysFreeString(m_bstr);
    m_bstr = nullptr;
}

BSTR CBstrArg::bstrAlloc() const
{
    const std::wstring wide = AnsiToWide(m_sText);
    return SysAllocStringLen(wide.c_str(), static_cast<UINT>(wide.size()));
}

BSTR CBstrArg::bstrIn()
{
    vFree();
    m_bstr = bstrAlloc();
    return m_bstr;
}

BSTR* CBstrArg::pbstrInOut()
{
    bstrIn();
    return &m_bstr;
}

void CBstrArg::vSyncFromBstr()
{
    if (m_bstr == nullptr)
        return;
    m_sText = CStringExt(static_cast<const wchar_t*>(m_bstr));
    vFree();
}
