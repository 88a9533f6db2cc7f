#include "NpInStream.h"

#include "HostSession.h"
#include "NpInstance.h"

#include <cstdio>

namespace FdBrowserHost
{
namespace
{
std::string strPtr(const void* p)
{
    char sz[32];
    std::snprintf(sz, sizeof sz, "%p", p);
    return sz;
}
} // namespace

CNpInStream::CNpInStream(CNpInstance& owner, int id, std::string requestedUrl, bool boNotify,
                         void* notifyData, const SFetchRequest& request)
    : m_owner(owner), m_session(owner.session()), m_id(id), m_strRequestedUrl(std::move(requestedUrl)),
      m_boNotify(boNotify), m_pvNotifyData(notifyData)
{
    m_fetch = std::make_unique<CFetch>(request, m_session.hwndMain(), CHostWindow::kMsgFetch,
                                       static_cast<WPARAM>(id));
}

CNpInStream::~CNpInStream()
{
    m_fetch.reset();
    m_tempFile.boClose();
    if (!m_strTempPath.empty())
        DeleteFileA(m_strTempPath.c_str());
}

void CNpInStream::vPump()
{
    if (m_boEnded || m_boInPump)
        return;
    m_boInPump = true;
    for (;;)
    {
        std::string got;
        SFetchState state;
        m_fetch->vTake(&got, &state);
        if (m_boStarted && !got.empty())
            vToTempFile(got);
        m_pending += got;
        if (!m_boStarted)
        {
            if (!state.boHeaders || state.iStatus >= 400)
            {
                if (state.boDone)
                {
                    m_session.log().vWrite(SLogLine("STREAM_FAILED")
                                               .addInt("instance", m_owner.id())
                                               .addInt("stream", m_id)
                                               .add("url", m_strRequestedUrl)
                                               .addInt("status", state.iStatus)
                                               .add("error", state.strError));
                    vEnd(NPRES_NETWORK_ERR, state.strError);
                }
                break;
            }
            if (!boStart(state))
                break;
            vToTempFile(m_pending);
        }
        vDeliver();
        if (m_boEnded)
            break;
        if (m_pending.empty() && state.boDone)
        {
            vEnd(state.boOk ? NPRES_DONE : NPRES_NETWORK_ERR, state.strError);
            break;
        }
        if (got.empty())
            break;
    }
    m_boInPump = false;
}

bool CNpInStream::boStart(const SFetchState& state)
{
    const uint16_t wVersion = m_session.browserFuncs().version;
    m_strUrl = state.strFinalUrl;
    m_strType = state.strType;
    m_strHeaders = state.strHeaderText;
    m_stream = NPStream{};
    m_stream.ndata = this;
    m_stream.url = m_strUrl.c_str();
    m_stream.end =
        state.boHasLength && state.qwLength <= 0xFFFFFFFFull ? static_cast<uint32_t>(state.qwLength) : 0;
    m_stream.notifyData = m_pvNotifyData;
    m_stream.headers = (wVersion & 0xFF) >= NPVERS_HAS_RESPONSE_HEADERS ? m_strHeaders.c_str() : nullptr;
    std::vector<char> type(m_strType.begin(), m_strType.end());
    type.push_back('\0');
    uint16_t wType = NP_NORMAL;
    NPError err = NPERR_GENERIC_ERROR;
    if (m_owner.funcs().newstream)
    {
        CHostSession::CCallGuard guard(m_session);
        err = m_owner.funcs().newstream(m_owner.npp(), type.data(), &m_stream, 0, &wType);
    }
    m_session.log().vWrite(SLogLine("STREAM_NEW")
                               .addInt("instance", m_owner.id())
                               .addInt("stream", m_id)
                               .add("url", m_strUrl)
                               .add("type", m_strType)
                               .addInt("end", m_stream.end)
                               .add("notifydata", strPtr(m_pvNotifyData))
                               .addInt("result", err)
                               .addInt("stype", wType));
    if (err != NPERR_NO_ERROR)
    {
        vEnd(NPRES_NETWORK_ERR, "NPP_NewStream failed");
        return false;
    }
    m_boStarted = true;
    m_wType = wType;
    if (wType == NP_SEEK || wType < NP_NORMAL || wType > NP_ASFILEONLY)
    {
        m_session.log().vWrite(
            SLogLine("ERROR")
                .add("what", "stream")
                .addInt("instance", m_owner.id())
                .addInt("stream", m_id)
                .add("text", "stream type not supported (only NP_NORMAL, NP_ASFILE, NP_ASFILEONLY)"));
        vEnd(NPRES_NETWORK_ERR, "stream type not supported");
        return false;
    }
    if (wType == NP_ASFILE || wType == NP_ASFILEONLY)
    {
        char szDir[MAX_PATH];
        char szFile[MAX_PATH];
        const DWORD n = GetTempPathA(MAX_PATH, szDir);
        if (n == 0 || n >= MAX_PATH || !GetTempFileNameA(szDir, "fbh", 0, szFile))
        {
            vEnd(NPRES_NETWORK_ERR, "no temporary file");
            return false;
        }
        m_strTempPath = szFile;
        m_tempFile.vAttach(CreateFileA(szFile, GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS,
                                       FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!m_tempFile.boValid())
        {
            vEnd(NPRES_NETWORK_ERR, "no temporary file");
            return false;
        }
    }
    return true;
}

void CNpInStream::vToTempFile(const std::string& data)
{
    if (!m_tempFile.boValid() || data.empty())
        return;
    DWORD dwWritten = 0;
    WriteFile(m_tempFile.get(), data.data(), static_cast<DWORD>(data.size()), &dwWritten, nullptr);
}

void CNpInStream::vDeliver()
{
    if (m_wType == NP_ASFILEONLY)
    {
        m_qwOffset += m_pending.size();
        m_pending.clear();
        return;
    }
    const NPPluginFuncs& f = m_owner.funcs();
    while (!m_pending.empty() && !m_boEnded)
    {
        int32_t ready = 0;
        if (f.writeready)
        {
            CHostSession::CCallGuard guard(m_session);
            ready = f.writeready(m_owner.npp(), &m_stream);
        }
        if (m_boEnded)
            return;
        if (ready <= 0 || !f.write)
        {
            m_boWaiting = true;
            return;
        }
        const std::size_t n = static_cast<std::size_t>(ready) < m_pending.size()
                                  ? static_cast<std::size_t>(ready)
                                  : m_pending.size();
        int32_t written = 0;
        {
            CHostSession::CCallGuard guard(m_session);
            written = f.write(m_owner.npp(), &m_stream, static_cast<int32_t>(m_qwOffset),
                              static_cast<int32_t>(n), &m_pending[0]);
        }
        m_session.log().vWrite(SLogLine("STREAM_WRITE")
                                   .addInt("instance", m_owner.id())
                                   .addInt("stream", m_id)
                                   .addInt("offset", static_cast<int64_t>(m_qwOffset))
                                   .addInt("bytes", static_cast<int64_t>(n))
                                   .addInt("accepted", written));
        if (m_boEnded)
            return;
        if (written < 0)
        {
            vEnd(NPRES_NETWORK_ERR, "NPP_Write refused the data");
            return;
        }
        const std::size_t used =
            static_cast<std::size_t>(written) < n ? static_cast<std::size_t>(written) : n;
        if (used == 0)
        {
            m_boWaiting = true;
            return;
        }
        m_pending.erase(0, used);
        m_qwOffset += used;
    }
    m_boWaiting = false;
}

void CNpInStream::vEnd(NPReason reason, const std::string& why)
{
    if (m_boEnded)
        return;
    m_boEnded = true;
    m_boWaiting = false;
    m_fetch->vCancel();
    const NPPluginFuncs& f = m_owner.funcs();
    if (m_boStarted)
    {
        m_tempFile.boClose();
        if (reason == NPRES_DONE && (m_wType == NP_ASFILE || m_wType == NP_ASFILEONLY) && f.asfile)
        {
            {
                CHostSession::CCallGuard guard(m_session);
                f.asfile(m_owner.npp(), &m_stream, m_strTempPath.c_str());
            }
            m_session.log().vWrite(SLogLine("STREAM_ASFILE")
                                       .addInt("instance", m_owner.id())
                                       .addInt("stream", m_id)
                                       .add("file", m_strTempPath));
        }
        NPError err = NPERR_GENERIC_ERROR;
        if (f.destroystream)
        {
            CHostSession::CCallGuard guard(m_session);
            err = f.destroystream(m_owner.npp(), &m_stream, reason);
        }
        SLogLine line("STREAM_END");
        line.addInt("instance", m_owner.id())
            .addInt("stream", m_id)
            .add("url", m_strUrl)
            .addInt("reason", reason)
            .addInt("bytes", static_cast<int64_t>(m_qwOffset))
            .addInt("result", err);
        if (reason != NPRES_DONE && !why.empty())
            line.add("error", why);
        m_session.log().vWrite(line);
    }
    if (m_boNotify)
    {
        if (f.urlnotify)
        {
            CHostSession::CCallGuard guard(m_session);
            f.urlnotify(m_owner.npp(), m_strRequestedUrl.c_str(), reason, m_pvNotifyData);
        }
        m_session.log().vWrite(SLogLine("URLNOTIFY")
                                   .addInt("instance", m_owner.id())
                                   .add("url", m_strRequestedUrl)
                                   .addInt("reason", reason)
                                   .add("notifydata", strPtr(m_pvNotifyData))
                                   .add("called", f.urlnotify ? "1" : "0"));
    }
    m_session.vScheduleWork();
}
} // namespace FdBrowserHost
