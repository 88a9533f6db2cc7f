#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "StringMap.h"

TEST(StringMap, HashKey)
{
    EXPECT_EQ(CStringMap::HashKey("abc"), 108966u);
    // A byte 0xE9 adds -23.
    EXPECT_EQ(CStringMap::HashKey("a\xE9"), 97u * 33u - 23u);
    EXPECT_EQ(CStringMap::HashKey("\xE9"), static_cast<uint32_t>(-23));
}

TEST(StringMap, InsertLookupAndSet)
{
    CStringMap map(10);
    CStringExt value("sentinel");
    EXPECT_FALSE(map.Lookup("a", value));
    EXPECT_EQ(value, "sentinel");
    EXPECT_EQ(map.GetStartPosition(), kMapEnd);

    map["a"] = "1";
    map.SetAt("b", "2");
    map.SetAt("c", nullptr);
    EXPECT_EQ(map.GetCount(), 3);
    EXPECT_TRUE(map.Lookup("a", value));
    EXPECT_EQ(value, "1");
    EXPECT_TRUE(map.Lookup("c", value));
    EXPECT_EQ(value, "");
    EXPECT_FALSE(map.Lookup("A", value)); // keys are case-sensitive
    map["a"] = "one";
    EXPECT_EQ(map.GetCount(), 3);
    EXPECT_TRUE(map.Lookup("a", value));
    EXPECT_EQ(value, "one");

    uint32_t bucket = 99;
    EXPECT_NE(map.GetAssocAt("b", bucket), nullptr);
    EXPECT_EQ(bucket, CStringMap::HashKey("b") % 17);
}

TEST(StringMap, IteratesBucketsInOrderNewestFirst)
{
    CStringMap map(2); // several blocks
    std::vector<std::string> keys;
    for (int i = 0; i < 40; ++i)
    {
        keys.push_back("key" + std::to_string(i));
        map.SetAt(keys.back(), std::to_string(i).c_str());
    }
    // Expected order: bucket index ascending, within a bucket the latest insertion first.
    std::vector<std::string> expected;
    for (uint32_t b = 0; b < 17; ++b)
        for (auto it = keys.rbegin(); it != keys.rend(); ++it)
            if (CStringMap::HashKey(it->c_str()) % 17 == b)
                expected.push_back(*it);

    std::vector<std::string> seen;
    MapPosition pos = map.GetStartPosition();
    EXPECT_EQ(pos, kMapStart);
    while (pos != kMapEnd)
    {
        CStringExt key, value;
        map.GetNextAssoc(pos, key, value);
        EXPECT_EQ(value, key.substr(3));
        seen.push_back(key);
    }
    EXPECT_EQ(seen, expected);
}

TEST(StringMap, InitHashTable)
{
    CStringMap map(10);
    EXPECT_FALSE(map.InitHashTable(0, true));
    EXPECT_TRUE(map.InitHashTable(5, false));
    uint32_t bucket = 0;
    EXPECT_EQ(map.GetAssocAt("abc", bucket), nullptr); // no array yet
    EXPECT_EQ(bucket, 108966u % 5);
    map["abc"] = "x";
    EXPECT_EQ(map.GetBucketCount(), 5u);
    // Re-initialising a map that holds elements would lose them: refused.
    EXPECT_FALSE(map.InitHashTable(7, true));
    CStringExt value;
    EXPECT_TRUE(map.Lookup("abc", value));
}
