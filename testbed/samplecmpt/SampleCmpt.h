// The sample component: keeps the parameters it is given and, on "ECHO",
// gives them back to its callback followed by the same command word; on
// "ECHOTHREAD" it does so from a worker thread, through a marshalled
// callback pointer.
#pragma once

#include "FdComDispatch.h"
#include "FdComObject.h"
#include "SampleCmpt_h.h"

#include <map>
#include <string>

class CSampleCmpt : public FdCom::CObjectRoot,
                    public IDiagOBPP2Cmpt,
                    public FdCom::TDispatchImpl<ISampleCmptInfo, &LIBID_SampleCmptLib>
{
public:
    CSampleCmpt() = default;
    ~CSampleCmpt() override;

    FD_COM_BEGIN_MAP(CSampleCmpt, IDiagOBPP2Cmpt)
    FD_COM_ENTRY(IDiagOBPP2Cmpt)
    FD_COM_ENTRY(ISampleCmptInfo)
    FD_COM_ENTRY(IDispatch)
    FD_COM_END_MAP()

    // IDiagOBPP2Cmpt
    STDMETHODIMP ExecuteCmd(BSTR bstrName) override;
    STDMETHODIMP SetParameter(BSTR bstrName, BSTR bstrValue) override;
    STDMETHODIMP GetParameter(BSTR bstrName, BSTR* pbstrValue) override;
    STDMETHODIMP Advise(IDiagCmpt2OBPP* pCallback, unsigned long* pdwCookie) override;
    STDMETHODIMP Unadvise(unsigned long dwCookie) override;
    STDMETHODIMP ForceRemove() override;

    // ISampleCmptInfo
    STDMETHODIMP Echo(BSTR bstrText, BSTR* pbstrEcho) override;
    STDMETHODIMP get_CallCount(long* plCount) override;

    using Params = std::map<std::string, std::string>;

private:
    void vReleaseCallback();

    Params m_params;
    IDiagCmpt2OBPP* m_pCallback = nullptr;
    unsigned long m_dwCookie = 0;
    unsigned long m_dwNextCookie = 1;
    long m_lCalls = 0;
};

HRESULT hrCreateSampleCmpt(REFIID riid, void** ppv);
