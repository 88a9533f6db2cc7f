#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "EngineTick.h"

TEST(EngineTick, IconEveryOtherTickAndSteps)
{
    CEngineTick tick;
    std::vector<uint32_t> icons;
    for (int i = 0; i < 8; ++i)
    {
        const CEngineTick::SAction action = tick.OnTick();
        EXPECT_TRUE(action.step);
        EXPECT_FALSE(action.quit);
        icons.push_back(action.icon);
    }
    EXPECT_EQ(icons, (std::vector<uint32_t>{0, 221, 0, 222, 0, 220, 0, 221}));
}

TEST(EngineTick, EndOnTheNextTick)
{
    CEngineTick tick;
    tick.OnTick();
    tick.RequestEnd();
    CEngineTick::SAction action = tick.OnTick();
    EXPECT_FALSE(action.step);
    EXPECT_TRUE(action.quit);
    EXPECT_EQ(action.icon, 221u); // the animation goes on until then
    EXPECT_TRUE(tick.OnTick().step);

    CEngineTick stay;
    stay.SetQuitWhenEnded(false);
    stay.RequestEnd();
    action = stay.OnTick();
    EXPECT_FALSE(action.step);
    EXPECT_FALSE(action.quit);
    EXPECT_FALSE(stay.IsEndRequested());
}

TEST(EngineTick, CustomParameters)
{
    struct Case
    {
        const char* name;
        bool custom;
    };
    const Case cases[] = {{"cust", true}, {"CUSTOM", true}, {"Cust1", true}, {"cu", false},
                          {"c", false},   {"", false},      {"xcust", false}};
    for (const Case& c : cases)
        EXPECT_EQ(IsCustomParameter(c.name), c.custom) << c.name;
    using Pairs = std::vector<std::pair<std::string, std::string>>;
    EXPECT_EQ(ParseCustomParameters("x=\"1\" y=\"two words\""), (Pairs{{"x", "1"}, {"y", "two words"}}));
    EXPECT_EQ(ParseCustomParameters("a=\"&amp;\""), (Pairs{{"a", "&"}}));
    EXPECT_EQ(ParseCustomParameters("/><evil a=\"1\""), Pairs{});
    EXPECT_EQ(ParseCustomParameters(""), Pairs{});
}
