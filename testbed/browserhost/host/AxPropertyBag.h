// The PARAMs of an OBJECT as the property bag a control loads from, both
// as IPropertyBag (read by name) and IPropertyBag2 (counted, described and
// read by index or name). Names compare without case. Every read is
// logged as AX_PARAM_READ.
#pragma once

#include "FdComObject.h"
#include "HostLog.h"
#include "PageReader.h"

#include <ocidl.h>

#include <string>
#include <vector>

namespace FdBrowserHost
{
class CAxPropertyBag : public FdCom::CObjectRoot, public IPropertyBag, public IPropertyBag2
{
public:
    CAxPropertyBag(CHostLog& log, int iInstance, const std::vector<SParam>& params);
    ~CAxPropertyBag() override;

    FD_COM_BEGIN_MAP(CAxPropertyBag, IPropertyBag)
    FD_COM_ENTRY(IPropertyBag)
    FD_COM_ENTRY(IPropertyBag2)
    FD_COM_END_MAP()

    // IPropertyBag
    STDMETHODIMP Read(LPCOLESTR pszPropName, VARIANT* pVar, IErrorLog* pErrorLog) override;
    STDMETHODIMP Write(LPCOLESTR pszPropName, VARIANT* pVar) override;

    // IPropertyBag2
    STDMETHODIMP Read(ULONG cProperties, PROPBAG2* pPropBag, IErrorLog* pErrLog, VARIANT* pvarValue,
                      HRESULT* phrError) override;
    STDMETHODIMP Write(ULONG cProperties, PROPBAG2* pPropBag, VARIANT* pvarValue) override;
    STDMETHODIMP CountProperties(ULONG* pcProperties) override;
    STDMETHODIMP GetPropertyInfo(ULONG iProperty, ULONG cProperties, PROPBAG2* pPropBag,
                                 ULONG* pcProperties) override;
    STDMETHODIMP LoadObject(LPCOLESTR pstrName, DWORD dwHint, IUnknown* pUnkObject,
                            IErrorLog* pErrLog) override;

private:
    struct SItem
    {
        std::string strName; // ANSI, as in the page
        std::wstring wstrName;
        VARIANT value; // VT_BSTR, or VT_I4 for vt="i4"
    };

    int iFind(LPCOLESTR pszName) const;
    HRESULT hrCopyValue(const SItem& item, VARTYPE vtWanted, VARIANT* pOut) const;
    void vLogRead(const char* pszVia, const std::string& name, HRESULT hr);

    CHostLog& m_log;
    int m_iInstance;
    std::vector<SItem> m_items;
};
} // namespace FdBrowserHost
