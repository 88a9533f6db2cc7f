// The chat window's model: its members and settings, the page parameters,
// the variables, the user list and counters, the message list with its
// history text, sending and receiving with flood control, the group
// announcements and the IRC event handlers. It reaches the view, the plug-in
// instance, the connection and the stored settings through the narrow
// interfaces below, so it runs on any platform; the Windows window (ChatWnd)
// supplies the real ones.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "ActionDirectives.h"
#include "ChatModelHost.h"
#include "ChatState.h"
#include "ChatTables.h"
#include "ConfigDirectives.h"
#include "DisplayDirectives.h"
#include "ElementListDirectives.h"
#include "ElementLists.h"
#include "FloodDetector.h"
#include "GroupDirectives.h"
#include "HtmlWndEvents.h"
#include "IrcEvents.h"
#include "MessageFormats.h"
#include "TrustBoundary.h"

namespace ChatIrc
{
class CNickScheme;
}

namespace ChatModel
{

// The main view as the chat uses it.
class IChatView
{
public:
    virtual ~IChatView() = default;
    virtual bool boHasFrame(const std::string& name) = 0;
    // Reloads the frame; the message zone is then scrolled to its end.
    virtual void vReloadFrame(const std::string& name, bool scrollToEnd) = 0;
    // Loads the address into the frame (the whole view when empty).
    virtual void vLoad(const std::string& address, const std::string& frame) = 0;
    virtual std::string strRootPath() = 0;
    // A form field's text; false when there is none.
    virtual bool boReadField(const std::string& spec, std::string& value) = 0;
    virtual void vEnableControl(const std::string& name, bool enable) = 0;
    virtual void vStopLoading() = 0;
    // The state of the frame's images of that name (none: nothing).
    virtual void vSetImageState(const std::string& frame, const std::string& name, int state)
    {
        (void)frame, (void)name, (void)state;
    }
    // The check state of the first image of that name that is set, in the
    // page view and its frames; 0 when none.
    virtual int32_t iImageState(const std::string& name)
    {
        (void)name;
        return 0;
    }
    // The switch controls named so (images with a set state, check boxes).
    virtual void vSetSwitchControl(const std::string& name, bool on) { (void)name, (void)on; }
    virtual bool boSwitchControlOn(const std::string& name)
    {
        (void)name;
        return false;
    }
    // A form field of the page: its type word ("CHECKBOX", "RADIO", "SELECT",
    // "TEXTAREA", "TEXT"...), its text (the checked button's value for a radio
    // group, the selected option's value for a list) and its checked state.
    struct Field
    {
        std::string strType, strValue;
        bool boChecked = false;
    };
    virtual bool boGetField(const std::string& name, Field& field)
    {
        (void)name, (void)field;
        return false;
    }
    // Writes the field as its type reads it: the checked state of a check box,
    // the button of that value for a radio group, the text of any other.
    virtual void vSetField(const std::string& name, const Field& field) { (void)name, (void)field; }
    // Gives the keyboard focus to the form control; false when it has no window.
    virtual bool boFocusControl(const std::string& name)
    {
        (void)name;
        return false;
    }
    // Queued navigation (message 1041). The frames of the page view (frame
    // empty) or of the named frame's own view, in order.
    virtual std::vector<std::string> FrameNames(const std::string& frame)
    {
        (void)frame;
        return {};
    }
    // The address of the document the frame shows.
    virtual std::string strFrameAddress(const std::string& frame)
    {
        (void)frame;
        return {};
    }
    // Loads the address into the frame (empty: reloads its document) with the
    // window as the load's event interface; a non-empty base path becomes the
    // base path of the document loaded.
    virtual void vNavigateFrame(const std::string& frame, const std::string& address,
                                const std::string& basePath)
    {
        (void)basePath;
        if (address.empty())
            vReloadFrame(frame, false);
        else
            vLoad(address, frame);
    }
    // ---- talk line ----
    // Whether the page's form control of that name has the keyboard focus.
    virtual bool boHasFocus(const std::string& name)
    {
        (void)name;
        return false;
    }
    // The caret after the control's last character, scrolled into view.
    virtual void vCaretToEnd(const std::string& name) { (void)name; }
    // The frame scrolled to its end when it stands above it.
    virtual void vScrollFrameToEnd(const std::string& frame) { (void)frame; }
    // ---- end talk line ----
};

// The plug-in instance as the chat uses it.
class IChatInstance
{
public:
    virtual ~IChatInstance() = default;
    virtual bool boHasArgs() = 0;
    virtual bool boGetArg(const std::string& name, std::string& value) = 0;
    // The browser's get-URL request for a frame; true when it was taken.
    virtual bool boGetUrl(const std::string& url, const std::string& target) = 0;
    virtual void vCountPendingNavigation() = 0;
    virtual bool boIsActiveX() = 0;
};

// The IRC connection as the chat window drives it.
class IChatConnection
{
public:
    virtual ~IChatConnection() = default;
    virtual int iState() = 0;
    // Connect-in-thread with the window as event target.
    virtual bool boOpen(const std::string& host, uint16_t port) = 0;
    virtual void vClose() = 0;
    virtual void vDetach() = 0;
    virtual bool boLogon(const std::string& nick, const std::string& realName) = 0;
    virtual bool boCreateRoom(const std::string& room, const std::string& modes, const std::string& key,
                              uint32_t flags) = 0;
    virtual bool boLeaveRoom(const std::string& room) = 0;
    // To the target, or the current room when it is null.
    virtual bool boSay(const char* target, const std::string& text) = 0;
    virtual size_t uRoomUserCount(const std::string& room) = 0;
    virtual ChatIrc::CNickScheme& Scheme() = 0;
    // Bytes received (whole lines) and sent on the connection so far.
    virtual uint64_t ulReceivedBytes() { return 0; }
    virtual uint64_t ulSentBytes() { return 0; }
};

// The chat's values under the current user's "Software\Bramwick\Verbolt".
class ISettingsStore
{
public:
    virtual ~ISettingsStore() = default;
    virtual std::string strRead(const std::string& name, const std::string& defaultValue) = 0;
    virtual bool boWrite(const std::string& name, const std::string& text) = 0;
    // A value by the key's full path ("ROOT\\key\\path"); the default when
    // the key or value is missing.
    virtual std::string strReadPath(const std::string& fullPath, const std::string& name,
                                    const std::string& defaultValue)
    {
        (void)fullPath, (void)name;
        return defaultValue;
    }
};

class CChatModel : public ChatIrc::IIrcEvents, public CHtmlWndEventsBase, public IChatWindowEvents
{
public:
    enum Zone
    {
        kZoneMessages = 0,
        kZoneUsers = 1,
        kZoneStatus = 2,
        kZoneGroups = 3,
        kZoneRoom = 4,
    };
    static constexpr int kKindCount = ChatConfig::kKindCount;
    static constexpr size_t kMaxMessages = 10000;
    static constexpr uint16_t kUserHidden = ChatUsers::kUserHidden;
    static constexpr const char* kUndef = "@undef@";

    CChatModel(IChatConnection& cnx, ISettingsStore& settings, ClockFn clock = ClockFn());
    ~CChatModel() override;

    void vSetView(IChatView* view) { m_lpView = view; }
    IChatView* View() const { return m_lpView; }
    void vSetInstance(IChatInstance* instance) { m_lpInstance = instance; }
    // The window's side of the model (null: the model's own defaults).
    void vSetHost(IChatModelHost* host) { m_lpHost = host ? host : &m_defaultHost; }
    IChatModelHost& Host() const { return *m_lpHost; }

    // Init's model part: defaults and page parameters (once).
    void vInit() override;
    bool boFirstInit() const { return m_boFirstInit; }

    // The wait page while no user-interface address is given, else that page.
    void vLoadUserInterface();

    // Page parameters.
    std::string strGetPageParam(const std::string& name, bool* found) const;
    static int32_t iSplitRank(std::string& value);
    void vReadPageParams();

    // Variables.
    // `markup`: the result goes into markup, so the chat's own values
    // (nicks and room names among them, which strangers choose) are
    // entity-encoded and stay text.
    std::string strExpandVars(const std::string& text, bool markup = false);
    std::string strNoIncident(const std::string& nick) const;
    void vNavigateExpanded(const std::string& url, const std::string& target);

    // Message list.
    // `origin`: a stranger's text runs its announcements here, once, and is
    // kept only as shown text, marked as the stranger's.
    void vAddMessage(const std::string& text, const std::string& from, const std::string& to, int kind,
                     bool refresh, Origin origin = Origin::kChat);
    void vOnActClr();
    std::string strNickMarkup(const std::string& nick, int strid, std::vector<std::string>* groups);
    std::string strNickDisplay(const std::string& nick, int strid);
    // Parses the text for its directives; `foreign`: it came from another user.
    int32_t iParseMarkup(const std::string& text, bool foreign = false);
    // A configuration document whose directives run unseen: "str://" text is
    // parsed here, any other address is downloaded with the tag as its
    // requester (unless the host takes the request).
    int32_t iLoadConfigDocument(const std::string& address, const std::string& tag);
    static bool boIsTagMessage(const std::string& text);
    void vSendLongMessage(const std::string& text, bool priv, bool show, const std::string& to);

    // Connection, sending and the incoming filter.
    void vConnect();
    void vDisconnect();
    void vCreateRoom();
    // `built`: a text the chat made itself (announcements, multi-part
    // pieces), already in markup, so the no-HTML flag leaves it alone.
    void vSendChat(const std::string& text, bool priv, bool show, const std::string& to, int pause = 0,
                   bool checked = false, bool built = false);
    bool boAcceptIncoming(bool priv, const std::string& from, const std::string& text);

    // Groups and their announcements.
    int iOnCnfUserAttributes(const std::string& nick) const;
    int iSetGroupMember(bool add, const std::string& group, int32_t rank, bool announce,
                        const std::string& user, bool quiet);
    int iAnnounceGroups(const std::string& to, const std::string& user, const std::string& group, bool remove,
                        bool quiet);
    int iAnnounceReverse(const std::string& user, const std::string& group1, const std::string& group2,
                         bool remove, bool quiet);

    // Element lists. The list's frames remembered by the dispatcher are
    // reloaded for each changed list (message 1040); when the host does not
    // post it the reload runs at once.
    CElementListDirectives& ElementListDirectives() { return m_elistDirectives; }
    void vQueueListChanged(const std::string& list) { iQueueFrameRefresh(list, false); }
    // Queues the list's frames for a reload: a name already queued is not
    // added again. The first name of a batch sends (synchronous: the reload
    // runs at once) or posts message 1040 and gives 1; any other call gives 0.
    int32_t iQueueFrameRefresh(const std::string& list, bool synchronous);
    void vOnListsChanged() override;
    // A message-frame refresh (message 1039); when the host does not post it
    // the message zone is refreshed at once.
    void vPostRefresh();
    // The "@ELISTTOGGLE@" link word: rest is list "@" key.
    bool boOnElistToggle(const std::string& rest);

    // Zones, clearing, connection state.
    void vRefreshZone(int zone) override;
    void vClearAll();
    bool boIsBeforeConnection();

    // IIrcEvents, on the window's thread.
    void OnLine(const std::string&, ChatIrc::CIrcSession*) override {}
    void OnUnparsedLine(const std::string&, ChatIrc::CIrcSession*) override {}
    void OnPrivateMessage(const std::string& from, const std::string& text, ChatIrc::CIrcSession*) override;
    void OnRoomMessage(const std::string& from, const std::string& text, ChatIrc::CIrcSession*) override;
    void OnUserJoined(const std::string& nick, const std::string& room, ChatIrc::CIrcSession*) override;
    void OnIrcxReady(const std::string&, ChatIrc::CIrcSession*) override {}
    void OnState(int state, ChatIrc::CIrcSession*) override;
    void OnRoomState(const std::string& room, int state, ChatIrc::CIrcSession*) override;
    void OnUserKilled(const std::string& room, const std::string& victim, const std::string& killer,
                      const std::string& reason, ChatIrc::CIrcSession*) override;
    void OnUserLeft(const std::string& room, const std::string& nick, ChatIrc::CIrcSession*) override;
    void OnNumericError(int code, const std::string& text1, const std::string& text2,
                        ChatIrc::CIrcSession*) override;
    void OnServerMessage(int kind, const std::string& text, ChatIrc::CIrcSession*) override;

    // Slot 0 of the view events: the chat's directives (tags the renderer
    // does not know). -1 leaves the tag to the renderer; otherwise the number
    // of bytes of the new block in *content that replace the tag and its body
    // (0: both removed). Tags it does not handle, and tags that come without
    // a document, go to the scroll bar's handler (-1 without one).
    int32_t OnTag(std::string name, std::string attributes, HtmlMemBlock* content, int32_t length,
                  std::string frameName, CHtmlObject* sender) override;
    void vSetScrollBarEvents(IHtmlWndEvents* events) { m_lpScrollBarEvents = events; }
    ChatIrc::CNickScheme& Scheme() { return m_cnx.Scheme(); }
    ISettingsStore& Settings() { return m_settings; }
    // True while text from another user is parsed: its directives may not
    // move the connection, read local settings or insert local files.
    bool boForeignText() const { return m_iForeignDepth > 0; }

    // The handlers of the directive families, which the dispatcher runs.
    CConfigDirectives& ConfigDirectives() { return m_configDirectives; }
    CGroupDirectives& GroupDirectives() { return m_groupDirectives; }
    CActionDirectives& ActionDirectives() { return m_actionDirectives; }
    CDisplayDirectives& DisplayDirectives() { return m_displayDirectives; }

    // 32 for the sender side, 30 for any other detector; +1 for a frequency alert.
    int iFloodKindOf(const CFloodDetector& detector, int test) const;

    // A form field's value (HTML-encoded unless noFormat) and type; the type is
    // left as it is when the page has no such field.
    std::string strGetFieldValue(const std::string& name, std::string& type, bool noFormat);
    void vSetFieldValue(const std::string& name, const std::string& value);
    // A relative address made whole on the base address (else the view's
    // root path); unchanged without a view or while addresses are kept.
    std::string strResolveAddress(const std::string& address);
    // Message 1041: the queued requests in order; requests queued meanwhile
    // (by the pages it loads) wait for the next message.
    void vOnNavigateQueue() override;
    // The frames a target pattern names, appended to the list: a name without
    // "*" as it is; with "*", every matching frame of the view (the page view
    // when frame is empty) and of the frames nested in it, each once.
    void vResolveFrames(const std::string& pattern, std::vector<std::string>& names,
                        const std::string& frame = std::string());
    // The substitutions of CNF_SUBST, then "http://" and "www." words made
    // links with the CNF_LNKHTTP template (the talk line and DYN_SUBST).
    void vAutoLink(std::string& text) const;
    // ACT_EXECCMD / DYN_EXECCMD: the command text becomes the markup of the
    // console word or page-defined command it names; false when it names none.
    bool boOnActExecCmd(std::string& command);
    // The console's output for one of its words; empty for another text.
    std::string strConsoleOutput(const std::string& command);
    // Mode 1 switches the format on, -1 off, keeping the "@MSGF@" controls in step.
    void vOnDynMessFormat(const std::string& name, int mode);
    // A multi-part piece (DYN_MPD): the message is added when it is whole.
    void vOnDynMpd(const std::string& body, const std::string& attrs);

    // Finished downloads (message 1034).
    static bool boIsConfigDocument(const std::string& mime, const std::string& address);
    bool boIsFrameShown(const std::string& frame);
    void vDrainDownloads(CFinishedDownloads& queue) override;
    void vApplyTechnicalLoad(const std::string& result, bool inMemory);
    void vOnReloadTimer() override;

    // The connection start gate's flags (DYN_CNXWAIT, DYN_CNXGO, CNF_ tags).
    void vOnDynCnxWait(const std::string& attributes);
    void vOnDynCnxGo(const std::string& attributes);
    void vRaiseStartRequest();

    // ---- talk line (the CFLD_TEXT field: keys, input history, sending) ----
    // Virtual-key codes of the keys the talk line handles.
    static constexpr int32_t kKeyBack = 0x08, kKeyReturn = 0x0D, kKeyShift = 0x10, kKeyControl = 0x11,
                             kKeyAlt = 0x12, kKeyEscape = 0x1B, kKeyUp = 0x26, kKeyDown = 0x28;
    // Non-zero when the key was handled (the view then skips its own handling).
    int32_t OnInputKey(int32_t key, int32_t repeat, int32_t flags, std::string frameName,
                       CHtmlObject* sender) override;
    // Enter, Escape, Up or Down on the talk text (in and out).
    void vRecallInput(int32_t key, std::string& text);
    // Null text: the talk field's; null recipient: the selected user.
    void vSendTalk(bool priv, const std::string* text = nullptr, const std::string* to = nullptr);
    // The send flag of the page-defined command the line invokes; 0 when it invokes none.
    int iIsNoSendCommand(const std::string& line) const;
    // ---- end talk line ----
    // ---- the view's events: links, menus, forms, logon, downloads (ChatViewEvents.cpp)
    int32_t OnLinkClick(std::string address, std::string target, CHtmlObject* sender) override;
    int32_t OnLinkMenu(std::string address, std::string target, CHtmlObject* sender) override;
    void OnLinkHover(const std::string& text, CTag* link, int32_t state, CHtmlObject* sender) override;
    int32_t OnSubmit(CTagINPUT* input, CHtmlObject* sender) override;
    void OnControlCreated(CTagINPUT* input, CHtmlObject* sender) override;
    void OnLeaveView(std::string* kind, std::string* address, std::string frameName,
                     CHtmlObject* sender) override;
    // Slots 32, 38, 44, 51 and 52 belong to the scroll bar.
    int32_t OnDrag(int32_t x, int32_t y, int32_t previousX, int32_t previousY, std::string* frameName,
                   CHtmlObject* sender) override;
    void OnLinkTick(const std::string& address, const std::string& target, int32_t pressed, int32_t zero,
                    CHtmlObject* sender) override;
    void OnScroll(int32_t bar, int32_t position, HtmlWnd* view, CHtmlObject* sender) override;
    IHtmlWndEvents* OnFrameCreated(CTagFRAME* frame, HtmlWnd* childView, CHtmlObject* sender) override;
    void OnFrameDestroyed(CTagFRAME* frame, HtmlWnd* childView, CHtmlObject* sender) override;
    // A document has been loaded and laid out in the view or one of its
    // frames (the window places the scroll bar's thumbs again).
    void OnDocumentLoaded(std::string address, int32_t result, std::string context, HtmlWnd* loader,
                          CHtmlObject* sender) override;

    // Menu command ids.
    static constexpr int32_t kCmdNickFunction = 1000; // + function index, to 1199
    static constexpr int32_t kCmdWhisper = 32771;
    static constexpr int32_t kCmdCopyMessage = 10000; // + message number, to 19999
    static constexpr int32_t kCmdCopyAll = 20001;
    static constexpr int32_t kCmdClearAll = 20002;
    using MenuItem = ChatMenuItem;
    // The pixels a menu of that many items is shown above the cursor.
    static int32_t iMenuRise(size_t items);
    void vUserMenu(const std::string& nick, long message);
    void vMessageMenu(long message);
    // The window's command routing; false for an id it does not know.
    bool boOnCommand(int32_t id) override;
    // "CHAT_LOGON": false when refused (the logon page shows why).
    bool boLogon();
    // 0 accepted; reason 1 reserved, 2 bad string, 0 otherwise.
    bool boValidateNick(const std::string& nick, int* reason);
    void vRunNickFunction(long index);
    void vRunNickFunctionByName(const std::string& name);
    void vCopyMessage(long index);

    // The start gate: one tick of timer 666.
    void vOnStartTimer() override;
    bool boVersionRefused() const;
    // "%.2f" without trailing zeros: "4.38".
    static std::string strVersionText(double version);

    // ---- state (public: the directives, the window and the tests read and set it) ----
    ChatConnection conn;
    ChatPageParams page;
    ChatConfig cfg;
    ChatMessages msgs;
    ChatUsers people;
    ChatTableSet tables;
    using Substitution = ChatConfig::Substitution;
    using Command = ChatConfig::Command;
    using NickFunction = ChatConfig::NickFunction;
    using Message = ChatMessages::Message;
    static constexpr int32_t kMaxContextVars = 1024;
    static constexpr double kVersion = 4.38, kSubVersion = 1.01;
    const Command* lpFindCommand(const std::string& name) const;
    // A number format with exactly one integer conversion.
    static bool boIsIntegerFormat(const std::string& format);
    // The command's text for a call with parameters: "%params%", the
    // "%iparam-n%", "+n", "*n", "/n" running integer (a division without a
    // quotient keeps it) in the command's number format, "%0%", "%1%"... from
    // the list and the placeholders after it emptied.
    static std::string strExpandCommandText(const Command& command, const std::string& params,
                                            const std::vector<std::string>& list);
    // The page-defined command the text names, whole or, for a command with
    // parameters, as a prefix: params is then the rest as typed, and list the
    // parts of a "(a,b)" rest cut at the command's separator.
    const Command* lpFindCommand(const std::string& text, std::string& params,
                                 std::vector<std::string>* list) const;

    // Users.
    long lFindUser(const std::string& nick) const;
    // 1 when the nick is in the room's user list (exact comparison), else 0.
    int32_t iIsInNickList(const std::string& nick) const { return lFindUser(nick) >= 0 ? 1 : 0; }
    bool boInsertUser(const std::string& nick, uint16_t flags);
    bool boRemoveUser(const std::string& nick, uint16_t* flags);
    // A user who left or was killed: removed, counted, announced with messageKind
    // unless a hidden twin takes the place; its flood records dropped.
    void vUserGone(const std::string& nick, int messageKind);
    void vClearUsers();

    // The process-wide multi-part counter.
    static long& lMultiPartCounter();
    // The run-time key of scrambled page values.
    static std::string strRunTimeKey();

private:
    // The talk form's submits and the whisper item: the host's, else the talk line sent here.
    void vOfferTalk(bool priv);
    std::string strWaitTimeText(int32_t ms) const;
    void vSetFloodAlertGroup(CFloodDetector& det, int alert, const std::string& nick, bool sender);
    bool boExempt(const CFloodDetector& det, const std::string& nick) const;
    std::string strEncodedNick(const std::string& nick);
    bool boFixedValue(const std::string& name, std::string& value);
    int64_t llNow() const { return m_clock(); }

    IChatConnection& m_cnx;
    ISettingsStore& m_settings;
    ClockFn m_clock;
    IChatView* m_lpView = nullptr;
    IChatModelHost m_defaultHost;
    IChatModelHost* m_lpHost = &m_defaultHost;
    IHtmlWndEvents* m_lpScrollBarEvents = nullptr;
    int m_iForeignDepth = 0;
    static constexpr int kMaxForeignDepth = 4;
    // The sender whose multi-part pieces are being parsed (empty: the chat's
    // own): a stranger's pieces join only that stranger's own.
    std::string m_strPartsScope;
    IChatInstance* m_lpInstance = nullptr;
    bool m_boFirstInit = true;

    // The element-list directives' view of the model.
    class CElementListHost : public IElementListHost
    {
    public:
        explicit CElementListHost(CChatModel& model) : m_model(model) {}
        std::string strOwnNickNoIncident() override;
        bool boSetGroupMember(const std::string& group, const std::string& nick, int32_t rank) override;
        void vAnnounceGroup(const std::string& group) override;
        void vAddRawMessage(const std::string& text) override;
        std::string strNickMarkup(const std::string& nick, int style) override;
        std::string strPlainUserLinkAttrs() override;
        void vCutHistoryTag(const std::string& tagName, const std::string& attributes) override;
        void vQueueListChanged(const std::string& list) override;
        void vRequestMessageRefresh() override;

    private:
        CChatModel& m_model;
    };
    CElementListHost m_elistHost{*this};
    CElementListDirectives m_elistDirectives{tables.elementLists, m_elistHost};

    // The configuration directives' view of the model.
    class CConfigHost : public IConfigDirectiveHost
    {
    public:
        explicit CConfigHost(CChatModel& model) : m_model(model) {}
        ChatIrc::CNickScheme& Scheme() override;
        bool boIsBeforeConnection() override;

    private:
        CChatModel& m_model;
    };
    CConfigHost m_configHost{*this};
    CConfigDirectives m_configDirectives{cfg, people, m_configHost};

    // The group directives' view of the model.
    class CGroupHost : public IGroupDirectiveHost
    {
    public:
        explicit CGroupHost(CChatModel& model) : m_model(model) {}
        std::string strNoIncident(const std::string& nick) override;
        bool boForeignText() override;
        std::string strReadSetting(const std::string& fullPath, const std::string& name,
                                   const std::string& defaultValue) override;
        void vAnnounceGroup(const std::string& to, const std::string& group) override;
        void vAddGroupMessage(const std::string& text, const std::string& from,
                              const std::string& to) override;
        void vRefreshUsers() override;
        void vRequestMessageRefresh() override;

    private:
        CChatModel& m_model;
    };
    CGroupHost m_groupHost{*this};
    CGroupDirectives m_groupDirectives{conn, people, msgs, m_groupHost};

    // The display directives' view of the model.
    class CDisplayHost : public IDisplayDirectiveHost
    {
    public:
        explicit CDisplayHost(CChatModel& model) : m_model(model) {}
        std::string strNickDisplay(const std::string& nick, int style) override;
        bool boForeignText() override;
        bool boReadLocalFile(const std::string& path, std::string& text) override;
        std::string strRequestDocument(const std::string& address, const std::string& frame) override;
        void vRequestMessageRefresh() override;

    private:
        CChatModel& m_model;
    };
    CDisplayHost m_displayHost{*this};
    CDisplayDirectives m_displayDirectives{conn, cfg, people, msgs, m_displayHost};

    // The action directives' view of the model.
    class CActionHost : public IActionDirectiveHost
    {
    public:
        explicit CActionHost(CChatModel& model) : m_model(model) {}
        int iReceiveAccept() override;
        std::string strExpandVars(const std::string& text) override;
        std::string strNoIncident(const std::string& nick) override;
        std::string strGetFieldValue(const std::string& name, std::string& type, bool noFormat) override;
        void vSetFieldValue(const std::string& name, const std::string& value) override;
        void vSendMessage(const std::string& text, const std::string& to, bool multiPart) override;
        bool boHasFrame(const std::string& name) override;
        std::string strResolveAddress(const std::string& address) override;
        void vPostNavigate() override;
        void vNavigateExpanded(const std::string& url, const std::string& target) override;

    private:
        CChatModel& m_model;
    };
    CActionHost m_actionHost{*this};
    CActionDirectives m_actionDirectives{conn, cfg, page, msgs, people, m_configDirectives, m_actionHost};
};

// Another user's text with the directives it may not run renamed, opening
// and closing tags alike, so that no later parse of it (the message history,
// context variables, lists) runs them: CNF_SERVINFO, CNF_LOCALCONF_GRP and
// DYN_INSERTURL.
std::string strDisarmForeignText(const std::string& text);

// Another user's message with its links and controls made harmless: an A
// whose HREF is an http, https or mailto address becomes a link that only
// the browser follows, unexpanded; any other A, form controls, frames,
// images and every element naming an address of its own are shown as text.
std::string strDisarmForeignLinks(const std::string& text);

// CP1252 text as UTF-8.
std::string strAnsiToUtf8(const std::string& text);

} // namespace ChatModel
