// Display directives that build text from the chat's tables: the lists of
// DYN_LIST, the multi-part messages of DYN_MPD and the value filters of
// DYN_CONTEXTFILTER and DYN_VARFILTER, and the documents of DYN_INSERTURL.
#include <cstdlib>
#include <utility>

#include "ChatModel.h"
#include "ChatTextUtil.h"
#include "HtmlAttr.h"
#include "html/doc/HtmlText.h"

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

std::string strTrimmed(const std::string& s)
{
    const char* const blanks = " \t\r\n";
    const size_t first = s.find_first_not_of(blanks);
    if (first == std::string::npos)
        return {};
    return s.substr(first, s.find_last_not_of(blanks) - first + 1);
}

} // namespace

std::string CChatModel::strOnDynInsertUrl(const std::string& body, const std::string& attrs,
                                          const std::string& frame)
{
    (void)body;
    const std::string href = strTrimmed(GetAttrOr("HREF", attrs));
    if (href.empty())
        return {};
    const size_t sep = href.find("://");
    const std::string protocol = sep == std::string::npos ? "HTTP" : strUpper(href.substr(0, sep));
    std::string text;
    bool inserted = false;
    if (protocol == "FILE")
    {
        // Another user's line never reads a file of this machine.
        if (boForeignText())
            return {};
        std::string path = href.substr(sep + 3);
        // "file:///C:/x" names "C:/x".
        if (path.size() >= 3 && path[0] == '/' && path[2] == ':')
            path.erase(0, 1);
        std::string content;
        if (!path.empty() && m_lpHost->boReadLocalFile(path, content))
        {
            text = content;
            inserted = true;
        }
        else
            text = "Err : file://" + HtmlEncodeEntities(path) + "<BR>";
    }
    else
    {
        text = m_lpHost->strRequestDocument(href, frame);
        inserted = !text.empty();
    }
    if (inserted)
    {
        if (HasAttr("HISTSINGLESHOT", attrs))
            msgs.strHistory = strCutTagAttributes(msgs.strHistory, "DYN_INSERTURL", attrs);
        if (HasAttr("ONLOADGRPREF", attrs))
            vPostRefresh();
    }
    return text;
}

std::string CChatModel::strOnDynList(const std::string& attrs, const std::string& body, bool all)
{
    const std::string what = GetAttrOr("what", attrs);
    std::string out;
    if (boEqualNoCase(what, "SUBSTS"))
    {
        for (const Substitution& s : cfg.substitutions)
            if (s.boListable || all)
                out += strReplaceAll(strReplaceAll(body, "%what%", s.strKey), "%with%", s.strReplacement);
    }
    else if (boEqualNoCase(what, "CMDS"))
    {
        for (const Command& c : cfg.commands)
            if (c.boListable || all)
                out += strReplaceAll(strReplaceAll(body, "%name%", c.strName), "%info%", c.strInfo);
    }
    else if (boEqualNoCase(what, "GRPS"))
    {
        for (const CGroupTable::Group& g : people.groups.Groups())
        {
            if (!g.counters[0])
                continue;
            std::string shown = g.strText1;
            // A group whose name is also a command of the page links to it.
            if (g.counters[1] && lpFindCommand(strUpper(g.strName)))
                shown = "<A HREF=\"@CMD@" + HtmlEncodeEntities(g.strName) + "\" " + cfg.linkAttrs[0] + ">" +
                        g.strText1 + "</A>";
            out += strReplaceAll(strReplaceAll(strReplaceAll(body, "%name%", shown), "%info%", g.strText2),
                                 "%grp%", HtmlEncodeEntities(g.strName));
        }
    }
    else if (boEqualNoCase(what, "GRPMEMBERS"))
    {
        const std::string name = GetAttrOr("grp", attrs);
        const CGroupTable::Group& g = people.groups.FindOrCreate(name);
        if (g.counters[1])
            for (const CGroupTable::Member& member : g.members)
            {
                const std::string link = "<a href=\"@BUD@" + HtmlEncodeEntities(member.strNick) + "\" " +
                                         cfg.linkAttrs[0] + ">" + strNickDisplay(member.strNick, 0) + "</a>";
                out += strReplaceAll(strReplaceAll(body, "%name%", link), "%grp%", HtmlEncodeEntities(name));
            }
    }
    return out;
}

void CChatModel::vOnDynMpd(const std::string& body, const std::string& attrs)
{
    const std::string n = GetAttrOr("N", attrs);
    if (GetAttrOr("ID", attrs).empty() || n.empty())
        return;
    // A stranger's pieces join only the pieces of the same sender.
    const bool foreign = boForeignText();
    const std::string id = foreign ? "\x01" + m_strPartsScope + "\x01" + GetAttrOr("ID", attrs) : GetAttrOr("ID", attrs);
    const long number = std::strtol(n.c_str(), nullptr, 10);
    if (number == -1)
        return;
    if (tables.multiParts.boAddPart(id, HtmlDecodeEntities(body), -1) && HasAttr("STOP", attrs) &&
        number >= 0 && number < 0x7FFFFFFF)
        tables.multiParts.vSetExpected(id, static_cast<int32_t>(number + 1));
    if (!tables.multiParts.boComplete(id))
        return;
    std::string from, to;
    int32_t kind = 0;
    tables.multiParts.boContext(id, &from, &to, &kind);
    const std::string text = tables.multiParts.strJoined(id);
    tables.multiParts.vRemove(id);
    // The sender's line, whole: a stranger's stays a stranger's.
    vAddMessage(text, from, to, kind, true, foreign ? Origin::kStranger : Origin::kChat);
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
