#include <gtest/gtest.h>

#include <string>

#include "AboutTitle.h"

namespace
{
// "Z", gap blanks, "e", ... : the word spread by gap.
std::string Spread(const std::string& word, size_t gap)
{
    std::string text;
    for (size_t i = 0; i < word.size(); ++i)
        text += (i ? std::string(gap, ' ') : std::string()) + word[i];
    return text;
}
} // namespace

TEST(AboutTitle, SpreadsClosesAndSwitchesWords)
{
    CAboutTitle title;
    // "Zelto": k = 4, n = 27, a loop of 54 ticks.
    CAboutTitle::STick tick = title.Tick();
    EXPECT_TRUE(tick.setTitle);
    EXPECT_EQ(tick.title, Spread("Zelto", 1));
    for (int i = 2; i < 27; ++i)
        tick = title.Tick();
    EXPECT_EQ(tick.title, Spread("Zelto", 26));
    tick = title.Tick(); // phase 27: widest, and centred from here on
    EXPECT_EQ(tick.title, Spread("Zelto", 27));
    tick = title.Tick(); // phase 28: gap 26 after (27 - 26) * 4 blanks
    EXPECT_EQ(tick.title, std::string(4, ' ') + Spread("Zelto", 26));
    for (int i = 29; i < 54; ++i)
        tick = title.Tick();
    EXPECT_EQ(tick.title, std::string(26 * 4, ' ') + "Z e l t o");
    tick = title.Tick(); // phase 0: end of the first loop, the title stays
    EXPECT_FALSE(tick.setTitle);
    EXPECT_EQ(tick.restartMs, 0u);
    EXPECT_STREQ(title.Word(), "Zelto");
    // The second loop ends with the switch to the maker's name at 60 ms.
    for (int i = 1; i < 54; ++i)
        EXPECT_TRUE(title.Tick().setTitle);
    tick = title.Tick();
    EXPECT_FALSE(tick.setTitle);
    EXPECT_EQ(tick.restartMs, CAboutTitle::kMakerPeriodMs);
    EXPECT_STREQ(title.Word(), "Bramwick");
    // "Bramwick": k = 7, n = 15; the loop starts afresh, centred as it was left.
    tick = title.Tick();
    EXPECT_EQ(tick.title, Spread("Bramwick", 1));
    // Two loops later, back to the service's name at 25 ms.
    for (int i = 2; i < 60; ++i)
        title.Tick();
    tick = title.Tick();
    EXPECT_EQ(tick.restartMs, CAboutTitle::kServicePeriodMs);
    EXPECT_STREQ(title.Word(), "Zelto");
}
