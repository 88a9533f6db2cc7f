#include "AnswerUrl.h"

#include "ParamList.h"

#include <gtest/gtest.h>

namespace
{
TEST(AnswerUrl, QueryJoinsTheExistingOne)
{
    EXPECT_EQ("p.asp?x=1&params=a%A3%A31%A3%A3", AnswerUrl::strBuild("p.asp?x=1", "a%A3%A31%A3%A3"));
    EXPECT_EQ("p.asp?params=a", AnswerUrl::strBuild("p.asp", "a"));
    EXPECT_EQ("p.asp?x=1", AnswerUrl::strBuild("p.asp?x=1", ""));
}

TEST(AnswerUrl, PageTextLeavesOutTargetAndFrameAndRestoresTheList)
{
    CParamList list(CParamList::kszSeparator);
    list.vAdd("TURL", "http://127.0.0.1/p.asp");
    list.vAdd("NUMERR", "16");
    list.vAdd("BFRM", "main");
    list.vAdd("APPID", "0");
    EXPECT_EQ("NUMERR%A3%A316%A3%A3APPID%A3%A30%A3%A3", AnswerUrl::strSerializeForPage(list));
    EXPECT_STREQ(CParamList::kszSeparator, list.lpszGetSeparator());
    EXPECT_STREQ("TURL\xA3\xA3http://127.0.0.1/p.asp\xA3\xA3NUMERR\xA3\xA3"
                 "16\xA3\xA3"
                 "BFRM\xA3\xA3main\xA3\xA3"
                 "APPID\xA3\xA3"
                 "0\xA3\xA3",
                 list.lpszSerialize(false));
}
} // namespace
