#include "ResStringBase.h"

#include <gtest/gtest.h>

#include <string>

using FdBase::CResStringBase;

namespace
{

HINSTANCE ThisModule(uint32_t, char*, uint32_t)
{
    return GetModuleHandleA(nullptr);
}

} // namespace

TEST(ResStringBase, NullGetterLeavesItEmpty)
{
    CResStringBase s(101, "prefix", 64, nullptr);
    EXPECT_STREQ(s.lpszGetText(), "");
    EXPECT_EQ(s.dwGetSize(), 0u);
}

TEST(ResStringBase, LoadsBehindThePrefixWithinTheRoom)
{
    struct Case
    {
        uint32_t id;
        const char* prefix;
        uint32_t size;
        const char* want;
        uint32_t room;
    };
    const Case cases[] = {
        {101, nullptr, 64, "Linkwell - déconnecté", 64},
        {102, "Etat : ", 64, "Etat : Linkwell - connecté", 57},
        {101, nullptr, 8, "Linkwell", 8},
        {101, "ab", 6, "abLink", 4},
        {999, nullptr, 64, "Could not find the resource string #999 !", 64},
        {999, "x", 12, "xCould not f", 11},
        // A prefix longer than the whole buffer is cut to it; nothing is loaded.
        {101, "a prefix far longer than the room", 8, "a prefix", 0},
        {101, "exactly8", 8, "exactly8", 0},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.want);
        CResStringBase s(c.id, c.prefix, c.size, &ThisModule);
        EXPECT_EQ(std::string(s.lpszGetText()), c.want);
        EXPECT_EQ(s.dwGetSize(), c.room);
    }
}
