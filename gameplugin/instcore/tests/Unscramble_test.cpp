#include "Unscramble.h"

#include "ScrambleForTest.h"

#include <gtest/gtest.h>

namespace
{
TEST(Unscramble, RoundTripsWhatTheServerScrambles)
{
    const std::string plain = "URL\xA3\xA3http://127.0.0.1/p.asp?x=1\xA3\xA3";
    for (int32_t lPasses : {1, 2, 3, 17, Scramble::kMaxPasses})
    {
        SCOPED_TRACE(lPasses);
        std::string text = ScrambleForTest::strScramble(plain, lPasses);
        ASSERT_TRUE(Scramble::boUnscramble(text, lPasses));
        EXPECT_EQ(plain, text);
    }
}

TEST(Unscramble, OnePassReversesAndTakesThePositionOff)
{
    std::string text = "0F1A";
    ASSERT_TRUE(Scramble::boUnscramblePass(text));
    // Reversed "A1F0", then minus 0, 1, 2, 3.
    EXPECT_EQ("A0DD", text);
}

TEST(Unscramble, RefusesWhatNoServerSends)
{
    struct SCase
    {
        const char* lpszText;
        int32_t lPasses;
    } cases[] = {{"414", 1}, {"4G", 1}, {"41", 0}, {"41", -3}, {"41", Scramble::kMaxPasses + 1}, {"4 1", 1}};
    for (const SCase& c : cases)
    {
        SCOPED_TRACE(c.lpszText);
        std::string text = c.lpszText;
        EXPECT_FALSE(Scramble::boUnscramble(text, c.lPasses));
        EXPECT_EQ(c.lpszText, text);
    }
}
} // namespace
