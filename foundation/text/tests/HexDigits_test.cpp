#include "HexDigits.h"

#include <gtest/gtest.h>

using namespace FdText;

TEST(HexDigits, ValueOfEveryByte)
{
    for (int c = 0; c < 256; ++c)
    {
        SCOPED_TRACE(c);
        int want = -1;
        if (c >= '0' && c <= '9')
            want = c - '0';
        else if (c >= 'a' && c <= 'f')
            want = c - 'a' + 10;
        else if (c >= 'A' && c <= 'F')
            want = c - 'A' + 10;
        EXPECT_EQ(HexDigitValue(static_cast<char>(c)), want);
    }
}

TEST(HexDigits, DigitsOfEveryNibble)
{
    const char lower[] = "0123456789abcdef";
    const char upper[] = "0123456789ABCDEF";
    for (unsigned v = 0; v < 16; ++v)
    {
        SCOPED_TRACE(v);
        EXPECT_EQ(LowerHexDigit(v), lower[v]);
        EXPECT_EQ(UpperHexDigit(v), upper[v]);
        EXPECT_EQ(HexDigitValue(LowerHexDigit(v)), static_cast<int>(v));
        EXPECT_EQ(HexDigitValue(UpperHexDigit(v)), static_cast<int>(v));
        // Only the low four bits count.
        EXPECT_EQ(LowerHexDigit(v | 0xF0), lower[v]);
    }
}

TEST(HexDigits, BytesAppendedHighNibbleFirst)
{
    const uint8_t bytes[] = {0x00, 0x0F, 0xA5, 0xFF};
    EXPECT_EQ(HexText(bytes, sizeof bytes, HexCase::kUpper), "000FA5FF");
    EXPECT_EQ(HexText(bytes, sizeof bytes, HexCase::kLower), "000fa5ff");
    EXPECT_EQ(HexText(bytes, 0, HexCase::kUpper), "");
    std::string text = "x=";
    AppendHexByte(text, 0x7E, HexCase::kLower);
    AppendHexBytes(text, bytes + 2, 1, HexCase::kUpper);
    EXPECT_EQ(text, "x=7eA5");
}
