#include "ActionBuffer.h"

#include "ParamList.h"
#include "TestBuffer.h"

#include <gtest/gtest.h>

using PageAction::EBufferStatus;

namespace
{
struct SCase
{
    const char* lpszName;
    std::string bytes;
    EBufferStatus eStatus;
    size_t ulPayload;
    int32_t lAction;
};

TEST(ActionBuffer, StatusPayloadAndActionOfEachBufferForm)
{
    const std::string block = "$$eop$$cmd$$page.htm$$url$$1$$action";
    const SCase cases[] = {
        {"seven bytes", "$action", EBufferStatus::TooShort, 0, 0},
        {"empty", "", EBufferStatus::TooShort, 0, 0},
        {"block alone", block, EBufferStatus::Ok, 0, 1},
        {"upper-case suffix", "$$eop$$cmd$$4$$ACTION", EBufferStatus::Ok, 0, 4},
        {"suffix cut short", "$$eop$$cmd$$1$$actio", EBufferStatus::BadSuffix, 0, 0},
        {"suffix alone", "$$action", EBufferStatus::BadBlock, 0, 0},
        {"no cmd=eop", "$$x$$y$$1$$action", EBufferStatus::BadBlock, 0, 0},
        {"payload with NULs", std::string("PK\0\x01\xFFZ", 6) + block, EBufferStatus::Ok, 6, 1},
        {"action not a number", "$$eop$$cmd$$zz$$action", EBufferStatus::Ok, 0, 0},
    };
    for (const SCase& c : cases)
    {
        SCOPED_TRACE(c.lpszName);
        CTestBuffer buffer(c.bytes);
        CParamList list(CParamList::kszActionSeparator);
        size_t ulPayload = 99;
        EXPECT_EQ(c.eStatus, PageAction::eReadActionBuffer(c.bytes.empty() ? nullptr : buffer.c(),
                                                           buffer.size(), list, &ulPayload));
        EXPECT_EQ(c.ulPayload, ulPayload);
        EXPECT_EQ(c.lAction, PageAction::lGetAction(list));
    }
}

TEST(ActionBuffer, BlockPairsComeInListOrderFromTheEnd)
{
    CTestBuffer buffer("XYZ$$eop$$cmd$$_top$$FRAME$$page.htm$$URL$$1$$action");
    CParamList list(CParamList::kszActionSeparator);
    size_t ulPayload = 0;
    ASSERT_EQ(EBufferStatus::Ok, PageAction::eReadActionBuffer(buffer.c(), buffer.size(), list, &ulPayload));
    EXPECT_EQ(3u, ulPayload);
    EXPECT_STREQ("action$$1$$URL$$page.htm$$FRAME$$_top$$cmd$$eop$$", list.lpszSerialize(false));
}
} // namespace
