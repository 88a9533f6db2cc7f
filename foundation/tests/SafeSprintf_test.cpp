#include "SafeSprintf.h"

#include <gtest/gtest.h>

#include <cstring>

TEST(SafeSprintf, CutsAtNAndAlwaysEndsWithNul)
{
    struct Case
    {
        size_t n;
        const char* want;
        int len;
    };
    const Case cases[] = {{0, "", 0}, {3, "abc", 3}, {6, "abc 42", 6}, {10, "abc 42", 6}};
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.n);
        char buf[12];
        std::memset(buf, 'X', sizeof(buf));
        EXPECT_EQ(FdLib::iSafeSprintf(buf, c.n, "abc %d", 42), c.len);
        EXPECT_STREQ(buf, c.want);
        EXPECT_EQ(buf[c.n], '\0');
        if (c.n + 1 < sizeof(buf) && (size_t)c.len == c.n)
        {
            EXPECT_EQ(buf[c.n + 1], 'X'); // nothing written past index n
        }
    }
}
