#include "SampleCmpt.h"

#include "FdBstr.h"

#include <cstdio>
#include <memory>

namespace
{
// Gives the parameters, then the command word, to a callback.
HRESULT hrSendBack(IDiagCmpt2OBPP* pCallback, const CSampleCmpt::Params& params, const char* pszCmd)
{
    for (const auto& p : params)
    {
        HRESULT hr = pCallback->SetParameter(FdCom::CBstr(p.first).bstr(), FdCom::CBstr(p.second).bstr());
        if (FAILED(hr))
            return hr;
    }
    return pCallback->ExecuteCmd(FdCom::CBstr(pszCmd).bstr());
}

struct SWorkerJob
{
    IStream* pStream; // the marshalled callback
    CSampleCmpt::Params params;
};

DWORD WINAPI dwWorker(void* pv)
{
    std::unique_ptr<SWorkerJob> job(static_cast<SWorkerJob*>(pv));
    HRESULT hrInit = CoInitializeEx(nullptr, COINIT_MULTITHREADED);
    IDiagCmpt2OBPP* pCallback = nullptr;
    if (SUCCEEDED(hrInit) &&
        SUCCEEDED(CoGetInterfaceAndReleaseStream(job->pStream, IID_IDiagCmpt2OBPP, reinterpret_cast<void**>(&pCallback))))
    {
        hrSendBack(pCallback, job->params, "ECHOTHREAD");
        pCallback->Release();
    }
    else
    {
        job->pStream->Release();
    }
    // COM is left only when it was entered.
    if (SUCCEEDED(hrInit))
        CoUninitialize();
    FdCom::CModule::Get().lUnlock();
    return 0;
}
} // namespace

CSampleCmpt::~CSampleCmpt()
{
    vReleaseCallback();
}

void CSampleCmpt::vReleaseCallback()
{
    if (m_pCallback)
        m_pCallback->Release();
    m_pCallback = nullptr;
    m_dwCookie = 0;
}

STDMETHODIMP CSampleCmpt::ExecuteCmd(BSTR bstrName)
{
    ++m_lCalls;
    const std::string strCmd = FdCom::strFromBstr(bstrName);
    Params params;
    params.swap(m_params); // parameters belong to this command only
    if (!m_pCallback)
        return S_OK;
    if (lstrcmpiA(strCmd.c_str(), "ECHO") == 0)
        return hrSendBack(m_pCallback, params, "ECHO");
    if (lstrcmpiA(strCmd.c_str(), "ECHOTHREAD") == 0)
    {
        auto* pJob = new SWorkerJob{nullptr, std::move(params)};
        HRESULT hr = CoMarshalInterThreadInterfaceInStream(IID_IDiagCmpt2OBPP, m_pCallback, &pJob->pStream);
        if (FAILED(hr))
        {
            delete pJob;
            return hr;
        }
        // The worker keeps the server up until it is done.
        FdCom::CModule::Get().lLock();
        HANDLE hThread = CreateThread(nullptr, 0, dwWorker, pJob, 0, nullptr);
        if (!hThread)
        {
            FdCom::CModule::Get().lUnlock();
            pJob->pStream->Release();
            delete pJob;
            return HRESULT_FROM_WIN32(GetLastError());
        }
        CloseHandle(hThread);
    }
    return S_OK;
}

STDMETHODIMP CSampleCmpt::SetParameter(BSTR bstrName, BSTR bstrValue)
{
    ++m_lCalls;
    m_params[FdCom::strFromBstr(bstrName)] = FdCom::strFromBstr(bstrValue);
    return S_OK;
}

STDMETHODIMP CSampleCmpt::GetParameter(BSTR bstrName, BSTR* pbstrValue)
{
    if (!pbstrValue)
        return E_POINTER;
    *pbstrValue = nullptr;
    ++m_lCalls;
    const std::string strName = FdCom::strFromBstr(bstrName);
    if (lstrcmpiA(strName.c_str(), "PID") == 0)
    {
        *pbstrValue = FdCom::CBstr(std::to_string(GetCurrentProcessId())).bstrDetach();
        return S_OK;
    }
    auto it = m_params.find(strName);
    *pbstrValue = FdCom::CBstr(it == m_params.end() ? std::string() : it->second).bstrDetach();
    return S_OK;
}

STDMETHODIMP CSampleCmpt::Advise(IDiagCmpt2OBPP* pCallback, unsigned long* pdwCookie)
{
    if (!pCallback || !pdwCookie)
        return E_POINTER;
    ++m_lCalls;
    vReleaseCallback();
    pCallback->AddRef();
    m_pCallback = pCallback;
    m_dwCookie = m_dwNextCookie++;
    *pdwCookie = m_dwCookie;
    return S_OK;
}

STDMETHODIMP CSampleCmpt::Unadvise(unsigned long dwCookie)
{
    ++m_lCalls;
    if (!m_pCallback || dwCookie != m_dwCookie)
        return E_INVALIDARG;
    vReleaseCallback();
    return S_OK;
}

STDMETHODIMP CSampleCmpt::ForceRemove()
{
    ++m_lCalls;
    vReleaseCallback();
    return S_OK;
}

STDMETHODIMP CSampleCmpt::Echo(BSTR bstrText, BSTR* pbstrEcho)
{
    if (!pbstrEcho)
        return E_POINTER;
    ++m_lCalls;
    *pbstrEcho = FdCom::CBstr("echo:" + FdCom::strFromBstr(bstrText)).bstrDetach();
    return S_OK;
}

STDMETHODIMP CSampleCmpt::get_CallCount(long* plCount)
{
    if (!plCount)
        return E_POINTER;
    *plCount = m_lCalls;
    return S_OK;
}

HRESULT hrCreateSampleCmpt(REFIID riid, void** ppv)
{
    return FdCom::TComObject<CSampleCmpt>::hrCreate(riid, ppv);
}
