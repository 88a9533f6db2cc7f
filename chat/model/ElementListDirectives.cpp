#include "ElementListDirectives.h"

#include <cerrno>
#include <climits>
#include <cstdlib>

#include "ChatVars.h"
#include "HtmlAttr.h"
#include "html/doc/HtmlText.h"

namespace ChatModel
{

namespace
{
// -1 when absent or empty, else the leading number (0 when there is none),
// held within 32 bits.
int32_t iAttrNumber(const std::string& name, const std::string& attrs)
{
    const std::string value = GetAttrOr(name, attrs);
    if (value.empty())
        return -1;
    const long long n = std::strtoll(value.c_str(), nullptr, 10);
    if (n > INT32_MAX)
        return INT32_MAX;
    if (n < INT32_MIN)
        return INT32_MIN;
    return static_cast<int32_t>(n);
}

std::string strPlural(const std::string& text, size_t count)
{
    return strReplaceVariable(text, "%(s)%", count > 1 ? "s" : "");
}

bool boIsBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}
} // namespace

std::string strCutTagAttributes(const std::string& text, const std::string& tagName,
                                const std::string& attributes)
{
    if (attributes.empty())
        return text;
    for (size_t lt = text.find('<'); lt != std::string::npos; lt = text.find('<', lt + 1))
    {
        size_t pos = lt + 1;
        if (text.size() - pos < tagName.size() || !boElementNameEqual(text.substr(pos, tagName.size()), tagName))
            continue;
        pos += tagName.size();
        const size_t cutFrom = pos;
        if (pos >= text.size() || !boIsBlank(text[pos]))
            continue;
        while (pos < text.size() && boIsBlank(text[pos]))
            ++pos;
        if (text.compare(pos, attributes.size(), attributes) != 0)
            continue;
        pos += attributes.size();
        while (pos < text.size() && boIsBlank(text[pos]))
            ++pos;
        if (pos >= text.size() || text[pos] != '>')
            continue;
        return text.substr(0, cutFrom) + text.substr(pos);
    }
    return text;
}

std::string CElementListDirectives::strRenderEntry(const std::string& templ, const std::string& list,
                                                   const std::string& key, const std::string& item,
                                                   const std::string& linkAttrs, bool userFormat, int nickStyle)
{
    ElementNode* node = m_table.lpFindKey(list, key);
    if (!node)
        return templ;
    std::string t = templ;
    if (!item.empty())
    {
        if (const ElementItem* found = node->lpFindItem(item))
        {
            t = strReplaceVariable(t, "%iditem%", found->strName);
            std::string name = found->strDisplay;
            if (found->iValue == 1 && userFormat)
                name = "<a href=\"@BLS@" + HtmlEncodeEntities(found->strDisplay) + "\" " + linkAttrs + ">" +
                       m_host.strNickMarkup(found->strDisplay, nickStyle) + "</a>";
            t = strReplaceVariable(t, "%itemname%", name);
            t = strReplaceNumberVariable(t, "level", found->iLevel);
            t = strExpandParamVals(t, found->strText);
        }
    }
    else
    {
        t = strReplaceNumberVariable(t, "level", node->iLevel);
        t = strExpandParamVals(t, node->strKeyAttrs);
        t = strReplaceVariable(t, "%nbitem%", std::to_string(node->items.size()));
        t = strPlural(t, node->items.size());
    }
    t = strReplaceVariable(t, "%elist%", list);
    t = strReplaceVariable(t, "%idkey%", node->strName);
    return strReplaceVariable(t, "%keyname%", node->strDisplay);
}

std::string CElementListDirectives::strWalk(const std::string& list, const ElementNode* node, bool renderSelf)
{
    const ElementNode* root = m_table.lpFindList(list, false);
    if (!node || !root)
        return "";
    std::string out;
    if (renderSelf)
    {
        if (!root->strKeyTemplate.empty())
            out += strRenderEntry(root->strKeyTemplate, list, node->strName, "", "", true, 0);
        else
            out += node->strDisplay;
    }
    for (const auto& child : node->children)
    {
        out += strWalk(list, child.get(), true);
        if (child->iExpanded)
            out += strRenderItems(list, child->strName);
    }
    return out;
}

std::string CElementListDirectives::strRenderItems(const std::string& list, const std::string& key)
{
    const ElementNode* root = m_table.lpFindList(list, false);
    const ElementNode* node = m_table.lpFindKey(list, key);
    if (!root || !node)
        return "";
    std::string out;
    // Copies: rendering reads the table again through the names.
    const std::string templ = root->strItemTemplate;
    const bool listFormat = root->boUseListFormat;
    std::vector<std::string> names;
    std::vector<std::string> displays;
    for (const auto& item : node->items)
    {
        names.push_back(item.strName);
        displays.push_back(item.strDisplay);
    }
    for (size_t i = 0; i < names.size(); ++i)
    {
        if (templ.empty())
        {
            out += displays[i];
            continue;
        }
        std::string attrs;
        if (!m_table.iGetLinkColour(list, "LISTITEM", attrs))
            attrs = m_host.strPlainUserLinkAttrs();
        out += strRenderEntry(templ, list, key, names[i], attrs, listFormat, 0);
    }
    return out;
}

int CElementListDirectives::iShowEvent(const std::string& list, const std::string& key, const std::string& item,
                                       const std::string& event)
{
    const ElementNode* root = m_table.lpFindList(list, false);
    if (!root)
        return 0;
    std::string templ;
    if (!m_table.iGetMessage(list, event, templ) || templ.empty())
        return 0;
    std::string attrs;
    if (!m_table.iGetLinkColour(list, "EVENT" + event, attrs))
        attrs = m_host.strPlainUserLinkAttrs();
    const std::string text = strRenderEntry(templ, list, key, item, attrs, root->boUseMessageFormat, 1);
    if (text.empty())
        return 0;
    m_host.vAddRawMessage(text);
    return 1;
}

std::string CElementListDirectives::strDynElist(const std::string& attrs)
{
    const std::string list = GetAttrOr("ELIST", attrs);
    return strWalk(list, m_table.lpFindList(list, false), false);
}

std::string CElementListDirectives::strNbItem(const std::string& attrs, const std::string& body)
{
    const ElementNode* root = m_table.lpFindList(GetAttrOr("ELIST", attrs));
    if (!root)
        return body;
    const size_t n = root->uCountItems();
    return strPlural(strReplaceVariable(body, "%nbitem%", std::to_string(n)), n);
}

std::string CElementListDirectives::strNbKey(const std::string& attrs, const std::string& body)
{
    const ElementNode* root = m_table.lpFindList(GetAttrOr("ELIST", attrs));
    if (!root)
        return body;
    const size_t n = root->uCountKeys();
    return strPlural(strReplaceVariable(body, "%nbkey%", std::to_string(n)), n);
}

void CElementListDirectives::vApplyLink(const std::string& group, int32_t rank)
{
    if (m_host.boSetGroupMember(group, m_host.strOwnNickNoIncident(), rank))
    {
        m_host.vAnnounceGroup(group);
        m_host.vRequestMessageRefresh();
    }
}

void CElementListDirectives::vEvent(const std::string& event, const std::string& body, const std::string& attrs)
{
    if (attrs.empty())
        return;
    const std::string list = GetAttrOr("ELIST", attrs);
    if (list.empty())
        return;
    const std::string key = GetAttrOr("IDKEY", attrs);
    const bool show = !HasAttr("CATCHUP", attrs);
    int shown = 0;
    const std::string word = strElementUpper(event);
    if (word == "ADDKEY")
    {
        m_table.iAddKey(list, key, body, iAttrNumber("MAXITEM", attrs), attrs);
        if (show)
            shown = iShowEvent(list, key, "", event);
    }
    else if (word == "REMKEY")
    {
        if (show)
            shown = iShowEvent(list, key, "", event);
        m_table.iRemoveKey(list, key);
    }
    else if (word == "ADDITEM")
    {
        const std::string item = GetAttrOr("IDITEM", attrs);
        const bool user = HasAttr("CHATUSER", attrs) != 0;
        m_table.iAddItem(list, key, item, body, attrs, user ? 1 : 0);
        std::string group;
        int32_t rank = 0;
        if (user && boElementNameEqual(item, m_host.strOwnNickNoIncident()) &&
            m_table.iGetJoinLink(list, group, rank))
            vApplyLink(group, rank);
        if (show)
            shown = iShowEvent(list, key, item, event);
    }
    else if (word == "REMITEM")
    {
        const std::string item = GetAttrOr("IDITEM", attrs);
        const ElementItem* found = m_table.lpFindItem(list, key, item);
        const bool wasUser = found && found->iValue == 1;
        if (show)
            shown = iShowEvent(list, key, item, event);
        const bool removed = m_table.iRemoveItem(list, key, item) != 0;
        std::string group;
        int32_t rank = 0;
        if (removed && wasUser && boElementNameEqual(item, m_host.strOwnNickNoIncident()) &&
            m_table.iGetLeaveLink(list, group, rank))
            vApplyLink(group, rank);
    }
    else if (word == "RESET")
    {
        m_table.iClearList(list);
    }
    m_host.vCutHistoryTag("DYNELIST_" + event, attrs);
    m_host.vQueueListChanged(list);
    if (shown)
        m_host.vRequestMessageRefresh();
}

std::string CElementListDirectives::strKeyFilter(const std::string& attrs, const std::string& body)
{
    const std::string list = GetAttrOr("ELIST", attrs);
    const int32_t deployed = iAttrNumber("DEPLOYED", attrs);
    if (list.empty())
        return "";
    const ElementNode* node = m_table.lpFindKey(list, GetAttrOr("IDKEY", attrs));
    if (!node)
        return "";
    bool tested = false;
    if (deployed != -1)
    {
        tested = true;
        const bool holds = (deployed == 1 && node->iExpanded) || (deployed == 0 && !node->iExpanded);
        if (!holds)
            return "";
    }
    const std::string full = GetAttrOr("FULL", attrs);
    if (!full.empty())
    {
        tested = true;
        // A limit of -1 (none given) makes every key full.
        const bool isFull = static_cast<long long>(node->items.size()) >= node->iMaxItem;
        if (!((full == "1" && isFull) || (full == "0" && !isFull)))
            return "";
    }
    const std::string keyParam = GetAttrOr("KEYPARAM", attrs);
    if (!keyParam.empty())
    {
        tested = true;
        if (!boElementNameEqual(GetAttrValue(keyParam, node->strKeyAttrs, ""), GetAttrOr("PARAMVALUE", attrs)))
            return "";
    }
    return tested ? body : "";
}

std::string CElementListDirectives::strItemFilter(const std::string& attrs, const std::string& body)
{
    const std::string list = GetAttrOr("ELIST", attrs);
    const std::string param = GetAttrOr("ITEMPARAM", attrs);
    if (list.empty() || param.empty())
        return "";
    const ElementItem* item = m_table.lpFindItem(list, GetAttrOr("IDKEY", attrs), GetAttrOr("IDITEM", attrs));
    if (!item)
        return "";
    return boElementNameEqual(GetAttrValue(param, item->strText, ""), GetAttrOr("PARAMVALUE", attrs)) ? body : "";
}

bool CElementListDirectives::boConfigure(const std::string& name, const std::string& attrs, const std::string& body)
{
    const std::string word = strElementUpper(name);
    const std::string list = GetAttrOr("ELIST", attrs);
    if (word == "CNFELIST_KEYDISPLAY")
        m_table.vSetKeyTemplate(list, body);
    else if (word == "CNFELIST_ITEMDISPLAY")
        m_table.vSetItemTemplate(list, body, !HasAttr("NOUSERLISTFORMAT", attrs), !HasAttr("NOUSERMESSFORMAT", attrs));
    else if (word == "CNFELIST_MESSAGE")
        m_table.iSetMessage(list, GetAttrOr("ONEVENT", attrs), body);
    else if (word == "CNFELIST_LNKCOLOR")
        m_table.iSetLinkColour(list, GetAttrOr("TYPE", attrs), body);
    else if (word == "CNFELIST_GRPLINK")
    {
        const std::string type = strElementUpper(GetAttrOr("TYPE", attrs));
        const std::string group = GetAttrOr("GRPNAME", attrs);
        const int32_t rank = GetAttrInt("RANK", attrs, 0);
        if (type == "USERJOIN")
            m_table.iSetJoinLink(list, group, rank);
        else if (type == "USERLEAVE")
            m_table.iSetLeaveLink(list, group, rank);
    }
    else
        return false;
    return true;
}

} // namespace ChatModel
