#include "SpSrvCnxHandler.h"

#include <process.h>

#include <cstring>

namespace ChatIrc
{

HTML_IMPLEMENT_DYNCREATE(CSpSrvCnxHandler, nullptr)
HTML_IMPLEMENT_DYNCREATE(CSpSrvCStrCnxHandler, HTML_RUNTIME_CLASS(CSpSrvCnxHandler))

CSpSrvCnxHandler::CSpSrvCnxHandler() = default;

CSpSrvCnxHandler::~CSpSrvCnxHandler()
{
    vStopReader();
    vDestroy();
}

bool CSpSrvCnxHandler::boStart(SOCKET s, ISpSrvOwner* owner)
{
    if (s == INVALID_SOCKET || !owner || m_hReader)
        return false;
    m_socket = s;
    m_lpOwner = owner;
    m_lpSink = owner->GetSink();
    const HINSTANCE instance = owner->GetModuleInstance();
    if (!boRegisterClass(instance, kClassName, 0, nullptr, reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(5))))
        return false;
    if (!hCreate(0, kClassName, "", m_boActivity ? WS_VISIBLE : 0, 0, 0, 100, 100, nullptr, nullptr,
                 instance))
    {
        UnregisterClassA(kClassName, instance);
        return false;
    }
    // No reader without its window: the reader's messages need it.
    m_hReader = reinterpret_cast<HANDLE>(_beginthreadex(nullptr, 0, &uReader, this, 0, nullptr));
    return m_hReader != nullptr;
}

int CSpSrvCnxHandler::iSend(const char* data, int length)
{
    if (m_socket == INVALID_SOCKET || length < 1)
        return 0;
    const int n = send(m_socket, data, length, 0);
    return n < 0 ? 0 : n;
}

unsigned __stdcall CSpSrvCnxHandler::uReader(void* self)
{
    static_cast<CSpSrvCnxHandler*>(self)->vRead();
    return 0;
}

void CSpSrvCnxHandler::vRead()
{
    // The socket was set before the thread started; the window's thread may
    // close it (and forget the member) to end this loop.
    const SOCKET s = m_socket;
    char buffer[kReadSize + 1];
    while (!m_boStop.load())
    {
        const int n = recv(s, buffer, kReadSize, 0);
        if (n <= 0)
            break;
        if (m_lpSink)
            m_lpSink->OnRawData(buffer, static_cast<size_t>(n), this, m_lpUser);
        // A full ring drops the copy; the sink had the bytes already.
        m_ring.boPush(buffer, static_cast<size_t>(n));
        PostMessageA(hWnd(), kDataMessage, 0, reinterpret_cast<LPARAM>(this));
    }
    if (!m_boStop.load())
        PostMessageA(hWnd(), kCloseMessage, 0, reinterpret_cast<LPARAM>(this));
}

void CSpSrvCnxHandler::vStopReader()
{
    m_boStop.store(true);
    // Closing the socket is what wakes a reader blocked in recv here (a
    // shutdown alone does not under every Winsock); the reader touches the
    // socket only in that recv, so nothing else can use the closed handle.
    if (m_socket != INVALID_SOCKET)
    {
        shutdown(m_socket, SD_BOTH);
        closesocket(m_socket);
        m_socket = INVALID_SOCKET;
    }
    if (m_hReader)
    {
        WaitForSingleObject(m_hReader, INFINITE);
        CloseHandle(m_hReader);
        m_hReader = nullptr;
    }
}

void CSpSrvCnxHandler::vDrain()
{
    std::string block;
    while (m_ring.boPop(block))
    {
        vOnData(block.data(), block.size());
        if (m_boActivity)
        {
            char title[32] = {};
            GetWindowTextA(hWnd(), title, sizeof title);
            std::string t = title;
            t = t.size() >= 10 ? std::string() : t + "|";
            SetWindowTextA(hWnd(), t.c_str());
        }
    }
}

void CSpSrvCnxHandler::vOnData(const char*, size_t) {}

LRESULT CSpSrvCnxHandler::lOnMessage(UINT uMsg, WPARAM wParam, LPARAM lParam)
{
    if (uMsg == kDataMessage)
    {
        vDrain();
        return 0;
    }
    if (uMsg == kCloseMessage)
    {
        vDrain();
        vStopReader();
        ISpSrvOwner* owner = m_lpOwner;
        const HINSTANCE instance = owner ? owner->GetModuleInstance() : nullptr;
        vDestroy();
        UnregisterClassA(kClassName, instance);
        if (owner)
            owner->RemoveHandler(this);
        delete this;
        return 0;
    }
    return lDefault(uMsg, wParam, lParam);
}

int CSpSrvCStrCnxHandler::iSendText(const char* text, int length)
{
    if (!text)
        return 0;
    if (length == -1)
        return iSend(text, static_cast<int>(std::strlen(text)) + 1);
    const std::string copy(text); // NUL-terminated copy
    return iSend(copy.data(),
                 length > static_cast<int>(copy.size() + 1) ? static_cast<int>(copy.size() + 1) : length);
}

void CSpSrvCStrCnxHandler::vOnData(const char* data, size_t length)
{
    m_text.vFeed(data, length,
                 [this](const char* text, size_t n)
                 {
                     if (m_lpSink)
                         m_lpSink->OnText(text, n, this, m_lpOwner);
                 });
}

} // namespace ChatIrc
