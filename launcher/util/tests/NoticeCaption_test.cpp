#include <gtest/gtest.h>

#include "NoticeCaption.h"

TEST(NoticeCaption, TriangleAndIndentFlips)
{
    CNoticeCaption animation;
    for (uint32_t counter = 1; counter <= 250; ++counter)
    {
        const uint32_t spread = animation.Tick();
        const uint32_t m = counter % 82;
        EXPECT_EQ(spread, m < 41 ? m : 82 - m) << counter;
        if (counter == 82 || counter == 164 || counter == 246)
        {
            EXPECT_EQ(spread, 0u);
        }
        // Flips at 41, 123, 205: on between 41 and 122, off until 205.
        const bool on = (counter >= 41 && counter < 123) || (counter >= 205);
        EXPECT_EQ(animation.Indented(), on) << counter;
    }
}

TEST(NoticeCaption, CaptionText)
{
    CNoticeCaption animation;
    animation.Tick(); // n = 1, not indented
    EXPECT_EQ(animation.Caption(), "Z e l t o");
    while (animation.Counter() < 41)
        animation.Tick(); // n = 41, indent on: no leading blanks
    EXPECT_EQ(animation.Caption(), "Z" + std::string(41, ' ') + "e" + std::string(41, ' ') + "l" +
                                       std::string(41, ' ') + "t" + std::string(41, ' ') + "o");
    while (animation.Counter() < 82)
        animation.Tick(); // n = 0, indent on: 82 blanks
    EXPECT_EQ(animation.Caption(), std::string(82, ' ') + "Zelto");
}
