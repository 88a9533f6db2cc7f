// The group directives: group formats and configuration (CNF_GRPBUD_,
// CNF_GRPCONF), the own memberships (CNF_LOCALCONF_GRP, CNF_CUGRP), the
// changes other users announce (DYN_GRP, DYNGRP_) and the membership filter
// (DYN_GRPFILTER).
#include <climits>
#include <cstdlib>

#include "ChatModel.h"
#include "ChatTextUtil.h"
#include "HtmlAttr.h"
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

int CChatModel::iGroupKindOf(const std::string& word)
{
    static const char* const words[] = {"LISTED",   "TALKING",    "SAYINGS",
                                        "LINEWRAP", "DYNADDMESS", "DYNREMMESS"};
    for (int i = 0; i < 6; ++i)
        if (boEqualNoCase(word, words[i]))
            return i;
    return -1;
}

void CChatModel::vOnCnfGrpBud(const std::string& suffix, const std::string& body, const std::string& attrs)
{
    const std::string name = GetAttrOr("grpname", attrs);
    if (name.empty())
        return;
    const int32_t rank = iNumber(GetAttrOr("rank", attrs), 0);
    people.groups.FindOrCreate(name);
    const int kind = iGroupKindOf(suffix);
    if (kind >= 0 && rank >= 0)
        people.groups.boSetListEntry(name, static_cast<size_t>(kind), static_cast<size_t>(rank), body);
}

void CChatModel::vOnCnfGrpConf(const std::string& body, const std::string& attrs)
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
            people.groups.vSetDefaultFileTemplate(url);
        return;
    }
    CGroupTable::Group& g = people.groups.FindOrCreate(name, iNumber(GetAttrOr("grporder", attrs), 0));
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
    if (!conn.boConnected || conn.strRoom.empty())
        return;
    if (notify == 0)
    {
        for (const std::string& user : people.users)
            if (!boEqualNoCase(strNoIncident(user), strNoIncident(conn.strNick)))
                iAnnounceGroups(user, std::string(), name, false, false);
    }
    else if (notify == 1)
        iAnnounceGroups(std::string(), std::string(), name, false, false);
}

// Reads local settings: only the chat's own pages may ask.
void CChatModel::vOnCnfLocalConfGrp(const std::string& attrs)
{
    if (boForeignText())
        return;
    const std::string name = GetAttrOr("grpname", attrs);
    const std::string key = GetAttrOr("REGKEY", attrs);
    if (name.empty() || key.empty())
        return;
    const char* const missing = "@REGKEYNOTFOUND@";
    const std::string value = m_settings.strReadPath(key, GetAttrOr("REGVALUENAME", attrs), missing);
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

void CChatModel::vOnCnfCuGrp(const std::string& attrs)
{
    const std::string name = GetAttrOr("grpname", attrs);
    if (!name.empty())
        vJoinOwnGroup(name, iNumber(GetAttrOr("RANK", attrs), 0));
}

void CChatModel::vJoinOwnGroup(const std::string& group, int32_t rank)
{
    if (people.groups.iSetMember(group, strNoIncident(conn.strNick), rank) == 0)
        return;
    if (conn.boConnected && !conn.strRoom.empty())
        iAnnounceGroups(std::string(), std::string(), group, false, false);
    vPostRefresh();
}

// Every window that hears the same announcements ends with the same table:
// GRPUSER (else the sender) is the member changed, in the named group (made
// when missing), whoever SENDER names: a window never hears its own lines,
// and a change named as the own nick's (a second window of the same user, or
// another user writing that name) must land alike in every window. A change
// runs once: its attributes are cut out of the history, so that showing the
// messages again does not replay an addition after a later removal.
void CChatModel::vOnDynGrp(const std::string& tagName, const std::string& attrs, bool remove)
{
    // A stranger's announcement runs as it arrives and never reaches the
    // history; the chat's own runs when the history is shown.
    if (!attrs.empty() && !boForeignText())
        msgs.strHistory = strCutTagAttributes(msgs.strHistory, tagName, attrs);
    std::string group = GetAttrOr("GRPNAME", attrs);
    if (boStartsNoCase(group, kReverse))
        group = group.substr(5);
    const std::string sender = GetAttrOr("SENDER", attrs);
    std::string member = GetAttrOr("GRPUSER", attrs);
    if (member.empty())
        member = sender;
    member = strNoIncident(member);
    if (group.empty() || member.empty())
        return;
    const int32_t rank = iNumber(GetAttrOr("GRPRANK", attrs), 0);
    int32_t before = 0;
    const bool wasMember = people.groups.boMemberValue(group, member, &before);
    bool changed;
    if (remove)
        changed = people.groups.boRemoveMember(group, member);
    else
    {
        people.groups.FindOrCreate(group);
        changed = people.groups.iSetMember(group, member, rank) != 0;
    }
    if (changed)
        vRefreshZone(kZoneUsers);
    const bool silent = boEqualNoCase(GetAttrOr("NOTIFY", attrs), "SILENT") || HasAttr("SILENT", attrs);
    if (!changed || !HasAttr("NEWDYNADD", attrs) || silent)
        return;
    const CGroupTable::Group* g = people.groups.lpFind(group);
    const int32_t shownRank = remove ? (wasMember ? before : 0) : rank;
    std::string text =
        shownRank < 0 ? std::string()
                      : people.groups.strListEntry(group, remove ? 5 : 4, static_cast<size_t>(shownRank));
    if (text.empty())
        return;
    text = strReplaceAll(text, "%grpname%", HtmlEncodeEntities(group));
    text =
        strReplaceAll(text, "%grpdesc%", HtmlEncodeEntities(g && !g->strText1.empty() ? g->strText1 : group));
    text = strReplaceAll(text, "%rank%", std::to_string(shownRank));
    vAddMessage(text, sender, member, 25, false);
    vPostRefresh();
}

std::string CChatModel::strOnDynGrpFilter(const std::string& body, const std::string& attrs)
{
    const std::string own = strNoIncident(conn.strNick);
    const bool notMember = HasAttr("NOTMEMBEROF", attrs) != 0;
    const std::string name = GetAttrOr("GRPNAME", attrs);
    if (!name.empty())
    {
        int32_t rank = 0;
        if (!people.groups.boMemberValue(name, own, &rank))
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
        const bool in = people.groups.boHasMember(n, own) != notMember;
        keep = all ? (keep && in) : (keep || in);
    }
    return keep ? body : std::string();
}

} // namespace ChatModel
