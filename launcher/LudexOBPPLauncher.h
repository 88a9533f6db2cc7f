// LudexOBPPLauncher: the component through which the game plug-in drives the
// launcher. One object per process (a singleton class object); behind it the
// launch-script manager, made at the first Advise.
#pragma once

#include "FdComObject.h"
#include "LudexLib.h"
#include "ScriptMgrLink.h"

#include <string>
#include <vector>

class CLudexOBPPLauncher : public FdCom::CObjectRoot, public IDiagOBPP2Cmpt, public IScriptMgrSink
{
public:
    // The command word "docf" opens the game dialog for all games.
    static constexpr uint32_t kMenuAllGames = 0x22E;

    CLudexOBPPLauncher();
    ~CLudexOBPPLauncher() override;

    // What makes the manager (tests give their own); set before any Advise.
    static void vSetMgrFactory(ScriptMgrFactory factory);

    FD_COM_BEGIN_MAP(CLudexOBPPLauncher, IDiagOBPP2Cmpt)
    FD_COM_ENTRY(IDiagOBPP2Cmpt)
    FD_COM_END_MAP()

    // IDiagOBPP2Cmpt
    STDMETHODIMP ExecuteCmd(BSTR bstrName) override;
    STDMETHODIMP SetParameter(BSTR bstrName, BSTR bstrValue) override;
    STDMETHODIMP GetParameter(BSTR bstrName, BSTR* pbstrValue) override;
    STDMETHODIMP Advise(IDiagCmpt2OBPP* pCallback, unsigned long* pdwCookie) override;
    STDMETHODIMP Unadvise(unsigned long dwCookie) override;
    STDMETHODIMP ForceRemove() override;

    // IScriptMgrSink: the host link.
    void NavigateHostFrame(const CStringExt& url, const CStringExt& frame) override;
    int32_t RequestHostDownload(const CStringExt& url, const CStringExt& unused) override;
    long LeaveHost() override;
    void Notify(int32_t value) override;

private:
    void vReleaseCallback();
    void vCallback(const char* name, const std::string& value);

    IDiagCmpt2OBPP* m_pCallback = nullptr; // one reference
    std::unique_ptr<IScriptMgr> m_mgr;
    // A manager removed while its engine ran (the removal came inside one of
    // its calls): it goes with this object, once nothing of it is on the stack.
    std::unique_ptr<IScriptMgr> m_removedMgr;
    CStringExt m_strDownloadUrl;
    CStringExt m_strDownloadPath;
    std::vector<CStringExt> m_downloadedFiles; // every "DLPATH", deleted with the object
};

// The class table's entry: every client gets the one object.
HRESULT hrCreateLudexOBPPLauncher(REFIID riid, void** ppv);
// Destroys the object at the end of the process.
void vDestroyLudexOBPPLauncher();
