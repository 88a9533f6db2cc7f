// The tests' envelope sealer must make what the plug-in opens.
#include "EnvelopeSealer.h"

#include "Envelope.h"
#include "Fixtures.h"

#include <gtest/gtest.h>

namespace
{
TEST(EnvelopeSealer, SealedEnvelopesOpenWithTheirKey)
{
    const FdCrypto::CKeyRecord key0 =
        EnvelopeSealer::keyFromText(FdCryptoTest::ReadText(FdCryptoTest::FixturePath("key0.txt")));
    const FdCrypto::CKeyRecord key1 =
        EnvelopeSealer::keyFromText(FdCryptoTest::ReadText(FdCryptoTest::FixturePath("key1.txt")));
    for (const std::string& plain : {std::string(), std::string("x"), std::string(8, 'y'),
                                     std::string("SZDD\x88\xF0\x27\x33\0\0", 10) + std::string(1000, 'z')})
    {
        for (bool boBase64 : {false, true})
        {
            SCOPED_TRACE(plain.size());
            const std::string sealed = EnvelopeSealer::strSeal(plain, key1, boBase64, 7);
            std::vector<uint8_t> opened;
            ASSERT_TRUE(FdCrypto::OpenEnvelope(reinterpret_cast<const uint8_t*>(sealed.data()), sealed.size(),
                                               key1, opened)
                            .boOk());
            EXPECT_EQ(plain, std::string(opened.begin(), opened.end()));
            EXPECT_FALSE(FdCrypto::OpenEnvelope(reinterpret_cast<const uint8_t*>(sealed.data()),
                                                sealed.size(), key0, opened)
                             .boOk());
        }
    }
}
} // namespace
