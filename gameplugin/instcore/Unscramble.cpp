#include "Unscramble.h"

#include "HexDigits.h"

namespace Scramble
{
namespace
{
constexpr int kRadix = 16;
} // namespace

bool boUnscramblePass(std::string& strText)
{
    std::string strOut(strText.rbegin(), strText.rend());
    for (size_t i = 0; i < strOut.size(); ++i)
    {
        const int v = FdText::HexDigitValue(strOut[i]);
        if (v < 0)
            return false;
        strOut[i] = FdText::UpperHexDigit(
            static_cast<unsigned>((v + kRadix - static_cast<int>(i % kRadix)) % kRadix));
    }
    strText.swap(strOut);
    return true;
}

bool boDecodePairs(std::string& strText)
{
    if (strText.size() % 2 != 0)
        return false;
    std::string strOut;
    strOut.reserve(strText.size() / 2);
    for (size_t i = 0; i < strText.size(); i += 2)
    {
        const int hi = FdText::HexDigitValue(strText[i]);
        const int lo = FdText::HexDigitValue(strText[i + 1]);
        if (hi < 0 || lo < 0)
            return false;
        strOut.push_back(static_cast<char>(hi * kRadix + lo));
    }
    strText.swap(strOut);
    return true;
}

bool boUnscramble(std::string& strText, int32_t lPasses)
{
    if (lPasses < 1 || lPasses > kMaxPasses)
        return false;
    std::string strWork = strText;
    for (int32_t i = 0; i < lPasses; ++i)
    {
        if (!boUnscramblePass(strWork))
            return false;
    }
    if (!boDecodePairs(strWork))
        return false;
    strText.swap(strWork);
    return true;
}

} // namespace Scramble
