#include "ChatTestHost.h"

#include <ws2tcpip.h>

#include <cstdio>

namespace ChatTest
{

using ChatModel::CChatWnd;

// ---------------------------------------------------------------- the instance

CTestInstance::~CTestInstance()
{
    vAttach(nullptr);
    vJoin();
}

bool CTestInstance::boGetArg(const std::string& name, std::string& value)
{
    for (const auto& a : args)
        if (a.first == name)
        {
            value = a.second;
            return true;
        }
    return false;
}

bool CTestInstance::boGetUrl(const std::string& url, const std::string& target)
{
    std::lock_guard<std::mutex> hold(m_lock);
    if (!target.empty())
    {
        m_navigations.push_back(url + " -> " + target);
        return true;
    }
    m_fetches.push_back(url);
    ++m_pending;
    m_threads.emplace_back([this, url] { vFetch(url); });
    return true;
}

void CTestInstance::vCountPendingNavigation() {}

std::vector<std::string> CTestInstance::Navigations() const
{
    std::lock_guard<std::mutex> hold(m_lock);
    return m_navigations;
}

std::vector<std::string> CTestInstance::Fetches() const
{
    std::lock_guard<std::mutex> hold(m_lock);
    return m_fetches;
}

size_t CTestInstance::uPending() const
{
    std::lock_guard<std::mutex> hold(m_lock);
    return m_pending;
}

void CTestInstance::vJoin()
{
    std::vector<std::thread> threads;
    {
        std::lock_guard<std::mutex> hold(m_lock);
        threads.swap(m_threads);
    }
    for (std::thread& t : threads)
        t.join();
}

void CTestInstance::vFetch(const std::string& url)
{
    auto record = std::make_unique<ChatModel::FinishedDownload>();
    record->strUrl = url;
    std::string body, mime;
    bool ok = false;
    if (onFetch)
        ok = onFetch(url, body, mime);
    else
    {
        // Any host's path comes from the stand-in; a bare path too.
        std::string path = url;
        const size_t scheme = path.find("://");
        if (scheme != std::string::npos)
        {
            const size_t slash = path.find('/', scheme + 3);
            path = slash == std::string::npos ? "/" : path.substr(slash);
        }
        if (path.empty() || path[0] != '/')
            path = "/" + path;
        int status = 0;
        ok = m_port != 0 && boHttpGet(m_port, path, &status, body, mime) && status == 200;
    }
    if (ok)
    {
        record->strText = body;
        record->strMime = mime;
    }
    else
        record->boFailed = true;
    std::lock_guard<std::mutex> hold(m_lock);
    --m_pending;
    if (m_wnd)
    {
        m_wnd->FinishedDownloads().vPush(std::move(record));
        if (m_wnd->hWnd())
            PostMessageA(m_wnd->hWnd(), CChatWnd::kDownloadsMessage, 0, 0);
    }
}

bool CTestInstance::boHttpGet(uint16_t port, const std::string& path, int* status, std::string& body,
                              std::string& mime)
{
    SOCKET s = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    if (s == INVALID_SOCKET)
        return false;
    DWORD timeout = 5000;
    setsockopt(s, SOL_SOCKET, SO_RCVTIMEO, reinterpret_cast<const char*>(&timeout), sizeof timeout);
    sockaddr_in to = {};
    to.sin_family = AF_INET;
    to.sin_port = htons(port);
    to.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    std::string answer;
    if (connect(s, reinterpret_cast<const sockaddr*>(&to), sizeof to) == 0)
    {
        // The path goes out as it is but for bytes that would end the line.
        std::string clean;
        for (char c : path)
            clean += (c == '\r' || c == '\n' || c == ' ') ? '+' : c;
        const std::string request = "GET " + clean + " HTTP/1.0\r\nHost: 127.0.0.1\r\n\r\n";
        if (send(s, request.data(), static_cast<int>(request.size()), 0) == static_cast<int>(request.size()))
        {
            char buffer[8192];
            int n;
            while ((n = recv(s, buffer, sizeof buffer, 0)) > 0 && answer.size() < (64u << 20))
                answer.append(buffer, static_cast<size_t>(n));
        }
    }
    closesocket(s);
    const size_t end = answer.find("\r\n\r\n");
    if (answer.compare(0, 5, "HTTP/") != 0 || end == std::string::npos)
        return false;
    const size_t space = answer.find(' ');
    *status = space < end ? std::atoi(answer.c_str() + space + 1) : 0;
    body = answer.substr(end + 4);
    mime.clear();
    size_t line = answer.find("\r\n");
    while (line < end)
    {
        const size_t next = answer.find("\r\n", line + 2);
        const std::string header = answer.substr(line + 2, next - line - 2);
        if (_strnicmp(header.c_str(), "Content-Type:", 13) == 0)
        {
            mime = header.substr(13);
            while (!mime.empty() && mime[0] == ' ')
                mime.erase(0, 1);
            const size_t semi = mime.find(';');
            if (semi != std::string::npos)
                mime.erase(semi);
        }
        line = next;
    }
    return true;
}

// ---------------------------------------------------------------- the host window

CChatTestHost::CChatTestHost() : m_chat(std::make_unique<CChatWnd>(m_cnx))
{
    m_instance.vAttach(m_chat.get());
    m_chat->Model().vSetInstance(&m_instance);
}

CChatTestHost::~CChatTestHost()
{
    // No fetch may hand a record to a window that is going.
    m_instance.vAttach(nullptr);
    m_instance.vJoin();
    m_chat.reset();
    vDestroy();
}

bool CChatTestHost::boCreate(int cx, int cy, const char* title)
{
    HINSTANCE module = GetModuleHandleA(nullptr);
    if (!boRegisterClass(module, kClassName, 0, LoadCursorA(nullptr, IDC_ARROW)))
        return false;
    RECT outer = {0, 0, cx, cy};
    const DWORD style = WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN;
    AdjustWindowRect(&outer, style, FALSE);
    if (!hCreate(0, kClassName, title, style, 0, 0, outer.right - outer.left, outer.bottom - outer.top,
                 nullptr, nullptr, module))
        return false;
    RECT client = {0, 0, cx, cy};
    if (!m_chat->boCreate(hWnd(), client, module))
        return false;
    ShowWindow(hWnd(), SW_SHOWNORMAL);
    UpdateWindow(hWnd());
    return true;
}

bool CChatTestHost::boLoadConfig(const std::string& address)
{
    std::string text;
    if (address.compare(0, 6, "str://") == 0)
        text = address.substr(6);
    else
    {
        std::string mime;
        if (m_instance.onFetch)
        {
            if (!m_instance.onFetch(address, text, mime))
                return false;
        }
        else
        {
            std::string path = address;
            const size_t scheme = path.find("://");
            if (scheme != std::string::npos)
            {
                const size_t slash = path.find('/', scheme + 3);
                path = slash == std::string::npos ? "/" : path.substr(slash);
            }
            if (path.empty() || path[0] != '/')
                path = "/" + path;
            int status = 0;
            std::string body;
            if (!CTestInstance::boHttpGet(m_instance.uWebPort(), path, &status, body, mime))
                return false;
            text = body;
        }
    }
    Model().iParseMarkup(text);
    auto record = std::make_unique<ChatModel::FinishedDownload>();
    record->strUrl = address.compare(0, 6, "str://") == 0 ? "http://127.0.0.1/chat.vblt" : address;
    record->strMime = "application/x-verbolt";
    Chat().FinishedDownloads().vPush(std::move(record));
    PostMessageA(Chat().hWnd(), CChatWnd::kDownloadsMessage, 0, 0);
    return true;
}

bool CChatTestHost::boWriteBmp(const std::string& path)
{
    RECT rc;
    GetClientRect(hWnd(), &rc);
    const int width = rc.right, height = rc.bottom;
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 24;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HDC window = GetDC(hWnd());
    HDC memory = CreateCompatibleDC(window);
    HBITMAP bitmap = CreateDIBSection(memory, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    bool ok = false;
    if (memory && bitmap)
    {
        HGDIOBJ old = SelectObject(memory, bitmap);
        BitBlt(memory, 0, 0, width, height, window, 0, 0, SRCCOPY);
        GdiFlush();
        const DWORD stride = (DWORD(width) * 3 + 3) & ~3u;
        BITMAPFILEHEADER file = {};
        file.bfType = 0x4D42;
        file.bfOffBits = sizeof file + sizeof info.bmiHeader;
        file.bfSize = file.bfOffBits + stride * DWORD(height);
        if (FILE* out = std::fopen(path.c_str(), "wb"))
        {
            ok = std::fwrite(&file, sizeof file, 1, out) == 1 &&
                 std::fwrite(&info.bmiHeader, sizeof info.bmiHeader, 1, out) == 1 &&
                 std::fwrite(bits, stride, size_t(height), out) == size_t(height);
            ok = std::fclose(out) == 0 && ok;
        }
        SelectObject(memory, old);
    }
    if (bitmap)
        DeleteObject(bitmap);
    if (memory)
        DeleteDC(memory);
    ReleaseDC(hWnd(), window);
    return ok;
}

COLORREF CChatTestHost::PixelAt(int x, int y)
{
    HDC window = GetDC(hWnd());
    const COLORREF c = GetPixel(window, x, y);
    ReleaseDC(hWnd(), window);
    return c;
}

LRESULT CChatTestHost::lOnMessage(UINT uMsg, WPARAM wParam, LPARAM lParam)
{
    switch (uMsg)
    {
    case WM_SIZE:
        if (m_chat && m_chat->hWnd())
            MoveWindow(m_chat->hWnd(), 0, 0, LOWORD(lParam), HIWORD(lParam), TRUE);
        return 0;
    case WM_CLOSE:
        DestroyWindow(hWnd());
        return 0;
    default:
        return lDefault(uMsg, wParam, lParam);
    }
}

} // namespace ChatTest
