// The display directives (CDisplayDirectives).
#include "DisplayDirectives.h"

#include <algorithm>

#include "ChatTextUtil.h"
#include "ElementListDirectives.h"
#include "MessageFormats.h"
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

// Whether a page-defined command has that name.
bool boIsCommand(const std::vector<ChatConfig::Command>& commands, const std::string& name)
{
    return std::any_of(commands.begin(), commands.end(),
                       [&](const ChatConfig::Command& c) { return c.strName == name; });
}

} // namespace

std::string CDisplayDirectives::strOnDynInsertUrl(const std::string& body, const std::string& attrs,
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
        if (m_host.boForeignText())
            return {};
        std::string path = href.substr(sep + 3);
        // "file:///C:/x" names "C:/x".
        if (path.size() >= 3 && path[0] == '/' && path[2] == ':')
            path.erase(0, 1);
        std::string content;
        if (!path.empty() && m_host.boReadLocalFile(path, content))
        {
            text = content;
            inserted = true;
        }
        else
            text = "Err : file://" + HtmlEncodeEntities(path) + "<BR>";
    }
    else
    {
        text = m_host.strRequestDocument(href, frame);
        inserted = !text.empty();
    }
    if (inserted)
    {
        if (HasAttr("HISTSINGLESHOT", attrs))
            m_msgs.strHistory = strCutTagAttributes(m_msgs.strHistory, "DYN_INSERTURL", attrs);
        if (HasAttr("ONLOADGRPREF", attrs))
            m_host.vRequestMessageRefresh();
    }
    return text;
}

std::string CDisplayDirectives::strOnDynList(const std::string& attrs, const std::string& body, bool all)
{
    const std::string what = GetAttrOr("what", attrs);
    std::string out;
    if (boEqualNoCase(what, "SUBSTS"))
    {
        for (const ChatConfig::Substitution& s : m_cfg.substitutions)
            if (s.boListable || all)
                out += strReplaceAll(strReplaceAll(body, "%what%", s.strKey), "%with%", s.strReplacement);
    }
    else if (boEqualNoCase(what, "CMDS"))
    {
        for (const ChatConfig::Command& c : m_cfg.commands)
            if (c.boListable || all)
                out += strReplaceAll(strReplaceAll(body, "%name%", c.strName), "%info%", c.strInfo);
    }
    else if (boEqualNoCase(what, "GRPS"))
    {
        for (const CGroupTable::Group& g : m_people.groups.Groups())
        {
            if (!g.counters[0])
                continue;
            std::string shown = g.strText1;
            // A group whose name is also a command of the page links to it.
            if (g.counters[1] && boIsCommand(m_cfg.commands, strUpper(g.strName)))
                shown = "<A HREF=\"@CMD@" + HtmlEncodeEntities(g.strName) + "\" " + m_cfg.linkAttrs[0] + ">" +
                        g.strText1 + "</A>";
            out += strReplaceAll(strReplaceAll(strReplaceAll(body, "%name%", shown), "%info%", g.strText2),
                                 "%grp%", HtmlEncodeEntities(g.strName));
        }
    }
    else if (boEqualNoCase(what, "GRPMEMBERS"))
    {
        const std::string name = GetAttrOr("grp", attrs);
        const CGroupTable::Group& g = m_people.groups.FindOrCreate(name);
        if (g.counters[1])
            for (const CGroupTable::Member& member : g.members)
            {
                const std::string link = "<a href=\"@BUD@" + HtmlEncodeEntities(member.strNick) + "\" " +
                                         m_cfg.linkAttrs[0] + ">" + m_host.strNickDisplay(member.strNick, 0) +
                                         "</a>";
                out += strReplaceAll(strReplaceAll(body, "%name%", link), "%grp%", HtmlEncodeEntities(name));
            }
    }
    return out;
}

std::string CDisplayDirectives::strOnDynContextFilter(const std::string& value, const std::string& body,
                                                      const std::string& attrs)
{
    const std::string equal = GetAttrOr("EQUALSTO", attrs);
    const std::string other = GetAttrOr("OTHERTHAN", attrs);
    const bool keep =
        (!equal.empty() && boEqualNoCase(equal, value)) || (!other.empty() && !boEqualNoCase(other, value)) ||
        (HasAttr("EXISTS", attrs) && !value.empty()) || (HasAttr("ISEMPTY", attrs) && value.empty());
    return keep ? body : std::string();
}

// ---------------------------------------------------------------- display texts

std::string CDisplayDirectives::strOnDynStatus()
{
    const int state = m_conn.iDisplayState;
    if (state < 0 || state >= static_cast<int>(sizeof m_cfg.stateTexts / sizeof m_cfg.stateTexts[0]))
        return {};
    return m_cfg.stateTexts[state];
}

std::string CDisplayDirectives::strOnDynMessages()
{
    if (m_people.lUsersInRoom >= 2 || (m_cfg.strWaitingForBuds.empty() && m_cfg.strBudsLeft.empty()))
        return m_msgs.strHistory;
    const std::string& chosen = (m_people.lHighestUsers > 1 || m_cfg.strWaitingForBuds.empty())
                                    ? m_cfg.strBudsLeft
                                    : m_cfg.strWaitingForBuds;
    return m_msgs.strHistory + strReplaceAll(chosen, "%bud%", m_conn.strNickHtml);
}

std::string CDisplayDirectives::strOnDynBuddies()
{
    std::string out;
    for (size_t i = 0; i < m_people.users.size(); ++i)
    {
        if (m_people.userFlags[i] & ChatUsers::kUserHidden)
            continue;
        const std::string& nick = m_people.users[i];
        const int sel = nick == m_conn.strSelected ? 1 : 0;
        const std::string link = "<a href=\"@BLS@" + HtmlEncodeEntities(nick) + "\" " + m_cfg.userAttrs[sel] +
                                 ">" + m_host.strNickDisplay(nick, sel) + "</a>";
        out += strReplaceAll(m_cfg.userFormats[sel], "%bud%", link);
    }
    return out;
}

std::string CDisplayDirectives::strOnDynNbConnected(const std::string& body)
{
    long n = 0;
    for (uint16_t f : m_people.userFlags)
        n += (f & ChatUsers::kUserHidden) ? 0 : 1;
    return strReplaceAll(strReplaceAll(body, "%nb%", std::to_string(n)), "%(s)%", n < 2 ? "" : "s");
}

std::string CDisplayDirectives::strOnDynFctBuda(const std::string& attributes, const std::string& body)
{
    const std::string name = GetAttrOr("FCTNAME", attributes);
    if (name.empty())
        return {};
    return "<A href=\"@FCT@" + name + "\">" + body + "</A>";
}

} // namespace ChatModel
