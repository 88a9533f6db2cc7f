// The talk line in the chat window under Wine against ngircd: Ctrl+Alt+Enter
// on a page command sends it to the room as an exec tag, which the scripted
// Python client receives.
#include "ChatWnd.h"

#include <gtest/gtest.h>

#include <mutex>
#include <thread>

#include "ChatFakes.h"
#include "IrcWineKit.h"

using ChatIrcTest::boPumpUntil;
using ChatIrcTest::CCtrlAltHeld;
using ChatIrcTest::strControl;
using ChatIrcTest::uSidecarPort;
using namespace ChatModel;
using namespace ChatModelTest;

namespace
{

class CTalkView : public CFakeView
{
public:
    bool boHasFocus(const std::string& name) override { return name == "CFLD_TEXT"; }
};

} // namespace

TEST(TalkLineWnd, CtrlAltEnterSendsTheCommandToThePythonClient)
{
    ChatIrc::CChatCnx cnx;
    CTalkView view;
    CFakeInstance inst;
    CChatWnd wnd(cnx);
    CChatModel& m = wnd.Model();
    inst.args = {{"SERVER_NAME", "127.0.0.1"}, {"ROOM_NAME", "#talk"}, {"NICKNAME", "ann"}};
    m.vSetInstance(&inst);
    m.vSetView(&view);
    RECT r{0, 0, 200, 100};
    ASSERT_TRUE(wnd.boCreate(nullptr, r, GetModuleHandleA(nullptr)));
    m.conn.uPort = uSidecarPort("FD_IRC_PORT");
    m.conn.strRoomModes = "n";
    CChatModel::Command x;
    x.strName = "/X";
    x.strText = "<B>x ran</B>";
    m.cfg.commands.push_back(x);
    // Connected by hand: the window's start timer must not connect it again.
    m.Host().vStartTimer(false);
    m.vConnect();
    ASSERT_TRUE(boPumpUntil([&] { return m.conn.boSynced; })) << m.msgs.strHistory;

    std::mutex lock;
    std::string answer;
    bool done = false;
    std::thread bob(
        [&]
        {
            const std::string a = strControl("RUN --nick bob 'join #talk' "
                                             "'expect <DYN_EXECCMD name=\"/x\"></DYN_EXECCMD>' 'part #talk'");
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
    {
        // Enter alone shows the command's output; with Ctrl and Alt it goes out.
        IChatView::Field f;
        f.strType = "TEXT";
        f.strValue = "/x";
        view.formFields["CFLD_TEXT"] = f;
        EXPECT_EQ(m.OnInputKey(VK_RETURN, 1, 0, "talk", nullptr), 1);
        EXPECT_NE(m.msgs.strHistory.find("x ran"), std::string::npos) << m.msgs.strHistory;
        view.formFields["CFLD_TEXT"] = f;
        CCtrlAltHeld held;
        EXPECT_EQ(m.OnInputKey(VK_RETURN, 1, 0, "talk", nullptr), 1);
    }
    EXPECT_TRUE(boPumpUntil(finished));
    bob.join();
    EXPECT_EQ(answer.substr(0, 6), "DONE 0") << answer;
    EXPECT_EQ(m.msgs.inputHistory, (std::vector<std::string>{"/x", "/x"}));
    EXPECT_EQ(view.formFields["CFLD_TEXT"].strValue, "");
}
