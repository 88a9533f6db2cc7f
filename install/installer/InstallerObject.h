#pragma once
// CDiagOBPP2Cmpt, the installer's COM object: the plug-in's parameters and
// commands, the callback it lends, and the worker thread that runs the
// install script through a marshalled proxy of that callback.
#include "ComRef.h"
#include "CriticalSection.h"
#include "FdComObject.h"
#include "InstallEngine.h"
#include "Installer_h.h"
#include "WinHandle.h"
#include "WinInstallHost.h"

#include <atomic>
#include <mutex>

namespace FdInstall
{
// The installer's own process: its main thread (which WM_QUIT ends), the lock
// held for a whole script run, and the flag set while the installer itself
// closes the browsers (an Unadvise then leaves the server up).
struct SInstallerProcess
{
    DWORD dwMainThread = 0;
    FdSystem::CCriticalSection runLock;
    std::atomic<bool> boClosingBrowsers{false};
};
SInstallerProcess& installerProcess();

class CInstallerObject : public FdCom::CObjectRoot, public IDiagOBPP2Cmpt, private IWorkerControl
{
public:
    CInstallerObject();
    ~CInstallerObject() override;

    FD_COM_BEGIN_MAP(CInstallerObject, IDiagOBPP2Cmpt)
    FD_COM_ENTRY(IDiagOBPP2Cmpt)
    FD_COM_END_MAP()

    STDMETHODIMP ExecuteCmd(BSTR bstrName) override;
    STDMETHODIMP SetParameter(BSTR bstrName, BSTR bstrValue) override;
    STDMETHODIMP GetParameter(BSTR bstrName, BSTR* pbstrValue) override;
    STDMETHODIMP Advise(IDiagCmpt2OBPP* pCallback, unsigned long* pdwCookie) override;
    STDMETHODIMP Unadvise(unsigned long dwCookie) override;
    STDMETHODIMP ForceRemove() override;

    // Stops a running worker: WM_QUIT to it, a bounded wait, then a forced end.
    void vStopWorker();
    // Stops the worker of every live object (the tray's quit).
    static void vStopAllWorkers();

    static constexpr DWORD kReleaseWaitMs = 4000;
    static constexpr DWORD kStopWaitMs = 6000;

private:
    // The callback as the worker uses it: its proxy, released on request.
    class CProxyCallback : public IInstallCallback
    {
    public:
        void vAttach(IDiagCmpt2OBPP* lpProxy) { m_lpProxy = lpProxy; }
        void vRelease();
        bool boHeld() const { return m_lpProxy != nullptr; }
        void vSetParameter(const std::string& strName, const std::string& strValue) override;
        void vExecuteCmd(const std::string& strCommand) override;

    private:
        IDiagCmpt2OBPP* m_lpProxy = nullptr;
    };

    // IWorkerControl (worker thread)
    bool boStopRequested() const override { return m_boStopRequest; }
    void vOnReleaseRequest() override;
    bool boReleaseRequested() const override { return m_boReleaseRequest; }
    void vCloseBrowsers() override;

    void vDownloadDone(IInstallCallback* lpCallback);
    bool boStartWorker(IInstallCallback* lpCallback);
    static unsigned __stdcall uWorker(void* lpv);
    void vWorkerRun(IStream* lpStream);

    CWinInstallHost m_host;
    CInstallEngine m_engine{m_host};
    FdWin::TComRef<IDiagCmpt2OBPP> m_callback; // as given to Advise; main thread only

    // Worker: one at a time. A DLDONE that comes while the worker is still
    // ending marks the run to go on in that same worker.
    std::mutex m_workerLock;
    bool m_boWorkerActive = false;
    bool m_boResumePending = false;
    FdWin::CHandle m_wake; // set when the worker's proxy is released
    FdWin::CHandle m_thread;
    std::atomic<DWORD> m_dwThreadId{0};
    CProxyCallback m_proxy; // worker thread only
    std::atomic<bool> m_boProxyHeld{false};
    std::atomic<bool> m_boStopRequest{false};
    std::atomic<bool> m_boReleaseRequest{false};
};

HRESULT hrCreateInstallerObject(REFIID riid, void** ppv);
} // namespace FdInstall
