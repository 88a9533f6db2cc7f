#include "WinSocket.h"

#include "HttpFetch.h"

#include "HttpRequest.h"
#include "HttpResponseParser.h"
#include "Url.h"

#include <ws2tcpip.h>

#include <cctype>

namespace FdBrowserHost
{
namespace
{
std::string strLower(std::string s)
{
    for (char& c : s)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

std::string strBareType(const std::string& contentType)
{
    std::string t = contentType.substr(0, contentType.find(';'));
    while (!t.empty() && (t.back() == ' ' || t.back() == '\t'))
        t.pop_back();
    return strLower(t);
}

bool boIsRedirect(int status)
{
    return status == 301 || status == 302 || status == 303 || status == 307 || status == 308;
}
} // namespace

std::string strTypeFromExtension(const std::string& url)
{
    const std::string ext = strExtensionOf(strStripFragment(url.substr(0, url.find('?'))));
    if (ext == "htm" || ext == "html")
        return "text/html";
    if (ext == "txt")
        return "text/plain";
    if (ext == "fdg")
        return "application/x-fd-game";
    return "application/octet-stream";
}

CFetch::CFetch(const SFetchRequest& request, HWND hwndNotify, UINT uMsg, WPARAM wId)
    : m_request(request), m_hwnd(hwndNotify), m_uMsg(uMsg), m_wId(wId)
{
    m_thread = std::thread([this] { vRun(); });
}

CFetch::~CFetch()
{
    vCancel();
    if (m_thread.joinable())
        m_thread.join();
}

void CFetch::vCancel()
{
    m_boCancel = true;
    std::lock_guard<std::mutex> lock(m_mutex);
    // Wakes a blocked recv; the thread closes the socket itself.
    if (m_sock)
        shutdown(static_cast<SOCKET>(m_sock), SD_BOTH);
}

void CFetch::vTake(std::string* pData, SFetchState* pState)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    pData->append(m_data);
    m_data.clear();
    *pState = m_state;
    m_boPosted = false;
}

bool CFetch::boWaitDone(DWORD dwMs)
{
    std::unique_lock<std::mutex> lock(m_mutex);
    return m_cv.wait_for(lock, std::chrono::milliseconds(dwMs), [this] { return m_state.boDone; });
}

void CFetch::vNotify()
{
    m_cv.notify_all();
    if (m_hwnd && !m_boPosted.exchange(true))
        if (!PostMessageA(m_hwnd, m_uMsg, m_wId, 0))
            m_boPosted = false;
}

void CFetch::vPublishHeaders(const SFetchState& headers)
{
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_state = headers;
        m_state.boHeaders = true;
    }
    vNotify();
}

void CFetch::vPublishData(const char* p, std::size_t n)
{
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_data.append(p, n);
    }
    vNotify();
}

void CFetch::vFinish(bool boOk, const std::string& error)
{
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_state.boDone = true;
        m_state.boOk = boOk;
        m_state.strError = error;
    }
    vNotify();
}

void CFetch::vRun()
{
    if (strSchemeOf(m_request.strUrl) == "file")
        vRunFile();
    else
        vRunHttp();
}

void CFetch::vRunFile()
{
    std::string path;
    if (!boPathFromFileUrl(m_request.strUrl, &path))
        return vFinish(false, "bad file address");
    FdWin::CHandle file(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.boValid())
        return vFinish(false, "cannot open " + path + " (error " + std::to_string(GetLastError()) + ")");
    LARGE_INTEGER size;
    SFetchState headers;
    headers.iStatus = 200;
    headers.strFinalUrl = m_request.strUrl;
    headers.strType = strTypeFromExtension(m_request.strUrl);
    if (GetFileSizeEx(file.get(), &size))
    {
        headers.boHasLength = true;
        headers.qwLength = static_cast<uint64_t>(size.QuadPart);
    }
    vPublishHeaders(headers);
    char buf[kReadPieceBytes];
    for (;;)
    {
        if (m_boCancel)
            return vFinish(false, "cancelled");
        DWORD dwRead = 0;
        if (!ReadFile(file.get(), buf, sizeof buf, &dwRead, nullptr))
            return vFinish(false, "read error " + std::to_string(GetLastError()));
        if (dwRead == 0)
            break;
        vPublishData(buf, dwRead);
    }
    vFinish(true, std::string());
}

void CFetch::vRunHttp()
{
    std::string url = m_request.strUrl;
    std::string method = m_request.strMethod;
    std::string body = m_request.strBody;
    for (int redirects = 0;; ++redirects)
    {
        SHttpUrl target;
        std::string error;
        if (!boParseHttpUrl(url, &target, &error))
            return vFinish(false, error + ": " + url);
        if (!boIsLoopbackHost(target.strHost))
            return vFinish(false, "not a loopback address: " + target.strHost);

        CSocket sock;
        sock.vAttach(socket(AF_INET, SOCK_STREAM, IPPROTO_TCP));
        if (sock.get() == INVALID_SOCKET)
            return vFinish(false, "socket error " + std::to_string(WSAGetLastError()));
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            if (m_boCancel)
                return vFinish(false, "cancelled");
            m_sock = static_cast<uintptr_t>(sock.get());
        }
        struct SForget // the socket leaves m_sock before it closes
        {
            CFetch* p;
            ~SForget()
            {
                std::lock_guard<std::mutex> lock(p->m_mutex);
                p->m_sock = 0;
            }
        } forget{this};
        const DWORD dwTimeout = kReceiveTimeoutMs;
        setsockopt(sock.get(), SOL_SOCKET, SO_RCVTIMEO, reinterpret_cast<const char*>(&dwTimeout),
                   sizeof dwTimeout);
        sockaddr_in addr = {};
        addr.sin_family = AF_INET;
        addr.sin_port = htons(target.wPort);
        if (target.strHost == "localhost")
            addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        else if (inet_pton(AF_INET, target.strHost.c_str(), &addr.sin_addr) != 1)
            return vFinish(false, "bad address " + target.strHost);
        if (connect(sock.get(), reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0)
            return vFinish(false, "cannot connect to " + target.strHost + ":" + std::to_string(target.wPort) +
                                      " (error " + std::to_string(WSAGetLastError()) + ")");

        SHttpRequest req;
        req.strMethod = method;
        req.url = target;
        req.strUserAgent = m_request.strUserAgent;
        req.strContentType = m_request.strContentType;
        req.strBody = body;
        const std::string bytes = strBuildHttpRequest(req);
        for (std::size_t sent = 0; sent < bytes.size();)
        {
            const int chunk = static_cast<int>(bytes.size() - sent > 65536 ? 65536 : bytes.size() - sent);
            const int n = send(sock.get(), bytes.data() + sent, chunk, 0);
            if (n <= 0)
                return vFinish(false,
                               m_boCancel ? "cancelled" : "send error " + std::to_string(WSAGetLastError()));
            sent += static_cast<std::size_t>(n);
        }

        CHttpResponseParser parser;
        bool boHeadersSeen = false;
        bool boRedirected = false;
        char buf[kReadPieceBytes];
        for (;;)
        {
            const int n = recv(sock.get(), buf, sizeof buf, 0);
            if (m_boCancel)
                return vFinish(false, "cancelled");
            std::string piece;
            CHttpResponseParser::EState st;
            if (n > 0)
                st = parser.eFeed(reinterpret_cast<const uint8_t*>(buf), static_cast<std::size_t>(n), &piece);
            else if (n == 0)
                st = parser.eFinish();
            else
            {
                const int err = WSAGetLastError();
                return vFinish(false,
                               err == WSAETIMEDOUT ? "time-out" : "receive error " + std::to_string(err));
            }
            if (!boHeadersSeen && parser.boHeadersDone())
            {
                boHeadersSeen = true;
                const int status = parser.iStatus();
                const std::string location = parser.strHeader("Location");
                if (boIsRedirect(status) && !location.empty())
                {
                    if (redirects >= kMaxRedirects)
                        return vFinish(false, "too many redirections");
                    url = strStripFragment(strResolveUrl(url, location));
                    if (status == 303 || ((status == 301 || status == 302) && method == "POST"))
                    {
                        method = "GET";
                        body.clear();
                    }
                    boRedirected = true;
                    break;
                }
                SFetchState headers;
                headers.iStatus = status;
                headers.strFinalUrl = url;
                const std::string type = strBareType(parser.strHeader("Content-Type"));
                headers.strType = type.empty() ? strTypeFromExtension(url) : type;
                headers.strHeaderText = parser.strHeaderText();
                headers.boHasLength = parser.boHasLength();
                headers.qwLength = parser.qwLength();
                vPublishHeaders(headers);
                if (status >= 400)
                    return vFinish(false, "HTTP " + std::to_string(status) + " " + parser.strReason());
            }
            if (!piece.empty())
                vPublishData(piece.data(), piece.size());
            if (st == CHttpResponseParser::EState::Done)
                return vFinish(true, std::string());
            if (st == CHttpResponseParser::EState::Failed)
                return vFinish(false, parser.strError());
            if (n == 0)
                return vFinish(false, "connection closed");
        }
        if (!boRedirected)
            return;
    }
}
} // namespace FdBrowserHost
