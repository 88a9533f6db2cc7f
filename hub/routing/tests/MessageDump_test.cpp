#include "MessageDump.h"

#include <gtest/gtest.h>

using namespace HubRouting;

namespace
{

TEST(MessageDump, SixteenBytesPerLineWithMissingOnesAsDots)
{
    std::vector<uint8_t> m;
    for (int i = 0; i < 18; ++i)
        m.push_back(uint8_t('A' + i));
    m[1] = 0x01;
    const auto lines = DumpLines(m.data(), uint32_t(m.size()));
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0], "Addr 0000 : A?CDEFGHIJKLMNOP | 41 01 43 44 45 46 47 48 49 4A 4B 4C 4D 4E 4F 50");
    EXPECT_EQ(lines[1], "Addr 0010 : QR.............. | 51 52");
}

TEST(MessageDump, EmptyMessageHasNoLine)
{
    EXPECT_TRUE(DumpLines(nullptr, 5).empty());
    const uint8_t b = 0;
    EXPECT_TRUE(DumpLines(&b, 0).empty());
}

TEST(MessageDump, LostMessageAsLittleEndianWords)
{
    const uint8_t m[] = {0x22, 0x00, 0x01, 0x00, 0xAB};
    EXPECT_EQ(LostMessageWords(m, 5), "0022 0001 00AB ");
    EXPECT_EQ(LostMessageWords(m, 0), "");
}

TEST(MessageDump, LostMessageIsCutToItsBound)
{
    std::vector<uint8_t> m(kLostMessageShownBytes + 100, 0x11);
    EXPECT_EQ(LostMessageWords(m.data(), uint32_t(m.size())).size(), kLostMessageShownBytes / 2 * 5);
}

} // namespace
