// A fake component for the plug-in's tests.
//
// Every call it receives is appended to a log file as one line
//   <pid>|<kind>|<Method>|<arg>|<arg>...
// where kind is "exe" or "dll". The file is FD_FAKECMPT_LOG when set, else
// "FakeCmpt.log" in the temporary folder.
//
// On the command word "CALLBACK" it calls the plug-in back: every pending
// parameter named "CB_<name>" is set on the callback as <name>, then the
// word in "CBCMD" is run there. On "CALL2" it calls one method of the second
// callback interface, named by "METHOD" ("GetProcessIdentifier",
// "GetKillableProcess", "GetZoneExtents" with "ZONE", "MsgBox" with "TEXT",
// "TITLE", "TYPE", "ChooseDir" with "MUSTCREATE") and logs the result as a
// "Result2" line. On "LEAVE" it calls CmptOut and drops the callback.
//
// With FD_FAKECMPT_REFUSE_ADVISE set to 1 in its environment, Advise and Advise2
// answer E_FAIL and keep no callback.
#pragma once

#include "FakeCmpt_h.h"
#include "FdComObject.h"

#include <string>
#include <utility>
#include <vector>

class CFakeCmpt : public FdCom::CObjectRoot, public IDiagOBPP2Cmpt, public IDiagOBPP2Cmpt2
{
public:
    explicit CFakeCmpt(const char* pszKind, bool boOffersAdvise2);
    ~CFakeCmpt() override;

    FD_COM_BEGIN_MAP(CFakeCmpt, IDiagOBPP2Cmpt)
    FD_COM_ENTRY(IDiagOBPP2Cmpt)
    if (m_boOffersAdvise2 && IsEqualIID(riid, IID_IDiagOBPP2Cmpt2))
        return static_cast<IDiagOBPP2Cmpt2*>(this);
    FD_COM_END_MAP()

    STDMETHODIMP ExecuteCmd(BSTR bstrName) override;
    STDMETHODIMP SetParameter(BSTR bstrName, BSTR bstrValue) override;
    STDMETHODIMP GetParameter(BSTR bstrName, BSTR* pbstrValue) override;
    STDMETHODIMP Advise(IDiagCmpt2OBPP* pCallback, unsigned long* pdwCookie) override;
    STDMETHODIMP Unadvise(unsigned long dwCookie) override;
    STDMETHODIMP ForceRemove() override;
    STDMETHODIMP Advise2(IDiagCmpt2OBPP2* pCallback, unsigned long* pdwCookie) override;

private:
    void vLog(const std::vector<std::string>& fields);
    std::string strPending(const std::string& strName) const;
    void vCallBack();
    void vCall2();
    void vDropCallback();

    std::string m_strKind;
    bool m_boOffersAdvise2;
    std::vector<std::pair<std::string, std::string>> m_pending;
    IDiagCmpt2OBPP* m_pCallback = nullptr;
    IDiagCmpt2OBPP2* m_pCallback2 = nullptr;
    unsigned long m_dwCookie = 0;
};

HRESULT hrCreateFakeCmptExe(REFIID riid, void** ppv);
HRESULT hrCreateFakeCmptDll(REFIID riid, void** ppv);
