// The browser emulation inside the ActiveX control: it drives the plug-in's
// entry points through an emulated browser table, creates the instance with
// the page's PARAMs, hands it the control's window, turns its requests
// without target into downloads on worker threads (at most 20 at once) and
// those with a target into navigations of the hosting browser.
//
// Threads: a worker only downloads. It posts its result to this object's
// message window, so every plug-in call runs on the control's thread; the
// liveness atom, checked and posted to under one lock that the destructor
// also takes, tells a worker whether the control still exists. A result
// whose control is gone is freed by the worker.
#pragma once

#include "NpApi.h"
#include "WindowBase.h"

#include <windows.h>

#include <map>
#include <string>
#include <vector>

namespace ChatPlugin
{
class CxPlgnHlpr
{
public:
    // The download call: the cache file's path into path (cch bytes) and the
    // HTTP status (0 when none); the system's result.
    using FDownload = HRESULT (*)(const char* url, char* path, DWORD cch, DWORD* httpStatus);
    static constexpr LONG kMaxDownloads = 20;
    static constexpr int kSyntaxRetries = 5; // more tries after an answer 0x800401E4
    static constexpr DWORD kPathBytes = 2048;
    static constexpr UINT kResultMessage = WM_APP + 0x102;

    CxPlgnHlpr();
    virtual ~CxPlgnHlpr();
    CxPlgnHlpr(const CxPlgnHlpr&) = delete;
    CxPlgnHlpr& operator=(const CxPlgnHlpr&) = delete;

    // Tests replace the download call (null: the real one).
    static void vSetDownloadFunction(FDownload download);
    static long lLiveObjects();
    // Workers not yet ended (waiting, downloading or handing over).
    static long lWorkersRunning();

    // A PARAM as the property bag read it (string values only).
    void vAddParam(const std::string& name, const std::string& value);
    // After the PARAMs: the page's addresses, the instance (NPP_New) and
    // "type"/"src".
    void vAfterLoad(const std::string& pageUrl);
    // WM_CREATE of the control's window: SetWindow, then the get-URL of "src".
    void vOnCreate(HWND hwnd, const CREATESTRUCTA& create);
    // The emulated get-URL's work: a download, or a navigation with a target.
    void vFetch(const std::string& url, const char* target);

    NPPluginFuncs& PluginFuncs() { return m_funcs; }
    NPP Npp() { return &m_npp; }
    const std::string& strPageDir() const { return m_pageDir; }
    const std::string& strSiteRoot() const { return m_siteRoot; }
    const std::string& strSrcEnding() const { return m_srcEnding; }
    const std::vector<std::string>& ParamNames() const { return m_names; }
    const std::vector<std::string>& ParamValues() const { return m_values; }
    // The PARAM's value by its lower-case name; empty when absent.
    std::string strParam(const std::string& lowerName) const;

protected:
    virtual bool boHasSite() = 0;
    // Opens the address in the target frame of the hosting browser.
    virtual void vNavigate(const std::string& url, const std::string& target) = 0;

private:
    struct SRequest;
    static DWORD WINAPI dwWorker(void* lpRequest);
    static void vWork(SRequest* request);
    static void vFreeRequest(SRequest* request);
    // The message window's messages: a worker's result is delivered.
    LRESULT lOnMessage(UINT msg, WPARAM wParam, LPARAM lParam);
    void vDeliver(SRequest* request);

    std::map<std::string, std::string> m_params; // lower-case names
    std::vector<std::string> m_names, m_values;
    NPPluginFuncs m_funcs;
    NPP_t m_npp;
    std::string m_pageDir, m_siteRoot, m_type, m_srcEnding, m_src;
    ATOM m_atom = 0;
    std::string m_atomName;
    FdWin::TMemberWindow<CxPlgnHlpr> m_messages;
    NPWindow m_window = {};
};
} // namespace ChatPlugin
