#pragma once
// The server's side of the parameter scrambling, for the tests: hex-encode, then
// each pass adds every digit's position (mod 16) and reverses the text.
#include "HexDigits.h"

#include <cstdint>
#include <string>

namespace ScrambleForTest
{
inline std::string strScramble(const std::string& strPlain, int32_t lPasses)
{
    std::string text = FdText::HexText(strPlain.data(), strPlain.size(), FdText::HexCase::kUpper);
    for (int32_t p = 0; p < lPasses; ++p)
    {
        for (size_t i = 0; i < text.size(); ++i)
        {
            const int v = FdText::HexDigitValue(text[i]);
            text[i] = FdText::UpperHexDigit(static_cast<unsigned>(v + static_cast<int>(i % 16)));
        }
        text = std::string(text.rbegin(), text.rend());
    }
    return text;
}
} // namespace ScrambleForTest
