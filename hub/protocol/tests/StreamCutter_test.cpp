#include "StreamCutter.h"

#include <gtest/gtest.h>

#include "LpcClientMessages.h"
#include "LpcHubMessages.h"
#include "ServerMessages.h"
#include "TestBytes.h"

using namespace HubProto;
using namespace HubProtoTest;

namespace
{

// Feeds the blocks one by one and collects every message handed out.
struct Cut
{
    std::vector<Bytes> messages;
    bool malformed = false;
};

Cut FeedAll(CStreamCutter& cutter, const std::vector<Bytes>& blocks)
{
    Cut run;
    for (const Bytes& b : blocks)
    {
        cutter.vFeed(b.data(), uint32_t(b.size()));
        ByteSpan m;
        CStreamCutter::ECut r;
        while ((r = cutter.Next(m)) == CStreamCutter::ECut::Message)
            run.messages.push_back(ToBytes(m));
        if (r == CStreamCutter::ECut::Malformed)
            run.malformed = true;
    }
    return run;
}

Bytes Sample(uint8_t channel, size_t dataLen)
{
    Bytes data(dataLen);
    for (size_t i = 0; i < dataLen; ++i)
        data[i] = uint8_t(i * 7 + channel);
    return EncodeLpcRecvMessage(channel, 1000 + channel, data.data(), uint32_t(dataLen));
}

TEST(StreamCutter, TwoMessagesInOneRead)
{
    CStreamCutter cutter(kLpcFrameLimits);
    const Bytes a = EncodeLpcDisconnect(1), b = Sample(2, 20);
    Cut run = FeedAll(cutter, {Concat({a, b})});
    ASSERT_EQ(run.messages.size(), 2u);
    EXPECT_EQ(run.messages[0], a);
    EXPECT_EQ(run.messages[1], b);
    EXPECT_FALSE(run.malformed);
    EXPECT_EQ(cutter.ulGetBuffered(), 0u);
}

TEST(StreamCutter, OneMessageOverThreeReadsIsHandedOnceWhenComplete)
{
    CStreamCutter cutter(kLpcFrameLimits);
    const Bytes msg = Sample(3, 40);
    // Cut inside the header, then inside the data.
    Cut first = FeedAll(cutter, {Bytes(msg.begin(), msg.begin() + 5)});
    EXPECT_TRUE(first.messages.empty());
    Cut second = FeedAll(cutter, {Bytes(msg.begin() + 5, msg.begin() + 30)});
    EXPECT_TRUE(second.messages.empty());
    EXPECT_EQ(cutter.ulGetBuffered(), 30u);
    Cut third = FeedAll(cutter, {Bytes(msg.begin() + 30, msg.end())});
    ASSERT_EQ(third.messages.size(), 1u);
    EXPECT_EQ(third.messages[0], msg);
    EXPECT_EQ(cutter.ulGetBuffered(), 0u);
}

TEST(StreamCutter, EverySplitOfThreeMessagesGivesThemBackInOrder)
{
    const Bytes m1 = Sample(1, 0), m2 = EncodeLpcConnect(10000, 0x0100007F, 8999), m3 = Sample(3, 17);
    const Bytes stream = Concat({m1, m2, m3});
    for (size_t i = 0; i <= stream.size(); ++i)
        for (size_t j = i; j <= stream.size(); ++j)
        {
            CStreamCutter cutter(kLpcFrameLimits);
            Cut run = FeedAll(cutter, {Bytes(stream.begin(), stream.begin() + i),
                                       Bytes(stream.begin() + i, stream.begin() + j),
                                       Bytes(stream.begin() + j, stream.end())});
            ASSERT_EQ(run.messages.size(), 3u) << i << "," << j;
            EXPECT_EQ(run.messages[0], m1);
            EXPECT_EQ(run.messages[1], m2);
            EXPECT_EQ(run.messages[2], m3);
            // Only the bytes of one incomplete message are ever kept.
            EXPECT_EQ(cutter.ulGetBuffered(), 0u);
        }
}

TEST(StreamCutter, BadTotalLengthsAreProtocolErrors)
{
    const struct
    {
        const char* what;
        FrameLimits limits;
        uint32_t total;
        bool malformed;
    } rows[] = {
        {"lpc 0", kLpcFrameLimits, 0, true},
        {"lpc 7", kLpcFrameLimits, 7, true},
        {"lpc 8", kLpcFrameLimits, 8, false},
        {"lpc max", kLpcFrameLimits, kMaxMessageSize, false},
        {"lpc max+1", kLpcFrameLimits, kMaxMessageSize + 1, true},
        {"lpc 0xFFFFFFFF", kLpcFrameLimits, 0xFFFFFFFF, true},
        {"server 8", kServerFrameLimits, 8, true},
        {"server 33", kServerFrameLimits, 33, true},
        {"server 34", kServerFrameLimits, 34, false},
        {"server max+1", kServerFrameLimits, kMaxMessageSize + 1, true},
    };
    for (const auto& r : rows)
    {
        CStreamCutter cutter(r.limits);
        // Only the header arrives: a bad length is seen before waiting for the rest.
        Bytes header = LpcRaw('d', r.total, 8);
        ByteSpan m;
        cutter.vFeed(header.data(), 8);
        const CStreamCutter::ECut first = cutter.Next(m);
        if (r.malformed)
        {
            EXPECT_EQ(first, CStreamCutter::ECut::Malformed) << r.what;
            EXPECT_EQ(cutter.ulGetBadLength(), r.total) << r.what;
        }
        else
            EXPECT_EQ(first, r.total == 8 ? CStreamCutter::ECut::Message : CStreamCutter::ECut::NeedMore)
                << r.what;
    }
}

TEST(StreamCutter, StaysFailedUntilReset)
{
    CStreamCutter cutter(kLpcFrameLimits);
    const Bytes good = EncodeLpcUnbind(4);
    Bytes bad = LpcRaw('U', 3, 8);
    // The bad header arrives behind a partial message: detected in the FIFO too.
    Cut run = FeedAll(cutter, {Bytes(good.begin(), good.begin() + 4),
                               Concat({Bytes(good.begin() + 4, good.end()), bad}), good});
    ASSERT_EQ(run.messages.size(), 1u);
    EXPECT_TRUE(run.malformed);
    EXPECT_TRUE(cutter.boFailed());
    cutter.vReset();
    Cut after = FeedAll(cutter, {good});
    ASSERT_EQ(after.messages.size(), 1u);
    EXPECT_FALSE(after.malformed);
}

TEST(StreamCutter, LargestMessageArrivesInReceiveSizedBlocks)
{
    const uint32_t kReceiveSize = 32768;
    Bytes data(kMaxMessageSize - 34, 0);
    for (size_t i = 0; i < data.size(); ++i)
        data[i] = uint8_t(i >> 5);
    const Bytes big = BuildServerMessage(1, 2, 0, IoMemberId{}, data.data(), uint32_t(data.size()), false);
    const Bytes kaka = BuildKeepAlive(kDefaultHubId, IoMemberId{});
    const Bytes stream = Concat({big, kaka, big});
    std::vector<Bytes> blocks;
    for (size_t pos = 0; pos < stream.size(); pos += kReceiveSize)
        blocks.emplace_back(stream.begin() + pos,
                            stream.begin() + std::min(stream.size(), pos + kReceiveSize));
    CStreamCutter cutter(kServerFrameLimits);
    Cut run = FeedAll(cutter, blocks);
    ASSERT_EQ(run.messages.size(), 3u);
    EXPECT_EQ(run.messages[0], big);
    EXPECT_EQ(run.messages[1], kaka);
    EXPECT_EQ(run.messages[2], big);
    EXPECT_FALSE(run.malformed);
}

TEST(StreamCutter, FeedingBeforeDrainingKeepsTheRest)
{
    CStreamCutter cutter(kLpcFrameLimits);
    const Bytes a = EncodeLpcDisconnect(1), b = EncodeLpcDisconnect(2), c = EncodeLpcDisconnect(3);
    const Bytes ab = Concat({a, b});
    cutter.vFeed(ab.data(), uint32_t(ab.size()));
    ByteSpan m;
    ASSERT_EQ(cutter.Next(m), CStreamCutter::ECut::Message);
    EXPECT_EQ(ToBytes(m), a);
    Cut rest = FeedAll(cutter, {c});
    ASSERT_EQ(rest.messages.size(), 2u);
    EXPECT_EQ(rest.messages[0], b);
    EXPECT_EQ(rest.messages[1], c);
}

} // namespace
