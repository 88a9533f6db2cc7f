#include "ChatMarkup.h"

#include <gtest/gtest.h>

#include "ChatTextUtil.h"

using namespace ChatModel;

TEST(ChatMarkup, MarkupToText)
{
    EXPECT_EQ(strMarkupToText("a<br>b"), "a\r\nb");
    EXPECT_EQ(strMarkupToText("<b>x</b> &amp; y"), "x & y");
    EXPECT_EQ(strMarkupToText("a>b<c"), "a>b<c");
}

TEST(ChatMarkup, TrimHistoryCutsAtElementEnds)
{
    const std::string h = "<DI_HI>one<BR></DI_HI><DI_HI><b>two</b><DMY/></DI_HI><DI_HI>three</DI_HI>";
    EXPECT_EQ(strTrimHistory(h, 0), h);
    EXPECT_EQ(strTrimHistory(h, static_cast<long>(h.size())), "");
    EXPECT_EQ(strTrimHistory(h, 1), "<DI_HI><b>two</b><DMY/></DI_HI><DI_HI>three</DI_HI>");
    EXPECT_EQ(strTrimHistory(h, 30), "<DI_HI>three</DI_HI>");
}

TEST(ChatMarkup, TrimHistoryWithATagThatNeverCloses)
{
    // The <font> of the first line never closes: the cut falls behind the
    // last line end past the count, so the limit still holds.
    const std::string h = "<DI_HI><font color=red>err</DI_HI><DI_HI>a</DI_HI><DI_HI>b</DI_HI>";
    const std::string t = strTrimHistory(h, 5);
    EXPECT_EQ(t, "");
    const std::string h2 = "<DI_HI><font>x</DI_HI><DI_HI>a</DI_HI><DI_HI>bbbbbbbbbbbbbbbbbbbbbb";
    EXPECT_EQ(strTrimHistory(h2, 5), "<DI_HI>bbbbbbbbbbbbbbbbbbbbbb");
}

TEST(ChatMarkup, WildcardNeedsRoomForBothParts)
{
    EXPECT_TRUE(ChatText::boWildcardMatch("ABCDEF", "abc*"));
    EXPECT_TRUE(ChatText::boWildcardMatch("abcdef", "a*f"));
    EXPECT_FALSE(ChatText::boWildcardMatch("aba", "ab*ba"));
}
