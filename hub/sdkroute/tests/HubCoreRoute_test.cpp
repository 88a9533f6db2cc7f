// Channels of the library through the hub core (in this process, with short
// times) to the stand-in game server and back.
#include "SdkTestSupport.h"

#include "GameServerControl.h"
#include "InProcessHub.h"
#include "LinkwellMgr.h"

using namespace SdkTest;

namespace
{

const uint32_t kIdentifiedWaitMs = 400;

class SdkThroughHubCore : public testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(game.boConnect()) << "no stand-in game server";
        HubRouting::SHubSettings settings;
        settings.wLpcPort = 0;
        settings.timings.dwIdentifiedWaitMs = kIdentifiedWaitMs;
        settings.timings.dwTtlTickMs = 10;
        mgr.reset(new CLinkwellMgr(host));
        ASSERT_TRUE(mgr->boInit(settings));
        ASSERT_TRUE(mgr->boIsLpcListening());
        Init(GetModuleHandleA(nullptr), mgr->wGetLpcPort());
        server = CHostRecord("127.0.0.1", game.wGamePort());
    }
    void TearDown() override
    {
        while (ulGetInitCount() != 0)
            Term();
        if (mgr)
            mgr->vClose();
        mgr.reset();
    }

    CGameServerControl game;
    HubBench::CNullHost host;
    std::unique_ptr<CLinkwellMgr> mgr;
    CHostRecord server;
};

bool boSendText(CChannelBase& c, const std::string& text, uint32_t dwMessageId = CChannelBase::kNoMessageId,
                bool boUdp = false)
{
    return c.boSend(text.data(), uint32_t(text.size()), dwMessageId, 0, 0, 0, 0, boUdp);
}

} // namespace

TEST_F(SdkThroughHubCore, MessagesDstIdsAndIdentifiedAnswersRoundTrip)
{
    const uint32_t zdp1 = HubProto::dwIdFromText("ZDP1");
    CTestChannel a(server,
                   CChannelConfig(zdp1, 0, CChannelConfig::kTimeNotSet, CChannelConfig::kTimeNotSet, 0));
    CTestChannel b(server);
    EXPECT_NE(a.bGetChannelId(), b.bGetChannelId());
    EXPECT_EQ(a.lpGetClient(), b.lpGetClient());

    // Channel -> hub -> server, echoed back to the same channel only.
    ASSERT_TRUE(boSendText(a, "over tcp"));
    ASSERT_TRUE(boPumpUntil([&] { return a.messages.size() == 1; }));
    EXPECT_EQ(a.messages[0].data, "over tcp");
    EXPECT_EQ(a.messages[0].dwMessageId, CChannelBase::kNoMessageId);
    ASSERT_TRUE(boSendText(b, "over udp", CChannelBase::kNoMessageId, true));
    ASSERT_TRUE(boPumpUntil([&] { return b.messages.size() == 1; }));
    EXPECT_EQ(b.messages[0].data, "over udp");
    EXPECT_EQ(a.messages.size(), 1u);

    // A DstId attached with 'I' brings the server's messages for it ('j').
    ASSERT_TRUE(a.lpGetClient()->boAddDstId(a.bGetChannelId(), HubProto::dwIdFromText("ZDPX")));
    ASSERT_TRUE(boSendText(a, "after I")); // the hub reads requests in order
    ASSERT_TRUE(boPumpUntil([&] { return a.messages.size() == 2; }));
    ASSERT_TRUE(game.boOk("MSG last tcp GAME ZDPX text=pushed"));
    ASSERT_TRUE(boPumpUntil([&] { return a.messages.size() == 3; }));
    EXPECT_EQ(a.messages[2].data, "pushed");

    // An identified message: its answer carries the message id...
    ASSERT_TRUE(boSendText(a, "question", 77));
    ASSERT_TRUE(boPumpUntil([&] { return a.messages.size() == 4; }));
    EXPECT_EQ(a.messages[3].data, "question");
    EXPECT_EQ(a.messages[3].dwMessageId, 77u);
    // ...and its missing answer comes back as a response time-out with the tag.
    ASSERT_TRUE(game.boOk("ANSWER ident off"));
    ASSERT_TRUE(boSendText(a, "unanswered", 78));
    ASSERT_TRUE(boPumpUntil([&] { return a.ulEvents(CChannelBase::kEventResponseTimeout) == 1; }));
    EXPECT_EQ(a.events.back(), std::make_pair(int32_t(3), 78u));
    EXPECT_TRUE(a.boIsOpen());
    ASSERT_TRUE(game.boOk("ANSWER ident on"));

    // 'R' reached the hub before the first send (0 attempts: no reconnection);
    // a server that closes then closes the channel at once.
    ASSERT_TRUE(game.boOk("CLOSE last"));
    ASSERT_TRUE(boPumpUntil([&] { return a.ulEvents(0) == 1 && b.ulEvents(0) == 1; }));
    EXPECT_FALSE(a.boIsOpen());
    EXPECT_EQ(a.lpGetClient(), nullptr);
}
