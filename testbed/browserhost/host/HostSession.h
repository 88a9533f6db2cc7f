// One session of the browser host: reads the page, places its plug-ins
// (NPAPI instances and ActiveX controls) in the window, serves them, logs
// what the page would see, and ends on request, on time or when idle.
//
// Teardown order: screenshot, ActiveX controls closed, NPAPI instances
// destroyed (their open streams ended first), plug-in libraries shut down,
// window destroyed. A plug-in call still on the stack (a plug-in pumping
// messages) postpones it to a later turn of the loop.
#pragma once

#include "FrameTargets.h"
#include "HostLog.h"
#include "HostOptions.h"
#include "HostWindow.h"
#include "NpApi.h"
#include "PageLoader.h"

#include <deque>
#include <memory>
#include <string>
#include <vector>

namespace FdBrowserHost
{
class CNpPluginLib;
class CNpInstance;
class CAxControl;

extern const char kUserAgent[];

// Where an EMBED or OBJECT sits.
struct SElementContext
{
    const SPlugElement* pElement = nullptr;
    int iFrame = -1;        // frame of its document; -1: the top window
    std::string strBaseUrl; // its document's base address
};

// A request that opens an address in a window or frame.
struct SNavigation
{
    int iInstance = 0;
    int iSelfFrame = -1;
    std::string strMethod = "GET";
    std::string strUrl;                 // absolute
    std::string strTarget;              // as the plug-in gave it
    const std::string* pData = nullptr; // posted data
};

class CHostSession : private IHostWindowEvents
{
public:
    explicit CHostSession(const SHostOptions& options);
    ~CHostSession() override;
    CHostSession(const CHostSession&) = delete;
    CHostSession& operator=(const CHostSession&) = delete;

    // The whole session; the program's exit code.
    int iRun();

    // ---- Services for instances and controls
    CHostLog& log() { return m_log; }
    const SHostOptions& options() const { return m_options; }
    HWND hwndMain() const { return m_window.hwnd(); }
    int iNewId() { return ++m_iLastId; }
    const NPNetscapeFuncs& browserFuncs() const { return m_browserFuncs; }
    const std::vector<SFrameNode>& frames() const { return m_model.frames; }
    // Logs a navigation (and the HTML of a local file it opens) and shows it
    // in the frame list.
    STarget navigate(const SNavigation& nav);
    void vStatus(int iInstance, const std::string& text);
    // NPP_URLNotify for a request with a target, on a later turn of the loop.
    void vQueueNotify(int iInstance, const std::string& url, NPReason reason, void* notifyData);
    // Asks for a turn of the session's queued work (notifications, freeing
    // ended streams).
    void vScheduleWork();
    CNpInstance* pFindInstance(NPP npp) const;

    // Counts the calls into a plug-in on the stack.
    class CCallGuard
    {
    public:
        explicit CCallGuard(CHostSession& s) : m_s(s) { ++m_s.m_iCallDepth; }
        ~CCallGuard() { --m_s.m_iCallDepth; }
        CCallGuard(const CCallGuard&) = delete;
        CCallGuard& operator=(const CCallGuard&) = delete;

    private:
        CHostSession& m_s;
    };

private:
    struct SPendingNotify
    {
        int iInstance;
        std::string strUrl;
        NPReason reason;
        void* pvNotifyData;
    };

    // IHostWindowEvents
    void vOnFetchProgress(int iStream) override;
    void vOnWork() override;
    void vOnTick() override;
    void vOnCloseRequest() override;

    void vFindPlugins();
    CNpPluginLib* pPluginFor(const SPlugElement& e, const std::string& baseUrl, std::string* pType);
    void vCreateElements();
    bool boCreateElement(const SElementContext& ctx, const RECT& rc);
    RECT rcPlace(const SPlugElement& e);
    void vRunStep();
    // An await step holds the steps until its file exists.
    bool boStepReady() const;
    // Key presses posted to the window that has the keyboard focus, logged
    // with the instance whose window holds it (0: none) and its class.
    void vPostFocusKeys(const SStep& step);
    bool boBusy() const;
    void vRequestEnd(const char* pszReason);
    void vEnd();
    void vShowFrames();
    void vTakeScreenshot();
    bool boPreTranslate(MSG* pMsg);

    SHostOptions m_options;
    CHostLog m_log;
    CHostWindow m_window;
    SPageModel m_model;
    NPNetscapeFuncs m_browserFuncs = {};
    std::vector<std::unique_ptr<CNpPluginLib>> m_plugins;
    std::vector<std::unique_ptr<CNpInstance>> m_instances;
    std::vector<std::unique_ptr<CAxControl>> m_controls;
    std::deque<SPendingNotify> m_notifies;
    std::vector<std::string> m_windowUrls; // "_top", "_blank" and unknown targets: what they show
    std::vector<std::string> m_windowNames;
    int m_iLastId = 0;
    int m_iCallDepth = 0;
    bool m_boWorkPosted = false;
    uint64_t m_qwStartMs = 0;
    // Placement of the next element.
    int m_xNext = 0;
    int m_yNext = 0;
    int m_rowHeight = 0;
    // Steps.
    std::size_t m_nStepsDone = 0;
    uint64_t m_qwNextStepMs = 0;
    // End.
    const char* m_pszEndReason = nullptr;
    bool m_boEnded = false;
    int m_iExitCode = 0;
};
} // namespace FdBrowserHost
