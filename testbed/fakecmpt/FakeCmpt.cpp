#include "FakeCmpt.h"

#include "FdBstr.h"

#include <cstdio>
#include <cstdlib>
#include <mutex>

namespace
{
std::mutex g_logMutex;

std::string strLogPath()
{
    char sz[MAX_PATH];
    DWORD n = GetEnvironmentVariableA("FD_FAKECMPT_LOG", sz, MAX_PATH);
    if (n > 0 && n < MAX_PATH)
        return std::string(sz, n);
    n = GetTempPathA(MAX_PATH, sz);
    return std::string(sz, n) + "FakeCmpt.log";
}

bool boRefuseAdvise()
{
    char sz[8];
    const DWORD n = GetEnvironmentVariableA("FD_FAKECMPT_REFUSE_ADVISE", sz, sizeof sz);
    return n == 1 && sz[0] == '1';
}

std::string strHex(HRESULT hr)
{
    char sz[16];
    std::snprintf(sz, sizeof sz, "%08lX", static_cast<unsigned long>(hr));
    return sz;
}
} // namespace

CFakeCmpt::CFakeCmpt(const char* pszKind, bool boOffersAdvise2) : m_strKind(pszKind), m_boOffersAdvise2(boOffersAdvise2)
{
    vLog({"Create"});
}

CFakeCmpt::~CFakeCmpt()
{
    vLog({"Destroy"});
    vDropCallback();
}

void CFakeCmpt::vLog(const std::vector<std::string>& fields)
{
    std::string line = std::to_string(GetCurrentProcessId()) + "|" + m_strKind;
    for (const auto& f : fields)
        line += "|" + f;
    line += "\n";
    std::lock_guard<std::mutex> lock(g_logMutex);
    FILE* f = std::fopen(strLogPath().c_str(), "ab");
    if (f)
    {
        std::fwrite(line.data(), 1, line.size(), f);
        std::fclose(f);
    }
}

std::string CFakeCmpt::strPending(const std::string& strName) const
{
    for (const auto& p : m_pending)
        if (lstrcmpiA(p.first.c_str(), strName.c_str()) == 0)
            return p.second;
    return std::string();
}

void CFakeCmpt::vDropCallback()
{
    if (m_pCallback)
        m_pCallback->Release();
    if (m_pCallback2)
        m_pCallback2->Release();
    m_pCallback = nullptr;
    m_pCallback2 = nullptr;
}

STDMETHODIMP CFakeCmpt::ExecuteCmd(BSTR bstrName)
{
    const std::string strCmd = FdCom::strFromBstr(bstrName);
    vLog({"ExecuteCmd", strCmd});
    if (lstrcmpiA(strCmd.c_str(), "CALLBACK") == 0)
        vCallBack();
    else if (lstrcmpiA(strCmd.c_str(), "CALL2") == 0)
        vCall2();
    else if (lstrcmpiA(strCmd.c_str(), "LEAVE") == 0)
    {
        if (m_pCallback)
            m_pCallback->CmptOut();
        vDropCallback();
    }
    m_pending.clear();
    return S_OK;
}

void CFakeCmpt::vCallBack()
{
    if (!m_pCallback)
    {
        vLog({"Result", "no callback"});
        return;
    }
    for (const auto& p : m_pending)
        if (p.first.compare(0, 3, "CB_") == 0)
            m_pCallback->SetParameter(FdCom::CBstr(p.first.substr(3)).bstr(), FdCom::CBstr(p.second).bstr());
    HRESULT hr = m_pCallback->ExecuteCmd(FdCom::CBstr(strPending("CBCMD")).bstr());
    vLog({"Result", strHex(hr)});
}

void CFakeCmpt::vCall2()
{
    const std::string strMethod = strPending("METHOD");
    if (!m_pCallback2)
    {
        vLog({"Result2", strMethod, "no second callback"});
        return;
    }
    if (strMethod == "GetProcessIdentifier")
    {
        long lPid = 0;
        HRESULT hr = m_pCallback2->GetProcessIdentifier(&lPid);
        vLog({"Result2", strMethod, strHex(hr), std::to_string(lPid)});
    }
    else if (strMethod == "GetKillableProcess")
    {
        SAFEARRAY* psa = nullptr;
        HRESULT hr = m_pCallback2->GetKillableProcess(&psa);
        std::vector<std::string> fields = {"Result2", strMethod, strHex(hr)};
        LONG lLow = 0, lHigh = -1;
        if (psa && SUCCEEDED(SafeArrayGetLBound(psa, 1, &lLow)) && SUCCEEDED(SafeArrayGetUBound(psa, 1, &lHigh)))
        {
            for (LONG i = lLow; i <= lHigh; ++i)
            {
                BSTR b = nullptr;
                if (SUCCEEDED(SafeArrayGetElement(psa, &i, &b)))
                {
                    fields.push_back(FdCom::strFromBstr(b));
                    SysFreeString(b);
                }
            }
        }
        if (psa)
            SafeArrayDestroy(psa);
        vLog(fields);
    }
    else if (strMethod == "GetZoneExtents")
    {
        unsigned long w = 0, h = 0;
        HRESULT hr = m_pCallback2->GetZoneExtents(FdCom::CBstr(strPending("ZONE")).bstr(), &w, &h);
        vLog({"Result2", strMethod, strHex(hr), std::to_string(w), std::to_string(h)});
    }
    else if (strMethod == "MsgBox")
    {
        long lResult = 0;
        HRESULT hr = m_pCallback2->MsgBox(FdCom::CBstr(strPending("TEXT")).bstr(),
                                          FdCom::CBstr(strPending("TITLE")).bstr(),
                                          std::atol(strPending("TYPE").c_str()), &lResult);
        vLog({"Result2", strMethod, strHex(hr), std::to_string(lResult)});
    }
    else if (strMethod == "ChooseDir")
    {
        SAFEARRAY* psa = SafeArrayCreateVector(VT_BSTR, 0, 0);
        long lCreated = -1;
        FdCom::CBstr path;
        HRESULT hr = m_pCallback2->ChooseDir(psa, std::atol(strPending("MUSTCREATE").c_str()), &lCreated,
                                             path.pbstrOut());
        SafeArrayDestroy(psa);
        vLog({"Result2", strMethod, strHex(hr), std::to_string(lCreated), FdCom::strFromBstr(path.bstr())});
    }
    else
    {
        vLog({"Result2", strMethod, "unknown method"});
    }
}

STDMETHODIMP CFakeCmpt::SetParameter(BSTR bstrName, BSTR bstrValue)
{
    std::string strName = FdCom::strFromBstr(bstrName);
    std::string strValue = FdCom::strFromBstr(bstrValue);
    vLog({"SetParameter", strName, strValue});
    m_pending.emplace_back(std::move(strName), std::move(strValue));
    return S_OK;
}

STDMETHODIMP CFakeCmpt::GetParameter(BSTR bstrName, BSTR* pbstrValue)
{
    if (!pbstrValue)
        return E_POINTER;
    const std::string strName = FdCom::strFromBstr(bstrName);
    vLog({"GetParameter", strName});
    std::string strValue = lstrcmpiA(strName.c_str(), "PID") == 0 ? std::to_string(GetCurrentProcessId())
                                                                  : strPending(strName);
    *pbstrValue = FdCom::CBstr(strValue).bstrDetach();
    return S_OK;
}

STDMETHODIMP CFakeCmpt::Advise(IDiagCmpt2OBPP* pCallback, unsigned long* pdwCookie)
{
    vLog({"Advise"});
    if (!pCallback || !pdwCookie)
        return E_POINTER;
    if (boRefuseAdvise())
        return E_FAIL;
    vDropCallback();
    pCallback->AddRef();
    m_pCallback = pCallback;
    *pdwCookie = ++m_dwCookie;
    return S_OK;
}

STDMETHODIMP CFakeCmpt::Advise2(IDiagCmpt2OBPP2* pCallback, unsigned long* pdwCookie)
{
    vLog({"Advise2"});
    if (!pCallback || !pdwCookie)
        return E_POINTER;
    if (boRefuseAdvise())
        return E_FAIL;
    vDropCallback();
    pCallback->AddRef();
    pCallback->AddRef();
    m_pCallback2 = pCallback;
    m_pCallback = pCallback; // the second interface extends the first
    *pdwCookie = ++m_dwCookie;
    return S_OK;
}

STDMETHODIMP CFakeCmpt::Unadvise(unsigned long dwCookie)
{
    vLog({"Unadvise", std::to_string(dwCookie)});
    if (dwCookie != m_dwCookie || !m_pCallback)
        return E_INVALIDARG;
    vDropCallback();
    return S_OK;
}

STDMETHODIMP CFakeCmpt::ForceRemove()
{
    vLog({"ForceRemove"});
    vDropCallback();
    return S_OK;
}

HRESULT hrCreateFakeCmptExe(REFIID riid, void** ppv)
{
    return FdCom::TComObject<CFakeCmpt>::hrCreate(riid, ppv, "exe", true);
}

HRESULT hrCreateFakeCmptDll(REFIID riid, void** ppv)
{
    return FdCom::TComObject<CFakeCmpt>::hrCreate(riid, ppv, "dll", false);
}
