#include "XmlScanner.h"

#include <cstring>

#include "TextCase.h"
#include "TextUtil.h"

bool IsXmlBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

namespace
{
const char kCommentOpen[] = "<!--";
const char kCommentClose[] = "-->";
const char kCdataOpen[] = "<![CDATA[";
const char kCdataClose[] = "]]>";

bool StartsWithAt(const std::string& text, size_t pos, const char* prefix)
{
    return text.compare(pos, std::strlen(prefix), prefix) == 0;
}

// Position of the '>' closing the tag at lt: outside double quotes and outside nested
// '<' '>' pairs, within limit; npos when there is none.
size_t FindTagClose(const std::string& text, size_t lt, size_t limit)
{
    bool quoted = false;
    size_t depth = 0;
    for (size_t i = lt + 1; i < limit; ++i)
    {
        const char c = text[i];
        if (c == '"')
            quoted = !quoted;
        else if (quoted)
            continue;
        else if (c == '<')
            ++depth;
        else if (c == '>')
        {
            if (depth == 0)
                return i;
            --depth;
        }
    }
    return std::string::npos;
}

// text[a, a + length) and text[b, b + length) are the same without regard to case.
bool EqualsNoCaseAt(const std::string& text, size_t a, size_t b, size_t length)
{
    return FdText::EqualsAsciiNoCase(std::string_view(text.data() + a, length),
                                     std::string_view(text.data() + b, length));
}

uint32_t Pos(size_t position)
{
    return static_cast<uint32_t>(position);
}

CXmlToken MakeToken(const std::string& text, size_t lt, size_t gt)
{
    CXmlToken token{Pos(lt), Pos(gt + 1), 0, 0, 0, 0, XmlTokenKind::Start, false};
    size_t first = lt + 1;
    size_t last = gt; // one past the tag text
    while (last > first && IsXmlBlank(text[last - 1]))
        --last;
    if (first < last && text[first] == '/')
    {
        token.kind = XmlTokenKind::End;
        ++first;
    }
    else if (last > first && text[last - 1] == '/')
    {
        token.empty = true;
        --last;
    }
    size_t nameEnd = first;
    while (nameEnd < last && !IsXmlBlank(text[nameEnd]))
        ++nameEnd;
    token.nameBegin = Pos(first);
    token.nameLength = Pos(nameEnd - first);
    token.attrBegin = Pos(nameEnd);
    token.attrLength = Pos(last - nameEnd);
    if (token.kind == XmlTokenKind::Start &&
        (token.nameLength == 0 || text[first] == '?' || text[first] == '!'))
        token.kind = XmlTokenKind::Other;
    return token;
}
} // namespace

void XmlTokenize(const std::string& text, size_t from, std::vector<CXmlToken>& tokens)
{
    const size_t n = text.size();
    size_t pos = from;
    while (pos < n)
    {
        const size_t lt = text.find('<', pos);
        if (lt == std::string::npos || lt + 1 >= n)
            return;
        // "< " is no tag.
        if (IsXmlBlank(text[lt + 1]))
        {
            pos = lt + 2;
            continue;
        }
        if (StartsWithAt(text, lt, kCommentOpen))
        {
            const size_t close = text.find(kCommentClose, lt + std::strlen(kCommentOpen));
            const size_t end = close == std::string::npos ? n : close + std::strlen(kCommentClose);
            tokens.push_back(
                CXmlToken{Pos(lt), Pos(end), Pos(lt + 1), 3, Pos(lt + 4), 0, XmlTokenKind::Other, false});
            pos = end;
            continue;
        }
        // A CDATA section stays in the character data around it, markup and all.
        if (StartsWithAt(text, lt, kCdataOpen))
        {
            const size_t close = text.find(kCdataClose, lt + std::strlen(kCdataOpen));
            pos = close == std::string::npos ? n : close + std::strlen(kCdataClose);
            continue;
        }
        const size_t limit = n - lt > kMaxTagLength ? lt + kMaxTagLength : n;
        const size_t gt = FindTagClose(text, lt, limit);
        if (gt == std::string::npos)
        {
            pos = limit;
            continue;
        }
        tokens.push_back(MakeToken(text, lt, gt));
        pos = gt + 1;
    }
}

std::string XmlTokenName(const std::string& text, const CXmlToken& token)
{
    return text.substr(token.nameBegin, token.nameLength);
}

std::string XmlTokenAttributes(const std::string& text, const CXmlToken& token)
{
    return text.substr(token.attrBegin, token.attrLength);
}

std::vector<std::pair<CStringExt, CStringExt>> XmlParseAttributeText(const std::string& attributes)
{
    std::vector<std::pair<CStringExt, CStringExt>> pairs;
    XmlParseAttributeText(attributes, 0, attributes.size(), pairs);
    return pairs;
}

void XmlParseAttributeText(const std::string& attributes, size_t from, size_t length,
                           std::vector<std::pair<CStringExt, CStringExt>>& pairs)
{
    const size_t n = from + length < attributes.size() ? from + length : attributes.size();
    size_t i = from;
    while (i < n)
    {
        while (i < n && IsXmlBlank(attributes[i]))
            ++i;
        const size_t nameBegin = i;
        while (i < n && !IsXmlBlank(attributes[i]) && attributes[i] != '=')
            ++i;
        const size_t nameEnd = i;
        while (i < n && IsXmlBlank(attributes[i]))
            ++i;
        size_t valueFirst = i;
        size_t valueEnd = i;
        if (i + 1 < n && attributes[i] == '=')
        {
            ++i;
            while (i < n && IsXmlBlank(attributes[i]))
                ++i;
            const size_t valueBegin = i;
            bool quoted = false;
            while (i < n && (quoted || !IsXmlBlank(attributes[i])))
            {
                if (attributes[i] == '"')
                    quoted = !quoted;
                ++i;
            }
            valueFirst = valueBegin;
            valueEnd = i;
            if (valueEnd - valueFirst >= 2 && attributes[valueFirst] == '"' &&
                attributes[valueEnd - 1] == '"')
            {
                ++valueFirst;
                --valueEnd;
            }
        }
        else if (i < n && attributes[i] == '=')
            ++i; // a final '=' gives no value
        if (nameEnd > nameBegin)
            pairs.emplace_back(CStringExt(attributes, nameBegin, nameEnd - nameBegin),
                               CStringExt(attributes, valueFirst, valueEnd - valueFirst));
    }
}

CXmlMatch CXmlMatcher::Find(size_t start, size_t limit)
{
    const CXmlToken& open = m_tokens[start];
    const size_t budget = kMaxTagDepth * (m_tokens.size() + 1);
    size_t level = 1;
    int64_t balance = 0;
    for (size_t i = start + 1; i < limit; ++i)
    {
        if (++m_nSteps > budget)
            return CXmlMatch{false, 0, m_tokens[i].begin};
        const CXmlToken& token = m_tokens[i];
        if (token.kind == XmlTokenKind::Other)
            continue;
        const bool sameName = token.nameLength == open.nameLength &&
                              EqualsNoCaseAt(m_text, token.nameBegin, open.nameBegin, open.nameLength);
        if (token.kind == XmlTokenKind::Start)
        {
            if (token.empty)
                continue;
            if (sameName)
                ++level;
            else
                ++balance;
        }
        else if (sameName)
        {
            if (--level == 0)
                return CXmlMatch{true, i, token.end};
        }
        else if (--balance < 0)
            return CXmlMatch{false, 0, token.end};
    }
    const size_t stop = limit < m_tokens.size() ? m_tokens[limit].begin : m_text.size();
    return CXmlMatch{false, 0, stop};
}
