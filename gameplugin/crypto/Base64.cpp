#include "Base64.h"

#include "CryptoCodes.h"

namespace FdCrypto
{
namespace
{

constexpr size_t kGroupChars = 4;
constexpr size_t kGroupBytes = 3;
constexpr int kNotBase64 = -1;
constexpr char kPad = '=';

int iDigitValue(char c)
{
    if (c >= 'A' && c <= 'Z')
        return c - 'A';
    if (c >= 'a' && c <= 'z')
        return c - 'a' + 26;
    if (c >= '0' && c <= '9')
        return c - '0' + 52;
    if (c == '+')
        return 62;
    if (c == '/')
        return 63;
    return kNotBase64;
}

} // namespace

long lBase64Decode(const char* text, size_t len, std::vector<uint8_t>& out)
{
    out.clear();
    if (len % kGroupChars != 0)
        return kLibBadEncoding;
    out.reserve(len / kGroupChars * kGroupBytes);
    for (size_t pos = 0; pos < len; pos += kGroupChars)
    {
        const char* g = text + pos;
        const bool last = pos + kGroupChars == len;
        // Padding may only end the last group, and "x=y" is no valid ending.
        size_t pads = 0;
        if (last && g[3] == kPad)
            pads = g[2] == kPad ? 2 : 1;
        if (last && g[2] == kPad && g[3] != kPad)
        {
            out.clear();
            return kLibBadEncoding;
        }
        uint32_t quantum = 0;
        for (size_t i = 0; i < kGroupChars; ++i)
        {
            int v = 0;
            if (i < kGroupChars - pads)
            {
                v = iDigitValue(g[i]);
                if (v == kNotBase64)
                {
                    out.clear();
                    return kLibBadEncoding;
                }
            }
            quantum = (quantum << 6) | static_cast<uint32_t>(v);
        }
        out.push_back(static_cast<uint8_t>(quantum >> 16));
        if (pads < 2)
            out.push_back(static_cast<uint8_t>(quantum >> 8));
        if (pads < 1)
            out.push_back(static_cast<uint8_t>(quantum));
    }
    return kLibOk;
}

} // namespace FdCrypto
