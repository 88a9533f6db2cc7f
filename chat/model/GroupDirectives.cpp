// The group directives (CGroupDirectives).
#include "GroupDirectives.h"

#include <climits>
#include <cstdlib>

#include "ChatTextUtil.h"
#include "ElementListDirectives.h"
#include "HtmlAttr.h"
#include "MessageFormats.h"
#include "html/doc/HtmlText.h"
#include "NickScheme.h"

namespace ChatModel
{

using ChatText::boEqualNoCase;
using ChatText::boStartsNoCase;

namespace
{

int32_t iNumber(const std::string& v, int32_t def)
{
    return v.empty() ? def : static_cast<int32_t>(std::strtol(v.c_str(), nullptr, 10));
}

const char* const kReverse = "@REV@";

} // namespace

int CGroupDirectives::iGroupKindOf(const std::string& word)
{
    static const char* const words[] = {"LISTED",   "TALKING",    "SAYINGS",
                                        "LINEWRAP", "DYNADDMESS", "DYNREMMESS"};
    for (int i = 0; i < 6; ++i)
        if (boEqualNoCase(word, words[i]))
            return i;
    return -1;
}

void CGroupDirectives::vOnCnfGrpBud(const std::string& suffix, const std::string& body,
                                    const std::string& attrs)
{
    const std::string name = GetAttrOr("grpname", attrs);
    if (name.empty())
        return;
    const int32_t rank = iNumber(GetAttrOr("rank", attrs), 0);
    m_people.groups.FindOrCreate(name);
    const int kind = iGroupKindOf(suffix);
    if (kind >= 0 && rank >= 0)
        m_people.groups.boSetListEntry(name, static_cast<size_t>(kind), static_cast<size_t>(rank), body);
}

void CGroupDirectives::vOnCnfGrpConf(const std::string& body, const std::string& attrs)
{
    const std::string name = GetAttrOr("grpname", attrs);
    const std::string url = GetAttrOr("cnfurl", attrs);
    const std::string notifyWord = GetAttrOr("notify", attrs);
    int32_t notify = boEqualNoCase(notifyWord, "all") ? 1 : boEqualNoCase(notifyWord, "members") ? 0 : -1;
    if (boStartsNoCase(url, kReverse))
        notify = -1;
    if (name.empty())
    {
        if (!url.empty())
            m_people.groups.vSetDefaultFileTemplate(url);
        return;
    }
    CGroupTable::Group& g = m_people.groups.FindOrCreate(name, iNumber(GetAttrOr("grporder", attrs), 0));
    if (!url.empty())
    {
        g.strFileTemplate = url;
        g.counters[2] = 0;
        return;
    }
    const std::string display = GetAttrOr("dispname", attrs);
    g.strText1 = display.empty() ? name : display;
    g.strText2 = body;
    g.counters[0] = HasAttr("listable", attrs) ? 1 : 0;
    g.counters[1] = HasAttr("listmembers", attrs) ? 1 : 0;
    g.iNumber = notify;
    g.counters[2] = 1;
    // A group that notifies is announced to the room; the others go back
    // privately to whoever joins.
    g.boAnnounce = notify >= 0;
    if (!m_conn.boConnected || m_conn.strRoom.empty())
        return;
    if (notify == 0)
    {
        for (const std::string& user : m_people.users)
            if (!boEqualNoCase(m_host.strNoIncident(user), m_host.strNoIncident(m_conn.strNick)))
                m_host.vAnnounceGroup(user, name);
    }
    else if (notify == 1)
        m_host.vAnnounceGroup(std::string(), name);
}

void CGroupDirectives::vOnCnfLocalConfGrp(const std::string& attrs)
{
    if (m_host.boForeignText())
        return;
    const std::string name = GetAttrOr("grpname", attrs);
    const std::string key = GetAttrOr("REGKEY", attrs);
    if (name.empty() || key.empty())
        return;
    const char* const missing = "@REGKEYNOTFOUND@";
    const std::string value = m_host.strReadSetting(key, GetAttrOr("REGVALUENAME", attrs), missing);
    bool member = false;
    if (value == missing)
        member = HasAttr("REGNOTEXIST", attrs) != 0;
    else if (HasAttr("REGEXIST", attrs))
        member = true;
    else if (HasAttr("REGNOTEMPTY", attrs))
        member = !value.empty();
    else if (HasAttr("REGISEMPTY", attrs))
        member = value.empty();
    else if (HasAttr("REGEQUALSTO", attrs))
        member = boEqualNoCase(value, GetAttrOr("REGEQUALSTO", attrs));
    else if (HasAttr("REGNOTEQUALSTO", attrs))
        member = !boEqualNoCase(value, GetAttrOr("REGNOTEQUALSTO", attrs));
    if (member)
        vJoinOwnGroup(name, iNumber(GetAttrOr("RANK", attrs), 0));
}

void CGroupDirectives::vOnCnfCuGrp(const std::string& attrs)
{
    const std::string name = GetAttrOr("grpname", attrs);
    if (!name.empty())
        vJoinOwnGroup(name, iNumber(GetAttrOr("RANK", attrs), 0));
}

void CGroupDirectives::vJoinOwnGroup(const std::string& group, int32_t rank)
{
    if (m_people.groups.iSetMember(group, m_host.strNoIncident(m_conn.strNick), rank) == 0)
        return;
    if (m_conn.boConnected && !m_conn.strRoom.empty())
        m_host.vAnnounceGroup(std::string(), group);
    m_host.vRequestMessageRefresh();
}

// Every window that hears the same announcements ends with the same table:
// GRPUSER (else the sender) is the member changed, in the named group (made
// when missing), whoever SENDER names: a window never hears its own lines,
// and a change named as the own nick's (a second window of the same user, or
// another user writing that name) must land alike in every window. A change
// runs once: its attributes are cut out of the history, so that showing the
// messages again does not replay an addition after a later removal.
void CGroupDirectives::vOnDynGrp(const std::string& tagName, const std::string& attrs, bool remove)
{
    // A stranger's announcement runs as it arrives and never reaches the
    // history; the chat's own runs when the history is shown.
    if (!attrs.empty() && !m_host.boForeignText())
        m_msgs.strHistory = strCutTagAttributes(m_msgs.strHistory, tagName, attrs);
    std::string group = GetAttrOr("GRPNAME", attrs);
    if (boStartsNoCase(group, kReverse))
        group = group.substr(5);
    const std::string sender = GetAttrOr("SENDER", attrs);
    std::string member = GetAttrOr("GRPUSER", attrs);
    if (member.empty())
        member = sender;
    member = m_host.strNoIncident(member);
    if (group.empty() || member.empty())
        return;
    const int32_t rank = iNumber(GetAttrOr("GRPRANK", attrs), 0);
    int32_t before = 0;
    const bool wasMember = m_people.groups.boMemberValue(group, member, &before);
    bool changed;
    if (remove)
        changed = m_people.groups.boRemoveMember(group, member);
    else
    {
        m_people.groups.FindOrCreate(group);
        changed = m_people.groups.iSetMember(group, member, rank) != 0;
    }
    if (changed)
        m_host.vRefreshUsers();
    const bool silent = boEqualNoCase(GetAttrOr("NOTIFY", attrs), "SILENT") || HasAttr("SILENT", attrs);
    if (!changed || !HasAttr("NEWDYNADD", attrs) || silent)
        return;
    const CGroupTable::Group* g = m_people.groups.lpFind(group);
    const int32_t shownRank = remove ? (wasMember ? before : 0) : rank;
    std::string text =
        shownRank < 0 ? std::string()
                      : m_people.groups.strListEntry(group, remove ? 5 : 4, static_cast<size_t>(shownRank));
    if (text.empty())
        return;
    text = strReplaceAll(text, "%grpname%", HtmlEncodeEntities(group));
    text =
        strReplaceAll(text, "%grpdesc%", HtmlEncodeEntities(g && !g->strText1.empty() ? g->strText1 : group));
    text = strReplaceAll(text, "%rank%", std::to_string(shownRank));
    m_host.vAddGroupMessage(text, sender, member);
    m_host.vRequestMessageRefresh();
}

std::string CGroupDirectives::strOnDynGrpFilter(const std::string& body, const std::string& attrs)
{
    const std::string own = m_host.strNoIncident(m_conn.strNick);
    const bool notMember = HasAttr("NOTMEMBEROF", attrs) != 0;
    const std::string name = GetAttrOr("GRPNAME", attrs);
    if (!name.empty())
    {
        int32_t rank = 0;
        if (!m_people.groups.boMemberValue(name, own, &rank))
            return notMember ? body : std::string();
        if (notMember)
            return {};
        const int32_t above = iNumber(GetAttrOr("GTRANK", attrs), -1);
        const int32_t below = iNumber(GetAttrOr("LTRANK", attrs), INT32_MAX);
        return rank > above && rank < below ? body : std::string();
    }
    const std::string list = GetAttrOr("GRPS", attrs);
    if (list.empty())
        return {};
    std::string sep = GetAttrOr("SEP", attrs, "|");
    if (sep.empty())
        sep = "|";
    const std::vector<std::string> names = ChatIrc::SplitList(list, sep);
    const bool all = boEqualNoCase(GetAttrOr("OP", attrs), "AND");
    bool keep = all;
    for (const std::string& n : names)
    {
        const bool in = m_people.groups.boHasMember(n, own) != notMember;
        keep = all ? (keep && in) : (keep || in);
    }
    return keep ? body : std::string();
}

} // namespace ChatModel
