// Handlers of accepted TCP connections for a server object: a reader thread
// hands each received block to the owner's sink at once, queues a copy and
// posts message 7829 to the handler's hidden window, whose procedure replays
// the blocks on the window's thread; a peer close posts 7830, on which the
// handler ends its reader, leaves its owner and deletes itself. Both classes
// are created by their run-time class names.
//
// Teardown order: the reader ends first (its socket shut down and closed on
// the window's thread, waited for without a time-out), then the window, then
// the owner forgets the handler, which is deleted last.
#pragma once

#include <winsock2.h>
#include <windows.h>

#include <atomic>

#include "CnxRing.h"
#include "HtmlRuntimeClass.h"
#include "WindowBase.h"

namespace ChatIrc
{

class CSpSrvCnxHandler;

class ISpSrvSink
{
public:
    virtual ~ISpSrvSink() = default;
    // On the reader thread, for every received block.
    virtual void OnRawData(const char* data, size_t length, CSpSrvCnxHandler* handler, void* user) = 0;
    // On the window's thread: one NUL-ended text (length with the NUL).
    virtual void OnText(const char* text, size_t length, CSpSrvCnxHandler* handler,
                        class ISpSrvOwner* owner) = 0;
};

class ISpSrvOwner
{
public:
    virtual ~ISpSrvOwner() = default;
    virtual ISpSrvSink* GetSink() = 0;
    virtual HINSTANCE GetModuleInstance() = 0;
    // The handler leaves the owner's list; it is deleted right after.
    virtual void RemoveHandler(CSpSrvCnxHandler* handler) = 0;
};

class CSpSrvCnxHandler : public CHtmlObject, private FdWin::CWindowBase
{
    HTML_DECLARE_DYNCREATE(CSpSrvCnxHandler)
public:
    static constexpr UINT kDataMessage = 7829;
    static constexpr UINT kCloseMessage = 7830;
    static constexpr const char* kClassName = "CnxHandlerEventRelayClass";
    static constexpr int kReadSize = 1023;

    CSpSrvCnxHandler();
    ~CSpSrvCnxHandler() override;

    // Keeps socket and owner, makes the hidden window and only then starts
    // the reader. False for an invalid socket or without a window.
    bool boStart(SOCKET s, ISpSrvOwner* owner);
    // The bytes sent; 0 without a socket or for a length below 1.
    int iSend(const char* data, int length);
    void vSetUserValue(void* value) { m_lpUser = value; }
    void vSetActivityDisplay(bool on) { m_boActivity = on; }
    HWND hGetWindow() const { return hWnd(); }
    size_t uQueued() { return m_ring.uCount(); }

protected:
    // A received block on the window's thread.
    virtual void vOnData(const char* data, size_t length);
    ISpSrvOwner* m_lpOwner = nullptr;
    ISpSrvSink* m_lpSink = nullptr;

private:
    LRESULT lOnMessage(UINT uMsg, WPARAM wParam, LPARAM lParam) override;
    static unsigned __stdcall uReader(void* self);
    void vRead();
    void vDrain();
    // Ends the reader (waiting without a time-out) and closes the socket.
    void vStopReader();

    SOCKET m_socket = INVALID_SOCKET;
    HANDLE m_hReader = nullptr;
    std::atomic<bool> m_boStop{false};
    void* m_lpUser = nullptr;
    bool m_boActivity = false;
    CCnxRing m_ring;
};

class CSpSrvCStrCnxHandler : public CSpSrvCnxHandler
{
    HTML_DECLARE_DYNCREATE(CSpSrvCStrCnxHandler)
public:
    // Length -1 sends the text with its NUL; otherwise that many bytes of it.
    int iSendText(const char* text, int length);

protected:
    void vOnData(const char* data, size_t length) override;

private:
    CTextAccumulator m_text;
};

} // namespace ChatIrc
