// Cutting the hub's stream: whole messages in order, partial ones kept, a
// broken length ends the stream, and nested receives cannot spoil a message.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "HubStream.h"
#include "LpcHeader.h"
#include "LpcHubMessages.h"

using namespace OBSdkClient;
using namespace HubProto;

namespace
{

using Bytes = std::vector<uint8_t>;

Bytes Message(uint8_t channel, const std::string& text)
{
    return EncodeLpcRecvMessage(channel, kNoMessageId, reinterpret_cast<const uint8_t*>(text.data()),
                                uint32_t(text.size()));
}

Bytes Join(std::initializer_list<Bytes> parts)
{
    Bytes out;
    for (const Bytes& p : parts)
        out.insert(out.end(), p.begin(), p.end());
    return out;
}

struct CCollect
{
    std::vector<Bytes> messages;
    CHubStream::FHandler Handler()
    {
        return [this](const uint8_t* p, uint32_t n) { messages.emplace_back(p, p + n); };
    }
};

} // namespace

TEST(HubStream, OneAndAHalfMessagesDeliverOneAndKeepTheRest)
{
    const Bytes first = Message(1, "first"), second = Message(2, "second message");
    const Bytes all = Join({first, second});
    const size_t cut = first.size() + second.size() / 2;

    CHubStream stream;
    CCollect got;
    ASSERT_TRUE(stream.boFeed(all.data(), uint32_t(cut), got.Handler()));
    ASSERT_EQ(got.messages.size(), 1u);
    EXPECT_EQ(got.messages[0], first);
    EXPECT_EQ(stream.ulGetBuffered(), cut - first.size());

    ASSERT_TRUE(stream.boFeed(all.data() + cut, uint32_t(all.size() - cut), got.Handler()));
    ASSERT_EQ(got.messages.size(), 2u);
    EXPECT_EQ(got.messages[1], second);
    EXPECT_EQ(stream.ulGetBuffered(), 0u);
}

TEST(HubStream, AMessageSplitOverManyReadsComesOnceWhole)
{
    const Bytes m = Join({Message(3, "abc"), Message(4, "")});
    CHubStream stream;
    CCollect got;
    for (uint8_t b : m)
        ASSERT_TRUE(stream.boFeed(&b, 1, got.Handler()));
    ASSERT_EQ(got.messages.size(), 2u);
    EXPECT_EQ(got.messages[0], Message(3, "abc"));
    EXPECT_EQ(got.messages[1].size(), 13u);
}

TEST(HubStream, ALengthOutsideTheLimitsBreaksTheStreamForGood)
{
    for (uint32_t badTotal : {0u, 7u, kMaxMessageSize + 1})
    {
        SCOPED_TRACE(badTotal);
        Bytes bad(8, 0);
        vWriteLpcHeader(bad.data(), 'd', 0, badTotal);
        const Bytes block = Join({Message(1, "ok"), bad});
        CHubStream stream;
        CCollect got;
        EXPECT_FALSE(stream.boFeed(block.data(), uint32_t(block.size()), got.Handler()));
        EXPECT_EQ(got.messages.size(), 1u); // what came before still counts
        const Bytes later = Message(2, "later");
        EXPECT_FALSE(stream.boFeed(later.data(), uint32_t(later.size()), got.Handler()));
        EXPECT_EQ(got.messages.size(), 1u);
        stream.vReset();
        EXPECT_TRUE(stream.boFeed(later.data(), uint32_t(later.size()), got.Handler()));
        EXPECT_EQ(got.messages.size(), 2u);
    }
    // The largest message is still whole.
    Bytes header(8, 0);
    vWriteLpcHeader(header.data(), 'd', 0, kMaxMessageSize);
    CHubStream stream;
    CCollect got;
    EXPECT_TRUE(stream.boFeed(header.data(), 8, got.Handler()));
}

TEST(HubStream, NestedReceiveDuringAHandlerKeepsOrderAndTheMessageIntact)
{
    // m1 arrives split (gathered in the buffer); its handler pumps and
    // receives m4 meanwhile, before m2 and m3 of the outer block are read.
    const Bytes m1 = Message(1, std::string(40, 'x')), m2 = Message(2, "two"), m3 = Message(3, "three"),
                m4 = Message(4, std::string(60, 'y'));
    const Bytes outer = Join({m1, m2, m3});
    const size_t cut = 10;

    CHubStream stream;
    std::vector<Bytes> order;
    bool nested = false;
    CHubStream::FHandler handler;
    handler = [&](const uint8_t* p, uint32_t n)
    {
        Bytes seen(p, p + n);
        order.push_back(seen);
        if (!nested && seen == m1)
        {
            nested = true;
            ASSERT_TRUE(stream.boFeed(m4.data(), uint32_t(m4.size()), handler));
            EXPECT_EQ(Bytes(p, p + n), m1) << "the message being handled was overwritten";
        }
    };
    ASSERT_TRUE(stream.boFeed(outer.data(), uint32_t(cut), handler));
    ASSERT_TRUE(stream.boFeed(outer.data() + cut, uint32_t(outer.size() - cut), handler));
    ASSERT_EQ(order.size(), 4u);
    EXPECT_EQ(order[0], m1);
    EXPECT_EQ(order[1], m2);
    EXPECT_EQ(order[2], m3);
    EXPECT_EQ(order[3], m4);
    EXPECT_EQ(stream.ulGetBuffered(), 0u);
}
