// The two sides between the chat model and the window that holds it.
// IChatModelHost is what the model asks of the window: work posted to the
// next turn of the window's loop, timers, menus, the clipboard, the cursor and
// the few answers only the platform has. The window implements it; tests
// fake it. Each call has a default that does nothing, or that leaves the work
// to the model itself (the calls that answer "taken"), so the model runs
// without a window. IChatWindowEvents is what the window hands the model: its
// own messages, timers and menu commands. The connection's events reach the
// model as ChatIrc::IIrcEvents, the view's as IHtmlWndEvents.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

class HtmlWnd;

namespace ChatModel
{

class CFinishedDownloads;

// An entry of a popup menu the model shows.
struct ChatMenuItem
{
    std::string strText;
    int32_t iId = 0;
    bool boSeparator = false, boGrayed = false;
};

class IChatModelHost
{
public:
    virtual ~IChatModelHost() = default;

    // ---- work posted to the window's loop ----
    // Message 1042: close the connection.
    virtual void vPostClose() {}
    // Message 1040: reload the changed element lists' frames. False when not
    // posted: the model reloads them at once.
    virtual bool boPostListsChanged() { return false; }
    // Message 1039: refresh the message frame. False when not posted: the
    // model refreshes it at once.
    virtual bool boPostRefresh() { return false; }
    // Message 1041: carry out the queued navigations.
    virtual void vPostNavigate() {}
    // Timer 888 (the reload requests) restarted.
    virtual void vRestartReloadTimer() {}
    // Timer 666 (the start gate) started or stopped.
    virtual void vStartTimer(bool run) { (void)run; }

    // ---- what the platform answers ----
    // Whether a key (virtual-key code) is held down now.
    virtual bool boKeyHeld(int32_t key)
    {
        (void)key;
        return false;
    }
    // Whether Ctrl and Alt are both held down now (DYN_LIST).
    virtual bool boCtrlAltDown() { return false; }
    // A host name as a dotted IPv4 address ("%curdomip%"); empty when unknown.
    virtual std::string strResolve(const std::string& host)
    {
        (void)host;
        return {};
    }
    // The address of the document the frame shows.
    virtual std::string strFrameAddress(const std::string& frame)
    {
        (void)frame;
        return {};
    }
    // Whether the path opens for reading (a result of the view's downloads).
    virtual bool boFileReadable(const std::string& path);
    // A local file for DYN_INSERTURL: the whole file, or false when it cannot
    // be opened or read, or holds more than a page could show.
    virtual bool boReadLocalFile(const std::string& path, std::string& text);

    // ---- requests ----
    // A configuration document to download with the tag as its requester;
    // false when not taken: the model asks the view's downloads for it.
    virtual bool boRequestConfig(const std::string& address, const std::string& tag)
    {
        (void)address, (void)tag;
        return false;
    }
    // The document for DYN_INSERTURL: the frame is reloaded when it has
    // arrived; returns the text it has at once (empty: nothing inserted).
    virtual std::string strRequestDocument(const std::string& address, const std::string& frame)
    {
        (void)address, (void)frame;
        return {};
    }
    // The talk form sent to the room or privately; false when not taken: the
    // model sends the talk line itself.
    virtual bool boSendTalk(bool priv)
    {
        (void)priv;
        return false;
    }
    // ACT_MBX in debug mode.
    virtual void vDebugBox(const std::string& text, const std::string& title) { (void)text, (void)title; }
    // Tracks a popup menu at the cursor, `above` pixels higher; the chosen id
    // reaches the model's command routing (boOnCommand).
    virtual void vTrackMenu(const std::vector<ChatMenuItem>& items, int32_t above)
    {
        (void)items, (void)above;
    }
    virtual void vSetClipboard(const std::string& text) { (void)text; }
    // The link cursor while a link is hovered (hand: the system hand), the
    // previous cursor back afterwards.
    virtual void vLinkCursor(bool over, bool hand) { (void)over, (void)hand; }
    // A document has been loaded and laid out in the view or one of its frames.
    virtual void vDocumentLoaded(HtmlWnd* loader) { (void)loader; }
    // Every tag offered to the model, before it is dispatched (tests and traces).
    virtual void vTagSeen(const std::string& name, const std::string& attributes)
    {
        (void)name, (void)attributes;
    }
};

// The window's messages, timers and commands as the model takes them.
class IChatWindowEvents
{
public:
    virtual ~IChatWindowEvents() = default;
    // The window's Init: defaults and page parameters (once).
    virtual void vInit() = 0;
    // Message 1040: the changed element lists' frames reloaded.
    virtual void vOnListsChanged() = 0;
    // Message 1041: the queued navigations carried out.
    virtual void vOnNavigateQueue() = 0;
    // Message 1034: the finished downloads worked off.
    virtual void vDrainDownloads(CFinishedDownloads& queue) = 0;
    // Timer 888: the reload requests.
    virtual void vOnReloadTimer() = 0;
    // Timer 666: one tick of the start gate.
    virtual void vOnStartTimer() = 0;
    // A menu command; false for an id the model does not know.
    virtual bool boOnCommand(int32_t id) = 0;
    // A zone's frame refreshed (kZoneMessages, kZoneUsers...).
    virtual void vRefreshZone(int zone) = 0;
};

} // namespace ChatModel
