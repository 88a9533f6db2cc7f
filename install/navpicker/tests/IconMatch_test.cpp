#include "IconMatch.h"

#include <gtest/gtest.h>

#include <vector>

using namespace FdNavClose;

TEST(IconMatch, EveryByteWithinFifteen)
{
    std::vector<uint8_t> stored(kIconBytes);
    for (size_t i = 0; i < kIconBytes; ++i)
        stored[i] = static_cast<uint8_t>(i * 37);
    struct
    {
        const char* lpszWhat;
        int iAll;     // added to (or taken from, near the top) every byte
        size_t ulOne; // byte changed on its own
        int iOne;     // by this much
        bool boMatch;
    } const cases[] = {
        {"same picture", 0, 0, 0, true},
        {"15 in every byte", 15, 0, 0, true},
        {"16 in the first byte", 0, 0, 16, false},
        {"16 in the last byte", 0, kIconBytes - 1, 16, false},
        {"15 everywhere, 16 in one byte", 15, 300, 1, false},
        {"far off", 100, 0, 0, false},
    };
    for (const auto& c : cases)
    {
        std::vector<uint8_t> window = stored;
        auto shift = [](uint8_t b, int n) { return static_cast<uint8_t>(b < 128 ? b + n : b - n); };
        for (uint8_t& b : window)
            b = shift(b, c.iAll);
        if (c.iOne)
            window[c.ulOne] = shift(window[c.ulOne], c.iOne);
        EXPECT_EQ(c.boMatch, boIconMatches(window.data(), stored.data())) << c.lpszWhat;
        EXPECT_EQ(c.boMatch, boIconMatches(stored.data(), window.data())) << c.lpszWhat << " (the other way)";
    }
}
