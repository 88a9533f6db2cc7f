// The hub program: start-up (registration switches, the single instance,
// settings, trace, tray icon, hub manager, class object), the main thread's
// message loop and the end.
#pragma once

#include <windows.h>

#include <cstdint>
#include <memory>

#include "HubBridge.h"
#include "IHubCore.h"
#include "LinkwellSettings.h"
#include "MainWindow.h"

class CLogger;
class CLinkwellMgr;

namespace Linkwell
{

class CTraybarMgr;

constexpr const char* kUnicityEvent = "Linkwell v2.0 Unicity Event";
// The unicity event is set while the class object is published. A second
// instance started by COM leaves at once when it is set (COM reaches the
// running instance), takes over when the running one ends within this
// time, and leaves after it otherwise.
constexpr DWORD kEmbeddedWaitMs = 10000;
constexpr DWORD kEmbeddedPollMs = 100;
// Exit code of a start-up whose main window could not be created.
constexpr int kExitNoWindow = 2;

class CLinkwellApp : public CMainWindow::IHandler, public ILinkwellProgram
{
public:
    CLinkwellApp();
    ~CLinkwellApp() override;
    CLinkwellApp(const CLinkwellApp&) = delete;
    CLinkwellApp& operator=(const CLinkwellApp&) = delete;

    // The whole program; returns its exit code.
    int iRun(HINSTANCE hInstance, const char* lpszCommandLine);

    // CMainWindow::IHandler (main thread)
    void vOnQuit() override;
    void vOnTrayState(bool boAnyRegistered) override;
    // ILinkwellProgram
    void vPostQuit() override;
    void vSetTraceLevel(uint32_t dwLevel) override;

private:
    // False when another instance runs (after the message, or the wait of an
    // instance started by COM).
    bool boTakeUnicity(bool boEmbedded);
    void vReadSettings();
    void vSetPriority();
    void vEnableTrace(uint32_t dwFlags);
    void vShowTray(bool boConnected);
    void vRunMessageLoop();
    // The end of a start-up that stopped before the tray and the hub manager.
    void vEndStartup();
    void vEnd();

    HINSTANCE m_hInstance = nullptr;
    HANDLE m_hUnicity = nullptr;
    SLinkwellSettings m_settings;
    std::unique_ptr<CLogger> m_logger;
    CMainWindow m_window;
    std::unique_ptr<CTraybarMgr> m_tray;
    std::unique_ptr<CPageJobHost> m_host;
    std::unique_ptr<CLinkwellMgr> m_manager;
    std::unique_ptr<CMgrCore> m_core;
    bool m_boClassRegistered = false;
    bool m_boQuitting = false;
};

} // namespace Linkwell
