#include "TextUtil.h"

#include <cstring>

bool IsSpaceChar(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

char ToUpperAscii(char c)
{
    return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}

char ToLowerAscii(char c)
{
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

int CompareNoCase(const std::string& a, const std::string& b)
{
    const size_t n = a.size() < b.size() ? a.size() : b.size();
    for (size_t i = 0; i < n; ++i)
    {
        const int ca = static_cast<unsigned char>(ToLowerAscii(a[i]));
        const int cb = static_cast<unsigned char>(ToLowerAscii(b[i]));
        if (ca != cb)
            return ca - cb;
    }
    if (a.size() == b.size())
        return 0;
    return a.size() < b.size() ? -1 : 1;
}

bool EqualsNoCase(const std::string& a, const std::string& b)
{
    return a.size() == b.size() && CompareNoCase(a, b) == 0;
}

CStringExt TrimmedCopy(const std::string& text)
{
    CStringExt s(text);
    s.TrimRight();
    s.TrimLeft();
    return s;
}

bool StrMatchesPattern(CStringExt value, CStringExt pattern)
{
    value = TrimmedCopy(value);
    pattern = TrimmedCopy(pattern);
    if (value.empty() || pattern.empty())
        return true;
    const size_t star = pattern.find('*');
    if (star == std::string::npos)
        return EqualsNoCase(value, pattern);
    if (pattern == "*")
        return true;
    const std::string prefix = pattern.substr(0, star);
    const std::string suffix = pattern.substr(star + 1);
    // Prefix and suffix must fit side by side: "ab" does not fit "ab*b".
    if (prefix.size() + suffix.size() > value.size())
        return false;
    if (!prefix.empty() && !EqualsNoCase(value.substr(0, prefix.size()), prefix))
        return false;
    if (!suffix.empty() && !EqualsNoCase(value.substr(value.size() - suffix.size()), suffix))
        return false;
    return true;
}

CStringExt UrlEncode(const std::string& text)
{
    static const char kHex[] = "0123456789abcdef";
    CStringExt out;
    out.reserve(text.size() * 3);
    for (char c : text)
    {
        const unsigned char b = static_cast<unsigned char>(c);
        if ((b >= 'a' && b <= 'z') || (b >= 'A' && b <= 'Z') || (b >= '0' && b <= '9'))
            out += c;
        else if (b == ' ')
            out += '+';
        else
        {
            out += '%';
            out += kHex[b >> 4];
            out += kHex[b & 0x0F];
        }
    }
    return out;
}

static CStringExt ReplaceChar(const std::string& text, char from, char to)
{
    CStringExt out(text);
    for (char& c : out)
        if (c == from)
            c = to;
    return out;
}

CStringExt SlashesToBackslashes(const std::string& path)
{
    return ReplaceChar(path, '/', '\\');
}

CStringExt BackslashesToSlashes(const std::string& path)
{
    return ReplaceChar(path, '\\', '/');
}

void ReplaceAll(CStringExt& text, const char* find, const char* replacement)
{
    if (find == nullptr || replacement == nullptr || *find == '\0')
        return;
    const size_t findLen = std::strlen(find);
    const size_t replLen = std::strlen(replacement);
    size_t pos = text.find(find);
    while (pos != std::string::npos)
    {
        text.replace(pos, findLen, replacement, replLen);
        pos = text.find(find, pos + replLen);
    }
}

CStringExt Substring(const std::string& text, int32_t start, int32_t count)
{
    if (start < 0 || static_cast<size_t>(start) >= text.size() || count < -1)
        return CStringExt();
    return CStringExt(text.substr(static_cast<size_t>(start),
                                  count == -1 ? std::string::npos : static_cast<size_t>(count)));
}
