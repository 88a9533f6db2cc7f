// One NPAPI plug-in instance (an EMBED): its window, its NPP record, the
// browser services it asks for, and its streams both ways.
#pragma once

#include "HostOptions.h"
#include "HostSession.h"
#include "NpApi.h"

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

namespace FdBrowserHost
{
class CNpPluginLib;
class CNpInStream;

constexpr std::size_t kMaxPushBytes = 4 * 1024 * 1024; // one stream the plug-in writes to a frame
constexpr std::size_t kMaxPostBytes = 16 * 1024 * 1024;

class CNpInstance
{
public:
    CNpInstance(CHostSession& session, CNpPluginLib& lib, int id, const SElementContext& ctx,
                std::string type);
    CNpInstance(const CNpInstance&) = delete;
    CNpInstance& operator=(const CNpInstance&) = delete;
    ~CNpInstance();

    // Window, NPP_New with the attributes in page order, NPP_SetWindow, and
    // the stream of the src attribute. False when NPP_New failed: the
    // instance is then gone for the browser (no NPP_Destroy).
    bool boCreate(const RECT& rc);
    // Open streams end with NPRES_USER_BREAK, then NPP_Destroy.
    void vDestroy();

    NPP npp() { return &m_npp; }
    int id() const { return m_id; }
    HWND hwnd() const { return m_hwnd; }
    const NPPluginFuncs& funcs() const;
    CHostSession& session() { return m_session; }
    bool boBusy() const; // a stream is open

    // ---- Browser services (NPN_*), on the plug-in's thread
    NPError eGetUrl(const char* url, const char* target, bool boNotify, void* notifyData);
    NPError ePostUrl(const char* url, const char* target, uint32_t len, const char* buf, NPBool file,
                     bool boNotify, void* notifyData);
    NPError eNewStream(NPMIMEType type, const char* target, NPStream** ppStream);
    int32_t lWrite(NPStream* pStream, int32_t len, void* buffer);
    NPError eDestroyStream(NPStream* pStream, NPReason reason);
    void vStatus(const char* message);
    NPError eGetValue(NPNVariable variable, void* value);
    NPError eSetValue(NPPVariable variable, void* value);
    void vInvalidateRect(const NPRect* pRect);
    void vInvalidateRegion(NPRegion region);
    void vForceRedraw();

    // ---- From the session
    bool boOnFetchProgress(int iStream); // true when the stream is one of its own
    void vRetryStreams();                // streams waiting for NPP_WriteReady
    void vReapStreams();                 // frees the ended streams
    void vStep(const SStep& step);

private:
    // A stream the plug-in writes (NPN_NewStream), meant for a frame.
    struct SOutStream
    {
        NPStream stream = {};
        std::string strType;
        std::string strTarget;
        std::string strData;
        bool boOverflow = false;
    };

    void vStartStream(const std::string& method, const std::string& absUrl, const std::string& body,
                      const std::string& requestedUrl, bool boNotify, void* notifyData);
    // NPP_SetWindow with m_window; hwndLeft is the window given before when the
    // call takes it away (a new window or none), so the log shows whether the
    // plug-in gave it its procedure back.
    NPError eSetWindow(const char* pszWhy, HWND hwndLeft = nullptr);
    SOutStream* pFindOut(NPStream* p);
    CNpInStream* pFindIn(NPStream* p);

    CHostSession& m_session;
    CNpPluginLib& m_lib;
    int m_id;
    SElementContext m_ctx;
    std::vector<char> m_type; // NPMIMEType is writable
    NPP_t m_npp = {};
    NPWindow m_window = {};
    HWND m_hwnd = nullptr;
    RECT m_rc = {};
    bool m_boAlive = false; // between a successful NPP_New and NPP_Destroy
    // NPP_New's arguments stay valid for the instance's life.
    std::vector<std::string> m_argn;
    std::vector<std::string> m_argv;
    std::vector<char*> m_argnPtrs;
    std::vector<char*> m_argvPtrs;
    std::vector<std::unique_ptr<CNpInStream>> m_in;
    std::vector<std::unique_ptr<SOutStream>> m_out;
};
} // namespace FdBrowserHost
