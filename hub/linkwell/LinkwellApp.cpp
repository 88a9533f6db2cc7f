#include <winsock2.h> // the hub core's headers need it before windows.h
#include "LinkwellApp.h"

#include <objbase.h>

#include "FdComModule.h"
#include "FdLocalServer.h"
#include "HubTrace.h"
#include "InfoMessageBox.h"
#include "LinkwellMessages.h"
#include "LPC.h"
#include "LinkwellMgr.h"
#include "LinkwellV2.h"
#include "Logger.h"
#include "OBPPJob.h"
#include "RegistryValues.h"
#include "SehFilter.h"
#include "TraybarMgr.h"

namespace Linkwell
{

namespace
{
// {94F4BDB4-69B5-445E-B608-D2CFF97EE8C6}
const GUID kAppId = {0x94f4bdb4, 0x69b5, 0x445e, {0xb6, 0x08, 0xd2, 0xcf, 0xf9, 0x7e, 0xe8, 0xc6}};
const FdCom::SClassEntry kClasses[] = {{&CLSID_LinkwellV2, hrCreateLinkwellV2, "LinkwellV2 Class",
                                        "Feldane.LinkwellV2.1", "Feldane.LinkwellV2", nullptr,
                                        REGCLS_MULTIPLEUSE, nullptr}};
const FdCom::SServerInfo kServer = {kClasses, 1, &kAppId, "Linkwell", true};

constexpr size_t kStringMax = 256;

CLogger* g_lpSehLogger = nullptr;

// A fault ends the process: its report goes to the trace first.
void vReportFault(const FdBase::CSEHException&, const char* lpszReport, void*)
{
    if (CLogger* logger = g_lpSehLogger)
    {
        logger->vLog(lpszReport, -1, 0, true);
        logger->vFlush();
    }
}

std::string LoadText(HINSTANCE hInstance, UINT uId)
{
    char text[kStringMax] = {};
    LoadStringA(hInstance, uId, text, int(sizeof(text)));
    return text;
}
} // namespace

CLinkwellApp::CLinkwellApp() = default;

CLinkwellApp::~CLinkwellApp() = default;

int CLinkwellApp::iRun(HINSTANCE hInstance, const char* lpszCommandLine)
{
    m_hInstance = hInstance;
    // 1. COM, the fault filter.
    const HRESULT hrInit = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    if (FAILED(hrInit))
        return static_cast<int>(hrInit);
    FdBase::vInstallSehFilter(vReportFault, nullptr);

    // 2. Registration switches.
    FdCom::CModule& module = FdCom::CModule::Get();
    const FdCom::ERegSwitch eSwitch = FdCom::eFindRegSwitch(lpszCommandLine);
    if (eSwitch != FdCom::ERegSwitch::None)
    {
        const HRESULT hr = FdCom::hrApplyRegSwitch(eSwitch, kServer);
        FdBase::vRemoveSehFilter();
        CoUninitialize();
        return SUCCEEDED(hr) ? 0 : static_cast<int>(hr);
    }

    // 3. One instance.
    if (!boTakeUnicity(boHasSwitch(lpszCommandLine, "Embedding")))
    {
        FdBase::vRemoveSehFilter();
        CoUninitialize();
        return 0;
    }

    // 4. Trace and settings.
    m_logger.reset(new CLogger());
    HubTrace::vSetLogger(m_logger.get(), 0);
    HubTrace::vNameThread("Main");
    g_lpSehLogger = m_logger.get();
    vReadSettings();

    // 5. Tray icon, after the window that hears its commands and the jobs.
    // Without that window neither a server's "CLOS" nor the page could end
    // the hub: it does not start (as under a session without a display).
    if (!m_window.boCreate(hInstance, *this))
    {
        HubTrace::vLog("!ERREUR! Linkwell : fenêtre principale impossible à créer (%lu)",
                       static_cast<unsigned long>(GetLastError()));
        vEndStartup();
        return kExitNoWindow;
    }
    m_tray.reset(new CTraybarMgr(hInstance, m_window.hGetWindow()));
    vShowTray(false);

    // 6. Hub manager and class object.
    m_host.reset(new CPageJobHost(m_window));
    m_manager.reset(new CLinkwellMgr(*m_host));
    try
    {
        if (!m_manager->boInit(m_settings.hub))
            HubTrace::vLog("!ERREUR! Linkwell : CLSID du composant de login illisible (%s)",
                           m_settings.hub.loginClsid.c_str());
    }
    catch (const CLpcExists&)
    {
        // The process has a hub core already: this one cannot serve. What
        // was set up goes, and the program ends with 1.
        vEnd();
        return 1;
    }
    m_core.reset(new CMgrCore(*m_manager));
    CLinkwellV2::vSetContext(m_core.get(), this);
    const HRESULT hrClass = module.hrRegisterClassObjects(kServer);
    m_boClassRegistered = SUCCEEDED(hrClass);
    if (m_boClassRegistered)
        SetEvent(m_hUnicity); // serving: an instance that COM starts now leaves at once
    else
        HubTrace::vLog("!ERREUR! Linkwell : enregistrement de l'objet classe en échec (%08lx)",
                       static_cast<unsigned long>(hrClass));

    // 7. The loop, 8. the end.
    vRunMessageLoop();
    vEnd();
    return 0;
}

bool CLinkwellApp::boTakeUnicity(bool boEmbedded)
{
    m_hUnicity = CreateEventA(nullptr, TRUE, FALSE, kUnicityEvent);
    if (m_hUnicity == nullptr || GetLastError() != ERROR_ALREADY_EXISTS)
        return true;
    if (!boEmbedded)
    {
        CloseHandle(m_hUnicity);
        m_hUnicity = nullptr;
        FdLib::iInfoMessageBox("%s", LoadText(m_hInstance, kStrAlreadyRunning).c_str());
        return false;
    }
    // Started by COM while another instance holds the event. No box: nobody
    // is there to answer it, and the caller's activation must not wait on
    // it. The running instance sets the event while its class object is
    // published: then COM reaches it and this one leaves. Otherwise it is
    // starting (it publishes soon) or ending (this one takes over once the
    // event is gone).
    for (DWORD dwWaited = 0; dwWaited < kEmbeddedWaitMs; dwWaited += kEmbeddedPollMs)
    {
        const bool boServing = WaitForSingleObject(m_hUnicity, kEmbeddedPollMs) == WAIT_OBJECT_0;
        CloseHandle(m_hUnicity);
        m_hUnicity = nullptr;
        if (boServing)
            return false;
        m_hUnicity = CreateEventA(nullptr, TRUE, FALSE, kUnicityEvent);
        if (m_hUnicity == nullptr || GetLastError() != ERROR_ALREADY_EXISTS)
            return true;
    }
    CloseHandle(m_hUnicity);
    m_hUnicity = nullptr;
    return false;
}

void CLinkwellApp::vReadSettings()
{
    m_settings = MakeSettings(ReadRegistryValues(HKEY_LOCAL_MACHINE, kSettingsKey));
    vSetPriority();
    const uint32_t dwFlags = m_settings.hub.dwLogFlags;
    if (dwFlags == 0)
        return;
    vEnableTrace(dwFlags);
    for (const std::string& line : StartupLogLines(dwFlags, m_settings.hub.wProxyPort))
        m_logger->vLog(line.c_str(), int(line.size()), 0, true);
}

void CLinkwellApp::vSetPriority()
{
    const DWORD dwWanted = m_settings.dwPriorityClass;
    if (!SetPriorityClass(GetCurrentProcess(), dwWanted))
    {
        FdLib::iInfoMessageBox("Erreur de changement de priorité : %x", unsigned(GetLastError()));
        return;
    }
    const DWORD dwActual = GetPriorityClass(GetCurrentProcess());
    if (dwActual != dwWanted)
        FdLib::iInfoMessageBox(
            "Priorité non supportée par le système : Priorité actuelle : %x  Priorité demandée : %x",
            unsigned(dwActual), unsigned(dwWanted));
}

void CLinkwellApp::vEnableTrace(uint32_t dwFlags)
{
    m_logger->vSetFlushEachLine(dwFlags < HubRouting::kLogBuffered);
    m_logger->vEnable(true);
    HubTrace::vSetLogger(m_logger.get(), dwFlags);
}

void CLinkwellApp::vSetTraceLevel(uint32_t dwLevel)
{
    // The registry's setting, when it switched the trace on, wins.
    if (m_settings.hub.dwLogFlags != 0 || dwLevel == 0 || !m_logger)
        return;
    m_settings.hub.dwLogFlags = dwLevel;
    vEnableTrace(dwLevel);
}

void CLinkwellApp::vShowTray(bool boConnected)
{
    const std::string tip = LoadText(m_hInstance, boConnected ? kStrConnected : kStrDisconnected);
    m_tray->boShow(kMenuTray, boConnected ? kIconConnected : kIconDisconnected, tip.c_str(), kTrayNotifyId);
}

void CLinkwellApp::vOnTrayState(bool boAnyRegistered)
{
    if (m_tray && !m_boQuitting)
        vShowTray(boAnyRegistered);
}

void CLinkwellApp::vPostQuit()
{
    m_window.vPostQuit();
}

void CLinkwellApp::vOnQuit()
{
    if (m_boQuitting)
        return;
    m_boQuitting = true;
    HubTrace::vLog("KILLAPP (ou WM_CLOSE ou WM_QUERYENDSESSION) reçu");
    CLinkwellV2::vBreakAllPageLinks();
    if (m_boClassRegistered)
    {
        FdCom::CModule::Get().vRevokeClassObjects();
        m_boClassRegistered = false;
        ResetEvent(m_hUnicity); // ending: an instance that COM starts now takes over
    }
    // The loop ends once the messages already queued are dispatched.
    PostQuitMessage(0);
}

void CLinkwellApp::vRunMessageLoop()
{
    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0)
    {
        // The same messages posted to the thread rather than to its window.
        if (msg.hwnd == nullptr && msg.message == kMsgPageJob)
        {
            COBPPJob::vRunAndFree(COBPPJob::lpFromMessage(msg.wParam));
            continue;
        }
        if (msg.message == kMsgQuit || msg.message == WM_CLOSE || msg.message == WM_QUERYENDSESSION)
        {
            vOnQuit();
            if (msg.hwnd == nullptr)
                continue;
        }
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}

void CLinkwellApp::vEndStartup()
{
    g_lpSehLogger = nullptr;
    HubTrace::vSetLogger(nullptr, 0);
    m_logger.reset();
    CloseHandle(m_hUnicity);
    m_hUnicity = nullptr;
    FdBase::vRemoveSehFilter();
    CoUninitialize();
}

void CLinkwellApp::vEnd()
{
    if (m_boClassRegistered)
    {
        FdCom::CModule::Get().vRevokeClassObjects();
        m_boClassRegistered = false;
    }
    // No COM call reaches the core once it is closing.
    CLinkwellV2::vSetContext(nullptr, nullptr);
    m_manager->vClose();
    m_window.vDestroy();
    m_tray.reset();
    m_core.reset();
    m_manager.reset();
    m_host.reset();
    g_lpSehLogger = nullptr;
    HubTrace::vSetLogger(nullptr, 0);
    m_logger.reset(); // "###Déchargement du processus"
    CloseHandle(m_hUnicity);
    m_hUnicity = nullptr;
    FdBase::vRemoveSehFilter();
    CoUninitialize();
}

} // namespace Linkwell
