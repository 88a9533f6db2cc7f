#include "FrameTargets.h"

#include <gtest/gtest.h>

using namespace FdBrowserHost;

TEST(FrameTargets, ResolvesNamesFromTheRequestersFrame)
{
    // _top holds frames main and game; main holds an unnamed frame and "inner".
    const std::vector<SFrameNode> frames = {{"main", -1}, {"game", -1}, {"", 0}, {"inner", 0}};
    struct
    {
        int self;
        const char* target;
        const char* frame;
        bool known;
    } const cases[] = {
        {3, "", "inner", true},
        {3, "_self", "inner", true},
        {3, "_parent", "main", true},
        {0, "_parent", "_top", true},
        {-1, "_parent", "_top", true},
        {-1, "_self", "_top", true},
        {3, "_top", "_top", true},
        {3, "_blank", "_blank", false},
        {3, "game", "game", true},
        {2, "_self", "_frame2", true},
        {3, "Game", "Game", false},
        {3, "parent.main", "parent.main", false},
        {3, "_blankgame", "_blankgame", false},
        {99, "_self", "_top", true},
    };
    for (const auto& c : cases)
    {
        const STarget t = resolveTarget(frames, c.self, c.target);
        EXPECT_EQ(c.frame, t.strFrame) << c.self << " " << c.target;
        EXPECT_EQ(c.known, t.boKnown) << c.self << " " << c.target;
    }
}
