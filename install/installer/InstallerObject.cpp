#include "InstallerObject.h"

#include "BrowserCloser.h"
#include "ComInit.h"
#include "FdBstr.h"
#include "FdComBoundary.h"

#include <process.h>

#include <algorithm>
#include <set>

namespace FdInstall
{
namespace
{
// The callback as the main thread uses it: the pointer given to Advise.
class CMainCallback : public IInstallCallback
{
public:
    explicit CMainCallback(IDiagCmpt2OBPP* lpCallback) : m_lpCallback(lpCallback) {}
    void vSetParameter(const std::string& strName, const std::string& strValue) override
    {
        if (m_lpCallback)
            m_lpCallback->SetParameter(FdCom::CBstr(strName).bstr(), FdCom::CBstr(strValue).bstr());
    }
    void vExecuteCmd(const std::string& strCommand) override
    {
        if (m_lpCallback)
            m_lpCallback->ExecuteCmd(FdCom::CBstr(strCommand).bstr());
    }

private:
    IDiagCmpt2OBPP* m_lpCallback;
};

bool boIs(const std::string& a, const char* b)
{
    return lstrcmpiA(a.c_str(), b) == 0;
}

// Live objects, for the tray's quit.
std::mutex g_liveLock;
std::set<CInstallerObject*> g_live;

struct SWorkerStart
{
    CInstallerObject* lpObject;
    IStream* lpStream;
};
} // namespace

SInstallerProcess& installerProcess()
{
    static SInstallerProcess s_process;
    return s_process;
}

CInstallerObject::CInstallerObject()
{
    m_host.vAttach(&m_engine, this);
    std::lock_guard<std::mutex> lock(g_liveLock);
    g_live.insert(this);
}

CInstallerObject::~CInstallerObject()
{
    {
        std::lock_guard<std::mutex> lock(g_liveLock);
        g_live.erase(this);
    }
    // The worker holds a reference while it runs: it is ending (or is this
    // thread); the callback, the thread and the event go with the members.
}

// ---- Worker's proxy

void CInstallerObject::CProxyCallback::vRelease()
{
    if (m_lpProxy)
        m_lpProxy->Release();
    m_lpProxy = nullptr;
}

void CInstallerObject::CProxyCallback::vSetParameter(const std::string& strName, const std::string& strValue)
{
    if (m_lpProxy)
        m_lpProxy->SetParameter(FdCom::CBstr(strName).bstr(), FdCom::CBstr(strValue).bstr());
}

void CInstallerObject::CProxyCallback::vExecuteCmd(const std::string& strCommand)
{
    if (m_lpProxy)
        m_lpProxy->ExecuteCmd(FdCom::CBstr(strCommand).bstr());
}

void CInstallerObject::vOnReleaseRequest()
{
    m_boReleaseRequest = false;
    m_proxy.vRelease();
    m_boProxyHeld = false;
    SetEvent(m_wake.get());
}

void CInstallerObject::vCloseBrowsers()
{
    // An Unadvise meanwhile (the plug-in's page closing with its browser)
    // leaves the server up to finish the run.
    installerProcess().boClosingBrowsers = true;
    FdNavClose::boCloseBrowsers(false);
    installerProcess().boClosingBrowsers = false;
}

// ---- IDiagOBPP2Cmpt

STDMETHODIMP CInstallerObject::SetParameter(BSTR bstrName, BSTR bstrValue)
{
    return FdCom::hrGuard(
        [&]() -> HRESULT
        {
            m_engine.vSetParameter(FdCom::strFromBstr(bstrName), FdCom::strFromBstr(bstrValue));
            return S_OK;
        });
}

STDMETHODIMP CInstallerObject::GetParameter(BSTR, BSTR* pbstrValue)
{
    return FdCom::hrGuard(
        [&]() -> HRESULT
        {
            if (!pbstrValue)
                return E_POINTER;
            *pbstrValue = nullptr;
            return S_OK;
        });
}

STDMETHODIMP CInstallerObject::Advise(IDiagCmpt2OBPP* pCallback, unsigned long* pdwCookie)
{
    return FdCom::hrGuard(
        [&]() -> HRESULT
        {
            if (pdwCookie)
                *pdwCookie = 0;
            m_callback = FdWin::TComRef<IDiagCmpt2OBPP>(pCallback);
            return S_OK;
        });
}

STDMETHODIMP CInstallerObject::Unadvise(unsigned long)
{
    return FdCom::hrGuard(
        [&]() -> HRESULT
        {
            bool boWorker;
            {
                std::lock_guard<std::mutex> lock(m_workerLock);
                boWorker = m_boWorkerActive;
            }
            if (boWorker && m_boProxyHeld)
            {
                // The worker releases its proxy at its next message check.
                m_boReleaseRequest = true;
                PostThreadMessageA(m_dwThreadId, kReleaseProxyMessage, 0, 0);
                WaitForSingleObject(m_wake.get(), kReleaseWaitMs);
            }
            m_callback.vReset();
            if (!installerProcess().boClosingBrowsers)
                ForceRemove();
            return S_OK;
        });
}

STDMETHODIMP CInstallerObject::ForceRemove()
{
    return FdCom::hrGuard(
        [&]() -> HRESULT
        {
            vStopWorker();
            PostThreadMessageA(installerProcess().dwMainThread, WM_QUIT, 0, 0);
            return S_OK;
        });
}

void CInstallerObject::vStopWorker()
{
    bool boWorker;
    {
        std::lock_guard<std::mutex> lock(m_workerLock);
        boWorker = m_boWorkerActive && m_thread.boValid();
        m_boResumePending = false;
    }
    if (!boWorker)
        return;
    m_boStopRequest = true;
    PostThreadMessageA(m_dwThreadId, WM_QUIT, 0, 0);
    if (WaitForSingleObject(m_thread.get(), kStopWaitMs) == WAIT_TIMEOUT)
    {
        TerminateThread(m_thread.get(), 1);
        m_engine.vStopFromOutside();
        std::lock_guard<std::mutex> lock(m_workerLock);
        m_boWorkerActive = false;
    }
}

void CInstallerObject::vStopAllWorkers()
{
    std::vector<CInstallerObject*> objects;
    {
        std::lock_guard<std::mutex> lock(g_liveLock);
        objects.assign(g_live.begin(), g_live.end());
    }
    // Called on the main thread, which holds the plug-in's references: the
    // objects stay alive meanwhile.
    for (CInstallerObject* p : objects)
        p->vStopWorker();
}

STDMETHODIMP CInstallerObject::ExecuteCmd(BSTR bstrName)
{
    return FdCom::hrGuard(
        [&]() -> HRESULT
        {
            const std::string strCommand = FdCom::strFromBstr(bstrName);
            CMainCallback callback(m_callback.p());
            if (boIs(strCommand, "INSTALL"))
            {
                {
                    std::lock_guard<std::mutex> lock(m_workerLock);
                    if (m_boWorkerActive)
                        return S_OK; // one run at a time
                }
                if (!m_engine.boDownloadOutstanding())
                    m_engine.vInstall(&callback);
            }
            else if (boIs(strCommand, "DLDONE"))
            {
                vDownloadDone(&callback);
            }
            else if (boIs(strCommand, "DLERR"))
            {
                m_engine.vDownloadError(&callback);
            }
            return S_OK;
        });
}

void CInstallerObject::vDownloadDone(IInstallCallback* lpCallback)
{
    if (m_engine.eDownloadDone(lpCallback) != CInstallEngine::EDone::StartWorker)
        return;
    {
        std::lock_guard<std::mutex> lock(m_workerLock);
        if (m_boWorkerActive)
        {
            // The worker that asked for the file has not ended yet: it goes on.
            m_boResumePending = true;
            return;
        }
        m_boWorkerActive = true;
    }
    if (!boStartWorker(lpCallback))
    {
        std::lock_guard<std::mutex> lock(m_workerLock);
        m_boWorkerActive = false;
    }
}

// ---- The worker

bool CInstallerObject::boStartWorker(IInstallCallback* lpCallback)
{
    if (!m_wake.boValid())
        m_wake.vAttach(CreateEventA(nullptr, FALSE, FALSE, nullptr));
    if (!m_wake.boValid())
    {
        m_engine.vErrorReport(lpCallback, kErrWakeEvent);
        return false;
    }
    if (m_thread.boValid())
    {
        // The previous worker has left the run; it only has its exit to make.
        WaitForSingleObject(m_thread.get(), kStopWaitMs);
        m_thread.boClose();
    }
    ResetEvent(m_wake.get());
    IStream* lpStream = nullptr;
    if (m_callback &&
        FAILED(CoMarshalInterThreadInterfaceInStream(IID_IDiagCmpt2OBPP, m_callback.p(), &lpStream)))
        lpStream = nullptr;
    m_boStopRequest = false;
    m_boReleaseRequest = false;
    AddRef(); // the worker's reference
    auto* lpStart = new SWorkerStart{this, lpStream};
    unsigned uId = 0;
    const uintptr_t uHandle = _beginthreadex(nullptr, 0, uWorker, lpStart, 0, &uId);
    if (!uHandle)
    {
        delete lpStart;
        if (lpStream)
        {
            // Takes the marshalled proxy back and lets it go.
            IDiagCmpt2OBPP* lpProxy = nullptr;
            if (SUCCEEDED(CoGetInterfaceAndReleaseStream(lpStream, IID_IDiagCmpt2OBPP,
                                                         reinterpret_cast<void**>(&lpProxy))))
                lpProxy->Release();
        }
        SetEvent(m_wake.get());
        Release();
        m_engine.vErrorReport(lpCallback, kErrWorkerStart);
        return false;
    }
    m_thread.vAttach(reinterpret_cast<HANDLE>(uHandle));
    m_dwThreadId = uId;
    return true;
}

unsigned __stdcall CInstallerObject::uWorker(void* lpv)
{
    SWorkerStart start = *static_cast<SWorkerStart*>(lpv);
    delete static_cast<SWorkerStart*>(lpv);
    start.lpObject->vWorkerRun(start.lpStream);
    start.lpObject->Release(); // may delete the object: nothing of it is used after
    return 0;
}

void CInstallerObject::vWorkerRun(IStream* lpStream)
{
    SInstallerProcess& process = installerProcess();
    FdSystem::CAutoLock runLock(&process.runLock);
    CInstallEngine::ERunEnd eEnd;
    {
        const FdWin::CComInit com;
        const HRESULT hrInit = com.hr();
        // The thread's message queue, for the requests posted to it.
        MSG msg;
        PeekMessageA(&msg, nullptr, WM_USER, WM_USER, PM_NOREMOVE);
        IDiagCmpt2OBPP* lpProxy = nullptr;
        if (lpStream)
        {
            if (FAILED(hrInit) || FAILED(CoGetInterfaceAndReleaseStream(lpStream, IID_IDiagCmpt2OBPP,
                                                                        reinterpret_cast<void**>(&lpProxy))))
            {
                lpProxy = nullptr;
                if (FAILED(hrInit))
                    lpStream->Release();
            }
        }
        m_proxy.vAttach(lpProxy);
        m_boProxyHeld = lpProxy != nullptr;

        for (;;)
        {
            eEnd = m_engine.eRun(&m_proxy);
            std::lock_guard<std::mutex> lock(m_workerLock);
            if (eEnd == CInstallEngine::ERunEnd::Paused && m_boResumePending)
            {
                m_boResumePending = false;
                continue;
            }
            m_boResumePending = false;
            m_boWorkerActive = false;
            break;
        }

        m_proxy.vRelease();
        m_boProxyHeld = false;
        SetEvent(m_wake.get());
    } // COM is left here, before the main thread is told to end
    if (eEnd == CInstallEngine::ERunEnd::Finished)
        PostThreadMessageA(process.dwMainThread, WM_QUIT, 0, 0);
}

HRESULT hrCreateInstallerObject(REFIID riid, void** ppv)
{
    return FdCom::TComObject<CInstallerObject>::hrCreate(riid, ppv);
}
} // namespace FdInstall
