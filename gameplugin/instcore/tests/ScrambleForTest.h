#pragma once
// The server's side of the parameter scrambling, for the tests: hex-encode, then
// each pass adds every digit's position (mod 16) and reverses the text.
#include <cstdint>
#include <string>

namespace ScrambleForTest
{
inline std::string strScramble(const std::string& strPlain, int32_t lPasses)
{
    static const char kDigits[] = "0123456789ABCDEF";
    std::string text;
    for (unsigned char c : strPlain)
    {
        text += kDigits[c >> 4];
        text += kDigits[c & 15];
    }
    for (int32_t p = 0; p < lPasses; ++p)
    {
        for (size_t i = 0; i < text.size(); ++i)
        {
            const int v = text[i] <= '9' ? text[i] - '0' : text[i] - 'A' + 10;
            text[i] = kDigits[(v + static_cast<int>(i % 16)) % 16];
        }
        text = std::string(text.rbegin(), text.rend());
    }
    return text;
}
} // namespace ScrambleForTest
