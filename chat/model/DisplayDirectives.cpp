// Display directives that build text from the chat's tables: the lists of
// DYN_LIST, the multi-part messages of DYN_MPD and the value filters of
// DYN_CONTEXTFILTER and DYN_VARFILTER.
#include <cstdlib>

#include "ChatModel.h"
#include "ChatTextUtil.h"
#include "HtmlAttr.h"
#include "html/HtmlText.h"

namespace ChatModel
{

using ChatText::boEqualNoCase;

namespace
{

std::string strUpper(std::string s)
{
    for (char& c : s)
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    return s;
}

} // namespace

std::string CChatModel::strOnDynList(const std::string& attrs, const std::string& body, bool all)
{
    const std::string what = GetAttrOr("what", attrs);
    std::string out;
    if (boEqualNoCase(what, "SUBSTS"))
    {
        for (const Substitution& s : substitutions)
            if (s.boListable || all)
                out += strReplaceAll(strReplaceAll(body, "%what%", s.strKey), "%with%", s.strReplacement);
    }
    else if (boEqualNoCase(what, "CMDS"))
    {
        for (const Command& c : commands)
            if (c.boListable || all)
                out += strReplaceAll(strReplaceAll(body, "%name%", c.strName), "%info%", c.strInfo);
    }
    else if (boEqualNoCase(what, "GRPS"))
    {
        for (const CGroupTable::Group& g : groups.Groups())
        {
            if (!g.counters[0])
                continue;
            std::string shown = g.strText1;
            // A group whose name is also a command of the page links to it.
            if (g.counters[1] && lpFindCommand(strUpper(g.strName)))
                shown = "<A HREF=\"@CMD@" + g.strName + "\" " + linkAttrs[0] + ">" + g.strText1 + "</A>";
            out += strReplaceAll(strReplaceAll(strReplaceAll(body, "%name%", shown), "%info%", g.strText2),
                                 "%grp%", g.strName);
        }
    }
    else if (boEqualNoCase(what, "GRPMEMBERS"))
    {
        const std::string name = GetAttrOr("grp", attrs);
        const CGroupTable::Group& g = groups.FindOrCreate(name);
        if (g.counters[1])
            for (const CGroupTable::Member& member : g.members)
            {
                const std::string link = "<a href=\"@BUD@" + HtmlEncodeEntities(member.strNick) + "\" " +
                                         linkAttrs[0] + ">" + strNickDisplay(member.strNick, 0) + "</a>";
                out += strReplaceAll(strReplaceAll(body, "%name%", link), "%grp%", name);
            }
    }
    return out;
}

void CChatModel::vOnDynMpd(const std::string& body, const std::string& attrs)
{
    const std::string id = GetAttrOr("ID", attrs);
    const std::string n = GetAttrOr("N", attrs);
    if (id.empty() || n.empty())
        return;
    const long number = std::strtol(n.c_str(), nullptr, 10);
    if (number == -1)
        return;
    if (multiParts.boAddPart(id, HtmlDecodeEntities(body), -1) && HasAttr("STOP", attrs) && number >= 0 &&
        number < 0x7FFFFFFF)
        multiParts.vSetExpected(id, static_cast<int32_t>(number + 1));
    if (!multiParts.boComplete(id))
        return;
    std::string from, to;
    int32_t kind = 0;
    multiParts.boContext(id, &from, &to, &kind);
    const std::string text = multiParts.strJoined(id);
    multiParts.vRemove(id);
    // The sender's text: vAddMessage treats it as the sender's line.
    vAddMessage(text, from, to, kind, true);
}

std::string CChatModel::strOnDynContextFilter(const std::string& value, const std::string& body,
                                              const std::string& attrs)
{
    const std::string equal = GetAttrOr("EQUALSTO", attrs);
    const std::string other = GetAttrOr("OTHERTHAN", attrs);
    const bool keep =
        (!equal.empty() && boEqualNoCase(equal, value)) || (!other.empty() && !boEqualNoCase(other, value)) ||
        (HasAttr("EXISTS", attrs) && !value.empty()) || (HasAttr("ISEMPTY", attrs) && value.empty());
    return keep ? body : std::string();
}

} // namespace ChatModel
