#include "Base64.h"
#include "CryptoCodes.h"

#include <gtest/gtest.h>

#include <string>

using namespace FdCrypto;

namespace
{

struct SCase
{
    const char* text;
    long lib;
    const char* decoded;
};

TEST(Base64, DecodesGroupsAndPaddingAndRefusesTheRest)
{
    const SCase cases[] = {
        {"", kLibOk, ""},
        {"TWFu", kLibOk, "Man"},
        {"TWE=", kLibOk, "Ma"},
        {"TQ==", kLibOk, "M"},
        {"TWFuTWFu", kLibOk, "ManMan"},
        {"YWJj+/8=", kLibOk, "abc\xfb\xff"},
        {"TWF", kLibBadEncoding, ""},      // not a multiple of 4
        {"TW=u", kLibBadEncoding, ""},     // third "=" without a fourth
        {"TQ==TWFu", kLibBadEncoding, ""}, // padding before the end
        {"=WFu", kLibBadEncoding, ""},
        {"T===", kLibBadEncoding, ""},
        {"TW u", kLibBadEncoding, ""},         // blank
        {"TWFu\r\nTWFu", kLibBadEncoding, ""}, // line breaks are not allowed
        {"TW\x80u", kLibBadEncoding, ""},      // above 0x7F
        {"TW-u", kLibBadEncoding, ""},
    };
    for (const SCase& c : cases)
    {
        SCOPED_TRACE(std::string("text \"") + c.text + "\"");
        std::vector<uint8_t> out = {1, 2, 3};
        EXPECT_EQ(c.lib, lBase64Decode(c.text, std::string(c.text).size(), out));
        EXPECT_EQ(std::string(c.decoded), std::string(out.begin(), out.end()));
    }
}

} // namespace
