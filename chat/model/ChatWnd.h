// The chat window on Windows: a child window (a hidden pop-up without a
// parent) that holds the chat's connection, its stored settings and the
// model, and hands the connection's events, which the event relay brings to
// this thread, to the model. The view and the plug-in instance reach the
// model through its two narrow interfaces.
//
// Teardown: the window goes first (its handlers stop), then the model, then
// the connection, whose Close waits for its reader.
#pragma once

#include <winsock2.h>
#include <windows.h>

#include <functional>
#include <memory>

#include "ChatCnx.h"
#include "ChatModel.h"
#include "ChatRegistry.h"
#include "HtmlScrollBar.h"
#include "WindowBase.h"

class HtmlWnd;

namespace ChatModel
{

// The chat connection as the model drives it.
class CChatCnxLink : public IChatConnection
{
public:
    CChatCnxLink(ChatIrc::CChatCnx& cnx, ChatIrc::IIrcEvents& target) : m_cnx(cnx), m_target(target) {}
    int iState() override { return m_cnx.iGetState(); }
    bool boOpen(const std::string& host, uint16_t port) override;
    void vClose() override { m_cnx.vClose(); }
    void vDetach() override { m_cnx.boAttach(nullptr, nullptr); }
    bool boLogon(const std::string& nick, const std::string& realName) override
    {
        return m_cnx.boLogon(nick, realName);
    }
    bool boCreateRoom(const std::string& room, const std::string& modes, const std::string& key,
                      uint32_t flags) override
    {
        return m_cnx.boCreateRoom(room, modes, key, flags);
    }
    bool boLeaveRoom(const std::string& room) override { return m_cnx.boLeaveRoom(room); }
    bool boSay(const char* target, const std::string& text) override { return m_cnx.boSay(target, text); }
    size_t uRoomUserCount(const std::string& room) override;
    ChatIrc::CNickScheme& Scheme() override { return m_cnx; }
    uint64_t ulReceivedBytes() override { return m_cnx.ulGetReceivedBytes(); }
    uint64_t ulSentBytes() override { return m_cnx.ulGetSentBytes(); }

private:
    ChatIrc::CChatCnx& m_cnx;
    ChatIrc::IIrcEvents& m_target;
};

// The first IPv4 address of the host as dotted decimals; empty when the
// name does not resolve.
std::string ResolveHostAddress(const std::string& host);

class CChatWnd : public FdWin::CWindowBase
{
public:
    static constexpr const char* kClassName = "VerboltChatWnd";
    static constexpr UINT kDownloadsMessage = WM_USER + 10;    // 1034
    static constexpr UINT kRefreshMessage = WM_USER + 15;      // 1039
    static constexpr UINT kListsChangedMessage = WM_USER + 16; // 1040
    static constexpr UINT kNavigateMessage = WM_USER + 17;     // 1041
    static constexpr UINT kCloseMessage = WM_USER + 18;        // 1042
    static constexpr UINT_PTR kReloadTimer = 888;
    static constexpr UINT_PTR kStartTimer = 666;
    static constexpr UINT kViewId = 1010;

    // The connection may be a derived one (tests record its wire lines).
    explicit CChatWnd(ChatIrc::CChatCnx& cnx, ClockFn clock = ClockFn());
    ~CChatWnd() override;

    // The window (a child of parent, or a hidden pop-up without one), then
    // Init: the main view (id 1010) over the client area, the model's view
    // unless one was set before, and the start timer 666.
    bool boCreate(HWND hParent, const RECT& rect, HINSTANCE hInstance);
    // The main view; null before boCreate.
    HtmlWnd* View() { return m_view.get(); }
    // The HTML-built scroll bar the pages draw (HTG_SCROLLBAR): it takes the
    // view's slots 32, 38, 44, 51 and 52 and the tags the chat leaves, and
    // its thumbs are placed again when the window's size changes.
    CHtmlScrollBar& ScrollBar() { return m_scrollBar; }
    // The enable and disable requests: the window (with its view and controls)
    // takes input again, or no longer.
    virtual void vEnable() { EnableWindow(hWnd(), TRUE); }
    virtual void vDisable() { EnableWindow(hWnd(), FALSE); }
    // Puts the text on the clipboard in that format (CF_TEXT for the chat's copies).
    void vSetClipboardText(const std::string& text, UINT format);
    CChatModel& Model() { return m_model; }
    ChatIrc::CChatCnx& Cnx() { return m_cnx; }
    // Filled by the threads that finish streams; drained on message 1034.
    CFinishedDownloads& FinishedDownloads() { return m_finished; }

protected:
    LRESULT lOnMessage(UINT uMsg, WPARAM wParam, LPARAM lParam) override;

private:
    // The model's side of the window: posted messages, timers, menus, the
    // clipboard, the cursor and the platform's answers.
    class CModelHost : public IChatModelHost
    {
    public:
        explicit CModelHost(CChatWnd& wnd) : m_wnd(wnd) {}
        void vPostClose() override;
        bool boPostListsChanged() override;
        bool boPostRefresh() override;
        void vPostNavigate() override;
        void vRestartReloadTimer() override;
        void vStartTimer(bool run) override;
        bool boKeyHeld(int32_t key) override;
        bool boCtrlAltDown() override;
        std::string strResolve(const std::string& host) override;
        std::string strFrameAddress(const std::string& frame) override;
        void vDebugBox(const std::string& text, const std::string& title) override;
        void vTrackMenu(const std::vector<ChatMenuItem>& items, int32_t above) override;
        void vSetClipboard(const std::string& text) override;
        void vLinkCursor(bool over, bool hand) override;
        void vDocumentLoaded(HtmlWnd* loader) override;

    private:
        CChatWnd& m_wnd;
    };

    // The model as the window's messages, timers and commands drive it.
    IChatWindowEvents& Events() { return m_model; }
    COLORREF BackgroundColor() const;
    void vCreateView();
    void vTrackMenu(const std::vector<CChatModel::MenuItem>& items, int32_t above);
    void vOnRefresh();
    void vRefreshPanes();
    // Posts message 1039 unless one is pending; false when the post failed.
    bool boPostRefreshMessage();

    ChatIrc::CChatCnx& m_cnx;
    CChatCnxLink m_link;
    CVerboltSettings m_settings;
    // Declared before the model, which holds it.
    CModelHost m_host{*this};
    CChatModel m_model;
    HBRUSH m_hBrush = nullptr;
    // A 1039 is posted and not yet handled; it refreshes the panes when the
    // model asked for them, and runs the view's merged reloads.
    bool m_boRefreshPending = false;
    bool m_boPanesWanted = false;
    CFinishedDownloads m_finished;
    HCURSOR m_savedCursor = nullptr;
    // Outlives the view, whose frames tell it when they go.
    CHtmlScrollBar m_scrollBar;
    // Declared after the model and the scroll bar: the view goes first.
    std::unique_ptr<HtmlWnd> m_view;
    std::unique_ptr<IChatView> m_viewAdapter;
};

} // namespace ChatModel
