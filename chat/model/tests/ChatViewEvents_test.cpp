// The chat's answers to its view: the start gate, the logon, link words and
// menus, the clipboard copies, the documents it fetches for the view, and
// another user's links.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>

#include "ChatMarkup.h"
#include "ChatPageFixture.h"
#include "HtmlElements.h"

using namespace ChatModel;
using namespace ChatModelTest;

namespace
{

// The model with an instance, its timer and menus and clipboard recorded.
struct ViewEvents : CChatPageFixture
{
    CFakeInstance inst;
    std::vector<std::string> timer;
    std::vector<std::vector<CChatModel::MenuItem>> menus;
    std::vector<int32_t> rises;
    std::vector<std::string> clipboard;
    std::vector<std::string> talk;

    ViewEvents()
    {
        m.vSetInstance(&inst);
        host.onStartTimer = [this](bool run) { timer.push_back(run ? "start" : "stop"); };
        host.onTrackMenu = [this](const std::vector<CChatModel::MenuItem>& items, int32_t above)
        {
            menus.push_back(items);
            rises.push_back(above);
        };
        host.onSetClipboard = [this](const std::string& text) { clipboard.push_back(text); };
        host.onSendTalk = [this](bool priv) { talk.push_back(priv ? "whisper" : "room"); };
        m.conn.strServer = "127.0.0.1";
        m.conn.strNick = m.conn.strIrcNick = "ann";
    }
    bool boOpened() const
    {
        for (const std::string& c : cnx.calls)
            if (c.compare(0, 5, "open ") == 0)
                return true;
        return false;
    }
    static std::string strItems(const std::vector<CChatModel::MenuItem>& items)
    {
        std::string s;
        for (const auto& i : items)
            s += (s.empty() ? "" : "|") +
                 (i.boSeparator ? std::string("-")
                                : std::to_string(i.iId) + (i.boGrayed ? "~" : "") + ":" + i.strText);
        return s;
    }
};

} // namespace

// ---------------------------------------------------------------- start gate

TEST(StartGate, VersionLimits)
{
    struct Case
    {
        double minVer, minSub, maxVer, maxSub;
        bool refused;
    } cases[] = {
        {4.38, 1.02, -1.0, -1.0, true},  {4.38, 1.01, -1.0, -1.0, false}, {-1.0, -1.0, -1.0, -1.0, false},
        {-1.0, -1.0, 4.37, -1.0, true},  {4.39, -1.0, -1.0, -1.0, true},  {-1.0, -1.0, 4.38, 1.00, true},
        {-1.0, -1.0, 4.38, 1.01, false}, {4.37, 2.0, -1.0, -1.0, false},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(testing::Message() << c.minVer << "/" << c.minSub << " " << c.maxVer << "/" << c.maxSub);
        ViewEvents t;
        t.m.page.dMinVer = c.minVer, t.m.page.dMinSubVer = c.minSub, t.m.page.dMaxVer = c.maxVer,
        t.m.page.dMaxSubVer = c.maxSub;
        t.m.page.strOkUrl = "ok.htm", t.m.page.strOkFrame = "okf", t.m.page.strNokUrl = "nok.htm",
        t.m.page.strNokFrame = "nokf";
        t.m.conn.boGo = true;
        t.m.vOnStartTimer();
        t.m.vOnStartTimer();
        EXPECT_EQ(c.refused, t.m.boVersionRefused());
        if (c.refused)
        {
            EXPECT_EQ(t.inst.urls, std::vector<std::string>{"nok.htm -> nokf"});
            EXPECT_EQ(t.timer, std::vector<std::string>{"stop"});
            EXPECT_FALSE(t.boOpened());
        }
        else
        {
            EXPECT_EQ(t.inst.urls, std::vector<std::string>{"ok.htm -> okf"});
            EXPECT_TRUE(t.boOpened());
        }
    }
}

TEST(StartGate, VersionTexts)
{
    EXPECT_EQ("4.38", CChatModel::strVersionText(CChatModel::kVersion));
    EXPECT_EQ("1.01", CChatModel::strVersionText(CChatModel::kSubVersion));
    EXPECT_EQ("2.5", CChatModel::strVersionText(2.5));
}

TEST(StartGate, WaitsForEveryFlag)
{
    ViewEvents t;
    t.strParse("<DYN_CNXWAIT FLAGS=\"A|B\">");
    t.m.vOnStartTimer();
    EXPECT_FALSE(t.boOpened());
    t.strParse("<DYN_CNXGO FLAG=\"a\">");
    t.m.vOnStartTimer();
    EXPECT_FALSE(t.m.conn.boGo);
    EXPECT_FALSE(t.boOpened());
    t.strParse("<DYN_CNXGO FLAG=\"B\">");
    EXPECT_TRUE(t.m.conn.boGo);
    t.m.vOnStartTimer();
    EXPECT_TRUE(t.boOpened());
    EXPECT_EQ(t.timer, std::vector<std::string>{"stop"});
}

TEST(StartGate, GoWithoutWaitStartsAtOnce)
{
    ViewEvents t;
    t.strParse("<DYN_CNXGO FLAG=\"x\">");
    EXPECT_TRUE(t.m.conn.boGo);
    t.m.vOnStartTimer();
    EXPECT_TRUE(t.boOpened());
}

TEST(StartGate, LogonPageBeforeAnyNickname)
{
    ViewEvents t;
    t.view.frames.push_back("main");
    t.m.conn.strNick = t.m.conn.strIrcNick = "";
    t.m.cfg.boLogonPageSwitch = true;
    t.m.cfg.strLogonPage = "logon.htm", t.m.cfg.strLogonFrame = "main";
    t.m.conn.boGo = true;
    t.m.page.requestedDownloads.vAddRequest("ui.htm", "");
    t.m.vOnStartTimer(); // a download is pending: wait
    EXPECT_TRUE(t.timer.empty());
    t.m.page.requestedDownloads.boSetResult("ui.htm", "<B>x</B>", true);
    t.m.vOnStartTimer();
    EXPECT_EQ(t.timer, std::vector<std::string>{"stop"});
    EXPECT_EQ(1u, t.view.uCount("load logon.htm in main"));
    EXPECT_FALSE(t.boOpened());
}

// ---------------------------------------------------------------- logon

// The connection's escape text refuses a nick, whatever it has been set to.
TEST(Logon, TheConnectionsEscapeTextIsRefused)
{
    struct Case
    {
        const char* escape;     // null: the default
        const char* checkChars; // null: the default "#{["
        const char* nick;
        bool accepted;
    } cases[] = {
        {nullptr, "#", "a[b", false},   {"~~", nullptr, "a~~b", false}, {"~~", nullptr, "a~b", true},
        {"~~", nullptr, "~~ab", false}, {"~~", "#", "a[b", true},       {"", "#", "a[b", true},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.nick);
        ViewEvents t;
        if (c.escape)
            t.m.Scheme().vSetEscapeMark(c.escape);
        if (c.checkChars)
            t.m.conn.strNickCheckChars = c.checkChars;
        int reason = -1;
        EXPECT_EQ(c.accepted, t.m.boValidateNick(c.nick, &reason));
        EXPECT_EQ(0, reason);
    }
}

TEST(Logon, NicknameChecks)
{
    struct Case
    {
        const char* nick;
        const char* error; // null: accepted
    } cases[] = {
        {"a[b", "empty"}, {"x#y", "empty"},      {"#a", "empty"},        {"a{b", "empty"}, {"ab", "empty"},
        {"", "empty"},    {"admin", "reserved"}, {"xFOOx", "forbidden"}, {"bob", nullptr},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.nick);
        ViewEvents t;
        t.view.frames.push_back("main");
        t.m.conn.strNick = t.m.conn.strIrcNick = "";
        t.m.cfg.reservedNicks = {"Admin"};
        t.m.cfg.badLogonStrings = {"foo"};
        t.m.cfg.strNickErrForbidden = "forbidden text";
        t.m.cfg.strLogonPage = "logon.htm", t.m.cfg.strLogonFrame = "main", t.m.cfg.strLogonNext = "next.htm";
        t.view.fields["CFLD_LOGIN"] = c.nick;
        const bool accepted = t.m.boLogon();
        EXPECT_EQ(c.error == nullptr, accepted);
        if (c.error)
        {
            const std::string expected = std::string(c.error) == "empty"      ? t.m.cfg.strNickErrEmpty
                                         : std::string(c.error) == "reserved" ? t.m.cfg.strNickErrReserved
                                                                              : t.m.cfg.strNickErrForbidden;
            EXPECT_EQ(expected, t.m.cfg.strLogonError);
            EXPECT_EQ(1u, t.view.uCount("disable CFLD_TEXT"));
            EXPECT_EQ(1u, t.view.uCount("load logon.htm in main"));
            EXPECT_TRUE(t.timer.empty());
        }
        else
        {
            EXPECT_EQ("bob", t.m.conn.strNick);
            EXPECT_EQ("bob", t.m.conn.strIrcNick);
            EXPECT_TRUE(t.m.conn.boLoggedOn);
            EXPECT_TRUE(t.m.people.groups.boHasMember("@@TempLogon@@bob", "bob"));
            EXPECT_EQ(1u, t.view.uCount("load next.htm in main"));
            EXPECT_EQ(1u, t.view.uCount("enable CFLD_TEXT"));
            EXPECT_EQ(t.timer, std::vector<std::string>{"start"});
            // The restarted gate connects with the new nickname.
            t.m.conn.boGo = true;
            t.m.vOnStartTimer();
            EXPECT_TRUE(t.boOpened());
        }
    }
}

// ---------------------------------------------------------------- links and menus

TEST(Links, UserListClickSelectsThenClears)
{
    ViewEvents t;
    t.m.cfg.zoneFrames[CChatModel::kZoneUsers] = "users";
    EXPECT_EQ(0, t.m.OnLinkClick("@BLS@ann", "", nullptr));
    EXPECT_EQ("ann", t.m.conn.strSelected);
    t.m.OnLinkClick("@BLS@ann", "", nullptr);
    EXPECT_EQ("", t.m.conn.strSelected);
    EXPECT_EQ(2u, t.view.uCount("reload users"));
}

TEST(Links, UserMenuNickAndMessage)
{
    ViewEvents t;
    t.m.people.users = {"bob", "bob{2"};
    t.m.people.userFlags = {0, 0};
    t.m.OnLinkClick("@BUD@7@bob{2", "", nullptr);
    t.m.OnLinkClick("@BUD@bob", "", nullptr);
    ASSERT_EQ(2u, t.menus.size());
    EXPECT_EQ("bob", t.m.conn.strSelected);
    EXPECT_EQ("32771:Whisper", ViewEvents::strItems(t.menus[0]));
    EXPECT_EQ(CChatModel::iMenuRise(1), t.rises[0]);
}

TEST(Links, MenuOfThreeItemsRisesAboveTheCursor)
{
    ViewEvents t;
    t.m.people.users = {"bob"};
    t.m.people.userFlags = {0};
    t.m.conn.strRoom = "#r";
    CChatModel::NickFunction f;
    f.strName = "Kick %bud% from %room%";
    t.m.cfg.nickFunctions.push_back(f);
    t.m.OnLinkMenu("@BUD@3@bob", "", nullptr);
    ASSERT_EQ(1u, t.menus.size());
    EXPECT_EQ("1000:Kick bob from #r|-|32771:Whisper", ViewEvents::strItems(t.menus[0]));
    EXPECT_EQ(54, t.rises[0]);
}

TEST(Links, UserWhoLeftGetsOnlyTheGreyedLine)
{
    ViewEvents t;
    t.m.conn.strRoom = "#r";
    t.m.OnLinkClick("@BUD@2@carl", "", nullptr);
    ASSERT_EQ(1u, t.menus.size());
    EXPECT_EQ("32771~:carl left #r", ViewEvents::strItems(t.menus[0]));
}

TEST(Links, MessageMenusAndTheirCommands)
{
    ViewEvents t;
    t.m.vAddMessage("<B>hello</B> <A HREF=\"x\">there</A>", "bob", "", 0, false);
    t.m.OnLinkClick("@MESS@0", "", nullptr);
    t.m.OnLinkMenu("@MESS@-1", "", nullptr);
    ASSERT_EQ(2u, t.menus.size());
    EXPECT_EQ("10000:Copy", ViewEvents::strItems(t.menus[0]));
    EXPECT_EQ("20001:Copy all|20002:Clear all", ViewEvents::strItems(t.menus[1]));
    // The ids never meet those of the nick functions or the whisper item.
    EXPECT_TRUE(t.m.boOnCommand(10000));
    ASSERT_EQ(1u, t.clipboard.size());
    EXPECT_EQ("hello there", t.clipboard[0]);
    EXPECT_TRUE(t.m.boOnCommand(CChatModel::kCmdWhisper));
    EXPECT_EQ(t.talk, std::vector<std::string>{"whisper"});
    EXPECT_TRUE(t.m.boOnCommand(CChatModel::kCmdClearAll));
    EXPECT_TRUE(t.m.msgs.messages.empty());
    EXPECT_FALSE(t.m.boOnCommand(1200));
}

TEST(Links, NickFunctionNeedsASelectedUser)
{
    ViewEvents t;
    CChatModel::NickFunction f;
    f.strName = "op";
    f.strAddToGroup = "ops";
    f.strRemFromGroup = "guests";
    t.m.cfg.nickFunctions.push_back(f);
    t.m.people.groups.iSetMember("guests", "bob", 0);
    t.m.OnLinkClick("@FCT@OP", "", nullptr);
    EXPECT_NE(std::string::npos, t.m.msgs.strHistory.find("select someone first!"));
    EXPECT_FALSE(t.m.people.groups.boHasMember("ops", "bob"));
    t.m.conn.strSelected = "bob";
    t.m.boOnCommand(CChatModel::kCmdNickFunction + 0);
    EXPECT_TRUE(t.m.people.groups.boHasMember("ops", "bob"));
    EXPECT_FALSE(t.m.people.groups.boHasMember("guests", "bob"));
}

TEST(Links, TalkAndLogonWordsAndTargets)
{
    ViewEvents t;
    t.view.frames.push_back("main");
    t.m.page.pageVars["x"] = "1";
    t.m.OnLinkClick("chat_talk", "", nullptr);
    t.m.OnLinkClick("page.htm", "main", nullptr);
    t.m.OnLinkClick("http://a/b", "_blank", nullptr);
    EXPECT_EQ(t.talk, std::vector<std::string>{"room"});
    EXPECT_EQ(1u, t.view.uCount("load page.htm in main"));
    EXPECT_EQ(t.inst.urls, std::vector<std::string>{"http://a/b -> _blank"});
}

TEST(Links, GroupFormSwitchFollowsTheImageButtonsState)
{
    ViewEvents t;
    int refreshes = 0;
    t.host.onPostRefresh = [&] { ++refreshes; };
    // The image button has already taken the click: its state gives the switch,
    // whatever the switch was before.
    const struct
    {
        bool before;
        int32_t image;
        bool after;
        const char* stored;
    } cases[] = {{false, 0, true, "1"}, {true, 0, true, "1"}, {true, 1, false, "0"}, {false, 1, false, "0"}};
    for (const auto& c : cases)
    {
        SCOPED_TRACE(std::to_string(c.image) + (c.before ? " on" : " off"));
        t.m.cfg.boGroupForm = c.before;
        t.view.imageStates["@GRPFORM@"] = c.image;
        EXPECT_EQ(0, t.m.OnLinkClick("@grpform@", "", nullptr));
        EXPECT_EQ(c.after, t.m.cfg.boGroupForm);
        EXPECT_EQ(c.stored, t.settings.values["grpf"]);
    }
    EXPECT_GE(refreshes, 1);
}

TEST(StartGate, FrameRefreshQueueSendsOrPostsOncePerBatch)
{
    ViewEvents t;
    int posted = 0;
    t.host.onPostListsChanged = [&] { ++posted; };
    t.m.tables.elistFrames["a"] = "users";
    t.m.tables.elistFrames["b"] = "room";
    EXPECT_EQ(1, t.m.iQueueFrameRefresh("a", false));
    EXPECT_EQ(0, t.m.iQueueFrameRefresh("a", false));
    EXPECT_EQ(0, t.m.iQueueFrameRefresh("b", true));
    EXPECT_EQ(1, posted);
    EXPECT_EQ(0u, t.view.uCount("reload users"));
    // Message 1040: the batch's frames in order, then the queue is empty.
    t.m.vOnListsChanged();
    EXPECT_EQ(1u, t.view.uCount("reload users"));
    EXPECT_EQ(1u, t.view.uCount("reload room"));
    // Synchronous: the reload runs at once, nothing is posted.
    EXPECT_EQ(1, t.m.iQueueFrameRefresh("b", true));
    EXPECT_EQ(1, posted);
    EXPECT_EQ(2u, t.view.uCount("reload room"));
    EXPECT_EQ(1, t.m.iQueueFrameRefresh("b", false));
    EXPECT_EQ(2, posted);
}

TEST(Links, NickListIsTheRoomsUserListComparedExactly)
{
    ViewEvents t;
    t.m.boInsertUser("Bob", 0);
    EXPECT_EQ(1, t.m.iIsInNickList("Bob"));
    EXPECT_EQ(0, t.m.iIsInNickList("bob"));
    EXPECT_EQ(0, t.m.iIsInNickList("Bo"));
    EXPECT_EQ(0, t.m.iIsInNickList(""));
}

// ---------------------------------------------------------------- another user's links

TEST(Links, AnotherUsersLinksRunNothingAndLeakNothing)
{
    ViewEvents t;
    t.m.page.pageVars["secret"] = "s3cr3t";
    CChatModel::Command command;
    command.strName = "/X";
    command.strText = "<ACT_SETVAR NAME=\"hit\">1</ACT_SETVAR>";
    t.m.cfg.commands.push_back(command);
    t.view.frames.push_back("main");
    const std::string text =
        "<A HREF=\"@SUBSTCMD@/x\">a</A> <A HREF=\"CHAT_LOGON\">b</A> "
        "<A HREF=\"@HSND@%var::secret%\">c</A> <A HREF=\"http://h/?%var::secret%\">d</A> "
        "<A HREF=\"javascript:x\">e</A> <A HREF=\"MAILTO:a@b\" TARGET=main>f</A> "
        "<INPUT TYPE=SUBMIT NAME=CHAT_LOGON> <IMG SRC=\"http://h/%var::secret%.gif\">";
    t.m.OnRoomMessage("bob", text, nullptr);
    // Click every link the message pane shows (the rest is text: "&lt;A").
    const std::string& h = t.m.msgs.strHistory;
    std::string lower = h;
    for (char& c : lower)
        c = static_cast<char>(tolower(static_cast<unsigned char>(c)));
    size_t at = 0;
    std::vector<std::string> hrefs;
    while ((at = lower.find("<a href=\"", at)) != std::string::npos)
    {
        at += 9;
        hrefs.push_back(h.substr(at, h.find('"', at) - at));
        t.m.OnLinkClick(hrefs.back(), "main", nullptr);
    }
    // The sender's name, the message, and the two browser links.
    ASSERT_EQ(4u, hrefs.size()) << h;
    EXPECT_EQ("@BUD@0@bob", hrefs[0]);
    EXPECT_EQ("@MESS@0", hrefs[1]);
    EXPECT_NE(std::string::npos, h.find("&lt;INPUT"));
    EXPECT_NE(std::string::npos, h.find("&lt;IMG"));
    EXPECT_EQ(t.inst.urls,
              (std::vector<std::string>{"http://h/?%var::secret% -> _blank", "MAILTO:a@b -> _blank"}));
    EXPECT_EQ(0u, t.m.page.pageVars.count("hit"));
    EXPECT_TRUE(t.cnx.session.wire.empty());
    EXPECT_TRUE(t.view.log.empty());
    // The chat's own links keep every form.
    t.m.OnLinkClick("@HSND@%var::secret%", "", nullptr);
    EXPECT_TRUE(t.m.page.pageVars.count("secret"));
}

// ---------------------------------------------------------------- documents for the view

TEST(ViewDownloads, PendingCachedAndPlaceholder)
{
    ViewEvents t;
    t.m.conn.strPlaceholderColor = "#123456";
    t.m.conn.strPlaceholderContent = "wait";
    std::string kind = "HTTP", address = "www.a.com/x";
    t.m.OnLeaveView(&kind, &address, "f1", nullptr);
    EXPECT_EQ("sTr", kind);
    EXPECT_EQ("<BODY BGCOLOR=#123456>wait</BODY>", address);
    EXPECT_EQ(t.inst.urls, std::vector<std::string>{"http://www.a.com/x -> "});
    // A second frame while it downloads: the placeholder, no second request.
    kind = "HTTP", address = "www.a.com/x";
    t.m.OnLeaveView(&kind, &address, "f2", nullptr);
    EXPECT_EQ("sTr", kind);
    EXPECT_EQ(1u, t.inst.urls.size());
    EXPECT_EQ((std::vector<std::string>{"f1", "f2"}), t.m.page.requestedDownloads.Requesters("www.a.com/x"));
    // An image while it downloads shows nothing.
    kind = "HTTP", address = "x.GIF";
    t.m.OnLeaveView(&kind, &address, "f1", nullptr);
    EXPECT_EQ("DMY", kind);
    EXPECT_EQ("", address);
    // "@WCLR=" colours the placeholder.
    kind = "HTTP", address = "y.htm@WCLR=#FF0000";
    t.m.OnLeaveView(&kind, &address, "f1", nullptr);
    EXPECT_EQ("<BODY BGCOLOR=#FF0000>wait</BODY>", address);
    // An empty address loads nothing.
    kind = "HTTP", address = "";
    t.m.OnLeaveView(&kind, &address, "f1", nullptr);
    EXPECT_EQ("DMY", kind);
}

TEST(ViewDownloads, CachedResultsComeBackWithoutRequest)
{
    ViewEvents t;
    const std::string path = testing::TempDir() + "chat_view_cached.htm";
    std::ofstream(path) << "<B>cached</B>";
    t.m.page.requestedDownloads.vAddRequest("a.htm", "f1");
    t.m.page.requestedDownloads.boSetResult("a.htm", path, false);
    std::string kind = "HTTP", address = "a.htm";
    t.m.OnLeaveView(&kind, &address, "f2", nullptr);
    EXPECT_EQ("file", kind);
    EXPECT_EQ(path, address);
    t.m.page.requestedDownloads.vAddRequest("b.htm", "f1");
    t.m.page.requestedDownloads.boSetResult("b.htm", "<I>b</I>", true);
    kind = "HTTP", address = "b.htm";
    t.m.OnLeaveView(&kind, &address, "f1", nullptr);
    EXPECT_EQ("str", kind);
    EXPECT_EQ("<I>b</I>", address);
    EXPECT_TRUE(t.inst.urls.empty());
    // A file that went away is asked for again.
    std::remove(path.c_str());
    kind = "HTTP", address = "a.htm";
    t.m.OnLeaveView(&kind, &address, "f2", nullptr);
    EXPECT_EQ("sTr", kind);
    EXPECT_EQ(t.inst.urls, std::vector<std::string>{"a.htm -> "});
}

// ---------------------------------------------------------------- controls and hover

TEST(Controls, RememberedLoginFillsTheLogonField)
{
    ViewEvents t;
    t.view.formFields["CFLD_LOGIN"] = IChatView::Field{"TEXT", "", false};
    t.settings.values["LastLogin"] = "zoe";
    CTagINPUT login;
    login.GetDesc().name = "CFLD_LOGIN";
    CTagINPUT other;
    other.GetDesc().name = "CFLD_TEXT";
    t.m.OnControlCreated(&login, nullptr); // remember-login off: nothing
    EXPECT_EQ("", t.view.formFields["CFLD_LOGIN"].strValue);
    t.m.conn.boRememberLogin = true;
    t.m.OnControlCreated(&other, nullptr);
    t.m.OnControlCreated(&login, nullptr);
    EXPECT_EQ("zoe", t.view.formFields["CFLD_LOGIN"].strValue);
    EXPECT_EQ(0u, t.view.formFields.count("CFLD_TEXT"));
}

TEST(Controls, SubmitByControlName)
{
    ViewEvents t;
    t.view.frames.push_back("main");
    CTagINPUT talk, whisper, go, text;
    talk.GetDesc().name = "chat_talk";
    whisper.GetDesc().name = "CHAT_WHISPER";
    go.GetDesc().name = "page.htm";
    go.GetDesc().type = "SUBMIT";
    text.GetDesc().name = "other.htm";
    text.GetDesc().type = "TEXT";
    EXPECT_EQ(1, t.m.OnSubmit(&talk, nullptr));
    EXPECT_EQ(1, t.m.OnSubmit(&whisper, nullptr));
    EXPECT_EQ(0, t.m.OnSubmit(&go, nullptr));
    EXPECT_EQ(0, t.m.OnSubmit(&text, nullptr));
    EXPECT_EQ(t.talk, (std::vector<std::string>{"room", "whisper"}));
    EXPECT_EQ(t.inst.urls, std::vector<std::string>{"page.htm -> "});
}

TEST(Controls, HoverSetsAndRestoresTheCursor)
{
    ViewEvents t;
    std::vector<std::string> seen;
    t.host.onLinkCursor = [&](bool over, bool hand)
    { seen.push_back(std::string(over ? "over" : "out") + (hand ? " hand" : "")); };
    t.strParse("<CNF_CURSOR ID=HAND>");
    t.m.OnLinkHover("", nullptr, 1, nullptr);
    t.m.OnLinkHover("", nullptr, 0, nullptr);
    EXPECT_EQ(seen, (std::vector<std::string>{"over hand", "out hand"}));
}
