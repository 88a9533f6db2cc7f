#include "HtmlScan.h"

#include <algorithm>
#include <cstring>

#include "HtmlTagTable.h"
#include "HtmlText.h"

namespace
{
bool IsNameEnd(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}
bool IsWhite(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}
} // namespace

namespace
{
bool EndTagAt(const char* text, uint32_t size, uint32_t at, const std::string& name)
{
    if (size - at < name.size() + 2 || text[at + 1] != '/')
        return false;
    for (size_t i = 0; i < name.size(); ++i)
    {
        char c = text[at + 2 + i];
        if (c >= 'a' && c <= 'z')
            c = char(c - 'a' + 'A');
        if (c != name[i])
            return false;
    }
    return true;
}
} // namespace

bool HtmlHasEndTagCandidate(const char* text, uint32_t size, uint32_t from, const std::string& name)
{
    for (uint32_t pos = from; pos < size;)
    {
        const void* hit = std::memchr(text + pos, '<', size - pos);
        if (hit == nullptr)
            return false;
        const uint32_t lt = uint32_t(static_cast<const char*>(hit) - text);
        if (EndTagAt(text, size, lt, name))
            return true;
        pos = lt + 1;
    }
    return false;
}

bool HtmlEndTagHints::MayHaveEndTag(const std::string& name, uint32_t from)
{
    for (const auto& [known, last] : m_last)
        if (known == name)
            return last >= int64_t(from);
    int64_t last = -1;
    for (uint32_t at = m_size; at > 0; --at)
        if (m_text[at - 1] == '<' && EndTagAt(m_text, m_size, at - 1, name))
        {
            last = at - 1;
            break;
        }
    m_last.emplace_back(name, last);
    return last >= int64_t(from);
}

bool HtmlIsComment(const std::string& name)
{
    return name.compare(0, 3, "!--") == 0;
}

HtmlTagInfo HtmlNextTag(const char* text, uint32_t size, uint32_t from, bool endTagsCount)
{
    uint32_t pos = from;
    while (pos < size)
    {
        const void* hit = std::memchr(text + pos, '<', size - pos);
        if (hit == nullptr)
            break;
        const uint32_t lt = uint32_t(static_cast<const char*>(hit) - text);
        if (size - lt < 2)
            break;
        const char second = text[lt + 1];
        if (second == ' ' || (second == '/' && !endTagsCount))
        {
            pos = lt + 2;
            continue;
        }
        // Up to the '>' at depth 0 outside double quotes, within the window.
        const uint32_t windowEnd = size - lt > kHtmlTagWindow ? lt + kHtmlTagWindow : size;
        bool quoted = false;
        int depth = 0;
        uint32_t i = lt + 1;
        bool closed = false;
        for (; i < windowEnd; ++i)
        {
            const char c = text[i];
            if (c == '"')
                quoted = !quoted;
            else if (!quoted && c == '<')
                ++depth;
            else if (!quoted && c == '>')
            {
                if (depth == 0)
                {
                    closed = true;
                    break;
                }
                --depth;
            }
        }
        if (!closed)
        {
            // Cut at the window or the end of the text: the '<' stays text.
            pos = lt + 1;
            continue;
        }
        HtmlTagInfo tag;
        tag.position = lt;
        tag.length = i - lt + 1;
        std::string inner = HtmlTrimRight(std::string(text + lt + 1, i - lt - 1));
        if (!inner.empty() && inner.back() == '/')
        {
            inner.pop_back();
            inner = HtmlTrimRight(inner);
            tag.selfClosed = true;
        }
        size_t nameEnd = 0;
        while (nameEnd < inner.size() && !IsNameEnd(inner[nameEnd]))
            ++nameEnd;
        tag.name = HtmlUpper(inner.substr(0, nameEnd));
        if (tag.name.empty())
        {
            // "<>" and other nameless tags are text; the scan goes on after them.
            pos = lt + tag.length;
            continue;
        }
        tag.attributes = HtmlTrimLeft(inner.substr(nameEnd));
        tag.found = true;
        return tag;
    }
    return {};
}

HtmlTagInfo HtmlFindEndTag(const char* text, uint32_t size, uint32_t from, const std::string& name)
{
    const std::string endName = "/" + name;
    int64_t depth = 1;
    for (uint32_t pos = from;;)
    {
        HtmlTagInfo tag = HtmlNextTag(text, size, pos, true);
        if (!tag.found)
            return {};
        if (tag.name == name)
            ++depth;
        else if (tag.name == endName && --depth == 0)
            return tag;
        pos = tag.position + tag.length;
    }
}

void HtmlEndTagIndex::Build(const char* text, uint32_t size, uint32_t from)
{
    m_built = true;
    m_positions.clear();
    m_names.clear();
    m_shift = 0;
    m_validFrom = from;
    for (uint32_t pos = from;;)
    {
        const HtmlTagInfo tag = HtmlNextTag(text, size, pos, true);
        if (!tag.found)
            break;
        const uint32_t index = uint32_t(m_positions.size());
        m_positions.push_back(tag.position);
        const bool isEnd = tag.name[0] == '/';
        NameCounts& counts = m_names[isEnd ? tag.name.substr(1) : tag.name];
        const int32_t depth = (counts.depth.empty() ? 0 : counts.depth.back()) + (isEnd ? -1 : 1);
        counts.at.push_back(index);
        counts.depth.push_back(depth);
        if (isEnd)
            counts.ends.emplace_back(depth, index);
        pos = tag.position + tag.length;
    }
    for (auto& [name, counts] : m_names)
        std::sort(counts.ends.begin(), counts.ends.end());
}

int64_t HtmlEndTagIndex::Listed(uint32_t position) const
{
    const int64_t listed = int64_t(position) - m_shift;
    if (listed < int64_t(m_validFrom))
        return -1;
    const auto it = std::lower_bound(m_positions.begin(), m_positions.end(), uint32_t(listed));
    if (it == m_positions.end() || *it != uint32_t(listed))
        return -1;
    return it - m_positions.begin();
}

void HtmlEndTagIndex::Spliced(uint32_t position, uint32_t oldLength, uint32_t newLength)
{
    if (!m_built)
        return;
    // Everything before the end of the change is left to the walks.
    const int64_t end = int64_t(position) + oldLength - m_shift;
    if (end > int64_t(m_validFrom))
        m_validFrom = end > int64_t(UINT32_MAX) ? UINT32_MAX : uint32_t(end);
    m_shift += int64_t(newLength) - int64_t(oldLength);
}

HtmlTagInfo HtmlEndTagIndex::Find(const char* text, uint32_t size, uint32_t from, const std::string& name,
                                  HtmlTagInfo* first)
{
    if (!m_built)
        Build(text, size, from);
    const std::string endName = "/" + name;
    int32_t depth = 1;
    int64_t merged = -1;
    HtmlTagInfo tag;
    for (uint32_t pos = from;;)
    {
        tag = HtmlNextTag(text, size, pos, true);
        if (first != nullptr && pos == from)
            *first = tag;
        if (!tag.found)
            return {};
        merged = Listed(tag.position);
        if (merged >= 0)
            break;
        if (tag.position - from > kWalkLimit)
        {
            // Too far from any listed tag: list again from here.
            Build(text, size, from);
            depth = 1;
            pos = from;
            continue;
        }
        if (tag.name == name)
            ++depth;
        else if (tag.name == endName && --depth == 0)
            return tag;
        pos = tag.position + tag.length;
    }
    const auto found = m_names.find(name);
    if (found == m_names.end())
        return {};
    const NameCounts& counts = found->second;
    // The depth counted along the list just before the walk met it.
    const auto before = std::lower_bound(counts.at.begin(), counts.at.end(), uint32_t(merged));
    const int32_t base = before == counts.at.begin() ? 0 : counts.depth[size_t(before - counts.at.begin()) - 1];
    const std::pair<int32_t, uint32_t> wanted(base - depth, uint32_t(merged));
    const auto end = std::lower_bound(counts.ends.begin(), counts.ends.end(), wanted);
    if (end == counts.ends.end() || end->first != wanted.first)
        return {};
    if (end->second == uint32_t(merged) && tag.name == endName)
        return tag;
    const uint32_t position = uint32_t(int64_t(m_positions[end->second]) + m_shift);
    tag = HtmlNextTag(text, size, position, true);
    if (!tag.found || tag.position != position || tag.name != endName)
        return HtmlFindEndTag(text, size, from, name); // the text changed behind the list's back
    return tag;
}

void HtmlTagExtent(const char* text, uint32_t size, HtmlToken& token, HtmlEndTagHints* hints,
                   HtmlEndTagIndex* index)
{
    const HtmlTagInfo& tag = token.tag;
    const uint32_t afterTag = tag.position + tag.length;
    token.contentPosition = afterTag;
    token.contentLength = 0;
    token.extentEnd = afterTag;
    token.next = afterTag;
    const HtmlTagRow* row = HtmlFindTagRow(tag.name);
    if (tag.selfClosed || (row != nullptr && row->noEndTag != 0) || HtmlIsComment(tag.name))
        return;
    HtmlTagInfo end;
    HtmlTagInfo following; // the first tag after the start tag, when the search met it
    bool followingKnown = false;
    if (hints != nullptr && !hints->MayHaveEndTag(tag.name, afterTag))
        end = HtmlTagInfo();
    else if (index != nullptr)
    {
        end = index->Find(text, size, afterTag, tag.name, &following);
        followingKnown = true;
    }
    else if (hints != nullptr || HtmlHasEndTagCandidate(text, size, afterTag, tag.name))
        end = HtmlFindEndTag(text, size, afterTag, tag.name);
    if (end.found)
    {
        token.contentLength = end.position - afterTag;
        token.extentEnd = end.position + end.length;
        token.next = token.extentEnd;
        return;
    }
    if (row == nullptr)
        return;
    if (!followingKnown)
        following = HtmlNextTag(text, size, afterTag, true);
    const uint32_t stop = following.found ? following.position : size;
    token.contentLength = stop - afterTag;
    token.extentEnd = stop;
    token.next = stop;
}

HtmlToken HtmlReadToken(const char* text, uint32_t size, uint32_t from, HtmlEndTagHints* hints,
                        HtmlEndTagIndex* index)
{
    HtmlToken token;
    const HtmlTagInfo tag = HtmlNextTag(text, size, from, false);
    const uint32_t textEnd = tag.found ? tag.position : size;
    uint32_t i = from;
    while (i < textEnd)
    {
        const char c = text[i];
        // Tabs and line ends go; a space only when white space (or the tag) follows.
        if (c == '\t' || c == '\r' || c == '\n' || (c == ' ' && (i + 1 == textEnd || IsWhite(text[i + 1]))))
            ++i;
        else
            break;
    }
    if (i < textEnd)
    {
        token.found = true;
        token.isText = true;
        token.tag.name = "NOTAG";
        token.tag.position = i;
        token.contentPosition = i;
        token.contentLength = textEnd - i;
        token.extentEnd = textEnd;
        token.next = textEnd;
        return token;
    }
    if (!tag.found)
        return token;
    token.found = true;
    token.tag = tag;
    HtmlTagExtent(text, size, token, hints, index);
    return token;
}
