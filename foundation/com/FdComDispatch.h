// IDispatch of a dual interface, served from the module's type library.
//
//   class CThing : public FdCom::CObjectRoot,
//                  public FdCom::TDispatchImpl<IThing, &LIBID_ThingLib>
#pragma once

#include "FdComModule.h"

#include <windows.h>
#include <oleauto.h>
#include <string>

namespace FdCom
{
// Type information of riid from the type library of this module that has
// libid (tried at each TYPELIB resource index). The result is AddRef'ed.
HRESULT hrLoadTypeInfo(REFGUID libid, REFIID riid, ITypeInfo** ppTypeInfo);

template <class IDual, const GUID* pLibId> class TDispatchImpl : public IDual
{
public:
    ~TDispatchImpl()
    {
        if (m_pTypeInfo)
            m_pTypeInfo->Release();
    }

    STDMETHODIMP GetTypeInfoCount(UINT* pctinfo) override
    {
        if (!pctinfo)
            return E_POINTER;
        *pctinfo = 1;
        return S_OK;
    }
    STDMETHODIMP GetTypeInfo(UINT iTInfo, LCID, ITypeInfo** ppTInfo) override
    {
        if (!ppTInfo)
            return E_POINTER;
        *ppTInfo = nullptr;
        if (iTInfo != 0)
            return DISP_E_BADINDEX;
        HRESULT hr = hrTypeInfo();
        if (FAILED(hr))
            return hr;
        m_pTypeInfo->AddRef();
        *ppTInfo = m_pTypeInfo;
        return S_OK;
    }
    STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR* rgszNames, UINT cNames, LCID, DISPID* rgDispId) override
    {
        HRESULT hr = hrTypeInfo();
        if (FAILED(hr))
            return hr;
        return DispGetIDsOfNames(m_pTypeInfo, rgszNames, cNames, rgDispId);
    }
    STDMETHODIMP Invoke(DISPID dispIdMember, REFIID riid, LCID, WORD wFlags, DISPPARAMS* pDispParams,
                        VARIANT* pVarResult, EXCEPINFO* pExcepInfo, UINT* puArgErr) override
    {
        if (!IsEqualIID(riid, IID_NULL))
            return DISP_E_UNKNOWNINTERFACE;
        HRESULT hr = hrTypeInfo();
        if (FAILED(hr))
            return hr;
        return DispInvoke(static_cast<IDual*>(this), m_pTypeInfo, dispIdMember, wFlags, pDispParams, pVarResult,
                          pExcepInfo, puArgErr);
    }

private:
    HRESULT hrTypeInfo()
    {
        if (m_pTypeInfo)
            return S_OK;
        return hrLoadTypeInfo(*pLibId, __uuidof(IDual), &m_pTypeInfo);
    }
    ITypeInfo* m_pTypeInfo = nullptr;
};
} // namespace FdCom
