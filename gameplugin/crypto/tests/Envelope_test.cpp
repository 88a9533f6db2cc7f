#include "CryptoCodes.h"
#include "Envelope.h"
#include "Fixtures.h"
#include "TestFiles.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

using namespace FdCrypto;
using namespace FdCryptoTest;

namespace
{

CKeyRecord LoadKey(const std::string& name, FdTestKit::SWhere where = FdTestKit::SWhere::here())
{
    FD_TRACE_CALLER(where);
    const std::string text = ReadText(FixturePath(name));
    CKeyRecord record;
    const CSecurityStatus status = DecodeKeyText(text.data(), text.size(), record);
    EXPECT_TRUE(status.boOk()) << name << ": " << status.text;
    return record;
}

void ExpectOpens(const SFixture& f, const CKeyRecord& key)
{
    SCOPED_TRACE(f.file);
    const std::vector<uint8_t> data = ReadBytes(FixturePath("envelopes/" + f.file));
    std::vector<uint8_t> plain = {0xEE};
    const CSecurityStatus status = OpenEnvelope(data.data(), data.size(), key, plain);
    if (f.ok)
    {
        EXPECT_EQ(kSecOk, status.dwCode) << status.text;
        EXPECT_EQ(f.plain, plain);
    }
    else
    {
        EXPECT_EQ(f.code, status.dwCode);
        EXPECT_EQ(FormatLibError(f.lib), status.text);
        EXPECT_TRUE(plain.empty());
    }
}

class EnvelopeFixtures : public ::testing::Test
{
protected:
    void SetUp() override
    {
        keys[0] = LoadKey("key0.txt");
        keys[1] = LoadKey("key1.txt");
        fixtures = LoadManifest();
    }

    // A binary envelope with the given parts, letter "B".
    static std::vector<uint8_t> Build(const std::vector<uint8_t>& content, const std::vector<uint8_t>& encKey,
                                      uint32_t keyLenField, uint32_t remField, size_t fillerLen)
    {
        std::vector<uint8_t> out(content);
        out.insert(out.end(), encKey.begin(), encKey.end());
        for (int i = 0; i < 4; ++i)
            out.push_back(static_cast<uint8_t>(keyLenField >> (8 * i)));
        out.insert(out.end(), 8, 0x11); // vector
        out.insert(out.end(), fillerLen, 0x22);
        for (int i = 0; i < 4; ++i)
            out.push_back(static_cast<uint8_t>(remField >> (8 * i)));
        out.push_back(0);
        out.push_back('B');
        return out;
    }

    CKeyRecord keys[2];
    std::vector<SFixture> fixtures;
};

TEST_F(EnvelopeFixtures, EveryFixtureOpensOrFailsAsListed)
{
    for (const SFixture& f : fixtures)
        ExpectOpens(f, keys[f.key]);
}

// The same key with p and q exchanged (q the larger prime) opens the same envelopes.
TEST_F(EnvelopeFixtures, LargerSecondPrimeOpensTheSame)
{
    const CKeyRecord swapped = LoadKey("key0-qbig.txt");
    ASSERT_NE(0, std::memcmp(swapped.lpField(kOffPrime1), keys[0].lpField(kOffPrime1), kPrimeLen));
    for (const SFixture& f : fixtures)
    {
        if (f.key == 0)
            ExpectOpens(f, swapped);
    }
}

TEST_F(EnvelopeFixtures, LengthFieldsThatDoNotFitAreRefused)
{
    const std::vector<uint8_t> content(16, 0x33);
    const std::vector<uint8_t> key8(8, 0x44);
    const std::vector<uint8_t> key65(65, 0x44);
    struct SCase
    {
        const char* what;
        std::vector<uint8_t> data;
        uint32_t code;
        std::string text;
    };
    const SCase cases[] = {
        {"nothing", {}, kSecBadLength, "dwRem=00000000, dwCryptedDataSize=00000000"},
        {"one byte", {'B'}, kSecBadLength, "dwRem=00000000, dwCryptedDataSize=00000001"},
        {"letters only", {'A', 'B'}, kSecBadLength, "dwRem=00000000, dwCryptedDataSize=00000000"},
        {"base64 of 3 bytes",
         {'Q', 'U', 'J', 'D', 'A', 'B'},
         kSecBadLength,
         "dwRem=00000000, dwCryptedDataSize=00000003"},
        {"15 bytes", std::vector<uint8_t>(17, 0), kSecBadLength,
         "dwRem=00000000, dwCryptedDataSize=0000000F"},
        {"no room for K", Build({}, {}, 0, 0, 0), kSecBadLength,
         "encryptedKeyLen=00000000, dwCryptedDataSize=00000010"},
        {"filler past the start", Build(content, key8, 8, 25, 0), kSecBadLength,
         "dwRem=00000019, dwCryptedDataSize=00000028"},
        {"huge filler", Build(content, key8, 8, 0xFFFFFFFF, 0), kSecBadLength,
         "dwRem=FFFFFFFF, dwCryptedDataSize=00000028"},
        {"key over the content", Build(content, key8, 24, 0, 0), kSecBadLength,
         "encryptedKeyLen=00000018, dwCryptedDataSize=00000028"},
        {"huge key", Build(content, key8, 0xFFFFFFF0, 3, 3), kSecBadLength,
         "encryptedKeyLen=FFFFFFF0, dwCryptedDataSize=0000002B"},
        {"bad base64", {'Q', 'U', 'J', '*', 'A', 'B'}, kSecBadKeyText, "Code d'erreur lib cryptage:1027"},
        {"65-byte session key", Build(content, key65, 65, 0, 0), kSecSessionKey,
         "Code d'erreur lib cryptage:1030"},
        {"unusable RSA block", Build(content, key8, 8, 2, 2), kSecSessionKey,
         "Code d'erreur lib cryptage:1033"},
    };
    for (const SCase& c : cases)
    {
        SCOPED_TRACE(c.what);
        std::vector<uint8_t> plain;
        const CSecurityStatus status = OpenEnvelope(c.data.data(), c.data.size(), keys[0], plain);
        EXPECT_EQ(c.code, status.dwCode);
        EXPECT_EQ(c.text, status.text);
        EXPECT_TRUE(plain.empty());
    }
}

TEST_F(EnvelopeFixtures, UnusableKeyRecordsAreRefused)
{
    const SFixture& good = fixtures.front();
    ASSERT_TRUE(good.ok);
    ASSERT_EQ(0, good.key);
    const std::vector<uint8_t> data = ReadBytes(FixturePath("envelopes/" + good.file));

    struct SCase
    {
        const char* what;
        size_t offset;
        std::vector<uint8_t> bytes;
    };
    const SCase cases[] = {
        {"0 bits", kOffBits, {0x00, 0x00}},
        {"513 bits", kOffBits, {0x01, 0x02}},
        {"65535 bits", kOffBits, {0xFF, 0xFF}},
        {"512 bits big-endian", kOffBits, {0x02, 0x00}}, // read as 2 bits
        {"zero p", kOffPrime1, std::vector<uint8_t>(kPrimeLen, 0)},
        {"zero q", kOffPrime2, std::vector<uint8_t>(kPrimeLen, 0)},
        {"primes of another key", kOffPrime1,
         std::vector<uint8_t>(keys[1].lpField(kOffPrime1), keys[1].lpField(kOffPrime1) + 2 * kPrimeLen)},
    };
    for (const SCase& c : cases)
    {
        SCOPED_TRACE(c.what);
        CKeyRecord key = keys[0];
        std::copy(c.bytes.begin(), c.bytes.end(), key.bytes.begin() + c.offset);
        std::vector<uint8_t> plain;
        const CSecurityStatus status = OpenEnvelope(data.data(), data.size(), key, plain);
        EXPECT_EQ(kSecSessionKey, status.dwCode);
        EXPECT_EQ("Code d'erreur lib cryptage:1033", status.text);
    }
}

TEST_F(EnvelopeFixtures, KeyTextMustDecodeToOneRecord)
{
    const std::string good = ReadText(FixturePath("key0.txt"));
    struct SCase
    {
        const char* what;
        std::string text;
        uint32_t code;
    };
    // 363 bytes: 121 full groups; 365 bytes: 121 groups and "xy" + "=".
    const SCase cases[] = {
        {"record", good, kSecOk},
        {"363 bytes", good.substr(0, 484), kSecBadKeyText},
        {"365 bytes", good.substr(0, 484) + "Wlo=", kSecBadKeyText},
        {"twice the record", good.substr(0, 484) + good, kSecBadKeyText},
        {"not base64", good.substr(0, 480) + "!!!!" + good.substr(484), kSecBadKeyText},
        {"empty", "", kSecBadKeyText},
    };
    for (const SCase& c : cases)
    {
        SCOPED_TRACE(c.what);
        CKeyRecord record;
        record.bytes.fill(0x77);
        const CSecurityStatus status = DecodeKeyText(c.text.data(), c.text.size(), record);
        EXPECT_EQ(c.code, status.dwCode);
        if (c.code == kSecOk)
        {
            EXPECT_EQ(keys[0].bytes, record.bytes);
        }
        else
        {
            EXPECT_EQ("Code d'erreur lib cryptage:1027", status.text);
            EXPECT_EQ(0x77, record.bytes[0]) << "a refused text leaves the record alone";
        }
    }
}

} // namespace
