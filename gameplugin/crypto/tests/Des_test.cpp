#include "CryptoCodes.h"
#include "Des.h"
#include "EnvelopeOpener.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

using namespace FdCrypto;

namespace
{

std::vector<uint8_t> Hex(const std::string& hex)
{
    std::vector<uint8_t> out;
    for (size_t i = 0; i + 1 < hex.size(); i += 2)
        out.push_back(static_cast<uint8_t>(std::stoul(hex.substr(i, 2), nullptr, 16)));
    return out;
}

std::string Crypt(const std::vector<uint8_t>& key, const std::vector<uint8_t>& block, EDesDirection direction)
{
    CDesKeySchedule schedule;
    schedule.vSet(key.data(), direction);
    uint32_t l = dwLoadBigEndian(block.data());
    uint32_t r = dwLoadBigEndian(block.data() + 4);
    schedule.vCryptBlock(l, r);
    char text[17];
    std::snprintf(text, sizeof text, "%08X%08X", static_cast<unsigned>(l), static_cast<unsigned>(r));
    return text;
}

TEST(Des, KnownAnswersBothWays)
{
    struct SVector
    {
        const char* key;
        const char* plain;
        const char* cipher;
    };
    const SVector vectors[] = {
        {"133457799BBCDFF1", "0123456789ABCDEF", "85E813540F0AB405"},
        {"0123456789ABCDEF", "4E6F772069732074", "3FA40E8A984D4815"}, // "Now is t"
        {"0101010101010101", "95F8A5E5DD31D900", "8000000000000000"},
        {"8001010101010101", "0000000000000000", "95A8D72813DAA94D"},
    };
    for (const SVector& v : vectors)
    {
        SCOPED_TRACE(v.key);
        EXPECT_EQ(v.cipher, Crypt(Hex(v.key), Hex(v.plain), EDesDirection::Encrypt));
        EXPECT_EQ(v.plain, Crypt(Hex(v.key), Hex(v.cipher), EDesDirection::Decrypt));
    }
}

TEST(Des, ParityBitsPlayNoPart)
{
    std::vector<uint8_t> key = Hex("133457799BBCDFF1");
    const std::string expected = Crypt(key, Hex("0123456789ABCDEF"), EDesDirection::Encrypt);
    for (uint8_t& b : key)
        b ^= 0x01;
    EXPECT_EQ(expected, Crypt(key, Hex("0123456789ABCDEF"), EDesDirection::Encrypt));
}

// FIPS 81's CBC example, followed by the block of PKCS #5 padding that a sender adds.
TEST(Des, Fips81CbcThroughTheContentAndFinalSteps)
{
    const std::vector<uint8_t> key = Hex("0123456789abcdef");
    const std::vector<uint8_t> iv = Hex("1234567890abcdef");
    const std::vector<uint8_t> cipher = Hex("e5c7cdde872bf27c43e934008c389c0f683788499a7c05f6"
                                            "62c16a27e4fcf277");
    CEnvelopeOpener opener;
    ASSERT_EQ(kLibOk, opener.lInitWithSessionKey(ECipherAlgorithm::Des, key.data(), key.size(), iv.data()));
    std::vector<uint8_t> plain(cipher.size());
    size_t len = 0;
    size_t last = 0;
    opener.vOpenUpdate(cipher.data(), cipher.size(), plain.data(), &len);
    EXPECT_EQ(24u, len);
    ASSERT_EQ(kLibOk, opener.lOpenFinal(plain.data() + len, &last));
    EXPECT_EQ(0u, last);
    EXPECT_EQ("Now is the time for all ", std::string(plain.begin(), plain.begin() + len + last));
}

TEST(Des, SessionKeyLengthFollowsTheAlgorithm)
{
    const uint8_t key[24] = {};
    const uint8_t iv[8] = {};
    CEnvelopeOpener opener;
    EXPECT_EQ(kLibOk, opener.lInitWithSessionKey(ECipherAlgorithm::Des, key, 8, iv));
    EXPECT_EQ(kLibBadSessionKey, opener.lInitWithSessionKey(ECipherAlgorithm::Des, key, 24, iv));
    EXPECT_EQ(kLibBadSessionKey, opener.lInitWithSessionKey(ECipherAlgorithm::DesEde2, key, 16, iv));
    EXPECT_EQ(kLibOk, opener.lInitWithSessionKey(ECipherAlgorithm::DesEde3, key, 24, iv));
    EXPECT_EQ(kLibBadSessionKey, opener.lInitWithSessionKey(ECipherAlgorithm::Desx, key, 8, iv));
}

} // namespace
