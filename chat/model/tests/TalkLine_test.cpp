// The talk line: its keys in the CFLD_TEXT field, the input history, the
// building of the outgoing message and the text filter's links and
// substitution words.
#include <gtest/gtest.h>

#include <set>

#include "ChatPageFixture.h"

using namespace ChatModel;
using namespace ChatModelTest;

namespace
{

using Lines = std::vector<std::string>;

// The recording view with a focused control, the caret and frame scrolls logged.
class CTalkView : public CFakeView
{
public:
    std::string focused = "CFLD_TEXT";
    bool boHasFocus(const std::string& name) override { return name == focused; }
    void vCaretToEnd(const std::string& name) override { log.push_back("caret " + name); }
    void vScrollFrameToEnd(const std::string& frame) override { log.push_back("scroll " + frame); }
};

// Connected as ann in #r with bob, the talk field on the page, the keys
// held taken from `keys`.
struct Talk : CChatPageFixture
{
    CTalkView talkView;
    std::set<int32_t> keys;
    Talk()
    {
        m.vSetView(&talkView);
        m.conn.strNick = m.conn.strIrcNick = m.conn.strNickHtml = "ann";
        m.conn.strRoom = "#r";
        m.cfg.zoneFrames[CChatModel::kZoneMessages] = "msgs";
        cnx.session.vSetOwner(&m);
        cnx.session.vSetStateForTest(1);
        for (const char* line : {":srv 800 * 1 0 ANON 512 *", ":srv 001 ann :Welcome", ":ann!u@h JOIN :#r",
                                 ":srv 353 ann = #r :ann bob", ":srv 366 ann #r :End"})
            cnx.session.boParseLine(std::string(line) + "\r\n");
        cnx.session.wire.clear();
        host.onKeyHeld = [this](int32_t k) { return keys.count(k) != 0; };
        vField("CFLD_TEXT", "TEXT", "");
    }
    void vField(const std::string& name, const char* type, const std::string& value, bool checked = false)
    {
        IChatView::Field f;
        f.strType = type;
        f.strValue = value;
        f.boChecked = checked;
        talkView.formFields[name] = f;
    }
    std::string strField() { return talkView.formFields["CFLD_TEXT"].strValue; }
    // Types the text into the field and presses the key.
    int32_t iPress(int32_t key, const char* typed = nullptr)
    {
        if (typed)
            vField("CFLD_TEXT", "TEXT", typed);
        return m.OnInputKey(key, 1, 0, "talk", nullptr);
    }
    void vCommand(const char* name, const char* text, bool send)
    {
        CChatModel::Command c;
        c.strName = name;
        c.strText = text;
        c.boSend = send;
        m.cfg.commands.push_back(c);
    }
};

} // namespace

TEST(TalkLine, HistoryRecallKeepsEditsAndFreshLines)
{
    // Each row: the key, the field's text before it, the text after it and
    // the history after it.
    struct Step
    {
        int32_t key;
        const char* before;
        const char* after;
        Lines history;
    };
    const int32_t up = CChatModel::kKeyUp, down = CChatModel::kKeyDown, enter = CChatModel::kKeyReturn,
                  esc = CChatModel::kKeyEscape;
    const Step steps[] = {
        {up, "", "", {}},                       // nothing to recall
        {enter, "one", "", {"one"}},            // sent and kept
        {enter, "two", "", {"one", "two"}},     //
        {up, "", "two", {"one", "two"}},        // fresh line: the last entry
        {up, "two", "one", {"one", "two"}},     //
        {up, "one", "one", {"one", "two"}},     // at the first: stays
        {down, "one!", "two", {"one!", "two"}}, // the edit survives Down
        {down, "two", "", {"one!", "two"}},     // past the last: a fresh line
        {down, "", "", {"one!", "two"}},        //
        {up, "draft", "two", {"one!", "two"}},  // a fresh line's text is not kept
        {esc, "two?", "", {"one!", "two?"}},    // Esc keeps the edit, empties the line
        {enter, "", "", {"one!", "two?"}},      // empty: no entry
        {up, "", "two?", {"one!", "two?"}},     //
    };
    Talk t;
    t.m.conn.strRoom.clear(); // Enter sends nothing anywhere here
    for (size_t i = 0; i < sizeof steps / sizeof steps[0]; ++i)
    {
        const Step& s = steps[i];
        SCOPED_TRACE("step " + std::to_string(i));
        EXPECT_EQ(t.iPress(s.key, s.before), 1);
        EXPECT_EQ(t.strField(), s.after);
        EXPECT_EQ(t.m.msgs.inputHistory, s.history);
    }
    EXPECT_EQ(t.talkView.uCount("caret CFLD_TEXT"), 10u);
    // Other keys are the field's own, Backspace is always taken.
    EXPECT_EQ(t.iPress('A'), 0);
    EXPECT_EQ(t.iPress(CChatModel::kKeyBack), 1);
    t.talkView.focused = "elsewhere";
    EXPECT_EQ(t.iPress(CChatModel::kKeyUp), 0);
    EXPECT_EQ(t.iPress(CChatModel::kKeyBack), 1);
}

TEST(TalkLine, EmptyEnterAsksForTextAndKeepsTheHistory)
{
    Talk t;
    t.iPress(CChatModel::kKeyReturn, "hello");
    ASSERT_EQ(t.cnx.session.wire, (Lines{"PRIVMSG #r :hello"}));
    t.cnx.session.wire.clear();
    t.iPress(CChatModel::kKeyReturn, "");
    EXPECT_TRUE(t.cnx.session.wire.empty());
    EXPECT_EQ(t.m.msgs.inputHistory, (Lines{"hello"}));
    EXPECT_NE(t.m.msgs.strHistory.find("write something first!"), std::string::npos) << t.m.msgs.strHistory;
    // The message frame is scrolled after each Enter.
    EXPECT_EQ(t.talkView.uCount("scroll msgs"), 2u);
}

TEST(TalkLine, OutgoingTextIsEncodedLinkedColouredAndBold)
{
    struct Case
    {
        const char* typed;
        const char* colour; // CFLD_COLOR's value, or null for no field
        bool bold;          // CFLD_BOLD check box
        bool raw;
        bool shift;
        const char* wire;
    } cases[] = {
        {"see www.x.com now", nullptr, false, false, false,
         "PRIVMSG #r :see <A href=\"HTTP://www.x.com\" >www.x.com</A> now"},
        {"a<b & c", "red", true, false, false, "PRIVMSG #r :<B><font color=red>a&lt;b &amp; c</font></B>"},
        {"a<b>", "red", true, true, false, "PRIVMSG #r :a<b>"},
        {"psst", "", false, false, true, "PRIVMSG bob :psst"},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.typed);
        Talk t;
        t.m.conn.strSelected = "bob";
        t.m.msgs.boRawMode = c.raw;
        if (c.colour)
            t.vField("CFLD_COLOR", "SELECT", c.colour);
        t.vField("CFLD_BOLD", "CHECKBOX", "on", c.bold);
        if (c.shift)
            t.keys.insert(CChatModel::kKeyShift);
        t.iPress(CChatModel::kKeyReturn, c.typed);
        EXPECT_EQ(t.cnx.session.wire, (Lines{c.wire}));
        EXPECT_EQ(t.strField(), "");
    }
    // The private-send lock sends Shift+Enter to the room; an image control
    // named CFLD_BOLD stands for a missing check box.
    Talk t;
    t.m.conn.strSelected = "bob";
    t.m.msgs.boPrivateSendLock = true;
    t.keys.insert(CChatModel::kKeyShift);
    t.talkView.formFields.erase("CFLD_BOLD");
    t.talkView.switches["CFLD_BOLD"] = true;
    t.iPress(CChatModel::kKeyReturn, "hi");
    EXPECT_EQ(t.cnx.session.wire, (Lines{"PRIVMSG #r :<B>hi</B>"}));
}

TEST(TalkLine, CommandsShowTheirOutputOrGoOutAsExecTags)
{
    struct Case
    {
        const char* typed;
        bool ctrlAlt;
        bool shift;
        Lines wire;
        bool shown; // the output in the message list
    } cases[] = {
        {"/x", false, false, {}, true},
        {"/x", true, false, {"PRIVMSG #r :<DYN_EXECCMD name=\"/x\"></DYN_EXECCMD>"}, false},
        {"/x", false, true, {"PRIVMSG bob :<DYN_EXECCMD name=\"/x\"></DYN_EXECCMD>"}, false},
        {"/quiet", true, false, {}, true},
        {"/p a\"b", true, false, {"PRIVMSG #r :<DYN_EXECCMD name=\"/p a&quot;b\"></DYN_EXECCMD>"}, false},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.typed);
        Talk t;
        t.m.conn.strSelected = "bob";
        t.vCommand("/X", "<B>output of x</B>", true);
        t.vCommand("/QUIET", "<B>output of x</B>", false);
        t.vCommand("/P", "<B>output of x</B>", true);
        t.m.cfg.commands.back().boHasParams = true;
        if (c.ctrlAlt)
            t.keys = {CChatModel::kKeyControl, CChatModel::kKeyAlt};
        if (c.shift)
            t.keys.insert(CChatModel::kKeyShift);
        t.iPress(CChatModel::kKeyReturn, c.typed);
        EXPECT_EQ(t.cnx.session.wire, c.wire);
        EXPECT_EQ(t.m.msgs.strHistory.find("<B>output of x</B>") != std::string::npos, c.shown)
            << t.m.msgs.strHistory;
        EXPECT_EQ(t.strField(), "");
    }
    // Raw mode: the command alone, nothing shown or sent.
    Talk t;
    t.vCommand("/X", "<B>output of x</B>", true);
    t.m.msgs.boRawMode = true;
    t.keys = {CChatModel::kKeyControl, CChatModel::kKeyAlt};
    t.iPress(CChatModel::kKeyReturn, "/x");
    EXPECT_TRUE(t.cnx.session.wire.empty());
    EXPECT_EQ(t.m.msgs.strHistory.find("output of x"), std::string::npos);
    EXPECT_EQ(t.m.iIsNoSendCommand("/quiet"), 0);
    EXPECT_EQ(t.m.iIsNoSendCommand("/X"), 1);
    EXPECT_EQ(t.m.iIsNoSendCommand("/nothing"), 0);
}

TEST(TalkLine, NoViewSendsNothing)
{
    Talk t;
    t.m.vSetView(nullptr);
    const std::string text = "hi";
    t.m.vSendTalk(false, &text);
    EXPECT_TRUE(t.cnx.session.wire.empty());
    EXPECT_EQ(t.m.OnInputKey(CChatModel::kKeyReturn, 1, 0, "", nullptr), 0);
}

TEST(TalkLine, LoginFieldEnterStartsTheLogonAndTheFormSendsTheTalk)
{
    Talk t;
    t.m.conn.strNick.clear();
    t.talkView.focused = "CFLD_LOGIN";
    t.talkView.fields["CFLD_LOGIN"] = "carl";
    EXPECT_EQ(t.iPress(CChatModel::kKeyUp), 0);
    EXPECT_EQ(t.m.conn.strNick, "");
    EXPECT_EQ(t.iPress(CChatModel::kKeyReturn), 0);
    EXPECT_EQ(t.m.conn.strNick, "carl");
    EXPECT_TRUE(t.m.conn.boLoggedOn);
    // The talk form's CHAT_TALK link sends the field to the room.
    t.vField("CFLD_TEXT", "TEXT", "hi all");
    t.m.OnLinkClick("CHAT_TALK", "", nullptr);
    EXPECT_EQ(t.cnx.session.wire, (Lines{"PRIVMSG #r :hi all"}));
    EXPECT_EQ(t.strField(), "");
}

TEST(TalkLine, FilterLinksAndWholeWords)
{
    struct Case
    {
        const char* text;
        const char* result;
    } cases[] = {
        {"see www.x.com now", "see <A href=\"HTTP://www.x.com\" >www.x.com</A> now"},
        {"awww.x.com", "awww.x.com"},
        {"www.a<b.com c", "www.a<b.com c"},
        {"www.a\"onclick=x", "www.a\"onclick=x"},
        {"LOLA lol!", "LOLA <I>lol</I>!"},
        {"lol", "<I>lol</I>"},
        {"xLOL LOLx", "xLOL LOLx"},
        {"HTTP://h/www.y www.z",
         "<A href=\"HTTP://h/www.y\" >HTTP://h/www.y</A> <A href=\"HTTP://www.z\" >www.z</A>"},
        {"aQb Q.", "aQb ."}, // a skipped word moves on, an empty replacement ends
        {"LOLLOL LOL", "LOLLOL <I>lol</I>"},
    };
    Talk t;
    CChatModel::Substitution lol, q;
    lol.strKey = "LOL";
    lol.strReplacement = "<I>lol</I>";
    lol.boWholeWord = true;
    q.strKey = "Q";
    q.boWholeWord = true;
    t.m.cfg.substitutions = {lol, q};
    for (const Case& c : cases)
    {
        std::string text = c.text;
        t.m.vAutoLink(text);
        EXPECT_EQ(text, c.result) << c.text;
    }
    // The search goes on behind the inserted anchor: the template's own
    // address is not linked again.
    t.m.cfg.strAutoLinkFormat = "%lnk% (www.t)";
    std::string text = "www.a";
    t.m.vAutoLink(text);
    EXPECT_EQ(text, "<A href=\"HTTP://www.a\" >www.a</A> (www.t)");
}
