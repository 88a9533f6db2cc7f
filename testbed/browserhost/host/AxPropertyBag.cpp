#include "AxPropertyBag.h"

#include "FdBstr.h"

namespace FdBrowserHost
{
CAxPropertyBag::CAxPropertyBag(CHostLog& log, int iInstance, const std::vector<SParam>& params)
    : m_log(log), m_iInstance(iInstance)
{
    for (const SParam& p : params)
    {
        SItem item;
        item.strName = p.strName;
        item.wstrName = FdCom::wstrFromAnsi(p.strName);
        VariantInit(&item.value);
        bool boNumber = false;
        if (p.strVt == "i4" && !p.strValue.empty())
        {
            char* end = nullptr;
            const long l = strtol(p.strValue.c_str(), &end, 10);
            if (end && *end == '\0')
            {
                item.value.vt = VT_I4;
                item.value.lVal = l;
                boNumber = true;
            }
        }
        if (!boNumber)
        {
            const std::wstring w = FdCom::wstrFromAnsi(p.strValue);
            item.value.vt = VT_BSTR;
            item.value.bstrVal = SysAllocStringLen(w.data(), static_cast<UINT>(w.size()));
        }
        m_items.push_back(item);
    }
}

CAxPropertyBag::~CAxPropertyBag()
{
    for (SItem& item : m_items)
        VariantClear(&item.value);
}

int CAxPropertyBag::iFind(LPCOLESTR pszName) const
{
    if (!pszName)
        return -1;
    for (std::size_t i = 0; i < m_items.size(); ++i)
        if (lstrcmpiW(m_items[i].wstrName.c_str(), pszName) == 0)
            return static_cast<int>(i);
    return -1;
}

HRESULT CAxPropertyBag::hrCopyValue(const SItem& item, VARTYPE vtWanted, VARIANT* pOut) const
{
    if (vtWanted == VT_EMPTY || vtWanted == item.value.vt)
        return VariantCopy(pOut, const_cast<VARIANT*>(&item.value));
    VARIANT tmp;
    VariantInit(&tmp);
    const HRESULT hr = VariantChangeType(&tmp, const_cast<VARIANT*>(&item.value), 0, vtWanted);
    if (FAILED(hr))
        return hr;
    *pOut = tmp;
    return S_OK;
}

void CAxPropertyBag::vLogRead(const char* pszVia, const std::string& name, HRESULT hr)
{
    m_log.vWrite(SLogLine("AX_PARAM_READ")
                     .addInt("instance", m_iInstance)
                     .add("via", pszVia)
                     .add("name", name)
                     .addHex("result", static_cast<uint32_t>(hr)));
}

STDMETHODIMP CAxPropertyBag::Read(LPCOLESTR pszPropName, VARIANT* pVar, IErrorLog*)
{
    if (!pszPropName || !pVar)
        return E_POINTER;
    const int i = iFind(pszPropName);
    HRESULT hr = E_INVALIDARG;
    if (i >= 0)
    {
        const VARTYPE vt = pVar->vt;
        VariantInit(pVar);
        hr = hrCopyValue(m_items[static_cast<std::size_t>(i)], vt, pVar);
    }
    vLogRead("bag", FdCom::strFromWide(pszPropName), hr);
    return hr;
}

STDMETHODIMP CAxPropertyBag::Write(LPCOLESTR, VARIANT*)
{
    return E_NOTIMPL;
}

STDMETHODIMP CAxPropertyBag::Read(ULONG cProperties, PROPBAG2* pPropBag, IErrorLog*, VARIANT* pvarValue,
                                  HRESULT* phrError)
{
    if (!pPropBag || !pvarValue)
        return E_POINTER;
    HRESULT hrAll = S_OK;
    for (ULONG k = 0; k < cProperties; ++k)
    {
        int i = iFind(pPropBag[k].pstrName);
        if (i < 0 && !pPropBag[k].pstrName && pPropBag[k].dwHint < m_items.size())
            i = static_cast<int>(pPropBag[k].dwHint);
        VariantInit(&pvarValue[k]);
        HRESULT hr = E_INVALIDARG;
        if (i >= 0)
            hr = hrCopyValue(m_items[static_cast<std::size_t>(i)], pPropBag[k].vt, &pvarValue[k]);
        if (phrError)
            phrError[k] = hr;
        if (FAILED(hr))
            hrAll = E_FAIL;
        vLogRead("bag2",
                 i >= 0 ? m_items[static_cast<std::size_t>(i)].strName
                        : FdCom::strFromWide(pPropBag[k].pstrName),
                 hr);
    }
    return hrAll;
}

STDMETHODIMP CAxPropertyBag::Write(ULONG, PROPBAG2*, VARIANT*)
{
    return E_NOTIMPL;
}

STDMETHODIMP CAxPropertyBag::CountProperties(ULONG* pcProperties)
{
    if (!pcProperties)
        return E_POINTER;
    *pcProperties = static_cast<ULONG>(m_items.size());
    return S_OK;
}

STDMETHODIMP CAxPropertyBag::GetPropertyInfo(ULONG iProperty, ULONG cProperties, PROPBAG2* pPropBag,
                                             ULONG* pcProperties)
{
    if (!pPropBag || !pcProperties)
        return E_POINTER;
    *pcProperties = 0;
    if (iProperty >= m_items.size())
        return E_INVALIDARG;
    ULONG n = 0;
    for (ULONG i = iProperty; i < m_items.size() && n < cProperties; ++i, ++n)
    {
        const SItem& item = m_items[i];
        PROPBAG2& out = pPropBag[n];
        out = PROPBAG2{};
        out.dwType = PROPBAG2_TYPE_DATA;
        out.vt = item.value.vt;
        out.dwHint = i;
        const std::size_t bytes = (item.wstrName.size() + 1) * sizeof(wchar_t);
        out.pstrName = static_cast<LPOLESTR>(CoTaskMemAlloc(bytes));
        if (!out.pstrName)
        {
            for (ULONG k = 0; k < n; ++k)
                CoTaskMemFree(pPropBag[k].pstrName);
            return E_OUTOFMEMORY;
        }
        memcpy(out.pstrName, item.wstrName.c_str(), bytes);
    }
    *pcProperties = n;
    return S_OK;
}

STDMETHODIMP CAxPropertyBag::LoadObject(LPCOLESTR, DWORD, IUnknown*, IErrorLog*)
{
    return E_NOTIMPL;
}
} // namespace FdBrowserHost
