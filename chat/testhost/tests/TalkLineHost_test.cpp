// The talk line of the sample chat (testbed/chatpages) in the test host,
// under Wine with the IRC sidecar and the web stand-in that fills in its
// port: keys pressed in the page's CFLD_TEXT edit control reach the chat
// through the view, the input history recalls and keeps edits, an empty
// Enter asks for text, a typed address goes out as a link and Ctrl+Alt+Enter
// sends a page command to the scripted Python client as DYN_EXECCMD.
#include <gtest/gtest.h>

#include <cstdlib>
#include <mutex>
#include <thread>

#include "ChatTestHost.h"
#include "IrcWineKit.h"
#include "TestKit.h"

using ChatIrcTest::boPumpUntil;
using ChatIrcTest::CCtrlAltHeld;
using ChatIrcTest::strControl;
using ChatIrcTest::uSidecarPort;
using ChatModel::CChatModel;

namespace
{

std::string strText(HWND control)
{
    char buf[512] = "";
    GetWindowTextA(control, buf, sizeof buf);
    return buf;
}

std::string strArtefact(const std::string& name)
{
    const char* folder = std::getenv("FD_CHAT_ARTEFACTS");
    return folder ? std::string(folder) + "/" + name : name;
}

} // namespace

TEST(TalkLineHost, SampleChatTalkLineAgainstThePythonClient)
{
    ChatTest::CChatTestHost host;
    host.Instance().args = {
        {"HTMLUI_URL", "http://127.0.0.1/chat.htm"}, {"ROOM_NAME", "#talkhost"}, {"NICKNAME", "ann"}};
    host.Instance().vSetWebPort(uSidecarPort("FD_WEB_PORT"));
    ASSERT_TRUE(host.boCreate(760, 480));
    ASSERT_TRUE(host.boLoadConfig("/chat.vblt"));
    CChatModel& m = host.Model();
    ASSERT_TRUE(boPumpUntil([&] { return m.conn.boSynced; })) << m.msgs.strHistory;
    // The port came from the configuration document as the web stand-in served it.
    EXPECT_EQ(m.conn.uPort, uSidecarPort("FD_IRC_PORT"));

    std::mutex lock;
    std::string answer;
    bool done = false;
    std::thread bob(
        [&]
        {
            const std::string a =
                strControl("RUN --nick bob 'join #talkhost' "
                           "'expect :see <A href=\"HTTP://www.x.com\" TARGET=_blank>www.x.com</A> now' "
                           "'expect :<DYN_EXECCMD name=\"/x\"></DYN_EXECCMD>' 'part #talkhost'");
            std::lock_guard<std::mutex> hold(lock);
            answer = a;
            done = true;
        });
    const auto finished = [&]
    {
        std::lock_guard<std::mutex> hold(lock);
        return done;
    };
    EXPECT_TRUE(boPumpUntil([&] { return m.lFindUser("bob") >= 0 || finished(); }));

    ASSERT_NE(m.View(), nullptr);
    ASSERT_TRUE(m.View()->boFocusControl("CFLD_TEXT"));
    HWND edit = GetFocus();
    ASSERT_NE(edit, nullptr);
    const auto type = [&](const char* text) { SetWindowTextA(edit, text); };
    // The key as the edit control gets it, and what it posts handled.
    const auto press = [&](WPARAM key)
    {
        SendMessageA(edit, WM_KEYDOWN, key, 1);
        FdTestKit::vPumpWaiting();
    };

    type("see www.x.com now");
    press(VK_RETURN);
    EXPECT_EQ(strText(edit), "");
    // Up on a fresh line recalls the last entry; an edit survives Down.
    press(VK_UP);
    EXPECT_EQ(strText(edit), "see www.x.com now");
    DWORD from = 0, to = 0;
    SendMessageA(edit, EM_GETSEL, reinterpret_cast<WPARAM>(&from), reinterpret_cast<LPARAM>(&to));
    EXPECT_EQ(from, 17u);
    EXPECT_EQ(to, 17u);
    type("edited");
    press(VK_DOWN);
    EXPECT_EQ(strText(edit), "");
    press(VK_UP);
    EXPECT_EQ(strText(edit), "edited");
    press(VK_ESCAPE);
    EXPECT_EQ(strText(edit), "");
    // An empty Enter asks for text and keeps the history.
    press(VK_RETURN);
    EXPECT_NE(m.msgs.strHistory.find("write something first!"), std::string::npos) << m.msgs.strHistory;
    EXPECT_EQ(m.msgs.inputHistory, (std::vector<std::string>{"edited"}));
    // The page's command: shown alone, sent with Ctrl and Alt.
    type("/x");
    press(VK_RETURN);
    EXPECT_NE(m.msgs.strHistory.find("Hello from the /x command"), std::string::npos) << m.msgs.strHistory;
    type("/x");
    {
        CCtrlAltHeld held;
        press(VK_RETURN);
    }
    EXPECT_TRUE(boPumpUntil(finished));
    bob.join();
    EXPECT_EQ(answer.substr(0, 6), "DONE 0") << answer;

    ASSERT_TRUE(boPumpUntil([&] { return m.msgs.strHistory.find("bob") != std::string::npos; }));
    RedrawWindow(host.hWnd(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    EXPECT_TRUE(host.boWriteBmp(strArtefact("chat_talkline_sample.bmp")));
    // The message zone's background.
    EXPECT_EQ(host.PixelAt(300, 300), RGB(0x00, 0x51, 0x85));
}
