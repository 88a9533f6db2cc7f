#include "ChatTextUtil.h"

#include <algorithm>
#include <cstdio>
#include <cstdint>

#include "FormText.h"
#include "TextCase.h"

namespace ChatText
{

namespace
{

// The constants behind the run-time key and the protected codecs. They are
// the program's own and are not written anywhere else.
const char kKeyWord[] = "Chattabels"; // 10 letters, scrambled...
const char kKeyKey[] = "Vrbz";        // ...with these 4 as key
const std::string kSeven = "Bramwck"; // 7 characters

bool boAlnum(int c)
{
    return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

std::string strUpper(std::string text)
{
    for (char& c : text)
        c = FdText::AsciiToUpper(c);
    return text;
}

std::string strHex(unsigned value, int digits)
{
    char buf[16];
    std::snprintf(buf, sizeof buf, digits == 4 ? "%04x" : "%02x", value);
    return buf;
}

unsigned uByteSum(const std::string& text)
{
    unsigned sum = 0;
    for (unsigned char c : text)
        sum += c;
    return sum;
}

const std::string& strKeyOr(const std::string& key, const std::string& fallback)
{
    return key.empty() ? fallback : key;
}

// "-d.dd" style: optional sign, digits, optional point and digits, nothing else.
bool boParseNumber(const std::string& text, double& number)
{
    size_t i = 0;
    bool negative = false;
    if (i < text.size() && (text[i] == '-' || text[i] == '+'))
        negative = text[i++] == '-';
    double value = 0;
    int digits = 0;
    while (i < text.size() && text[i] >= '0' && text[i] <= '9')
    {
        value = value * 10 + (text[i++] - '0');
        ++digits;
    }
    if (i < text.size() && text[i] == '.')
    {
        ++i;
        double scale = 0.1;
        while (i < text.size() && text[i] >= '0' && text[i] <= '9')
        {
            value += (text[i++] - '0') * scale;
            scale /= 10;
            ++digits;
        }
    }
    if (digits == 0 || i != text.size())
        return false;
    number = negative ? -value : value;
    return true;
}

} // namespace

bool boStartsNoCase(const std::string& text, const std::string& prefix)
{
    return FdText::StartsWithAsciiNoCase(text, prefix);
}

bool boEqualNoCase(const std::string& a, const std::string& b)
{
    return FdText::EqualsAsciiNoCase(a, b);
}

std::string strSubstring(const std::string& text, long start, long count)
{
    if (start < 0 || static_cast<size_t>(start) >= text.size())
        return std::string();
    if (count < 0)
        return text.substr(static_cast<size_t>(start));
    return text.substr(static_cast<size_t>(start), static_cast<size_t>(count));
}

long lFindAfter(const std::string& text, const std::string& searched, long start)
{
    if (start < 0)
        return -1;
    const size_t from = start == 0 ? 0 : static_cast<size_t>(start) + 1;
    if (from > text.size())
        return -1;
    const size_t pos = text.find(searched, from);
    return pos == std::string::npos ? -1 : static_cast<long>(pos);
}

std::string strUrlDomain(const std::string& url, bool wholeHost)
{
    if (url.empty() || url[0] == '/')
        return std::string();
    std::string rest = url;
    bool http = false, file = false;
    if (url.size() > 7 && boStartsNoCase(url, "HTTP://"))
    {
        rest = url.substr(7);
        http = true;
    }
    else if (url.size() > 7 && boStartsNoCase(url, "FILE://"))
    {
        rest = url.substr(7);
        file = true;
    }
    const size_t slash = rest.find('/');
    if (slash == std::string::npos)
        return std::string();
    const std::string host = rest.substr(0, slash);
    const size_t dot = rest.find('.');
    if (dot == std::string::npos || dot > slash || file)
        return http ? strUpper(host) : std::string();
    if (wholeHost)
        return strUpper(host);
    // Backwards: the last two names, unless the host is numeric (10.1.2.3:80).
    int dots = 0;
    bool nonNumeric = false;
    size_t begin = host.size();
    while (begin > 0)
    {
        const char c = host[begin - 1];
        if (c == '.')
            ++dots;
        else if (!(c >= '0' && c <= '9') && c != ':')
            nonNumeric = true;
        if (dots >= 2 && nonNumeric)
            break;
        --begin;
    }
    return strUpper(host.substr(begin));
}

std::string strUrlEncode(const std::string& text)
{
    return FdText::UrlEncodeForm(text);
}

bool boWildcardMatch(const std::string& text, const std::string& pattern)
{
    return FdText::MatchesOneStarAsciiNoCase(text, pattern);
}

std::string strScramble(const std::string& text, const std::string& key)
{
    if (key.empty())
        return text;
    std::string out = text;
    for (size_t i = 0; i < out.size(); ++i)
    {
        const int c = static_cast<unsigned char>(out[i]);
        const int k = static_cast<signed char>(key[i % key.size()]) >> 3;
        const int s = (c ^ k) & 0xFF;
        if (boAlnum(c) && boAlnum(s))
            out[i] = static_cast<char>(s);
    }
    return out;
}

void vShift(std::string& text, int amount)
{
    for (char& ch : text)
    {
        int v = static_cast<unsigned char>(ch);
        if (v < 32)
            continue;
        v += amount % 224;
        while (v > 255)
            v -= 224;
        while (v < 32)
            v += 224;
        ch = static_cast<char>(v);
    }
}

void vMirror(std::string& text)
{
    for (char& ch : text)
    {
        const int v = static_cast<unsigned char>(ch);
        if (v >= 32)
            ch = static_cast<char>((v & ~31) + 31 - (v & 31));
    }
}

std::string strChecksum16(const std::string& text)
{
    return strHex(uByteSum(text) & 0xFFFF, 4);
}

std::string strChecksum8(const std::string& text)
{
    return strHex(uByteSum(text) & 0xFF, 2);
}

std::string strDerivedKey()
{
    return strScramble(kKeyWord, kKeyKey);
}

const std::string& strSevenConstant()
{
    return kSeven;
}

void vProtect16(std::string& value, const std::string& name, const std::string& key)
{
    const std::string k = strKeyOr(key, strDerivedKey());
    std::string v = strScramble(value, name);
    vShift(v, 32);
    v += strChecksum16(v + name);
    std::reverse(v.begin(), v.end());
    vMirror(v);
    v = strScramble(v, strScramble(k, name));
    const std::string h = strChecksum16(v);
    vShift(v, -64);
    v = strScramble(v, strScramble(kSeven, h));
    value = v + strScramble(h, k);
}

bool boUnprotect16(std::string& value, const std::string& name, const std::string& key)
{
    const std::string k = strKeyOr(key, strDerivedKey());
    if (value.size() < 4)
        return false;
    const std::string h = strScramble(value.substr(value.size() - 4), k);
    std::string v = value.substr(0, value.size() - 4);
    v = strScramble(v, strScramble(kSeven, h));
    vShift(v, 64);
    if (strChecksum16(v) != h)
        return false;
    v = strScramble(v, strScramble(k, name));
    vMirror(v);
    std::reverse(v.begin(), v.end());
    if (v.size() < 4)
        return false;
    const std::string h1 = v.substr(v.size() - 4);
    v.resize(v.size() - 4);
    if (strChecksum16(v + name) != h1)
        return false;
    vShift(v, -32);
    value = strScramble(v, name);
    return true;
}

std::string strNumberText(double number)
{
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.2f", number);
    std::string s = buf;
    while (!s.empty() && s.back() == '0')
        s.pop_back();
    while (s.size() < 4)
        s += '0';
    return s;
}

std::string strProtect8(const std::string& text, const std::string& key, double number)
{
    std::string s = strNumberText(number);
    vShift(s, 32);
    s = strScramble(s, text);
    const std::string r = strScramble(text, strDerivedKey());
    const std::string c = strChecksum8(r + s);
    return strScramble(s + c + r, strKeyOr(key, kSeven));
}

bool boUnprotect8(std::string& value, const std::string& key, double& number)
{
    const std::string v = strScramble(value, strKeyOr(key, kSeven));
    if (v.size() < 6)
        return false;
    std::string s = v.substr(0, 4);
    const std::string c = v.substr(4, 2);
    const std::string r = v.substr(6);
    if (strChecksum8(r + s) != c)
        return false;
    const std::string t = strScramble(r, strDerivedKey());
    s = strScramble(s, t);
    vShift(s, -32);
    double parsed = 0;
    if (!boParseNumber(s, parsed))
        return false;
    number = parsed;
    value = t;
    return true;
}

} // namespace ChatText
