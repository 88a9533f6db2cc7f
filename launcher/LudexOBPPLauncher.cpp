#include "LudexOBPPLauncher.h"

#include "ComRef.h"
#include "FdBstr.h"
#include "FdComBoundary.h"
#include "FdComSingleton.h"
#include "FileUtil.h"

#include <windows.h>

namespace
{
ScriptMgrFactory g_mgrFactory = nullptr;

bool boNameIs(const std::string& name, const char* word)
{
    return lstrcmpiA(name.c_str(), word) == 0;
}
} // namespace

CLudexOBPPLauncher::CLudexOBPPLauncher() = default;

CLudexOBPPLauncher::~CLudexOBPPLauncher()
{
    for (const CStringExt& path : m_downloadedFiles)
        if (!path.empty() && boFileExists(path))
            DeleteFileA(path.c_str());
    m_mgr.reset();
    vReleaseCallback();
}

void CLudexOBPPLauncher::vSetMgrFactory(ScriptMgrFactory factory)
{
    g_mgrFactory = factory;
}

STDMETHODIMP CLudexOBPPLauncher::ExecuteCmd(BSTR bstrName)
{
    return FdCom::hrGuard(
        [&]() -> HRESULT
        {
            if (!m_mgr)
                return S_OK;
            const CStringExt word = FdCom::strFromBstr(bstrName);
            if (boNameIs(word, "DLDONE"))
                m_mgr->OnDownloadEnd(m_strDownloadUrl, m_strDownloadPath, false);
            else if (boNameIs(word, "DLERR"))
                m_mgr->OnDownloadEnd(m_strDownloadUrl, m_strDownloadPath, true);
            else if (boNameIs(word, "dowk"))
                m_mgr->Ignition();
            else if (boNameIs(word, "docf"))
                m_mgr->OpenGameDialog(kMenuAllGames);
            else
                m_mgr->OnCommand(word);
            return S_OK;
        });
}

STDMETHODIMP CLudexOBPPLauncher::SetParameter(BSTR bstrName, BSTR bstrValue)
{
    return FdCom::hrGuard(
        [&]() -> HRESULT
        {
            const CStringExt name = FdCom::strFromBstr(bstrName);
            const CStringExt value = FdCom::strFromBstr(bstrValue);
            if (boNameIs(name, "DLPATH"))
            {
                m_strDownloadPath = value;
                m_downloadedFiles.push_back(value);
                return S_OK;
            }
            if (boNameIs(name, "DLURL"))
                m_strDownloadUrl = value;
            if (m_mgr)
                m_mgr->OnParameter(name, value);
            return S_OK;
        });
}

STDMETHODIMP CLudexOBPPLauncher::GetParameter(BSTR, BSTR*)
{
    return FdCom::hrGuard([&]() -> HRESULT { return E_NOTIMPL; });
}

STDMETHODIMP CLudexOBPPLauncher::Advise(IDiagCmpt2OBPP* pCallback, unsigned long* pdwCookie)
{
    return FdCom::hrGuard(
        [&]() -> HRESULT
        {
            if (!m_mgr && g_mgrFactory)
            {
                m_mgr = g_mgrFactory();
                if (m_mgr)
                    m_mgr->SetComponent(this);
            }
            if (pCallback)
                pCallback->AddRef();
            vReleaseCallback();
            m_pCallback = pCallback;
            if (pdwCookie)
                *pdwCookie = 0;
            return S_OK;
        });
}

STDMETHODIMP CLudexOBPPLauncher::Unadvise(unsigned long)
{
    return FdCom::hrGuard(
        [&]() -> HRESULT
        {
            vReleaseCallback();
            return S_OK;
        });
}

STDMETHODIMP CLudexOBPPLauncher::ForceRemove()
{
    return FdCom::hrGuard(
        [&]() -> HRESULT
        {
            // The page may go while the engine waits on a plug or on the page itself:
            // the manager then stops hearing the page at once and is destroyed with
            // this object, after the message loop, never under its own running call.
            if (m_mgr && m_mgr->IsRunningEngine())
                m_removedMgr = std::move(m_mgr);
            m_mgr.reset();
            PostQuitMessage(0);
            return S_OK;
        });
}

void CLudexOBPPLauncher::NavigateHostFrame(const CStringExt& url, const CStringExt& frame)
{
    if (!m_pCallback)
        return;
    vCallback("TURL", url);
    vCallback("BFRM", frame);
    vCallback(nullptr, "SEND");
}

int32_t CLudexOBPPLauncher::RequestHostDownload(const CStringExt& url, const CStringExt&)
{
    m_strDownloadUrl.clear();
    m_strDownloadPath.clear();
    if (!m_pCallback)
        return 0;
    vCallback("URL", url);
    vCallback(nullptr, "DOWNLOAD2");
    return 0;
}

long CLudexOBPPLauncher::LeaveHost()
{
    if (!m_pCallback)
        return S_OK;
    // Held over the call: the plug-in may unadvise from inside it.
    const FdWin::TComRef<IDiagCmpt2OBPP> callback(m_pCallback);
    return callback->CmptOut();
}

void CLudexOBPPLauncher::Notify(int32_t) {}

void CLudexOBPPLauncher::vReleaseCallback()
{
    if (IDiagCmpt2OBPP* callback = m_pCallback)
    {
        m_pCallback = nullptr;
        callback->Release();
    }
}

// SetParameter(name, value) on the callback, or ExecuteCmd(value) without a
// name. The results are not looked at.
void CLudexOBPPLauncher::vCallback(const char* name, const std::string& value)
{
    if (!m_pCallback)
        return;
    // Held over the call: the plug-in may unadvise from inside it.
    const FdWin::TComRef<IDiagCmpt2OBPP> callback(m_pCallback);
    FdCom::CBstr bstrValue(value);
    if (name)
    {
        FdCom::CBstr bstrName(name);
        callback->SetParameter(bstrName.bstr(), bstrValue.bstr());
    }
    else
        callback->ExecuteCmd(bstrValue.bstr());
}

HRESULT hrCreateLudexOBPPLauncher(REFIID riid, void** ppv)
{
    return FdCom::TComSingleton<CLudexOBPPLauncher>::hrGet(riid, ppv);
}

void vDestroyLudexOBPPLauncher()
{
    FdCom::TComSingleton<CLudexOBPPLauncher>::vDestroy();
}
