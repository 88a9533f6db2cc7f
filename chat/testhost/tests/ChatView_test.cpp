// The chat in the renderer's view, in the test host under Wine, against
// ngircd behind the IRCX stand-in and the web stand-in serving the pages of
// chat/testhost/tests/pages: the page with its five zones talking with a Python
// client (kept as a picture), the refresh message posted once, the message
// menu copying plain text to the clipboard, the logon through the page's
// form, and another user's links that run nothing.
#include <gtest/gtest.h>

#include <fstream>
#include <mutex>
#include <thread>

#include "ChatTestHost.h"
#include "FdUi.h"
#include "HtmlWnd.h"
#include "IrcWineKit.h"

using ChatIrcTest::boPumpUntil;
using ChatIrcTest::CBackground;
using ChatIrcTest::strControl;
using ChatIrcTest::uSidecarPort;
using ChatModel::CChatModel;
using ChatModel::CChatWnd;
using ChatTest::CChatTestHost;

namespace
{

// The host with the sample page's parameters; the nickname may be left out.
struct Chat
{
    CChatTestHost host;
    CChatModel& m = host.Model();

    explicit Chat(const std::string& nick, const std::string& room = "#v")
    {
        auto& args = host.Instance().args;
        args = {{"SERVER_NAME", "127.0.0.1"},
                {"ROOM_NAME", room},
                {"HTMLUI_URL", "chat.htm"},
                {"GLOBAL_BG_COLOR", "#005185"},
                {"WAIT_TEXT", "Patience..."}};
        if (!nick.empty())
            args.push_back({"NICKNAME", nick});
        host.Instance().vSetWebPort(uSidecarPort("FD_WEB_PORT"));
    }
    bool boStart(const std::string& config)
    {
        if (!host.boCreate(640, 400))
            return false;
        m.conn.uPort = uSidecarPort("FD_IRC_PORT");
        m.conn.strRoomModes = "n";
        return host.boLoadConfig("str://" + config);
    }
    bool boHistoryHas(const std::string& s) const { return m.msgs.strHistory.find(s) != std::string::npos; }
    HtmlWnd* Frame(const char* name) { return host.Chat().View()->FindFrameWnd(name); }
    bool boFrameShows(const char* name, const char* text)
    {
        HtmlWnd* f = Frame(name);
        return f && f->GetDocument() && f->GetDocument()->GetSource().find(text) != std::string::npos;
    }
};

std::string strArtefact(const char* name)
{
    char dir[MAX_PATH] = "";
    const DWORD n = GetEnvironmentVariableA("FD_CHAT_ARTEFACTS", dir, sizeof dir);
    return (n > 0 && n < sizeof dir ? std::string(dir) + "/" : std::string()) + name;
}

const COLORREF kBackground = RGB(0x00, 0x51, 0x85);

} // namespace

TEST(ChatView, ZonesTalkWithAPythonClient)
{
    Chat ann("ann");
    ASSERT_TRUE(ann.boStart("<CNF_CURSOR ID=HAND>"));
    EXPECT_EQ(CChatWnd::kViewId, static_cast<UINT>(GetDlgCtrlID(ann.host.Chat().View()->hWnd())));
    // Its pages and images come from the module that holds the chat code (here the test program).
    EXPECT_EQ(GetModuleHandleA(nullptr), ann.host.Chat().View()->GetResourceModule());
    ASSERT_TRUE(boPumpUntil([&] { return ann.m.conn.boSynced && ann.Frame("users") != nullptr; }))
        << ann.m.msgs.strHistory;
    {
        CBackground bob("RUN --nick bob 'join #v' 'say #v bonjour <B>ann</B>' 'whisper ann psst' "
                        "'expect bye' 'part #v'");
        ASSERT_TRUE(boPumpUntil([&] { return ann.boHistoryHas("psst") && ann.boFrameShows("users", "bob"); }))
            << ann.m.msgs.strHistory;
        ann.m.vSendChat("bye", false, true, "");
        ASSERT_TRUE(boPumpUntil([&] { return bob.boDone(); }));
        EXPECT_EQ("DONE 0", bob.strAnswer().substr(0, 6)) << bob.strAnswer();
    }
    ASSERT_TRUE(boPumpUntil([&] { return ann.boFrameShows("msgs", "left #v"); })) << ann.m.msgs.strHistory;
    EXPECT_TRUE(ann.boFrameShows("status", "Connected"));
    FdTestKit::vPumpWaiting(); // every paint waiting has run
    ASSERT_TRUE(ann.host.boWriteBmp(strArtefact("chat-view.bmp")));
    // The page's colour around the text of every zone.
    EXPECT_EQ(kBackground, ann.host.PixelAt(440, 390));
    EXPECT_EQ(kBackground, ann.host.PixelAt(600, 200));
    EXPECT_EQ(kBackground, ann.host.PixelAt(300, 300));
    // Some text was painted in the message zone.
    bool text = false;
    for (int y = 2; y < 80 && !text; ++y)
        for (int x = 2; x < 200 && !text; ++x)
            text = ann.host.PixelAt(x, y) != kBackground;
    EXPECT_TRUE(text);
}

TEST(ChatView, WaitPageWithoutUserInterface)
{
    Chat ann("ann");
    ASSERT_TRUE(ann.host.boCreate(200, 100));
    ann.m.page.strHtmlUiUrl.clear();
    ann.m.vLoadUserInterface();
    const CHtmlDoc* doc = ann.host.Chat().View()->GetDocument();
    EXPECT_NE(std::string::npos, doc->GetSource().find("<BODY BGCOLOR=#005185>Patience...</BODY>"))
        << doc->GetSource();
}

TEST(ChatView, TwoRefreshRequestsPostOnce)
{
    Chat ann("ann");
    ASSERT_TRUE(ann.host.boCreate(200, 100));
    ann.m.vPostRefresh();
    ann.m.vPostRefresh();
    MSG msg;
    int posted = 0;
    while (PeekMessageA(&msg, ann.host.Chat().hWnd(), CChatWnd::kRefreshMessage, CChatWnd::kRefreshMessage,
                        PM_REMOVE))
    {
        ++posted;
        DispatchMessageA(&msg);
    }
    EXPECT_EQ(1, posted);
    ann.m.vPostRefresh();
    EXPECT_TRUE(PeekMessageA(&msg, ann.host.Chat().hWnd(), CChatWnd::kRefreshMessage,
                             CChatWnd::kRefreshMessage, PM_NOREMOVE));
}

namespace
{
std::string g_menu;
int g_menuY = 0;
int MenuHook(HMENU menu, UINT, int, int y, HWND)
{
    char text[64] = "";
    GetMenuStringA(menu, 0, text, sizeof text, MF_BYPOSITION);
    g_menu = std::to_string(GetMenuItemID(menu, 0)) + ":" + text;
    g_menuY = y;
    return static_cast<int>(GetMenuItemID(menu, 0));
}

std::string strClipboardText(HWND owner)
{
    std::string text;
    if (!OpenClipboard(owner))
        return text;
    if (HANDLE data = GetClipboardData(CF_TEXT))
        if (const char* p = static_cast<const char*>(GlobalLock(data)))
        {
            text = p;
            GlobalUnlock(data);
        }
    CloseClipboard();
    return text;
}
} // namespace

TEST(ChatView, MessageMenuCopiesPlainText)
{
    Chat ann("ann");
    ASSERT_TRUE(ann.host.boCreate(200, 100));
    ann.m.vAddMessage("<B>gras</B> &amp; <A HREF=\"x\">lien</A>", "bob", "", 0, false);
    FdUi::PopupMenuFn previous = FdUi::pfnSetPopupMenuHook(MenuHook);
    POINT cursor;
    GetCursorPos(&cursor);
    ann.m.OnLinkClick("@MESS@0", "", nullptr);
    FdUi::pfnSetPopupMenuHook(previous);
    EXPECT_EQ("10000:Copy", g_menu);
    EXPECT_EQ(cursor.y - 18, g_menuY);
    ASSERT_TRUE(boPumpUntil([&] { return strClipboardText(ann.host.hWnd()) == "gras & lien"; }, 5000))
        << strClipboardText(ann.host.hWnd());
    // A control's notification with an id of the nick-function range runs nothing.
    HWND chat = ann.host.Chat().hWnd();
    SendMessageA(chat, WM_COMMAND, MAKEWPARAM(1000, EN_CHANGE), reinterpret_cast<LPARAM>(ann.host.hWnd()));
    EXPECT_EQ(std::string::npos, ann.m.msgs.strHistory.find("select someone first"));
    SendMessageA(chat, WM_COMMAND, MAKEWPARAM(1000, 0), 0);
    EXPECT_NE(std::string::npos, ann.m.msgs.strHistory.find("select someone first"));
}

TEST(ChatView, LogonThroughThePageForm)
{
    Chat guest("");
    ASSERT_TRUE(guest.boStart("<CNF_LOGONPAGE SRC=\"logon.htm\" TARGET=\"talk\" NEXTURL=\"talk.htm\">"));
    HtmlWnd* view = guest.host.Chat().View();
    // The button takes a click once it is placed and shown.
    const auto ready = [&]
    {
        HWND button = view->GetInputCtrl("CHAT_LOGON");
        return view->GetInputCtrl("CFLD_LOGIN") != nullptr && button && IsWindowVisible(button);
    };
    ASSERT_TRUE(boPumpUntil(ready));
    const auto submit = [&](const char* nick)
    {
        view->SetInputText("CFLD_LOGIN", nick);
        HWND button = view->GetInputCtrl("CHAT_LOGON");
        ASSERT_NE(nullptr, button);
        SendMessageA(button, BM_CLICK, 0, 0);
    };
    submit("a[b");
    ASSERT_TRUE(boPumpUntil([&] { return guest.boFrameShows("talk", "CFLD_LOGIN"); }));
    EXPECT_EQ(guest.m.cfg.strNickErrEmpty, guest.m.cfg.strLogonError);
    EXPECT_TRUE(guest.m.conn.strNick.empty());
    ASSERT_TRUE(boPumpUntil(ready));
    submit("zoe");
    ASSERT_TRUE(boPumpUntil([&] { return view->GetInputCtrl("CFLD_TEXT") != nullptr; }))
        << guest.m.cfg.strLogonError;
    EXPECT_TRUE(IsWindowEnabled(view->GetInputCtrl("CFLD_TEXT")));
    EXPECT_EQ("zoe", guest.m.conn.strIrcNick);
    ASSERT_TRUE(boPumpUntil([&] { return guest.m.conn.boSynced; })) << guest.m.msgs.strHistory;
    EXPECT_GE(guest.m.lFindUser("zoe"), 0);
}

// A group made with a configuration address takes its formats from that
// document, fetched from the web stand-in when the user list first shows a
// member; the list shows them from its next change on.
TEST(ChatView, GroupFormatFromItsConfigurationDocument)
{
    Chat ann("ann");
    ASSERT_TRUE(
        ann.boStart("<CNF_GRPCONF grpname=stars cnfurl=\"http://web/grp_%grpnamefile%.htm\"></CNF_GRPCONF>"
                    "<CNF_CUGRP grpname=stars RANK=4></CNF_CUGRP>"));
    ASSERT_TRUE(boPumpUntil([&] { return ann.m.conn.boSynced && ann.boFrameShows("users", "ann"); }))
        << ann.m.msgs.strHistory;
    ASSERT_TRUE(boPumpUntil(
        [&]
        {
            const ChatModel::CGroupTable::Group* g = ann.m.people.groups.lpFind("stars");
            return g != nullptr && g->counters[2] == 1;
        }))
        << "the group's document never arrived";
    EXPECT_EQ("Stars", ann.m.people.groups.lpFind("stars")->strText1);
    {
        CBackground bob("RUN --nick bob 'join #v' 'expect bye' 'part #v'");
        ASSERT_TRUE(boPumpUntil([&] { return ann.boFrameShows("users", "bob"); })) << ann.m.msgs.strHistory;
        EXPECT_TRUE(ann.boFrameShows("users", ">*ann*</a>"));
        EXPECT_FALSE(ann.boFrameShows("users", "*bob*"));
        ann.m.vSendChat("bye", false, true, "");
        ASSERT_TRUE(boPumpUntil([&] { return bob.boDone(); }));
        EXPECT_EQ("DONE 0", bob.strAnswer().substr(0, 6)) << bob.strAnswer();
    }
}

TEST(ChatView, AnotherUsersLinksRunNothing)
{
    Chat ann("ann", "#w");
    ann.m.page.pageVars["secret"] = "s3cr3t";
    ASSERT_TRUE(ann.boStart("<CNF_CURSOR ID=HAND>"));
    ASSERT_TRUE(boPumpUntil([&] { return ann.m.conn.boSynced; })) << ann.m.msgs.strHistory;
    {
        CBackground bob("RUN --nick bob 'join #w' "
                        "'say #w <A HREF=\"@SUBSTCMD@/x\">a</A> <A HREF=\"@HSND@%var::secret%\">b</A> "
                        "<A HREF=\"CHAT_LOGON\">c</A> <A HREF=\"http://h/?%var::secret%\">d</A>' "
                        "'expect done' 'part #w'");
        ASSERT_TRUE(boPumpUntil([&] { return ann.boHistoryHas("?%var::secret%"); })) << ann.m.msgs.strHistory;
        std::string lower = ann.m.msgs.strHistory;
        for (char& c : lower)
            c = static_cast<char>(tolower(static_cast<unsigned char>(c)));
        for (size_t at = 0; (at = lower.find("<a href=\"", at)) != std::string::npos;)
        {
            at += 9;
            const std::string href =
                ann.m.msgs.strHistory.substr(at, ann.m.msgs.strHistory.find('"', at) - at);
            if (href.compare(0, 5, "@BUD@") != 0 && href.compare(0, 6, "@MESS@") != 0)
                ann.m.OnLinkClick(href, "", nullptr);
        }
        ann.m.vSendChat("done", false, true, "");
        ASSERT_TRUE(boPumpUntil([&] { return bob.boDone(); }));
        EXPECT_EQ("DONE 0", bob.strAnswer().substr(0, 6)) << bob.strAnswer();
        EXPECT_EQ(std::string::npos, bob.strAnswer().find("s3cr3t")) << bob.strAnswer();
    }
    EXPECT_EQ(ann.host.Instance().Navigations(),
              std::vector<std::string>{"http://h/?%var::secret% -> _blank"});
    for (const std::string& f : ann.host.Instance().Fetches())
        EXPECT_EQ(std::string::npos, f.find("s3cr3t")) << f;
}
