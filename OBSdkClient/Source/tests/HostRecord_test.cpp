#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <string>

#include "HostRecord.h"

using OBSdkClient::CHostRecord;

TEST(HostRecord, IdentityIsAddressAndPortNotName)
{
    EXPECT_EQ(CHostRecord("alpha", 9000, 0x0100007F), CHostRecord("beta", 9000, 0x0100007F));
    EXPECT_FALSE(CHostRecord("alpha", 9000, 0x0100007F) == CHostRecord("alpha", 9001, 0x0100007F));
    EXPECT_FALSE(CHostRecord("alpha", 9000, 0x0100007F) == CHostRecord("alpha", 9000, 0x0200007F));
}

TEST(HostRecord, MapsOrderByAddressThenPort)
{
    std::map<CHostRecord, int> m;
    m[CHostRecord("b", 1, 2)] = 3;
    m[CHostRecord("a", 9, 1)] = 2;
    m[CHostRecord("c", 5, 1)] = 1;
    m[CHostRecord("same address and port, other name", 5, 1)] = 10;
    ASSERT_EQ(m.size(), 3u);
    auto it = m.begin();
    EXPECT_EQ(it->second, 10); // (1, 5), overwritten through another name
    EXPECT_EQ((++it)->second, 2);
    EXPECT_EQ((++it)->second, 3);
}

TEST(HostRecord, NameIsCutTo128Characters)
{
    const std::string longName(200, 'h');
    CHostRecord r(longName.c_str(), 1);
    EXPECT_EQ(std::strlen(r.szHost), CHostRecord::kHostMax);
    CHostRecord none(nullptr, 1);
    EXPECT_STREQ(none.szHost, "");
}
