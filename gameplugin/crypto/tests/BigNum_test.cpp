#include "BigNum.h"
#include "HexDigits.h"
#include "TestFiles.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace FdCrypto;

namespace
{

// Expected values computed independently with Python's integers.
CBigNum Num(std::string hex, FdTestKit::SWhere where = FdTestKit::SWhere::here())
{
    FD_TRACE_CALLER(where);
    if (hex.size() % 2)
        hex = "0" + hex;
    std::vector<uint8_t> bytes;
    for (size_t i = 0; i < hex.size(); i += 2)
        bytes.push_back(static_cast<uint8_t>(std::stoul(hex.substr(i, 2), nullptr, 16)));
    CBigNum n;
    EXPECT_TRUE(n.boFromBytes(bytes.data(), bytes.size()));
    return n;
}

std::string Hex(const CBigNum& n, FdTestKit::SWhere where = FdTestKit::SWhere::here())
{
    FD_TRACE_CALLER(where);
    uint8_t bytes[CBigNum::kMaxBytes];
    EXPECT_TRUE(n.boToBytes(bytes, sizeof bytes));
    const std::string hex = FdText::HexText(bytes, sizeof bytes, FdText::HexCase::kLower);
    const size_t first = hex.find_first_not_of('0');
    return first == std::string::npos ? "0" : hex.substr(first);
}

TEST(BigNum, Remainders)
{
    struct SCase
    {
        const char* what;
        const char* a;
        const char* m;
        const char* r;
    };
    const SCase cases[] = {
        // Two divisions whose first quotient estimate is one too large (divisor added back).
        {"add back 1", "7fffffff800000000000000000000000", "800000000000000000000001",
         "7fffffffffffffff00000002"},
        {"add back 2", "800000000000000000000003", "200000000000000000000001", "200000000000000000000000"},
        {"1024 by 256 bits",
         "a170b33839263059f28c105d1fb17c2390c192cfd3ac94af0f21ddb66cad4a268d116ece1738f7d93d9c172411e20b8f6b0"
         "d549b6f"
         "03675a1600a35a099950d836f675cc81e74ef5e8e25d940ed904759531985d5d9dc9f81818e811892f902bd23f0824128b2"
         "f330c5c7f"
         "d0a6a3a4506513270e269e0d37f2a74de452e6b438",
         "8cb1e29c658cda1495e60af593bd04cf0fd630f1f29d0da9953f48f1a09f76b5",
         "57b3d18f2b3df14b58dc8984ec919406d714d096085dd4571f5e78f8b8d50075"},
        {"1000 by 512 bits",
         "7f34b9b5df9e7769b10f4205b4907a70c31012f037b64ce4228c38fb2918f135d25f557203301850c5a38fd547923a73699"
         "4e3bf911a"
         "61dbe22e44158bae97ba94d0eda82f8f6d05584ef8aa38922766581e27a1c08a6a63ec24ede6a46b4cb2424a23d5962217b"
         "eaddbc496"
         "cb8e81973e0becd7b03898d190f9ebdacc",
         "c7a2ea20b2f14c942e05319acb5c74273f98e2774cbd87ad5c90a9587403e430ec66a78795e761d17731af10506bf2efc6f"
         "877186d76b0"
         "7e881ed162ae2eb154",
         "6095776ee14ca9c43a2760edc5f6aa9bce0b2994e99f27429b476f8870647ac4538ff093e350d99e8ff21793e8e109e63be"
         "41cacd7e56c"
         "412403b4c0d52390c"},
        {"512 by one limb",
         "830e07bc1e398f1012bd4acefaecbd389be4bcfc49b64a0872e6cc3ababced2057ee05cde00902c77ebff206867347214cd"
         "d2055930d6e"
         "af14f4733f3e7d1bfb",
         "35850c75", "13bd2d44"},
        {"smaller than m", "1234", "123456789", "1234"},
        {"equal to m", "123456789abcdef0123", "123456789abcdef0123", "0"},
        {"by one", "123456789abcdef0123", "1", "0"},
    };
    for (const SCase& c : cases)
    {
        SCOPED_TRACE(c.what);
        CBigNum r;
        ASSERT_TRUE(CBigNum::boMod(r, Num(c.a), Num(c.m)));
        EXPECT_EQ(c.r, Hex(r));
    }
    CBigNum r;
    EXPECT_FALSE(CBigNum::boMod(r, Num("1234"), CBigNum())) << "modulus 0";
}

TEST(BigNum, Powers)
{
    const char* base =
        "e01f5057ca02135e92b1d3f28ede0d7ac3baea9e13deef86ab1031d0f646e1f40a097c976bf46c697d2caf82eeeacbe"
        "226e875555790f82ec1d3fcff2a3af4d4";
    struct SCase
    {
        const char* what;
        const char* exp;
        const char* m;
        const char* r;
    };
    const SCase cases[] = {
        {"public exponent, 512-bit modulus", "10001",
         "f95e8229451abd81f1d69ed617f5e837d70820fe119a72d174c9df6acc011cdd9474031b7f26144b98289fcd59a54a7bb1f"
         "ee08f571242"
         "425051c1ccd17f9acb",
         "5c23112d942d3df26ffb22c20dbd2dbc151f95c0ad81be7e549dd4397b4473b33f4b4fb32c651ba94e230703d2b1efcf704"
         "23c6cfd5773"
         "0fabce337d124eaec8"},
        {"256-bit exponent and modulus", "a5aa3c814f426dcbb394fb36bb2d420f0f88080b10a3d6b2aa05e11ab2715945",
         "e2c33a4fb774eb5248db40af72158370d269a9a5ae658f33fe3b890b93f448b3",
         "230e3292e596bdd694718704c2d9ca809d6cb00dc7c3f49279826bd4e1cfd49"},
        {"exponent 0", "0", "e2c33a4fb774eb5248db40af72158370d269a9a5ae658f33fe3b890b93f448b3", "1"},
        {"modulus 1", "10001", "1", "0"},
    };
    for (const SCase& c : cases)
    {
        SCOPED_TRACE(c.what);
        CBigNum r;
        ASSERT_TRUE(CBigNum::boModExp(r, Num(base), Num(c.exp), Num(c.m)));
        EXPECT_EQ(c.r, Hex(r));
    }
}

TEST(BigNum, BytesMustFit)
{
    const CBigNum n = Num("0102030405");
    uint8_t out[5] = {};
    EXPECT_FALSE(n.boToBytes(out, 4));
    ASSERT_TRUE(n.boToBytes(out, 5));
    EXPECT_EQ(0x01, out[0]);
    EXPECT_EQ(0x05, out[4]);
    std::vector<uint8_t> wide(CBigNum::kMaxBytes + 1, 0xFF);
    CBigNum tooWide;
    EXPECT_FALSE(tooWide.boFromBytes(wide.data(), wide.size()));
    wide[0] = 0; // leading zeros do not count
    EXPECT_TRUE(tooWide.boFromBytes(wide.data(), wide.size()));
}

} // namespace
