#include "TraceLabel.h"

#include <gtest/gtest.h>

namespace
{
TEST(TraceLabel, NameIdentityAndPadding)
{
    char sz[TraceLabel::kLabelLength + 1];
    TraceLabel::vBuild(sz, "jeu", 0x1A2B);
    EXPECT_STREQ("jeu_00001A2B         ", sz);
    TraceLabel::vBuild(sz, "a-very-long-instance-name", 0xDEADBEEF);
    EXPECT_STREQ("a-very-long-_DEADBEEF", sz);
    TraceLabel::vBuild(sz, nullptr, 1);
    EXPECT_STREQ("NONAME_00000001      ", sz);
}
} // namespace
