// The sample chat (testbed/chatpages) in the test host, under Wine with the
// IRC sidecar and the web stand-in that fills in its port: the chat window's
// own HTML-built scroll bar drives the message zone (its parts found, the
// buttons and a thumb drag scroll the zone, scrolling the zone moves the
// thumb), the logon page that the configuration names is taken and
// passed by the start gate without any test setting, and a flood of room
// lines reaches the history whole and in order with the zone reloaded once
// per batch of lines.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "ChatTestHost.h"
#include "ChatRegistry.h"
#include "ChatTextUtil.h"
#include "ChatView.h"
#include "HtmlDoc.h"
#include "HtmlWnd.h"
#include "PumpUntil.h"
#include "IrcWineKit.h"
#include "TestHelper.h"

using ChatIrcTest::boPumpUntil;
using ChatIrcTest::CBackground;
using ChatIrcTest::uSidecarPort;
using ChatModel::CChatModel;

namespace
{

std::string strArtefact(const std::string& name)
{
    const char* folder = std::getenv("FD_CHAT_ARTEFACTS");
    return folder ? std::string(folder) + "/" + name : name;
}

SCROLLINFO Scroll(HWND view)
{
    SCROLLINFO si = {};
    si.cbSize = sizeof si;
    si.fMask = SIF_ALL;
    GetScrollInfo(view, SB_VERT, &si);
    return si;
}

class SampleChatHost : public ::testing::Test
{
protected:
    // The sample chat with ann in the room, its configuration loaded.
    void Start(const char* room)
    {
        host.Instance().args = {
            {"HTMLUI_URL", "http://127.0.0.1/chat.htm"}, {"ROOM_NAME", room}, {"NICKNAME", "ann"}};
        host.Instance().vSetWebPort(uSidecarPort("FD_WEB_PORT"));
        ASSERT_TRUE(host.boCreate(760, 480));
        ASSERT_TRUE(host.boLoadConfig("/chat.vblt"));
        ASSERT_TRUE(boPumpUntil([&] { return host.Model().conn.boSynced; })) << host.Model().msgs.strHistory;
    }
    const CHtmlScrollBar::Bar* Bar() { return host.Chat().ScrollBar().FindScrollBar("msg"); }
    HtmlWnd* Part(int32_t part)
    {
        const CHtmlScrollBar::Bar* b = Bar();
        return b != nullptr ? b->parts[part] : nullptr;
    }
    // A part's window in its parent's client area.
    RECT Placed(int32_t part)
    {
        RECT rc = {-1, -1, -1, -1};
        HtmlWnd* v = Part(part);
        if (v == nullptr || v->hWnd() == nullptr)
            return rc;
        GetWindowRect(v->hWnd(), &rc);
        MapWindowPoints(nullptr, GetParent(v->hWnd()), reinterpret_cast<POINT*>(&rc), 2);
        return rc;
    }

    ChatTest::CChatTestHost host;
};

// The numbers of the "flood <i> <time>" lines in the text, in the order they stand.
std::vector<int> FloodNumbers(const std::string& text)
{
    std::vector<int> out;
    for (size_t at = text.find("flood "); at != std::string::npos; at = text.find("flood ", at + 6))
    {
        const char* p = text.c_str() + at + 6;
        if (*p >= '0' && *p <= '9')
            out.push_back(std::atoi(p));
    }
    return out;
}

std::vector<int> Range(int count)
{
    std::vector<int> out;
    for (int i = 0; i < count; ++i)
        out.push_back(i);
    return out;
}

} // namespace

// Lines added before the loop turns are shown by one reload of the zone,
// run by the refresh message; a refresh the model asks for meanwhile shares
// it, and the zone is not reloaded twice for it.
TEST_F(SampleChatHost, LinesAddedBeforeTheLoopTurnsShareOneReload)
{
    FD_HELPER(Start("#mergehost"));
    CChatModel& m = host.Model();
    auto* view = dynamic_cast<ChatModel::CChatHtmlView*>(m.View());
    ASSERT_NE(view, nullptr);
    HtmlWnd* zone = host.Chat().View()->FindFrameWnd("msgs");
    ASSERT_NE(zone, nullptr);
    const auto shows = [&](const std::string& text)
    { return zone->GetDocument() && zone->GetDocument()->GetSource().find(text) != std::string::npos; };
    // Whatever the join left pending runs first.
    FdWin::vPumpWaiting();
    std::vector<std::string> reloaded;
    view->onFrameReloaded = [&](const std::string& frame) { reloaded.push_back(frame); };

    for (int i = 0; i < 40; ++i)
        m.OnRoomMessage("flooder", "batch " + std::to_string(i), nullptr);
    m.vPostRefresh();
    m.vPostRefresh();
    EXPECT_TRUE(reloaded.empty()); // nothing before the loop turns
    ASSERT_TRUE(boPumpUntil([&] { return shows("batch 39<"); }, 15000));
    FdWin::vPumpWaiting();
    EXPECT_EQ(std::count(reloaded.begin(), reloaded.end(), "msgs"), 1);
    EXPECT_EQ(std::count(reloaded.begin(), reloaded.end(), "users"), 1);

    // The next line is a new batch.
    reloaded.clear();
    m.OnRoomMessage("flooder", "batch 40", nullptr);
    ASSERT_TRUE(boPumpUntil([&] { return shows("batch 40<"); }, 15000));
    EXPECT_EQ(reloaded, std::vector<std::string>{"msgs"});
    view->onFrameReloaded = nullptr;
}

// A few hundred lines back to back through the server: each reaches the
// message list, the history and the counters in order, the zone shows the
// last, and the zone is reloaded once per batch, not once per line.
TEST_F(SampleChatHost, AFloodReachesTheHistoryInOrderWithFewerReloadsThanLines)
{
    FD_HELPER(Start("#floodhost"));
    CChatModel& m = host.Model();
    // The whole flood stays in the history ("flooder" is exempt from the flood rules).
    m.cfg.lHistoryLimit = 1000000;
    auto* view = dynamic_cast<ChatModel::CChatHtmlView*>(m.View());
    ASSERT_NE(view, nullptr);
    size_t reloads = 0;
    view->onFrameReloaded = [&](const std::string& frame) { reloads += frame == "msgs" ? 1 : 0; };
    const long roomBefore = m.people.lRoomReceived;
    const size_t listBefore = m.msgs.messages.size();
    const int kLines = 300;
    {
        CBackground flooder("RUN --quiet --nick flooder 'join #floodhost' 'flood #floodhost " +
                            std::to_string(kLines) + "'");
        ASSERT_TRUE(boPumpUntil(
            [&] { return flooder.boDone() && m.people.lRoomReceived - roomBefore >= kLines; }, 60000))
            << flooder.strAnswer() << " " << m.people.lRoomReceived - roomBefore;
        EXPECT_EQ(flooder.strAnswer().substr(0, 6), "DONE 0") << flooder.strAnswer();
    }
    HtmlWnd* zone = host.Chat().View()->FindFrameWnd("msgs");
    ASSERT_NE(zone, nullptr);
    // The reload that shows the last line runs on a later turn of the loop.
    ASSERT_TRUE(boPumpUntil(
        [&]
        {
            return zone->GetDocument() &&
                   zone->GetDocument()->GetSource().find("flood " + std::to_string(kLines - 1) + " ") !=
                       std::string::npos;
        },
        15000));
    view->onFrameReloaded = nullptr;

    EXPECT_EQ(m.people.lRoomReceived - roomBefore, kLines);
    std::string listed;
    for (size_t i = listBefore; i < m.msgs.messages.size(); ++i)
        listed += m.msgs.messages[i].strText + "\n";
    EXPECT_EQ(FloodNumbers(listed), Range(kLines));
    EXPECT_EQ(FloodNumbers(m.msgs.strHistory), Range(kLines));
    EXPECT_GE(reloads, 1u);
    EXPECT_LT(reloads, static_cast<size_t>(kLines));
    std::printf("%d lines, %zu reloads of the message zone\n", kLines, reloads);
}

TEST_F(SampleChatHost, TheMessageZoneScrollsByItsHtmlScrollBar)
{
    FD_HELPER(Start("#sbhost"));
    CChatModel& m = host.Model();
    // The zone gets many more lines than it shows ("flooder" is exempt from the flood rules).
    m.cfg.lHistoryLimit = 100000;
    for (int i = 0; i < 60; ++i)
        m.OnRoomMessage("flooder", "line " + std::to_string(i), nullptr);
    const CHtmlScrollBar::Bar* bar = Bar();
    ASSERT_NE(bar, nullptr);
    ASSERT_TRUE(boPumpUntil(
        [&]
        {
            FdWin::vPumpWaiting();
            return bar->targetView != nullptr && Scroll(bar->targetView->hWnd()).nMax > 0 &&
                   Scroll(bar->targetView->hWnd()).nPos > 0;
        },
        15000))
        << (bar->targetView ? "range " + std::to_string(Scroll(bar->targetView->hWnd()).nMax) + " at " +
                                  std::to_string(Scroll(bar->targetView->hWnd()).nPos)
                            : std::string("no target"));
    // The bar's parts are the frames of the expanded markup; the target is the message zone.
    EXPECT_EQ(bar->target, "msgs");
    ASSERT_NE(host.Chat().View(), nullptr);
    EXPECT_EQ(bar->targetView, host.Chat().View()->FindFrameWnd("msgs"));
    const char* names[] = {nullptr, nullptr, "UP", "DOWN", "RECTUP", "RECTDOWN", "THUMB"};
    for (int32_t part = kScrollPartUp; part < kScrollPartCount; ++part)
    {
        ASSERT_NE(Part(part), nullptr) << names[part];
        EXPECT_EQ(Part(part)->GetFrameName(), std::string("#SBFRAMEmsg#") + names[part]);
    }
    HWND zone = bar->targetView->hWnd();
    const int trackStart = Placed(kScrollPartUp).bottom;
    const int trackEnd = Placed(kScrollPartDown).top;
    const int thumbLength = Placed(kScrollPartThumb).bottom - Placed(kScrollPartThumb).top;
    ASSERT_GT(thumbLength, 0);
    ASSERT_GT(trackEnd - trackStart, thumbLength + 40);

    // The zone was scrolled to its end: the thumb sits at the track's end.
    SCROLLINFO si = Scroll(zone);
    EXPECT_EQ(Placed(kScrollPartThumb).bottom, trackEnd) << si.nPos << " of " << si.nMax;
    // Scrolling the zone moves the thumb and the track frames with it.
    SendMessageA(zone, WM_VSCROLL, SB_TOP, 0);
    FdWin::vPumpWaiting();
    EXPECT_EQ(Scroll(zone).nPos, 0);
    EXPECT_EQ(Placed(kScrollPartThumb).top, trackStart);
    EXPECT_EQ(Placed(kScrollPartRectUp).bottom, trackStart + 1);
    EXPECT_EQ(Placed(kScrollPartRectDown).top, trackStart + thumbLength - 1);

    // The buttons: a line down, a page down, a line up through the chat's link handling.
    const int32_t before = Scroll(zone).nPos;
    EXPECT_EQ(m.OnLinkClick("#SBBUTmsg#LINEDOWN", "", nullptr), 0);
    FdWin::vPumpWaiting();
    const int32_t afterLine = Scroll(zone).nPos;
    EXPECT_GT(afterLine, before);
    EXPECT_EQ(m.OnLinkClick("#SBBUTmsg#PAGEDOWN", "", nullptr), 0);
    FdWin::vPumpWaiting();
    EXPECT_GT(Scroll(zone).nPos, afterLine);
    EXPECT_GT(Placed(kScrollPartThumb).top, trackStart);
    EXPECT_EQ(m.OnLinkClick("#SBBUTmsg#TOP", "", nullptr), 0);
    FdWin::vPumpWaiting();
    EXPECT_EQ(Scroll(zone).nPos, 0);

    // The thumb dragged to the middle of the track scrolls the zone to the middle.
    HWND thumb = Part(kScrollPartThumb)->hWnd();
    const int free = trackEnd - trackStart - thumbLength;
    const int offset = free / 2;
    const int along = offset + thumbLength / 2;
    SendMessageA(thumb, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, thumbLength / 2));
    SendMessageA(thumb, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(5, along));
    SendMessageA(thumb, WM_LBUTTONUP, 0, MAKELPARAM(5, along));
    FdWin::vPumpWaiting();
    si = Scroll(zone);
    const int32_t expected = static_cast<int32_t>(int64_t(offset) * (si.nMax - si.nMin) / free);
    EXPECT_NEAR(si.nPos, expected, 2) << si.nMin << ".." << si.nMax;
    EXPECT_NEAR(Placed(kScrollPartThumb).top, trackStart + offset, 2);

    // The picture: the thumb's pixels in the thumb's colour, the track's in its own.
    RedrawWindow(host.hWnd(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    FdWin::vPumpWaiting();
    EXPECT_TRUE(host.boWriteBmp(strArtefact("chat_sample_scrollbar.bmp")));
    RECT t;
    GetWindowRect(thumb, &t);
    MapWindowPoints(nullptr, host.hWnd(), reinterpret_cast<POINT*>(&t), 2);
    const int midX = (t.left + t.right) / 2;
    EXPECT_EQ(host.PixelAt(midX, (t.top + t.bottom) / 2), RGB(0x8F, 0xBC, 0xDB));
    EXPECT_EQ(host.PixelAt(midX, t.top - 6), RGB(0x00, 0x3A, 0x5E));
    EXPECT_EQ(host.PixelAt(midX, t.bottom + 6), RGB(0x00, 0x3A, 0x5E));
}

TEST_F(SampleChatHost, TheConfigurationsLogonPageIsTakenAndPassedWithANickname)
{
    FD_HELPER(Start("#logonsw"));
    CChatModel& m = host.Model();
    // No test set the switch: the configuration's logon page is the window's.
    EXPECT_EQ(m.cfg.strLogonPage, "logon.htm");
    EXPECT_EQ(m.cfg.strLogonFrame, "talk");
    // With a nickname given the gate went past it, keeping the frame's address.
    EXPECT_FALSE(m.cfg.boLogonPageSwitch);
    EXPECT_NE(m.conn.strLogonSaved.find("talk.htm"), std::string::npos) << m.conn.strLogonSaved;
    // A configuration arriving later no longer changes it.
    m.ConfigDirectives().vOnCnfLogonPage("", "SRC=\"other.htm\" TARGET=\"msgs\"");
    EXPECT_EQ(m.cfg.strLogonPage, "logon.htm");
}

TEST(ChatWindow, EnableAndDisableRequests)
{
    ChatTest::CChatTestHost host;
    ASSERT_TRUE(host.boCreate(200, 100));
    HWND chat = host.Chat().hWnd();
    host.Chat().vDisable();
    EXPECT_FALSE(IsWindowEnabled(chat));
    host.Chat().vEnable();
    EXPECT_TRUE(IsWindowEnabled(chat));
}

TEST(ChatWindow, MadeAgainItKeepsOneBackgroundBrush)
{
    ChatTest::CChatTestHost host;
    ASSERT_TRUE(host.boCreate(200, 100));
    ChatModel::CChatWnd& chat = host.Chat();
    // The window's brush is the one it answers static controls with.
    const auto brush = [&]
    { return reinterpret_cast<HBRUSH>(SendMessageA(chat.hWnd(), WM_CTLCOLORSTATIC, 0, 0)); };
    const HBRUSH first = brush();
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(OBJ_BRUSH, GetObjectType(first));
    DestroyWindow(chat.hWnd());
    RECT rc = {0, 0, 200, 100};
    ASSERT_TRUE(chat.boCreate(host.hWnd(), rc, GetModuleHandleA(nullptr)));
    const HBRUSH second = brush();
    EXPECT_EQ(OBJ_BRUSH, GetObjectType(second));
    // The first brush is gone (its handle may have been handed out again).
    if (second != first)
    {
        EXPECT_EQ(0u, GetObjectType(first));
    }
    // The view made again is the one the model reaches.
    ASSERT_NE(chat.View(), nullptr);
    EXPECT_TRUE(IsWindow(chat.View()->hWnd()));
    ASSERT_NE(chat.Model().View(), nullptr);
    EXPECT_FALSE(chat.Model().View()->boHasFrame("nothere"));
}

TEST_F(SampleChatHost, WithoutANicknameTheLogonPageShowsAndTheThumbStartsTheTrack)
{
    host.Instance().args = {{"HTMLUI_URL", "http://127.0.0.1/chat.htm"}, {"ROOM_NAME", "#nonick"}};
    host.Instance().vSetWebPort(uSidecarPort("FD_WEB_PORT"));
    ASSERT_TRUE(host.boCreate(760, 480));
    ASSERT_TRUE(host.boLoadConfig("/chat.vblt"));
    HtmlWnd* view = host.Chat().View();
    ASSERT_NE(view, nullptr);
    // The configuration's logon page, put in its frame by the start gate.
    ASSERT_TRUE(boPumpUntil([&] { return view->GetInputCtrl("CFLD_LOGIN") != nullptr; }, 15000))
        << host.Model().cfg.strLogonPage;
    EXPECT_FALSE(host.Model().cfg.boLogonPageSwitch);
    EXPECT_EQ(host.Model().cfg.strLogonPage, "logon.htm");
    // The zone has nothing to scroll: once the frames are laid out the thumb
    // sits at the track's start.
    ASSERT_TRUE(boPumpUntil(
        [&]
        {
            FdWin::vPumpWaiting();
            return Part(kScrollPartThumb) != nullptr && Part(kScrollPartUp) != nullptr &&
                   Placed(kScrollPartThumb).top == Placed(kScrollPartUp).bottom;
        },
        15000))
        << Placed(kScrollPartThumb).top << " " << Placed(kScrollPartUp).bottom;
}

// The sample chat as ann, and another user whose wire nick reads as hers
// under a scheme that undoes any escape: his lines carry a local file's
// insertion, a registry-granted group, another server, a raised history
// limit and a navigation signed with the program's constants. None runs;
// the message zone shows them as text (kept as a picture, the text's pixels
// checked in the zone).
TEST_F(SampleChatHost, AStrangersDirectivesShowAsTextAndRunNothing)
{
    FD_HELPER(Start("#trust"));
    CChatModel& m = host.Model();
    FdTestKit::CScratchFolder folder;
    const std::string file = folder.File("local.txt");
    std::ofstream(file, std::ios::binary) << "LOCAL-FILE-CONTENT";
    const std::string key = "Software\\OrbelleTest\\SampleTrust";
    ASSERT_TRUE(ChatModel::boRegWrite(HKEY_CURRENT_USER, key, "v", "1"));
    const std::string server = m.conn.strServer;
    const uint16_t port = m.conn.uPort;
    const long limit = m.cfg.lHistoryLimit;
    using ChatText::strProtect8;
    const std::string check =
        strProtect8(ChatText::strChecksum16(strProtect8(std::string("pot_:tpircsavaj"), "", 9.87)), "", 9.87);
    const std::string lines[] = {
        "<DYN_INSERTURL HREF=\"file://" + file + "\"></DYN_INSERTURL>",
        "<CNF_LOCALCONF_GRP grpname=leak REGKEY=\"HKEY_CURRENT_USER\\" + key +
            "\" REGVALUENAME=v REGEXIST></CNF_LOCALCONF_GRP>",
        "<CNF_SERVINFO ADRS=\"10.255.0.1\" PORT=\"1\"></CNF_SERVINFO><CNF_LIMITS "
        "MAX_HISTORYCHARS=900000></CNF_LIMITS>",
        "<ACT_NAV TARGET=\"" + strProtect8("_top", "", 1.0) + "\" CK=\"" + check + "\">" +
            strProtect8("javascript:", "", 1.0) + "</ACT_NAV>",
    };
    std::string run = "RUN --nick [61nn 'join #trust'";
    for (const std::string& line : lines)
    {
        ASSERT_EQ(line.find('\''), std::string::npos) << line;
        run += " 'say #trust " + line + "' 'say #trust <SMESS></SMESS>" + line + "'";
    }
    run += " 'say #trust done' 'part #trust'";
    {
        ChatIrcTest::CBackground mallory(run);
        ASSERT_TRUE(boPumpUntil([&] { return mallory.boDone() && m.people.lLeft > 0; }))
            << mallory.strAnswer() << "\n"
            << m.msgs.strHistory;
        EXPECT_EQ(mallory.strAnswer().substr(0, 6), "DONE 0") << mallory.strAnswer();
    }
    HtmlWnd* zone = host.Chat().View()->FindFrameWnd("msgs");
    ASSERT_NE(zone, nullptr);
    ASSERT_TRUE(boPumpUntil(
        [&]
        {
            FdWin::vPumpWaiting();
            return zone->GetDocument() && zone->GetDocument()->GetSource().find("done") != std::string::npos;
        },
        15000));
    const std::string shown = zone->GetDocument()->GetSource();
    EXPECT_NE(shown.find("&lt;CNF_SERVINFO"), std::string::npos) << shown;
    EXPECT_EQ(shown.find("LOCAL-FILE-CONTENT"), std::string::npos) << shown;
    EXPECT_EQ(m.msgs.strHistory.find("LOCAL-FILE-CONTENT"), std::string::npos);
    EXPECT_EQ(m.conn.strServer, server);
    EXPECT_EQ(m.conn.uPort, port);
    EXPECT_EQ(m.cfg.lHistoryLimit, limit);
    EXPECT_FALSE(m.people.groups.boHasMember("leak", "ann"));
    for (const std::string& n : host.Instance().Navigations())
    {
        EXPECT_EQ(n.find("javascript:"), std::string::npos) << n;
        EXPECT_EQ(n.find("file:"), std::string::npos) << n;
    }
    RegDeleteKeyA(HKEY_CURRENT_USER, key.c_str());

    // The picture: the zone holds drawn text, not only its background.
    RedrawWindow(host.hWnd(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    FdWin::vPumpWaiting();
    EXPECT_TRUE(host.boWriteBmp(strArtefact("chat_sample_stranger.bmp")));
    RECT rc;
    GetWindowRect(zone->hWnd(), &rc);
    MapWindowPoints(nullptr, host.hWnd(), reinterpret_cast<POINT*>(&rc), 2);
    const COLORREF background = host.PixelAt(rc.right - 3, rc.bottom - 3);
    size_t inked = 0;
    for (int y = rc.top + 1; y < rc.bottom - 1; y += 2)
        for (int x = rc.left + 1; x < rc.right - 1; x += 2)
            inked += host.PixelAt(x, y) != background ? 1 : 0;
    EXPECT_GT(inked, 50u);
}
