#include "IrcSession.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "NickScheme.h"
#include "RecordingSession.h"

using ChatIrcTest::CEventLog;
using ChatIrcTest::CRecordingSession;
using Events = std::vector<std::string>;

namespace
{

// A session that has had its 800 from ":srv", logged on as "me", with room #r
// created and its names complete with the given users.
struct Fixture
{
    CRecordingSession cnx;
    CEventLog log;
    Fixture()
    {
        cnx.vSetOwner(&log);
        cnx.vSetState(1);
        cnx.vLines({":srv 800 * 1 0 ANON 512 *"});
        cnx.boLogon("me", "Vblt me");
        cnx.boCreateRoom("#r", "n", "", 0);
        cnx.vLines({":srv 353 me = #r :@me bob", ":srv 366 me #r :End of NAMES list"});
        log.events.clear();
        cnx.written.clear();
    }
};

} // namespace

TEST(IrcSession, IrcxReplySetsServerNameAndState)
{
    CRecordingSession cnx;
    CEventLog log;
    cnx.vSetOwner(&log);
    cnx.vSetState(1);
    cnx.vLines({"PING :x"});
    EXPECT_EQ(log.events, (Events{"NumericError(0,,)", "Unparsed(PING :x)"}));
    EXPECT_TRUE(cnx.written.empty());
    log.events.clear();

    cnx.vLines({":srv.example 800 * 1 0 ANON 512 *"});
    EXPECT_EQ(log.events, (Events{"IrcxReady(:srv.example)", "State(2)"}));
    EXPECT_EQ(cnx.strGetServerName(), ":srv.example");
    EXPECT_EQ(cnx.iGetState(), 2);
    log.events.clear();

    cnx.boLogon("me", "Vblt me");
    cnx.written.clear();
    cnx.vLines({"PING :tok", "PING :srv.example"});
    EXPECT_EQ(cnx.written, (Events{"PONG me :tok\r\n", "PONG me :srv.example\r\n"}));
    EXPECT_TRUE(log.events.empty());
}

TEST(IrcSession, LinesBeforeTheIrcxReplyGiveTheirCode)
{
    CRecordingSession cnx;
    CEventLog log;
    cnx.vSetOwner(&log);
    cnx.vLines({":srv 421 * IRCX :Unknown command", "nothing"});
    EXPECT_EQ(log.events, (Events{"NumericError(421,,)", "Unparsed(:srv 421 * IRCX :Unknown command)",
                                  "Unparsed(nothing)"}));
    EXPECT_EQ(cnx.strGetServerName(), "");
}

TEST(IrcSession, ServerNamePrefixNeedsABlank)
{
    Fixture f;
    // ":srvx ..." starts with ":srv" but is another server's line.
    f.cnx.vLines({":srvx 433 * me :Nickname already in use"});
    EXPECT_EQ(f.cnx.iGetState(), 2);
    EXPECT_EQ(f.log.events, (Events{"Unparsed(:srvx 433 * me :Nickname already in use)"}));
}

TEST(IrcSession, LogonAndCommandsOnTheWire)
{
    CRecordingSession cnx;
    CEventLog log;
    cnx.vSetOwner(&log);
    EXPECT_FALSE(cnx.boLogon("", "x"));
    EXPECT_TRUE(cnx.boLogon("me", "Vblt me"));
    EXPECT_TRUE(cnx.boCreateRoom("#r", "n", "k1", 0));
    EXPECT_TRUE(cnx.boCreateRoom("#s", "n", "k1", 2));
    EXPECT_TRUE(cnx.boCreateRoom("#t", "nk", "k1", 2));
    EXPECT_TRUE(cnx.boCreateRoom("#u t", "", "", 0));
    EXPECT_TRUE(cnx.boSay(nullptr, "hello"));
    EXPECT_TRUE(cnx.boSay("bob", "psst"));
    EXPECT_FALSE(cnx.boSay("bob", ""));
    EXPECT_TRUE(cnx.boLeaveRoom("#r"));
    EXPECT_EQ(cnx.written, (Events{
                               "NICK me\r\n",
                               "USER me . . :Vblt me\r\n",
                               "CREATE #r nhk k1\r\n",
                               "CREATE #s nk k1\r\n",
                               "CREATE #t nk k1\r\n",
                               "CREATE '#u\\bt h\r\n",
                               "PRIVMSG '#u\\bt :hello\r\n",
                               "PRIVMSG bob :psst\r\n",
                               "PART #r\r\n",
                           }));
    EXPECT_EQ(log.events,
              (Events{"RoomState(#r,1)", "RoomState(#s,1)", "RoomState(#t,1)", "RoomState(#u t,1)"}));
    EXPECT_EQ(cnx.ulGetSentBytes(),
              [&]
              {
                  size_t n = 0;
                  for (const auto& w : cnx.written)
                      n += w.size();
                  return n;
              }());
    cnx.boWriteOk = false;
    EXPECT_FALSE(cnx.boSay("bob", "x"));
}

// No part of a command, whoever wrote it, starts a second command: CR, LF
// and NUL never reach the wire inside a line, and a line stops at the limit.
TEST(IrcSession, EveryLineIsOneCommandWithinTheLimit)
{
    CRecordingSession cnx;
    const char raw[] = "x\r\nQUIT :x\n\0PRIVMSG #r :y";
    const std::string attack(raw, sizeof raw - 1);
    EXPECT_TRUE(cnx.boLogon("me\r\nQUIT", "Vblt\nme"));
    EXPECT_TRUE(cnx.boCreateRoom("#r\r\nQUIT", "n", "k\r\nQUIT", 2));
    EXPECT_TRUE(cnx.boSay(nullptr, attack));
    EXPECT_TRUE(cnx.boSay("bob\r\nQUIT", attack));
    EXPECT_TRUE(cnx.boLeaveRoom("#r\nQUIT"));
    EXPECT_TRUE(cnx.boSay("bob", std::string(600, 'z')));
    ASSERT_EQ(cnx.written.size(), 7u);
    for (const std::string& line : cnx.written)
    {
        SCOPED_TRACE(line);
        ASSERT_GE(line.size(), 2u);
        EXPECT_LE(line.size(), ChatIrc::CIrcSession::kMaxLineBytes);
        EXPECT_EQ(line.substr(line.size() - 2), "\r\n");
        EXPECT_EQ(line.find_first_of(std::string("\r\n\0", 3)), line.size() - 2);
    }
    // Names and rooms travel IRCX-coded; the text loses its line breaks.
    EXPECT_EQ(cnx.written[0], "NICK 'me\\r\\nQUIT\r\n");
    EXPECT_EQ(cnx.written[2].substr(0, 7), "CREATE ");
    EXPECT_EQ(cnx.written[3], "PRIVMSG '#r\\r\\nQUIT :xQUIT :xPRIVMSG #r :y\r\n");
    EXPECT_EQ(cnx.written[6].size(), ChatIrc::CIrcSession::kMaxLineBytes);
}

// A hostile server's names cannot grow a room's list without bound.
TEST(IrcSession, RoomNamesAreCapped)
{
    CRecordingSession cnx;
    CEventLog log;
    cnx.vSetOwner(&log);
    cnx.vLines({":srv 800 * 1 0 ANON 512 *"});
    cnx.boLogon("me", "me");
    cnx.boCreateRoom("#r", "n", "", 0);
    const size_t cap = ChatIrc::CIrcSession::kMaxRoomNames;
    std::vector<std::string> lines;
    for (size_t n = 0; n < cap + 100;)
    {
        std::string names;
        for (int i = 0; i < 50; ++i, ++n)
            names += " u" + std::to_string(n);
        lines.push_back(":srv 353 me = #r :" + names.substr(1));
    }
    for (const std::string& l : lines)
    {
        const std::string line = l + "\r\n";
        cnx.boFeed(line.data(), line.size());
    }
    CRecordingSession::Room room;
    ASSERT_TRUE(cnx.boGetRoom("#r", room));
    EXPECT_EQ(room.users.size(), cap);
    cnx.vLines({":srv 366 me #r :End", ":late!l@h JOIN :#r"});
    ASSERT_TRUE(cnx.boGetRoom("#r", room));
    EXPECT_EQ(room.users.size(), cap);
    EXPECT_EQ(std::count(log.events.begin(), log.events.end(), "Joined(late,#r)"), 0);
}

TEST(IrcSession, NamesThenEndGiveRoomStateAndJoinsInListOrder)
{
    CRecordingSession cnx;
    CEventLog log;
    cnx.vSetOwner(&log);
    cnx.vLines({":srv 800 * 1 0 ANON 512 *"});
    cnx.boLogon("me", "me");
    cnx.boCreateRoom("#r", "n", "", 0);
    log.events.clear();
    // Joins before the names end are ignored.
    cnx.vLines({":bob!b@h JOIN :#r", ":srv 353 me = #r :@me +bob .cy", ":srv 353 me * #r :dan bob",
                ":srv 366 me #r :End of NAMES list"});
    EXPECT_EQ(log.events, (Events{"RoomState(#r,2)", "Joined(me,#r)", "Joined(bob,#r)", "Joined(cy,#r)",
                                  "Joined(dan,#r)"}));
    CRecordingSession::Room room;
    ASSERT_TRUE(cnx.boGetRoom("#R", room));
    EXPECT_EQ(room.iState, 2);
    EXPECT_EQ(room.users, (Events{"me", "bob", "cy", "dan"}));
}

TEST(IrcSession, UserCommands)
{
    Fixture f;
    f.cnx.vLines({
        ":ann!a@h JOIN :#r",
        ":ann!a@h JOIN :#other",
        ":ann!a@h PRIVMSG #r :hi all",
        ":ann!a@h PRIVMSG me :psst",
        ":ann!a@h PART #r :",
        ":bob!b@h PART :#r",
        ":cy!c@h PART #r",
        ":zed!z@h NOTICE me :x",
    });
    EXPECT_EQ(f.log.events, (Events{"Joined(ann,#r)", "RoomMessage(ann,hi all)", "Private(ann,psst)",
                                    "Left(#r,ann)", "Left(#r,bob)"}));
    CRecordingSession::Room room;
    ASSERT_TRUE(f.cnx.boGetRoom("#r", room));
    EXPECT_EQ(room.users, (Events{"me"}));
    f.log.events.clear();
    f.cnx.vLines({":me!m@h PART #r :"});
    EXPECT_EQ(f.log.events, (Events{"Left(#r,me)"}));
    EXPECT_FALSE(f.cnx.boGetRoom("#r", room));
}

TEST(IrcSession, QuitTakesTheNickOutOfEveryRoomWhateverTheReason)
{
    Fixture f;
    f.cnx.boCreateRoom("#s", "", "", 0);
    f.cnx.vLines({":srv 353 me = #s :me bob ann", ":srv 366 me #s :End"});
    f.log.events.clear();
    f.cnx.vLines({":bob!b@h QUIT :bye", ":ann!a@h QUIT :TimeOut", ":bob!b@h QUIT :bye"});
    EXPECT_EQ(f.log.events, (Events{"Left(#r,bob)", "Left(#s,bob)", "Left(#s,ann)"}));
    // A PART before the QUIT leaves nothing for the QUIT: no doubled event.
    f.cnx.vLines({":dan!d@h JOIN #r", ":dan!d@h PART #r :", ":dan!d@h QUIT :TimeOut"});
    EXPECT_EQ(f.log.events.back(), "Left(#r,dan)");
    EXPECT_EQ(f.log.events.size(), 5u);
}

TEST(IrcSession, NickRefused)
{
    Fixture f;
    f.cnx.vLines({":srv 433 * me :Nickname already in use"});
    EXPECT_EQ(f.log.events, (Events{"NumericError(433,,)", "State(3)"}));
    EXPECT_EQ(f.cnx.iGetState(), 3);
}

TEST(IrcSession, MessageOfTheDayAndOtherReplies)
{
    Fixture f;
    f.cnx.vLines({":srv 375 me :- srv Message of the day -", ":srv 372 me :- Bonjour", ":srv 376 me :End",
                  ":srv 001 me :Welcome"});
    EXPECT_EQ(f.log.events, (Events{"ServerMessage(2,me :- srv Message of the day -)",
                                    "ServerMessage(2,me :- Bonjour)", "ServerMessage(2,me :End)"}));
}

TEST(IrcSession, Kill)
{
    Fixture f;
    f.cnx.vLines({":oper!o@h KILL bob :go away"});
    EXPECT_EQ(f.log.events, (Events{"Killed(#r,bob,oper,)"}));
    f.log.events.clear();
    f.cnx.vSetNotifyLeaveOnKill(true);
    f.cnx.vLines({":oper!o@h KILL me :go away"});
    EXPECT_EQ(f.log.events, (Events{"Killed(#r,me,oper,)", "Left(#r,me)"}));
}

TEST(IrcSession, CodedNamesAreDecoded)
{
    CRecordingSession cnx;
    CEventLog log;
    cnx.vSetOwner(&log);
    cnx.vLines({":srv 800 * 1 0 ANON 512 *"});
    cnx.boLogon("me", "me");
    cnx.boCreateRoom("#\xE9t\xE9", "", "", 0);
    EXPECT_EQ(cnx.written.back(), "CREATE '#\xC3\xA9t\xC3\xA9 h\r\n");
    log.events.clear();
    cnx.vLines({":srv 353 me = '#\xC3\xA9t\xC3\xA9 :'Jos\\bD", ":srv 366 me '#\xC3\xA9t\xC3\xA9 :End",
                ":'Jos\\bD!j@h PRIVMSG '#\xC3\xA9t\xC3\xA9 :salut"});
    EXPECT_EQ(log.events,
              (Events{"RoomState(#\xE9t\xE9,2)", "Joined(Jos D,#\xE9t\xE9)", "RoomMessage(Jos D,salut)"}));
}

TEST(IrcSession, LinesAreJoinedAcrossReadsAndBounded)
{
    CRecordingSession cnx;
    CEventLog log;
    cnx.vSetOwner(&log);
    const std::string stream = ":srv 800 * x\r\n:a!b@c PRIVMSG x :one\r\n";
    for (size_t cut = 0; cut <= stream.size(); ++cut)
    {
        CRecordingSession s;
        CEventLog l;
        s.vSetOwner(&l);
        EXPECT_TRUE(s.boFeed(stream.data(), cut));
        EXPECT_TRUE(s.boFeed(stream.data() + cut, stream.size() - cut));
        EXPECT_EQ(l.lines, (Events{":srv 800 * x\r\n", ":a!b@c PRIVMSG x :one\r\n"})) << "cut " << cut;
        EXPECT_EQ(s.ulGetReceivedBytes(), stream.size());
    }
    const std::string atLimit(CRecordingSession::kMaxPendingBytes, 'a');
    EXPECT_TRUE(cnx.boFeed(atLimit.data(), atLimit.size()));
    EXPECT_FALSE(cnx.boFeed("a", 1));
    CRecordingSession longLine;
    const std::string whole = std::string(20000, 'b') + "\r\n";
    EXPECT_TRUE(longLine.boFeed(whole.data(), whole.size()));
}

namespace
{

// A session with the chat's nickname scheme on its nick hook.
class CSchemeSession : public CRecordingSession
{
public:
    ChatIrc::CNickScheme scheme;
    bool boAcceptNick(std::string& nick, bool leaving) override { return scheme.boAcceptNick(nick, leaving); }
};

} // namespace

TEST(IrcSession, NamesAcceptedOnceWithANickPrefix)
{
    CSchemeSession cnx;
    CEventLog log;
    cnx.scheme.vSetNickPrefix("x_");
    cnx.scheme.vSetPrefixBlocking(true);
    cnx.vSetOwner(&log);
    cnx.vLines({":srv 800 * 1 0 ANON 512 *"});
    cnx.boLogon("me", "me");
    cnx.boCreateRoom("#r", "", "", 0);
    log.events.clear();
    cnx.vLines({":srv 353 x_me = #r :@x_me x_Jo[2ee carl", ":srv 366 x_me #r :End", ":x_bob!b@h JOIN :#r",
                ":dan!d@h JOIN :#r", ":x_bob!b@h QUIT :bye"});
    EXPECT_EQ(log.events, (Events{"RoomState(#r,2)", "Joined(me,#r)", "Joined(Jo.e,#r)", "Joined(bob,#r)",
                                  "Left(#r,bob)"}));
}
