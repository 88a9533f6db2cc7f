#include "VersionText.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace
{
std::string normalise(const char* in, int mode, size_t room = 64)
{
    char out[64];
    std::memset(out, '#', sizeof out);
    vNormaliseVersion(out, room, in, mode);
    return out;
}

int sign(int v)
{
    return (v > 0) - (v < 0);
}
} // namespace

TEST(VersionText, NormaliseTable)
{
    const struct
    {
        const char* in;
        int mode;
        const char* out;
    } cases[] = {
        {"2105", kVersionModeDotted, "2.1.0.05"},
        {"01020304", kVersionModeDotted, "01.02.03.04"},
        {" 2. 1 .0", kVersionModeDotted, "2.1.0"},
        {"210", kVersionModeDotted, "210"},
        {"21a5", kVersionModeDotted, "21a5"},
        {"", kVersionModeDotted, ""},
        {nullptr, kVersionModeDotted, ""},
        {"2.1.0.5", kVersionModeCode, "02010005"},
        {"3.150.2", kVersionModeCode, "03990200"},
        {"2105", kVersionModeCode, "02010005"},
        {"1,2,3,4,5", kVersionModeCode, "01020304"},
        {"2..5", kVersionModeCode, "02000500"},
        {"99999999999999999999.1", kVersionModeCode, "99010000"},
        {"", kVersionModeCode, "00000000"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(normalise(c.in, c.mode), c.out) << (c.in ? c.in : "(null)") << " mode " << c.mode;
}

TEST(VersionText, NormaliseCutsToTheRoom)
{
    EXPECT_EQ(normalise("2.1.0.5", kVersionModeDotted, 4), "2.1");
    EXPECT_EQ(normalise("2.1.0.5", kVersionModeCode, 5), "0201");
    char untouched[2] = {'#', 0};
    vNormaliseVersion(untouched, 0, "2105", kVersionModeDotted);
    EXPECT_EQ(untouched[0], '#');
}

TEST(VersionText, CompareTable)
{
    const struct
    {
        const char* a;
        const char* b;
        int depth;
        int expectedSign;
    } cases[] = {
        {"2.1", "2.1.0.5", 20, -1},
        {"2.1.0", "2.1", 20, 1}, // remaining characters count as greater, even zeros
        {"2105", "2.1.0.5", 20, 0},
        {"2.1.0.5", "2.1.0.5", 20, 0},
        {"2.10", "2.9", 20, 1},
        {"3", "2.99", 0, 1},
        {"2.5", "2.1", 0, 0}, // depth 0: the first component alone decides
        {"2.5", "2.1", -1, 0},
        {"", "", 20, 0},
        {"", "1", 20, -1},
        {"1", "", 20, 1},
        {nullptr, "1", 20, -1},
        {"1", nullptr, 20, -1},
        {"2 . 1", "2.1", 20, 0},
        {"2,1", "2.1", 20, 0},
        // Long digit strings compare by value instead of overflowing.
        {"4294967296", "0", 20, 1},
        {"99999999999999999999", "99999999999999999998", 20, 1},
        {"1.200000000000000000000000000000", "1.2", 20, 1},
        {"1.000000000000000000000000000000000000002", "1.2", 20, 0}, // leading zeros do not count
    };
    for (const auto& c : cases)
    {
        EXPECT_EQ(sign(iCompareVersions(c.a, c.b, c.depth)), c.expectedSign)
            << (c.a ? c.a : "(null)") << " vs " << (c.b ? c.b : "(null)") << " depth " << c.depth;
    }
}

TEST(VersionText, CompareGivesTheDifferenceOfTheFirstUnequalComponents)
{
    EXPECT_EQ(iCompareVersions("2.7", "2.3", 20), 4);
    EXPECT_EQ(iCompareVersions("1", "6", 20), -5);
}
