#include "NickScheme.h"

#include <gtest/gtest.h>

#include "ChatTextUtil.h"

using ChatIrc::CFlaggedNames;
using ChatIrc::CNickScheme;
using ChatIrc::SplitList;
using ChatIrc::strAddCommandAttributes;
using Items = std::vector<std::string>;

TEST(NickScheme, EscapeAndUnescape)
{
    CNickScheme s;
    struct Case
    {
        const char* nick;
        const char* wire;
    } cases[] = {
        {"Jo.e", "Jo[2ee"}, {"\xF9", "[f9"}, {"ann", "ann"}, {"a@b/c", "a[40b[2fc"}, {"[", "["},
    };
    for (const Case& c : cases)
    {
        EXPECT_EQ(s.strEscapeNick(c.nick), c.wire) << c.nick;
        EXPECT_EQ(s.strUnescapeNick(c.wire), c.nick) << c.wire;
    }
    EXPECT_EQ(s.strEscapeNick(nullptr), "");
    EXPECT_EQ(s.strUnescapeNick("[00"), "[00");
    EXPECT_EQ(s.strUnescapeNick("a[zz["), "a[zz[");
    EXPECT_EQ(s.strUnescapeNick("[2"), "[2");

    s.vSetSecondMark("]");
    s.vSetSecondSet("xyzQRSTUVWKLMNOPGHIJ");
    EXPECT_EQ(s.strGetSecondSet().size(), ChatIrc::kMaxSecondSet);
    EXPECT_EQ(s.strEscapeNick("ay.z"), "a]1[2e]2");
    EXPECT_EQ(s.strUnescapeNick("a]1[2e]2"), "ay.z");
    EXPECT_EQ(s.strUnescapeNick("]g"), "]g");
}

// Two wire nicks never show as one name: only the escape the scheme itself
// writes for a character that needs one is undone.
TEST(NickScheme, OnlyCanonicalEscapesAreUndone)
{
    CNickScheme s;
    struct Case
    {
        const char* wire;
        const char* shown;
    } cases[] = {
        {"[61nn", "[61nn"},   // 'a' needs no escape: not "ann"
        {"Jo[2Ee", "Jo[2Ee"}, // upper-case digits are not the scheme's
        {"Jo[2ee", "Jo.e"},   // the canonical escape
        {"a[2e[61", "a[2e[61"}, // one needless escape spoils the whole nick
        {"[3c", "<"},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.wire);
        EXPECT_EQ(s.strUnescapeNick(c.wire), c.shown);
        std::string nick = c.wire;
        EXPECT_TRUE(s.boAcceptNick(nick, false));
        EXPECT_EQ(nick, c.shown);
    }
    s.vSetSecondMark("]");
    s.vSetSecondSet("xyz");
    // 'y' escaped by the first mark is not how the scheme writes it.
    EXPECT_EQ(s.strUnescapeNick("a[79"), "a[79");
    EXPECT_EQ(s.strUnescapeNick("a]1"), "ay");
}

TEST(NickScheme, PrefixRule)
{
    CNickScheme s;
    s.vSetNickPrefix("x_");
    s.vSetPrefixBlocking(true);
    std::string nick = "x_bob";
    EXPECT_TRUE(s.boAcceptNick(nick, false));
    EXPECT_EQ(nick, "bob");
    nick = "bob";
    EXPECT_FALSE(s.boAcceptNick(nick, false));
    s.vSetPrefixBlocking(false);
    EXPECT_TRUE(s.boAcceptNick(nick, false));
    EXPECT_EQ(nick, "bob");

    std::string own = "Jo.e";
    s.vNickForWire(own);
    EXPECT_EQ(own, "x_Jo[2ee");
}

TEST(NickScheme, CodedNicksAndVersions)
{
    CNickScheme s;
    s.vSetKey("room key");
    const std::string coded438 = ChatText::strProtect8("bob", s.strGetStoredKey(), 4.38);
    struct Case
    {
        int ncki;
        double minVersion;
        const std::string nick;
        bool accepted;
        const char* version;
    } cases[] = {
        {2, -1.0, coded438, true, "4.38"}, {2, -1.0, "bob", true, "NOCR"}, {1, -1.0, coded438, true, "4.38"},
        {1, -1.0, "bob", false, ""},       {3, -1.0, coded438, false, ""}, {3, -1.0, "bob", true, "NOCR"},
        {1, 5.0, coded438, false, ""},     {2, 5.0, coded438, false, ""},  {2, 5.0, "bob", true, "NOCR"},
        {0, -1.0, coded438, true, ""},
    };
    for (const Case& c : cases)
    {
        CNickScheme t;
        t.vSetKey("room key");
        t.vSetNickAccept(c.ncki);
        t.vSetMinNickVersion(c.minVersion);
        std::string nick = c.nick;
        EXPECT_EQ(t.boAcceptNick(nick, false), c.accepted) << "NCKI " << c.ncki << " min " << c.minVersion;
        if (c.accepted && c.ncki != 0)
        {
            EXPECT_EQ(nick, "bob");
        }
        EXPECT_EQ(t.strGetNickVersion("bob"), c.version) << "NCKI " << c.ncki;
    }
    // A maximum refuses newer nicks; a leaving user's version is forgotten.
    s.vSetMaxNickVersion(4.0);
    std::string nick = coded438;
    EXPECT_FALSE(s.boAcceptNick(nick, false));
    s.vSetMaxNickVersion(-1.0);
    nick = coded438;
    EXPECT_TRUE(s.boAcceptNick(nick, false));
    EXPECT_EQ(s.strGetNickVersion("bob"), "4.38");
    nick = coded438;
    EXPECT_TRUE(s.boAcceptNick(nick, true));
    EXPECT_EQ(s.strGetNickVersion("bob"), "");
}

TEST(NickScheme, OwnNickCoding)
{
    CNickScheme s;
    s.vSetKey("k");
    s.vSetOwnNickCoding(1);
    std::string own = "Jo.e";
    s.vNickForWire(own);
    std::string back = own;
    double version = 0;
    ASSERT_TRUE(ChatText::boUnprotect8(back, s.strGetStoredKey(), version));
    EXPECT_EQ(back, "Jo[2ee");
    EXPECT_DOUBLE_EQ(version, 4.38);
    // The receiving side decodes and unescapes it.
    std::string received = own;
    EXPECT_TRUE(s.boAcceptNick(received, false));
    EXPECT_EQ(received, "Jo.e");
    // A nick seen plain is sent plain.
    std::string plain = "bob";
    s.boAcceptNick(plain, false);
    s.vNickForWire(plain);
    EXPECT_EQ(plain, "bob");
}

TEST(NickScheme, Texts)
{
    CNickScheme s;
    s.vSetKey("k");
    std::string text = "bonjour";
    s.vTextForWire(text);
    EXPECT_EQ(text, "bonjour");
    s.vSetSendCoding(1);
    s.vTextForWire(text);
    EXPECT_NE(text, "bonjour");
    const std::string coded = text;

    struct Case
    {
        int rule;
        bool isPrivate;
        std::string in;
        bool accepted;
        const char* out;
    } cases[] = {
        {0, false, coded, true, coded.c_str()},
        {1, false, coded, true, "bonjour"},
        {1, false, "hi", false, "hi"},
        {2, false, coded, true, "bonjour"},
        {2, false, "hi", true, "hi"},
        {3, false, coded, false, ""},
        {3, false, "hi", true, "hi"},
        {1, true, "hi", false, "hi"},
        {3, true, coded, false, ""},
    };
    for (const Case& c : cases)
    {
        CNickScheme t;
        t.vSetKey("k");
        if (c.isPrivate)
            t.vSetPrivateAccept(c.rule);
        else
            t.vSetReceiveAccept(c.rule);
        std::string value = c.in;
        EXPECT_EQ(t.boAcceptText(c.isPrivate, value), c.accepted) << "rule " << c.rule << " " << c.in;
        if (c.accepted)
        {
            EXPECT_EQ(value, c.out);
        }
    }
}

TEST(NickScheme, RoomNames)
{
    CNickScheme s;
    EXPECT_EQ(s.strRoomForWire("#r"), "#r");
    s.vSetRoomCoding(1);
    s.vSetKey("k");
    for (bool check : {false, true})
    {
        s.vSetRoomCheck(check);
        const std::string wire = s.strRoomForWire("#salon");
        ASSERT_GE(wire.size(), 8u);
        EXPECT_EQ(wire[0], '#');
        EXPECT_EQ(s.strRoomFromWire(wire), "#salon");
    }
    EXPECT_EQ(s.strRoomFromWire("#plainroom"), "#plainroom");
}

TEST(NickScheme, Key)
{
    CNickScheme s;
    s.vSetKey("t0p s3cret");
    EXPECT_EQ(s.strGetKey(), "t0p s3cret");
    EXPECT_NE(s.strGetStoredKey(), "t0p s3cret");
    s.vSetKey("");
    EXPECT_EQ(s.strGetKey(), "");
}

TEST(NickScheme, CommandAttributes)
{
    EXPECT_EQ(strAddCommandAttributes("<DYN_SND TEXT=x><act_nav><ACT_SETFLD/><B><DYN_SNDX>", "go", -12),
              "<DYN_SND CN=\"go\" CS=\"-12\" TEXT=x><act_nav CN=\"go\" CS=\"-12\"><ACT_SETFLD CN=\"go\" "
              "CS=\"-12\"/>"
              "<B><DYN_SNDX>");
    EXPECT_EQ(strAddCommandAttributes("<DYN_NAV>", "a\"b", 7), "<DYN_NAV CN=\"a&quot;b\" CS=\"7\">");
    EXPECT_EQ(strAddCommandAttributes("plain <", "n", 1), "plain <");
}

TEST(NickScheme, SplitList)
{
    EXPECT_EQ(SplitList("a| |b", "|"), (Items{"a", "b"}));
    EXPECT_EQ(SplitList(" x ;; y;", ";"), (Items{"x", "y"}));
    EXPECT_EQ(SplitList("NONE", "|"), Items{});
    EXPECT_EQ(SplitList("none", ","), Items{});
    EXPECT_EQ(SplitList("", ","), Items{});
    EXPECT_EQ(SplitList("a::b", "::"), (Items{"a", "b"}));
}

TEST(NickScheme, FlaggedNames)
{
    CFlaggedNames names;
    EXPECT_TRUE(names.boInsert("Ann", 1));
    EXPECT_FALSE(names.boInsert("ann", 2));
    names.vSetFlags("bob", 2);
    names.vSetFlags("ANN", 5);
    EXPECT_EQ(names.uGetFlags("ann"), 5);
    EXPECT_EQ(names.uGetFlags("cy"), 0);
    EXPECT_EQ(names.uCountWithout(0), 2u);
    EXPECT_EQ(names.uCountWithout(4), 1u);
    std::string name;
    uint16_t flags = 0;
    ASSERT_TRUE(names.boAt(1, name, flags));
    EXPECT_EQ(name, "bob");
    EXPECT_EQ(flags, 2);
    EXPECT_FALSE(names.boAt(2, name, flags));
    EXPECT_TRUE(names.boRemove("BOB"));
    EXPECT_FALSE(names.boRemove("bob"));
    names.vClear();
    EXPECT_EQ(names.uSize(), 0u);
}
