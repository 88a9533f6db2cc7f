#include "TextUtil.h"

#include <cstring>

#include "FormText.h"
#include "TextCase.h"

bool IsSpaceChar(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

char ToUpperAscii(char c)
{
    return FdText::AsciiToUpper(c);
}

char ToLowerAscii(char c)
{
    return FdText::AsciiToLower(c);
}

int CompareNoCase(const std::string& a, const std::string& b)
{
    return FdText::CompareAsciiNoCase(a, b);
}

bool EqualsNoCase(const std::string& a, const std::string& b)
{
    return FdText::EqualsAsciiNoCase(a, b);
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
    return FdText::MatchesOneStarAsciiNoCase(TrimmedCopy(value), TrimmedCopy(pattern));
}

CStringExt UrlEncode(const std::string& text)
{
    return FdText::UrlEncodeForm(text);
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
