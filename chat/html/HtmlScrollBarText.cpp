#include "HtmlScrollBarText.h"

#include <algorithm>

#include "HtmlAttr.h"
#include "HtmlText.h"
#include "TextCase.h"

namespace
{
const char* const kPartWords[kScrollPartCount] = {"TOP",    "BOTTOM",   "UP",   "DOWN",
                                                  "RECTUP", "RECTDOWN", "THUMB"};
} // namespace

const char* HtmlScrollPartWord(int32_t part)
{
    return part >= 0 && part < kScrollPartCount ? kPartWords[part] : "";
}

int32_t HtmlScrollPartOfWord(const std::string& word)
{
    for (int32_t part = 0; part < kScrollPartCount; ++part)
        if (HtmlEqualNoCase(word, kPartWords[part]))
            return part;
    return -1;
}

std::string HtmlScrollPartName(const std::string& part)
{
    static const char* const kWritten[][2] = {
        {"LEFT", "TOP"}, {"RIGHT", "BOTTOM"}, {"RECTLEFT", "RECTUP"}, {"RECTRIGHT", "RECTDOWN"}};
    for (const auto& row : kWritten)
        if (HtmlEqualNoCase(part, row[0]))
            return row[1];
    return part;
}

bool HtmlParseScrollName(const std::string& name, const char* prefix, std::string* id, std::string* word)
{
    const std::string lead = std::string("#") + prefix;
    if (!FdText::StartsWithAsciiNoCase(name, lead))
        return false;
    const size_t hash = name.find('#', lead.size());
    if (hash == std::string::npos)
        return false;
    *id = name.substr(lead.size(), hash - lead.size());
    *word = name.substr(hash + 1);
    return true;
}

std::string HtmlScrollBarId(const std::string& attributes, const std::string& currentId)
{
    std::string id = GetAttrValue("SBID", attributes, "");
    if (id.empty())
    {
        const std::string target = GetAttrValue("TARGET", attributes, "");
        if (!target.empty())
            id = "FBS-" + target;
    }
    return id.empty() ? currentId : id;
}

int32_t HtmlScrollButtonCode(const std::string& action)
{
    static const struct
    {
        const char* words[2];
        int32_t code;
    } kCodes[] = {
        {{"TOP", "LEFT"}, 6},           {{"BOTTOM", "RIGHT"}, 7},    {{"LINEUP", "LINELEFT"}, 0},
        {{"LINEDOWN", "LINERIGHT"}, 1}, {{"PAGEUP", "PAGELEFT"}, 2}, {{"PAGEDOWN", "PAGERIGHT"}, 3},
    };
    for (const auto& row : kCodes)
        if (HtmlEqualNoCase(action, row.words[0]) || HtmlEqualNoCase(action, row.words[1]))
            return row.code;
    return -1;
}

std::string HtmlScrollBarMarkup(const std::string& id, const std::string& attributes,
                                const std::string& content)
{
    return "<frameset  name=\"#" + std::string(kHtmlScrollFramePrefix) + id + "#MAIN\" " + attributes + ">" +
           content + "</frameset>";
}

std::string HtmlScrollPartMarkup(const std::string& id, const std::string& part,
                                 const std::string& attributes, const std::string& content)
{
    return "<frame name=\"#" + std::string(kHtmlScrollFramePrefix) + id + "#" + part + "\" " + attributes +
           ">" + content + "</frame>";
}

std::string HtmlScrollButtonMarkup(const std::string& id, const std::string& action,
                                   const std::string& attributes, const std::string& content)
{
    return "<A HREF=\"#" + std::string(kHtmlScrollButtonPrefix) + id + "#" + action + "\" " + attributes +
           ">" + content + "</A>";
}

int32_t HtmlThumbLeadingEdge(int32_t trackStart, int32_t trackEnd, int32_t thumbLength, int32_t position,
                             int32_t minimum, int32_t maximum)
{
    const int64_t free = int64_t(trackEnd) - trackStart - thumbLength;
    if (free <= 0 || maximum <= minimum)
        return trackStart;
    const int64_t offset = free * (int64_t(position) - minimum) / (int64_t(maximum) - minimum);
    return int32_t(std::clamp<int64_t>(trackStart + offset, trackStart, trackStart + free));
}

HtmlThumbDrag HtmlThumbDragTo(int32_t pointer, int32_t trackStart, int32_t trackEnd, int32_t thumbLength,
                              int32_t minimum, int32_t maximum)
{
    HtmlThumbDrag drag;
    const int64_t free = int64_t(trackEnd) - trackStart - thumbLength;
    if (free <= 0)
    {
        drag.leading = trackStart;
        return drag;
    }
    const int64_t leading =
        std::clamp<int64_t>(int64_t(pointer) - thumbLength / 2, trackStart, trackStart + free);
    drag.leading = int32_t(leading);
    if (maximum <= minimum)
        return drag;
    drag.scroll = true;
    drag.position = int32_t(minimum + (leading - trackStart) * (int64_t(maximum) - minimum) / free);
    return drag;
}

// --- the hand-over

std::unique_ptr<HtmlScrollBarRecord> CHtmlScrollBarTags::NewBar()
{
    return std::make_unique<HtmlScrollBarRecord>();
}

void CHtmlScrollBarTags::OnBarExpanded(HtmlScrollBarRecord&, const std::string&) {}

HtmlScrollBarRecord* CHtmlScrollBarTags::FindBar(const std::string& id) const
{
    for (const auto& bar : m_bars)
        if (HtmlEqualNoCase(bar->id, id))
            return bar.get();
    return nullptr;
}

int32_t CHtmlScrollBarTags::OnTag(std::string name, std::string attributes, HtmlMemBlock* content,
                                  int32_t length, std::string frameName, CHtmlObject* sender)
{
    static const std::string kFamily = "HTG_SCROLL";
    if (!FdText::StartsWithAsciiNoCase(name, kFamily) || content == nullptr)
        return -1;
    const std::string kind = name.substr(kFamily.size());
    const bool isBar = HtmlEqualNoCase(kind, "BAR");
    if (!isBar && !HtmlEqualNoCase(kind, "PART") && !HtmlEqualNoCase(kind, "BUT"))
        return -1;
    const std::string id = HtmlScrollBarId(attributes, m_currentId);
    if (id.empty())
        return -1;
    const std::string inner = length > 0 ? HtmlBlockToString(*content, uint32_t(length)) : std::string();
    if (!isBar)
    {
        const std::string markup =
            HtmlEqualNoCase(kind, "PART")
                ? HtmlScrollPartMarkup(id, HtmlScrollPartName(GetAttrValue("PART", attributes, "")),
                                       attributes, inner)
                : HtmlScrollButtonMarkup(id, GetAttrValue("ACT", attributes, ""), attributes, inner);
        return HtmlStringToBlock(markup, content, -1);
    }
    if (sender == nullptr)
        return -1;
    HtmlScrollBarRecord* bar = FindBar(id);
    if (bar == nullptr)
    {
        if (m_bars.size() >= kMaxBars)
            return -1;
        m_bars.push_back(NewBar());
        bar = m_bars.back().get();
        bar->id = id;
    }
    m_currentId = id;
    bar->target = GetAttrValue("TARGET", attributes, "");
    bar->type = GetAttrValue("TYPE", attributes, "");
    bar->vertical = HtmlEqualNoCase(GetAttrValue("DIR", attributes, ""), "HORZ") ? 0 : 1;
    const int32_t result = HtmlStringToBlock(HtmlScrollBarMarkup(id, attributes, inner), content, -1);
    OnBarExpanded(*bar, frameName);
    return result;
}
