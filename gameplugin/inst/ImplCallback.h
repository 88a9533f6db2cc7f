#pragma once
// The callback that each launched component gets: through it the component
// drives the plug-in instance that started it (pages, downloads, status lines,
// boxes, folder choice, pictures, killable processes). Parameters set on it
// belong to the next command word only. Every method answers S_FALSE once the
// instance or the component is gone.
#include "ComRef.h"
#include "DiagOBPP.h"
#include "FdComObject.h"
#include "ParamList.h"

class CPlugInst;

class CImplCallback : public FdCom::CObjectRoot, public IDiagCmpt2OBPP2
{
public:
    static constexpr size_t kChooseDirTexts = 5;  // elements of ChooseDir's array that are read
    static constexpr int kServerKeyDepthMax = 32; // subkeys searched for components' CLSIDs

    FD_COM_BEGIN_MAP(CImplCallback, IDiagCmpt2OBPP2)
    FD_COM_ENTRY(IDiagCmpt2OBPP2)
    FD_COM_ENTRY_VIA(IDiagCmpt2OBPP, IDiagCmpt2OBPP2)
    FD_COM_END_MAP()

    CImplCallback();

    // Binds to the owning instance and the component (one reference taken).
    void vAttach(CPlugInst* lpThis, IDiagOBPP2Cmpt* lpComponent);
    void vSetCookie(unsigned long dwCookie) { m_dwCookie = dwCookie; }
    // The instance or the component went: forgets both.
    void vDetach();

    CPlugInst* lpGetThis() const { return m_lpThis; }
    IDiagOBPP2Cmpt* lpGetComponent() const { return m_component.p(); }
    unsigned long dwGetCookie() const { return m_dwCookie; }

    // IDiagCmpt2OBPP
    STDMETHODIMP ExecuteCmd(BSTR bstrName) override;
    STDMETHODIMP SetParameter(BSTR bstrName, BSTR bstrValue) override;
    STDMETHODIMP GetParameter(BSTR bstrName, BSTR* bstrValue) override;
    STDMETHODIMP CmptOut() override;
    // IDiagCmpt2OBPP2
    STDMETHODIMP Display(BSTR bstrZoneName, SAFEARRAY* Bytes) override;
    STDMETHODIMP GetZoneExtents(BSTR bstrZoneName, unsigned long* lpdwWidth,
                                unsigned long* lpdwHeight) override;
    STDMETHODIMP MsgBox(BSTR bstrText, BSTR bstrTitle, long lType, long* lplResult) override;
    STDMETHODIMP ChooseDir(SAFEARRAY* lpsaMessages, long boMustCreating, long* pboWasCreated,
                           BSTR* lpbstrPathChoosen) override;
    STDMETHODIMP GetKillableProcess(SAFEARRAY** lplpsaResultList) override;
    STDMETHODIMP GetProcessIdentifier(long* lpPID) override;

private:
    const char* lpszLabel() const;
    HWND hOwner() const;
    void vRunCommand(const char* lpszName, const CParamList& params);
    void vMessageBox(const CParamList& params);
    void vChooseDirectory(const CParamList& params);
    // Sets one parameter, then runs the word, on the bound component.
    void vAnswer(const char* lpszKey, const std::string& strValue, const char* lpszCommand);

    CPlugInst* m_lpThis = nullptr;
    FdWin::TComRef<IDiagOBPP2Cmpt> m_component;
    unsigned long m_dwCookie = 0;
    CParamList m_pending;
};
