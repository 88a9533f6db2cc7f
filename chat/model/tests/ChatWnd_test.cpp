// The chat window's model under Wine against ngircd behind the IRCX stand-in:
// scripted clients join, talk, whisper and leave; the window's wire lines,
// history, user list and zone refreshes are written as a transcript and
// compared with the golden one.
#include "ChatWnd.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cctype>
#include <fstream>
#include <mutex>
#include <sstream>
#include <thread>

#include "ChatFakes.h"
#include "ChatTextUtil.h"
#include "HtmlDoc.h"
#include "IrcWineKit.h"
#include "TestKit.h"

using ChatIrcTest::boPumpUntil;
using ChatIrcTest::CBackground;
using ChatIrcTest::strControl;
using ChatIrcTest::uSidecarPort;
using FdTestKit::CScratchFolder;
using namespace ChatModel;
using namespace ChatModelTest;

namespace
{

// The chat's connection with every line it writes kept (PONG left out: its
// timing is the server's).
class CWireCnx : public ChatIrc::CChatCnx
{
public:
    ~CWireCnx() override { vClose(); }
    std::vector<std::string> Wire()
    {
        std::lock_guard<std::mutex> hold(m_lock);
        return m_wire;
    }

protected:
    bool boWrite(const std::string& text) override
    {
        {
            std::lock_guard<std::mutex> hold(m_lock);
            std::string t = text;
            while (!t.empty() && (t.back() == '\n' || t.back() == '\r'))
                t.pop_back();
            if (t.compare(0, 5, "PONG ") != 0)
                m_wire.push_back(t);
        }
        return CIrcCnx::boWrite(text);
    }

private:
    std::mutex m_lock;
    std::vector<std::string> m_wire;
};

// The recording view whose message frame, once rendering is on, shows the
// history as the real view does: a document of "<DYN_MESSAGES>" parsed with
// the window as handler, so the directives the history holds run.
class CRenderingView : public CFakeView
{
public:
    CChatModel* lpModel = nullptr;
    std::string strShown;
    void vReloadFrame(const std::string& name, bool scrollToEnd) override
    {
        CFakeView::vReloadFrame(name, scrollToEnd);
        if (!lpModel || name != "msgs")
            return;
        struct CFrameRelay : CHtmlWndEventsBase
        {
            CChatModel& model;
            explicit CFrameRelay(CChatModel& m) : model(m) {}
            int32_t OnTag(std::string tag, std::string attrs, HtmlMemBlock* content, int32_t length,
                          std::string, CHtmlObject* sender) override
            {
                return model.OnTag(tag, attrs, content, length, "msgs", sender);
            }
        } relay(*lpModel);
        CHtmlDoc doc(nullptr);
        doc.SetAutoFlags(1);
        doc.Load("str://<DYN_MESSAGES></DYN_MESSAGES>", nullptr, &relay, 1, 0);
        strShown = doc.GetSource();
    }
};

// One chat window with a recording view and instance.
struct Chat
{
    CWireCnx cnx;
    CRenderingView view;
    CFakeInstance inst;
    CChatWnd wnd{cnx};
    CChatModel& m = wnd.Model();

    Chat(const std::string& nick, const std::string& room, bool render = false)
    {
        if (render)
            view.lpModel = &m;
        inst.args = {{"SERVER_NAME", "127.0.0.1"}, {"ROOM_NAME", room}, {"NICKNAME", nick}};
        m.vSetInstance(&inst);
        m.vSetView(&view);
        RECT r{0, 0, 200, 100};
        EXPECT_TRUE(wnd.boCreate(nullptr, r, GetModuleHandleA(nullptr)));
        const char* zones[5] = {"msgs", "users", "status", "groups", "room"};
        for (int i = 0; i < 5; ++i)
            m.cfg.zoneFrames[i] = zones[i];
        m.conn.uPort = uSidecarPort("FD_IRC_PORT");
        m.conn.strRoomModes = "n";
    }
    bool boHistoryHas(const std::string& s) const { return m.msgs.strHistory.find(s) != std::string::npos; }
    // The test connects the window itself. The window's start timer, armed at
    // creation, would otherwise connect it again on its first tick once any
    // CNF_ tag has let the start go: that closes the test's connection and
    // opens a new one, and whatever the room said in between is never seen.
    void vConnect()
    {
        m.Host().vStartTimer(false);
        m.vConnect();
    }
    // With `retried`, the earlier sessions show their NICK lines only and the
    // refreshes are left out: how far a refused session got before the 433
    // (its CREATE, its room events) is a race with the server.
    void vWrite(std::ostream& out, const std::string& title, bool retried = false)
    {
        out << "== " << title << "\n-- wire\n";
        const std::vector<std::string> wire = cnx.Wire();
        size_t last = 0;
        for (size_t i = 0; i < wire.size(); ++i)
            if (wire[i] == "IRCX")
                last = i;
        for (size_t i = 0; i < wire.size(); ++i)
            if (!retried || i >= last || wire[i].compare(0, 5, "NICK ") == 0)
                out << wire[i] << "\n";
        out << "-- history\n";
        std::string h = m.msgs.strHistory;
        for (size_t at; (at = h.find("</DI_HI>")) != std::string::npos; h.erase(0, at + 8))
            out << h.substr(0, at + 8) << "\n";
        if (!h.empty())
            out << h << "\n";
        out << "-- users (" << m.people.lUsersInRoom << " in room, highest " << m.people.lHighestUsers
            << ")\n";
        for (size_t i = 0; i < m.people.users.size(); ++i)
            out << m.people.users[i] << (m.people.userFlags[i] ? " hidden" : "") << "\n";
        if (!retried)
        {
            out << "-- refreshes\n";
            for (const std::string& l : view.log)
                out << l << "\n";
        }
        out << "-- counters: private " << m.people.lPrivReceived << ", room " << m.people.lRoomReceived
            << ", joined " << m.people.lJoined << ", left " << m.people.lLeft << ", sent private "
            << m.people.lPrivSent << ", sent room " << m.people.lRoomSent << "\n";
    }
};

bool boUserListed(const CChatModel& m, const std::string& nick)
{
    return m.lFindUser(nick) >= 0;
}

// One argument of the scripted client's command line (read with shlex).
std::string strArg(const std::string& text, FdTestKit::SWhere where = FdTestKit::SWhere::here())
{
    FD_TRACE_CALLER(where);
    EXPECT_EQ(text.find('\''), std::string::npos) << text;
    return "'" + text + "'";
}

// A room line of the scripted client, coded as a chat that sends coded
// text writes it (the window below accepts coded text only).
std::string strSayCoded(const std::string& room, const std::string& text)
{
    return strArg("say " + room + " " + ChatText::strProtect8(text, "", 4.38));
}

size_t uWireWith(const std::vector<std::string>& wire, const std::string& part)
{
    size_t n = 0;
    for (const std::string& l : wire)
        n += l.find(part) != std::string::npos ? 1 : 0;
    return n;
}

// The memberships of the window's group table, one "group: member rank" line
// each, sorted; groups without members left out.
std::vector<std::string> Memberships(const CChatModel& m)
{
    std::vector<std::string> out;
    for (const CGroupTable::Group& g : m.people.groups.Groups())
        for (const CGroupTable::Member& member : g.members)
        {
            std::string name = g.strName;
            for (char& ch : name)
                ch = static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
            out.push_back(name + ": " + member.strNick + " " + std::to_string(member.iValue));
        }
    std::sort(out.begin(), out.end());
    return out;
}

} // namespace

TEST(ChatWnd, TranscriptAgainstIrcServer)
{
    std::ostringstream out;

    // ann in #r, in the announced group "a&b" with rank 3.
    Chat ann("ann", "#r");
    CGroupTable::Group& g = ann.m.people.groups.FindOrCreate("a&b", 3);
    g.boAnnounce = true;
    ann.m.people.groups.iSetMember("a&b", "ann", 3);
    ann.vConnect();
    ASSERT_TRUE(boPumpUntil([&] { return ann.m.conn.boSynced; })) << ann.m.msgs.strHistory;

    // bob joins, hears ann's group, talks, whispers and leaves.
    {
        CBackground bob("RUN --nick bob 'join #r' 'expect <SMESS></SMESS><DYNGRP_ADDGRP GRPNAME=\"a&amp;b\" "
                        "GRPUSER=\"ann\" GRPRANK=\"3\" SENDER=\"ann\"></DYNGRP_ADDGRP>' 'say #r hi' "
                        "'whisper ann psst' 'part #r'");
        ASSERT_TRUE(boPumpUntil([&] { return bob.boDone() && ann.boHistoryHas("left #r"); }))
            << bob.strAnswer();
        EXPECT_EQ(bob.strAnswer().substr(0, 6), "DONE 0") << bob.strAnswer();
    }
    // A whisper to bob, who left: only the SELPLEASE line.
    ann.m.vSendChat("still there?", true, true, "bob");
    // The longest text that goes out, then one too long.
    ann.m.vSendChat(std::string(483, 'x'), false, true, "");
    ann.m.vSendChat(std::string(484, 'y'), false, true, "");
    // Without HTML, carl's "<b>" arrives as text.
    ann.m.cfg.boNoHtml = true;
    {
        CBackground carl("RUN --nick carl 'join #r' 'whisper ann <b>' 'part #r'");
        ASSERT_TRUE(
            boPumpUntil([&] { return carl.boDone() && ann.boHistoryHas("carl</DI_MGHDS></a> left"); }))
            << carl.strAnswer();
        EXPECT_EQ(carl.strAnswer().substr(0, 6), "DONE 0") << carl.strAnswer();
    }
    ann.vWrite(out, "ann in #r");

    // The nick held twice: the chat goes on as "ann{2".
    {
        CBackground holder("RUN --nick ann{1 'join #r' 'expect release'");
        ASSERT_TRUE(boPumpUntil([&] { return boUserListed(ann.m, "ann{1"); })) << holder.strAnswer();
        Chat again("ann", "#r");
        again.vConnect();
        ASSERT_TRUE(boPumpUntil([&] { return again.m.conn.boSynced; })) << again.m.msgs.strHistory;
        EXPECT_EQ(again.m.conn.strIrcNick, "ann{2");
        // ann's announcement to the newcomer ends this part of the transcript:
        // it runs as it arrives and leaves nothing in the history.
        ASSERT_TRUE(boPumpUntil([&] { return again.m.people.groups.boHasMember("a&b", "ann"); }));
        again.vWrite(out, "ann again, the nick held", true);
        again.m.vSendChat("release", true, false, "ann{1");
        ASSERT_TRUE(boPumpUntil([&] { return holder.boDone(); }));
        EXPECT_EQ(holder.strAnswer().substr(0, 6), "DONE 0") << holder.strAnswer();
    }

    // 29 users in #c before dan creates it: the names come at once.
    {
        CBackground crowd("RUN --nick host 'crowd #c 29 u' 'join #r' 'expect release'");
        ASSERT_TRUE(boPumpUntil([&] { return boUserListed(ann.m, "host"); })) << crowd.strAnswer();
        Chat dan("dan", "#c");
        dan.vConnect();
        ASSERT_TRUE(boPumpUntil([&] { return dan.m.conn.boSynced; })) << dan.m.msgs.strHistory;
        EXPECT_EQ(dan.view.uCount("reload users"), 1u);
        EXPECT_EQ(dan.m.people.users.size(), 30u);
        EXPECT_FALSE(dan.boHistoryHas("joined"));
        dan.vWrite(out, "dan in #c with 29 others");
        dan.m.vSendChat("release", true, false, "host");
        ASSERT_TRUE(boPumpUntil([&] { return crowd.boDone(); }));
        EXPECT_EQ(crowd.strAnswer().substr(0, 6), "DONE 0") << crowd.strAnswer();
    }

    const std::string actual = out.str();
    const char* src = std::getenv("FD_SOURCE_DIR");
    ASSERT_NE(src, nullptr);
    EXPECT_TRUE(FdTestKit::MatchesGolden(actual,
                                         std::string(src) + "/chat/model/tests/ChatWnd_transcript.golden",
                                         "ChatWnd_transcript.actual"))
        << "the transcript differs from the golden file";
}

TEST(ChatWnd, RegistryValues)
{
    const std::string path = "Software\\OrbelleTest\\ChatRegistry";
    RegDeleteKeyA(HKEY_CURRENT_USER, path.c_str());
    EXPECT_EQ(strRegReadPath("HKEY_USERS\\.DEFAULT", "x", "def"), "def");
    EXPECT_EQ(strRegReadPath("HKEY_CURRENT_USER", "x", "def"), "def");
    EXPECT_TRUE(boRegWrite(HKEY_CURRENT_USER, path, "text", "hello"));
    EXPECT_EQ(strRegReadPath("hkey_current_user\\" + path, "text", "def"), "hello");

    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                              nullptr),
              ERROR_SUCCESS);
    DWORD zero = 0;
    RegSetValueExA(key, "num", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&zero), sizeof zero);
    const BYTE bin[3] = {1, 2, 3};
    RegSetValueExA(key, "bin", 0, REG_BINARY, bin, sizeof bin);
    const std::string longText(kRegReadBuffer + 10, 'L');
    RegSetValueExA(key, "long", 0, REG_SZ, reinterpret_cast<const BYTE*>(longText.c_str()),
                   static_cast<DWORD>(longText.size() + 1));
    EXPECT_TRUE(boRegWrite(HKEY_CURRENT_USER, path, "num", "42"));
    DWORD type = 0, value = 0, size = sizeof value;
    EXPECT_EQ(RegQueryValueExA(key, "num", nullptr, &type, reinterpret_cast<BYTE*>(&value), &size),
              ERROR_SUCCESS);
    EXPECT_EQ(type, static_cast<DWORD>(REG_DWORD));
    EXPECT_EQ(value, 42u);
    EXPECT_EQ(strRegRead(HKEY_CURRENT_USER, path, "num", "def"), "42");
    EXPECT_FALSE(boRegWrite(HKEY_CURRENT_USER, path, "bin", "x"));
    EXPECT_EQ(strRegRead(HKEY_CURRENT_USER, path, "bin", "def"), "def");
    EXPECT_EQ(strRegRead(HKEY_CURRENT_USER, path, "long", "def"), "def");
    RegCloseKey(key);

    // The chat's own values: the debug switch read at construction.
    CVerboltSettings settings;
    ASSERT_TRUE(settings.boWrite("dbg", "1"));
    CWireCnx cnx;
    CChatWnd wnd(cnx);
    EXPECT_TRUE(wnd.Model().cfg.boDebug);
    // "%curdomip%" resolves through the window's resolver.
    wnd.Model().page.strCurDomain = "localhost";
    EXPECT_EQ(wnd.Model().strExpandVars("%curdomip%"), "127.0.0.1");
    settings.boWrite("dbg", "0");
    RegDeleteKeyA(HKEY_CURRENT_USER, path.c_str());
}

namespace
{

// The window's background drawn into a 32-bit DIB, kept as a .bmp artefact.
std::vector<uint32_t> Erase(CChatWnd& wnd, const char* file)
{
    const int w = 40, h = 20;
    BITMAPINFO bi{};
    bi.bmiHeader.biSize = sizeof bi.bmiHeader;
    bi.bmiHeader.biWidth = w;
    bi.bmiHeader.biHeight = -h;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    HDC dc = CreateCompatibleDC(nullptr);
    HBITMAP bmp = CreateDIBSection(dc, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = SelectObject(dc, bmp);
    SendMessageA(wnd.hWnd(), WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
    GdiFlush();
    std::vector<uint32_t> pixels(static_cast<const uint32_t*>(bits),
                                 static_cast<const uint32_t*>(bits) + w * h);
    BITMAPFILEHEADER fh{};
    fh.bfType = 0x4D42;
    fh.bfOffBits = sizeof fh + sizeof bi.bmiHeader;
    fh.bfSize = fh.bfOffBits + static_cast<DWORD>(pixels.size() * 4);
    std::ofstream f(file, std::ios::binary);
    f.write(reinterpret_cast<const char*>(&fh), sizeof fh);
    f.write(reinterpret_cast<const char*>(&bi.bmiHeader), sizeof bi.bmiHeader);
    f.write(reinterpret_cast<const char*>(pixels.data()), static_cast<std::streamsize>(pixels.size() * 4));
    SelectObject(dc, old);
    DeleteObject(bmp);
    DeleteDC(dc);
    return pixels;
}

} // namespace

TEST(ChatWnd, ErasesWithThePageColour)
{
    struct Case
    {
        const char* colour; // GLOBAL_BG_COLOR, or null
        uint32_t pixel;     // 0x00RRGGBB in the DIB
        const char* file;
    } cases[] = {{nullptr, 0x005185, "chat_wnd_background_default.bmp"},
                 {"#336699", 0x336699, "chat_wnd_background_page.bmp"}};
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.file);
        CWireCnx cnx;
        CFakeInstance inst;
        if (c.colour)
            inst.args = {{"GLOBAL_BG_COLOR", c.colour}};
        CChatWnd wnd(cnx);
        wnd.Model().vSetInstance(&inst);
        RECT r{0, 0, 40, 20};
        ASSERT_TRUE(wnd.boCreate(nullptr, r, GetModuleHandleA(nullptr)));
        EXPECT_FALSE(IsWindowVisible(wnd.hWnd()));
        const std::vector<uint32_t> px = Erase(wnd, c.file);
        for (size_t i : {size_t(0), size_t(21 * 40 / 2), px.size() - 1})
            EXPECT_EQ(px[i] & 0xFFFFFF, c.pixel) << i;
        EXPECT_NE(SendMessageA(wnd.hWnd(), WM_CTLCOLORSTATIC, 0, 0), 0);
    }
}

// Element-list events in another user's tag message reach the lists; the
// window reloads the list's frame once on the next turn of its loop (1040),
// and the message frame once for two refresh requests (1039).
TEST(ChatWnd, ReceivedListEventsReloadTheirFramesOnce)
{
    CWireCnx cnx;
    CFakeView view;
    CChatWnd wnd(cnx);
    wnd.Model().vSetView(&view);
    RECT r{0, 0, 40, 20};
    ASSERT_TRUE(wnd.boCreate(nullptr, r, GetModuleHandleA(nullptr)));
    CChatModel& m = wnd.Model();
    m.cfg.zoneFrames[CChatModel::kZoneMessages] = "msgs";
    m.tables.elistFrames["L"] = "lists";
    m.conn.strNick = m.conn.strIrcNick = "ann";
    m.vAddMessage("<TMESS/><DYNELIST_ADDKEY ELIST=\"L\" IDKEY=\"k\">Key</DYNELIST_ADDKEY>"
                  "<DYNELIST_ADDKEY ELIST=\"L\" IDKEY=\"j\">Jay</DYNELIST_ADDKEY>",
                  "bob", "", 0, true);
    EXPECT_NE(m.tables.elementLists.lpFindKey("L", "k"), nullptr);
    EXPECT_EQ(view.uCount("reload lists"), 0u); // not before the loop turns
    m.vPostRefresh();
    m.vPostRefresh();
    ASSERT_TRUE(
        boPumpUntil([&] { return view.uCount("reload lists") == 1 && view.uCount("reload msgs end") == 1; }))
        << view.log.size();
    FdTestKit::vPumpWaiting();
    EXPECT_EQ(view.uCount("reload lists"), 1u);
    EXPECT_EQ(view.uCount("reload msgs end"), 1u);
}

// Message 1034 drains what the stream threads queued: the first
// configuration document loads the user interface, a later one is dropped.
TEST(ChatWnd, FinishedDownloadsAndHostAddresses)
{
    CWireCnx cnx;
    CFakeView view;
    CChatWnd wnd(cnx);
    wnd.Model().vSetView(&view);
    RECT r{0, 0, 40, 20};
    ASSERT_TRUE(wnd.boCreate(nullptr, r, GetModuleHandleA(nullptr)));
    wnd.Model().page.strHtmlUiUrl = "http://h/ui.htm";
    std::thread stream(
        [&]
        {
            for (const char* url : {"http://h/a.vblt", "http://h/b.vblt"})
            {
                auto rec = std::make_unique<FinishedDownload>();
                rec->strUrl = url;
                rec->strMime = "text/html";
                wnd.FinishedDownloads().vPush(std::move(rec));
            }
            PostMessageA(wnd.hWnd(), CChatWnd::kDownloadsMessage, 0, 0);
        });
    stream.join();
    ASSERT_TRUE(boPumpUntil([&] { return view.uCount("load http://h/ui.htm in ") == 1; }));
    EXPECT_EQ(wnd.FinishedDownloads().Pop(), nullptr);
    EXPECT_EQ(wnd.Model().page.strCurFullDomain, "h");

    EXPECT_EQ(ResolveHostAddress("127.0.0.1"), "127.0.0.1");
    EXPECT_EQ(ResolveHostAddress("no-such-host.invalid"), "");
}

// Another user's room lines (coded, as the window accepts coded text only)
// carry CNF_SERVINFO, CNF_LOCALCONF_GRP, a file DYN_INSERTURL and action tags
// with a guessed command identity, each as a tag message (run at once) and
// as a plain message (run when the message frame shows the history): the
// next connection stays where it was, no registry value is read into a
// group (nothing announced), no file is inserted, no action runs, not even
// with the command's real identity: only the user running the command
// sends, and the same insertion in the window's own page does read the file.
TEST(ChatWnd, AnotherUsersLinesRunNothingAgainstIrcServer)
{
    const std::string key = "Software\\OrbelleTest\\ChatForeign";
    ASSERT_TRUE(boRegWrite(HKEY_CURRENT_USER, key, "v", "secret"));
    CScratchFolder folder;
    const std::string file = folder.File("local.txt");
    std::ofstream(file, std::ios::binary) << "LOCAL-FILE-CONTENT";

    Chat ann("ann", "#f", true);
    ann.m.iParseMarkup("<CNF_ACTSND YES></CNF_ACTSND><CNF_ACTNAV YES></CNF_ACTNAV>"
                       "<CNF_CMD name=go><ACT_SND>go</ACT_SND></CNF_CMD>");
    ASSERT_EQ(ann.m.cfg.commands.size(), 1u);
    ASSERT_TRUE(ann.m.cfg.commands[0].boTrusted);
    ann.m.Scheme().vSetReceiveAccept(ChatIrc::CNickScheme::kCodedOnly);
    ann.view.formFields["f"] = {"TEXT", "before", false};
    const uint16_t port = ann.m.conn.uPort;
    ann.vConnect();
    ASSERT_TRUE(boPumpUntil([&] { return ann.m.conn.boSynced; })) << ann.m.msgs.strHistory;

    const std::string identity = std::to_string(ann.m.cfg.commands[0].iIdentity);
    const std::string guess = std::to_string(ann.m.cfg.commands[0].iIdentity ^ 0x5A5A);
    const std::string servInfo = "<CNF_SERVINFO ADRS=\"10.255.0.1\" PORT=\"1\" KEY=\"k\"></CNF_SERVINFO>";
    const std::string localConf = "<CNF_LOCALCONF_GRP grpname=\"leak\" REGKEY=\"HKEY_CURRENT_USER\\" + key +
                                  "\" REGVALUENAME=\"v\" REGEXIST RANK=\"1\"></CNF_LOCALCONF_GRP>";
    const std::string insert = "<DYN_INSERTURL HREF=\"file://" + file + "\"></DYN_INSERTURL>";
    // The guessed identity, and the real one under a name no command has.
    const auto actions = [](const std::string& cn, const std::string& cs)
    {
        const std::string a = " CN=\"" + cn + "\" CS=\"" + cs + "\">";
        return "<ACT_SND" + a + "guessed</ACT_SND><ACT_SETFLD NAME=\"f\"" + a + "guessed</ACT_SETFLD>" +
               "<ACT_NAV TARGET=\"msgs\"" + a + "guessed.htm</ACT_NAV>";
    };
    std::string run = "RUN --nick bob " + strArg("join #f");
    for (const std::string& line :
         {servInfo, localConf, insert, actions("GO", guess), actions("NOPE", identity)})
        run += " " + strSayCoded("#f", "<TMESS/>" + line) + " " + strSayCoded("#f", "said " + line);
    run += " " + strSayCoded("#f", "<TMESS/><ACT_SND CN=\"GO\" CS=\"" + identity + "\">granted</ACT_SND>") +
           " " + strArg("part #f");
    {
        CBackground bob(run);
        ASSERT_TRUE(boPumpUntil([&] { return bob.boDone() && ann.boHistoryHas("left #f"); }))
            << bob.strAnswer();
        EXPECT_EQ(bob.strAnswer().substr(0, 6), "DONE 0") << bob.strAnswer();
    }
    // Every plain line reached the history and was shown; the console counts
    // them and the connection's bytes.
    EXPECT_EQ(ann.m.people.lRoomReceived, 11);
    const std::string stats = ann.m.strConsoleOutput("vbstat");
    EXPECT_NE(stats.find("MIN : 11<BR>"), std::string::npos) << stats;
    EXPECT_EQ(stats.find("bIN : 0<BR>"), std::string::npos) << stats;
    EXPECT_EQ(stats.find("bOUT : 0<"), std::string::npos) << stats;
    EXPECT_NE(ann.view.strShown.find("said "), std::string::npos);

    EXPECT_EQ(ann.m.conn.strServer, "127.0.0.1");
    EXPECT_EQ(ann.m.conn.uPort, port);
    EXPECT_EQ(ann.m.conn.strServerKey, "");
    EXPECT_FALSE(ann.m.people.groups.boHasMember("leak", "ann"));
    const std::vector<std::string> wire = ann.cnx.Wire();
    EXPECT_EQ(uWireWith(wire, "leak"), 0u);
    EXPECT_EQ(uWireWith(wire, "secret"), 0u);
    EXPECT_EQ(ann.m.msgs.strHistory.find("LOCAL-FILE-CONTENT"), std::string::npos);
    EXPECT_EQ(ann.view.strShown.find("LOCAL-FILE-CONTENT"), std::string::npos);
    EXPECT_EQ(uWireWith(wire, "guessed"), 0u);
    // Another user's action tag runs nothing, even with the command's real
    // identity; the command itself, run by the user, does send.
    EXPECT_EQ(uWireWith(wire, "PRIVMSG #f :granted"), 0u);
    std::string go = "go";
    ASSERT_TRUE(ann.m.boOnActExecCmd(go));
    ann.m.iParseMarkup(go);
    EXPECT_EQ(uWireWith(ann.cnx.Wire(), "PRIVMSG #f :go"), 1u);
    EXPECT_EQ(ann.view.formFields["f"].strValue, "before");
    EXPECT_TRUE(ann.m.page.navQueue.empty());
    EXPECT_EQ(ann.view.uCount("nav msgs guessed.htm"), 0u);

    // The window's own page reads the file.
    CHtmlDoc own(nullptr);
    own.SetAutoFlags(1);
    own.Load("str://" + insert, nullptr, &ann.m, 1, 0);
    EXPECT_EQ(own.GetSource(), "LOCAL-FILE-CONTENT");
    RegDeleteKeyA(HKEY_CURRENT_USER, key.c_str());
}

// Two windows in one room, each in a group of its own page, and another
// user's group changes: both end with the same memberships. GRPUSER is the
// member changed, whoever sends or is named as SENDER.
TEST(ChatWnd, TwoWindowsAgreeOnGroupsAgainstIrcServer)
{
    Chat ann("ann", "#g", true);
    Chat bob("bob", "#g", true);
    ann.m.iParseMarkup(
        "<CNF_GRPCONF grpname=red notify=all>Red</CNF_GRPCONF><CNF_CUGRP grpname=red RANK=2></CNF_CUGRP>");
    bob.m.iParseMarkup(
        "<CNF_GRPCONF grpname=blue notify=all>Blue</CNF_GRPCONF><CNF_CUGRP grpname=blue RANK=1></CNF_CUGRP>");
    ann.vConnect();
    ASSERT_TRUE(boPumpUntil([&] { return ann.m.conn.boSynced; })) << ann.m.msgs.strHistory;
    bob.vConnect();
    ASSERT_TRUE(boPumpUntil([&] { return bob.m.conn.boSynced && boUserListed(ann.m, "bob"); }))
        << bob.m.msgs.strHistory;
    // Each hears the other's group: bob's to the room, ann's to bob alone.
    ASSERT_TRUE(boPumpUntil(
        [&] {
            return ann.m.people.groups.boHasMember("blue", "bob") &&
                   bob.m.people.groups.boHasMember("red", "ann");
        }))
        << ann.m.msgs.strHistory << "\n"
        << bob.m.msgs.strHistory;

    const std::string lines[] = {
        "<TMESS/><DYN_GRP GRPNAME=\"green\" GRPUSER=\"dave\" GRPRANK=\"3\" SENDER=\"carl\"></DYN_GRP>",
        "<TMESS/><DYN_GRP GRPNAME=\"green\" GRPUSER=\"erin\" GRPRANK=\"1\" SENDER=\"carl\"></DYN_GRP>",
        "<TMESS/><DYN_GRP REMUSER GRPNAME=\"green\" GRPUSER=\"erin\" SENDER=\"carl\"></DYN_GRP>",
        // Named as each window's own nick: both windows apply both.
        "<TMESS/><DYN_GRP GRPNAME=\"red\" GRPUSER=\"bob\" GRPRANK=\"5\" SENDER=\"ann\"></DYN_GRP>",
        "<TMESS/><DYNGRP_ADDUSER GRPNAME=\"blue\" GRPUSER=\"fay\" GRPRANK=\"2\" "
        "SENDER=\"bob\"></DYNGRP_ADDUSER>",
        // No GRPUSER: the sender is the member.
        "<SMESS></SMESS><DYNGRP_ADDGRP GRPNAME=\"green\" GRPRANK=\"4\" SENDER=\"carl\"></DYNGRP_ADDGRP>",
    };
    std::string run = "RUN --nick carl " + strArg("join #g");
    for (const std::string& line : lines)
        run += " " + strArg("say #g " + line);
    run += " " + strArg("say #g done") + " " + strArg("part #g");
    {
        CBackground carl(run);
        ASSERT_TRUE(boPumpUntil(
            [&]
            {
                return carl.boDone() && ann.boHistoryHas("carl</DI_MGHDS></a> left") &&
                       bob.boHistoryHas("carl</DI_MGHDS></a> left");
            }))
            << carl.strAnswer();
        EXPECT_EQ(carl.strAnswer().substr(0, 6), "DONE 0") << carl.strAnswer();
    }
    const std::vector<std::string> expected = {"blue: bob 1",   "blue: fay 2", "green: carl 4",
                                               "green: dave 3", "red: ann 2",  "red: bob 5"};
    EXPECT_EQ(Memberships(ann.m), expected);
    EXPECT_EQ(Memberships(bob.m), expected);
}

// The page's room keys reach the server: a keyed room keeps out whoever
// comes without the key, a room of mode 0 is hidden from the room list and
// the others are listed.
TEST(ChatWnd, RoomKeysAndModesAgainstIrcServer)
{
    const std::string key = ChatText::strScramble("sesame", ChatText::strDerivedKey());
    Chat ann("ann", "#k");
    ann.m.iParseMarkup("<CNF_ROOMKEY ROOM=\"#K\" KEY=\"" + key + "\"></CNF_ROOMKEY>");
    Chat bob("bob", "#v");
    Chat cid("cid", "#h");
    cid.m.iParseMarkup("<CNF_ROOMKEY KEY=\"\" MODE=\"0\"></CNF_ROOMKEY>");
    for (Chat* c : {&ann, &bob, &cid})
    {
        c->vConnect();
        ASSERT_TRUE(boPumpUntil([&] { return c->m.conn.boSynced; })) << c->m.msgs.strHistory;
    }
    EXPECT_EQ(uWireWith(ann.cnx.Wire(), "CREATE #k nk sesame"), 1u);
    EXPECT_EQ(uWireWith(bob.cnx.Wire(), "CREATE #v n"), 1u);
    EXPECT_EQ(uWireWith(cid.cnx.Wire(), "CREATE #h nh"), 1u);
    CBackground eve(
        "RUN --nick eve 'refused #k' 'join #k sesame' 'listed #k' 'listed #v' 'unlisted #h' 'part #k'");
    ASSERT_TRUE(boPumpUntil([&] { return eve.boDone() && ann.boHistoryHas("eve</DI_MGHDS></a> left"); }))
        << eve.strAnswer();
    EXPECT_EQ(eve.strAnswer().substr(0, 6), "DONE 0") << eve.strAnswer();
}

// A configuration tag lets the start go: the window's start timer connects
// the window by itself, once, and stops. (This is the tick that reconnected
// windows the tests had already connected, losing the room's lines.)
TEST(ChatWnd, StartTimerConnectsOnceTheStartIsLet)
{
    Chat ann("ann", "#s");
    ann.m.iParseMarkup("<CNF_ACTSND YES></CNF_ACTSND>");
    ASSERT_TRUE(ann.m.conn.boGo);
    ASSERT_TRUE(boPumpUntil([&] { return ann.m.conn.boSynced; })) << ann.m.msgs.strHistory;
    // Stopped when it started the connection: no later tick reconnects.
    EXPECT_FALSE(KillTimer(ann.wnd.hWnd(), CChatWnd::kStartTimer));
    EXPECT_EQ(uWireWith(ann.cnx.Wire(), "IRCX"), 1u);
    // A window the test connects itself has its start timer stopped first.
    Chat bob("bob", "#s");
    bob.m.iParseMarkup("<CNF_ACTSND YES></CNF_ACTSND>");
    bob.vConnect();
    EXPECT_FALSE(KillTimer(bob.wnd.hWnd(), CChatWnd::kStartTimer));
    ASSERT_TRUE(boPumpUntil([&] { return bob.m.conn.boSynced && boUserListed(ann.m, "bob"); }))
        << bob.m.msgs.strHistory;
    EXPECT_EQ(uWireWith(bob.cnx.Wire(), "IRCX"), 1u);
}

// Message 1041 carries the queue out on the next turn of the loop; a request
// queued while it runs waits for the next 1041.
TEST(ChatWnd, QueuedNavigationOnMessage1041)
{
    CWireCnx cnx;
    CFakeView view;
    view.frames = {"main", "side"};
    CChatWnd wnd(cnx);
    wnd.Model().vSetView(&view);
    RECT r{0, 0, 40, 20};
    ASSERT_TRUE(wnd.boCreate(nullptr, r, GetModuleHandleA(nullptr)));
    CChatModel& m = wnd.Model();
    view.onNavigate = [&m](const std::string& frame)
    {
        if (frame != "main")
            return;
        m.page.navQueue.push_back("side;next.htm");
        m.Host().vPostNavigate();
    };
    m.page.navQueue.push_back("m*;page.htm");
    m.Host().vPostNavigate();
    EXPECT_TRUE(view.log.empty()); // not before the loop turns
    ASSERT_TRUE(boPumpUntil([&] { return view.uCount("nav side next.htm") == 1; }, 5000)) << view.log.size();
    EXPECT_EQ(view.log, (std::vector<std::string>{"nav main page.htm", "nav side next.htm"}));
    EXPECT_TRUE(m.page.navQueue.empty());
}

// ---------------------------------------------------------------- the trust boundary, end to end

namespace
{

// A registry value and a local file that no stranger may reach.
struct Secrets
{
    const std::string key = "Software\\OrbelleTest\\ChatTrust";
    CScratchFolder folder;
    const std::string file = folder.File("local.txt");
    Secrets()
    {
        EXPECT_TRUE(boRegWrite(HKEY_CURRENT_USER, key, "v", "secret"));
        std::ofstream(file, std::ios::binary) << "LOCAL-FILE-CONTENT";
    }
    ~Secrets() { RegDeleteKeyA(HKEY_CURRENT_USER, key.c_str()); }
    // The three lines that gave a stranger the user's powers: a local file
    // read into the room, a group only the registry can grant, and the
    // server of the next connection.
    std::vector<std::string> PowerLines() const
    {
        return {"<DYN_INSERTURL HREF=\"file://" + file + "\"></DYN_INSERTURL>",
                "<CNF_LOCALCONF_GRP grpname=\"leak\" REGKEY=\"HKEY_CURRENT_USER\\" + key +
                    "\" REGVALUENAME=\"v\" REGEXIST RANK=\"1\"></CNF_LOCALCONF_GRP>",
                "<CNF_SERVINFO ADRS=\"10.255.0.1\" PORT=\"1\" KEY=\"k\"></CNF_SERVINFO>"};
    }
};

// The window after a stranger's lines: nothing of the user's was used. The
// history is shown three more times first (each showing used to run them
// again).
void vExpectUntouched(Chat& c, uint16_t port, const std::string& context)
{
    SCOPED_TRACE(context);
    for (int i = 0; i < 3; ++i)
        c.view.vReloadFrame("msgs", true);
    EXPECT_EQ(c.m.conn.strServer, "127.0.0.1");
    EXPECT_EQ(c.m.conn.uPort, port);
    EXPECT_EQ(c.m.conn.strServerKey, "");
    EXPECT_FALSE(c.m.people.groups.boHasMember("leak", "ann"));
    EXPECT_EQ(c.m.msgs.strHistory.find("LOCAL-FILE-CONTENT"), std::string::npos);
    EXPECT_EQ(c.view.strShown.find("LOCAL-FILE-CONTENT"), std::string::npos);
    const std::vector<std::string> wire = c.cnx.Wire();
    EXPECT_EQ(uWireWith(wire, "leak"), 0u);
    EXPECT_EQ(uWireWith(wire, "secret"), 0u);
    EXPECT_EQ(uWireWith(wire, "LOCAL-FILE"), 0u);
    for (const std::string& l : wire)
        EXPECT_EQ(l.find_first_of("\r\n"), std::string::npos) << l;
    EXPECT_TRUE(c.inst.urls.empty()) << c.inst.urls.front();
    EXPECT_TRUE(c.m.page.navQueue.empty());
}

// A signature built from the program's constants alone.
std::string strConstantCheck(const std::string& signedText)
{
    using namespace ChatText;
    return strProtect8(
        strChecksum16(strProtect8(std::string(signedText.rbegin(), signedText.rend()), "", 9.87)), "", 9.87);
}

} // namespace

// Another user whose wire nick reads as the user's own under a scheme that
// undoes any escape ("[61nn") sends the power lines, configuration tags in
// an ordinary line, actions signed with the program's constants and names
// put together from pieces: nothing runs, now or when the history is shown.
TEST(ChatWnd, StrangersNeverActAsTheUserAgainstIrcServer)
{
    Secrets secrets;
    Chat ann("ann", "#t", true);
    ann.m.iParseMarkup("<CNF_ACTSND YES></CNF_ACTSND><CNF_ACTNAV YES></CNF_ACTNAV>"
                       "<CNF_CMD name=go><ACT_SND>go</ACT_SND></CNF_CMD>");
    ann.m.Scheme().vSetReceiveAccept(ChatIrc::CNickScheme::kCodedOnly);
    ann.view.formFields["CFLD_TEXT"] = {"TEXT", "unsent draft", false};
    const std::string command = ann.m.cfg.commands.at(0).strText;
    const uint16_t port = ann.m.conn.uPort;
    const long limit = ann.m.cfg.lHistoryLimit;
    ann.vConnect();
    ASSERT_TRUE(boPumpUntil([&] { return ann.m.conn.boSynced; })) << ann.m.msgs.strHistory;

    using ChatText::strProtect8;
    std::vector<std::string> lines = secrets.PowerLines();
    const std::vector<std::string> more = {
        // Configuration in an ordinary line.
        "<CNF_CUGRP grpname=leak RANK=7></CNF_CUGRP><CNF_CMD name=go><ACT_SND TO=\"mallory\">stolen</ACT_SND>"
        "</CNF_CMD>",
        "<CNF_MESSFORMAT NAME=evil FORDER=1>pwned %mess%</CNF_MESSFORMAT><DYN_MESSFORMAT NAME=evil>"
        "</DYN_MESSFORMAT><CNF_TPYRC SND=CR></CNF_TPYRC>",
        "<CNF_LIMITS MAX_HISTORYCHARS=1000000></CNF_LIMITS><CNF_MESSAGE_ TYPE=ROOM></CNF_MESSAGE_>",
        // Actions signed with the program's constants: a javascript: and a
        // file: address, and the key and the draft sent to the attacker.
        "<ACT_NAV TARGET=\"" + strProtect8("_top", "", 1.0) + "\" CK=\"" +
            strConstantCheck("javascript:alert(1)_top") + "\">" + strProtect8("javascript:alert(1)", "", 1.0) +
            "</ACT_NAV>",
        "<ACT_NAV TARGET=\"" + strProtect8("_top", "", 1.0) + "\" CK=\"" +
            strConstantCheck("file:///C:/x_top") + "\">" + strProtect8("file:///C:/x", "", 1.0) + "</ACT_NAV>",
        "<ACT_SND TO=\"mallory\" GETFLDS=\"CFLD_TEXT\" CK=\"" + strConstantCheck("leak %crkey% %list%") + "\">" +
            strProtect8("leak %crkey% %list%", "", 1.0) + "</ACT_SND>",
        // Names put together from pieces, entities and joined parts.
        "<CNF_<SMESS>SERVINFO ADRS=\"10.255.0.1\"></CNF_SERVINFO>",
        "<DYN_VARZONE>&lt;CNF_SERVINFO ADRS=&quot;10.255.0.1&quot;&gt;</DYN_VARZONE>",
        "<DYN_MPD ID=\"ann1\" N=0>&lt;DYN_INSERT</DYN_MPD>",
        "<DYN_MPD ID=\"ann1\" N=1 STOP>URL HREF=&quot;file://" + secrets.file + "&quot;&gt;&lt;/DYN_INSERTURL&gt;</DYN_MPD>",
    };
    lines.insert(lines.end(), more.begin(), more.end());
    std::string run = "RUN --nick [61nn " + strArg("join #t");
    for (const std::string& line : lines)
        run += " " + strSayCoded("#t", line) + " " + strSayCoded("#t", "<SMESS></SMESS>" + line) + " " +
               strSayCoded("#t", "<TMESS/>" + line);
    run += " " + strSayCoded("#t", "done") + " " + strArg("part #t");
    {
        CBackground mallory(run);
        ASSERT_TRUE(boPumpUntil([&] { return mallory.boDone() && ann.boHistoryHas("left #t"); }))
            << mallory.strAnswer();
        EXPECT_EQ(mallory.strAnswer().substr(0, 6), "DONE 0") << mallory.strAnswer();
    }
    // Every line arrived, from a nick that shows as written.
    EXPECT_EQ(ann.m.people.lRoomReceived, static_cast<long>(3 * lines.size() + 1));
    EXPECT_TRUE(ann.boHistoryHas("[61nn</DI_MGHDS>"));
    EXPECT_TRUE(ann.boHistoryHas("<DI_EXT>done</DI_EXT>"));
    vExpectUntouched(ann, port, "[61nn");
    EXPECT_EQ(ann.m.cfg.lHistoryLimit, limit);
    EXPECT_EQ(ann.m.cfg.commands.at(0).strText, command);
    EXPECT_TRUE(ann.m.tables.messageFormats.ActiveNames().empty());
    EXPECT_EQ(ann.m.Scheme().iGetSendCoding(), 0);
    EXPECT_EQ(ann.view.formFields["CFLD_TEXT"].strValue, "unsent draft");
    EXPECT_EQ(uWireWith(ann.cnx.Wire(), "PRIVMSG"), 0u);
    // What she says next goes out as she wrote it.
    ann.m.vSendChat("after", false, true, "");
    EXPECT_EQ(uWireWith(ann.cnx.Wire(), "PRIVMSG #t :after"), 1u);
    EXPECT_EQ(uWireWith(ann.cnx.Wire(), "PRIVMSG"), 1u);
}

// The user's nick is taken, so the window logs on as "ann{1": the real
// "ann" is a stranger like any other.
TEST(ChatWnd, TheHolderOfTheUsersNickIsAStrangerAgainstIrcServer)
{
    Secrets secrets;
    Chat watch("wat", "#h");
    watch.vConnect();
    ASSERT_TRUE(boPumpUntil([&] { return watch.m.conn.boSynced; })) << watch.m.msgs.strHistory;
    std::string run = "RUN --nick ann " + strArg("join #h") + " " + strArg("expect ann{1");
    for (const std::string& line : secrets.PowerLines())
        run += " " + strArg("say #h " + line) + " " + strArg("say #h <TMESS/>" + line);
    run += " " + strArg("say #h done") + " " + strArg("part #h");
    CBackground holder(run);
    ASSERT_TRUE(boPumpUntil([&] { return boUserListed(watch.m, "ann"); })) << holder.strAnswer();
    Chat ann("ann", "#h", true);
    const uint16_t port = ann.m.conn.uPort;
    ann.vConnect();
    ASSERT_TRUE(boPumpUntil([&] { return holder.boDone() && ann.boHistoryHas("left #h"); }))
        << holder.strAnswer() << "\n"
        << ann.m.msgs.strHistory;
    EXPECT_EQ(holder.strAnswer().substr(0, 6), "DONE 0") << holder.strAnswer();
    EXPECT_EQ(ann.m.conn.strIrcNick, "ann{1");
    EXPECT_TRUE(ann.boHistoryHas("<DI_EXT>done</DI_EXT>"));
    vExpectUntouched(ann, port, "ann{1");
}

// A group name carrying CR LF in another user's announcement: the user's
// window announces the group back to a newcomer, and no third user receives
// a line the window did not mean to send.
TEST(ChatWnd, ALineBreakInAGroupNameSendsNoExtraLineAgainstIrcServer)
{
    Chat ann("ann", "#n");
    ann.vConnect();
    ASSERT_TRUE(boPumpUntil([&] { return ann.m.conn.boSynced; })) << ann.m.msgs.strHistory;
    const std::string group = "x&#13;&#10;PRIVMSG #n :pwned&#13;&#10;QUIT :x";
    const auto add = [&](const char* user)
    {
        return strArg("say #n <SMESS></SMESS><DYNGRP_ADDGRP GRPNAME=\"" + group + "\" GRPUSER=\"" + user +
                      "\" GRPRANK=\"1\" SENDER=\"bob\"></DYNGRP_ADDGRP>");
    };
    CBackground bob("RUN --nick bob " + strArg("join #n") + " " + add("ann") + " " + add("carl") + " " +
                    strArg("expect :over") + " " + strArg("part #n"));
    ASSERT_TRUE(boPumpUntil(
        [&] { return ann.m.people.groups.boHasMember("x\r\nPRIVMSG #n :pwned\r\nQUIT :x", "carl"); }))
        << bob.strAnswer();
    {
        // carl joins: the window tells him privately of the group they share.
        CBackground carl("RUN --nick carl " + strArg("join #n") + " " + strArg("expect DYNGRP_ADDGRP") + " " +
                         strArg("part #n"));
        ASSERT_TRUE(boPumpUntil([&] { return carl.boDone(); }));
        EXPECT_EQ(carl.strAnswer().substr(0, 6), "DONE 0") << carl.strAnswer();
        EXPECT_NE(carl.strAnswer().find("GRPNAME=\"@REV@x&#13;&#10;PRIVMSG #n :pwned&#13;&#10;QUIT :x\""),
                  std::string::npos)
            << carl.strAnswer();
    }
    ann.m.vSendChat("over", false, false, "");
    ASSERT_TRUE(boPumpUntil([&] { return bob.boDone(); }));
    EXPECT_EQ(bob.strAnswer().substr(0, 6), "DONE 0") << bob.strAnswer();
    // Every line bob received from ann: the "over" that ended his script, nothing else.
    std::vector<std::string> fromAnn;
    std::istringstream received(bob.strAnswer());
    for (std::string l; std::getline(received, l);)
        if (l.compare(0, 9, "<< :ann!~") == 0 || l.compare(0, 8, "<< :ann!") == 0)
            fromAnn.push_back(l.substr(l.find(' ', 3) + 1));
    EXPECT_EQ(fromAnn, (std::vector<std::string>{"PRIVMSG #n :over"})) << bob.strAnswer();
    for (const std::string& l : ann.cnx.Wire())
        EXPECT_EQ(l.find_first_of("\r\n"), std::string::npos) << l;
}

// Two windows in a room and one stranger's silent line carrying a group
// configuration: showing the history again runs nothing, so the windows do
// not answer each other's announcements without end.
TEST(ChatWnd, TwoWindowsDoNotFeedEachOtherAgainstIrcServer)
{
    Chat ann("ann", "#l", true);
    Chat bob("bob", "#l", true);
    ann.m.iParseMarkup("<CNF_GRPCONF grpname=red notify=all>Red</CNF_GRPCONF><CNF_CUGRP grpname=red RANK=2>"
                       "</CNF_CUGRP>");
    bob.m.iParseMarkup("<CNF_GRPCONF grpname=red notify=all>Red</CNF_GRPCONF><CNF_CUGRP grpname=red RANK=1>"
                       "</CNF_CUGRP>");
    ann.vConnect();
    ASSERT_TRUE(boPumpUntil([&] { return ann.m.conn.boSynced; })) << ann.m.msgs.strHistory;
    bob.vConnect();
    ASSERT_TRUE(boPumpUntil([&] { return bob.m.conn.boSynced && boUserListed(ann.m, "bob"); }))
        << bob.m.msgs.strHistory;
    ASSERT_TRUE(boPumpUntil(
        [&] {
            return ann.m.people.groups.boHasMember("red", "bob") &&
                   bob.m.people.groups.boHasMember("red", "ann");
        }));
    {
        CBackground carl("RUN --nick carl " + strArg("join #l") + " " +
                         strArg("say #l <SMESS></SMESS><CNF_GRPCONF grpname=red notify=all>Red</CNF_GRPCONF>"
                                "<CNF_CUGRP grpname=red RANK=3></CNF_CUGRP>") +
                         " " + strArg("say #l done") + " " + strArg("part #l"));
        ASSERT_TRUE(boPumpUntil(
            [&]
            {
                return carl.boDone() && ann.boHistoryHas("carl</DI_MGHDS></a> left") &&
                       bob.boHistoryHas("carl</DI_MGHDS></a> left");
            }))
            << carl.strAnswer();
    }
    const size_t annSent = uWireWith(ann.cnx.Wire(), "PRIVMSG"), bobSent = uWireWith(bob.cnx.Wire(), "PRIVMSG");
    for (int i = 0; i < 5; ++i)
    {
        ann.view.vReloadFrame("msgs", true);
        bob.view.vReloadFrame("msgs", true);
    }
    EXPECT_EQ(uWireWith(ann.cnx.Wire(), "PRIVMSG"), annSent);
    EXPECT_EQ(uWireWith(bob.cnx.Wire(), "PRIVMSG"), bobSent);
    // A last line through the server: whatever was on its way has arrived
    // once it has, and neither window answered anything.
    ann.m.vSendChat("end", false, false, "");
    ASSERT_TRUE(boPumpUntil([&] { return bob.boHistoryHas("<DI_EXT>end</DI_EXT>"); }))
        << bob.m.msgs.strHistory;
    EXPECT_EQ(uWireWith(ann.cnx.Wire(), "PRIVMSG"), annSent + 1);
    EXPECT_EQ(uWireWith(bob.cnx.Wire(), "PRIVMSG"), bobSent);
    EXPECT_EQ(Memberships(ann.m), Memberships(bob.m));
}

namespace
{

// A hostile IRC server on a loopback port of its own: it answers the
// window's logon, its IRCX probe and its CREATE, and writes the given lines
// once the room is joined; it keeps every line the window wrote.
class CHostileServer
{
public:
    explicit CHostileServer(std::vector<std::string> lines) : m_lines(std::move(lines))
    {
        WSADATA data;
        // Cleaned up only when it succeeded.
        m_boStarted = WSAStartup(MAKEWORD(2, 2), &data) == 0;
        m_listen = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
        sockaddr_in a = {};
        a.sin_family = AF_INET;
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        int len = sizeof a;
        if (m_listen == INVALID_SOCKET || bind(m_listen, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0 ||
            listen(m_listen, 1) != 0 || getsockname(m_listen, reinterpret_cast<sockaddr*>(&a), &len) != 0)
            return;
        m_port = ntohs(a.sin_port);
        m_thread = std::thread([this] { vServe(); });
    }
    ~CHostileServer()
    {
        m_boStop = true;
        closesocket(m_listen);
        {
            std::lock_guard<std::mutex> hold(m_lock);
            if (m_client != INVALID_SOCKET)
                shutdown(m_client, SD_BOTH);
        }
        if (m_thread.joinable())
            m_thread.join();
        if (m_boStarted)
            WSACleanup();
    }
    uint16_t uPort() const { return m_port; }
    std::vector<std::string> Received()
    {
        std::lock_guard<std::mutex> hold(m_lock);
        return m_received;
    }

private:
    void vSend(const std::string& line)
    {
        const std::string l = line + "\r\n";
        send(m_client, l.data(), static_cast<int>(l.size()), 0);
    }
    // Waits up to 100 ms for the socket to read; false once stopping.
    bool boReadable(SOCKET s)
    {
        for (;;)
        {
            if (m_boStop)
                return false;
            fd_set set;
            FD_ZERO(&set);
            FD_SET(s, &set);
            timeval tv = {0, 100000};
            const int n = select(0, &set, nullptr, nullptr, &tv);
            if (n != 0)
                return n > 0;
        }
    }
    void vServe()
    {
        if (!boReadable(m_listen))
            return;
        const SOCKET client = accept(m_listen, nullptr, nullptr);
        if (client == INVALID_SOCKET)
            return;
        {
            std::lock_guard<std::mutex> hold(m_lock);
            m_client = client;
        }
        vTalk(client);
        // Closed at once: the window's reader waits for the server's end.
        std::lock_guard<std::mutex> hold(m_lock);
        closesocket(m_client);
        m_client = INVALID_SOCKET;
    }
    void vTalk(SOCKET client)
    {
        std::string pending;
        char buf[1024];
        for (;;)
        {
            if (!boReadable(client))
                return;
            const int n = recv(client, buf, sizeof buf, 0);
            if (n <= 0)
                return;
            pending.append(buf, static_cast<size_t>(n));
            for (size_t end; (end = pending.find("\r\n")) != std::string::npos; pending.erase(0, end + 2))
            {
                const std::string line = pending.substr(0, end);
                {
                    std::lock_guard<std::mutex> hold(m_lock);
                    m_received.push_back(line);
                }
                if (line == "IRCX")
                    vSend(":evil 800 * 1 0 ANON 512 *");
                else if (line.compare(0, 5, "USER ") == 0)
                    vSend(":evil 001 ann :Welcome");
                else if (line.compare(0, 7, "CREATE ") == 0)
                {
                    vSend(":ann!a@h JOIN :#e");
                    vSend(":evil 353 ann = #e :ann bob");
                    vSend(":evil 366 ann #e :End");
                    for (const std::string& l : m_lines)
                        vSend(l);
                }
            }
        }
    }

    std::vector<std::string> m_lines;
    SOCKET m_listen = INVALID_SOCKET, m_client = INVALID_SOCKET;
    uint16_t m_port = 0;
    bool m_boStarted = false;
    std::atomic<bool> m_boStop{false};
    std::mutex m_lock;
    std::vector<std::string> m_received;
    std::thread m_thread;
};

} // namespace

// A hostile server: MOTD lines, other server texts and numerics carrying
// the power lines, a PRIVMSG under the user's own nick, and names without
// end. All of it is a stranger's.
TEST(ChatWnd, AHostileServerIsAStranger)
{
    Secrets secrets;
    std::vector<std::string> lines;
    for (const std::string& power : secrets.PowerLines())
    {
        lines.push_back(":evil 372 ann :" + power);
        lines.push_back(":evil 375 ann :" + power);
        lines.push_back(":ann!a@h PRIVMSG #e :" + power);
        lines.push_back(":ann!a@h PRIVMSG #e :<TMESS/>" + power);
        lines.push_back(":ann!a@h PRIVMSG ann :<SMESS></SMESS>" + power);
    }
    // Names past any sensible room.
    for (int i = 0; i < 60; ++i)
    {
        std::string names;
        for (int j = 0; j < 50; ++j)
            names += " u" + std::to_string(i * 50 + j);
        lines.push_back(":evil 353 ann = #e :" + names.substr(1));
    }
    lines.push_back(":ann!a@h PRIVMSG #e :done");
    CHostileServer server(lines);
    ASSERT_NE(server.uPort(), 0);
    Chat ann("ann", "#e", true);
    ann.m.conn.uPort = server.uPort();
    ann.vConnect();
    ASSERT_TRUE(boPumpUntil([&] { return ann.boHistoryHas("<DI_EXT>done</DI_EXT>"); }, 30000))
        << ann.m.msgs.strHistory;
    EXPECT_NE(ann.m.msgs.strHistory.find("&lt;CNF_SERVINFO"), std::string::npos) << ann.m.msgs.strHistory;
    vExpectUntouched(ann, server.uPort(), "hostile server");
    ChatIrc::CIrcSession::Room room;
    ASSERT_TRUE(ann.cnx.boGetRoom("#e", room));
    EXPECT_EQ(room.users.size(), ChatIrc::CIrcSession::kMaxRoomNames);
    for (const std::string& l : server.Received())
        EXPECT_NE(l.compare(0, 8, "PRIVMSG "), 0) << l;
    EXPECT_EQ(uWireWith(ann.cnx.Wire(), "PRIVMSG"), 0u);
}
