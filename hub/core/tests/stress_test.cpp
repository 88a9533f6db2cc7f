// Three threads send on one link at once (the LPC thread for the client
// requests, the list thread for keep-alives and expiries, the test thread
// for the page) while answers race with their time-outs: the streams stay
// whole and the hub neither stalls nor loses an answer.
#include "HubTestSupport.h"
#include "LpcClientMessages.h"

#include <atomic>
#include <set>
#include <thread>

using namespace HubTest;
using namespace HubProto;

namespace
{

class Stress : public CHubFixture
{
};

constexpr uint32_t kMessages = 800;

TEST_F(Stress, ConcurrentSendsKeepTheStreamsWholeAndEveryAnswerArrives)
{
    Settings().timings.dwTtlTickMs = 1;
    Settings().timings.dwIdentifiedWaitMs = 3; // answers race with their expiry
    ASSERT_TRUE(Restart());
    Mgr().vSetKeepAliveUdp(1);
    Mgr().vSetKeepAliveTcp(1);
    uint8_t channel = 0;
    std::unique_ptr<CLpcTestClient> a;
    ASSERT_TRUE(NewClientWithChannel(a, &channel));
    const std::string link = m_server.Fields("LINK last")["link"];

    std::atomic<bool> stop{false};
    std::atomic<uint32_t> pageSends{0};
    std::thread page(
        [&]
        {
            SAppSend send;
            send.dwSrcId = dwId("LKWE");
            send.dwDstId = dwId("PAGE");
            send.dwPortType = 1;
            while (!stop.load())
                if (Mgr().boSendOnLink(kLoopback, wServerPort(), send))
                    ++pageSends;
        });
    Bytes batch;
    for (uint32_t id = 0; id < kMessages; ++id)
    {
        LpcSendParams p;
        p.dwDstId = dwId("GAME");
        p.bFlags = 0x10;
        p.bChannel = channel;
        p.dwMessageId = id;
        const uint8_t data[4] = {uint8_t(id), uint8_t(id >> 8), 0xAB, 0xCD};
        const Bytes s = EncodeLpcSendMessage(p, data, 4);
        batch.insert(batch.end(), s.begin(), s.end());
        if (id % 100 == 99)
        {
            ASSERT_TRUE(a->boSend(batch));
            batch.clear();
        }
    }
    // Each message gets its answer: with its tag, or after its 'm' without one.
    std::set<uint32_t> answered, timedOut;
    uint32_t untagged = 0;
    for (uint32_t n = 0; n < kMessages; ++n)
    {
        SHubMessage d;
        ASSERT_TRUE(a->boExpect(LPC_RECV_MESSAGE, d)) << n;
        ASSERT_EQ(d.msg.data.ulSize, 4u);
        const uint32_t id = d.msg.data.lpData[0] | (d.msg.data.lpData[1] << 8);
        if (d.msg.dwMessageId == kNoMessageId)
            ++untagged;
        else
        {
            EXPECT_EQ(d.msg.dwMessageId, id);
            answered.insert(id);
        }
    }
    SHubMessage m;
    while (a->boExpect(LPC_IDENTIFIED_TIMEOUT, m, 200))
        timedOut.insert(m.msg.dwTag);
    stop = true;
    page.join();
    EXPECT_EQ(answered.size() + untagged, kMessages);
    EXPECT_EQ(timedOut.size(), untagged);
    for (uint32_t id : answered)
        EXPECT_EQ(timedOut.count(id), 0u) << id;
    EXPECT_GT(pageSends.load(), 0u);
    EXPECT_EQ(m_server.lCounter(link, "bad"), 0);
    EXPECT_GT(m_server.lCounter(link, "kaka_tcp"), 0);
}

} // namespace
