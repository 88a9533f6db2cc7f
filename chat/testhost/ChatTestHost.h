// The chat's test host: a top-level window holding the chat window, and a
// plug-in instance for it. The instance serves the page parameters from a
// list, fetches every address asked without a target frame from the web
// stand-in (testbed/webserver, on 127.0.0.1) on a thread of its own and hands
// it back as a finished-download record with message 1034, and logs every
// address asked with a target.
//
//   CChatTestHost host;
//   host.Instance().args = {{"SERVER_NAME", "127.0.0.1"}, {"NICKNAME", "ann"}};
//   host.Instance().vSetWebPort(port);        // FD_WEB_PORT of the sidecar
//   host.boCreate(640, 480);                  // chat window, view, timer 666
//   host.vLoadConfig("str://<CNF_... >");     // or an address of the stand-in
//   FdTestKit::boPumpUntil([&] { ... });
#pragma once

#include <winsock2.h>
#include <windows.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "ChatWnd.h"
#include "WindowBase.h"

namespace ChatTest
{

class CTestInstance : public ChatModel::IChatInstance
{
public:
    ~CTestInstance() override;
    // The page parameters (EMBED attributes), looked up by exact name.
    std::vector<std::pair<std::string, std::string>> args;
    // The web stand-in's port; every http address is fetched from it, by its path.
    void vSetWebPort(uint16_t port) { m_port = port; }
    uint16_t uWebPort() const { return m_port; }
    // Where finished downloads go (the chat window; set by the host).
    void vAttach(ChatModel::CChatWnd* wnd) { m_wnd = wnd; }
    // Replaces the fetch (tests): true with the body and its type, false for a failure.
    std::function<bool(const std::string& url, std::string& body, std::string& mime)> onFetch;

    bool boHasArgs() override { return !args.empty(); }
    bool boGetArg(const std::string& name, std::string& value) override;
    bool boGetUrl(const std::string& url, const std::string& target) override;
    void vCountPendingNavigation() override;
    bool boIsActiveX() override { return false; }

    // "address -> target" of every request with a target, in order.
    std::vector<std::string> Navigations() const;
    // Every address asked without a target, in order.
    std::vector<std::string> Fetches() const;
    // Fetches whose record has not been handed over yet.
    size_t uPending() const;
    // Waits for the fetch threads (the destructor does it too).
    void vJoin();

    // An HTTP/1.0 GET of the stand-in's path; false when no answer came.
    static bool boHttpGet(uint16_t port, const std::string& path, int* status, std::string& body,
                          std::string& mime);

private:
    void vFetch(const std::string& url);

    uint16_t m_port = 0;
    ChatModel::CChatWnd* m_wnd = nullptr;
    mutable std::mutex m_lock;
    std::vector<std::string> m_navigations, m_fetches;
    size_t m_pending = 0;
    std::vector<std::thread> m_threads;
};

class CChatTestHost : public FdWin::CWindowBase
{
public:
    static constexpr const char* kClassName = "VerboltChatTestHost";

    CChatTestHost();
    ~CChatTestHost() override;

    // The top-level window with a client area of cx x cy, the chat window
    // over all of it (the instance attached first, so Init reads its
    // parameters). False when a window could not be made.
    bool boCreate(int cx, int cy, const char* title = "Chat test host");
    // A configuration document: "str://" text or an address of the web
    // stand-in, parsed by the chat, then handed over as the configuration
    // stream (the model loads the user interface).
    bool boLoadConfig(const std::string& address);

    ChatModel::CChatWnd& Chat() { return *m_chat; }
    ChatModel::CChatModel& Model() { return m_chat->Model(); }
    ChatIrc::CChatCnx& Cnx() { return m_cnx; }
    CTestInstance& Instance() { return m_instance; }

    // The top window's client area as a 24-bit bottom-up BMP file.
    bool boWriteBmp(const std::string& path);
    // A pixel of the top window's client area (COLORREF); CLR_INVALID outside.
    COLORREF PixelAt(int x, int y);

protected:
    LRESULT lOnMessage(UINT uMsg, WPARAM wParam, LPARAM lParam) override;

private:
    ChatIrc::CChatCnx m_cnx;
    CTestInstance m_instance;
    std::unique_ptr<ChatModel::CChatWnd> m_chat;
};

} // namespace ChatTest
