// One stream from the browser into a plug-in instance: a transfer whose
// answer goes through NPP_NewStream, NPP_WriteReady/NPP_Write (or a file,
// NPP_StreamAsFile), NPP_DestroyStream, and NPP_URLNotify when it was asked
// for. A request whose transfer fails before the stream starts (an HTTP
// error status, no connection) gets only NPP_URLNotify with
// NPRES_NETWORK_ERR.
#pragma once

#include "HttpFetch.h"
#include "NpApi.h"
#include "WinHandle.h"

#include <memory>
#include <string>

namespace FdBrowserHost
{
class CNpInstance;
class CHostSession;

class CNpInStream
{
public:
    CNpInStream(CNpInstance& owner, int id, std::string requestedUrl, bool boNotify, void* notifyData,
                const SFetchRequest& request);
    CNpInStream(const CNpInStream&) = delete;
    CNpInStream& operator=(const CNpInStream&) = delete;
    // Cancels the transfer and removes the temporary file.
    ~CNpInStream();

    int id() const { return m_id; }
    NPStream* pStream() { return &m_stream; }
    bool boStarted() const { return m_boStarted; }
    bool boEnded() const { return m_boEnded; }
    bool boWaiting() const { return m_boWaiting; }

    // Takes what the transfer brought and hands it on.
    void vPump();
    // Ends the stream now: NPP_StreamAsFile (file streams that succeeded),
    // NPP_DestroyStream (a started stream), NPP_URLNotify (when asked).
    void vEnd(NPReason reason, const std::string& why);

private:
    bool boStart(const SFetchState& state);
    void vDeliver();
    void vToTempFile(const std::string& data);

    CNpInstance& m_owner;
    CHostSession& m_session;
    int m_id;
    std::string m_strRequestedUrl;
    bool m_boNotify;
    void* m_pvNotifyData;
    std::unique_ptr<CFetch> m_fetch;

    NPStream m_stream = {};
    std::string m_strUrl;
    std::string m_strHeaders;
    std::string m_strType;
    uint16_t m_wType = NP_NORMAL;
    bool m_boStarted = false;
    bool m_boEnded = false;
    bool m_boInPump = false;
    bool m_boWaiting = false;
    std::string m_pending;
    uint64_t m_qwOffset = 0;
    std::string m_strTempPath;
    FdWin::CHandle m_tempFile;
};
} // namespace FdBrowserHost
