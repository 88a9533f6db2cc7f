// The hub connection and its channel slots, against a hub played by the test.
#include "SdkTestSupport.h"

#include "LpcHeader.h"
#include "LpcHubMessages.h"

using namespace SdkTest;
using namespace HubProto;

namespace
{

Bytes Join(std::initializer_list<Bytes> parts)
{
    Bytes out;
    for (const Bytes& p : parts)
        out.insert(out.end(), p.begin(), p.end());
    return out;
}

Bytes Text(const std::string& s)
{
    return Bytes(s.begin(), s.end());
}

} // namespace

TEST(SdkNoHub, ChannelThrows3006AtOnceAndKeepsNothing)
{
    WSADATA wsa;
    WSAStartup(MAKEWORD(2, 2), &wsa);
    Init(GetModuleHandleA(nullptr), FdTestKit::wFreePort());
    const CHostRecord server("127.0.0.1", 9000);
    // A refused connect is reported as such, not waited out (that would be 3005).
    EXPECT_EQ(CodeOf([&] { CTestChannel c(server); }), 3006u);
    EXPECT_EQ(CodeOf([&] { CTestChannel c(server); }), 3006u) << "a failed client must not stay in the map";
    Term();
    EXPECT_EQ(ulGetInitCount(), 0u);
    WSACleanup();
}

TEST_F(CSdkTest, DefaultHubIsTheLoopbackNameAndTheFirstInitsPort)
{
    Init(nullptr, 1234); // a second Init changes nothing
    const CHostRecord hubRecord = GetDefaultHub();
    EXPECT_STREQ(hubRecord.szHost, "localhost");
    EXPECT_EQ(hubRecord.wPort, hub.wPort());
    EXPECT_EQ(hGetModuleInstance(), GetModuleHandleA(nullptr));
    EXPECT_EQ(ulGetInitCount(), 2u);
}

TEST_F(CSdkTest, OpenSendsTheExactConnectAndTakesTheChannelOfTheAnswer)
{
    hub.vSetAnswer(CFakeHub::AnswerOpens(7));
    {
        CTestChannel first(server);
        EXPECT_TRUE(first.boIsOpen());
        EXPECT_EQ(first.bGetChannelId(), 7);
        CLPCManagedClient* client = first.lpGetClient();
        ASSERT_NE(client, nullptr);
        EXPECT_EQ(client->lpGetChannel(7), &first);
        EXPECT_EQ(client->GetSizeLimits().dwShort, 1466u);

        const Bytes connect =
            CExpect().u8(8).u8('C').u8(1).u8(0).u32(18).u32(10000).u32(0x0100007F).u16(9000).bytes;
        ASSERT_EQ(hub.RequestsOf('C').size(), 1u);
        EXPECT_EQ(hub.RequestsOf('C')[0], connect);
        EXPECT_EQ(hub.RequestsOf('R').size(), 0u) << "65244 attempts leave the hub's parameters";

        // A second server through the same hub: same client, same connection.
        CTestChannel second(server2);
        EXPECT_EQ(second.bGetChannelId(), 8);
        EXPECT_EQ(second.lpGetClient(), client);
        EXPECT_EQ(hub.ulAccepted(), 1u);
        EXPECT_EQ(client->ulGetChannelCount(), 2u);
    }
    ASSERT_TRUE(boHubGot('D', 2));
    EXPECT_EQ(hub.RequestsOf('D')[0], CExpect().u8(8).u8('D').u8(1).u8(0).u32(9).u8(8).bytes);
    EXPECT_EQ(hub.RequestsOf('D')[1], CExpect().u8(8).u8('D').u8(1).u8(0).u32(9).u8(7).bytes);
    EXPECT_EQ(lpClient()->ulGetChannelCount(), 0u);
}

TEST_F(CSdkTest, RefusalOrSilenceThrows3004AndALateAnswerIsGivenBack)
{
    hub.vSetAnswer(
        [](const Bytes& r) -> Bytes
        {
            LpcClientMessage m;
            DecodeLpcClientMessage(r.data(), uint32_t(r.size()), m);
            return r[1] == 'C' ? EncodeLpcConnectionFailed(m.dwServerIp, m.wServerPort) : Bytes{};
        });
    EXPECT_EQ(CodeOf([&] { CTestChannel c(server); }), 3004u);
    EXPECT_EQ(lpClient()->ulGetChannelCount(), 0u);

    // Silence: the open gives up after its 20 s (on the shortened clock).
    CShortWait wait;
    vSetMessageWait(&wait);
    hub.vSetAnswer(nullptr);
    EXPECT_EQ(CodeOf([&] { CTestChannel c(server); }), 3004u);
    ASSERT_FALSE(wait.asked.empty());
    EXPECT_EQ(wait.asked.back(), 20000u);
    vSetMessageWait(nullptr);

    // The hub's late answer opens a channel that nobody takes: it is given back.
    ASSERT_TRUE(hub.boSend(EncodeLpcConnectionSucceeded(0x0100007F, 9000, 42, {})));
    ASSERT_TRUE(boHubGot('D', 1));
    EXPECT_EQ(hub.RequestsOf('D')[0].back(), 42);
    // An answer for a server never asked for goes the same way.
    ASSERT_TRUE(hub.boSend(EncodeLpcConnectionSucceeded(0x0100007F, 7777, 43, {})));
    ASSERT_TRUE(boHubGot('D', 2));
    EXPECT_EQ(hub.RequestsOf('D')[1].back(), 43);

    // ...and the next open waits for its own answer instead of failing at once.
    hub.vSetAnswer(CFakeHub::AnswerOpens(3));
    CTestChannel c(server);
    EXPECT_EQ(c.bGetChannelId(), 3);
    EXPECT_EQ(lpClient()->ulGetChannelCount(), 1u);
}

TEST_F(CSdkTest, ReaderHandsWholeMessagesToTheirChannels)
{
    hub.vSetAnswer(CFakeHub::AnswerOpens(0));
    CTestChannel a(server), b(server2);
    ASSERT_EQ(a.bGetChannelId(), 0);
    ASSERT_EQ(b.bGetChannelId(), 1);

    // One and a half messages: one is handed over, the half is kept.
    const Bytes d1 = EncodeLpcRecvMessage(0, kNoMessageId, Text("first").data(), 5);
    const Bytes d2 = EncodeLpcRecvMessage(0, 9, Text("second").data(), 6);
    const Bytes both = Join({d1, d2});
    const size_t cut = d1.size() + d2.size() / 2;
    ASSERT_TRUE(hub.boSend(Bytes(both.begin(), both.begin() + cut)));
    ASSERT_TRUE(boPumpUntil([&] { return a.messages.size() == 1; }));
    EXPECT_EQ(a.messages[0].data, "first");
    EXPECT_EQ(a.messages[0].dwMessageId, kNoMessageId);
    ASSERT_TRUE(hub.boSend(Bytes(both.begin() + cut, both.end())));
    ASSERT_TRUE(boPumpUntil([&] { return a.messages.size() == 2; }));
    EXPECT_EQ(a.messages[1].data, "second");
    EXPECT_EQ(a.messages[1].dwMessageId, 9u);

    // Dropped: a 'd' for a free slot, one too short for its letter, letters
    // this client does not use. Then every notice of the table.
    Bytes tooShort(12, 0);
    vWriteLpcHeader(tooShort.data(), 'd', 0, 12);
    tooShort[8] = 1;
    ASSERT_TRUE(hub.boSend(Join({
        EncodeLpcRecvMessage(99, 1, Text("lost").data(), 4),
        tooShort,
        EncodeLpcAckableTimeout(1, 4),
        EncodeLpcResponseAck(1, 4),
        EncodeLpcDstIdRefused(dwIdFromText("ZZZZ")),
        EncodeLpcRecvMessageDstId(1, dwIdFromText("ZDP2"), 77, Text("to dst").data(), 6),
        EncodeLpcCnxReconnected(1),
        EncodeLpcIdentifiedTimeout(1, 0x12345678),
        EncodeLpcBindReceived(1),
    })));
    ASSERT_TRUE(boPumpUntil([&] { return b.events.size() == 2 && lpClient()->GetSlot(1).boBound; }));
    ASSERT_EQ(b.messages.size(), 1u);
    EXPECT_EQ(b.messages[0].data, "to dst");
    EXPECT_EQ(b.messages[0].dwMessageId, 77u);
    EXPECT_EQ(b.events[0], std::make_pair(int32_t(1), 0u));
    EXPECT_EQ(b.events[1], std::make_pair(int32_t(3), 0x12345678u));
    EXPECT_EQ(a.messages.size(), 2u);

    ASSERT_TRUE(hub.boSend(EncodeLpcBingReceived(1)));
    ASSERT_TRUE(boPumpUntil([&] { return lpClient()->GetSlot(1).boBing; }));
    EXPECT_FALSE(lpClient()->GetSlot(1).boBound);
    ASSERT_TRUE(hub.boSend(EncodeLpcBindTimeout(1)));
    ASSERT_TRUE(boPumpUntil([&] { return !lpClient()->GetSlot(1).boBing; }));

    // Closed by the hub: the channel hears it once and its slot is free.
    ASSERT_TRUE(hub.boSend(Join({EncodeLpcCnxLost(1), EncodeLpcChannelClosed(1)})));
    ASSERT_TRUE(boPumpUntil([&] { return b.ulEvents(0) == 1; }));
    EXPECT_FALSE(b.boIsOpen());
    EXPECT_EQ(lpClient()->lpGetChannel(1), nullptr);
    EXPECT_TRUE(a.boIsOpen());
}

TEST_F(CSdkTest, ABrokenStreamIsALostHub)
{
    hub.vSetAnswer(CFakeHub::AnswerOpens(0));
    CTestChannel a(server), b(server2);
    Bytes bad(8, 0);
    vWriteLpcHeader(bad.data(), 'd', 0, 3);
    ASSERT_TRUE(hub.boSend(bad));
    ASSERT_TRUE(boPumpUntil([&] { return a.ulEvents(2) == 1 && b.ulEvents(2) == 1; }));
    EXPECT_EQ(lpClient()->ulGetChannelCount(), 0u);
    EXPECT_EQ(CodeOf([&] { CTestChannel c(server); }), 3004u);
}

TEST_F(CSdkTest, LostHubTellsEachChannelOnceThenOpensFailUntilTheLastTerm)
{
    for (bool reset : {false, true})
    {
        SCOPED_TRACE(reset ? "reset" : "closed");
        hub.vSetAnswer(CFakeHub::AnswerOpens(10));
        {
            CTestChannel a(server), b(server2);
            const size_t accepted = hub.ulAccepted();
            hub.vCloseAll(reset);
            ASSERT_TRUE(boPumpUntil([&] { return a.ulEvents(2) == 1 && b.ulEvents(2) == 1; }));
            EXPECT_EQ(a.events.size(), 1u);
            EXPECT_EQ(b.events.size(), 1u);
            EXPECT_EQ(a.lpGetClient(), nullptr);
            EXPECT_FALSE(a.boSend("x", 1, CChannelBase::kNoMessageId, 0, 0, 0, 0, false));
            EXPECT_EQ(lpClient()->ulGetChannelCount(), 0u);

            // The dead connection stays: no reconnection, every open fails.
            EXPECT_EQ(CodeOf([&] { CTestChannel c(server); }), 3004u);
            EXPECT_EQ(CodeOf([&] { CTestChannel c(server2); }), 3004u);
            EXPECT_EQ(hub.ulAccepted(), accepted);
        } // destroying channels of a lost hub sends nothing and does not fail

        Term();
        Init(GetModuleHandleA(nullptr), hub.wPort());
        const size_t accepted = hub.ulAccepted();
        CTestChannel again(server);
        EXPECT_TRUE(again.boIsOpen());
        EXPECT_EQ(hub.ulAccepted(), accepted + 1);
    }
}

TEST_F(CSdkTest, TwoInitsAndOneTermKeepTheConnection)
{
    hub.vSetAnswer(CFakeHub::AnswerOpens(0));
    Init(GetModuleHandleA(nullptr), hub.wPort());
    CTestChannel c(server);
    Term();
    ASSERT_TRUE(c.boSend("still", 5, CChannelBase::kNoMessageId, 0, 0, 0, 0, false));
    ASSERT_TRUE(boHubGot('S', 1));
    EXPECT_EQ(hub.ulClosedByClient(), 0u);

    // The last Term closes it; the channel loses its client without notice.
    Term();
    ASSERT_TRUE(boPumpUntil([&] { return hub.ulClosedByClient() == 1; }));
    EXPECT_EQ(c.lpGetClient(), nullptr);
    EXPECT_FALSE(c.boIsOpen());
    EXPECT_TRUE(c.events.empty());
    EXPECT_FALSE(c.boSend("late", 4, CChannelBase::kNoMessageId, 0, 0, 0, 0, false));
}
