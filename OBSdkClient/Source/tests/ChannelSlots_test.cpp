#include <gtest/gtest.h>

#include <vector>

#include "ChannelSlots.h"

using namespace OBSdkClient;

namespace
{

class CDummyChannel : public CLPCNotify
{
public:
    void OnLPCLost(uint32_t) override {}
    void OnChannelClosed() override {}
    void OnReconnected() override {}
    void OnMessage(const uint8_t*, uint32_t, uint32_t) override {}
    void OnResponseTimeout(uint32_t) override {}
    void vOnClientGone() override {}
};

} // namespace

TEST(ChannelSlots, EveryIdFrom0To254HoldsOneChannel255None)
{
    CChannelSlots slots;
    std::vector<CDummyChannel> channels(CChannelSlots::kSlotCount);
    for (uint32_t id = 0; id < CChannelSlots::kSlotCount; ++id)
        ASSERT_TRUE(slots.boTake(uint8_t(id), &channels[id])) << id;
    EXPECT_EQ(slots.ulGetCount(), 255u);
    EXPECT_EQ(slots.lpGet(0), &channels[0]);
    EXPECT_EQ(slots.lpGet(254), &channels[254]);

    CDummyChannel extra;
    EXPECT_FALSE(slots.boTake(255, &extra));
    EXPECT_EQ(slots.lpGet(255), nullptr);
    EXPECT_EQ(slots.lpRelease(255), nullptr);
    EXPECT_FALSE(slots.boTake(3, nullptr));
}

TEST(ChannelSlots, ReleaseGivesBackTheChannelOnce)
{
    CChannelSlots slots;
    CDummyChannel a;
    ASSERT_TRUE(slots.boTake(7, &a));
    EXPECT_EQ(slots.lpRelease(7), &a);
    EXPECT_EQ(slots.lpRelease(7), nullptr);
    EXPECT_EQ(slots.ulGetCount(), 0u);
}

TEST(ChannelSlots, BindFlagsFollowTheHubAndResetWithANewChannel)
{
    CChannelSlots slots;
    CDummyChannel a, b;
    ASSERT_TRUE(slots.boTake(9, &a));
    EXPECT_EQ(slots.GetSlot(9).iWord, -1);

    slots.vSetBindState(9, true, false); // 'n'
    EXPECT_TRUE(slots.GetSlot(9).boBound);
    slots.vSetBindState(9, false, true); // 'p'
    EXPECT_FALSE(slots.GetSlot(9).boBound);
    EXPECT_TRUE(slots.GetSlot(9).boBing);
    slots.vSetBindState(9, false, false); // 'o'
    EXPECT_FALSE(slots.GetSlot(9).boBing);

    slots.vSetBindState(9, true, true);
    slots.lpRelease(9);
    ASSERT_TRUE(slots.boTake(9, &b));
    EXPECT_FALSE(slots.GetSlot(9).boBound);
    EXPECT_FALSE(slots.GetSlot(9).boBing);
    slots.vSetBindState(255, true, true); // no slot: nothing to set, nothing broken
}

TEST(ChannelSlots, ReleaseAllVisitsInIdOrderWithTheSlotAlreadyFree)
{
    CChannelSlots slots;
    CDummyChannel a, b, c;
    slots.boTake(200, &c);
    slots.boTake(0, &a);
    slots.boTake(17, &b);
    std::vector<uint8_t> order;
    slots.vReleaseAll(
        [&](CLPCNotify* lpChannel, uint8_t id)
        {
            EXPECT_EQ(slots.lpGet(id), nullptr) << "slot still held while its channel is told";
            EXPECT_NE(lpChannel, nullptr);
            order.push_back(id);
        });
    EXPECT_EQ(order, (std::vector<uint8_t>{0, 17, 200}));
    EXPECT_EQ(slots.ulGetCount(), 0u);
}
